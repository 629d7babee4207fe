// Prints, as an NSIS macro, the thirteen settings that the setup program stores on a machine that
// has none: the main window's design values and the scrambled integrity text that matches them.
// Built natively and run at build time, so that the texts come from the program's own code and
// its first start finds nothing altered.
#include <cstdio>
#include <string>

#include "settings/SettingsTable.h"

namespace {

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
    const noc::SettingTexts design = noc::DesignTexts();
    std::printf("; Made by installer/settings_defaults.cpp: the thirteen design values.\n");
    std::printf("!macro NocDesignSettings WRITE\n");
    for (noc::Setting s : noc::kReadOrder) {
        std::string quoted;
        if (!Quote(noc::StoredForm(s, design[s]), quoted)) {
            std::fprintf(stderr, "settings_defaults: %s holds a byte that is not printable ASCII\n", noc::NameOf(s));
            return 1;
        }
        std::printf("  !insertmacro ${WRITE} \"%s\" %s\n", noc::NameOf(s), quoted.c_str());
    }
    std::printf("!macroend\n");
    return 0;
}
