#pragma once
// A plain start while a copy runs: the running copy's window comes forward, and the new copy ends.
#include <windows.h>

namespace noc {

// The private message that such a start posts to the running copy's window; 0 if the system has
// none to give.
UINT SecondStartMessage();

// From the new copy: asks the copy that runs, in another process, to bring its window forward.
// Nothing happens when its window is not there (yet, or any more).
void CallRunningCopy();

// In the running copy: lets that message reach `window` from a copy started with fewer rights, as
// when the running one was started as administrator (Windows 7 on; nothing before).
void AcceptSecondStarts(HWND window);

}  // namespace noc
