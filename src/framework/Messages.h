#pragma once
// The program's private window messages, in one place so that no two share a number.
#include <windows.h>

namespace noc {

// To the application window: a worker queued a call on the hand-over queue.
constexpr UINT WM_NOC_SYNC = WM_APP + 0x100;
// To the application window: boxes held during a tick are waiting to be shown.
constexpr UINT WM_NOC_HELD_BOXES = WM_APP + 0x101;
// To a timer's window: a tick handler failed; lParam owns a std::exception_ptr.
constexpr UINT WM_NOC_TIMER_FAILURE = WM_APP + 0x110;
// To the alert report's window: an alert file could not be opened.
constexpr UINT WM_NOC_ALERT_FAILURE = WM_APP + 0x130;
// To a control that the keyboard clicks: an accessibility client asked for its default action.
constexpr UINT WM_NOC_KEYBOARD_CLICK = WM_APP + 0x140;
// To a form: what held the keyboard focus has gone or been disabled; the focus finds its place.
constexpr UINT WM_NOC_SETTLE_FOCUS = WM_APP + 0x150;
// From the shell to the tray icons' shared window: a mouse event on one of the icons.
constexpr UINT WM_NOC_TRAY_CALLBACK = WM_USER + 0x0400;

}  // namespace noc
