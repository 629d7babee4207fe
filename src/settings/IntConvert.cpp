#include "settings/IntConvert.h"

namespace noc {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Parse(const std::string& text, int32_t& out) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && IsBlank(text[i])) ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    if (i >= n) return false;  // at least one digit is needed

    if (hex) {
        uint64_t value = 0;
        for (; i < n; ++i) {
            const int d = HexValue(text[i]);
            if (d < 0) return false;
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull) return false;
        }
        uint32_t pattern = static_cast<uint32_t>(value);
        if (negative) pattern = 0u - pattern;  // two's complement negation of the 32-bit pattern
        out = static_cast<int32_t>(pattern);
        return true;
    }

    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    uint64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) return false;
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    out = static_cast<int32_t>(signedValue);
    return true;
}

}  // namespace

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!Parse(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

bool TryStrToInt(const std::string& text, int32_t& out) {
    int32_t value = 0;
    if (!Parse(text, value)) return false;
    out = value;
    return true;
}

std::string IntToStr(int64_t value) { return std::to_string(static_cast<long long>(value)); }

}  // namespace noc
