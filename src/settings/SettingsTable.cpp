#include "settings/SettingsTable.h"

#include "settings/IntConvert.h"
#include "settings/Scramble.h"

namespace noc {

namespace {

using H = HeldSettings;

// name, design, scrambled, held as text or number, command-line position, in the integrity text,
// beside the start-up entry, copied into a user's new key, set by the policy
const SettingInfo kInfo[kSettingCount] = {
    {"Couleur", "clMedGray", false, &H::Couleur, nullptr, 1, true, false, true, true},
    {"Jours", "0", false, nullptr, &H::Jours, 2, true, false, true, true},
    {"Heures", "0", false, nullptr, &H::Heures, 3, true, false, true, true},
    {"Minutes", "0", false, nullptr, &H::Minutes, 4, true, false, true, true},
    {"Secondes", "0", false, nullptr, &H::Secondes, 5, true, false, true, true},
    {"Chrono", "non", false, &H::Chrono, nullptr, 6, true, false, true, true},
    {"MdPasse", "", true, &H::MdPasse, nullptr, 7, true, false, false, false},
    {"MdPasseOK", "non", false, &H::MdPasseOK, nullptr, 8, true, false, false, false},
    {"Demarrage", "non", false, &H::Demarrage, nullptr, 0, true, true, true, true},
    {"Alerte", "non", false, &H::Alerte, nullptr, 9, true, false, true, true},
    {"Protection", "", true, &H::Protection, nullptr, 0, false, false, false, false},
    {"Son", kSoundPlaceholder, false, &H::Son, nullptr, 10, false, false, true, true},
    {"Delai", "20", false, nullptr, &H::Delai, 11, false, false, true, true},
};

int32_t NumberOr0(const std::string& text) {
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        return 0;
    }
}

}  // namespace

const SettingInfo& Info(Setting s) { return kInfo[static_cast<size_t>(s)]; }

bool SettingNamed(const std::string& name, Setting& s) {
    for (Setting each : kReadOrder)
        if (name == NameOf(each)) {
            s = each;
            return true;
        }
    return false;
}

const std::array<Setting, kSettingCount> kReadOrder = {
    Setting::Couleur,    Setting::Jours,   Setting::Heures,    Setting::Minutes,   Setting::Secondes,
    Setting::Chrono,     Setting::MdPasse, Setting::MdPasseOK, Setting::Demarrage, Setting::Alerte,
    Setting::Protection, Setting::Son,     Setting::Delai,
};

const std::array<Setting, kSettingCount> kWriteOrder = {
    Setting::Couleur,   Setting::Jours,  Setting::Heures,     Setting::Minutes,   Setting::Secondes,
    Setting::Son,       Setting::Delai,  Setting::Chrono,     Setting::MdPasseOK, Setting::MdPasse,
    Setting::Demarrage, Setting::Alerte, Setting::Protection,
};

std::string SettingTexts::MatchingProtection() const {
    std::string integrity;
    for (Setting s : kReadOrder) {
        if (!Info(s).checked) continue;
        integrity += Info(s).heldNumber ? IntToStr(NumberOr0((*this)[s])) : (*this)[s];
    }
    return integrity;
}

SettingTexts DesignTexts() {
    SettingTexts t;
    for (Setting s : kReadOrder) t[s] = Info(s).design;
    t[Setting::Protection] = t.MatchingProtection();
    return t;
}

SettingTexts TextsOf(const HeldSettings& held) {
    SettingTexts t;
    for (Setting s : kReadOrder) {
        const SettingInfo& row = Info(s);
        t[s] = row.heldNumber ? IntToStr(held.*row.heldNumber) : held.*row.heldText;
    }
    return t;
}

void PolicyValues::Give(Setting s, const std::string& text) {
    const SettingInfo& row = Info(s);
    if (!row.policy) return;
    if (row.heldNumber) {
        try {
            StrToInt(text);
        } catch (const EConvertError&) {
            return;
        }
    }
    texts[s] = text;
    given[static_cast<size_t>(s)] = true;
}

void PolicyValues::ApplyTo(HeldSettings& held) const {
    for (Setting s : kReadOrder) {
        if (!Sets(s)) continue;
        const SettingInfo& row = Info(s);
        if (row.heldNumber)
            held.*row.heldNumber = StrToInt(texts[s]);
        else
            held.*row.heldText = texts[s];
    }
}

std::string StoredForm(Setting s, const std::string& clear) { return Info(s).scrambled ? Scramble(clear) : clear; }

}  // namespace noc
