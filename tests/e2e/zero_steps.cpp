// The steps of zero_e2e.sh that act on NocTuro's windows, one per run, in a prefix of its own that
// the real shutdown request ends. Each step prints what it did and exits 0 once its proof was seen,
// 1 (with the reason) otherwise.
//   zero_steps settings-sound PATH   the stored values of a 20-second dial with the alert at 5 s of PATH
//   zero_steps wait-window CLASS     a visible top-level window of that class
//   zero_steps listen PATH           a click on the listen icon of a window that names PATH (the
//                                    script proves the listen from Linux: any open of PATH from
//                                    Windows would race with NocTuro's own)
//   zero_steps screen                what is on the screen, for a step that failed
//   zero_steps start                 a click on the switch, proved by the window going away
//   zero_steps delete-key            the settings key deleted once the hidden window's seconds move,
//                                    with time still left
#define DOCTEST_CONFIG_IMPLEMENT  // the shared helpers use its assertions; no test runs here
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "E2eCommon.h"

using namespace e2e;

namespace {

int Fail(const char* why) {
    std::printf("FAIL: %s\n", why);
    return 1;
}

HWND Form(bool visible) {
    HWND form = nullptr;
    WaitUntil(
        [&] {
            form = FindWindowA("TForm2", kCaption);
            return form && (!visible || IsWindowVisible(form));
        },
        kLong);
    return form;
}

// What is on the screen: the active window, then every shown top-level one, with the text of any
// message box.
void TellScreen() {
    const HWND front = GetForegroundWindow();
    std::printf("  in front: %s \"%s\"\n", front ? ClassOf(front).c_str() : "nothing", front ? Text(front).c_str() : "");
    EnumWindows(
        [](HWND w, LPARAM) {
            if (!IsWindowVisible(w)) return TRUE;
            std::printf("  shown: %s \"%s\"", ClassOf(w).c_str(), Text(w).c_str());
            if (const HWND text = GetDlgItem(w, 0xFFFF)) std::printf(" saying \"%s\"", Text(text).c_str());
            std::printf("\n");
            return TRUE;
        },
        0);
}

std::string Shows(HWND form, int id) {
    const HWND c = ControlById(form, id);
    return c ? Text(c) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string step = argc > 1 ? argv[1] : "";
    const std::string arg = argc > 2 ? argv[2] : "";

    if (step == "settings-sound") {
        Stored s;
        s.Secondes = "20";
        s.Alerte = "oui";
        s.Delai = "5";
        s.Son = arg;
        WriteAll(s);
    } else if (step == "wait-window") {
        if (!WaitUntil([&] { return FindWindowA(arg.c_str(), nullptr) != nullptr; }, kLong))
            return Fail("no such window");
    } else if (step == "listen") {
        const HWND form = Form(true);
        if (!form) return Fail("the window did not show");
        if (Shows(form, noc::idLabel14) != arg) return Fail("the path label names another file");
        MouseClick(ControlById(form, noc::idImage10), 6, 6);
    } else if (step == "screen") {
        TellScreen();
    } else if (step == "start") {
        const HWND form = Form(true);
        if (!form) return Fail("the window did not show");
        MouseClick(ControlById(form, noc::idMyImage1), 16, 16);
        if (!WaitUntil([&] { return !IsWindowVisible(form); }, kLong)) return Fail("the countdown did not start");
    } else if (step == "delete-key") {
        const HWND form = Form(false);
        if (!form) return Fail("no window");
        // The window is there before its controls: the label first, then a tick of its own.
        std::string seconds;
        if (!WaitUntil([&] { return !(seconds = Shows(form, noc::idLabel4)).empty(); }, kLong))
            return Fail("no seconds shown");
        if (!WaitUntil([&] { return Shows(form, noc::idLabel4) != seconds; }, kLong)) return Fail("not counting");
        DeleteSettingsKey();
        if (ReadSetting("Jours").has_value()) return Fail("the key is still there");
        // Still counting: the end comes after the deletion.
        const std::string left = Shows(form, noc::idLabel4);
        std::printf("key deleted with %s s left\n", left.c_str());
        if (std::atoi(left.c_str()) < 3) return Fail("too late: the countdown is nearly over");
    } else {
        return Fail("unknown step");
    }
    std::printf("%s done\n", step.c_str());
    return 0;
}
