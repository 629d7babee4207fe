// The countdown in the notification area, as the program's window drives it: which icons a start
// shows and in which order, the texts each tick writes, the program icon's tooltip and click,
// "Réduire", "Annuler", the taskbar's re-creation and the end of the program.
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "framework/Application.h"

using namespace testing;
using noc::TForm2;

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlack = 0x000000;  // as pictures' pixels

std::vector<noc::TNotifyIcon*> AllIcons(const TForm2& f) {
    return {f.NotifyIcon1, f.TextTrayIcon1, f.TextTrayIcon2, f.TextTrayIcon3, f.TextTrayIcon4};
}

void PostToIcon(const noc::TNotifyIcon& icon, UINT event) {
    PostMessageA(noc::TTrayIconHandler::Window(), noc::WM_NOC_TRAY_CALLBACK, icon.TrayId(), event);
}

// A countdown started from the switch, the start's requests to the shell recorded.
struct Counting : CountingForm {
    Counting(int d, int h, int m, int s, const char* chrono = "oui", const char* colour = "clMedGray",
             int smallIconSize = 0)
        : CountingForm(
              [&] {
                  StoredSettings stored;
                  stored.Chrono = chrono;
                  stored.Couleur = colour;
                  return stored;
              }(),
              smallIconSize) {
        rec.Clear();
        Start(d, h, m, s);
    }
};

}  // namespace

TEST_CASE("a start shows the icons so that they read days, hours, minutes, seconds") {
    struct Case {
        int d, h, m, s;
        const char* chrono;
        std::vector<std::string> added;
        std::vector<std::string> texts;  // seconds, minutes, hours, days
    } cases[] = {
        // Wine reports Windows 7: each new icon goes to the right of the others.
        {0, 0, 5, 0, "oui", {"minutes", "seconds", "program"}, {":00", " 05", " 00", "00"}},
        {1, 2, 3, 4, "oui", {"days", "hours", "hours", "minutes", "seconds", "program"}, {":04", ":03", "j 02", "01"}},
        {0, 5, 3, 4, "oui", {"hours", "minutes", "seconds", "program"}, {":04", ":03", " 05", "00"}},
        {12, 0, 0, 0, "oui", {"days", "hours", "minutes", "seconds", "program"}, {":00", ":00", "j 00", "12"}},
        {0, 0, 5, 0, "non", {"program"}, {":00", " 05", " 00", "00"}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.d);
        CAPTURE(c.h);
        CAPTURE(c.m);
        CAPTURE(c.chrono);
        Counting run(c.d, c.h, c.m, c.s, c.chrono);
        TForm2& f = *run.form;
        CHECK(Sequence(run.rec, NIM_ADD, f) == c.added);
        CHECK(f.TextTrayIcon1->Text() == c.texts[0]);
        CHECK(f.TextTrayIcon2->Text() == c.texts[1]);
        CHECK(f.TextTrayIcon3->Text() == c.texts[2]);
        CHECK(f.TextTrayIcon4->Text() == c.texts[3]);
        for (noc::TNotifyIcon* icon : AllIcons(f)) {
            const bool added = !run.rec.Shell(NIM_ADD, icon->TrayId()).empty();
            CHECK(icon->IconVisible() == added);
            CHECK(ShellHas(icon->TrayId()) == added);
        }
        // The program icon pulses through the frames made for systems other than XP.
        CHECK(f.NotifyIcon1->CycleIcons());
        CHECK(f.NotifyIcon1->IconList() == f.ImageList2);
        CHECK(run.rec.Shell(NIM_ADD, f.NotifyIcon1->TrayId())[0].icon == f.ImageList2->Image(0)->Handle());
        CHECK(run.rec.Shell(NIM_ADD, f.TextTrayIcon1->TrayId()).size() <= 1);
    }
}

