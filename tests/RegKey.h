#pragma once
// Registry keys a test opens or creates, each closed by its one owner.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace testing {

using noc::UniqueRegKey;

// The key, or none (false) with the registry's answer in *rc.
inline UniqueRegKey OpenKey(HKEY root, const std::string& path, REGSAM access = KEY_READ, LONG* rc = nullptr) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(root, path.c_str(), 0, access, &key);
    if (rc) *rc = status;
    return UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

inline UniqueRegKey CreateKey(HKEY root, const std::string& path, DWORD options = REG_OPTION_NON_VOLATILE,
                              LONG* rc = nullptr) {
    HKEY key = nullptr;
    const LONG status =
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc) *rc = status;
    return UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

// A value's bytes as text, less the one terminating zero; none when the key or the value is
// missing. Its type in *type.
inline std::optional<std::string> ReadValue(HKEY root, const std::string& path, const std::string& name,
                                            DWORD* type = nullptr) {
    const UniqueRegKey key = OpenKey(root, path);
    DWORD size = 0, t = REG_NONE;
    if (!key || RegQueryValueExA(key.get(), name.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type) *type = t;
    if (size > 0 && data[size - 1] == '\0') --size;
    return std::string(data.data(), size);
}

// A string value, its key created when missing; whether both went through.
inline bool WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
    const UniqueRegKey key = CreateKey(root, path);
    return key && RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace testing
