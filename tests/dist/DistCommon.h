#pragma once
// What the setup program's tests share: where it installs, how to run it and its uninstaller, and
// readers for what it leaves behind (executable kind, shortcut target, registry values and
// security descriptors).
#include <doctest/doctest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <sddl.h>
#include <shobjidl.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "E2eCommon.h"

namespace dist {

using namespace e2e;

constexpr DWORD kSetupTime = 60000;  // for a setup or uninstall run to end

inline const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NocTuro";
inline const char kMakerKey[] = "Software\\Belvane";

// The setup program under test, given by scripts/dist-test.sh as a Windows path.
inline std::string SetupPath() {
    const char* p = std::getenv("NOC_SETUP");
    REQUIRE_MESSAGE(p != nullptr, "NOC_SETUP names the setup program");
    return p;
}

inline std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    REQUIRE(SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)));
    return path;
}

// This process's own program-files folder: the 64-bit one for the 64-bit test, the only one on
// 32-bit Windows.
inline std::string InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + "\\NocTuro"; }
inline std::string InstalledExe() { return InstallDir() + "\\NocTuro.exe"; }
inline std::string InstalledSound() { return InstallDir() + "\\Alerte.mp3"; }
inline std::string InstalledUninstaller() { return InstallDir() + "\\Uninstall.exe"; }
inline std::string Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\NocTuro.lnk"; }

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline DWORD SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
}

// The machine field of an executable's PE header: 0x8664 for x64, 0x14C for x86, 0 when unreadable.
inline WORD MachineOf(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    if (!f.read(reinterpret_cast<char*>(&dos), sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE) return 0;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    f.seekg(dos.e_lfanew);
    if (!f.read(reinterpret_cast<char*>(&signature), sizeof(signature)) || signature != IMAGE_NT_SIGNATURE) return 0;
    if (!f.read(reinterpret_cast<char*>(&header), sizeof(header))) return 0;
    return header.Machine;
}

// Runs a program with its parameters to its end and gives its exit code.
inline DWORD RunToEnd(const std::string& exe, const std::string& params) {
    Program p(params, exe);
    const std::optional<DWORD> code = p.WaitExit(kSetupTime);
    REQUIRE_MESSAGE(code.has_value(), exe << " " << params << " did not end");
    return *code;
}

inline DWORD RunSetup() { return RunToEnd(SetupPath(), "/S"); }

// The uninstaller, run from a copy with "_?=" as scripts do: it then works in place of the one
// that copies itself away and returns at once, so that its exit code is its verdict.
inline DWORD RunUninstallerInPlace() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + "NocTuro-uninstall.exe";
    REQUIRE(CopyFileA(InstalledUninstaller().c_str(), copy.c_str(), FALSE));
    const DWORD code = RunToEnd(copy, "/S _?=" + InstallDir());
    DeleteFileA(copy.c_str());
    return code;
}

// Where a shortcut points, read back through the shell.
inline std::string ShortcutTarget(const std::string& link) {
    std::string target;
    CoInitialize(nullptr);
    IShellLinkA* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring wide(link.begin(), link.end());
            char path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        shell->Release();
    }
    CoUninitialize();
    return target;
}

inline bool KeyExists(const char* path, HKEY root = HKEY_LOCAL_MACHINE) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline std::optional<std::string> ReadString(const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char buf[1024] = {};
    DWORD size = sizeof(buf) - 1, type = 0;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::string(buf);
}

inline std::optional<DWORD> ReadDword(const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0, size = sizeof(value), type = 0;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

inline DWORD ValueCount(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

// The key's owner, group and access list as RegGetKeySecurity gives them (empty when unreadable).
inline std::vector<BYTE> SecurityOf(const char* path) {
    std::vector<BYTE> sd;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, READ_CONTROL, &key) != ERROR_SUCCESS) return sd;
    const SECURITY_INFORMATION what =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    RegGetKeySecurity(key, what, nullptr, &size);
    sd.resize(size);
    if (size == 0 || RegGetKeySecurity(key, what, sd.data(), &size) != ERROR_SUCCESS) sd.clear();
    RegCloseKey(key);
    return sd;
}

// The access list in the security descriptor language, e.g. «D:(A;;KA;;;BU)(A;;KA;;;BA)».
inline std::string DaclText(std::vector<BYTE> sd) {
    if (sd.empty()) return std::string();
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(sd.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr))
        return std::string();
    std::string result(text);
    LocalFree(text);
    return result;
}

// What an access list allows the local Users group (S-1-5-32-545): on the key itself, and what a
// new subkey would inherit.
struct Grant {
    ACCESS_MASK here = 0;
    ACCESS_MASK subkeys = 0;
};

// Rights beyond reading.
constexpr ACCESS_MASK kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | WRITE_DAC | WRITE_OWNER |
                                     DELETE | GENERIC_WRITE | GENERIC_ALL;

inline Grant UsersGrant(std::vector<BYTE> sd) {
    Grant grant;
    if (sd.empty()) return grant;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted) || !present || !dacl) return grant;
    BYTE users[SECURITY_MAX_SID_SIZE] = {};
    DWORD usersSize = sizeof(users);
    REQUIRE(CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &usersSize));
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) continue;
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (!EqualSid(&allowed->SidStart, users)) continue;
        if (!(header->AceFlags & INHERIT_ONLY_ACE)) grant.here |= allowed->Mask;
        if (header->AceFlags & CONTAINER_INHERIT_ACE) grant.subkeys |= allowed->Mask;
    }
    return grant;
}

// Ends a NocTuro whose window shows, as its user would: "Quitter", which also saves.
inline void Quit(Program& prog, HWND form) {
    HWND quit = ControlById(form, noc::idSpeedButton3);
    REQUIRE(quit != nullptr);
    Click(quit);
    REQUIRE(prog.WaitExit(kLong).has_value());
}

// Starts the installed NocTuro as from its shortcut: it shows no warning and finds the sound the
// setup installed; then "Quitter".
inline void StartInstalledAndQuit() {
    Program prog("", InstalledExe());
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(NoMessageBoxWithin(prog, kShort));
    CHECK(TextOf(form, noc::idLabel14) == InstalledSound());
    Quit(prog, form);
}

}  // namespace dist