TEST_CASE("each tick writes the four texts; the hours icon stays when the hours run out") {
    Counting run(0, 1, 0, 0);
    TForm2& f = *run.form;
    REQUIRE(f.TextTrayIcon3->IconVisible());
    run.rec.Clear();
    f.Chronos1Timer(f.Chronos1);
    CHECK(f.TextTrayIcon1->Text() == ":59");
    CHECK(f.TextTrayIcon2->Text() == ":59");
    CHECK(f.TextTrayIcon3->Text() == " 00");
    CHECK(f.TextTrayIcon4->Text() == "00");
    CHECK(f.TextTrayIcon3->IconVisible());
    // Every text goes to the shell, in the order seconds, minutes, hours, days, shown or not.
    const std::vector<std::string> renders = Sequence(run.rec, NIM_MODIFY, f);
    std::vector<std::string> texts;
    for (const std::string& n : renders)
        if (n != "program") texts.push_back(n);
    CHECK(texts == std::vector<std::string>{"seconds", "minutes", "hours", "days"});
    CHECK(run.rec.Shell(NIM_ADD).empty());
    CHECK(run.rec.Shell(NIM_DELETE).empty());
}

TEST_CASE("the digits are drawn in the digit colour") {
    SUBCASE("a stored colour") {
        Counting run(0, 0, 5, 0, "oui", "clRed");
        CHECK(PictureOf(run.form->TextTrayIcon2->Icon().Handle()).CountOf(kRed) > 10);
        CHECK(PictureOf(run.form->TextTrayIcon2->Icon().Handle()).CountOf(kBlack) == 0);
    }
    SUBCASE("medium grey, the default, stands for black") {
        Counting run(0, 0, 5, 0, "oui", "clMedGray");
        const IconPicture p = PictureOf(run.form->TextTrayIcon2->Icon().Handle());
        CHECK(p.CountOf(kBlack) > 10);
        CHECK(p.Opaque() == p.CountOf(kBlack));  // the rest is see-through
    }
}

TEST_CASE("the program icon's tooltip tells the time when the time icons do not") {
    auto hintAfterMove = [](Counting& run) {
        run.form->Chronos1Timer(run.form->Chronos1);  // the labels now read 00 00 04 59
        run.rec.Clear();
        PostToIcon(*run.form->NotifyIcon1, WM_MOUSEMOVE);
        PumpUntil([&] { return !run.rec.Shell(NIM_MODIFY, run.form->NotifyIcon1->TrayId()).empty(); }, 3000);
        const auto sent = run.rec.Shell(NIM_MODIFY, run.form->NotifyIcon1->TrayId());
        return sent.empty() ? std::string("(nothing sent)") : sent.back().tip;
    };
    SUBCASE("time icons shown") {
        Counting run(0, 0, 5, 0, "oui");
        CHECK(hintAfterMove(run) == "Extinction de l'ordinateur...");
    }
    SUBCASE("no time icons: the time on one line") {
        Counting run(0, 0, 5, 0, "non");
        CHECK(hintAfterMove(run) == "Extinction de l'ordinateur dans : 00j00h04m59s");
    }
    SUBCASE("once asked for, it follows each tick through the animation's pictures, with no request of its own") {
        Counting run(0, 0, 5, 0, "non");
        TForm2& f = *run.form;
        const UINT program = f.NotifyIcon1->TrayId();
        f.Chronos1Timer(f.Chronos1);
        CHECK(f.NotifyIcon1->Hint().empty());  // nothing before the pointer came
        REQUIRE(hintAfterMove(run) == "Extinction de l'ordinateur dans : 00j00h04m58s");
        run.rec.Clear();
        f.Chronos1Timer(f.Chronos1);
        CHECK(run.rec.Shell(NIM_MODIFY, program).empty());
        CHECK(f.NotifyIcon1->Hint() == "Extinction de l'ordinateur dans : 00j00h04m57s");
        REQUIRE(PumpUntil([&] { return !run.rec.Shell(NIM_MODIFY, program).empty(); }, 3000));
        CHECK(run.rec.Shell(NIM_MODIFY, program).back().tip == "Extinction de l'ordinateur dans : 00j00h04m57s");
    }
    SUBCASE("the text icons keep their own tooltips") {
        Counting run(1, 2, 3, 4, "oui");
        CHECK(run.rec.Shell(NIM_ADD, run.form->TextTrayIcon1->TrayId())[0].tip == "Secondes");
        CHECK(run.rec.Shell(NIM_ADD, run.form->TextTrayIcon2->TrayId())[0].tip == "Minutes");
        CHECK(run.rec.Shell(NIM_ADD, run.form->TextTrayIcon3->TrayId())[0].tip == "Heures");
        CHECK(run.rec.Shell(NIM_ADD, run.form->TextTrayIcon4->TrayId())[0].tip == "Jours");
    }
}

