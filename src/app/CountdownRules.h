#pragma once
// The countdown's arithmetic, without Windows: the start's verdict, the tick with its borrow, the
// alert and final-warning moments, the dial's wrap and the texts the tray and the panel show.

#include <cstdint>
#include <string>
#include <vector>

#include "app/EndActionRules.h"

namespace noc {

// Time still to run, as shown on the four dials. Values given on the command line may lie
// outside the dials' ranges (40 days, 75 minutes, negative days) and are counted as they are.
struct Remaining {
    int32_t Days = 0, Hours = 0, Minutes = 0, Seconds = 0;
};

bool AllZero(const Remaining& r);

// The counters a countdown starts from, for a dial of these positions: negative days count as none.
// The tick never takes days below 0 nor brings them back up, so they would never run out and the
// countdown would never end; negative hours, minutes and seconds are left to the borrow.
Remaining CountdownStart(const Remaining& dial);

// One tick of the countdown: Seconds goes down by one, then the borrow runs
//  1. Seconds < 0 -> Seconds = 59, and Minutes-- when Minutes, Hours or Days is > 0;
//  2. Minutes < 0 -> Minutes = 59, and Hours-- when Hours or Days is > 0;
//  3. Hours < 0   -> Hours = 23,   and Days-- when Days is > 0.
// Returns true when all four were 0 right after the decrement (before the borrow); the caller
// then stops the timer and shuts down. All decrements wrap instead of overflowing.
bool TickDown(Remaining& r);

// Seconds below which the final warning shows, for a warning time (slider position 5..59):
// 21 up to position 20, position + 1 above (saturating at the int32 maximum).
int32_t FinalWarningThreshold(int32_t leadTime);

// Days, hours and minutes are 0 and seconds are below FinalWarningThreshold(leadTime).
bool InFinalWarning(const Remaining& r, int32_t leadTime);

// Days, hours and minutes are 0 and seconds equal the warning time.
bool IsAlertMoment(const Remaining& r, int32_t leadTime);

// Days, hours and minutes are 0 and seconds are at most the warning time: the alert's moment has come.
bool AlertMomentPassed(const Remaining& r, int32_t leadTime);

// The whole time left, in seconds.
int64_t SecondsLeft(const Remaining& r);

// How many ticks from `r` until TickDown reports the end: SecondsLeft for counters none of which is
// negative, not all zero; otherwise one tick more than from the counters that tick leaves (negative
// hours, minutes and seconds of a countdown that has not ticked yet, all zero). -1 with negative days:
// such counters never end.
int64_t TicksToEnd(const Remaining& r);

// The counters of a countdown put off by `seconds`: they end exactly that many ticks later than `r`
// would, written as days, hours below 24, minutes and seconds below 60. Days stop at the int32
// maximum, with 23:59:59, and the end never comes sooner than with `r`. Counters that never end, or
// a put-off that is not positive, give `r`.
Remaining Postponed(const Remaining& r, int64_t seconds);

// The notice due with `r` left, for a countdown `length` seconds long (from its start to its end,
// postpones included): 600, ten minutes before the end, and 60, one minute before, each only when
// the countdown was longer than that; 0 when none is due.
int32_t NoticeDue(const Remaining& r, int64_t length);

// The longest wait between two ticks while nobody can see the countdown, in seconds: under a
// minute, or the late tick would count as a wake.
constexpr int64_t kLongestUnseenWait = 59;

// The ticks left at the next tick that a countdown `length` seconds long needs while nobody can see
// it, from `ticksLeft`: a notice's moment, the start of the final warning, the alert's, the end's, or
// kLongestUnseenWait ticks on, whichever comes first.
int64_t NextTickThatMatters(int64_t ticksLeft, int32_t leadTime, int64_t length);

// The notice's text `secondsLeft` (600 or 60) before the end, with the end's clock time from the
// time of day now (seconds since midnight): "L'ordinateur s'éteindra dans 10 minutes (à 23:42).",
// in the words of the action: "La session se fermera dans 1 minute (à 23:42)."
std::string EndNoticeText(int32_t secondsLeft, int32_t nowSecondsOfDay, EndAction action = EndAction::Shutdown);

// The menu's text for a postpone of `minutes`: "Reporter de 10 minutes", "Reporter de 1 minute".
std::string PostponeText(int32_t minutes);

// Arrow step on a dial whose highest position is `limit`: above the limit -> 0, then below 0 -> limit.
int32_t WrapDialPosition(int32_t position, int32_t limit);

// A digit typed into a dial field whose highest position is `limit`: the field's last digit and the
// new one, as a clock is set, when that is within the limit; the new digit alone otherwise.
int32_t TypedDialPosition(int32_t position, int32_t digit, int32_t limit);

// Decimal text, with a "0" in front when the value is below 10: "05", "59", "123", "0-1".
std::string TwoDigits(int32_t value);

enum class StartVerdict { Empty, TooShort, Start };

// Empty when all four are 0; TooShort when days, hours and minutes are 0, seconds < 20 and the
// countdown was not started from the command line; Start otherwise.
StartVerdict JudgeStart(const Remaining& dial, bool startedWithParameters);

// Texts of the four tray text icons.
//  Seconds: ":" + S when S >= 10, else ":0" + S
//  Minutes: ":" + M when M >= 10, else ":0" + M; with the hours icon hidden the ':' becomes ' '
//  Hours:   ("j " when the days icon shows, else " ") + ("0" when H < 10) + H
//  Days:    ("0" when D < 10) + D
struct TrayTexts {
    std::string Seconds, Minutes, Hours, Days;
};

TrayTexts MakeTrayTexts(const Remaining& r, bool hoursIconVisible, bool daysIconVisible);

// The four text icons of the tray display.
enum class TimeIcon { Seconds, Minutes, Hours, Days };

// The text icons a countdown start makes visible, in the order it asks for them, decided once from
// the counters at the start. The icons read days, hours, minutes, seconds from left to right; Windows
// XP puts each new icon to the left of the others, later systems to the right, hence two orders.
// With days and hours both above 0 the hours icon is asked for twice (the second request changes
// nothing). Nothing when the remaining time is not to be shown.
std::vector<TimeIcon> TimeIconsToShow(bool xp, bool showTime, const Remaining& r);

// The program icon's tooltip: a fixed text when the text icons show the time, else the time read
// from the countdown panel's labels, on two lines on Windows XP, on one elsewhere; both name the action.
std::string ProgramIconHint(bool timeIconsShown, bool xp, const std::string& days, const std::string& hours,
                            const std::string& minutes, const std::string& seconds,
                            EndAction action = EndAction::Shutdown);

}  // namespace noc
