#pragma once
// The application object: title, main form, the hidden application window, the message loop, the
// general error report, and the end of the program.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "framework/Component.h"
#include "framework/Handles.h"
#include "framework/HiddenWindow.h"
#include "framework/Messages.h"

namespace noc {

class TForm;

// A failure that ends a handler without any report.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the hidden application window and makes the calling thread the user-interface thread.
    void Initialize();
    HWND Handle() const { return window_ ? window_->Handle() : nullptr; }
    HINSTANCE Instance() const;

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // Forms belong to the application; the first one created is the main form.
    template <typename T, typename... A>
    T* CreateForm(A&&... args) {
        T* form = new T(this, std::forward<A>(args)...);
        if (!mainForm_) mainForm_ = form;
        return form;
    }
    TForm* MainForm() const { return mainForm_; }
    void ClearMainForm() { mainForm_ = nullptr; }

    // Whether Run shows the main form before the loop starts.
    bool ShowMainForm = true;

    // Requests from outside to close one of the program's windows (WM_CLOSE, or the system menu's
    // close, at any form or at the application's window) and the system's question before a
    // log-off go to the close request of this form when one is named, so that no window of the
    // program ends it, or answers the question, behind that request's back. Without one, each form
    // closes itself and answers for itself.
    void SetCloseRequestForm(TForm* form) { closeRequestForm_ = form; }
    TForm* CloseRequestForm() const { return closeRequestForm_; }
    void RequestClose(TForm* asked);
    // The system asks each top-level window in turn. The named form always asks its close request;
    // the other windows give the answer it gave within the last second, or ask it themselves.
    bool QueryEndSession(TForm* asked);

    // Runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles the messages that are waiting, then returns.
    void ProcessMessages();
    // Handles one message, waiting for it; returns false once the loop should end.
    bool HandleMessage();

    // Whether the user's last input to the program was a key rather than a mouse button: in any of
    // its message loops, or as the shell tells it of a notification-area icon (NoteInput).
    bool KeyboardUsedLast() const { return keyboardUsedLast_; }
    void NoteInput(bool keyboard) { keyboardUsedLast_ = keyboard; }
    // The watch on every loop's input runs only while the program is the active one: keys come to
    // it only then, and a watched message costs two requests to the server under Wine, which the
    // countdown, mostly in the notification area, should not pay.
    void WatchInput(bool active);

    // The general error report: call it from a catch block. The failure's text is shown in a
    // message box captioned with the title; a silent abort shows nothing.
    void HandleException(TObject* sender);
    void ShowException(const std::string& text);

private:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool ProcessMessage(MSG& msg);

    std::unique_ptr<THiddenWindow> window_, wake_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    TForm* closeRequestForm_ = nullptr;
    bool endSessionAnswer_ = true;
    DWORD endSessionAnsweredAt_ = 0;
    bool endSessionAnswered_ = false;
    bool keyboardUsedLast_ = false;
    UniqueHook inputWatch_;
};

// The application object, made at first use.
TApplication& Application();
// Destroys the application object with its forms and their components, newest first, once the
// message loop has ended; the next Application() makes a new one.
void DestroyApplication();

// Runs `body`; a failure that escapes it goes to the general error report. Every handler that the
// window system calls runs inside this.
template <typename F>
void RunGuarded(TObject* sender, F&& body) {
    try {
        body();
    } catch (...) {
        Application().HandleException(sender);
    }
}

}  // namespace noc
