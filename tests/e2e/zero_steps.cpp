// The steps of zero_e2e.sh that act on NocTuro's windows, one per run, in a prefix of its own that
// the real shutdown request ends. Each step prints what it did and exits 0 once its proof was seen,
// 1 (with the reason) otherwise.
//   zero_steps settings-sound PATH   the stored values of a 20-second dial with the alert at 5 s of PATH
//   zero_steps wait-window CLASS     a visible top-level window of that class
//   zero_steps listen PATH           a click on the listen icon, proved by NocTuro holding PATH open
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

// A file some process holds open cannot be opened here without sharing it.
bool HeldOpen(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        CloseHandle(f);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
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
        if (!WaitUntil([&] { return HeldOpen(arg); }, kLong)) return Fail("the listen opened nothing");
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
