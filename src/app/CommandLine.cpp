#include "app/CommandLine.h"

#include "settings/IntConvert.h"

namespace noc {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> params;
    const std::string& s = commandLine;
    const size_t n = s.size();
    size_t pos = 0;
    for (;;) {
        // Skip blanks and empty quote pairs before the parameter.
        while (pos < n) {
            if (IsBlank(s[pos])) {
                ++pos;
            } else if (s[pos] == '"' && pos + 1 < n && s[pos + 1] == '"') {
                pos += 2;
            } else {
                break;
            }
        }
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
    return params;
}

std::string ParamStr(const std::vector<std::string>& params, size_t index)
{
    return index < params.size() ? params[index] : std::string();
}

std::string StartedWithParametersFlag(const std::vector<std::string>& params)
{
    return ParamStr(params, 1).empty() ? std::string() : std::string("oui");
}

std::vector<std::string> ApplyCommandLine(const std::vector<std::string>& params, HeldSettings& held)
{
    std::vector<std::string> failures;
    // A number that does not convert leaves what was loaded, so that nothing stored is lost to it.
    auto number = [&failures](const std::string& text, int32_t& setting) {
        try {
            setting = StrToInt(text);
        } catch (const EConvertError& e) {
            failures.push_back(e.what());
        }
    };
    for (size_t index = 1; index <= 11 && index < params.size(); ++index) {
        const std::string& p = params[index];
        if (p == "*") continue;
        switch (index) {
        case 1: held.Couleur = p; break;
        case 2: number(p, held.Jours); break;
        case 3: number(p, held.Heures); break;
        case 4: number(p, held.Minutes); break;
        case 5: number(p, held.Secondes); break;
        case 6: held.Chrono = p; break;
        case 7: held.MdPasse = p; break;
        case 8: held.MdPasseOK = p; break;
        case 9: held.Alerte = p; break;
        case 10: held.Son = p; break;
        case 11: number(p, held.Delai); break;
        default: break;
        }
    }
    return failures;
}

} // namespace noc
