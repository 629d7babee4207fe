// NocTuro's start seen from outside: one copy at a time, the stored settings and their check, the
// window as it first appears, the automatic start and the Run entry.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

// The four option boxes: time shown, password, start with Windows, alert sound.
void CheckTicks(const Scenario& run, bool chrono, bool password, bool startup, bool alert) {
    const std::pair<int, bool> boxes[] = {{noc::idCheckBox1, chrono},
                                          {noc::idCheckBox3, password},
                                          {noc::idCheckBox2, startup},
                                          {noc::idCheckBox4, alert}};
    for (const auto& [id, ticked] : boxes) {
        CAPTURE(id);
        CHECK(run.Checked(id) == ticked);
    }
}

}  // namespace

TEST_CASE("the first start on a missing key creates the settings and shows the window quietly") {
    Scenario run(std::nullopt);
    CHECK(run.NoMessageBoxWithin(kShort));

    run.CheckDial("00", "00", "00", "00");
    CheckTicks(run, false, false, false, false);
    CHECK(run.Text(noc::idEdit1) == "");
    CHECK(run.Slider() == 20);
    CHECK(run.Text(noc::idLabel17) == "20s");
    CHECK(run.Text(noc::idLabel14) == kPlaceholder);

    const std::pair<const char*, std::string> stored[] = {{"Couleur", "clMedGray"},
                                                          {"Jours", "0"},
                                                          {"Heures", "0"},
                                                          {"Minutes", "0"},
                                                          {"Secondes", "0"},
                                                          {"Chrono", "non"},
                                                          {"MdPasse", ""},
                                                          {"MdPasseOK", "non"},
                                                          {"Demarrage", "non"},
                                                          {"Alerte", "non"},
                                                          {"Son", kPlaceholder},
                                                          {"Delai", "20"},
                                                          {"Protection", ProtectionOf(Stored{})}};
    for (const auto& [name, value] : stored) {
        CAPTURE(name);
        CHECK(ReadSetting(name).has_value());
        CHECK(ReadSetting(name) == value);
    }
}

TEST_CASE("the window's look at start") {
    Scenario run(Stored{});
    const HWND form = run.form;

    CHECK(Text(form) == kCaption);
    const LONG_PTR ex = GetWindowLongPtrA(form, GWL_EXSTYLE);
    CHECK((ex & WS_EX_TOPMOST) != 0);
    CHECK((ex & WS_EX_APPWINDOW) != 0);
    RECT client{};
    GetClientRect(form, &client);
    CHECK(client.right - client.left == 221);
    CHECK(client.bottom - client.top == 201);

    CHECK(IsShown(run.Required(noc::idTabControl1)));
    CHECK_FALSE(IsShown(run.Required(noc::idTabControl2)));

    const struct {
        int id;
        const char* text;
        bool shown;
    } buttons[] = {{noc::idSpeedButton3, "Quitter", true},
                   {noc::idSpeedButton2, "Annuler", false},
                   {noc::idSpeedButton4, "+10 min", false},
                   {noc::idSpeedButton1, "Réduire", false}};
    for (const auto& b : buttons) {
        CAPTURE(b.text);
        HWND button = run.Required(b.id);
        CHECK(Text(button) == b.text);
        CHECK(IsShown(button) == b.shown);
    }

    // The empty main form never shows on a start without trouble.
    CHECK(FindTopWindow(run.prog.Id(), "TForm1", nullptr, true) == nullptr);
    CHECK(run.NoMessageBoxWithin(300));
}

TEST_CASE("stored settings are read back into the window") {
    TempFile sound("noc_e2e_sound.mp3", kMp3Head);

    SUBCASE("dial, check boxes, password, alert delay and sound file") {
        Stored s;
        s.Jours = "1", s.Heures = "2", s.Minutes = "3", s.Secondes = "4";
        s.Chrono = s.Alerte = "oui";
        s.MdPasse = "sesame", s.Delai = "45", s.Son = sound.path;
        Scenario run(s);
        CHECK(run.NoMessageBoxWithin(300));
        run.CheckDial("01", "02", "03", "04");
        CheckTicks(run, true, false, false, true);
        CHECK(run.Text(noc::idEdit1) == "sesame");
        CHECK(run.Slider() == 45);
        CHECK(run.Text(noc::idLabel17) == "45s");
        CHECK(run.Text(noc::idLabel14) == sound.path);
    }

    SUBCASE("the password check box, and a sound file that is gone") {
        Stored s;
        s.Minutes = "5", s.MdPasseOK = "oui", s.MdPasse = "x", s.Son = sound.path + ".absent";
        Scenario run(s);
        CHECK(run.NoMessageBoxWithin(300));
        CheckTicks(run, false, true, false, false);
        CHECK(run.Text(noc::idEdit1) == "x");
        CHECK(run.Text(noc::idLabel14) == kPlaceholder);
    }

    SUBCASE("an alert delay outside the slider's range is brought to its nearest end") {
        const struct {
            const char* stored;
            int position;
            const char* label;
        } delays[] = {{"3", 5, "05s"}, {"70", 59, "59s"}};
        for (const auto& d : delays) {
            CAPTURE(d.stored);
            Stored s;
            s.Delai = d.stored;
            Scenario run(s);
            CHECK(run.Slider() == d.position);
            CHECK(run.Text(noc::idLabel17) == d.label);
        }
    }
}

