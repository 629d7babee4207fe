// Prints, as an NSIS macro, the thirteen settings that the setup program stores on a machine that
// has none: the main window's design values and the scrambled integrity text that matches them.
// Built natively and run at build time, so that the texts come from the program's own code and
// its first start finds nothing altered.
#include <cstdio>
#include <string>

#include "settings/Scramble.h"

namespace {

struct Setting {
    const char* name;
    std::string text;
};

// NSIS quoting: "$" is its escape character. Only printable ASCII is let through: any other byte
// would be read in whatever code page the target machine has.
bool Quote(const std::string& text, std::string& quoted) {
    quoted = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
        if (c == '$') quoted += "$$";
        else if (c == '"') quoted += "$\\\"";
        else quoted += static_cast<char>(c);
    }
    quoted += '"';
    return true;
}

}  // namespace

int main() {
    // The window's design: grey swatch, dial at zero, every option off, no sound chosen, lead time 20 s.
    const std::string colour = "clMedGray", chrono = "non", password, passwordRequired = "non",
                      startWithWindows = "non", alert = "non";
    const int days = 0, hours = 0, minutes = 0, seconds = 0;
    const std::string check = noc::IntegrityText(colour, days, hours, minutes, seconds, chrono, password,
                                                 passwordRequired, startWithWindows, alert);
    const Setting settings[] = {
        {"Couleur", colour},
        {"Jours", std::to_string(days)},
        {"Heures", std::to_string(hours)},
        {"Minutes", std::to_string(minutes)},
        {"Secondes", std::to_string(seconds)},
        {"Chrono", chrono},
        {"MdPasse", noc::Scramble(password)},
        {"MdPasseOK", passwordRequired},
        {"Demarrage", startWithWindows},
        {"Alerte", alert},
        {"Protection", noc::Scramble(check)},
        {"Son", "Chemin du fichier..."},
        {"Delai", "20"},
    };

    std::printf("; Made by installer/settings_defaults.cpp: the thirteen design values.\n");
    std::printf("!macro NocDesignSettings WRITE\n");
    for (const Setting& s : settings) {
        std::string quoted;
        if (!Quote(s.text, quoted)) {
            std::fprintf(stderr, "settings_defaults: %s holds a byte that is not printable ASCII\n", s.name);
            return 1;
        }
        std::printf("  !insertmacro ${WRITE} \"%s\" %s\n", s.name, quoted.c_str());
    }
    std::printf("!macroend\n");
    return 0;
}
