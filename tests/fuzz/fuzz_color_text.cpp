// Colour texts both ways: every text that reads as a colour writes back to a text that reads as the
// same colour, and every colour value survives writing and reading.
#include "Reference.h"
#include "settings/ColorText.h"
#include "settings/IntConvert.h"

#include <cstring>

namespace {

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The written form: the first identifier of the table with that value, else "$" and 8 upper-case digits.
void CheckWritten(noc::TColor c) {
    const std::string text = noc::ColorToText(c);
    const noc::ColorIdent* first = nullptr;
    for (const noc::ColorIdent& ident : noc::ColorIdentifiers())
        if (ident.value == c) {
            first = &ident;
            break;
        }
    if (first) {
        FUZZ_CHECK(text == first->name);
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "$%08X", static_cast<unsigned>(c));
        FUZZ_CHECK(text == hex);
    }
    noc::TColor back = 0;
    FUZZ_CHECK(noc::TryTextToColor(text, back) && back == c);
    FUZZ_CHECK(noc::TextToColor(text) == c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Reading: an identifier in any letter case, else a whole number.
    bool valid = false;
    noc::TColor expected = 0;
    for (const noc::ColorIdent& ident : noc::ColorIdentifiers())
        if (SameIgnoringAsciiCase(text, ident.name)) {
            valid = true;
            expected = ident.value;
            break;
        }
    int32_t number = 0;
    if (!valid && ref::ToInt(text, number)) {
        valid = true;
        expected = static_cast<noc::TColor>(number);
    }

    noc::TColor got = 0;
    FUZZ_CHECK(noc::TryTextToColor(text, got) == valid);
    try {
        const noc::TColor c = noc::TextToColor(text);
        FUZZ_CHECK(valid && c == expected);
    } catch (const noc::EConvertError& e) {
        FUZZ_CHECK(!valid);
        FUZZ_CHECK(e.what() == ref::ConversionMessage(text));
    }
    if (valid) {
        FUZZ_CHECK(got == expected);
        CheckWritten(got);
    }

    // Any 32-bit value, written then read.
    if (size >= 4) {
        noc::TColor c = 0;
        std::memcpy(&c, data, 4);
        CheckWritten(c);
    }
    return 0;
}