TEST_CASE("start with Windows ticked: the countdown starts hidden and the box shows the flag") {
    Stored s;
    s.Heures = "2", s.Demarrage = s.MdPasseOK = "oui";
    Scenario run(s, "", Start::Hidden);
    CHECK(WaitUntil([&] { return run.Checked(noc::idCheckBox2); }, kLong));
    CheckTicks(run, false, true, true, false);
    CHECK_FALSE(run.FormShownWithin(kShort));
    CHECK(run.NoMessageBoxWithin(0));
}

TEST_CASE("only \"oui\" ticks a box: \"Oui\" does not") {
    Stored s;
    s.Chrono = s.MdPasseOK = s.Demarrage = s.Alerte = "Oui";
    Scenario run(s);  // "Oui" is no automatic start either
    CHECK(run.NoMessageBoxWithin(300));
    CheckTicks(run, false, false, false, false);
}

TEST_CASE("a value changed by hand in the check text raises the warning") {
    Stored s;
    s.byHand = {{"Chrono", "oui"}};
    Scenario run(s, "", Start::Later);
    run.CheckBoxSays("Warning", kTampered);

    const HWND form = WaitForForm(run.prog);
    REQUIRE(form != nullptr);
    CHECK(CheckedById(form, noc::idCheckBox1));
    CHECK(run.NoMessageBoxWithin(300));
}

TEST_CASE("values outside the check text, and a counter written with a leading zero, raise nothing") {
    TempFile sound("noc_e2e_other.mp3", kMp3Head);
    Stored s;
    s.Minutes = "7";
    s.byHand = {{"Minutes", "07"}, {"Delai", "33"}, {"Son", sound.path}};
    Scenario run(s);
    CHECK(run.NoMessageBoxWithin(kShort));
    run.CheckDial("00", "00", "07", "00");
    CHECK(run.Slider() == 33);
    CHECK(run.Text(noc::idLabel14) == sound.path);
}

TEST_CASE("a stored number that does not convert stops the set-up with a message") {
    std::string expected;
    Stored s;
    SUBCASE("days") {
        s.byHand = {{"Jours", "abc"}};
        expected = "'abc' is not a valid integer value.";
    }
    SUBCASE("absent alert delay") {
        s.byHand = {{"Delai", std::nullopt}};
        expected = "'' is not a valid integer value.";
    }
    Scenario run(s, "", Start::Later);
    run.CheckBoxSays("NocTuro", expected);

    CHECK(WaitForForm(run.prog) != nullptr);
    CHECK(WaitForTopWindow(run.prog.Id(), "TForm1", "Form1", kLong, true) != nullptr);
}

TEST_CASE("a second copy ends at once and leaves the first alone") {
    Scenario first(Stored{});

    Program second;
    bool secondShowedSomething = false;
    WaitUntil(
        [&] {
            if (FindTopWindow(second.Id(), nullptr, nullptr, true)) secondShowedSomething = true;
            return !second.Running();
        },
        3000);
    auto code = second.WaitExit(0);
    REQUIRE(code.has_value());
    CHECK(*code == 0);
    CHECK_FALSE(secondShowedSomething);

    CHECK(first.prog.Running());
    CHECK(IsWindow(first.form));
    CHECK(IsShown(first.form));
    CHECK(FindTopWindow(first.prog.Id(), "TForm2", kCaption, true) == first.form);
    CHECK(first.NoMessageBoxWithin(300));
}

TEST_CASE("a plain start removes the Run entry") {
    WriteRunValue("NocTuro", "C:\\NocTuro.exe");
    REQUIRE(RunValueExists("Nocturo"));
    Scenario run(Stored{});
    CHECK(WaitUntil([] { return !RunValueExists("Nocturo"); }, kLong));
    DeleteRunValue("Nocturo");
}

TEST_CASE("a start with parameters counts down hidden and leaves the registry alone") {
    Stored s;
    s.Minutes = "3";
    WriteRunValue("NocTuro", "C:\\NocTuro.exe");

    Scenario run(s, "* 0 0 45 0", Start::Hidden);
    CHECK(WaitUntil([&] { return run.Text(noc::idMaskEdit2) == "45"; }, kLong));
    CHECK_FALSE(run.FormShownWithin(kShort));
    CHECK(run.NoMessageBoxWithin(0));

    CHECK(ReadSetting("Minutes") == "3");
    CHECK(ReadSetting("Protection") == ProtectionOf(s));
    CHECK(RunValueExists("Nocturo"));
    DeleteRunValue("Nocturo");
}

TEST_CASE("parameters on an all-zero dial: an information box, then the window on its set-up panel") {
    Scenario run(Stored{}, "* * * * *", Start::Later);
    auto box = run.Box();
    REQUIRE(box.has_value());
    CHECK(box->caption == "Information");
    CHECK(box->text == "\r\nVous n'avez pas réglé le Chrono !");
    CHECK_FALSE(run.FormShownWithin(0));
    DismissMessageBox(box->wnd);
    // Without it the program would hold the single-instance mutex with nothing to reach it by.
    run.form = WaitForForm(run.prog);
    REQUIRE(run.form != nullptr);
    CHECK(run.Shown(noc::idTabControl1));
    CHECK_FALSE(run.Shown(noc::idTabControl2));
    run.CheckDial("00", "00", "00", "00");
    CHECK(run.prog.Running());
}
