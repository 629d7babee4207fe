#include "app/SecondStart.h"

#include <cstring>

#include "app/Form2.h"
#include "framework/SystemFunctions.h"
#include "framework/WindowWalk.h"

namespace noc {

UINT SecondStartMessage() {
    static const UINT message = RegisterWindowMessageA("NocTuro.Belvane.SecondStart");
    return message;
}

void CallRunningCopy() {
    const DWORD self = GetCurrentProcessId();
    HWND window = nullptr;
    DWORD process = 0;
    // The caption is read without a message to the window: a busy copy cannot hold this one up.
    EachTopWindow([&](HWND w) {
        char className[32] = {}, caption[64] = {};
        GetClassNameA(w, className, sizeof(className));
        GetWindowTextA(w, caption, sizeof(caption));
        if (std::strcmp(className, "TForm2") != 0 || std::strcmp(caption, kForm2Caption) != 0) return true;
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == self) return true;
        window = w;
        process = owner;
        return false;
    });
    const UINT message = SecondStartMessage();
    if (!window || !message) return;
    // This copy was started by the user, in front: it may hand the front over to the running one.
    AllowSetForegroundWindow(process);
    PostMessageA(window, message, 0, 0);
}

void AcceptSecondStarts(HWND window) {
    using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    static const auto filter = User32Function<Filter>("ChangeWindowMessageFilterEx");
    const UINT message = SecondStartMessage();
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    if (filter && message) filter(window, message, kAllow, nullptr);
}

}  // namespace noc
