#pragma once
// The settings the window holds from its start on, stored values overridden by the command line.

#include <cstdint>
#include <string>

namespace noc {

// The settings as read at start, each named after its registry value.
struct HeldSettings {
    std::string Couleur;
    int32_t Jours = 0, Heures = 0, Minutes = 0, Secondes = 0;
    std::string Chrono, MdPasse, MdPasseOK, Demarrage, Alerte, Protection, Son;
    int32_t Delai = 20;
};

}  // namespace noc
