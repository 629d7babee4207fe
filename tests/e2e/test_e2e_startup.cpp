// NocTuro's start seen from outside: one copy at a time, the stored settings and their check, the
// window as it first appears, the automatic start and the Run entry.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "E2eCommon.h"

using namespace e2e;

TEST_CASE("the first start on a missing key creates the settings and shows the window quietly") {
    DeleteSettingsKey();
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(NoMessageBoxWithin(prog, kShort));

    CheckDial(form, "00", "00", "00", "00");
    CHECK_FALSE(CheckedById(form, noc::idCheckBox1));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox2));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox3));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox4));
    CHECK(TextOf(form, noc::idEdit1) == "");
    CHECK(SliderPos(form) == 20);
    CHECK(TextOf(form, noc::idLabel17) == "20s");
    CHECK(TextOf(form, noc::idLabel14) == kPlaceholder);

    const char* names[] = {"Couleur", "Jours",     "Heures",    "Minutes", "Secondes",   "Chrono", "MdPasse",
                           "MdPasseOK", "Demarrage", "Alerte", "Protection", "Son",     "Delai"};
    for (const char* name : names) CHECK_MESSAGE(ReadSetting(name).has_value(), name);
    CHECK(ReadSetting("Jours") == "0");
    CHECK(ReadSetting("Heures") == "0");
    CHECK(ReadSetting("Minutes") == "0");
    CHECK(ReadSetting("Secondes") == "0");
    CHECK(ReadSetting("Delai") == "20");
    CHECK(ReadSetting("Chrono") == "non");
    CHECK(ReadSetting("MdPasseOK") == "non");
    CHECK(ReadSetting("Demarrage") == "non");
    CHECK(ReadSetting("Alerte") == "non");
    CHECK(ReadSetting("Couleur") == "clMedGray");
    CHECK(ReadSetting("Son") == kPlaceholder);
    CHECK(ReadSetting("MdPasse") == "");
    CHECK(ReadSetting("Protection") == ProtectionOf(Stored{}));
}

TEST_CASE("the window's look at start") {
    WriteAll(Stored{});
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);

    CHECK(Text(form) == kCaption);
    const LONG_PTR ex = GetWindowLongPtrA(form, GWL_EXSTYLE);
    CHECK((ex & WS_EX_TOPMOST) != 0);
    CHECK((ex & WS_EX_APPWINDOW) != 0);
    RECT client{};
    GetClientRect(form, &client);
    CHECK(client.right - client.left == 221);
    CHECK(client.bottom - client.top == 201);

    HWND setup = ControlById(form, noc::idTabControl1);
    HWND countdown = ControlById(form, noc::idTabControl2);
    REQUIRE(setup != nullptr);
    REQUIRE(countdown != nullptr);
    CHECK(IsShown(setup));
    CHECK_FALSE(IsShown(countdown));

    HWND quit = ControlById(form, noc::idSpeedButton3);
    HWND cancel = ControlById(form, noc::idSpeedButton2);
    HWND reduce = ControlById(form, noc::idSpeedButton1);
    REQUIRE(quit != nullptr);
    REQUIRE(cancel != nullptr);
    REQUIRE(reduce != nullptr);
    CHECK(Text(quit) == "Quitter");
    CHECK(IsShown(quit));
    CHECK(Text(cancel) == "Annuler");
    CHECK_FALSE(IsShown(cancel));
    CHECK(Text(reduce) == "Réduire");
    CHECK_FALSE(IsShown(reduce));

    // The empty main form never shows on a start without trouble.
    CHECK(FindTopWindow(prog.Id(), "TForm1", nullptr, true) == nullptr);
    CHECK(NoMessageBoxWithin(prog, 300));
}

TEST_CASE("stored settings are read back into the window") {
    TempFile sound("noc_e2e_sound.mp3");

    SUBCASE("dial, check boxes, password, alert delay and sound file") {
        Stored s;
        s.Jours = "1";
        s.Heures = "2";
        s.Minutes = "3";
        s.Secondes = "4";
        s.Chrono = "oui";
        s.Alerte = "oui";
        s.MdPasse = "sesame";
        s.Delai = "45";
        s.Son = sound.path;
        WriteAll(s);
        Program prog;
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        CHECK(NoMessageBoxWithin(prog, 300));
        CheckDial(form, "01", "02", "03", "04");
        CHECK(CheckedById(form, noc::idCheckBox1));
        CHECK_FALSE(CheckedById(form, noc::idCheckBox3));
        CHECK_FALSE(CheckedById(form, noc::idCheckBox2));
        CHECK(CheckedById(form, noc::idCheckBox4));
        CHECK(TextOf(form, noc::idEdit1) == "sesame");
        CHECK(SliderPos(form) == 45);
        CHECK(TextOf(form, noc::idLabel17) == "45s");
        CHECK(TextOf(form, noc::idLabel14) == sound.path);
    }

    SUBCASE("the password check box, and a sound file that is gone") {
        Stored s;
        s.Minutes = "5";
        s.MdPasseOK = "oui";
        s.MdPasse = "x";
        s.Son = sound.path + ".absent";
        WriteAll(s);
        Program prog;
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        CHECK(NoMessageBoxWithin(prog, 300));
        CHECK(CheckedById(form, noc::idCheckBox3));
        CHECK_FALSE(CheckedById(form, noc::idCheckBox1));
        CHECK_FALSE(CheckedById(form, noc::idCheckBox4));
        CHECK(TextOf(form, noc::idEdit1) == "x");
        CHECK(TextOf(form, noc::idLabel14) == kPlaceholder);
    }

    SUBCASE("an alert delay below the slider's range") {
        Stored s;
        s.Delai = "3";
        WriteAll(s);
        Program prog;
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        CHECK(SliderPos(form) == 5);
        CHECK(TextOf(form, noc::idLabel17) == "05s");
    }

    SUBCASE("an alert delay above the slider's range") {
        Stored s;
        s.Delai = "70";
        WriteAll(s);
        Program prog;
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        CHECK(SliderPos(form) == 59);
        CHECK(TextOf(form, noc::idLabel17) == "59s");
    }
}

