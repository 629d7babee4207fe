// A countdown driven from outside: the switch, the refusal of a too short dial, the final warning,
// "Annuler" and "+10 min". No test here lets a countdown reach zero: the shutdown request would end every
// program of the shared Wine prefix (that case runs alone, in shutdown_e2e.sh).
#include <doctest/doctest.h>

#include "Scenario.h"

using namespace e2e;

namespace {

void ClickSwitch(const Scenario& run) { MouseClick(run.Required(noc::idMyImage1), 16, 16); }

Stored TwentyThreeSeconds() {
    Stored s;
    s.Secondes = "23";
    return s;
}

// A dial of 23 seconds started with a click: the window has gone to the notification area, and the
// final warning is three seconds away.
struct NearTheEnd : Scenario {
    NearTheEnd() : Scenario(TwentyThreeSeconds()) {
        ClickSwitch(*this);
        REQUIRE(WaitUntil([&] { return !IsShown(form); }, kLong));
    }
};

}  // namespace

TEST_CASE("a dial of 19 seconds clicked by the user is refused with its message") {
    Stored s;
    s.Secondes = "19";
    Scenario run(s);
    ClickSwitch(run);
    run.CheckBoxSays("Information",
                     "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour "
                     "annuler\r\nl'extinction automatique de l'ordinateur.");
    CHECK(IsShown(run.form));
    CHECK(run.Shown(noc::idTabControl1));
}

TEST_CASE("the final warning brings the window back, and Annuler puts the time left on the dial") {
    NearTheEnd run;
    const HWND form = run.form;
    CHECK(run.NoMessageBoxWithin(500));

    // With 20 seconds or less left the window comes back on the countdown panel.
    REQUIRE(WaitUntil([&] { return IsShown(form); }, kLong));
    HWND countdown = run.Control(noc::idTabControl2);
    CHECK(IsShown(countdown));
    CHECK_FALSE(run.Shown(noc::idTabControl1));
    CHECK(Text(run.Control(noc::idLabel19)) == "Attention, l'ordinateur va s'éteindre.");
    CHECK(run.Shown(noc::idLabel19));
    HWND cancel = run.Control(noc::idSpeedButton2);
    REQUIRE(IsShown(cancel));
    CHECK(Text(cancel) == "Annuler");
    HWND minimize = run.Control(noc::idSpeedButton1);
    CHECK(IsShown(minimize));
    CHECK_FALSE(IsWindowEnabled(minimize));
    const int secondsShown = Number(Text(run.Control(noc::idLabel4)));
    CHECK(secondsShown <= 20);
    CHECK(secondsShown >= 10);

    Click(cancel);
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK_FALSE(IsShown(countdown));
    CHECK(IsShown(form));
    CHECK(run.Text(noc::idMaskEdit4) == "00");
    CHECK(run.Text(noc::idMaskEdit1) == "00");
    CHECK(run.Text(noc::idMaskEdit2) == "00");
    const int left = Number(run.Text(noc::idMaskEdit3));
    CHECK(left <= secondsShown);
    CHECK(left >= secondsShown - 3);

    // Cancelled for good: the time left stays on the dial. A tick, due within the second, would
    // count the countdown panel's seconds down and, this close to the end, bring that panel back.
    HWND seconds = run.Control(noc::idLabel4);
    const std::string atCancel = Text(seconds);
    CHECK(Number(atCancel) == left);
    CHECK_FALSE(WaitUntil([&] { return Text(seconds) != atCancel || IsShown(countdown); }, kShort));
    CHECK(Number(run.Text(noc::idMaskEdit3)) == left);
    CHECK(run.NoMessageBoxWithin(200));
}

TEST_CASE("+10 min clicked in the final warning puts the shutdown off and sends the window back to the tray") {
    NearTheEnd run;
    const HWND form = run.form;
    REQUIRE(WaitUntil([&] { return IsShown(form); }, kLong));  // the final warning
    HWND later = run.Required(noc::idSpeedButton4);
    REQUIRE(IsShown(later));
    CHECK(Text(later) == "+10 min");
    CHECK(IsWindowEnabled(later));
    CHECK_FALSE(IsWindowEnabled(run.Control(noc::idSpeedButton1)));
    CHECK(Number(Text(run.Control(noc::idLabel4))) <= 20);

    // A real click, in the middle of the button.
    SolePointer pointer;
    REQUIRE(pointer.Installed());
    RECT r{};
    GetWindowRect(later, &r);
    ClickScreenAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    const bool hidden = WaitUntil([&] { return !IsShown(form); }, kLong);
    MoveMouseTo(kAway);
    REQUIRE(hidden);
    // Ten minutes more than the few seconds that were left: above nine minutes, below eleven.
    auto secondsLeft = [&] {
        return Number(run.Text(noc::idLabel9)) * 60 + Number(run.Text(noc::idLabel4)) +
               Number(run.Text(noc::idLabel7)) * 3600 + Number(run.Text(noc::idLabel2)) * 86400;
    };
    const int left = secondsLeft();
    CHECK(left > 9 * 60);
    CHECK(left <= 10 * 60 + 20);
    // The countdown goes on, out of the final warning: the window stays away, "Réduire" is back.
    HWND seconds = run.Control(noc::idLabel4);
    const std::string atClick = Text(seconds);
    REQUIRE(WaitUntil([&] { return Text(seconds) != atClick; }, kLong));
    CHECK(secondsLeft() < left);
    CHECK_FALSE(WaitUntil([&] { return IsShown(form); }, kShort));
    CHECK(IsWindowEnabled(run.Control(noc::idSpeedButton1)));
    // The dial keeps the time dialled.
    run.CheckDial("00", "00", "00", "23");
    CHECK(run.NoMessageBoxWithin(200));
}

TEST_CASE("the dial's arrows wrap around and the reset button sets it to zero") {
    Stored s;
    s.Heures = "23";
    Scenario run(s);
    HWND hoursUp = run.Required(noc::idUpDown1);
    RECT rc;
    GetClientRect(hoursUp, &rc);
    MouseClick(hoursUp, rc.right / 2, 2);  // the upper arrow
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit1) == "00"; }, kLong));
    MouseClick(hoursUp, rc.right / 2, rc.bottom - 3);  // the lower arrow: below 0 gives 23
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit1) == "23"; }, kLong));

    MouseClick(run.Control(noc::idImage8), 4, 4);
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit1) == "00"; }, kLong));
    run.CheckDial("00", "00", "00", "00");
}
