// The integrity text: the concatenation of ten stored texts, rebuilt at start-up from what was read.
// A save followed by a load never finds it altered, and rewriting a stored number in another form of
// the same value does not alter it either.
#include <fuzzer/FuzzedDataProvider.h>

#include "Reference.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string colour = in.ConsumeRandomLengthString(64);
    int32_t counters[4];
    for (int32_t& c : counters) c = in.ConsumeIntegral<int32_t>();
    std::string texts[5];  // chrono, password, password flag, start flag, alert flag
    for (std::string& t : texts) t = in.ConsumeRandomLengthString(64);
    const std::string padding = in.ConsumeRandomLengthString(4);
    const std::string protection = in.ConsumeRemainingBytesAsString();

    const auto build = [&](const std::string& c, const int32_t(&n)[4]) {
        return noc::IntegrityText(c, n[0], n[1], n[2], n[3], texts[0], texts[1], texts[2], texts[3], texts[4]);
    };

    std::string expected = colour;
    for (int32_t c : counters) expected += std::to_string(c);
    for (const std::string& t : texts) expected += t;
    const std::string integrity = build(colour, counters);
    FUZZ_CHECK(integrity == expected);

    // Save, then load: the counters go through their decimal text, the integrity text through its
    // scrambled stored form; the load rebuilds the same text.
    int32_t loaded[4];
    for (int i = 0; i < 4; ++i) loaded[i] = noc::StrToInt(noc::IntToStr(counters[i]));
    FUZZ_CHECK(build(colour, loaded) == noc::Unscramble(noc::Scramble(integrity)));

    // A counter rewritten by hand with leading zeros, blanks or a plus sign reads as the same number.
    for (int i = 0; i < 4; ++i) {
        std::string rewritten;
        for (char c : padding) rewritten += (static_cast<unsigned char>(c) & 1) ? ' ' : '\t';
        const std::string decimal = noc::IntToStr(counters[i]);
        if (decimal[0] == '-')
            rewritten += "-00" + decimal.substr(1);
        else
            rewritten += "+0" + decimal;
        int32_t again[4] = {loaded[0], loaded[1], loaded[2], loaded[3]};
        again[i] = noc::StrToInt(rewritten);
        FUZZ_CHECK(build(colour, again) == integrity);
    }

    // A hand-edited "Protection" of any bytes compares without trouble.
    (void)(noc::Unscramble(protection) == integrity);
    return 0;
}
