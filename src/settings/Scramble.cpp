#include "settings/Scramble.h"

#include "settings/IntConvert.h"

namespace noc {

const char* const kScrambleKey = "730518264";

namespace {

unsigned char KeyShift() {
    static const unsigned char shift =
        static_cast<unsigned char>(static_cast<uint32_t>(StrToInt(kScrambleKey)) & 0xFFu);
    return shift;
}

std::string Shift(const std::string& text, unsigned char amount) {
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        result[i] = static_cast<char>(static_cast<unsigned char>(c + amount));
    }
    return result;
}

}  // namespace

std::string Scramble(const std::string& plain) { return Shift(plain, KeyShift()); }

std::string Unscramble(const std::string& stored) {
    return Shift(stored, static_cast<unsigned char>(256u - KeyShift()));
}

std::string IntegrityText(const std::string& colourText, int32_t days, int32_t hours, int32_t minutes, int32_t seconds,
                          const std::string& chrono, const std::string& password, const std::string& passwordRequired,
                          const std::string& startWithWindows, const std::string& alert) {
    return colourText + IntToStr(days) + IntToStr(hours) + IntToStr(minutes) + IntToStr(seconds) + chrono + password +
           passwordRequired + startWithWindows + alert;
}

bool IsYes(const std::string& flag) { return flag == "oui"; }

const char* YesNo(bool b) { return b ? "oui" : "non"; }

}  // namespace noc
