// The yardstick for the program's cost: the least a Win32 window program does. A hidden window and
// a message loop that waits; with "show", its window is shown (for the start-up comparison).
// Built a second time with NOC_BARE_IMPORTS: the same, but loading every library the program
// imports and carrying its resources (manifest included), which tells the libraries' share of
// the program's start-up from its own set-up's.
#include <windows.h>

#include <cstring>

#ifdef NOC_BARE_IMPORTS
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

namespace {
// Never called: each call only makes its library an import, as in the program.
void ImportAll() {
    ChooseColorA(nullptr);
    Shell_NotifyIconA(NIM_DELETE, nullptr);
    mciSendCommandA(0, 0, 0, 0);
    ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    GradientFill(nullptr, nullptr, 0, nullptr, 0, 0);
    RegCloseKey(nullptr);
    DeleteObject(nullptr);
}
}  // namespace
#endif

namespace {
LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "NocBareWindow";
    if (!RegisterClassA(&wc)) return 1;
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                               nullptr, nullptr, instance, nullptr);
    if (!wnd) return 1;
#ifdef NOC_BARE_IMPORTS
    if (std::strstr(cmdLine, "never-called")) ImportAll();
#endif
    if (std::strstr(cmdLine, "show")) ShowWindow(wnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
