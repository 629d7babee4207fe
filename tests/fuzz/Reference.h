#pragma once
// Straightforward models of the reading rules, written from their description rather than from the
// program's code, for the fuzzers to compare against.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace ref {

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

inline int DigitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// Optional leading blanks, an optional sign, then decimal digits, or hexadecimal digits after "$",
// "x", "X", "0x" or "0X"; nothing else. Decimal must fit a signed 32-bit integer; hexadecimal is a
// 32-bit pattern (at most $FFFFFFFF) that the sign then negates.
inline bool ToInt(const std::string& text, int32_t& out) {
    std::string rest = text;
    size_t blanks = 0;
    while (blanks < rest.size() && IsBlank(rest[blanks])) ++blanks;
    rest.erase(0, blanks);

    bool negative = false;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        negative = rest[0] == '-';
        rest.erase(0, 1);
    }
    int base = 10;
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        const std::string p(prefix);
        if (rest.compare(0, p.size(), p) == 0) {
            base = 16;
            rest.erase(0, p.size());
            break;
        }
    }
    if (rest.empty()) return false;
    for (char c : rest)
        if (DigitValue(c, base) < 0) return false;

    const size_t firstSignificant = rest.find_first_not_of('0');
    const std::string digits = firstSignificant == std::string::npos ? "0" : rest.substr(firstSignificant);
    if (digits.size() > (base == 16 ? 8u : 10u)) return false;
    uint64_t magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(DigitValue(c, base));

    if (base == 16) {
        const uint32_t pattern = static_cast<uint32_t>(magnitude);
        out = static_cast<int32_t>(negative ? 0u - pattern : pattern);
        return true;
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
    out = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    return true;
}

// A clock time as HH:MM: the hours in one or two digits, 0 to 23, a colon, the minutes in two
// digits, 00 to 59, and nothing else.
inline bool ToClockTime(const std::string& text, int& hour, int& minute) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const size_t n = text.size();
    if (n < 4 || n > 5 || text[n - 3] != ':') return false;
    for (size_t i = 0; i < n; ++i)
        if (i != n - 3 && !digit(text[i])) return false;
    hour = std::atoi(text.substr(0, n - 3).c_str());
    minute = std::atoi(text.substr(n - 2).c_str());
    return hour < 24 && minute < 60;
}

// The conversion's message, as far as its first zero byte (where a C string's reader stops).
inline std::string ConversionMessage(const std::string& text) {
    const std::string message = "'" + text + "' is not a valid integer value";
    return message.c_str();
}

}  // namespace ref

// A broken rule stops the fuzzer at once, with the input kept as an artefact.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
