#include "framework/HiddenWindow.h"

#include <stdexcept>
#include <string>

#include "framework/Application.h"

namespace noc {

THiddenWindow::THiddenWindow(const char* className, Kind kind, Handler handler, const char* title, DWORD style,
                             DWORD exStyle, int x, int y)
    : handler_(std::move(handler)) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, className, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = &THiddenWindow::Proc;
        wc.hInstance = inst;
        wc.hIcon = LoadIconA(inst, "MAINICON");
        wc.lpszClassName = className;
        RegisterClassA(&wc);
    }
    handle_ = CreateWindowExA(exStyle, className, title, style & ~WS_VISIBLE, x, y, 0, 0,
                              kind == MessageOnly ? HWND_MESSAGE : nullptr, nullptr, inst, this);
    if (!handle_) throw std::runtime_error(std::string("Cannot create a window of class ") + className);
}

THiddenWindow::~THiddenWindow() {
    if (!handle_) return;
    // Nothing reaches the handler any more: its owner is going.
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
}

LRESULT CALLBACK THiddenWindow::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<THiddenWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && self->handler_) {
        LRESULT result = 0;
        bool handled = false;
        // A failure must not cross the window system's frames: it goes to the general report.
        RunGuarded(nullptr, [&] { handled = self->handler_(msg, wp, lp, result); });
        if (handled) return result;
    }
    if (msg == WM_CLOSE) return 0;
    return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace noc
