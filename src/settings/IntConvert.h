#pragma once
// Whole numbers as text both ways, with the conversion's own error message.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace noc {

// Raised when a text cannot be read as an integer.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's one text-to-integer conversion.
// Accepted form: optional leading blanks (code <= 0x20), optional '+' or '-', then either decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may follow the digits.
// Decimal must fit a signed 32-bit integer; hexadecimal may go up to 0xFFFFFFFF and is taken as the
// 32-bit pattern, the sign then applying to that value.
// Failure throws EConvertError: '<text>' is not a valid integer value
int32_t StrToInt(const std::string& text);

// Same rules as StrToInt, reports failure instead of throwing; out is left untouched on failure.
bool TryStrToInt(const std::string& text, int32_t& out);

// Plain decimal, '-' for negatives, no leading zeros.
std::string IntToStr(int64_t value);

}  // namespace noc
