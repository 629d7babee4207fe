#include "settings/SettingsTable.h"

#include "settings/IntConvert.h"
#include "settings/Scramble.h"

namespace noc {

namespace {

const SettingInfo kInfo[kSettingCount] = {
    {"Couleur", "clMedGray", false}, {"Jours", "0", false},       {"Heures", "0", false},
    {"Minutes", "0", false},         {"Secondes", "0", false},    {"Chrono", "non", false},
    {"MdPasse", "", true},           {"MdPasseOK", "non", false}, {"Demarrage", "non", false},
    {"Alerte", "non", false},        {"Protection", "", true},    {"Son", kSoundPlaceholder, false},
    {"Delai", "20", false},
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
    const SettingTexts& t = *this;
    return IntegrityText(t[Setting::Couleur], NumberOr0(t[Setting::Jours]), NumberOr0(t[Setting::Heures]),
                         NumberOr0(t[Setting::Minutes]), NumberOr0(t[Setting::Secondes]), t[Setting::Chrono],
                         t[Setting::MdPasse], t[Setting::MdPasseOK], t[Setting::Demarrage], t[Setting::Alerte]);
}

SettingTexts DesignTexts() {
    SettingTexts t;
    for (Setting s : kReadOrder) t[s] = Info(s).design;
    t[Setting::Protection] = t.MatchingProtection();
    return t;
}

std::string StoredForm(Setting s, const std::string& clear) { return Info(s).scrambled ? Scramble(clear) : clear; }

}  // namespace noc