TEST_CASE("a click on the program icon brings the window back, Réduire sends it away") {
    Counting run(0, 0, 5, 0);
    TForm2& f = *run.form;
    REQUIRE_FALSE(IsWindowVisible(f.Handle()));
    PostToIcon(*f.NotifyIcon1, WM_LBUTTONDOWN);
    PostToIcon(*f.NotifyIcon1, WM_LBUTTONUP);
    REQUIRE(PumpUntil([&] { return IsWindowVisible(f.Handle()) != FALSE; }, 3000));
    CHECK(PumpUntil([&] { return GetForegroundWindow() == f.Handle(); }, 3000));
    CHECK(f.TabControl2->Visible());
    CHECK_FALSE(f.TabControl1->Visible());
    CHECK(f.SpeedButton2->Visible());
    CHECK(f.SpeedButton1->Visible());
    CHECK(f.SpeedButton1->Enabled());
    CHECK_FALSE(f.Image7->Enabled());
    CHECK_FALSE(f.Label3->Enabled());

    SUBCASE("Réduire, also over an open password prompt") {
        f.CheckBox3->SetChecked(true);
        f.SpeedButton2Click(f.SpeedButton2);  // the prompt
        REQUIRE(f.Edit2->Visible());
        f.Edit2->SetText("abc");
        f.SpeedButton1Click(f.SpeedButton1);
        CHECK_FALSE(IsWindowVisible(f.Handle()));
        CheckWarningsWithoutPrompt(f);
        CHECK(f.Chronos1->Enabled());  // the countdown goes on
        for (noc::TNotifyIcon* icon :
             std::initializer_list<noc::TNotifyIcon*>{f.NotifyIcon1, f.TextTrayIcon1, f.TextTrayIcon2})
            CHECK(ShellHas(icon->TrayId()));
    }
    SUBCASE("Annuler takes every icon away") {
        run.rec.Clear();
        f.SpeedButton2Click(f.SpeedButton2);
        CHECK_FALSE(f.Chronos1->Enabled());
        CHECK(Sequence(run.rec, NIM_DELETE, f) ==
              std::vector<std::string>{"seconds", "minutes", "hours", "days", "program"});
        for (noc::TNotifyIcon* icon : AllIcons(f)) {
            CHECK_FALSE(icon->IconVisible());
            CHECK_FALSE(ShellHas(icon->TrayId()));
        }
        CHECK_FALSE(f.NotifyIcon1->CycleIcons());
        const size_t sent = run.rec.shell.size();
        // The animation has stopped: three of its periods bring no picture.
        REQUIRE(TimerTicked(f.NotifyIcon1->CycleInterval(), 3));
        CHECK(run.rec.shell.size() == sent);
        CHECK(IsWindowVisible(f.Handle()));
        CHECK(f.TabControl1->Visible());
    }
}

namespace {

// The notices the shell was given, as (icon, text) pairs.
std::vector<std::pair<std::string, std::string>> Notices(const SeamRecorder& rec, const TForm2& f) {
    auto names = IconNames(f);
    std::vector<std::pair<std::string, std::string>> out;
    for (const ShellCall& c : rec.Shell(NIM_MODIFY))
        if (c.flags & NIF_INFO) {
            CHECK(c.infoTitle == "NocTuro");
            CHECK(c.infoFlags == NIIF_INFO);
            CHECK(c.answer);  // the notification area took it
            out.emplace_back(names[c.id], c.info);
        }
    return out;
}

// The clock time `seconds` from now, as "HH:MM".
std::string ClockIn(int seconds) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const int end = (now.wHour * 3600 + now.wMinute * 60 + now.wSecond + seconds) % 86400;
    char text[8];
    wsprintfA(text, "%02d:%02d", end / 3600, end / 60 % 60);
    return text;
}

}  // namespace

