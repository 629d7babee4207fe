#include "framework/WindowHook.h"

#include <commctrl.h>

namespace noc {

bool TWindowHook::Install(HWND wnd, Handler handler) {
    Remove();
    if (!wnd || !IsWindow(wnd)) return false;
    handler_ = std::move(handler);
    if (!SetWindowSubclass(wnd, &TWindowHook::Proc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        return false;
    wnd_ = wnd;
    return true;
}

void TWindowHook::Remove() {
    if (!wnd_) return;
    RemoveWindowSubclass(wnd_, &TWindowHook::Proc, reinterpret_cast<UINT_PTR>(this));
    wnd_ = nullptr;
}

LRESULT TWindowHook::CallNext(UINT msg, WPARAM wp, LPARAM lp) const { return DefSubclassProc(wnd_, msg, wp, lp); }

LRESULT CALLBACK TWindowHook::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TWindowHook*>(data);
    if (msg == WM_NCDESTROY) {
        // The window goes, and its hooks with it.
        RemoveWindowSubclass(wnd, &TWindowHook::Proc, reinterpret_cast<UINT_PTR>(self));
        self->wnd_ = nullptr;
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    LRESULT result = 0;
    if (self->handler_ && self->handler_(msg, wp, lp, result)) return result;
    return DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace noc
