// The countdown's home in the notification area, seen from outside: the icons the shell holds, the
// pixels the taskbar shows, a click on the program icon, a shell restart, and the icons' going away
// with a cancel and with the program's end. Every countdown here is five minutes long and is
// cancelled or ended long before zero.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <vector>

#include "Scenario.h"

using namespace e2e;

namespace {

constexpr char kFiveMinutes[] = "* 0 0 5 0";
constexpr COLORREF kRed = RGB(255, 0, 0);  // the stored digit colour "clRed"

// Where Wine puts the icons added in the order minutes, seconds, program icon (the order of
// Windows 7 and later, Wine's default): each new one to the left of the previous one.
constexpr int kMinutesPlace = 0, kSecondsPlace = 1, kProgramPlace = 2;

const std::vector<UINT> kTimeShown{kProgramIcon, kSecondsIcon, kMinutesIcon};
const std::vector<UINT> kProgramIconOnly{kProgramIcon};
const std::vector<UINT> kNone{};

std::string Names(const std::vector<UINT>& ids) {
    std::ostringstream text;
    text << "{";
    for (UINT id : ids) text << " " << id;
    text << " }";
    return text.str();
}

bool ShellHoldsWithin(HWND callbackWindow, const std::vector<UINT>& ids, DWORD ms) {
    return WaitUntil([&] { return IconsInShell(callbackWindow) == ids; }, ms);
}

void RequireHeld(HWND callbackWindow, const std::vector<UINT>& ids) {
    REQUIRE_MESSAGE(ShellHoldsWithin(callbackWindow, ids, kLong), "held: " << Names(IconsInShell(callbackWindow)));
}

// Digits: pixels of the digit colour, and no other colour, on the taskbar.
bool ShowsDigits(const std::optional<Picture>& p) {
    return p && p->Count(kRed) >= 8 && p->CountOther(kTaskbarColour) == p->Count(kRed);
}
int Reddish(const Picture& p) {
    int n = 0;
    for (COLORREF c : p.pixels) n += GetRValue(c) >= 160 && GetGValue(c) <= 100 && GetBValue(c) <= 100;
    return n;
}
// The program icon's picture, a grey monitor: drawn in many pixels, none of them red.
bool ShowsProgramPicture(const std::optional<Picture>& p) {
    return p && p->CountOther(kTaskbarColour) >= 40 && Reddish(*p) == 0;
}
// The program icon's picture on Windows XP, a red button.
bool ShowsXpProgramPicture(const std::optional<Picture>& p) {
    return p && p->CountOther(kTaskbarColour) >= 40 && Reddish(*p) >= 40;
}
bool ShowsNothing(const std::optional<Picture>& p) { return p && p->CountOther(kTaskbarColour) == 0; }

std::string SketchOf(const std::optional<Picture>& p) {
    return p ? Sketch(*p, kTaskbarColour, kRed) : std::string("(no taskbar)");
}

// The first picture of place n that differs from `before`, if one comes within `ms`. The shell
// paints a new picture of an icon in two steps, its background erased, then the icon drawn: a read
// between the two sees the bare taskbar, which is no picture of the program's (one that stays bare
// still ends the wait with none).
std::optional<Picture> NextPicture(int n, const Picture& before, DWORD ms) {
    std::optional<Picture> now;
    if (!WaitUntil([&] { return (now = ReadTrayPlace(n)) && *now != before && !ShowsNothing(now); }, ms))
        return std::nullopt;
    return now;
}

// Rests the mouse on place n until a tooltip of that text is on screen; the mouse stays there.
bool TooltipShownAt(int place, const std::string& text) {
    MoveMouseTo(TrayPlace(place));
    const bool shown = WaitUntil(
        [&] {
            for (const std::string& t : ShownTooltips())
                if (t == text) return true;
            return false;
        },
        kLong);
    return shown;
}

std::string TooltipsText() {
    std::string all;
    for (const std::string& t : ShownTooltips()) all += " \"" + t + "\"";
    return all;
}

// Waits for the first tick of the five minutes: from then on the minutes read 4 for a minute.
void WaitForFirstTick(HWND form) {
    HWND minutes = ControlById(form, noc::idLabel9);
    REQUIRE(minutes != nullptr);
    REQUIRE_MESSAGE(WaitUntil([&] { return Text(minutes) == "04"; }, kLong), "minutes: " << Text(minutes));
}

// After the first tick, the picture of place n once it has changed.
std::optional<Picture> ChangedAfterFirstTick(HWND form, int place) {
    WaitForFirstTick(form);
    std::optional<Picture> picture = ReadTrayPlace(place);
    REQUIRE(picture.has_value());
    picture = NextPicture(place, *picture, 2500);
    REQUIRE_MESSAGE(picture.has_value(), "place " << place << " does not change:" << SketchOf(ReadTrayPlace(place)));
    return picture;
}

// Waits until the three icons of a countdown with its time shown are held by the shell and drawn.
void WaitForTimeIcons(HWND callbackWindow) {
    RequireHeld(callbackWindow, kTimeShown);
    const bool drawn = WaitUntil(
        [&] {
            return ShowsDigits(ReadTrayPlace(kMinutesPlace)) && ShowsDigits(ReadTrayPlace(kSecondsPlace)) &&
                   ShowsProgramPicture(ReadTrayPlace(kProgramPlace));
        },
        kLong);
    REQUIRE_MESSAGE(drawn, "minutes:" << SketchOf(ReadTrayPlace(kMinutesPlace))
                                      << "\nseconds:" << SketchOf(ReadTrayPlace(kSecondsPlace))
                                      << "\nprogram icon:" << SketchOf(ReadTrayPlace(kProgramPlace)));
}

void CheckCountdownPanel(HWND form) {
    CHECK(IsShown(ControlById(form, noc::idTabControl2)));
    CHECK_FALSE(IsShown(ControlById(form, noc::idTabControl1)));
    HWND cancel = ControlById(form, noc::idSpeedButton2);
    HWND minimize = ControlById(form, noc::idSpeedButton1);
    REQUIRE(cancel != nullptr);
    REQUIRE(minimize != nullptr);
    CHECK(IsShown(cancel));
    CHECK(Text(cancel) == "Annuler");
    CHECK(IsShown(minimize));
    CHECK(Text(minimize) == "Réduire");
}

// A click on the program icon, and the window coming back in front.
void BringBackFromTray(const Scenario& run) {
    CHECK(run.BackFromTray(kProgramPlace));
    CheckCountdownPanel(run.form);
}

void CheckNoIconLeft(HWND callbackWindow) {
    CHECK_MESSAGE(ShellHoldsWithin(callbackWindow, kNone, kLong), "held: " << Names(IconsInShell(callbackWindow)));
    CHECK_MESSAGE(WaitUntil([] { return TrayStripShowsDesktop(); }, kLong),
                  "the taskbar is still shown: place 0" << SketchOf(ReadTrayPlace(0)));
}

// The program's Windows version, as Wine reports it to NocTuro.exe alone, while the object lives.
struct ReportedVersion {
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\NocTuro.exe";
    explicit ReportedVersion(const char* version) {
        REQUIRE(testing::WriteString(HKEY_CURRENT_USER, kKey, "Version", version));
    }
    ~ReportedVersion() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "Version"); }
};