TEST_CASE("notices ten minutes and one minute before the end, from the program icon") {
    struct Case {
        const char* name;
        int minutes, seconds;  // the dial
        int ticks;
        int noticeLeft;  // the seconds left that the one notice tells; 0: none
    };
    for (const Case& c : {Case{"ten minutes before a longer countdown", 10, 2, 2, 600},
                          Case{"none for a countdown of just ten minutes", 10, 0, 1, 0},
                          Case{"only the one-minute notice for a shorter countdown", 1, 30, 30, 60},
                          Case{"one minute before", 1, 1, 1, 60}, Case{"nothing between the notices", 10, 30, 20, 0}}) {
        CAPTURE(c.name);
        Counting run(0, 0, c.minutes, c.seconds);
        TForm2& f = *run.form;
        run.rec.Clear();
        std::string before, after;
        for (int i = 0; i < c.ticks; ++i) {
            before = ClockIn(c.noticeLeft);
            f.Chronos1Timer(f.Chronos1);
            after = ClockIn(c.noticeLeft);
        }
        const auto notices = Notices(run.rec, f);
        if (c.noticeLeft == 0) {
            CHECK(notices.empty());
            continue;
        }
        REQUIRE(notices.size() == 1);
        CHECK(notices[0].first == "program");
        const std::string head = c.noticeLeft == 600 ? "L'ordinateur s'éteindra dans 10 minutes (à "
                                                     : "L'ordinateur s'éteindra dans 1 minute (à ";
        CHECK((notices[0].second == head + before + ")." || notices[0].second == head + after + ")."));
        // The notice is given once: the animation's next pictures do not repeat it.
        const size_t sent = run.rec.shell.size();
        REQUIRE(TimerTicked(f.NotifyIcon1->CycleInterval(), 3));
        CHECK(run.rec.shell.size() > sent);
        CHECK(Notices(run.rec, f).size() == 1);
    }
}

TEST_CASE("a click on a notice brings the window back on the countdown, while it runs") {
    Counting run(0, 0, 10, 1);
    TForm2& f = *run.form;
    f.Chronos1Timer(f.Chronos1);
    REQUIRE(Notices(run.rec, f).size() == 1);
    REQUIRE_FALSE(IsWindowVisible(f.Handle()));
    SUBCASE("counting") {
        PostToIcon(*f.NotifyIcon1, NIN_BALLOONUSERCLICK);
        REQUIRE(PumpUntil([&] { return IsWindowVisible(f.Handle()) != FALSE; }, 3000));
        CHECK(f.TabControl2->Visible());
        CHECK(f.SpeedButton2->Visible());
        CHECK(f.SpeedButton1->Visible());
    }
    SUBCASE("cancelled meanwhile: the notice's click does nothing") {
        f.SpeedButton2Click(f.SpeedButton2);
        f.Hide();
        PostToIcon(*f.NotifyIcon1, NIN_BALLOONUSERCLICK);
        REQUIRE(QueueDrained());
        CHECK_FALSE(IsWindowVisible(f.Handle()));
    }
}

TEST_CASE("a click on a time icon brings the window back on the countdown, as one on the program icon") {
    for (const char* which : {"seconds", "minutes", "hours", "days"}) {
        CAPTURE(which);
        Counting run(1, 2, 3, 4);
        TForm2& f = *run.form;
        noc::TNotifyIcon* icon = nullptr;
        for (noc::TNotifyIcon* i : AllIcons(f))
            if (IconNames(f)[i->TrayId()] == which) icon = i;
        REQUIRE(icon != nullptr);
        REQUIRE(icon->IconVisible());
        REQUIRE_FALSE(IsWindowVisible(f.Handle()));
        PostToIcon(*icon, WM_LBUTTONDOWN);
        PostToIcon(*icon, WM_LBUTTONUP);
        REQUIRE(PumpUntil([&] { return IsWindowVisible(f.Handle()) != FALSE; }, 3000));
        CHECK(f.TabControl2->Visible());
        CHECK(f.SpeedButton2->Visible());
        CHECK(f.SpeedButton1->Visible());
    }
}

