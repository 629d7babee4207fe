// Zero means off: what may happen on the way (a sound gone, a key that cannot be written, a box
// nobody answers, a refused close, a refused shutdown) neither holds nor stops the end.
#include <doctest/doctest.h>

#include <windows.h>

#include <stdexcept>

#include "FormFixture.h"
#include "StoreTexts.h"
#include "TestFiles.h"
#include "app/ShutdownRules.h"
#include "framework/Dialogs.h"

using namespace testing;
using noc::TForm2;

namespace {

bool Shown(noc::TControl* c) { return IsWindowVisible(c->Handle()) != FALSE; }

bool SettingsKeyExists() { return static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath)); }

size_t IndexOfShutdown(const SeamRecorder& rec) {
    for (size_t i = 0; i < rec.calls.size(); ++i)
        if (rec.calls[i].kind == RecordedCall::Shutdown) return i;
    return rec.calls.size();
}

// Disables the process's shutdown privilege; whether it was enabled.
bool DisableShutdownPrivilege() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    TOKEN_PRIVILEGES off{1, {}}, before{};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid);
    DWORD size = 0;
    AdjustTokenPrivileges(token, FALSE, &off, sizeof(before), &before, &size);
    CloseHandle(token);
    return before.PrivilegeCount == 1 && (before.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "a sound listened to, then gone, stops neither the end nor a cancel") {
    const std::string wave = WriteWave("gone.wav");
    StoredSettings s;
    s.Alerte = "oui";
    s.Delai = 5;
    s.Son = wave;
    s.Secondes = 25;
    s.Write();
    SeamRecorder rec;
    auto form = MakeForm2();
    REQUIRE(form->Label14->Caption() == wave);
    // Listened to, and left open: the flag stays up as a sound that ends by itself leaves it.
    form->Image10Click(form->Image10);
    REQUIRE(form->MediaPlayer1->Tag == 1);
    // The stick pulled out. Wine keeps the listened file open, so this process cannot delete it;
    // a label naming a file that is gone fails the alert's open in the same way.
    form->Label14->SetCaption(TempPath("pulled-out.wav"));
    form->Chronos1->SetInterval(50);
    form->StartCountdown();
    REQUIRE(form->Chronos1->Enabled());

    SUBCASE("the countdown reaches zero: the close goes through and the shutdown is asked for") {
        REQUIRE(TickUntil(*form, [&] { return !rec.Shutdowns().empty(); }));
        CHECK(noc::Application().Terminated());
        CHECK(rec.Shutdowns().size() == 1);
    }
    SUBCASE("a cancel after the failed alert puts the set-up panel back") {
        REQUIRE(TickUntil(*form, [&] { return form->Counters.Seconds < 5; }));
        form->SpeedButton2Click(form->SpeedButton2);
        CHECK_FALSE(form->Chronos1->Enabled());
        CHECK(Shown(form->TabControl1));
        CHECK_FALSE(Shown(form->TabControl2));
        CHECK(form->PasswordAccepted == "non");
        CHECK(rec.Shutdowns().empty());
    }
    // The failed open closed the device: the flag says so, and nothing reports a player not open.
    CHECK(form->MediaPlayer1->Tag == 0);
    CHECK_FALSE(form->MediaPlayer1->IsOpen());
    for (const RecordedCall& box : rec.Boxes()) CHECK(box.text.find("not open") == std::string::npos);
}

TEST_CASE_FIXTURE(FreshApplication, "a settings key that cannot be written at zero holds nothing up") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 3");
    form->Chronos1->SetInterval(50);
    REQUIRE(form->Chronos1->Enabled());
    // Deleted under the running countdown: none of the thirteen values can be written at the end.
    DeleteSettings();
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    CHECK(noc::Application().Terminated());
    // Nobody is there to answer: no beep, no box, and the shutdown request straight away.
    CHECK(rec.calls.size() == 1);
    CHECK(rec.Shutdowns().size() == 1);
    CHECK_FALSE(SettingsKeyExists());
}

