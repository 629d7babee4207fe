#pragma once
// The stored form of the two protected values: the scrambling and the integrity text.

#include <cstdint>
#include <string>

namespace noc {

extern const char* const kScrambleKey;

// Byte-wise shift by the key: (c + K) mod 256. Length is kept; a zero byte may appear (backspace, code 8),
// so callers store the result with its explicit length.
std::string Scramble(const std::string& plain);
// Exact inverse of Scramble: (c - K) mod 256.
std::string Unscramble(const std::string& stored);

// Concatenation, without separators, of the colour text, the dial values, the chrono text, the password
// in clear and the three flags, in that order.
std::string IntegrityText(const std::string& colourText, int32_t days, int32_t hours, int32_t minutes, int32_t seconds,
                          const std::string& chrono, const std::string& password, const std::string& passwordRequired,
                          const std::string& startWithWindows, const std::string& alert);

bool IsYes(const std::string& flag);  // exactly "oui"
const char* YesNo(bool b);            // "oui" / "non"

}  // namespace noc
