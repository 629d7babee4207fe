// The text-to-integer conversion of stored numbers and command-line numbers, against the model.
#include "Reference.h"
#include "settings/IntConvert.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    int32_t expected = 0;
    const bool valid = ref::ToInt(text, expected);

    int32_t got = 0x5A5A5A5A;
    FUZZ_CHECK(noc::TryStrToInt(text, got) == valid);
    FUZZ_CHECK(got == (valid ? expected : 0x5A5A5A5A));  // left untouched on failure

    try {
        FUZZ_CHECK(noc::StrToInt(text) == expected);
        FUZZ_CHECK(valid);
    } catch (const noc::EConvertError& e) {
        FUZZ_CHECK(!valid);
        FUZZ_CHECK(e.what() == ref::ConversionMessage(text));
    }

    // Writing a number and reading it back gives the same number, in the plain decimal form.
    int32_t value = expected;
    if (!valid && size >= 4) std::memcpy(&value, data, 4);
    const std::string written = noc::IntToStr(value);
    FUZZ_CHECK(written == std::to_string(value));
    int32_t reread = 0;
    FUZZ_CHECK(ref::ToInt(written, reread) && reread == value);
    FUZZ_CHECK(noc::StrToInt(written) == value);
    return 0;
}
