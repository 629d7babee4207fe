#include "settings/StartupEntry.h"

#include <windows.h>

#include "framework/Handles.h"
#include "settings/SettingsStore.h"

namespace noc {

namespace {
UniqueRegKey OpenRunKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(MachineRoot(), kRunKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return UniqueRegKey();
    return UniqueRegKey(key);
}
}  // namespace

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

bool WriteStartupEntry(const std::string& path) {
    UniqueRegKey key = OpenRunKey();
    if (!key) return false;
    const std::string entry = "\"" + path + "\"";
    return RegSetValueExA(key.get(), "NocTuro", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                          static_cast<DWORD>(entry.size() + 1)) == ERROR_SUCCESS;
}

bool RemoveStartupEntry() {
    UniqueRegKey key = OpenRunKey();
    if (!key) return false;
    RegDeleteValueA(key.get(), "Nocturo");
    return true;
}

}  // namespace noc
