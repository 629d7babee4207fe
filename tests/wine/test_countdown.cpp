// The countdown engine, the shutdown request and closing, with message boxes, beeps and the
// shutdown request recorded instead of made.
#include <doctest/doctest.h>

#include "FormFixture.h"
#include "settings/SettingsStore.h"

using namespace testing;
using noc::TForm2;

namespace {

const char kEmptyDial[] = "\r\nVous n'avez pas réglé le Chrono !";
const char kTooShort[] =
    "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour "
    "annuler\r\nl'extinction automatique de l'ordinateur.";

bool Visible(TForm2& f) { return IsWindowVisible(f.Handle()) != FALSE; }

// A countdown started by the program ticks once a second; the tests let the same worker tick every
// few milliseconds instead.
void Quicken(TForm2& f) { f.Chronos1->SetInterval(5); }

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "the switch refuses an empty or too short dial") {
    StoredSettings().Write();
    auto form = MakeForm2();
    form->Show();
    SeamRecorder rec;

    SUBCASE("empty dial: beep, message, the window stays and nothing starts") {
        SetDial(*form, 0, 0, 0, 0);
        form->MyImage1Click(form->MyImage1);
        REQUIRE(rec.calls.size() == 2);
        CHECK(rec.calls[0].kind == RecordedCall::Beep);
        CHECK(rec.calls[1].text == kEmptyDial);
        CHECK(rec.calls[1].caption == "Information");
        CHECK((rec.calls[1].flags & MB_ICONINFORMATION) == MB_ICONINFORMATION);
        CHECK_FALSE(form->Chronos1->Enabled());
        CHECK(Visible(*form));
    }
    SUBCASE("19 seconds is too short from the dial") {
        SetDial(*form, 0, 0, 0, 19);
        form->MyImage1Click(form->MyImage1);
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text == kTooShort);
        CHECK(rec.Beeps().size() == 1);
        CHECK_FALSE(form->Chronos1->Enabled());
    }
    SUBCASE("20 seconds, or a minute with no seconds, starts hidden") {
        int seconds = 20, minutes = 0;
        SUBCASE("20 s") {}
        SUBCASE("1 min") { seconds = 0, minutes = 1; }
        SetDial(*form, 0, 0, minutes, seconds);
        form->Panel2->Show();
        form->MyImage1Click(form->MyImage1);
        CHECK(rec.calls.empty());
        CHECK(form->Chronos1->Enabled());
        CHECK_FALSE(Visible(*form));
        CHECK_FALSE(form->Panel2->Visible());
        CHECK(form->Shape1->Visible());
        CHECK(form->Label19->Visible());
        CHECK_FALSE(form->Edit2->Visible());
        CHECK(form->TabControl1->Visible());  // the set-up panel stays in front while hidden
        form->Chronos1->SetEnabled(false);
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the tick counts down with borrow and shows the countdown panel") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    SetDial(*form, 1, 0, 0, 0);
    form->StartCountdown();
    form->Chronos1->SetEnabled(false);  // ticks are driven by hand here

    form->Chronos1Timer(form->Chronos1);
    CHECK(form->Label2->Caption() == "00");
    CHECK(form->Label7->Caption() == "23");
    CHECK(form->Label9->Caption() == "59");
    CHECK(form->Label4->Caption() == "59");
    CHECK_FALSE(Visible(*form));
    CHECK(rec.Shutdowns().empty());

    // The dial keeps what it had at the start.
    CHECK(Dial(*form) == "01:00:00:00");
}

TEST_CASE_FIXTURE(FreshApplication,
                  "the final warning brings the window back, and cancelling puts the time back on the dial") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    SetDial(*form, 0, 0, 0, 22);
    form->StartCountdown();
    form->Chronos1->SetEnabled(false);

    form->Chronos1Timer(form->Chronos1);  // 21 left: not yet
    CHECK_FALSE(Visible(*form));
    // 20 left: the alert moment. No sound file is chosen, so opening it fails and that tick ends
    // there (silently, since no sound was wanted); the warning comes with the next one.
    CHECK_THROWS_AS(form->Chronos1Timer(form->Chronos1), noc::EAbort);
    CHECK_FALSE(Visible(*form));
    form->Chronos1Timer(form->Chronos1);  // 19 left: the warning
    CHECK(Visible(*form));
    CHECK(form->TabControl2->Visible());
    CHECK_FALSE(form->TabControl1->Visible());
    CHECK(form->SpeedButton2->Visible());
    CHECK(form->SpeedButton1->Visible());
    CHECK_FALSE(form->SpeedButton1->Enabled());
    CHECK_FALSE(form->Image7->Enabled());

    form->Counters = {0, 1, 23, 45};
    form->CancelCountdown();
    CHECK(Dial(*form) == "00:01:23:45");
    CHECK(form->UpDown2->Position() == 23);
    CHECK(form->TabControl1->Visible());
    CHECK_FALSE(form->TabControl2->Visible());
    CHECK_FALSE(form->SpeedButton2->Visible());
    CHECK(form->Image7->Enabled());
    CHECK(form->PasswordAccepted == "non");
    CHECK_FALSE(form->Chronos1->Enabled());
}

