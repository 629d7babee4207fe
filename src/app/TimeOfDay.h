#pragma once
// A clock time to end at, without Windows: the «HH:MM» text read, and the time from now until the
// local wall clock next shows it, from a clock that the caller gives (the system's in the program,
// a table in the tests).
//
// Only the wall clock's time of day counts, never its date: a day, month or year boundary between
// now and then changes nothing. The wall clock is read through the clock's own offset from UTC at
// each instant (in the program, Windows' local time functions, which know the time zone's rules
// for that date), so that a change to or from daylight saving time on the way is counted in real
// seconds: from 01:30 to 03:30 across the spring change is one hour; a time that the change skips
// (02:30 that night) is reached when the clock jumps over it; one that it repeats (02:30 in
// autumn) at its first showing after now.

#include <cstdint>
#include <string>

#include "app/CountdownRules.h"

namespace noc {

// A time of day on the 24-hour clock, 00:00 to 23:59.
struct ClockTime {
    int32_t Hour = 0, Minute = 0;
};

// Reads «HH:MM»: one or two digits of hours (0 to 23), a colon, exactly two digits of minutes (00
// to 59), and nothing else, blanks included. "07:05" and "7:05" are the same time; "24:00",
// "7:5x", "12:60", "7:5", " 7:05" and "" are no time.
bool ParseClockTime(const std::string& text, ClockTime& time);

// What was typed, without the blanks (spaces, tabs) around it: « 7:30 » stands for "7:30".
std::string WithoutOuterBlanks(const std::string& text);

// "07:05".
std::string ClockTimeText(ClockTime time);

// The local clock.
class LocalClock {
public:
    virtual ~LocalClock() = default;
    // Now, in whole seconds (the fraction dropped) since a midnight UTC; the program counts from
    // 1 January 1601, as Windows' file times do.
    virtual int64_t Now() const = 0;
    // How far the local wall clock is ahead of UTC at that instant, in seconds (-18000 five hours
    // behind), daylight saving time included.
    virtual int64_t LocalOffset(int64_t at) const = 0;
};

// Seconds from now until the next moment, strictly after now, at which the local wall clock shows
// `time` (its minute just begun): 1 to 86400 when the offset does not change meanwhile, 86400 when
// the clock shows that very second now. Now's fraction of a second being dropped, a countdown of
// that length started at once ends within the second after `time`, never before it. At most one
// change of the offset within the next day is looked for.
int64_t SecondsUntil(const LocalClock& clock, ClockTime time);

// What the wall clock will show `seconds` from now, to the minute.
ClockTime ClockTimeIn(const LocalClock& clock, int64_t seconds);

// A number of seconds as the dial shows it: days, then hours 0..23, minutes and seconds 0..59.
Remaining DialFor(int64_t seconds);

// The dial from now until `time`: at 23:41:17, 23:50 gives 0 d 0 h 8 min 43 s, and 23:41 gives
// 0 d 23 h 59 min 43 s; at 23:41:00, 23:41 gives 1 d 0 h 0 min 0 s.
Remaining DialUntil(const LocalClock& clock, ClockTime time);

// ---- texts (TimeOfDayTexts.cpp, apart so that this rule's file stays plain ASCII for the fuzzers) --

// The prompt of the set-up panel's "À heure fixe..." control: its caption and its question.
extern const char kClockTimeCaption[];
extern const char kClockTimePrompt[];

// What was typed into that prompt is no time.
std::string BadClockTimeText(const std::string& typed);

// What was given, as a message quotes it: « a long text by its start... ».
std::string QuotedGiven(const std::string& text);
// The end of a refused command line's message.
extern const char kCommandLineIgnored[];

// The command line's twelfth parameter is no time; the command line is refused whole.
std::string BadEndTimeParameterText(const std::string& given);

}  // namespace noc
