#pragma once
// A window of the program's own that is never shown: it only receives messages for the object that
// owns it (the application, the media player, the timers, the notification-area icons). Every
// message goes to one handler; what the handler leaves goes to the default processing, except a
// close request, which a window that was never shown has no reason to obey.
#include <windows.h>

#include <functional>

namespace noc {

class THiddenWindow {
public:
    // Returns true when it handled the message, with its answer in `result`.
    using Handler = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;

    // MessageOnly windows are the lightest but see no broadcast; TopLevel ones are ordinary
    // invisible top-level windows, which also receive broadcasts such as "TaskbarCreated".
    enum Kind { MessageOnly, TopLevel };

    THiddenWindow(const char* className, Kind kind, Handler handler, const char* title = "", DWORD style = 0,
                  DWORD exStyle = 0, int x = 0, int y = 0);
    ~THiddenWindow();
    THiddenWindow(const THiddenWindow&) = delete;
    THiddenWindow& operator=(const THiddenWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND handle_ = nullptr;
    Handler handler_;
};

}  // namespace noc