Stored RedDigits(const char* chrono) {
    MoveMouseTo(kAway);
    Stored s;
    s.Couleur = "clRed";
    s.Chrono = chrono;
    return s;
}

// A five-minute countdown from the command line, with red digits, once its windows exist.
struct TrayCountdown : Scenario {
    HWND callbackWindow = TrayWindow();
    explicit TrayCountdown(const char* chrono) : Scenario(RedDigits(chrono), kFiveMinutes, Start::Hidden) {}
};

// A real right click on the program icon, and the menu it opens.
HWND OpenProgramIconMenu(const TrayCountdown& run) {
    MoveMouseTo(TrayPlace(kProgramPlace));
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, press, sizeof(INPUT));
    HWND menu = nullptr;
    REQUIRE(
        WaitUntil([&] { return (menu = FindTopWindow(run.prog.Id(), "#32768", nullptr, true)) != nullptr; }, kLong));
    return menu;
}

}  // namespace

TEST_CASE("with the time shown, red digits of the minutes and the seconds stand beside the program icon") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);
    CHECK_FALSE(ShellHasIcon(run.callbackWindow, kHoursIcon));
    CHECK_FALSE(ShellHasIcon(run.callbackWindow, kDaysIcon));
    CHECK(ShowsNothing(ReadTrayPlace(3)));

    SUBCASE("the seconds change every second, the minutes stay") {
        // The first tick changes the minutes (5:00 becomes 4:59): start after it, at the next
        // change of the seconds (the tick's own change of the icons may still be under way).
        std::optional<Picture> seconds = ChangedAfterFirstTick(run.form, kSecondsPlace);
        const std::optional<Picture> minutes = ReadTrayPlace(kMinutesPlace);
        REQUIRE(ShowsDigits(minutes));
        for (int tick = 0; tick < 2; ++tick) {
            seconds = NextPicture(kSecondsPlace, *seconds, 2500);
            REQUIRE_MESSAGE(seconds.has_value(), "tick " << tick);
            CHECK_MESSAGE(ShowsDigits(seconds), SketchOf(seconds));
            CHECK_MESSAGE(ReadTrayPlace(kMinutesPlace) == minutes, SketchOf(ReadTrayPlace(kMinutesPlace)));
        }
        CHECK(IconsInShell(run.callbackWindow) == kTimeShown);
    }

    SUBCASE("each icon has its tooltip") {
        CHECK_MESSAGE(TooltipShownAt(kProgramPlace, "Extinction de l'ordinateur..."), TooltipsText());
        CHECK_MESSAGE(TooltipShownAt(kSecondsPlace, "Secondes"), TooltipsText());
        CHECK_MESSAGE(TooltipShownAt(kMinutesPlace, "Minutes"), TooltipsText());
        MoveMouseTo(kAway);
    }

    SUBCASE("the program icon is animated") {
        std::optional<Picture> frame = ReadTrayPlace(kProgramPlace);
        for (int change = 0; change < 3; ++change) {
            REQUIRE(frame.has_value());
            frame = NextPicture(kProgramPlace, *frame, 1500);
            REQUIRE_MESSAGE(frame.has_value(), "change " << change);
            CHECK_MESSAGE(ShowsProgramPicture(frame), SketchOf(frame));
        }
    }
}