TEST_CASE("a right click on any icon offers to show the countdown or to cancel it") {
    struct Case {
        const char* name;
        UINT pick;  // 0: the menu dismissed
        bool protectedCountdown;
    };
    for (const char* which : {"program", "seconds", "days"})
        for (const Case& c : {Case{"dismissed: nothing", 0, false}, Case{"shown", 1, false},
                              Case{"cancelled", 2, false}, Case{"cancel asks for the password", 2, true}}) {
            CAPTURE(which);
            CAPTURE(c.name);
            Counting run(1, 2, 3, 4);
            TForm2& f = *run.form;
            f.CheckBox3->SetChecked(c.protectedCountdown);
            noc::TNotifyIcon* icon = nullptr;
            for (noc::TNotifyIcon* i : AllIcons(f))
                if (IconNames(f)[i->TrayId()] == which) icon = i;
            REQUIRE(icon != nullptr);
            run.rec.menuAnswer = [&](const std::vector<std::pair<UINT, std::string>>& items) {
                for (const auto& item : items)
                    if (item.first == c.pick) return c.pick;
                return 0u;
            };
            PostToIcon(*icon, WM_RBUTTONDOWN);
            PostToIcon(*icon, WM_RBUTTONUP);
            REQUIRE(PumpUntil([&] { return !run.rec.Dialogs().empty(); }, 3000));
            REQUIRE(QueueDrained());
            const auto menus = run.rec.Dialogs();
            REQUIRE(menus.size() == 1);
            CHECK(menus[0].text == "menu");
            CHECK(menus[0].caption ==
                  "Afficher le compte à rebours|Reporter de 10 minutes|Annuler le compte à rebours");
            const bool counting = c.pick != 2 || c.protectedCountdown;
            CHECK(f.Chronos1->Enabled() == counting);
            CHECK((IsWindowVisible(f.Handle()) != FALSE) == (c.pick != 0));
            if (c.pick == 1 || c.protectedCountdown) CHECK(f.TabControl2->Visible());
            CHECK(f.Edit2->Visible() == c.protectedCountdown);  // the prompt, as after "Annuler"
            if (c.pick == 2 && !c.protectedCountdown) CHECK(f.TabControl1->Visible());
        }
}

// The smallest rectangle around the pixels of one colour, edges included.
struct Ink {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};
Ink InkOf(const IconPicture& p, uint32_t colour) {
    Ink ink;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!p.ClearAt(x, y) && p.At(x, y) == colour) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

