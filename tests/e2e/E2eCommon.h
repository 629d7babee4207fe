#pragma once
// What the end-to-end tests share: the thirteen stored values written consistently, the Run entry,
// and short ways to read the main window.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RegKey.h"
#include "app/Form2Ids.h"
#include "driver/Driver.h"
#include "settings/Scramble.h"
#include "settings/SettingsTable.h"
#include "wine/StoreTexts.h"

namespace e2e {

constexpr DWORD kLong = 10000;  // for what must happen
constexpr DWORD kShort = 1500;  // for what must not

inline const char kCaption[] = "Extinction de l'ordinateur";
inline const char kPlaceholder[] = "Chemin du fichier...";
using testing::kTampered;
inline const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The thirteen stored values, as text, with the password in clear: the settings table's design
// values, with the fields a case changes.
struct Stored {
    using S = noc::Setting;
    static std::string Design(S s) { return noc::Info(s).design; }

    std::string Couleur = Design(S::Couleur);
    std::string Jours = Design(S::Jours), Heures = Design(S::Heures), Minutes = Design(S::Minutes),
                Secondes = Design(S::Secondes);
    std::string Chrono = Design(S::Chrono), MdPasse = Design(S::MdPasse), MdPasseOK = Design(S::MdPasseOK),
                Demarrage = Design(S::Demarrage), Alerte = Design(S::Alerte), Son = Design(S::Son);
    std::string Delai = Design(S::Delai);
    // Values written over after the check text was made, as by hand; nothing removes the value.
    std::vector<std::pair<std::string, std::optional<std::string>>> byHand;
};

inline int Number(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

// The values in clear, the check text that matches them included.
inline noc::SettingTexts TextsOf(const Stored& s) {
    using noc::Setting;
    const std::pair<Setting, const std::string Stored::*> fields[] = {{Setting::Couleur, &Stored::Couleur},
                                                                      {Setting::Jours, &Stored::Jours},
                                                                      {Setting::Heures, &Stored::Heures},
                                                                      {Setting::Minutes, &Stored::Minutes},
                                                                      {Setting::Secondes, &Stored::Secondes},
                                                                      {Setting::Chrono, &Stored::Chrono},
                                                                      {Setting::MdPasse, &Stored::MdPasse},
                                                                      {Setting::MdPasseOK, &Stored::MdPasseOK},
                                                                      {Setting::Demarrage, &Stored::Demarrage},
                                                                      {Setting::Alerte, &Stored::Alerte},
                                                                      {Setting::Son, &Stored::Son},
                                                                      {Setting::Delai, &Stored::Delai}};
    noc::SettingTexts t;
    for (const auto& [setting, field] : fields) t[setting] = s.*field;
    t[Setting::Protection] = t.MatchingProtection();
    return t;
}

// The check text as stored.
inline std::string ProtectionOf(const Stored& s) {
    return noc::StoredForm(noc::Setting::Protection, TextsOf(s)[noc::Setting::Protection]);
}

inline void DeleteSetting(const std::string& name) {
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name.c_str());
}

// A fresh key holding the values and the check text that matches them, then the hand edits.
inline void WriteAll(const Stored& s) {
    DeleteSettingsKey();
    const noc::SettingTexts t = TextsOf(s);
    for (noc::Setting setting : noc::kReadOrder)
        WriteSetting(noc::NameOf(setting), noc::StoredForm(setting, t[setting]));
    for (const auto& [name, value] : s.byHand) {
        if (value)
            WriteSetting(name, *value);
        else
            DeleteSetting(name);
    }
}

inline void WriteRunValue(const std::string& name, const std::string& value, HKEY root = HKEY_LOCAL_MACHINE) {
    REQUIRE(testing::WriteString(root, kRunKey, name, value));
}

inline bool RunValueExists(const std::string& name, HKEY root = HKEY_LOCAL_MACHINE) {
    return testing::ReadValue(root, kRunKey, name).has_value();
}

inline void DeleteRunValue(const std::string& name) { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, name.c_str()); }

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

// A file in the temporary folder holding `content`, removed when the object goes.
struct TempFile {
    std::string path;
    TempFile(const char* name, const std::string& content) {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + name;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(f != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(f);
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
};

// The start of an MP3 file: enough for the program to take it as a sound file that exists.
inline const std::string kMp3Head = "ID3";

// Half a second of 8-bit mono silence at 8 kHz: a wave file that the media system opens.
inline std::string SilentWave() {
    const DWORD samples = 4000;
    struct {
        char riff[4] = {'R', 'I', 'F', 'F'};
        DWORD size = 36 + samples;
        char wave[8] = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
        DWORD fmtSize = 16;
        WORD format = 1, channels = 1;
        DWORD rate = 8000, bytesPerSecond = 8000;
        WORD align = 1, bits = 8;
        char data[4] = {'d', 'a', 't', 'a'};
        DWORD dataSize = samples;
    } header;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(samples, '\x80');
    return bytes;
}

}  // namespace e2e
