// The on/off switch under the real pointer: its three looks read from the screen as the mouse
// moves over it, presses, leaves while held and releases. The dial is set, so a click would hide
// the window into the notification area; each case ends its program long before zero.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "Scenario.h"

using namespace e2e;

namespace {

using Pixels = std::vector<COLORREF>;

// A 24-bit picture resource of NocTuro.exe as the switch shows it: its see-through colour (the
// bottom-left pixel's) replaced by the panel's face colour.
Pixels ExpectedLook(const char* name) {
    HMODULE exe = LoadLibraryExA((ExeDir() + "NocTuro.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    auto bmp = static_cast<HBITMAP>(LoadImageA(exe, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    REQUIRE_MESSAGE(bmp != nullptr, name);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    BITMAP bm{};
    GetObjectA(bmp, sizeof(bm), &bm);
    const COLORREF key = GetPixel(dc, 0, bm.bmHeight - 1);
    Pixels out;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            out.push_back(c == key ? GetSysColor(COLOR_BTNFACE) : c);
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    FreeLibrary(exe);
    CHECK(key == RGB(0, 0, 0));
    return out;
}

// The switch's pixels as the program's window shows them, read through that window's own device
// context (the screen's gives black where another process's window stands).
Pixels OnScreen(HWND form, const RECT& area) {
    RECT frame{};
    GetWindowRect(form, &frame);
    const int w = area.right - area.left, h = area.bottom - area.top;
    HDC source = GetWindowDC(form);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, source, area.left - frame.left, area.top - frame.top, SRCCOPY);
    Pixels out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(form, source);
    return out;
}

INPUT Button(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    return in;
}

void Press(DWORD flags) {
    INPUT in = Button(flags);
    SendInput(1, &in, sizeof(in));
}

// The dial set and the window shown, with the switch's place and its three expected looks.
struct Switch : Scenario {
    RECT area{};
    Pixels normal = ExpectedLook("SWITCH_NORMAL"), hover = ExpectedLook("SWITCH_HOVER"),
           pressed = ExpectedLook("SWITCH_PRESSED");
    std::string log;  // "step look; " for each step

    Switch() : Scenario(FiveMinutes()) { GetWindowRect(Required(noc::idMyImage1), &area); }
    static Stored FiveMinutes() {
        Stored s;
        s.Minutes = "5";
        return s;
    }

    std::string Look() const {
        const Pixels now = OnScreen(form, area);
        if (now == normal) return "normal";
        if (now == hover) return "hover";
        if (now == pressed) return "pressed";
        return "other";
    }
    POINT Centre() const { return {(area.left + area.right) / 2, (area.top + area.bottom) / 2}; }
    POINT Off() const { return {area.left + 16, area.bottom + 25}; }  // on the panel, below it
    // The switch's thread holds the mouse capture (from a left press on it until the release).
    bool Captured() const {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        return GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui) && gui.hwndCapture != nullptr;
    }
    // Does what a person does, waits for the look that it should bring (and for `proof`, for a step
    // that leaves the look as it was), and logs the look reached.
    void Then(const char* what, const std::string& expected, void (*act)(const Switch&),
              bool (*proof)(const Switch&) = nullptr) {
        act(*this);
        Shows(what, expected, proof);
    }
    void Shows(const char* what, const std::string& expected, bool (*proof)(const Switch&) = nullptr) {
        std::string look;
        WaitUntil([&] { return (look = Look()) == expected && (!proof || proof(*this)); }, kLong);
        log += std::string(what) + " " + look + "; ";
    }
};

}  // namespace

TEST_CASE("the switch shows normal, hover and pressed under the real pointer, and only a click starts") {
    // The pointer starts in the desktop's corner, away from the window (which opens in the middle):
    // a first step that left the look as it was would prove nothing, and the next one could follow
    // it before the program has had it.
    SolePointer pointer;
    REQUIRE(pointer.Installed());
    const POINT corner{5, 5};
    MoveMouseTo(corner);
    REQUIRE(WaitUntil(
        [&] {
            POINT at{};
            return GetCursorPos(&at) && at.x == corner.x && at.y == corner.y;
        },
        kLong));
    Switch sw;
    REQUIRE(sw.area.right - sw.area.left == 33);
    REQUIRE(sw.area.bottom - sw.area.top == 33);

    // Each step waits for the look it should bring, the proof that the program has had its input,
    // before the next one acts.
    sw.Shows("away", "normal");
    sw.Then("over", "hover", [](const Switch& w) { MoveMouseTo(w.Centre()); });
    sw.Then("away", "normal", [](const Switch& w) { MoveMouseTo(w.Off()); });
    sw.Then("back", "hover", [](const Switch& w) { MoveMouseTo(w.Centre()); });
    sw.Then("left down", "pressed", [](const Switch&) { Press(MOUSEEVENTF_LEFTDOWN); });
    CHECK(sw.Captured());  // what the release below is seen to end
    sw.Then("off held", "normal", [](const Switch& w) { MoveMouseTo(w.Off()); });
    sw.Then("back held", "hover", [](const Switch& w) { MoveMouseTo(w.Centre()); });
    sw.Then("off held", "normal", [](const Switch& w) { MoveMouseTo(w.Off()); });
    sw.Then(
        "left up off", "normal", [](const Switch&) { Press(MOUSEEVENTF_LEFTUP); },
        [](const Switch& w) { return !w.Captured(); });
    CHECK(sw.log ==
          "away normal; over hover; away normal; back hover; left down pressed; off held normal; "
          "back held hover; off held normal; left up off normal; ");

    // Released outside: no click, so no countdown and no message box; the window stays.
    CHECK(sw.NoMessageBoxWithin(kShort));
    CHECK(IsShown(sw.form));
    CHECK(sw.Shown(noc::idTabControl1));
    CHECK(sw.Look() == "normal");

    // The other buttons press and release it without a click; then a left click starts the
    // countdown: the window goes into the notification area.
    sw.log.clear();
    sw.Then("over", "hover", [](const Switch& w) { MoveMouseTo(w.Centre()); });
    sw.Then("right down", "pressed", [](const Switch&) { Press(MOUSEEVENTF_RIGHTDOWN); });
    sw.Then("right up", "normal", [](const Switch&) { Press(MOUSEEVENTF_RIGHTUP); });
    sw.Then("middle down", "pressed", [](const Switch&) { Press(MOUSEEVENTF_MIDDLEDOWN); });
    sw.Then("middle up", "normal", [](const Switch&) { Press(MOUSEEVENTF_MIDDLEUP); });
    sw.Then("left down", "pressed", [](const Switch&) { Press(MOUSEEVENTF_LEFTDOWN); });
    CHECK(sw.log ==
          "over hover; right down pressed; right up normal; middle down pressed; middle up normal; "
          "left down pressed; ");
    CHECK(IsShown(sw.form));
    Press(MOUSEEVENTF_LEFTUP);
    CHECK(WaitUntil([&] { return !IsShown(sw.form); }, kLong));
    CHECK(sw.NoMessageBoxWithin(500));
}