TEST_CASE_FIXTURE(FreshApplication, "a box that comes up during a tick waits for the tick and holds no tick") {
    StoredSettings().Write();
    SeamRecorder rec;
    // Nobody answers: the box stays up until the countdown has ended, or for five seconds.
    rec.holdBox = [&](const RecordedCall&) { PumpUntil([&] { return !rec.Shutdowns().empty(); }); };
    auto form = MakeForm2("NocTuro.exe * 0 0 0 6");
    form->Chronos1->SetInterval(100);
    REQUIRE(form->Chronos1->Enabled());
    // Changed under the running countdown into something that cannot be read: the final warning,
    // which reads the flag again at every tick, reports it once.
    {
        const UniqueRegKey key = OpenKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, KEY_ALL_ACCESS);
        REQUIRE(key);
        const DWORD yes = 1;
        RegSetValueExA(key.get(), "Demarrage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&yes), sizeof(yes));
    }

    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }, 8000));
    REQUIRE(rec.calls.size() >= 3);
    CHECK(rec.calls[0].kind == RecordedCall::Beep);
    CHECK(rec.calls[1].kind == RecordedCall::Box);
    CHECK(rec.calls[1].caption == "Warning");
    CHECK(rec.calls[1].text == kReadError);
    // The countdown went on behind the box and ended while it was still up.
    const size_t shutdown = IndexOfShutdown(rec);
    REQUIRE(shutdown < rec.calls.size());
    CHECK(rec.calls[shutdown].behindBox);
    CHECK(rec.calls[1].before > shutdown);
    CHECK(rec.Boxes().size() == 1);
}

TEST_CASE_FIXTURE(FreshApplication, "a refused close of a protected countdown changes nothing but the stored values") {
    StoredSettings s;
    s.MdPasseOK = "oui";
    s.MdPasse = "secret";
    s.Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 2 0");
    REQUIRE(form->Chronos1->Enabled());
    REQUIRE(form->CheckBox3->Checked());
    // Three seconds gone.
    for (int i = 0; i < 3; ++i) form->Chronos1Timer(form->Chronos1);
    REQUIRE(form->Counters.Minutes == 1);
    REQUIRE(form->Counters.Seconds == 57);
    const HWND formWindow = form->Handle();
    const HWND appWindow = noc::Application().Handle();

    struct Request {
        const char* name;
        std::function<void()> ask;
    } requests[] = {
        {"Quitter", [&] { form->SpeedButton3Click(form->SpeedButton3); }},
        {"WM_CLOSE to the window", [&] { SendMessageA(formWindow, WM_CLOSE, 0, 0); }},
        {"WM_CLOSE to the application window", [&] { SendMessageA(appWindow, WM_CLOSE, 0, 0); }},
        {"the log-off question", [&] { CHECK(SendMessageA(formWindow, WM_QUERYENDSESSION, 0, 0) == FALSE); }},
    };
    for (const Request& r : requests) {
        CAPTURE(r.name);
        const noc::Remaining before = form->Counters;
        noc::WriteSetting("Minutes", "9");
        r.ask();
        CHECK(form->Counters.Days == before.Days);
        CHECK(form->Counters.Hours == before.Hours);
        CHECK(form->Counters.Minutes == before.Minutes);
        CHECK(form->Counters.Seconds == before.Seconds);
        CHECK(form->Chronos1->Enabled());
        CHECK_FALSE(noc::Application().Terminated());
        CHECK(noc::ReadSetting("Minutes") == "2");  // the save still happens
    }
    // The next tick counts on from where the countdown was.
    form->Chronos1Timer(form->Chronos1);
    CHECK(form->Counters.Minutes == 1);
    CHECK(form->Counters.Seconds == 56);
    CHECK(form->Label4->Caption() == "56");
    CHECK(rec.Boxes().empty());
    form->Chronos1->SetEnabled(false);
}

TEST_CASE_FIXTURE(FreshApplication, "a refused shutdown request is told, and answered before the program ends") {
    StoredSettings().Write();
    SeamRecorder rec;
    rec.shutdownRefused = ERROR_PRIVILEGE_NOT_HELD;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 1");
    form->Chronos1->SetInterval(5);
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    CHECK(noc::Application().Terminated());
    CHECK(noc::ReadSetting("Secondes") == "1");  // saved before
    // The message loop has ended with the close: the report waits for the program's last step.
    noc::ShowBoxesLeftAtEnd();
    REQUIRE(rec.calls.size() == 3);
    CHECK(rec.calls[0].kind == RecordedCall::Shutdown);
    CHECK(rec.calls[1].kind == RecordedCall::Beep);
    CHECK(rec.calls[2].kind == RecordedCall::Box);
    CHECK(rec.calls[2].caption == "Warning");
    CHECK((rec.calls[2].flags & MB_ICONWARNING) == MB_ICONWARNING);
    const std::string reason = noc::SystemErrorText(ERROR_PRIVILEGE_NOT_HELD);
    CHECK(rec.calls[2].text == noc::ShutdownRefusedText(reason, ERROR_PRIVILEGE_NOT_HELD));
    CHECK(rec.calls[2].text.find("Windows a refusé") != std::string::npos);
}

TEST_CASE_FIXTURE(FreshApplication, "an accepted shutdown request leaves nothing to tell") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 1");
    form->Chronos1->SetInterval(5);
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    noc::ShowBoxesLeftAtEnd();
    CHECK(rec.calls.size() == 1);
}