TEST_CASE("the pictures at the shell's small-icon size, drawn again when it changes") {
    const std::vector<noc::TTextTrayIcon* TForm2::*> texts = {&TForm2::TextTrayIcon1, &TForm2::TextTrayIcon2,
                                                              &TForm2::TextTrayIcon3, &TForm2::TextTrayIcon4};
    std::vector<IconPicture> at16;
    {
        Counting run(1, 2, 3, 4);
        for (auto icon : texts) at16.push_back(PictureOf(((*run.form).*icon)->Icon().Handle()));
    }
    Counting run(1, 2, 3, 4, "oui", "clMedGray", 24);
    TForm2& f = *run.form;
    REQUIRE(Sequence(run.rec, NIM_ADD, f).size() == 6);  // the hours twice, as any start of a day or more
    for (const ShellCall& c : run.rec.Shell(NIM_ADD)) {
        INFO("icon ", c.id);
        CHECK(c.picture.width == 24);
        CHECK(c.picture.height == 24);
        CHECK(c.picture.Opaque() > 0);
    }
    // The digits: taller by the scale, at the place the 16-pixel design puts them, scaled.
    for (size_t i = 0; i < texts.size(); ++i) {
        noc::TTextTrayIcon& icon = *(f.*texts[i]);
        INFO("text «", icon.Text(), "»");
        const Ink small = InkOf(at16[i], kBlack), large = InkOf(PictureOf(icon.Icon().Handle()), kBlack);
        REQUIRE(small.right >= 0);
        REQUIRE(large.right >= 0);
        CHECK(large.bottom - large.top + 1 >= (small.bottom - small.top + 1) * 4 / 3);
        CHECK(std::abs(large.CentreX() - small.CentreX() * 1.5) <= 1.5);
        CHECK(std::abs(large.CentreY() - small.CentreY() * 1.5) <= 1.5);
    }

    // A new scale: every icon sends its picture again, at the new size.
    auto lastPictures = [&] {
        std::vector<IconPicture> last;
        for (noc::TNotifyIcon* icon : AllIcons(f)) {
            const std::vector<ShellCall> calls = run.rec.Shell(NIM_MODIFY, icon->TrayId());
            last.push_back(calls.empty() ? IconPicture{} : calls.back().picture);
        }
        return last;
    };
    run.rec.Clear();
    run.rec.smallIconSize = 32;
    SendMessageA(f.Handle(), WM_SETTINGCHANGE, 0, 0);
    for (const IconPicture& p : lastPictures()) CHECK((p.width == 32 && p.height == 32));

    // Back at 16 pixels, the digits are today's, pixel for pixel.
    run.rec.Clear();
    run.rec.smallIconSize = 16;
    SendMessageA(f.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    const std::vector<IconPicture> back = lastPictures();
    CHECK((back[0].width == 16 && back[0].height == 16));
    for (size_t i = 0; i < texts.size(); ++i) {
        INFO("text icon ", i + 1);
        CHECK(back[i + 1].rgb == at16[i].rgb);
        CHECK(back[i + 1].clear == at16[i].clear);
    }
    // The same scale again draws nothing.
    run.rec.Clear();
    SendMessageA(f.Handle(), WM_SETTINGCHANGE, 0, 0);
    CHECK(run.rec.Shell(NIM_MODIFY).empty());
}

TEST_CASE("a re-created taskbar gets back exactly the icons shown, with their current pictures") {
    Counting run(0, 0, 5, 0);
    TForm2& f = *run.form;
    f.Chronos1Timer(f.Chronos1);
    // The shell loses every icon, then announces itself again.
    for (noc::TNotifyIcon* icon : AllIcons(f)) {
        NOTIFYICONDATAA d = icon->NotifyData();
        Shell_NotifyIconA(NIM_DELETE, &d);
        REQUIRE_FALSE(ShellHas(icon->TrayId()));
    }
    run.rec.Clear();
    SendMessageTimeoutA(HWND_BROADCAST, noc::TNotifyIcon::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    PumpUntil([&] { return run.rec.Shell(NIM_ADD).size() >= 3; }, 3000);
    REQUIRE(QueueDrained());  // whatever the announcement posted has come through
    std::vector<std::string> back = Sequence(run.rec, NIM_ADD, f);
    std::sort(back.begin(), back.end());
    CHECK(back == std::vector<std::string>{"minutes", "program", "seconds"});
    for (noc::TNotifyIcon* icon : AllIcons(f)) CHECK(ShellHas(icon->TrayId()) == icon->IconVisible());
    CHECK(run.rec.Shell(NIM_ADD, f.TextTrayIcon1->TrayId())[0].icon == f.TextTrayIcon1->Icon().Handle());
    CHECK(f.TextTrayIcon1->Text() == ":59");
}

TEST_CASE("while nobody can see the screen the countdown goes on undrawn, and shows its time at once after") {
    // GUID_CONSOLE_DISPLAY_STATE, with its state where the news carries its data.
    struct DisplayNews {
        GUID setting{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
        DWORD length = sizeof(DWORD);
        DWORD state;
    };
    struct Case {
        const char* name;
        void (*tell)(HWND, bool unseen);
    } cases[] = {
        {"the session locked", [](HWND w, bool unseen) {
             SendMessageA(w, WM_WTSSESSION_CHANGE, unseen ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, 1);
         }},
        {"the display off", [](HWND w, bool unseen) {
             DisplayNews news{};
             news.state = unseen ? 0 : 1;
             SendMessageA(w, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&news));
         }},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        Counting run(0, 0, 5, 0);
        TForm2& f = *run.form;
        f.Chronos1Timer(f.Chronos1);
        c.tell(f.Handle(), true);
        run.rec.Clear();
        for (int i = 0; i < 3; ++i) f.Chronos1Timer(f.Chronos1);
        REQUIRE(TimerTicked(f.NotifyIcon1->CycleInterval(), 3));  // the animation had its chances
        CHECK(run.rec.shell.empty());
        CHECK(f.Counters.Seconds == 56);
        CHECK(f.Label4->Caption() == "59");
        CHECK(f.TextTrayIcon1->Text() == ":59");

        c.tell(f.Handle(), false);
        // Each time icon drawn once, with the time of now, and the animation going again.
        std::vector<std::string> texts;
        for (const std::string& n : Sequence(run.rec, NIM_MODIFY, f))
            if (n != "program") texts.push_back(n);
        CHECK(texts == std::vector<std::string>{"seconds", "minutes", "hours", "days"});
        CHECK_FALSE(run.rec.Shell(NIM_MODIFY, f.NotifyIcon1->TrayId()).empty());
        CHECK(f.Label4->Caption() == "56");
        CHECK(f.TextTrayIcon1->Text() == ":56");
        CHECK(f.NotifyIcon1->CycleIcons());
    }
}

TEST_CASE("while locked the countdown ticks only at its moments, and shows the time of now when unlocked") {
    Counting run(0, 0, 11, 0);
    TForm2& f = *run.form;
    SendMessageA(f.Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    CHECK(f.Chronos1->Interval() == 59000);  // under a minute, or the late tick would be a wake
    for (uint64_t at : {59000, 60000}) {     // 59 s on, then the ten-minute notice's second
        run.rec.worldMs = at;
        run.Tick();
    }
    CHECK(Notices(run.rec, f).size() == 1);
    run.rec.worldMs = 90000;
    SendMessageA(f.Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    CHECK(f.Label4->Caption() == "30");
    CHECK(f.TextTrayIcon1->Text() == ":30");
    CHECK(f.Chronos1->Interval() == 3600 * 1000);  // back on its own
}

TEST_CASE("the window's end takes its icons out of the notification area") {
    Counting run(1, 2, 3, 4);
    std::vector<UINT> ids;
    for (noc::TNotifyIcon* icon : AllIcons(*run.form)) {
        ids.push_back(icon->TrayId());
        REQUIRE(ShellHas(icon->TrayId()));
    }
    run.rec.Clear();
    run.form.reset();
    for (UINT id : ids) {
        CHECK(run.rec.Shell(NIM_DELETE, id).size() == 1);
        CHECK_FALSE(ShellHas(id));
    }
    CHECK(noc::TTrayIconHandler::Window() == nullptr);
}

TEST_CASE("the program's end destroys the windows and their icons, newest first") {
    StoredSettings stored;
    stored.Chrono = "oui";
    stored.Write();
    StartApplication();
    SeamRecorder rec;
    std::vector<std::string> params = noc::SplitCommandLine("NocTuro.exe * 1 2 3 4");
    noc::StartedWithParameters = noc::StartedWithParametersFlag(params);
    TForm2* form = noc::Application().CreateForm<TForm2>(params);
    form->Chronos1->SetEnabled(false);
    const auto names = IconNames(*form);
    REQUIRE(rec.Shell(NIM_ADD).size() == 6);
    rec.Clear();
    noc::DestroyApplication();
    std::vector<std::string> deleted;
    for (const ShellCall& c : rec.Shell(NIM_DELETE)) deleted.push_back(names.at(c.id));
    CHECK(deleted == std::vector<std::string>{"days", "hours", "minutes", "seconds", "program"});
    for (const auto& n : names) CHECK_FALSE(ShellHas(n.first));
    CHECK(noc::TTrayIconHandler::Window() == nullptr);
    noc::StartedWithParameters.clear();
    ForgetQuit();
    StartApplication();  // a new application object for whatever comes next
    CHECK(noc::Application().Handle() != nullptr);
}
