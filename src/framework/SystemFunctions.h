#pragma once
// Functions of user32 that older Windows lacks, found at run time so that the program still starts
// there; null where missing.
#include <windows.h>

namespace noc {

template <typename Function>
Function User32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace noc
