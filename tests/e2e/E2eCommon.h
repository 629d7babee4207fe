#pragma once
// What the end-to-end tests share: the thirteen stored values written consistently, the Run entry,
// and short ways to read the main window.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/Form2Ids.h"
#include "driver/Driver.h"
#include "settings/Scramble.h"
#include "settings/SettingsTable.h"

namespace e2e {

constexpr DWORD kLong = 10000;   // for what must happen
constexpr DWORD kShort = 1500;   // for what must not

inline const char kCaption[] = "Extinction de l'ordinateur";
inline const char kPlaceholder[] = "Chemin du fichier...";
inline const char kTampered[] =
    "Ooops ! La configuration de NocTuro semble avoir été modifiée\r\nmanuellement ! Veuillez vérifier ses "
    "paramètres...";
inline const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The thirteen stored values, as text, with the password in clear.
struct Stored {
    std::string Couleur = "clMedGray";
    std::string Jours = "0", Heures = "0", Minutes = "0", Secondes = "0";
    std::string Chrono = "non";
    std::string MdPasse;
    std::string MdPasseOK = "non", Demarrage = "non", Alerte = "non";
    std::string Son = kPlaceholder;
    std::string Delai = "20";
};

inline int Number(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

// The values in clear, the check text that matches them included.
inline noc::SettingTexts TextsOf(const Stored& s) {
    using noc::Setting;
    noc::SettingTexts t;
    t[Setting::Couleur] = s.Couleur;
    t[Setting::Jours] = s.Jours;
    t[Setting::Heures] = s.Heures;
    t[Setting::Minutes] = s.Minutes;
    t[Setting::Secondes] = s.Secondes;
    t[Setting::Chrono] = s.Chrono;
    t[Setting::MdPasse] = s.MdPasse;
    t[Setting::MdPasseOK] = s.MdPasseOK;
    t[Setting::Demarrage] = s.Demarrage;
    t[Setting::Alerte] = s.Alerte;
    t[Setting::Son] = s.Son;
    t[Setting::Delai] = s.Delai;
    t[Setting::Protection] = t.MatchingProtection();
    return t;
}

// The check text as stored.
inline std::string ProtectionOf(const Stored& s) {
    return noc::StoredForm(noc::Setting::Protection, TextsOf(s)[noc::Setting::Protection]);
}

// A fresh key holding the values and the check text that matches them.
inline void WriteAll(const Stored& s) {
    DeleteSettingsKey();
    const noc::SettingTexts t = TextsOf(s);
    for (noc::Setting setting : noc::kReadOrder) WriteSetting(noc::NameOf(setting), noc::StoredForm(setting, t[setting]));
}

inline void DeleteSetting(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

inline void WriteRunValue(const std::string& name, const std::string& value) {
    HKEY key = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

inline bool RunValueExists(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline void DeleteRunValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

inline HWND WaitForForm(const Program& prog) { return WaitForTopWindow(prog.Id(), "TForm2", kCaption, kLong, true); }

// The window exists once the set-up has run, shown or not.
inline HWND WaitForHiddenForm(const Program& prog) { return WaitForTopWindow(prog.Id(), "TForm2", kCaption, kLong); }

inline bool FormShownWithin(const Program& prog, DWORD ms) {
    return WaitForTopWindow(prog.Id(), "TForm2", nullptr, ms, true) != nullptr;
}

inline bool NoMessageBoxWithin(const Program& prog, DWORD ms) { return !WaitForMessageBox(prog.Id(), ms).has_value(); }

inline std::string TextOf(HWND form, int id) {
    HWND c = ControlById(form, id);
    REQUIRE_MESSAGE(c != nullptr, "control " << id);
    return Text(c);
}

inline bool CheckedById(HWND form, int id) {
    HWND c = ControlById(form, id);
    REQUIRE_MESSAGE(c != nullptr, "control " << id);
    return IsChecked(c);
}

inline int SliderPos(HWND form) {
    HWND slider = ControlById(form, noc::idTrackBar1);
    REQUIRE(slider != nullptr);
    CHECK(ClassOf(slider) == "msctls_trackbar32");
    return static_cast<int>(Send(slider, TBM_GETPOS));
}

inline void CheckDial(HWND form, const char* days, const char* hours, const char* minutes, const char* seconds) {
    CHECK(TextOf(form, noc::idMaskEdit4) == days);
    CHECK(TextOf(form, noc::idMaskEdit1) == hours);
    CHECK(TextOf(form, noc::idMaskEdit2) == minutes);
    CHECK(TextOf(form, noc::idMaskEdit3) == seconds);
}

// A file of a few bytes in the temporary folder, removed when the object goes.
struct TempFile {
    std::string path;
    explicit TempFile(const char* name) {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + name;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(f != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, "ID3", 3, &written, nullptr);
        CloseHandle(f);
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
};


}  // namespace e2e