TEST_CASE("on Windows XP the seconds stand at the right end, then the minutes, then the program icon") {
    ReportedVersion xp("winxp");
    TrayCountdown run("oui");
    RequireHeld(run.callbackWindow, kTimeShown);
    constexpr int xpSeconds = 0, xpMinutes = 1, xpProgram = 2;
    REQUIRE(WaitUntil([] { return ShowsDigits(ReadTrayPlace(xpSeconds)) && ShowsDigits(ReadTrayPlace(xpMinutes)); },
                      kLong));
    CHECK_MESSAGE(ShowsXpProgramPicture(ReadTrayPlace(xpProgram)), SketchOf(ReadTrayPlace(xpProgram)));

    std::optional<Picture> seconds = ChangedAfterFirstTick(run.form, xpSeconds);
    const std::optional<Picture> minutes = ReadTrayPlace(xpMinutes);
    seconds = NextPicture(xpSeconds, *seconds, 2500);
    REQUIRE(seconds.has_value());
    CHECK(ShowsDigits(seconds));
    CHECK(ReadTrayPlace(xpMinutes) == minutes);
}

TEST_CASE("a click on the program icon brings the window back; Réduire hides it, Annuler removes every icon") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);
    CHECK_FALSE(IsShown(run.form));

    BringBackFromTray(run);
    // The countdown goes on in the tray while the window shows.
    CHECK(IconsInShell(run.callbackWindow) == kTimeShown);
    const std::optional<Picture> seconds = ReadTrayPlace(kSecondsPlace);
    REQUIRE(seconds.has_value());
    CHECK(NextPicture(kSecondsPlace, *seconds, 2500).has_value());

    Click(run.Control(noc::idSpeedButton1));  // "Réduire"
    REQUIRE(WaitUntil([&] { return !IsShown(run.form); }, kLong));
    CHECK(IconsInShell(run.callbackWindow) == kTimeShown);
    CHECK(ShowsDigits(ReadTrayPlace(kSecondsPlace)));

    BringBackFromTray(run);
    Click(run.Control(noc::idSpeedButton2));  // "Annuler"
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CheckNoIconLeft(run.callbackWindow);
    CHECK(IsShown(run.form));
    CHECK_FALSE(run.Shown(noc::idTabControl2));
}

