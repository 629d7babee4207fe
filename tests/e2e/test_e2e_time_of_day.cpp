// "À heure fixe..." used as a person would: a real click on the clock beside the switch, the time
// typed on the keyboard into the prompt, a time that is no time told and put right, and the dial
// read back: the time from the local clock's now until then, to the second. Nothing is started.
#include <doctest/doctest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

const char kPromptCaption[] = "À heure fixe";

int64_t SecondsOf(const FILETIME& f) {
    return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000000;
}

FILETIME FileTimeOf(int64_t seconds) {
    const auto v = static_cast<uint64_t>(seconds) * 10000000u;
    return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

// Now, in whole seconds since 1601 UTC, as the program's clock counts.
int64_t UtcNow() {
    FILETIME f{};
    GetSystemTimeAsFileTime(&f);
    return SecondsOf(f);
}

// The local date and time at that instant.
SYSTEMTIME LocalAt(int64_t utc) {
    const FILETIME f = FileTimeOf(utc);
    SYSTEMTIME u{}, local{};
    FileTimeToSystemTime(&f, &u);
    SystemTimeToTzSpecificLocalTime(nullptr, &u, &local);
    return local;
}

// Seconds from `utc` until the local wall clock next shows hour:minute:00, strictly later: the
// next day's when today's is not later. Told from the system's own conversion of local times.
int64_t ExpectedWait(int64_t utc, int hour, int minute) {
    const SYSTEMTIME now = LocalAt(utc);
    SYSTEMTIME midnight = now;
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    FILETIME f{};
    SystemTimeToFileTime(&midnight, &f);
    for (int day = 0; day < 3; ++day) {
        const FILETIME then = FileTimeOf(SecondsOf(f) + day * 86400 + hour * 3600 + minute * 60);
        SYSTEMTIME local{}, u{};
        FileTimeToSystemTime(&then, &local);
        TzSpecificLocalTimeToSystemTime(nullptr, &local, &u);
        FILETIME uf{};
        SystemTimeToFileTime(&u, &uf);
        if (SecondsOf(uf) > utc) return SecondsOf(uf) - utc;
    }
    return -1;
}

std::string DialText(int64_t seconds) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d:%02d", static_cast<int>(seconds / 86400),
                  static_cast<int>(seconds % 86400 / 3600), static_cast<int>(seconds % 3600 / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

std::string DialOf(const Scenario& run) {
    return run.Text(noc::idMaskEdit4) + ":" + run.Text(noc::idMaskEdit1) + ":" + run.Text(noc::idMaskEdit2) + ":" +
           run.Text(noc::idMaskEdit3);
}

// The prompt, once it is up with the keyboard in its field; the field through `field`.
HWND AwaitPrompt(const Scenario& run, HWND& field) {
    const HWND prompt = WaitForTopWindow(run.prog.Id(), "#32770", kPromptCaption, kLong, true);
    REQUIRE_MESSAGE(prompt != nullptr, "no prompt");
    CHECK(Text(GetDlgItem(prompt, 0xFFFF)) == "Heure de l'extinction (HH:MM) :");
    field = FindWindowExA(prompt, nullptr, "Edit", nullptr);
    REQUIRE(field != nullptr);
    REQUIRE_MESSAGE(WaitUntil([&] { return FocusOf(prompt) == field; }, kLong), "the field has no keyboard");
    CHECK(GetWindow(prompt, GW_OWNER) == run.form);
    return prompt;
}

bool Gone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kLong);
}

// A real click on the clock beside the switch, the window in front. The pointer goes there first,
// and stays: the press must land where it went.
void ClickClock(const Scenario& run) {
    RECT r{};
    GetWindowRect(run.Required(noc::idImage13), &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetForegroundWindow(run.form);
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == run.form; }, kLong));
    MoveMouseTo(centre);
    REQUIRE(WaitUntil(
        [&] {
            POINT at{};
            return GetCursorPos(&at) && at.x == centre.x && at.y == centre.y;
        },
        kLong));
    ClickScreenAt(centre);
}

// What is typed replaces the field's text, which the prompt offers selected.
void TypeInto(HWND field, const std::string& text) {
    TypeKeys(text);
    REQUIRE_MESSAGE(WaitUntil([&] { return Text(field) == text; }, kLong), "the field holds " << Text(field));
}

}  // namespace

TEST_CASE("the clock beside the switch fills the dial until the time typed, to the second") {
    Stored s;
    s.Heures = "1", s.Minutes = "2", s.Secondes = "3";
    Scenario run(s);
    run.CheckDial("00", "01", "02", "03");
    CHECK(run.Text(noc::idImage13) == "À heure fixe...");
    // Only this process moves the pointer (Tray.h).
    SolePointer pointer;
    REQUIRE(pointer.Installed());

    ClickClock(run);
    HWND field = nullptr;
    HWND prompt = AwaitPrompt(run, field);
    CHECK(Text(field).empty());

    // No time: told, and asked again with what was typed.
    TypeInto(field, "24:00");
    PressKeys({VK_RETURN});
    const HWND box = WaitForTopWindow(run.prog.Id(), "#32770", "Information", kLong, true);
    REQUIRE_MESSAGE(box != nullptr, "no message");
    CHECK(Text(GetDlgItem(box, 0xFFFF)) ==
          "« 24:00 » n'est pas une heure valide !\r\nTapez l'heure sous la forme HH:MM,\r\n"
          "de 00:00 à 23:59 (par exemple 23:30).");
    CHECK(Gone(prompt));
    DismissMessageBox(box);
    prompt = AwaitPrompt(run, field);
    CHECK(Text(field) == "24:00");
    run.CheckDial("00", "01", "02", "03");

    // A time two and a half hours ahead, to the minute, typed and confirmed with Enter.
    const SYSTEMTIME ahead = LocalAt(UtcNow() + 150 * 60);
    const int hour = ahead.wHour, minute = ahead.wMinute;
    char typed[8];
    std::snprintf(typed, sizeof(typed), "%02d:%02d", hour, minute);
    TypeInto(field, typed);
    const int64_t before = UtcNow();
    PressKeys({VK_RETURN});
    REQUIRE(Gone(prompt));
    REQUIRE(WaitUntil([&] { return DialOf(run) != "00:01:02:03"; }, kLong));
    const int64_t after = UtcNow();

    // The program read its clock between the two readings here: the dial is the wait from one of
    // those seconds.
    const std::string dial = DialOf(run);
    std::string expected;
    bool found = false;
    for (int64_t t = before; t <= after; ++t) {
        const std::string then = DialText(ExpectedWait(t, hour, minute));
        expected += (expected.empty() ? "" : " or ") + then;
        found = found || dial == then;
    }
    CAPTURE(typed);
    CAPTURE(expected);
    CHECK_MESSAGE(found, "the dial shows " << dial);
    CHECK(after - before <= 5);

    // Only the dial: nothing started, the window on its set-up panel.
    CHECK(IsShown(run.form));
    CHECK(run.Shown(noc::idTabControl1));
    CHECK(run.NoMessageBoxWithin(300));

    // Again: the time last taken is offered; Escape leaves the dial as it is.
    ClickClock(run);
    prompt = AwaitPrompt(run, field);
    CHECK(Text(field) == typed);
    PressKeys({VK_ESCAPE});
    REQUIRE(Gone(prompt));
    CHECK(DialOf(run) == dial);
    CHECK(run.NoMessageBoxWithin(300));
}