TEST_CASE("start with Windows ticked: the countdown starts hidden and the box shows the flag") {
    Stored s;
    s.Heures = "2";
    s.Demarrage = "oui";
    s.MdPasseOK = "oui";
    WriteAll(s);
    Program prog;
    HWND form = WaitForHiddenForm(prog);
    REQUIRE(form != nullptr);
    CHECK(WaitUntil([&] { return CheckedById(form, noc::idCheckBox2); }, kLong));
    CHECK(CheckedById(form, noc::idCheckBox3));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox1));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox4));
    CHECK_FALSE(FormShownWithin(prog, kShort));
    CHECK(NoMessageBoxWithin(prog, 0));
}

TEST_CASE("only \"oui\" ticks a box: \"Oui\" does not") {
    Stored s;
    s.Chrono = s.MdPasseOK = s.Demarrage = s.Alerte = "Oui";
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);  // "Oui" is no automatic start either
    REQUIRE(form != nullptr);
    CHECK(NoMessageBoxWithin(prog, 300));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox1));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox2));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox3));
    CHECK_FALSE(CheckedById(form, noc::idCheckBox4));
}

TEST_CASE("a value changed by hand in the check text raises the warning") {
    WriteAll(Stored{});
    WriteSetting("Chrono", "oui");
    Program prog;
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "Warning");
    CHECK(box->text == kTampered);
    DismissMessageBox(box->wnd);

    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(CheckedById(form, noc::idCheckBox1));
    CHECK(NoMessageBoxWithin(prog, 300));
}

TEST_CASE("values outside the check text, and a counter written with a leading zero, raise nothing") {
    TempFile sound("noc_e2e_other.mp3");
    Stored s;
    s.Minutes = "7";
    WriteAll(s);
    WriteSetting("Minutes", "07");
    WriteSetting("Delai", "33");
    WriteSetting("Son", sound.path);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(NoMessageBoxWithin(prog, kShort));
    CheckDial(form, "00", "00", "07", "00");
    CHECK(SliderPos(form) == 33);
    CHECK(TextOf(form, noc::idLabel14) == sound.path);
}

TEST_CASE("a stored number that does not convert stops the set-up with a message") {
    std::string expected;
    WriteAll(Stored{});
    SUBCASE("days") {
        WriteSetting("Jours", "abc");
        expected = "'abc' is not a valid integer value.";
    }
    SUBCASE("absent alert delay") {
        DeleteSetting("Delai");
        expected = "'' is not a valid integer value.";
    }
    Program prog;
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "NocTuro");
    CHECK(box->text == expected);
    DismissMessageBox(box->wnd);

    CHECK(WaitForForm(prog) != nullptr);
    CHECK(WaitForTopWindow(prog.Id(), "TForm1", "Form1", kLong, true) != nullptr);
}

TEST_CASE("a second copy ends at once and leaves the first alone") {
    WriteAll(Stored{});
    Program first;
    HWND form = WaitForForm(first);
    REQUIRE(form != nullptr);

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

    CHECK(first.Running());
    CHECK(IsWindow(form));
    CHECK(IsShown(form));
    CHECK(FindTopWindow(first.Id(), "TForm2", kCaption, true) == form);
    CHECK(NoMessageBoxWithin(first, 300));
}

TEST_CASE("a plain start removes the Run entry") {
    WriteAll(Stored{});
    WriteRunValue("NocTuro", "C:\\NocTuro.exe");
    REQUIRE(RunValueExists("Nocturo"));
    Program prog;
    REQUIRE(WaitForForm(prog) != nullptr);
    CHECK(WaitUntil([] { return !RunValueExists("Nocturo"); }, kLong));
    DeleteRunValue("Nocturo");
}

TEST_CASE("a start with parameters counts down hidden and leaves the registry alone") {
    Stored s;
    s.Minutes = "3";
    WriteAll(s);
    const std::string protection = *ReadSetting("Protection");
    WriteRunValue("NocTuro", "C:\\NocTuro.exe");

    Program prog("* 0 0 45 0");
    HWND form = WaitForHiddenForm(prog);
    REQUIRE(form != nullptr);
    CHECK(WaitUntil([&] { return TextOf(form, noc::idMaskEdit2) == "45"; }, kLong));
    CHECK_FALSE(FormShownWithin(prog, kShort));
    CHECK(NoMessageBoxWithin(prog, 0));

    CHECK(ReadSetting("Minutes") == "3");
    CHECK(ReadSetting("Protection") == protection);
    CHECK(RunValueExists("Nocturo"));
    DeleteRunValue("Nocturo");
}

TEST_CASE("parameters on an all-zero dial: an information box, then the window on its set-up panel") {
    WriteAll(Stored{});
    Program prog("* * * * *");
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "Information");
    CHECK(box->text == "\r\nVous n'avez pas réglé le Chrono !");
    CHECK_FALSE(FormShownWithin(prog, 0));
    DismissMessageBox(box->wnd);
    // Without it the program would hold the single-instance mutex with nothing to reach it by.
    const HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(IsShown(ControlById(form, noc::idTabControl1)));
    CHECK_FALSE(IsShown(ControlById(form, noc::idTabControl2)));
    CheckDial(form, "00", "00", "00", "00");
    CHECK(prog.Running());
}