TEST_CASE("a right click on the program icon opens its menu, whose first item brings the window back") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);
    SolePointer pointer;
    REQUIRE(pointer.Installed());
    const HWND menu = OpenProgramIconMenu(run);
    CHECK_FALSE(IsShown(run.form));
    // The keyboard goes to the menu, as for a user: the first item, then Enter.
    PressKeys({VK_DOWN, VK_RETURN});
    REQUIRE(WaitUntil([&] { return IsShown(run.form); }, kLong));
    MoveMouseTo(kAway);
    CHECK_FALSE(IsWindowVisible(menu));
    CheckCountdownPanel(run.form);
    CHECK(IconsInShell(run.callbackWindow) == kTimeShown);  // still counting
}

TEST_CASE("the program icon's menu puts the end off by ten minutes from its middle item") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);
    WaitForFirstTick(run.form);  // 4:5x left
    SolePointer pointer;
    REQUIRE(pointer.Installed());
    const HWND menu = OpenProgramIconMenu(run);
    // The second item, then Enter.
    PressKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    HWND minutes = run.Control(noc::idLabel9);
    const bool later = WaitUntil([&] { return Number(Text(minutes)) >= 14; }, kLong);
    MoveMouseTo(kAway);
    REQUIRE_MESSAGE(later, "minutes: " << Text(minutes));
    CHECK(Number(Text(minutes)) == 14);
    CHECK_FALSE(IsWindowVisible(menu));
    // Put off in the tray: the window stays away, the same icons count on.
    CHECK_FALSE(WaitUntil([&] { return IsShown(run.form); }, kShort));
    CHECK(IconsInShell(run.callbackWindow) == kTimeShown);
    const std::optional<Picture> seconds = ReadTrayPlace(kSecondsPlace);
    REQUIRE(seconds.has_value());
    CHECK(NextPicture(kSecondsPlace, *seconds, 2500).has_value());
    CHECK(ShowsDigits(ReadTrayPlace(kMinutesPlace)));
}

