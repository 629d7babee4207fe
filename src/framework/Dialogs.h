#pragma once
// The program's message boxes, all modal with a single OK button, and its sounds. They go
// through the seam, so tests see them without a person to click.
#include <string>

namespace noc {

// Caption "Information", information icon.
void ShowInformation(const std::string& text);
// Caption "Warning", warning icon.
void ShowWarning(const std::string& text);
// The application's title as caption, no icon.
void ShowPlainMessage(const std::string& text);
// The system's default beep, which goes before refusals and registry errors.
void DefaultBeep();
// The system's information sound, which confirms a registry change.
void InformationSound();

}  // namespace noc
