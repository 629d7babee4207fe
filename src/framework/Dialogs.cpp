#include "framework/Dialogs.h"

#include <windows.h>

#include "framework/Application.h"
#include "framework/Seam.h"

namespace noc {

namespace {
// The main window stays on top of other windows, so its boxes must too.
constexpr UINT kBoxFlags = MB_OK | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND;
}

void ShowInformation(const std::string& text) {
    Seam().ShowMessageBox(nullptr, text, "Information", kBoxFlags | MB_ICONINFORMATION);
}

void ShowWarning(const std::string& text) {
    Seam().ShowMessageBox(nullptr, text, "Warning", kBoxFlags | MB_ICONWARNING);
}

void ShowPlainMessage(const std::string& text) { Seam().ShowMessageBox(nullptr, text, Application().Title(), kBoxFlags); }

void DefaultBeep() { Seam().PlayBeep(MB_OK); }

void InformationSound() { Seam().PlayBeep(MB_ICONASTERISK); }

}  // namespace noc
