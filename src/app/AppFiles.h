#pragma once
// Files the program looks at: its own folder and the sound files.
#include <windows.h>

#include <string>

#include "settings/StartupEntry.h"

namespace noc {

// An existing file, not a folder.
inline bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Everything up to and including the last path separator or drive colon; empty without one.
inline std::string FolderOf(const std::string& path) {
    const size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

inline std::string ProgramFolder() { return FolderOf(ProgramPath()); }

}  // namespace noc
