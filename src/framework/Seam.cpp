#include "framework/Seam.h"

namespace noc {

int SystemSeam::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void SystemSeam::PlayBeep(UINT type) { MessageBeep(type); }

BOOL SystemSeam::RequestExitWindows(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason); }

bool SystemSeam::ChooseColour(CHOOSECOLORA& request) { return ChooseColorA(&request) != FALSE; }

bool SystemSeam::ChooseOpenFile(OPENFILENAMEA& request) { return GetOpenFileNameA(&request) != FALSE; }

BOOL SystemSeam::NotifyShell(DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); }

namespace {
SystemSeam g_realSeam;
SystemSeam* g_seam = &g_realSeam;
}  // namespace

SystemSeam& Seam() { return *g_seam; }
void SetSystemSeam(SystemSeam* seam) { g_seam = seam ? seam : &g_realSeam; }

}  // namespace noc
