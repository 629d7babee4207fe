// NocTuro: switches the computer off after a waiting time.
#include <windows.h>

#include "app/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return noc::RunProgram(GetCommandLineA()); }
