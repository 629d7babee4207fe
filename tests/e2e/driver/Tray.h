#pragma once
// The notification area seen from outside: which of the program's icons the shell holds, what the
// taskbar shows on screen, a mouse click on it, and the shell's "taskbar created" announcement.
//
// Under Wine's virtual desktop the taskbar is the 800 x 600 desktop's bottom strip (y 580..600),
// shown only while at least one icon is in it. The first icon added stands at the right end, centred
// at (789, 590); each later one stands 20 pixels to the left of the previous one.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The identifiers of the main window's five icons with their shared callback window, given in the
// order the window creates them.
constexpr UINT kProgramIcon = 1;  // the animated program icon
constexpr UINT kSecondsIcon = 2;
constexpr UINT kMinutesIcon = 3;
constexpr UINT kHoursIcon = 4;
constexpr UINT kDaysIcon = 5;
constexpr UINT kAllIcons[] = {kProgramIcon, kSecondsIcon, kMinutesIcon, kHoursIcon, kDaysIcon};

// The hidden window of process `pid` that receives the shell's callbacks of all its icons.
HWND TrayCallbackWindow(DWORD pid);

// Whether the shell holds icon `id` of that window: an empty modification, which the shell accepts
// only for an icon it has, and which changes nothing.
bool ShellHasIcon(HWND callbackWindow, UINT id);
// The identifiers among kAllIcons that the shell holds, in increasing order.
std::vector<UINT> IconsInShell(HWND callbackWindow);
// Removes an icon from the shell behind its program's back.
bool RemoveFromShell(HWND callbackWindow, UINT id);
// Tells every top-level window that the taskbar has been created again, as the shell does when it
// restarts; returns once they have all answered (or a second has passed for one that hangs).
void AnnounceTaskbarCreated();

// The taskbar window while it is on screen, else null.
HWND ShownTaskbar();

// The texts of the tooltips on screen. The shell has a tooltip window per icon; under Wine one that
// has been shown can stay on screen after the mouse has left its icon.
std::vector<std::string> ShownTooltips();

// Centre of the n-th place of the notification area, counted from the right (0: the first icon added).
POINT TrayPlace(int n);

// A picture read from the screen, top-down, each pixel as a COLORREF.
struct Picture {
    RECT area{};  // screen coordinates
    std::vector<COLORREF> pixels;

    int Width() const { return area.right - area.left; }
    int Height() const { return area.bottom - area.top; }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>((y - area.top) * Width() + (x - area.left))]; }
    int Count(COLORREF colour) const;
    int CountOther(COLORREF colour) const;  // pixels of any other colour
    bool operator==(const Picture& other) const { return EqualRect(&area, &other.area) && pixels == other.pixels; }
    bool operator!=(const Picture& other) const { return !(*this == other); }
};

// The picture as text for a failure message, a line per row: '.' for `background`, 'o' for `mark`,
// '#' for any other colour.
std::string Sketch(const Picture& picture, COLORREF background, COLORREF mark);

constexpr COLORREF kTaskbarColour = RGB(255, 255, 255);

// The 18 x 18 pixels around place n of the notification area (its 16 x 16 icon and a pixel of margin),
// as the taskbar shows them; nothing while no taskbar is shown. The pixels are read from the
// taskbar window's own device context: the screen's device context gives black wherever another
// process's window stands.
std::optional<Picture> ReadTrayPlace(int n);
// The screen's own pixels in `area`: the desktop's background where no window stands (black where
// another process's window does).
std::optional<Picture> ReadScreen(const RECT& area);
// Whether the taskbar's strip at the right end, where the icons stand, shows nothing but the
// desktop's background.
bool TrayStripShowsDesktop();

// Moves the mouse to `at` on the screen and clicks the left button there, through the system's
// input queue as a real mouse would. A click at the place of the previous one waits until the
// double-click time has passed since it, so that two clicks never make a double click.
void ClickScreenAt(POINT at);
// Moves the mouse to `at` without a click.
void MoveMouseTo(POINT at);

// While it lives, the pointer goes only where this process sends it. Under Wine each jump that
// SendInput makes also warps the X pointer, and every Wine process whose X window the warp crosses
// turns the X server's motion and crossing events back into mouse input when it next reads them:
// one read late puts the pointer back where an earlier jump had left it, and a press sent meanwhile
// lands there. That input, never marked as injected, is dropped: no other mouse is on the display.
class SolePointer {
public:
    SolePointer();
    ~SolePointer();
    SolePointer(const SolePointer&) = delete;
    SolePointer& operator=(const SolePointer&) = delete;
    bool Installed() const { return installed_; }

private:
    static DWORD WINAPI HookThread(void* self);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    DWORD threadId_ = 0;
    bool installed_ = false;
};

}  // namespace e2e
