#include "app/EndActionRules.h"

#include <cstring>

#include "app/CommandLine.h"
#include "app/ShutdownRules.h"
#include "app/TimeOfDay.h"

namespace noc {

namespace {

constexpr uint32_t kLogOff = 0x0, kReboot = 0x2, kForce = 0x4;

// In the order of EndAction, which is the menu's.
const EndActionInfo kActions[kEndActionCount] = {
    {"eteindre", "Éteindre", EndRequest::Exit, 0, "Attention, l'ordinateur va s'éteindre.", "L'ordinateur s'éteindra",
     "Extinction de l'ordinateur", kClockTimePrompt, "extinction programmée", "d'éteindre l'ordinateur",
     "mais l'ordinateur reste allumé.\r\nVeuillez l'éteindre vous-même."},
    {"redemarrer", "Redémarrer", EndRequest::Exit, kReboot | kForce, "Attention, l'ordinateur va redémarrer.",
     "L'ordinateur redémarrera", "Redémarrage de l'ordinateur",
     "Heure du redémarrage (HH:MM) :", "redémarrage programmé", "de redémarrer l'ordinateur",
     "mais l'ordinateur n'a pas redémarré.\r\nVeuillez le redémarrer vous-même."},
    {"veille", "Mettre en veille", EndRequest::Sleep, 0, "Attention, mise en veille imminente.",
     "L'ordinateur se mettra en veille", "Mise en veille de l'ordinateur",
     "Heure de la veille (HH:MM) :", "mise en veille programmée", "de mettre l'ordinateur en veille",
     "mais l'ordinateur reste allumé.\r\nVeuillez le mettre en veille vous-même."},
    {"veilleprolongee", "Mettre en veille prolongée", EndRequest::Hibernate, 0, "Attention, l'ordinateur va hiberner.",
     "L'ordinateur se mettra en veille prolongée", "Veille prolongée de l'ordinateur",
     "Heure de l'hibernation (HH:MM) :", "veille prolongée programmée", "de mettre l'ordinateur en veille prolongée",
     "mais l'ordinateur reste allumé.\r\nVeuillez le mettre en veille prolongée vous-même."},
    {"session", "Fermer la session", EndRequest::Exit, kLogOff | kForce, "Attention, la session va se fermer.",
     "La session se fermera", "Fermeture de la session",
     "Heure de fin de session (HH:MM) :", "fermeture de session programmée", "de fermer la session",
     "mais la session reste ouverte.\r\nVeuillez la fermer vous-même."},
    {"verrouiller", "Verrouiller", EndRequest::Lock, 0, "Attention, la session va se verrouiller.",
     "La session se verrouillera", "Verrouillage de la session",
     "Heure du verrouillage (HH:MM) :", "verrouillage programmé", "de verrouiller la session",
     "mais la session reste ouverte.\r\nVeuillez la verrouiller vous-même."},
};

}  // namespace

const EndActionInfo& InfoOf(EndAction action) { return kActions[static_cast<int>(action)]; }

bool EndActionNamed(const std::string& shortName, EndAction& action) {
    for (int i = 0; i < kEndActionCount; ++i)
        if (std::strcmp(shortName.c_str(), kActions[i].shortName) == 0) {
            action = static_cast<EndAction>(i);
            return true;
        }
    return false;
}

uint32_t ExitFlagsFor(EndAction action, const std::string& versionName) {
    return action == EndAction::Shutdown ? ShutdownFlags(versionName) : InfoOf(action).exitFlags;
}

EndActionParameter ReadEndActionParameter(const std::vector<std::string>& params) {
    EndActionParameter p;
    p.text = ParamStr(params, 13);
    p.given = !p.text.empty() && p.text != "*";
    p.valid = p.given && EndActionNamed(p.text, p.action);
    return p;
}

std::string BadActionParameterText(const std::string& given) {
    return "Le treizième paramètre, " + QuotedGiven(given) +
           ",\r\nn'est pas une action connue !\r\nDonnez eteindre, redemarrer, veille,\r\nveilleprolongee, "
           "session ou verrouiller." +
           kCommandLineIgnored;
}

}  // namespace noc
