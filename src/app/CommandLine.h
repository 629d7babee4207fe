#pragma once
// The command line: splitting it into parameters and applying the eleven positions to the settings,
// or the twelfth, a clock time to end at, in place of the four time positions; the thirteenth, what
// happens at zero.

#include <cstddef>
#include <string>
#include <vector>

#include "app/EndActionRules.h"
#include "app/TimeOfDay.h"
#include "settings/HeldSettings.h"

namespace noc {

// Splits a whole command line (program path first) into parameters.
// Blanks (code <= 0x20) separate parameters; before each parameter, blanks and empty quote pairs ("")
// are skipped. Inside a parameter a quoted section may hold blanks and loses its quotes; an unterminated
// quote runs to the end of the text. Bytes >= 0x80 are ordinary characters.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The program's own command line: as SplitCommandLine, except that the program's path (`programPath`,
// as the process reports its file) at the head, in quotes or not and in any letter case, followed by a
// blank or the end, is parameter 0 whole. A start-up entry or a CreateProcess call may give that path
// unquoted, blanks and all, and its pieces must not count as parameters. Any other head (a relative
// name, the short 8.3 form...) is split as SplitCommandLine splits it.
std::vector<std::string> SplitProgramCommandLine(const std::string& commandLine, const std::string& programPath);

// Index 0 is the program, 1.. the parameters; empty text beyond the end.
std::string ParamStr(const std::vector<std::string>& params, size_t index);

// "oui" when parameter 1 is not empty, else "".
std::string StartedWithParametersFlag(const std::vector<std::string>& params);

// Parameter 12, «HH:MM» (ParseClockTime): the clock time at which the countdown is to end. Given
// when present and not "*"; it then takes the place of the four time positions 2 to 5, which are
// not read at all. A given one that is no time refuses the whole command line: the caller applies
// none of it.
struct EndTimeParameter {
    bool given = false;
    bool valid = false;  // given and a time
    std::string text;    // as given
    ClockTime time;      // when valid
};
EndTimeParameter ReadEndTime(const std::vector<std::string>& params);

// Parameter 13, an action's short name (EndActionNamed): what happens at zero. Given when present
// and not "*"; a given one that is no action refuses the whole command line. (EndActionRules.cpp)
struct EndActionParameter {
    bool given = false;
    bool valid = false;  // given and an action
    std::string text;    // as given
    EndAction action = EndAction::Shutdown;
};
EndActionParameter ReadEndActionParameter(const std::vector<std::string>& params);

// Applies parameters 1..11 to the held settings in position order (each row's position in the
// table of stored values); an absent parameter or "*" keeps the setting. 1 Couleur, 2 Jours, 3 Heures, 4 Minutes, 5 Secondes, 6 Chrono, 7 MdPasse, 8 MdPasseOK,
// 9 Alerte, 10 Son, 11 Delai. Numbers go through StrToInt; one that does not convert keeps its setting
// too, and the conversion's message ("'<text>' is not a valid integer value") is returned, one per bad
// number in position order, for the caller to report. Every other position still applies. With a
// twelfth parameter given (ReadEndTime), positions 2 to 5 are left out: the caller puts the time
// until then on the dial.
std::vector<std::string> ApplyCommandLine(const std::vector<std::string>& params, HeldSettings& held);

}  // namespace noc
