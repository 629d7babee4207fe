#include "driver/Tray.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>

#include "driver/Driver.h"

namespace e2e {

HWND TrayCallbackWindow(DWORD pid) { return FindTopWindow(pid, "TTrayIconHandler", nullptr); }

namespace {
NOTIFYICONDATAA EmptyRequest(HWND callbackWindow, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = callbackWindow;
    data.uID = id;
    data.uFlags = 0;
    return data;
}
}  // namespace

bool ShellHasIcon(HWND callbackWindow, UINT id) {
    NOTIFYICONDATAA data = EmptyRequest(callbackWindow, id);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

std::vector<UINT> IconsInShell(HWND callbackWindow) {
    std::vector<UINT> held;
    for (UINT id : kAllIcons)
        if (ShellHasIcon(callbackWindow, id)) held.push_back(id);
    return held;
}

bool RemoveFromShell(HWND callbackWindow, UINT id) {
    NOTIFYICONDATAA data = EmptyRequest(callbackWindow, id);
    return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

void AnnounceTaskbarCreated() {
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &result);
}

HWND ShownTaskbar() {
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    return bar && IsWindowVisible(bar) ? bar : nullptr;
}

namespace {
BOOL CALLBACK CollectTooltip(HWND wnd, LPARAM lp) {
    if (IsWindowVisible(wnd) && ClassOf(wnd) == TOOLTIPS_CLASSA)
        reinterpret_cast<std::vector<std::string>*>(lp)->push_back(Text(wnd));
    return TRUE;
}
}  // namespace

std::vector<std::string> ShownTooltips() {
    std::vector<std::string> texts;
    EnumWindows(&CollectTooltip, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

POINT TrayPlace(int n) { return POINT{789 - 20 * n, 590}; }

int Picture::Count(COLORREF colour) const {
    int n = 0;
    for (COLORREF c : pixels) n += c == colour;
    return n;
}

int Picture::CountOther(COLORREF colour) const { return static_cast<int>(pixels.size()) - Count(colour); }

std::string Sketch(const Picture& picture, COLORREF background, COLORREF mark) {
    std::string text;
    for (int y = picture.area.top; y < picture.area.bottom; ++y) {
        text += '\n';
        for (int x = picture.area.left; x < picture.area.right; ++x) {
            const COLORREF c = picture.At(x, y);
            text += c == background ? '.' : c == mark ? 'o' : '#';
        }
    }
    return text;
}

namespace {
// The pixels of `screenArea` from a device context whose origin is at `origin` on the screen.
std::optional<Picture> ReadDcPixels(HDC source, const RECT& screenArea, const RECT& origin) {
    Picture picture;
    picture.area = screenArea;
    const int w = picture.Width(), h = picture.Height();
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, source, screenArea.left - origin.left, screenArea.top - origin.top, SRCCOPY) !=
             FALSE;
        GdiFlush();
        if (ok) {
            const auto* p = static_cast<const DWORD*>(bits);
            picture.pixels.reserve(static_cast<size_t>(w) * h);
            for (int i = 0; i < w * h; ++i)  // 0x00RRGGBB in a DIB
                picture.pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    if (!ok) return std::nullopt;
    return picture;
}

std::optional<Picture> ReadWindowPixels(HWND wnd, const RECT& screenArea) {
    RECT frame{};
    if (!GetWindowRect(wnd, &frame)) return std::nullopt;
    HDC source = GetWindowDC(wnd);
    if (!source) return std::nullopt;
    std::optional<Picture> picture = ReadDcPixels(source, screenArea, frame);
    ReleaseDC(wnd, source);
    return picture;
}
}  // namespace

std::optional<Picture> ReadScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    if (!screen) return std::nullopt;
    RECT origin{};  // the screen's device context is addressed in screen coordinates
    std::optional<Picture> picture = ReadDcPixels(screen, area, origin);
    ReleaseDC(nullptr, screen);
    return picture;
}

bool TrayStripShowsDesktop() {
    if (ShownTaskbar()) return false;
    const POINT right = TrayPlace(0), left = TrayPlace(4);
    std::optional<Picture> strip = ReadScreen(RECT{left.x - 10, 580, right.x + 11, 600});
    return strip && strip->CountOther(GetSysColor(COLOR_DESKTOP)) == 0;
}

std::optional<Picture> ReadTrayPlace(int n) {
    HWND bar = ShownTaskbar();
    if (!bar) return std::nullopt;
    const POINT c = TrayPlace(n);
    return ReadWindowPixels(bar, RECT{c.x - 9, c.y - 9, c.x + 9, c.y + 9});
}

namespace {
INPUT MouseInput(DWORD flags, POINT at = {}) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = (at.x * 65535 + (w - 1) / 2) / (w - 1);
        in.mi.dy = (at.y * 65535 + (h - 1) / 2) / (h - 1);
    }
    return in;
}
}  // namespace

void MoveMouseTo(POINT at) {
    INPUT move = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at);
    SendInput(1, &move, sizeof(INPUT));
}

namespace {
LRESULT CALLBACK DropUninjected(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && !(reinterpret_cast<const MSLLHOOKSTRUCT*>(lp)->flags & LLMHF_INJECTED)) return 1;
    return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

// The hook's own thread: the system calls a low-level hook through its thread's message queue, and
// the test's thread waits without reading messages.
DWORD WINAPI SolePointer::HookThread(void* param) {
    auto* self = static_cast<SolePointer*>(param);
    HHOOK hook = SetWindowsHookExA(WH_MOUSE_LL, &DropUninjected, GetModuleHandleA(nullptr), 0);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue that WM_QUIT comes to
    self->installed_ = hook != nullptr;
    SetEvent(self->ready_);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}

SolePointer::SolePointer() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &HookThread, this, 0, &threadId_);
    if (thread_) WaitForSingleObject(ready_, INFINITE);
}

SolePointer::~SolePointer() {
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
}

void ClickScreenAt(POINT at) {
    // Two clicks at one place within the double-click time make a double click, whose second
    // press arrives as a double-click message and no press: keep them apart.
    static DWORD lastTime = 0;
    static POINT lastPlace{-100, -100};
    if (std::abs(at.x - lastPlace.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        std::abs(at.y - lastPlace.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
        const DWORD since = GetTickCount() - lastTime, apart = GetDoubleClickTime() + 50;
        if (since < apart) Sleep(apart - since);
    }
    INPUT in[] = {MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at), MouseInput(MOUSEEVENTF_LEFTDOWN),
                  MouseInput(MOUSEEVENTF_LEFTUP)};
    SendInput(3, in, sizeof(INPUT));
    lastTime = GetTickCount();
    lastPlace = at;
}

}  // namespace e2e
