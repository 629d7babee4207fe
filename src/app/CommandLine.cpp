#include "app/CommandLine.h"

#include "settings/IntConvert.h"
#include "settings/SettingsTable.h"

namespace noc {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// Blanks and empty quote pairs ("") before a parameter.
size_t SkipSeparators(const std::string& s, size_t pos) {
    const size_t n = s.size();
    while (pos < n) {
        if (IsBlank(s[pos])) {
            ++pos;
        } else if (s[pos] == '"' && pos + 1 < n && s[pos + 1] == '"') {
            pos += 2;
        } else {
            break;
        }
    }
    return pos;
}

// Splits s from pos on and appends the parameters.
void SplitFrom(const std::string& s, size_t pos, std::vector<std::string>& params) {
    const size_t n = s.size();
    for (;;) {
        pos = SkipSeparators(s, pos);
        if (pos >= n) break;

        std::string param;
        bool quoted = false;
        while (pos < n) {
            const char c = s[pos];
            if (!quoted && IsBlank(c)) break;
            if (c == '"') {
                quoted = !quoted;
            } else {
                param += c;
            }
            ++pos;
        }
        // Only a lone quote closing the text leaves nothing: no parameter, not an empty one.
        if (!param.empty()) params.push_back(param);
    }
}

// Windows compares file names without regard to case: ASCII letters and the accented letters of
// code page 1252 (written as numbers, this file being plain ASCII).
unsigned char UpperCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9E:
        return 0x8E;
    case 0xFF:
        return 0x9F;
    default:
        return c;
    }
}

bool SamePathAt(const std::string& s, size_t pos, const std::string& path) {
    if (pos > s.size() || s.size() - pos < path.size()) return false;
    for (size_t i = 0; i < path.size(); ++i)
        if (UpperCase(static_cast<unsigned char>(s[pos + i])) != UpperCase(static_cast<unsigned char>(path[i])))
            return false;
    return true;
}

bool QuoteAt(const std::string& s, size_t pos) { return pos < s.size() && s[pos] == '"'; }

bool EndsParameter(const std::string& s, size_t pos) { return pos >= s.size() || IsBlank(s[pos]); }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> params;
    SplitFrom(commandLine, 0, params);
    return params;
}

std::vector<std::string> SplitProgramCommandLine(const std::string& commandLine, const std::string& programPath) {
    const std::string& s = commandLine;
    const size_t head = SkipSeparators(s, 0);
    const size_t length = programPath.size();
    // A path holds no quotes; an empty one (the process could not tell it) matches nothing.
    if (length > 0 && programPath.find('"') == std::string::npos) {
        size_t pathAt = std::string::npos, after = 0;
        if (QuoteAt(s, head) && SamePathAt(s, head + 1, programPath) && QuoteAt(s, head + 1 + length)) {
            pathAt = head + 1;
            after = head + length + 2;
        } else if (SamePathAt(s, head, programPath)) {
            pathAt = head;
            after = head + length;
        }
        if (pathAt != std::string::npos && EndsParameter(s, after)) {
            std::vector<std::string> params{s.substr(pathAt, length)};
            SplitFrom(s, after, params);
            return params;
        }
    }
    return SplitCommandLine(s);
}

std::string ParamStr(const std::vector<std::string>& params, size_t index) {
    return index < params.size() ? params[index] : std::string();
}

std::string StartedWithParametersFlag(const std::vector<std::string>& params) {
    return ParamStr(params, 1).empty() ? std::string() : std::string("oui");
}

EndTimeParameter ReadEndTime(const std::vector<std::string>& params) {
    EndTimeParameter end;
    end.text = ParamStr(params, 12);
    end.given = !end.text.empty() && end.text != "*";
    end.valid = end.given && ParseClockTime(end.text, end.time);
    return end;
}

std::vector<std::string> ApplyCommandLine(const std::vector<std::string>& params, HeldSettings& held) {
    std::vector<std::string> failures;
    const bool timeOfDay = ReadEndTime(params).given;
    // Each position the table gives a value; the others (the twelfth, an end time) apply elsewhere.
    for (size_t index = 1; index < params.size(); ++index) {
        const std::string& p = params[index];
        if (p == "*") continue;
        if (timeOfDay && index >= 2 && index <= 5) continue;
        for (Setting s : kReadOrder) {
            const SettingInfo& row = Info(s);
            if (row.parameter != index) continue;
            if (!row.heldNumber) {
                held.*row.heldText = p;
                continue;
            }
            // A number that does not convert leaves what was loaded, so that nothing stored is lost to it.
            try {
                held.*row.heldNumber = StrToInt(p);
            } catch (const EConvertError& e) {
                failures.push_back(e.what());
            }
        }
    }
    return failures;
}

}  // namespace noc