TEST_CASE("without the time shown only the program icon is in the tray") {
    TrayCountdown run("non");
    RequireHeld(run.callbackWindow, kProgramIconOnly);
    REQUIRE(WaitUntil([] { return ShowsProgramPicture(ReadTrayPlace(0)); }, kLong));
    // An icon of the previous run may still be on its way out of the taskbar.
    CHECK_MESSAGE(WaitUntil([] { return ShowsNothing(ReadTrayPlace(1)); }, kLong), SketchOf(ReadTrayPlace(1)));

    // The ticks write the texts of the hidden text icons; none of them comes in.
    HWND seconds = run.Control(noc::idLabel4);
    REQUIRE(seconds != nullptr);
    const std::string before = Text(seconds);
    for (int tick = 0; tick < 2; ++tick) {
        const std::string shown = Text(seconds);
        REQUIRE(WaitUntil([&] { return Text(seconds) != shown; }, 2500));
    }
    CHECK(Text(seconds) != before);
    CHECK_MESSAGE(IconsInShell(run.callbackWindow) == kProgramIconOnly,
                  "held: " << Names(IconsInShell(run.callbackWindow)));
    CHECK(ShowsProgramPicture(ReadTrayPlace(0)));
    CHECK_MESSAGE(ShowsNothing(ReadTrayPlace(1)), SketchOf(ReadTrayPlace(1)));

    // The program icon's tooltip gives the time left, as the countdown panel's labels read it.
    auto timeLeft = [&] {
        return run.Text(noc::idLabel2) + "j" + run.Text(noc::idLabel7) + "h" + run.Text(noc::idLabel9) + "m" +
               run.Text(noc::idLabel4) + "s";
    };
    const std::string tipBefore = "Extinction de l'ordinateur dans : " + timeLeft();
    MoveMouseTo(TrayPlace(0));
    std::string tip;
    const bool shown = WaitUntil(
        [&] {
            for (const std::string& t : ShownTooltips())
                if (t.rfind("Extinction de l'ordinateur", 0) == 0) return !(tip = t).empty();
            return false;
        },
        kLong);
    const std::string tipAfter = "Extinction de l'ordinateur dans : " + timeLeft();
    MoveMouseTo(kAway);
    REQUIRE_MESSAGE(shown, TooltipsText());
    // Read when the mouse came: at most a tick or two from the labels around it.
    INFO("tooltip \"" << tip << "\", labels before \"" << tipBefore << "\", after \"" << tipAfter << "\"");
    REQUIRE(tip.size() == tipBefore.size());
    CHECK(tip.compare(0, tipBefore.size() - 3, tipBefore, 0, tipBefore.size() - 3) == 0);  // all but the seconds
    const int tipSeconds = Number(tip.substr(tip.size() - 3, 2));
    CHECK(tipSeconds <= Number(tipBefore.substr(tipBefore.size() - 3, 2)));
    CHECK(tipSeconds >= Number(tipAfter.substr(tipAfter.size() - 3, 2)));
    CHECK(tip.back() == 's');
}

TEST_CASE("after a shell restart the shown icons come back and the seconds go on") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);
    WaitForFirstTick(run.form);

    // The shell forgets them all.
    CHECK(RemoveFromShell(run.callbackWindow, kProgramIcon));
    CHECK(RemoveFromShell(run.callbackWindow, kSecondsIcon));
    CHECK(RemoveFromShell(run.callbackWindow, kMinutesIcon));
    CHECK_FALSE(RemoveFromShell(run.callbackWindow, kHoursIcon));
    CHECK_FALSE(RemoveFromShell(run.callbackWindow, kDaysIcon));
    REQUIRE(IconsInShell(run.callbackWindow) == kNone);
    REQUIRE(WaitUntil([] { return TrayStripShowsDesktop(); }, kLong));

    AnnounceTaskbarCreated();
    RequireHeld(run.callbackWindow, kTimeShown);

    // The same three pictures at the three places, in whatever order they came back.
    std::vector<int> digitPlaces;
    int programPlace = -1;
    const bool drawn = WaitUntil(
        [&] {
            digitPlaces.clear();
            programPlace = -1;
            for (int n = 0; n < 3; ++n) {
                const std::optional<Picture> p = ReadTrayPlace(n);
                if (ShowsDigits(p))
                    digitPlaces.push_back(n);
                else if (ShowsProgramPicture(p))
                    programPlace = n;
            }
            return digitPlaces.size() == 2 && programPlace >= 0;
        },
        kLong);
    REQUIRE_MESSAGE(drawn, "place 0:" << SketchOf(ReadTrayPlace(0)) << "\nplace 1:" << SketchOf(ReadTrayPlace(1))
                                      << "\nplace 2:" << SketchOf(ReadTrayPlace(2)));
    CHECK(ShowsNothing(ReadTrayPlace(3)));

    // One of the two digit icons changes every second (the seconds), the other stays (the minutes).
    std::optional<Picture> last[2] = {ReadTrayPlace(digitPlaces[0]), ReadTrayPlace(digitPlaces[1])};
    int changes[2] = {0, 0};
    WaitUntil(
        [&] {
            for (int i = 0; i < 2; ++i) {
                std::optional<Picture> now = ReadTrayPlace(digitPlaces[static_cast<size_t>(i)]);
                if (now && last[i] && *now != *last[i]) {
                    ++changes[i];
                    last[i] = now;
                }
            }
            return changes[0] >= 2 || changes[1] >= 2;
        },
        3500);
    INFO("changes at place " << digitPlaces[0] << ": " << changes[0] << ", at place " << digitPlaces[1] << ": "
                             << changes[1]);
    CHECK(std::max(changes[0], changes[1]) >= 2);
    CHECK(std::min(changes[0], changes[1]) == 0);
    CHECK(ShowsDigits(last[0]));
    CHECK(ShowsDigits(last[1]));
    CHECK(IconsInShell(run.callbackWindow) == kTimeShown);

    // Their tooltips came back with them.
    const int secondsPlace = changes[0] > changes[1] ? digitPlaces[0] : digitPlaces[1];
    const int minutesPlace = changes[0] > changes[1] ? digitPlaces[1] : digitPlaces[0];
    CHECK_MESSAGE(TooltipShownAt(programPlace, "Extinction de l'ordinateur..."), TooltipsText());
    CHECK_MESSAGE(TooltipShownAt(secondsPlace, "Secondes"), TooltipsText());
    CHECK_MESSAGE(TooltipShownAt(minutesPlace, "Minutes"), TooltipsText());
    MoveMouseTo(kAway);
}

