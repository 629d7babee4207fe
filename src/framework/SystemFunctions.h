#pragma once
// Functions that older Windows lacks, found at run time so that the program still starts there;
// null where missing.
#include <windows.h>

#include <cstring>
#include <string>

namespace noc {

template <typename Function>
Function User32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// A function of a library of the system, loaded from the system's folder only (a library of that
// name beside the program is never taken) and kept loaded for the rest of the run.
template <typename Function>
Function SystemFunction(const char* module, const char* name) {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 1 + std::strlen(module) >= MAX_PATH) return nullptr;
    const HMODULE m = LoadLibraryA((std::string(path, n) + "\\" + module).c_str());
    return m ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace noc
