// Scrambling and unscrambling of the password and the integrity text, and the form they are stored in.
#include "Reference.h"
#include "settings/Scramble.h"

namespace {

// What the store keeps for a scrambled value: every scrambled byte plus one terminating zero, with its
// length, so that a zero scrambled byte (from a backspace) is kept too; reading drops that one zero.
std::string StoredForm(const std::string& scrambled) { return scrambled + std::string(1, '\0'); }
std::string ReadBack(std::string stored) {
    if (!stored.empty() && stored.back() == '\0') stored.pop_back();
    return noc::Unscramble(stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    int32_t key = 0;
    FUZZ_CHECK(ref::ToInt(noc::kScrambleKey, key));
    const unsigned k = static_cast<uint32_t>(key) & 0xFFu;

    const std::string scrambled = noc::Scramble(text);
    FUZZ_CHECK(scrambled.size() == text.size());
    bool zeroByte = false;
    for (size_t i = 0; i < size; ++i) {
        const unsigned c = static_cast<unsigned char>(text[i]);
        const unsigned s = static_cast<unsigned char>(scrambled[i]);
        FUZZ_CHECK(s == ((c + k) & 0xFFu));
        zeroByte |= s == 0;
    }
    FUZZ_CHECK(noc::Unscramble(scrambled) == text);
    FUZZ_CHECK(noc::Scramble(noc::Unscramble(text)) == text);  // any stored bytes unscramble reversibly

    if (!zeroByte) {
        // Such a text is an ordinary zero-terminated string once scrambled: no byte is lost either way.
        FUZZ_CHECK(std::string(scrambled.c_str()) == scrambled);
        FUZZ_CHECK(noc::Unscramble(std::string(scrambled.c_str())) == text);
    } else {
        // Zero scrambled bytes come from backspaces only; the stored form keeps them.
        FUZZ_CHECK(text.find('\b') != std::string::npos);
    }
    const std::string stored = StoredForm(scrambled);
    FUZZ_CHECK(stored.size() == size + 1);
    FUZZ_CHECK(ReadBack(stored) == text);
    return 0;
}