TEST_CASE("after Annuler a shell restart brings no icon back, and Quitter ends the program with none left") {
    TrayCountdown run("oui");
    WaitForTimeIcons(run.callbackWindow);

    BringBackFromTray(run);
    Click(run.Control(noc::idSpeedButton2));  // "Annuler"
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CheckNoIconLeft(run.callbackWindow);

    AnnounceTaskbarCreated();
    CHECK_FALSE(WaitUntil([&] { return !IconsInShell(run.callbackWindow).empty(); }, kShort));
    CHECK(TrayStripShowsDesktop());

    Click(run.Control(noc::idSpeedButton3));  // "Quitter"
    REQUIRE(run.prog.WaitExit(kLong).has_value());
    // (Under Wine the shell also drops the icons of a window that is destroyed, so this holds even
    // for a program that would leave its icons behind.)
    CheckNoIconLeft(run.callbackWindow);
}

namespace {
// The local clock's hours and minutes, `seconds` from now.
std::string ClockIn(int seconds) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{};
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000u;
    const FILETIME later{t.LowPart, t.HighPart};
    FILETIME local{};
    SYSTEMTIME clock{};
    FileTimeToLocalFileTime(&later, &local);
    FileTimeToSystemTime(&local, &clock);
    char text[8];
    snprintf(text, sizeof text, "%02u:%02u", clock.wHour, clock.wMinute);
    return text;
}
}  // namespace

// (Wine's notification area sends nothing when a notice is clicked; the wine tier checks that path.)
TEST_CASE("ten minutes before the end a notice from the program icon says when the computer goes off") {
    // The notice is given between these two readings of the clock, and names the end, ten minutes on.
    const std::string endAtLaunch = ClockIn(600);
    Scenario run(RedDigits("oui"), "* 0 0 10 2", Start::Hidden);
    const std::string prefix = "L'ordinateur s'éteindra dans 10 minutes (à ";
    std::string notice;
    const bool given = WaitUntil(
        [&] {
            for (const std::string& t : ShownTooltips())
                if (t.rfind(prefix, 0) == 0) notice = t;
            return !notice.empty();
        },
        kLong);
    const std::string endNow = ClockIn(600);
    REQUIRE_MESSAGE(given, "tooltips on screen:" << TooltipsText());
    CHECK_MESSAGE((notice == prefix + endAtLaunch + ")." || notice == prefix + endNow + ")."), notice);
}
