#pragma once
// The thirteen stored values, defined once, one row each: name, design value (the window's first
// state, which a first start stores), whether the store keeps them scrambled, and what the rest of
// the program does with each: loading, the command line, the integrity text, the orders of reading
// and writing, the start-up entry, a user's first copy and the administrator's policy. A new value
// is a name here, a row in SettingsTable.cpp, and its control in the window.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/HeldSettings.h"

namespace noc {

enum class Setting {
    Couleur,
    Jours,
    Heures,
    Minutes,
    Secondes,
    Chrono,
    MdPasse,
    MdPasseOK,
    Demarrage,
    Alerte,
    Protection,
    Son,
    Delai,
};
constexpr size_t kSettingCount = 13;

struct SettingInfo {
    const char* name;
    // In clear. The integrity text has none of its own: it is the one that matches the others.
    const char* design;
    bool scrambled;
    // Where the window holds it from the start on: a text, or a number converted as it is read.
    std::string HeldSettings::*heldText;
    int32_t HeldSettings::*heldNumber;
    // Its position on the command line, 0 for none.
    size_t parameter;
    // Part of the integrity text, in the read order (numbers as the start reads them).
    bool checked;
    // Stored beside the start-up entry it records, in the machine's key or the user's as the entry
    // goes, rather than with the other settings.
    bool besideEntry;
    // Copied from the machine's values into a user's new key (never the password).
    bool seeded;
    // Set by an administrator's policy (kPolicyKeyPath), which then locks its control.
    bool policy;
    // Its place in a close's writing (kWriteOrder), the integrity text's the last.
    int written;
};

const SettingInfo& Info(Setting s);
inline const char* NameOf(Setting s) { return Info(s).name; }
// The value stored under that name; false when none is.
bool SettingNamed(const std::string& name, Setting& s);

// The order of the start's reading, which is also the order of the table.
extern const std::array<Setting, kSettingCount> kReadOrder;
// The order of a close's writing (the rows' places): the integrity text last, after every value it
// covers.
extern const std::array<Setting, kSettingCount> kWriteOrder;

// A text for each value, in clear, indexed by Setting.
struct SettingTexts {
    std::array<std::string, kSettingCount> text;
    std::string& operator[](Setting s) { return text[static_cast<size_t>(s)]; }
    const std::string& operator[](Setting s) const { return text[static_cast<size_t>(s)]; }
    // The integrity text that matches the other values (numbers read as the start reads them;
    // one that does not convert counts as 0).
    std::string MatchingProtection() const;
};

// The design values, with the integrity text that matches them.
SettingTexts DesignTexts();

// The held settings as texts, numbers in decimal.
SettingTexts TextsOf(const HeldSettings& held);

// The text as the store keeps it: scrambled for the values that are.
std::string StoredForm(Setting s, const std::string& clear);

// Beside the thirteen and outside the integrity text: the clock time that the dial aims at, «HH:MM»,
// or empty for a plain duration. Written only when it changes, so a store without it stays as it is.
constexpr const char* kTargetSettingName = "HeureFixe";
// Beside them too, and written in the same way: what happens at zero, by its short name
// («redemarrer»), empty for the shutdown.
constexpr const char* kActionSettingName = "Action";

// Under HKEY_LOCAL_MACHINE: the values an administrator sets for every user (Group Policy), in the
// store's names and forms, with one of the policy's own: kNoCancelName "non" forbids stopping a
// running countdown.
constexpr const char* kPolicyKeyPath = "Software\\Policies\\Belvane\\NocTuro";
constexpr const char* kNoCancelName = "Annulation";

// What the policy sets.
struct PolicyValues {
    SettingTexts texts;
    std::array<bool, kSettingCount> given{};
    bool noCancel = false;
    // The clock time it aims every countdown at (kTargetSettingName, «HH:MM»), empty for none.
    std::string target;
    // The action at zero it imposes (kActionSettingName), empty for none.
    std::string action;
    bool Sets(Setting s) const { return given[static_cast<size_t>(s)]; }
    // A value found under the setting's name: kept when the policy may set it and, for a number,
    // when it converts; any other is left to the user.
    void Give(Setting s, const std::string& text);
    // Puts the values it sets into the held settings.
    void ApplyTo(HeldSettings& held) const;
};

// The placeholder of the sound file's label, and so the design value of "Son".
constexpr const char* kSoundPlaceholder = "Chemin du fichier...";

}  // namespace noc
