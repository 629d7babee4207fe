#include "framework/Application.h"

#include <commctrl.h>

#include "framework/Controls.h"
#include "framework/Seam.h"
#include "framework/Sync.h"

namespace noc {

namespace {
const char kAppWindowClass[] = "TApplication";
}

TApplication& Application() {
    static TApplication* app = new TApplication();  // lives until the process ends
    return *app;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    DestroyComponents();
    if (handle_) DestroyWindow(handle_);
}

HINSTANCE TApplication::Instance() const { return GetModuleHandleA(nullptr); }

void TApplication::Initialize() {
    if (handle_) return;
    SetMainThread();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc{};
    wc.lpfnWndProc = &TApplication::WindowProc;
    wc.hInstance = Instance();
    wc.hIcon = LoadIconA(Instance(), "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kAppWindowClass;
    RegisterClassA(&wc);
    // The application's own window: never shown, it owns the forms and receives the wake-up of the
    // hand-over queue.
    handle_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                              nullptr, nullptr, Instance(), nullptr);
    HWND wnd = handle_;
    SetWakeMainThread([wnd] { PostMessageA(wnd, WM_NOC_SYNC, 0, 0); });
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextA(handle_, title_.c_str());
}

LRESULT CALLBACK TApplication::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NOC_SYNC:
        CheckSynchronize();
        return 0;
    case WM_CLOSE:
        if (TForm* f = Application().MainForm()) f->Close();
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wp, lp);
    }
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
    HWND active = GetActiveWindow();
    if (active && TControl::FromHandle(active) && IsDialogMessageA(active, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
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
    Seam().ShowMessageBox(handle_, shown, title_, MB_OK | MB_ICONSTOP);
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
