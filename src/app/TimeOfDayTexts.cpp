// The texts of the time of day to end at. The rule itself is TimeOfDay.cpp.
#include "app/TimeOfDay.h"

namespace noc {

std::string QuotedGiven(const std::string& text) {
    constexpr size_t kLongest = 24;
    return "« " + (text.size() > kLongest ? text.substr(0, kLongest) + "..." : text) + " »";
}

const char kCommandLineIgnored[] = "\r\n\r\nLa ligne de commande est ignorée :\r\naucun compte à rebours n'est lancé.";

namespace {

// Lines short enough for a message box on a small screen.
const char kExpected[] = "l'heure sous la forme HH:MM,\r\nde 00:00 à 23:59 (par exemple 23:30).";

}  // namespace

const char kClockTimeCaption[] = "À heure fixe";
const char kClockTimePrompt[] = "Heure de l'extinction (HH:MM) :";

std::string BadClockTimeText(const std::string& typed) {
    const std::string what =
        typed.empty() ? "Vous n'avez pas tapé d'heure !" : QuotedGiven(typed) + " n'est pas une heure valide !";
    return what + "\r\nTapez " + kExpected;
}

std::string BadEndTimeParameterText(const std::string& given) {
    return "Le douzième paramètre, " + QuotedGiven(given) + ",\r\nn'est pas une heure valide !\r\nDonnez " + kExpected +
           kCommandLineIgnored;
}

}  // namespace noc
