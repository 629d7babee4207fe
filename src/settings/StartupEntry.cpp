#include "settings/StartupEntry.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/Seam.h"
#include "settings/SettingsStore.h"

namespace noc {

namespace {

UniqueRegKey OpenRunKey(HKEY root, REGSAM access) {
    HKEY key = nullptr;
    if (Seam().OpenRegistryKey(root, kRunKeyPath, access, false, &key) != ERROR_SUCCESS) return UniqueRegKey();
    return UniqueRegKey(key);
}

bool WriteEntryUnder(HKEY root, const std::string& entry) {
    UniqueRegKey key = OpenRunKey(root, KEY_ALL_ACCESS);
    return key && RegSetValueExA(key.get(), "NocTuro", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                                 static_cast<DWORD>(entry.size() + 1)) == ERROR_SUCCESS;
}

enum class Removal { Removed, Absent, Left };

Removal EntryLeftUnder(HKEY root) {
    // A key that may only be read (the machine's, to a standard user) may still hold an entry that
    // this user cannot take away.
    UniqueRegKey readable = OpenRunKey(root, KEY_QUERY_VALUE);
    if (readable && RegQueryValueExA(readable.get(), "Nocturo", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return Removal::Left;
    return Removal::Absent;
}

Removal RemoveEntryUnder(HKEY root) {
    if (UniqueRegKey key = OpenRunKey(root, KEY_ALL_ACCESS)) {
        RegDeleteValueA(key.get(), "Nocturo");
        return Removal::Removed;
    }
    return EntryLeftUnder(root);
}

}  // namespace

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

bool MachineRunKeyWritable() { return static_cast<bool>(OpenRunKey(MachineRoot(), KEY_ALL_ACCESS)); }

bool WriteStartupEntry(const std::string& path) {
    const std::string entry = "\"" + path + "\"";
    if (StartupEntryRoot() == MachineRoot() && WriteEntryUnder(MachineRoot(), entry)) return true;
    if (!WriteEntryUnder(UserRoot(), entry)) return false;
    MoveStartupEntryToUser();
    return true;
}

bool RemoveStartupEntry() {
    // The user's entry leaves the machine's to the administrator: it is only looked at.
    const bool users = StartupEntryRoot() != MachineRoot();
    const Removal machine = users ? EntryLeftUnder(MachineRoot()) : RemoveEntryUnder(MachineRoot());
    const Removal user = RemoveEntryUnder(UserRoot());
    if (machine == Removal::Left || user == Removal::Left) return false;
    return machine == Removal::Removed || user == Removal::Removed;
}

}  // namespace noc