TEST_CASE_FIXTURE(FreshApplication, "a protected countdown asks for the password before it can be cancelled") {
    StoredSettings s;
    s.MdPasseOK = "oui";
    s.MdPasse = "Secret";
    s.Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    SetDial(*form, 0, 0, 5, 0);
    form->StartCountdown();
    REQUIRE(form->Chronos1->Enabled());

    form->CancelCountdown();
    CHECK(form->Chronos1->Enabled());
    CHECK(form->Edit2->Visible());
    CHECK(form->Label13->Visible());
    CHECK_FALSE(form->Label19->Visible());

    form->Edit2->SetText("secret");
    form->Button4Click(form->Button4);
    CHECK(form->Chronos1->Enabled());
    CHECK(form->Label15->Visible());
    CHECK(form->Edit2->Text().empty());
    CHECK(rec.Beeps().size() == 1);

    form->Edit2->SetText("Secret");
    form->Button4Click(form->Button4);
    CHECK_FALSE(form->Chronos1->Enabled());
    CHECK(form->PasswordAccepted == "non");
}

TEST_CASE_FIXTURE(FreshApplication, "the close request") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;

    SUBCASE("start with Windows and an empty dial: refused, nothing saved") {
        form->CheckBox2->SetChecked(true);
        SetDial(*form, 0, 0, 0, 0);
        form->Edit1->SetText("changed");
        CHECK_FALSE(form->CloseQuery());
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text ==
              "Vous avez demandé de lancer le logiciel au\r\ndémarrage mais vous n'avez pas réglé le Chrono !");
        CHECK(rec.calls[0].kind == RecordedCall::Beep);
        CHECK(noc::ReadScrambledSetting("MdPasse").empty());
    }
    SUBCASE("start with Windows and 19 seconds: refused") {
        form->CheckBox2->SetChecked(true);
        SetDial(*form, 0, 0, 0, 19);
        CHECK_FALSE(form->CloseQuery());
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text.find("trop court") != std::string::npos);
        CHECK(noc::ReadSetting("Secondes") == "0");
    }
    SUBCASE("a close that passes saves all thirteen values with a matching integrity text") {
        form->CheckBox2->SetChecked(true);
        form->CheckBox1->SetChecked(true);
        form->Edit1->SetText("mot\bpasse");
        form->Shape1->SetBrushColor(0x000000FF);
        SetDial(*form, 0, 0, 1, 0);
        CHECK(form->CloseQuery());
        CHECK(rec.Boxes().empty());
        CHECK(noc::ReadSetting("Couleur") == "clRed");
        CHECK(noc::ReadSetting("Minutes") == "1");
        CHECK(noc::ReadSetting("Chrono") == "oui");
        CHECK(noc::ReadSetting("Demarrage") == "oui");
        CHECK(noc::ReadSetting("Delai") == "20");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "mot\bpasse");
        CHECK(noc::ReadScrambledSetting("Protection") == "clRed0010ouimot\bpassenonouinon");
    }
    SUBCASE("the log-off question is refused while a protected countdown runs, and saves each time") {
        form->CheckBox3->SetChecked(true);
        SetDial(*form, 0, 0, 2, 0);
        form->StartCountdown();
        REQUIRE(form->Chronos1->Enabled());
        noc::WriteSetting("Minutes", "9");
        CHECK(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0) == FALSE);
        CHECK(noc::ReadSetting("Minutes") == "2");
        CHECK(IsWindow(form->Handle()));
        form->CheckBox3->SetChecked(false);
        CHECK(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0) == TRUE);
        form->Chronos1->SetEnabled(false);
    }
}

TEST_CASE_FIXTURE(FreshApplication,
                  "a one-second countdown from the command line goes straight to the shutdown request") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 1");
    TForm2* raw = form.get();
    REQUIRE(raw->Chronos1->Enabled());
    Quicken(*raw);
    // The order at zero: timer off, window minimised, close asked for, then the shutdown request.
    bool timerOffAtClose = false, minimizedAtClose = false, shutdownBeforeClose = true;
    raw->OnCloseQuery.Set([&](noc::TObject* sender, bool& canClose) {
        timerOffAtClose = !raw->Chronos1->Enabled();
        minimizedAtClose = IsIconic(raw->Handle()) != FALSE;
        shutdownBeforeClose = !rec.Shutdowns().empty();
        raw->FormCloseQuery(sender, canClose);
    });
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    CHECK(timerOffAtClose);
    CHECK(minimizedAtClose);
    CHECK_FALSE(shutdownBeforeClose);
    CHECK(noc::ReadSetting("Secondes") == "1");  // saved by the close
    CHECK(noc::Application().Terminated());      // the close went through
    CHECK(rec.Shutdowns().size() == 1);
    CHECK(rec.Shutdowns()[0].flags == (EWX_FORCE | EWX_POWEROFF));
}

TEST_CASE_FIXTURE(FreshApplication, "an alert file that cannot be opened does not hold the countdown") {
    StoredSettings s;
    s.Delai = 5;
    bool wanted = false;
    SUBCASE("sound not wanted: nothing is shown") { wanted = false; }
    SUBCASE("sound wanted: the failure is reported, the countdown goes on") { wanted = true; }
    s.Alerte = wanted ? "oui" : "non";
    s.Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 6");
    Quicken(*form);
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    CHECK(rec.Boxes().size() == (wanted ? 1u : 0u));
    if (wanted) CHECK(rec.Boxes()[0].caption == "NocTuro");
    CHECK(form->MediaPlayer1->Tag == 0);
}
