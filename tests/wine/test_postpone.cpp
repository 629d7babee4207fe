// "+10 min" and the other ways to put the shutdown off without cancelling it: the end, the alert,
// the final warning and the notices moved by exactly the minutes asked for, the dial left alone,
// the tray's time and tooltip, the right click's amounts, the password of a protected countdown and
// the icons' menu. The ticks are given by hand, as in the other tests of the countdown.
#include <doctest/doctest.h>

#include <windows.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormFixture.h"
#include "TestFiles.h"
#include "app/Form2Ids.h"

using namespace testing;
using noc::TForm2;

namespace {

// The dial's four fields and arrows, as "DD:HH:MM:SS|d h m s".
std::string DialAndArrows(const TForm2& f) {
    return Dial(f) + "|" + std::to_string(f.UpDown4->Position()) + " " + std::to_string(f.UpDown1->Position()) + " " +
           std::to_string(f.UpDown2->Position()) + " " + std::to_string(f.UpDown3->Position());
}

// The time the countdown panel shows, "DD:HH:MM:SS".
std::string PanelTime(const TForm2& f) {
    return f.Label2->Caption() + ":" + f.Label7->Caption() + ":" + f.Label9->Caption() + ":" + f.Label4->Caption();
}

std::string Counters(const TForm2& f) {
    return std::to_string(f.Counters.Days) + " " + std::to_string(f.Counters.Hours) + " " +
           std::to_string(f.Counters.Minutes) + " " + std::to_string(f.Counters.Seconds);
}

bool Visible(const TForm2& f) { return IsWindowVisible(f.Handle()) != FALSE; }

// The panel's look during the countdown, outside the final warning and without a prompt.
void CheckPlainLook(const TForm2& f) {
    CheckWarningsWithoutPrompt(f);
    CHECK(f.SpeedButton1->Enabled());
}

// The notices the shell was given, by the minutes they tell.
std::vector<std::string> Notices(const SeamRecorder& rec) {
    std::vector<std::string> out;
    for (const ShellCall& c : rec.Shell(NIM_MODIFY))
        if (c.flags & NIF_INFO) out.push_back(c.info.substr(0, c.info.find(" (")));
    return out;
}
const char kTenMinutes[] = "L'ordinateur s'éteindra dans 10 minutes";
const char kOneMinute[] = "L'ordinateur s'éteindra dans 1 minute";

void PostToIcon(const noc::TNotifyIcon& icon, UINT event) {
    PostMessageA(noc::TTrayIconHandler::Window(), noc::WM_NOC_TRAY_CALLBACK, icon.TrayId(), event);
}

// A right click on a control, as the mouse gives it.
void RightClick(noc::TControl* c) {
    SendMessageA(c->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageA(c->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
}

// A countdown started from the switch, recorded from its first tick on.
struct Postponing : CountingForm {
    Postponing(int d, int h, int m, int s, const StoredSettings& stored = StoredSettings()) : CountingForm(stored) {
        Start(d, h, m, s);
        rec.Clear();
    }
};

// Stored settings with an alert sound that opens, played `lead` seconds before the end.
StoredSettings WithAlert(int lead = 20) {
    StoredSettings s;
    s.Alerte = "oui";
    s.Delai = lead;
    s.Son = WriteWave("postpone.wav");
    return s;
}

StoredSettings Protected() {
    StoredSettings s;
    s.MdPasseOK = "oui";
    s.MdPasse = "Secret";
    return s;
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication,
                  "a postpone puts the alert, the final warning and the end off by exactly its minutes") {
    // 40 seconds, 20 seconds of lead time: unmoved, the alert and the final warning come with tick
    // 20 and the end with tick 40. Each run is put off after 10 ticks.
    for (int minutes : {0, 5}) {
        CAPTURE(minutes);
        Postponing run(0, 0, 0, 40, WithAlert());
        TForm2& f = *run.form;
        run.Tick(10);
        if (minutes > 0) f.PostponeCountdown(minutes);
        CHECK(Counters(f) == "0 0 " + std::to_string(minutes) + " 30");
        int alertTick = 0, warningTick = 0, endTick = 0;
        for (int tick = 11; endTick == 0 && tick <= 10 + minutes * 60 + 40; ++tick) {
            run.Tick();
            if (alertTick == 0 && f.SoundOpen()) alertTick = tick;
            if (warningTick == 0 && Visible(f)) warningTick = tick;
            if (!run.rec.Shutdowns().empty()) endTick = tick;
        }
        CHECK(alertTick == 20 + minutes * 60);
        CHECK(warningTick == 20 + minutes * 60);
        CHECK(endTick == 40 + minutes * 60);
        // The dial keeps the time dialled, and so do the settings saved at zero.
        CHECK(DialAndArrows(f) == "00:00:00:40|0 0 0 40");
        CHECK(noc::ReadSetting("Secondes") == "40");
        CHECK(noc::ReadSetting("Minutes") == "0");
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the longest postpone, and several in a row, add up to the second") {
    Postponing run(0, 0, 3, 0);
    TForm2& f = *run.form;
    run.Tick(5);  // 2:55 left
    f.PostponeCountdown(60);
    CHECK(Counters(f) == "0 1 2 55");
    f.PostponeCountdown(10);
    f.PostponeCountdown(5);
    CHECK(Counters(f) == "0 1 17 55");
    CHECK(PanelTime(f) == "00:01:17:55");
    CHECK(f.Chronos1->Enabled());
    CHECK_FALSE(Visible(f));  // a postpone from outside the final warning shows nothing
    CHECK(DialAndArrows(f) == "00:00:03:00|0 0 3 0");
    // Only the counters moved: a cancel now puts the time left on the dial, as always.
    f.CancelCountdown();
    CHECK(DialAndArrows(f) == "00:01:17:55|0 1 17 55");
}

TEST_CASE_FIXTURE(
    FreshApplication,
    "\"+10 min\" in the final warning sends the window back to the tray, with the countdown's usual look") {
    Postponing run(0, 0, 0, 40, WithAlert());
    TForm2& f = *run.form;
    run.Tick(25);  // 15 left: the alert sounds, the window is back and flashes
    REQUIRE(Visible(f));
    REQUIRE(f.SoundOpen());
    REQUIRE_FALSE(f.SpeedButton1->Enabled());
    CHECK(f.SpeedButton4->Visible());
    CHECK(f.SpeedButton4->Enabled());
    CHECK(f.SpeedButton4->Caption() == "+10 min");

    SUBCASE("the button") { f.SpeedButton4Click(f.SpeedButton4); }
    SUBCASE("the icons' menu") {
        run.rec.menuAnswer = [](const std::vector<std::pair<UINT, std::string>>& items) {
            for (const auto& item : items)
                if (item.second == "Reporter de 10 minutes") return item.first;
            return 0u;
        };
        f.TrayIconMouseUp(f.NotifyIcon1, noc::TMouseButton::mbRight, 0, 0, 0);
        REQUIRE(run.rec.Dialogs().size() == 1);
    }

    CHECK_FALSE(Visible(f));
    CHECK_FALSE(f.SoundOpen());  // the alert stopped: it comes again before the new end
    CheckPlainLook(f);
    CHECK(Counters(f) == "0 0 10 15");
    CHECK(PanelTime(f) == "00:00:10:15");
    CHECK(f.Chronos1->Enabled());
    CHECK(DialAndArrows(f) == "00:00:00:40|0 0 0 40");
    CHECK(run.rec.Boxes().empty());
    CHECK(run.rec.Beeps().empty());

    // The next ticks leave the window where it is.
    run.Tick(3);
    CHECK_FALSE(Visible(f));
    CHECK(PanelTime(f) == "00:00:10:12");
    // Brought back, the panel shows the three buttons, "Réduire" usable.
    run.BringBack();
    CHECK(Visible(f));
    CHECK(f.SpeedButton1->Visible());
    CHECK(f.SpeedButton1->Enabled());
    CHECK(f.SpeedButton4->Visible());
    CHECK(f.SpeedButton2->Visible());
}

TEST_CASE_FIXTURE(FreshApplication,
                  "put off from the final warning, the alert and the final warning come again before the new end") {
    Postponing run(0, 0, 0, 40, WithAlert());
    TForm2& f = *run.form;
    run.Tick(25);  // 15 left, the alert played
    REQUIRE(f.SoundOpen());
    run.rec.menuAnswer = [](const std::vector<std::pair<UINT, std::string>>&) { return 5u; };
    RightClick(f.SpeedButton4);
    REQUIRE(Counters(f) == "0 0 5 15");
    REQUIRE_FALSE(Visible(f));
    REQUIRE_FALSE(f.SoundOpen());
    int alertTick = 0, warningTick = 0, endTick = 0;
    for (int tick = 1; endTick == 0 && tick <= 5 * 60 + 15; ++tick) {
        run.Tick();
        if (alertTick == 0 && f.SoundOpen()) alertTick = tick;
        if (warningTick == 0 && Visible(f)) warningTick = tick;
        if (!run.rec.Shutdowns().empty()) endTick = tick;
    }
    // 20 seconds before the new end, as before the old one; then the end, exactly 5 minutes late.
    CHECK(alertTick == 5 * 60 - 5);
    CHECK(warningTick == 5 * 60 - 5);
    CHECK(endTick == 5 * 60 + 15);
}

TEST_CASE_FIXTURE(FreshApplication, "\"+10 min\" shows with the countdown panel and goes with the countdown") {
    StoredSettings().Write();
    auto form = MakeForm2();
    CHECK_FALSE(form->SpeedButton4->Visible());
    // Between "Réduire" and "Annuler", four pixels from each, on their row.
    CHECK(form->SpeedButton4->Left() == form->SpeedButton1->Left() + form->SpeedButton1->Width() + 4);
    CHECK(form->SpeedButton4->Left() + form->SpeedButton4->Width() + 4 == form->SpeedButton2->Left());
    CHECK(form->SpeedButton4->Top() == form->SpeedButton2->Top());
    CHECK(form->SpeedButton4->Height() == form->SpeedButton2->Height());
    CHECK(GetDlgItem(form->Handle(), noc::idSpeedButton4) == form->SpeedButton4->Handle());
    SetDial(*form, 0, 0, 5, 0);
    form->Chronos1->SetInterval(3600 * 1000);
    form->StartCountdown();
    CHECK_FALSE(form->SpeedButton4->Visible());  // hidden with the window
    form->NotifyIcon1Click(form->NotifyIcon1);
    CHECK(form->SpeedButton4->Visible());
    form->SpeedButton2Click(form->SpeedButton2);
    CHECK_FALSE(form->SpeedButton4->Visible());
    CHECK(form->TabControl1->Visible());
    // A late click, or a menu that outlived the countdown, starts nothing.
    form->PostponeCountdown(10);
    CHECK_FALSE(form->Chronos1->Enabled());
}

TEST_CASE_FIXTURE(FreshApplication, "a right click on \"+10 min\" offers 5, 10, 15, 30 and 60 minutes") {
    SUBCASE("the menu's amounts") {
        for (UINT pick : {0u, 5u, 10u, 15u, 30u, 60u}) {
            CAPTURE(pick);
            Postponing run(0, 0, 5, 0);
            TForm2& f = *run.form;
            run.Tick();  // 4:59 left
            run.BringBack();
            run.rec.menuAnswer = [&](const std::vector<std::pair<UINT, std::string>>& items) {
                for (const auto& item : items)
                    if (item.first == pick) return pick;
                return 0u;
            };
            RightClick(f.SpeedButton4);
            const auto menus = run.rec.Dialogs();
            REQUIRE(menus.size() == 1);
            CHECK(menus[0].text == "menu");
            CHECK(menus[0].caption ==
                  "Reporter de 5 minutes|Reporter de 10 minutes|Reporter de 15 minutes|Reporter de 30 minutes|"
                  "Reporter de 60 minutes");
            const int left = 4 * 60 + 59 + static_cast<int>(pick) * 60;
            CHECK(Counters(f) == "0 " + std::to_string(left / 3600) + " " + std::to_string(left / 60 % 60) + " 59");
            CHECK(Visible(f));  // outside the final warning the window stays
            CHECK(f.Chronos1->Enabled());
        }
    }
    SUBCASE("a left click opens no menu and puts the end off by ten minutes") {
        Postponing run(0, 0, 5, 0);
        TForm2& f = *run.form;
        run.BringBack();
        SendMessageA(f.SpeedButton4->Handle(), BM_CLICK, 0, 0);
        CHECK(run.rec.Dialogs().empty());
        CHECK(Counters(f) == "0 0 15 0");
    }
}

TEST_CASE_FIXTURE(FreshApplication, "a protected countdown asks for the password before a postpone") {
    Postponing run(0, 0, 5, 0, Protected());
    TForm2& f = *run.form;
    run.Tick(3);  // 4:57 left
    run.BringBack();

    SUBCASE("the button: a wrong password is refused as for Annuler, the right one puts the end off") {
        f.SpeedButton4Click(f.SpeedButton4);
        CHECK(f.Label13->Visible());
        CHECK(f.Edit2->Visible());
        CHECK(f.Button4->Visible());
        CHECK_FALSE(f.Label19->Visible());
        CHECK(Counters(f) == "0 0 4 57");
        run.Tick();  // the countdown goes on meanwhile
        CHECK(f.Edit2->Visible());

        f.Edit2->SetText("secret");
        f.Button4Click(f.Button4);
        CHECK(f.Label15->Visible());
        CHECK(f.Edit2->Text().empty());
        CHECK(run.rec.Beeps().size() == 1);
        CHECK(Counters(f) == "0 0 4 56");
        CHECK(PanelTime(f) == "00:00:04:56");

        f.Edit2->SetText("Secret");
        f.Button4Click(f.Button4);
        CHECK(Counters(f) == "0 0 14 56");
        CHECK(PanelTime(f) == "00:00:14:56");
        CHECK(f.Chronos1->Enabled());
        CHECK(Visible(f));
        CheckPlainLook(f);
        CHECK(f.PasswordAccepted == "non");
        CHECK(DialAndArrows(f) == "00:00:05:00|0 0 5 0");

        // The password was for that one postpone: the next one, and Annuler, ask again.
        f.SpeedButton4Click(f.SpeedButton4);
        CHECK(f.Edit2->Visible());
        CHECK(Counters(f) == "0 0 14 56");
        f.SpeedButton2Click(f.SpeedButton2);
        CHECK(f.Edit2->Visible());
        CHECK(f.Chronos1->Enabled());
    }
    SUBCASE("the right click's amount waits for the password") {
        run.rec.menuAnswer = [](const std::vector<std::pair<UINT, std::string>>&) { return 30u; };
        RightClick(f.SpeedButton4);
        CHECK(f.Edit2->Visible());
        CHECK(Counters(f) == "0 0 4 57");
        f.Edit2->SetText("Secret");
        f.Button4Click(f.Button4);
        CHECK(Counters(f) == "0 0 34 57");
        CHECK(f.Chronos1->Enabled());
    }
    SUBCASE("Réduire over the prompt puts nothing off") {
        f.SpeedButton4Click(f.SpeedButton4);
        f.Edit2->SetText("Secret");
        f.SpeedButton1Click(f.SpeedButton1);
        CHECK_FALSE(Visible(f));
        CHECK(Counters(f) == "0 0 4 57");
        CHECK_FALSE(f.Edit2->Visible());
    }
    SUBCASE("the prompt answers the last request: Annuler after +10 min cancels") {
        f.SpeedButton4Click(f.SpeedButton4);
        f.SpeedButton2Click(f.SpeedButton2);
        f.Edit2->SetText("Secret");
        f.Button4Click(f.Button4);
        CHECK_FALSE(f.Chronos1->Enabled());
        CHECK(DialAndArrows(f) == "00:00:04:57|0 0 4 57");
    }
    SUBCASE("+10 min after Annuler puts the end off") {
        f.SpeedButton2Click(f.SpeedButton2);
        f.SpeedButton4Click(f.SpeedButton4);
        f.Edit2->SetText("Secret");
        f.Button4Click(f.Button4);
        CHECK(f.Chronos1->Enabled());
        CHECK(Counters(f) == "0 0 14 57");
    }
    CHECK(f.PasswordAccepted != "oui");
}

TEST_CASE_FIXTURE(FreshApplication,
                  "a protected countdown's final warning: the right password puts it off and the window goes") {
    StoredSettings s = Protected();
    s.Delai = 20;
    Postponing run(0, 0, 0, 40, s);
    TForm2& f = *run.form;
    // The alert moment fails to open a sound nobody chose: that tick ends there, the next one warns.
    run.Tick(19);
    CHECK_THROWS_AS(run.Tick(), noc::EAbort);
    run.Tick(5);
    REQUIRE(Visible(f));
    f.SpeedButton4Click(f.SpeedButton4);
    CHECK(Visible(f));
    CHECK(f.Edit2->Visible());
    f.Edit2->SetText("nope");
    f.Button4Click(f.Button4);
    CHECK(Visible(f));
    CHECK(Counters(f) == "0 0 0 15");
    f.Edit2->SetText("Secret");
    f.Button4Click(f.Button4);
    CHECK_FALSE(Visible(f));
    CheckPlainLook(f);
    CHECK(Counters(f) == "0 0 10 15");
}

TEST_CASE_FIXTURE(FreshApplication, "the notices follow the new end, and come again when it makes them due again") {
    SUBCASE("from 30 seconds left to 10:30: the ten-minute notice, then the one-minute notice again") {
        Postponing run(0, 0, 1, 30);
        TForm2& f = *run.form;
        run.Tick(30);  // 60 left
        CHECK(Notices(run.rec) == std::vector<std::string>{kOneMinute});
        run.Tick(30);  // 30 left
        f.PostponeCountdown(10);
        CHECK(Counters(f) == "0 0 10 30");
        CHECK(Notices(run.rec).size() == 1);
        run.Tick(29);
        CHECK(Notices(run.rec).size() == 1);
        run.Tick();  // 600 left
        CHECK(Notices(run.rec) == std::vector<std::string>{kOneMinute, kTenMinutes});
        run.Tick(539);
        CHECK(Notices(run.rec).size() == 2);
        run.Tick();  // 60 left
        CHECK(Notices(run.rec) == std::vector<std::string>{kOneMinute, kTenMinutes, kOneMinute});
    }
    SUBCASE("a postpone that lands on a notice's moment gives it at once, and once") {
        Postponing run(0, 0, 5, 10);
        TForm2& f = *run.form;
        run.Tick(10);  // 5:00 left
        CHECK(Notices(run.rec).empty());
        f.PostponeCountdown(5);
        CHECK(Counters(f) == "0 0 10 0");
        CHECK(Notices(run.rec) == std::vector<std::string>{kTenMinutes});
        run.Tick();
        CHECK(Notices(run.rec).size() == 1);
    }
    SUBCASE("a notice's clock time is the new end's") {
        Postponing run(0, 0, 1, 30);
        TForm2& f = *run.form;
        run.Tick(31);             // 59 left
        f.PostponeCountdown(10);  // 10:59 left
        run.Tick(59);             // 600 left
        const auto given = run.rec.Shell(NIM_MODIFY);
        std::string text;
        for (const ShellCall& c : given)
            if (c.flags & NIF_INFO) text = c.info;
        SYSTEMTIME now{};
        GetLocalTime(&now);
        const int nowSeconds = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
        // Given a moment ago, at most a few seconds: the end it tells is 600 seconds after it.
        bool matches = false;
        for (int back = 0; back <= 5 && !matches; ++back)
            matches = text == noc::EndNoticeText(600, (nowSeconds - back + 86400) % 86400);
        CHECK_MESSAGE(matches, text);
    }
}

TEST_CASE_FIXTURE(FreshApplication,
                  "the tray shows the new time; an hours icon the new time needs comes in its place") {
    StoredSettings chrono;
    chrono.Chrono = "oui";

    SUBCASE("55 minutes put off by ten: the hours come before the minutes") {
        Postponing run(0, 0, 55, 0, chrono);
        TForm2& f = *run.form;
        run.Tick();  // 54:59 left
        REQUIRE_FALSE(f.TextTrayIcon3->IconVisible());
        run.rec.Clear();
        f.PostponeCountdown(10);
        // All taken away, as by "Annuler", and the four that the new time needs added in order.
        CHECK(Sequence(run.rec, NIM_DELETE, f) ==
              std::vector<std::string>{"seconds", "minutes", "hours", "days", "program"});
        CHECK(Sequence(run.rec, NIM_ADD, f) == std::vector<std::string>{"hours", "minutes", "seconds", "program"});
        CHECK(f.TextTrayIcon1->Text() == ":59");
        CHECK(f.TextTrayIcon2->Text() == ":04");
        CHECK(f.TextTrayIcon3->Text() == " 01");
        for (noc::TNotifyIcon* icon :
             std::initializer_list<noc::TNotifyIcon*>{f.NotifyIcon1, f.TextTrayIcon1, f.TextTrayIcon2, f.TextTrayIcon3})
            CHECK(ShellHas(icon->TrayId()));
        CHECK_FALSE(f.TextTrayIcon4->IconVisible());
        CHECK(f.NotifyIcon1->CycleIcons());
        // A second postpone needs no new icon: only the texts change.
        run.rec.Clear();
        f.PostponeCountdown(10);
        CHECK(run.rec.Shell(NIM_ADD).empty());
        CHECK(run.rec.Shell(NIM_DELETE).empty());
        CHECK(f.TextTrayIcon2->Text() == ":14");
    }
    SUBCASE("within the hour no icon comes or goes") {
        Postponing run(0, 0, 5, 0, chrono);
        TForm2& f = *run.form;
        run.Tick();
        run.rec.Clear();
        f.PostponeCountdown(10);
        CHECK(run.rec.Shell(NIM_ADD).empty());
        CHECK(run.rec.Shell(NIM_DELETE).empty());
        CHECK(f.TextTrayIcon1->Text() == ":59");
        CHECK(f.TextTrayIcon2->Text() == " 14");
    }
    SUBCASE("23:55 put off by ten: the days come in, before the hours") {
        Postponing run(0, 23, 55, 0, chrono);
        TForm2& f = *run.form;
        run.rec.Clear();
        f.PostponeCountdown(10);
        // The hours are asked for twice, as at a start with days and hours.
        CHECK(Sequence(run.rec, NIM_ADD, f) ==
              std::vector<std::string>{"days", "hours", "hours", "minutes", "seconds", "program"});
        CHECK(f.TextTrayIcon4->Text() == "01");
        CHECK(f.TextTrayIcon3->Text() == "j 00");
        CHECK(f.TextTrayIcon2->Text() == ":05");
    }
    SUBCASE("without the time icons the tooltip tells the new time") {
        Postponing run(0, 0, 5, 0);
        TForm2& f = *run.form;
        run.Tick();
        PostToIcon(*f.NotifyIcon1, WM_MOUSEMOVE);
        REQUIRE(PumpUntil([&] { return !f.NotifyIcon1->Hint().empty(); }, 3000));
        f.PostponeCountdown(10);
        CHECK(f.NotifyIcon1->Hint() == "Extinction de l'ordinateur dans : 00j00h14m59s");
        CHECK_FALSE(f.TextTrayIcon1->IconVisible());
        REQUIRE(PumpUntil(
            [&] {
                const auto sent = run.rec.Shell(NIM_MODIFY, f.NotifyIcon1->TrayId());
                return !sent.empty() && sent.back().tip == "Extinction de l'ordinateur dans : 00j00h14m59s";
            },
            3000));
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the icons' menu puts the countdown off by ten minutes, the way of the button") {
    for (const char* which : {"program", "seconds"})
        for (bool protectedCountdown : {false, true}) {
            CAPTURE(which);
            CAPTURE(protectedCountdown);
            StoredSettings s = protectedCountdown ? Protected() : StoredSettings();
            s.Chrono = "oui";
            Postponing run(0, 0, 5, 0, s);
            TForm2& f = *run.form;
            run.Tick();  // 4:59 left
            noc::TNotifyIcon* icon =
                which == std::string("program") ? static_cast<noc::TNotifyIcon*>(f.NotifyIcon1) : f.TextTrayIcon1;
            run.rec.menuAnswer = [&](const std::vector<std::pair<UINT, std::string>>& items) {
                for (const auto& item : items)
                    if (item.second == "Reporter de 10 minutes") return item.first;
                return 0u;
            };
            PostToIcon(*icon, WM_RBUTTONDOWN);
            PostToIcon(*icon, WM_RBUTTONUP);
            REQUIRE(PumpUntil([&] { return !run.rec.Dialogs().empty(); }, 3000));
            REQUIRE(QueueDrained());
            REQUIRE(run.rec.Dialogs().size() == 1);
            CHECK(run.rec.Dialogs()[0].caption ==
                  "Afficher le compte à rebours|Reporter de 10 minutes|Annuler le compte à rebours");
            CHECK(f.Chronos1->Enabled());
            if (!protectedCountdown) {
                // Put off at once; the window stays away.
                CHECK(Counters(f) == "0 0 14 59");
                CHECK(f.TextTrayIcon2->Text() == " 14");
                CHECK_FALSE(Visible(f));
                continue;
            }
            // The prompt, in the window, as for a cancel from the menu; nothing put off yet.
            CHECK(Visible(f));
            CHECK(f.TabControl2->Visible());
            CHECK(f.Edit2->Visible());
            CHECK(Counters(f) == "0 0 4 59");
            f.Edit2->SetText("Secret");
            f.Button4Click(f.Button4);
            CHECK(Counters(f) == "0 0 14 59");
            CheckPlainLook(f);
        }
}