TEST_CASE_FIXTURE(FreshApplication,
                  "parameters on an all-zero dial: the refusal, then the window on its set-up panel") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 0");
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == "\r\nVous n'avez pas réglé le Chrono !");
    CHECK_FALSE(form->Chronos1->Enabled());
    CHECK(IsWindowVisible(form->Handle()));
    CHECK(Shown(form->TabControl1));
    CHECK_FALSE(Shown(form->TabControl2));
}

TEST_CASE_FIXTURE(FreshApplication, "held boxes keep their order and come after the hold; silenced ones never come") {
    SeamRecorder rec;
    StartApplication();
    {
        const noc::THeldBoxes held;
        noc::DefaultBeep();
        noc::ShowWarning("un");
        {
            const noc::THeldBoxes inner;
            noc::ShowInformation("deux");
        }
        {
            const noc::TSilencedBoxes quiet;
            noc::DefaultBeep();
            noc::ShowWarning("jamais");
        }
        const noc::TSilencedBoxes notNow(false);
        noc::ShowPlainMessage("trois");
        CHECK(rec.calls.empty());
    }
    REQUIRE(PumpUntil([&] { return rec.calls.size() == 4; }));
    CHECK(rec.calls[0].kind == RecordedCall::Beep);
    CHECK(rec.calls[1].text == "un");
    CHECK(rec.calls[2].text == "deux");
    CHECK(rec.calls[3].text == "trois");
    CHECK(rec.calls[3].caption == "NocTuro");
}

TEST_CASE_FIXTURE(FreshApplication,
                  "a close at zero that fails still ends in the shutdown request, reported after it") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 1");
    form->OnCloseQuery.Set([](noc::TObject*, bool&) { throw std::runtime_error("fermeture ratée"); });
    form->Chronos1->SetInterval(5);
    REQUIRE(PumpUntil([&] { return rec.Boxes().size() == 1; }));
    REQUIRE(rec.calls.size() == 2);
    CHECK(rec.calls[0].kind == RecordedCall::Shutdown);
    CHECK(rec.calls[1].text == "fermeture ratée.");
    CHECK(rec.calls[1].caption == "NocTuro");
}

