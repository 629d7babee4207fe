#pragma once
// One run of NocTuro as most end-to-end tests open it: the stored settings written, the program
// started with its parameters, and its window awaited; with short readers of that window.
#include <doctest/doctest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "E2eCommon.h"
#include "driver/Keyboard.h"
#include "driver/Tray.h"

namespace e2e {

const POINT kAway{400, 20};  // a place for the mouse, away from the taskbar and the window

// What the start should bring.
enum class Start {
    Shown,   // the window on screen
    Hidden,  // a countdown started by itself: the window set up but hidden
    Later,   // nothing awaited yet (a message box comes first); the test waits for the window itself
};

class Scenario {
public:
    // No stored settings at all stands for a missing key.
    explicit Scenario(const std::optional<Stored>& stored, const std::string& params = "", Start start = Start::Shown)
        : prog(Prepared(stored, params)) {
        Await(start);
    }
    Scenario(const std::optional<Stored>& stored, const Program::CommandLine& whole, Start start = Start::Shown)
        : prog(Prepared(stored, whole)) {
        Await(start);
    }

    Program prog;
    HWND form = nullptr;

    HWND Control(int id) const { return ControlById(form, id); }
    // A control the test cannot go on without.
    HWND Required(int id) const {
        HWND c = Control(id);
        REQUIRE_MESSAGE(c != nullptr, "control " << id);
        return c;
    }
    std::string Text(int id) const { return TextOf(form, id); }
    bool Checked(int id) const { return CheckedById(form, id); }
    bool Shown(int id) const { return IsShown(Control(id)); }
    int Slider() const { return SliderPos(form); }
    // Each control given on screen or not, as expected.
    void CheckShown(std::initializer_list<std::pair<int, bool>> controls) const {
        for (const auto& [id, shown] : controls) {
            CAPTURE(id);
            CHECK(Shown(id) == shown);
        }
    }
    void CheckDial(const char* days, const char* hours, const char* minutes, const char* seconds) const {
        e2e::CheckDial(form, days, hours, minutes, seconds);
    }
    bool NoMessageBoxWithin(DWORD ms) const { return e2e::NoMessageBoxWithin(prog, ms); }
    std::optional<MessageBoxInfo> Box() const { return WaitForMessageBox(prog.Id(), kLong); }
    // The message box that comes, with that caption and text, then answered.
    void CheckBoxSays(const std::string& caption, const std::string& text) const {
        auto box = Box();
        REQUIRE(box.has_value());
        CHECK(box->caption == caption);
        CHECK(box->text == text);
        DismissMessageBox(box->wnd);
    }
    bool FormShownWithin(DWORD ms) const { return e2e::FormShownWithin(prog, ms); }

    // The hidden window that receives the shell's callbacks of the program's icons.
    HWND TrayWindow() const {
        HWND wnd = nullptr;
        WaitUntil([&] { return (wnd = TrayCallbackWindow(prog.Id())) != nullptr; }, kLong);
        REQUIRE(wnd != nullptr);
        return wnd;
    }

    // A click on the program icon at place n of the notification area brings the window back;
    // tells whether it also came in front.
    bool BackFromTray(int place) const {
        REQUIRE_FALSE(IsShown(form));
        ClickScreenAt(TrayPlace(place));
        const bool shown = WaitUntil([&] { return IsShown(form); }, kLong);
        MoveMouseTo(kAway);
        REQUIRE_MESSAGE(shown, "the window stays hidden after the click");
        return WaitUntil([&] { return GetForegroundWindow() == form; }, kLong);
    }

    // The window in front and the point of the unticked box `id` where a real click ticks it.
    POINT InFrontOnUntickedBox(int id) const {
        HWND box = Control(id);
        REQUIRE(box != nullptr);
        REQUIRE_FALSE(IsChecked(box));
        SetForegroundWindow(form);
        REQUIRE(WaitUntil([&] { return GetForegroundWindow() == form; }, kLong));
        RECT r{};
        GetWindowRect(box, &r);
        return {r.left + 7, (r.top + r.bottom) / 2};
    }

private:
    template <typename Line>
    static const Line& Prepared(const std::optional<Stored>& stored, const Line& line) {
        if (stored)
            WriteAll(*stored);
        else
            DeleteSettingsKey();
        return line;
    }

    void Await(Start start) {
        if (start == Start::Later) return;
        if (start == Start::Shown) {
            form = WaitForForm(prog);
            REQUIRE(form != nullptr);
            return;
        }
        // The window exists before its controls, and they hold their values only once the set-up
        // has run: the dial's seconds field is empty until then.
        const bool ready = WaitUntil(
            [&] {
                form = FindTopWindow(prog.Id(), "TForm2", kCaption);
                HWND seconds = form ? ControlById(form, noc::idMaskEdit3) : nullptr;
                return seconds && !e2e::Text(seconds).empty();
            },
            kLong);
        REQUIRE_MESSAGE(ready, (form ? "the window's set-up has not run" : "no window"));
    }
};

}  // namespace e2e
