// A countdown driven from outside: the switch, the refusal of a too short dial, the final warning
// and "Annuler". No test here lets a countdown reach zero: the shutdown request would end every
// program of the shared Wine prefix (that case runs alone, in shutdown_e2e.sh).
#include <doctest/doctest.h>

#include "E2eCommon.h"

using namespace e2e;

namespace {

void ClickSwitch(HWND form) {
    HWND sw = ControlById(form, noc::idMyImage1);
    REQUIRE(sw != nullptr);
    MouseClick(sw, 16, 16);
}

}  // namespace

TEST_CASE("a dial of 19 seconds clicked by the user is refused with its message") {
    Stored s;
    s.Secondes = "19";
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    ClickSwitch(form);
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "Information");
    CHECK(box->text ==
          "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour annuler\r\n"
          "l'extinction automatique de l'ordinateur.");
    DismissMessageBox(box->wnd);
    CHECK(IsShown(form));
    CHECK(IsShown(ControlById(form, noc::idTabControl1)));
}

TEST_CASE("the final warning brings the window back, and Annuler puts the time left on the dial") {
    Stored s;
    s.Secondes = "23";
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    ClickSwitch(form);
    REQUIRE(WaitUntil([&] { return !IsShown(form); }, kLong));
    CHECK(NoMessageBoxWithin(prog, 500));

    // With 20 seconds or less left the window comes back on the countdown panel.
    REQUIRE(WaitUntil([&] { return IsShown(form); }, kLong));
    HWND countdown = ControlById(form, noc::idTabControl2);
    CHECK(IsShown(countdown));
    CHECK_FALSE(IsShown(ControlById(form, noc::idTabControl1)));
    CHECK(Text(ControlById(form, noc::idLabel19)) == "Attention, l'ordinateur va s'éteindre.");
    CHECK(IsShown(ControlById(form, noc::idLabel19)));
    HWND cancel = ControlById(form, noc::idSpeedButton2);
    REQUIRE(IsShown(cancel));
    CHECK(Text(cancel) == "Annuler");
    HWND minimize = ControlById(form, noc::idSpeedButton1);
    CHECK(IsShown(minimize));
    CHECK_FALSE(IsWindowEnabled(minimize));
    const int secondsShown = Number(Text(ControlById(form, noc::idLabel4)));
    CHECK(secondsShown <= 20);
    CHECK(secondsShown >= 10);

    Click(cancel);
    REQUIRE(WaitUntil([&] { return IsShown(ControlById(form, noc::idTabControl1)); }, kLong));
    CHECK_FALSE(IsShown(countdown));
    CHECK(IsShown(form));
    CHECK(TextOf(form, noc::idMaskEdit4) == "00");
    CHECK(TextOf(form, noc::idMaskEdit1) == "00");
    CHECK(TextOf(form, noc::idMaskEdit2) == "00");
    const int left = Number(TextOf(form, noc::idMaskEdit3));
    CHECK(left <= secondsShown);
    CHECK(left >= secondsShown - 3);

    // Cancelled for good: the time left stays on the dial. A tick, due within the second, would
    // count the countdown panel's seconds down and, this close to the end, bring that panel back.
    HWND seconds = ControlById(form, noc::idLabel4);
    const std::string atCancel = Text(seconds);
    CHECK(Number(atCancel) == left);
    CHECK_FALSE(WaitUntil([&] { return Text(seconds) != atCancel || IsShown(countdown); }, kShort));
    CHECK(Number(TextOf(form, noc::idMaskEdit3)) == left);
    CHECK(NoMessageBoxWithin(prog, 200));
}

TEST_CASE("the dial's arrows wrap around and the reset button sets it to zero") {
    Stored s;
    s.Heures = "23";
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    HWND hoursUp = ControlById(form, noc::idUpDown1);
    REQUIRE(hoursUp != nullptr);
    RECT rc;
    GetClientRect(hoursUp, &rc);
    MouseClick(hoursUp, rc.right / 2, 2);  // the upper arrow
    REQUIRE(WaitUntil([&] { return TextOf(form, noc::idMaskEdit1) == "00"; }, kLong));
    MouseClick(hoursUp, rc.right / 2, rc.bottom - 3);  // the lower arrow: below 0 gives 23
    REQUIRE(WaitUntil([&] { return TextOf(form, noc::idMaskEdit1) == "23"; }, kLong));

    MouseClick(ControlById(form, noc::idImage8), 4, 4);
    REQUIRE(WaitUntil([&] { return TextOf(form, noc::idMaskEdit1) == "00"; }, kLong));
    CheckDial(form, "00", "00", "00", "00");
}
