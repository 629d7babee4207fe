#pragma once
// What happens at zero, without Windows: the six actions, their short names (command line and
// store), the request each makes and the words with which the program speaks of it.
#include <cstdint>
#include <string>

namespace noc {

enum class EndAction { Shutdown, Restart, Sleep, Hibernate, LogOff, Lock };
constexpr int kEndActionCount = 6;

// The request to the system: ExitWindowsEx, SetSuspendState (sleep or hibernate) or LockWorkStation.
enum class EndRequest { Exit, Sleep, Hibernate, Lock };

struct EndActionInfo {
    const char* shortName;  // "eteindre"
    const char* menuText;   // "Éteindre"
    EndRequest request;
    uint32_t exitFlags;        // with EndRequest::Exit; the shutdown's come from the version (ShutdownFlags)
    const char* warning;       // "Attention, l'ordinateur va s'éteindre."
    const char* future;        // "L'ordinateur s'éteindra" (dans 10 minutes...)
    const char* noun;          // "Extinction de l'ordinateur" (the icons' tooltip)
    const char* prompt;        // the time-of-day question
    const char* scheduled;     // "extinction programmée" (the stay-awake request)
    const char* refusedDoing;  // "d'éteindre l'ordinateur"
    const char* refusedTail;   // what is left to the user after a refusal
};

const EndActionInfo& InfoOf(EndAction action);
// The action of a short name; false for any other text.
bool EndActionNamed(const std::string& shortName, EndAction& action);

// Flags for ExitWindowsEx: the shutdown's as the version's name selects them, restart and log-off
// forced as the shutdown is.
uint32_t ExitFlagsFor(EndAction action, const std::string& versionName);

// The command line's thirteenth parameter is no action; the command line is refused whole.
std::string BadActionParameterText(const std::string& given);

}  // namespace noc
