// The command line: its splitting into parameters, the program's own path at its head, the eleven
// positions applied to the held settings, and the twelfth, a clock time, in place of the four time
// positions.
#include "Reference.h"
#include "app/CommandLine.h"
#include "settings/IntConvert.h"

#include <vector>

namespace {

using Params = std::vector<std::string>;

// Blanks outside double quotes separate; a piece's quotes are removed; a piece that holds nothing but
// quotes (an empty pair, say) is skipped like a blank, so that no parameter is empty.
Params ReferenceSplit(const std::string& s) {
    Params params;
    std::string piece;
    bool quoted = false, holdsText = false;
    const auto finish = [&] {
        if (holdsText) params.push_back(piece);
        piece.clear();
        holdsText = false;
    };
    for (char c : s) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && ref::IsBlank(c)) {
            finish();
        } else {
            piece += c;
            holdsText = true;
        }
    }
    finish();
    return params;
}

// Code page 1252's letters to lower case: A-Z, the accented capitals 0xC0..0xDE but the sign 0xD7,
// and the four capitals S, OE, Z with caron and Y with diaeresis that stand apart.
char Lower(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) return static_cast<char>(u + 0x20);
    if (u == 0x8A || u == 0x8C || u == 0x8E) return static_cast<char>(u + 0x10);
    if (u == 0x9F) return static_cast<char>(0xFF);
    return c;
}

std::string Lower(const std::string& s) {
    std::string out;
    for (char c : s) out += Lower(c);
    return out;
}

// The program's path at the head, after the blanks and empty pairs that come before any parameter,
// alone or in quotes, with a blank or the end behind it, is parameter 0 as written; everything after
// it splits as above. Any other line splits as a whole.
Params ReferenceProgramSplit(const std::string& s, const std::string& path) {
    size_t head = 0;
    for (;;) {
        if (head < s.size() && ref::IsBlank(s[head]))
            ++head;
        else if (s.compare(head, 2, "\"\"") == 0)
            head += 2;
        else
            break;
    }
    if (!path.empty()) {
        for (const std::string& form : {"\"" + path + "\"", path}) {
            const std::string written = s.substr(head, form.size());
            const size_t after = head + form.size();
            if (Lower(written) == Lower(form) && (after == s.size() || ref::IsBlank(s[after]))) {
                Params params{form == path ? written : written.substr(1, path.size())};
                for (const std::string& p : ReferenceSplit(s.substr(after))) params.push_back(p);
                return params;
            }
        }
    }
    return ReferenceSplit(s);
}

const std::string kProgramPaths[] = {"C:\\Program Files\\NocTuro\\NocTuro.exe",
                                     "D:\\Logiciels \xC9t\xE9\\\x9A"
                                     "a\xFF.exe"};

noc::HeldSettings Sample() {
    noc::HeldSettings h;
    h.Couleur = "clBlue";
    h.Jours = 1;
    h.Heures = 2;
    h.Minutes = 3;
    h.Secondes = 4;
    h.Chrono = "non";
    h.MdPasse = "pw";
    h.MdPasseOK = "non";
    h.Demarrage = "oui";
    h.Alerte = "non";
    h.Protection = "prot";
    h.Son = "a.wav";
    h.Delai = 30;
    return h;
}

bool Same(const noc::HeldSettings& a, const noc::HeldSettings& b) {
    return a.Couleur == b.Couleur && a.Jours == b.Jours && a.Heures == b.Heures && a.Minutes == b.Minutes &&
           a.Secondes == b.Secondes && a.Chrono == b.Chrono && a.MdPasse == b.MdPasse && a.MdPasseOK == b.MdPasseOK &&
           a.Demarrage == b.Demarrage && a.Alerte == b.Alerte && a.Protection == b.Protection && a.Son == b.Son &&
           a.Delai == b.Delai;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const Params params = noc::SplitCommandLine(line);
    FUZZ_CHECK(params == ReferenceSplit(line));

    // Each parameter given back in quotes splits into the same parameters.
    std::string requoted;
    for (const std::string& p : params) requoted += " \"" + p + "\"";
    FUZZ_CHECK(noc::SplitCommandLine(requoted) == params);

    FUZZ_CHECK(noc::StartedWithParametersFlag(params) == (params.size() > 1 ? "oui" : ""));

    // The program's own path: on the line as it comes, and put at its head, quoted or not, in any
    // letter case, where everything after it is parameters.
    FUZZ_CHECK(noc::SplitProgramCommandLine(line, "") == params);
    for (const std::string& path : kProgramPaths) {
        FUZZ_CHECK(noc::SplitProgramCommandLine(line, path) == ReferenceProgramSplit(line, path));
        Params after = ReferenceSplit(line);
        for (const std::string& head : {path, "\"" + path + "\"", Lower(path)}) {
            Params expected{head.front() == '"' ? path : head};
            expected.insert(expected.end(), after.begin(), after.end());
            FUZZ_CHECK(noc::SplitProgramCommandLine(head + " " + line, path) == expected);
        }
    }

    // The whole input as a clock time, and the twelfth parameter.
    int hour = 0, minute = 0;
    noc::ClockTime time{-1, -1};
    const bool isTime = ref::ToClockTime(line, hour, minute);
    FUZZ_CHECK(noc::ParseClockTime(line, time) == isTime);
    FUZZ_CHECK(isTime ? time.Hour == hour && time.Minute == minute : time.Hour == -1 && time.Minute == -1);
    if (isTime) FUZZ_CHECK(noc::ClockTimeText(time) == (line.size() == 4 ? "0" + line : line));
    const std::string twelfth = params.size() > 12 ? params[12] : "";
    const bool endTimeGiven = params.size() > 12 && twelfth != "*";
    const noc::EndTimeParameter end = noc::ReadEndTime(params);
    FUZZ_CHECK(end.given == endTimeGiven);
    FUZZ_CHECK(end.text == twelfth);
    FUZZ_CHECK(end.valid == (endTimeGiven && ref::ToClockTime(twelfth, hour, minute)));
    if (end.valid) FUZZ_CHECK(end.time.Hour == hour && end.time.Minute == minute);

    // The positions, one by one; a number that does not convert keeps its setting and is reported,
    // in position order, and the later positions still apply. A twelfth parameter given leaves the
    // four time positions unread.
    noc::HeldSettings expected = Sample();
    std::vector<std::string> failures;
    for (size_t i = 1; i <= 11 && i < params.size(); ++i) {
        const std::string& p = params[i];
        if (p == "*") continue;
        if (endTimeGiven && i >= 2 && i <= 5) continue;
        std::string* texts[] = {
            nullptr,           &expected.Couleur,   nullptr,          nullptr,       nullptr, nullptr, &expected.Chrono,
            &expected.MdPasse, &expected.MdPasseOK, &expected.Alerte, &expected.Son, nullptr};
        int32_t* numbers[] = {
            nullptr, nullptr, &expected.Jours, &expected.Heures, &expected.Minutes, &expected.Secondes,
            nullptr, nullptr, nullptr,         nullptr,          nullptr,           &expected.Delai};
        if (texts[i]) {
            *texts[i] = p;
        } else {
            int32_t n = 0;
            if (ref::ToInt(p, n))
                *numbers[i] = n;
            else
                failures.push_back(ref::ConversionMessage(p));
        }
    }
    noc::HeldSettings held = Sample();
    const std::vector<std::string> reported = noc::ApplyCommandLine(params, held);
    FUZZ_CHECK(reported == failures);
    FUZZ_CHECK(Same(held, expected));
    return 0;
}
