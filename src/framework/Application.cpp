#include "framework/Application.h"

#include <commctrl.h>

#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Sync.h"

namespace noc {

namespace {
const char kAppWindowClass[] = "TApplication";
const char kWakeWindowClass[] = "TApplicationWake";
}

namespace {
TApplication* g_application = nullptr;

// Every message that any loop of the thread takes (the program's, a message box's, a menu's): a
// key or a mouse button tells how the user reaches what comes next, and a key shows the window's
// focus mark.
LRESULT CALLBACK WatchEveryLoop(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE && g_application) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lp);
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            g_application->NoteInput(true);
            if (TControl* c = TControl::FromHandle(msg.hwnd))
                if (TForm* form = c->ParentForm()) form->ShowFocusMarks();
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
            g_application->NoteInput(false);
            break;
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

TApplication& Application() {
    if (!g_application) g_application = new TApplication();
    return *g_application;
}

void DestroyApplication() {
    ForgetHeldBoxes();
    // Still reachable while it destroys its forms: their destructors ask for it.
    delete g_application;
    g_application = nullptr;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    inputWatch_.reset();
    DestroyComponents();
    SetWakeMainThread(nullptr);
    wake_.reset();
    window_.reset();
}

HINSTANCE TApplication::Instance() const { return GetModuleHandleA(nullptr); }

void TApplication::Initialize() {
    if (window_) return;
    SetMainThread();
    INITCOMMONCONTROLSEX icc{
        sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    // The application's own window: never shown, it owns the forms.
    window_ = std::make_unique<THiddenWindow>(
        kAppWindowClass, THiddenWindow::TopLevel,
        [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return WindowMessage(msg, wp, lp, result); },
        title_.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0,
        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    // The wake-up comes every second of a countdown: to a window of its own, which no component
    // watches, as they watch the application's (each watcher costs the message a request to the
    // server under Wine).
    wake_ = std::make_unique<THiddenWindow>(kWakeWindowClass, THiddenWindow::MessageOnly,
                                            [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
                                                return msg == WM_NOC_SYNC && WindowMessage(msg, wp, lp, result);
                                            });
    HWND wnd = wake_->Handle();
    SetWakeMainThread([wnd] { PostMessageA(wnd, WM_NOC_SYNC, 0, 0); });
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (window_) SetWindowTextA(window_->Handle(), title_.c_str());
}

bool TApplication::WindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_NOC_SYNC:
        CheckSynchronize();
        result = 0;
        return true;
    case WM_NOC_HELD_BOXES:
        RunGuarded(this, [] { ShowHeldBoxes(); });
        result = 0;
        return true;
    case WM_CLOSE:
        RunGuarded(this, [&] { RequestClose(mainForm_); });
        result = 0;
        return true;
    case WM_QUERYENDSESSION: {
        bool canEnd = true;
        RunGuarded(this, [&] { canEnd = QueryEndSession(nullptr); });
        result = canEnd ? TRUE : FALSE;
        return true;
    }
    default:
        return false;
    }
}

void TApplication::RequestClose(TForm* asked) {
    if (TForm* target = closeRequestForm_ ? closeRequestForm_ : asked) target->Close();
}

bool TApplication::QueryEndSession(TForm* asked) {
    if (!closeRequestForm_) return asked ? asked->CloseQuery() : true;
    constexpr DWORD kOneQuestionMs = 1000;
    const bool recent = endSessionAnswered_ && GetTickCount() - endSessionAnsweredAt_ < kOneQuestionMs;
    if (asked == closeRequestForm_ || !recent) {
        endSessionAnswer_ = closeRequestForm_->CloseQuery();
        endSessionAnswered_ = true;
        endSessionAnsweredAt_ = GetTickCount();  // after any message the request showed
    }
    return endSessionAnswer_;
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) mainForm_->Show();
    while (HandleMessage()) {
    }
}

void TApplication::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // The dialog keys (Tab, arrows, Enter, Escape, mnemonics) in the active window. Only keys: for
    // any other message the dialog manager would just dispatch it, and asking for the active
    // window costs a request to the server under Wine, for each of the countdown's messages.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND active = GetActiveWindow();
        if (active && TControl::FromHandle(active) && IsDialogMessageA(active, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::WatchInput(bool active) {
    if (!active)
        inputWatch_.reset();
    else if (!inputWatch_)
        inputWatch_.reset(SetWindowsHookExA(WH_GETMESSAGE, WatchEveryLoop, nullptr, GetCurrentThreadId()));
}

bool TApplication::HandleMessage() {
    CheckSynchronize();
    if (terminated_) return false;
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
        terminated_ = true;
        return false;
    }
    ProcessMessage(msg);
    CheckSynchronize();
    return !terminated_;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!ProcessMessage(msg)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
    CheckSynchronize();
}

void TApplication::ShowException(const std::string& text) {
    std::string shown = text;
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) > '.') shown += '.';
    ShowBox(Handle(), shown, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject*) {
    try {
        throw;
    } catch (const EAbort&) {
        // a silent abort: nothing to report
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown failure");
    }
}

}  // namespace noc