TEST_CASE_FIXTURE(FreshApplication,
                  "the end is a moment of the world's time: awake until then, whatever comes between") {
    StoredSettings().Write();
    int64_t utc = 13360197600;  // 14 May 2024, 22:00 UTC, and on the wall clock
    SeamRecorder rec;
    rec.clockNow = [&utc] { return utc; };
    rec.localOffset = [](int64_t) { return int64_t{0}; };
    rec.worldMs = 5000000;
    auto form = MakeForm2();
    form->Chronos1->SetInterval(3600 * 1000);  // the ticks are the test's, each at its moment
    const auto tick = [&](uint64_t ms) {
        rec.worldMs += ms;
        utc += static_cast<int64_t>(ms / 1000);
        // The alert's file (none chosen) may not open: that tick ends there, as ever.
        noc::RunGuarded(form.get(), [&] { form->Chronos1Timer(form->Chronos1); });
    };
    const auto left = [&] { return noc::TicksToEnd(form->Counters); };

    SUBCASE("a stalled tick: the seconds it missed are skipped and the end keeps its second") {
        SetDial(*form, 0, 0, 1, 5);
        form->StartCountdown();
        const uint64_t start = rec.worldMs;
        CHECK(rec.awakeCalls == decltype(rec.awakeCalls){{true, L"NocTuro : extinction programmée à 22:01"}});
        tick(1000);
        tick(6000);  // five seconds late, past the one-minute notice's moment
        CHECK(left() == 58);
        for (int n = 0; n < 100 && rec.Shutdowns().empty(); ++n) tick(1000);
        REQUIRE(rec.Shutdowns().size() == 1);
        CHECK(rec.worldMs - start == 65 * 1000);
        CHECK_FALSE(rec.awakeCalls.back().first);
    }
    SUBCASE("back from a sleep or a gap: the clock's time left, never under a minute") {
        SetDial(*form, 0, 0, 5, 0);
        form->StartCountdown();
        rec.worldMs += 290 * 1000;  // asleep four minutes fifty
        SendMessageA(form->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        CHECK(left() == 60);
        SendMessageA(form->Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);  // the same wake, told again
        tick(1000);
        CHECK(left() == 59);
        tick(61 * 1000);  // a gap that no message told
        CHECK(left() == 60);
        form->CancelCountdown();
        CHECK(rec.awakeCalls.size() == 4);  // the start, each new end, the cancel
        CHECK_FALSE(rec.awakeCalls.back().first);
    }
    SUBCASE("a time of day: aimed at, re-aimed when the clock changes, stored until the dial is set by hand") {
        rec.inputAnswer = [](std::string& value) { return !(value = "23:30").empty(); };
        form->Image13Click(form->Image13);
        utc += 60;  // a minute before the click: the end is still 23:30
        form->StartCountdown();
        CHECK(left() == 5340);
        CHECK(rec.awakeCalls.back().second == L"NocTuro : extinction programmée à 23:30");
        tick(1000);
        utc -= 3600;  // the clock set back an hour
        SendMessageA(form->Handle(), WM_TIMECHANGE, 0, 0);
        CHECK(left() == 8939);
        form->CancelCountdown();
        form->SaveSettings();
        CHECK(noc::ReadSetting(noc::kTargetSettingName) == "23:30");
        form->Image8MouseUp(form->Image8, noc::TMouseButton::mbLeft, {}, 0, 0);
        form->SaveSettings();
        CHECK(noc::ReadSetting(noc::kTargetSettingName) == "");
    }
}

TEST_CASE_FIXTURE(FreshApplication, "each action at zero: its request, its words, and a refusal told in them") {
    const struct {
        const char* name;
        noc::EndAction action;
        std::string request;  // as recorded: empty for ExitWindowsEx
        UINT flags;
    } table[] = {
        {"eteindre", noc::EndAction::Shutdown, "", EWX_POWEROFF | EWX_FORCE},
        {"redemarrer", noc::EndAction::Restart, "", EWX_REBOOT | EWX_FORCE},
        {"veille", noc::EndAction::Sleep, "sleep", 0},
        {"veilleprolongee", noc::EndAction::Hibernate, "hibernate", 0},
        {"session", noc::EndAction::LogOff, "", EWX_LOGOFF | EWX_FORCE},
        {"verrouiller", noc::EndAction::Lock, "lock", 0},
    };
    for (const auto& row : table) {
        CAPTURE(row.name);
        FreshApplication::Reset();
        StoredSettings().Write();
        DisableShutdownPrivilege();
        SeamRecorder rec;
        rec.shutdownRefused = ERROR_ACCESS_DENIED;
        auto form = MakeForm2(std::string("NocTuro.exe * 0 0 0 1 * * * * * * * ") + row.name);
        CHECK(form->Label19->Caption() == noc::InfoOf(row.action).warning);
        form->Chronos1->SetInterval(5);
        REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
        noc::ShowBoxesLeftAtEnd();
        REQUIRE(rec.calls.size() == 3);
        CHECK(rec.calls[0].text == row.request);
        CHECK(rec.calls[0].flags == row.flags);
        // The privilege enabled first for every request but the lock.
        CHECK(DisableShutdownPrivilege() == (row.action != noc::EndAction::Lock));
        CHECK(rec.calls[2].text ==
              noc::ShutdownRefusedText(noc::SystemErrorText(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED, row.action));
        // Saved at the close: only a chosen action is written.
        CHECK(noc::ReadSetting(noc::kActionSettingName) == (row.action == noc::EndAction::Shutdown ? "" : row.name));
        form.reset();
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the menu beside the switch: the actions the computer can take, the choice kept") {
    StoredSettings().Write();
    SeamRecorder rec;
    rec.canHibernate = false;
    auto form = MakeForm2();
    CHECK(form->Image14->Caption() == "À zéro : Éteindre");
    rec.menuAnswer = [](const auto&) { return 2u; };  // «Redémarrer»
    form->Image14Click(form->Image14);
    REQUIRE(rec.Dialogs().size() == 1);
    CHECK(rec.Dialogs()[0].caption == "+Éteindre|Redémarrer|Mettre en veille|Fermer la session|Verrouiller");
    CHECK(form->Label19->Caption() == "Attention, l'ordinateur va redémarrer.");
    // The menu key on the switch offers the same menu, now with the restart checked.
    rec.canSleep = false;
    rec.menuAnswer = nullptr;
    SendMessageA(form->MyImage1->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->MyImage1->Handle()), -1);
    REQUIRE(rec.Dialogs().size() == 2);
    CHECK(rec.Dialogs()[1].caption == "Éteindre|+Redémarrer|Fermer la session|Verrouiller");
    form->SpeedButton3Click(form->SpeedButton3);
    CHECK(noc::ReadSetting(noc::kActionSettingName) == "redemarrer");
    form.reset();

    FreshApplication::Reset();
    form = MakeForm2();
    CHECK(form->Label19->Caption() == "Attention, l'ordinateur va redémarrer.");
    // A thirteenth parameter that is no action refuses the whole command line.
    form.reset();
    FreshApplication::Reset();
    rec.Clear();
    form = MakeForm2("NocTuro.exe * 0 0 5 0 * * * * * * * dormir");
    CHECK_FALSE(form->Chronos1->Enabled());
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == noc::BadActionParameterText("dormir"));
}
