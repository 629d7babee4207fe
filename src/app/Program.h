#pragma once
// The program's entry, apart from WinMain so that it can be called with any command line.
#include <string>

namespace noc {

// The program's start: single instance, the two windows, the automatic start or the window, the
// message loop. Returns the process exit code.
int RunProgram(const std::string& commandLine);

}  // namespace noc
