#pragma once
// A hook on another window's procedure. Hooks stack on a window in a chain that the common
// controls keep, each under its own identity, so they can be removed in any order, and a window
// destroyed with hooks still on it takes them away with it.
#include <windows.h>

#include <functional>

namespace noc {

class TWindowHook {
public:
    // Returns true when it handled the message, with the answer in `result`; otherwise the message
    // goes on down the chain.
    using Handler = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;

    TWindowHook() = default;
    ~TWindowHook() { Remove(); }
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;

    // Hooks `wnd` (one window at a time); false when the window does not exist.
    bool Install(HWND wnd, Handler handler);
    void Remove();
    bool Installed() const { return wnd_ != nullptr; }
    HWND Window() const { return wnd_; }

    // The rest of the chain, for a handler that wants the message processed as before and then
    // adds to it. Only from inside the handler.
    LRESULT CallNext(UINT msg, WPARAM wp, LPARAM lp) const;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

    HWND wnd_ = nullptr;
    Handler handler_;
};

}  // namespace noc
