#pragma once
// Files the program looks at: its own folder and the sound files.
#include <windows.h>

#include <string>

#include "app/SoundRules.h"
#include "settings/StartupEntry.h"

namespace noc {

// An existing file, not a folder.
inline bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ProgramFolder() { return FolderOf(ProgramPath()); }

}  // namespace noc
