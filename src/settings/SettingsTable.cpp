#include "settings/SettingsTable.h"

#include <iterator>

#include "settings/IntConvert.h"
#include "settings/Scramble.h"

namespace noc {

namespace {

using H = HeldSettings;

// What else a value is part of, besides the store.
enum Uses : unsigned {
    Scrambled = 1,    // kept scrambled
    Checked = 2,      // the integrity text
    BesideEntry = 4,  // stored beside the start-up entry
    Seeded = 8,       // copied into a user's new key
    Policy = 16,      // set by the policy
};
// The write order's last place: the integrity text, after every value it covers.
constexpr int kLast = 99;

constexpr SettingInfo Row(const char* name, const char* design, std::string H::*text, int32_t H::*number,
                          size_t parameter, int written, unsigned uses) {
    return {name,
            design,
            (uses & Scrambled) != 0,
            text,
            number,
            parameter,
            (uses & Checked) != 0,
            (uses & BesideEntry) != 0,
            (uses & Seeded) != 0,
            (uses & Policy) != 0,
            written};
}
constexpr SettingInfo Text(const char* name, const char* design, std::string H::*held, size_t parameter, int written,
                           unsigned uses) {
    return Row(name, design, held, nullptr, parameter, written, uses);
}
constexpr SettingInfo Number(const char* name, const char* design, int32_t H::*held, size_t parameter, int written,
                             unsigned uses) {
    return Row(name, design, nullptr, held, parameter, written, uses);
}

// In the order of the start's reading. Name, design value, where the window holds it, its position
// on the command line (0: none), its place in a close's writing, what else it is part of.
constexpr SettingInfo kInfo[] = {
    Text("Couleur", "clMedGray", &H::Couleur, 1, 1, Checked | Seeded | Policy),
    Number("Jours", "0", &H::Jours, 2, 2, Checked | Seeded | Policy),
    Number("Heures", "0", &H::Heures, 3, 3, Checked | Seeded | Policy),
    Number("Minutes", "0", &H::Minutes, 4, 4, Checked | Seeded | Policy),
    Number("Secondes", "0", &H::Secondes, 5, 5, Checked | Seeded | Policy),
    Text("Chrono", "non", &H::Chrono, 6, 8, Checked | Seeded | Policy),
    Text("MdPasse", "", &H::MdPasse, 7, 10, Scrambled | Checked),
    Text("MdPasseOK", "non", &H::MdPasseOK, 8, 9, Checked),
    Text("Demarrage", "non", &H::Demarrage, 0, 11, Checked | BesideEntry | Seeded | Policy),
    Text("Alerte", "non", &H::Alerte, 9, 12, Checked | Seeded | Policy),
    Text("Protection", "", &H::Protection, 0, kLast, Scrambled),
    Text("Son", kSoundPlaceholder, &H::Son, 10, 6, Seeded | Policy),
    Number("Delai", "20", &H::Delai, 11, 7, Seeded | Policy),
};
static_assert(std::size(kInfo) == kSettingCount, "one row for each stored value, in the order of Setting");

constexpr std::array<Setting, kSettingCount> TableOrder() {
    std::array<Setting, kSettingCount> order{};
    for (size_t i = 0; i < kSettingCount; ++i) order[i] = static_cast<Setting>(i);
    return order;
}

// The rows by their place in the writing; equal places keep the table's order.
constexpr std::array<Setting, kSettingCount> WrittenOrder() {
    std::array<Setting, kSettingCount> order = TableOrder();
    for (size_t i = 1; i < kSettingCount; ++i)
        for (size_t j = i;
             j > 0 && kInfo[static_cast<size_t>(order[j - 1])].written > kInfo[static_cast<size_t>(order[j])].written;
             --j) {
            const Setting s = order[j];
            order[j] = order[j - 1];
            order[j - 1] = s;
        }
    return order;
}

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

const std::array<Setting, kSettingCount> kReadOrder = TableOrder();
const std::array<Setting, kSettingCount> kWriteOrder = WrittenOrder();

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
