#include "app/CountdownRules.h"

#include <algorithm>
#include <limits>

namespace noc {

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// v - 1, wrapping from the lowest value to the highest instead of overflowing.
int32_t WrappingDecrement(int32_t v) { return v == kMin ? kMax : v - 1; }

}  // namespace

bool AllZero(const Remaining& r) { return r.Days == 0 && r.Hours == 0 && r.Minutes == 0 && r.Seconds == 0; }

Remaining CountdownStart(const Remaining& dial) {
    Remaining r = dial;
    if (r.Days < 0) r.Days = 0;
    return r;
}

bool TickDown(Remaining& r) {
    r.Seconds = WrappingDecrement(r.Seconds);
    const bool finished = AllZero(r);

    if (r.Seconds < 0) {
        r.Seconds = 59;
        if (r.Minutes > 0 || r.Hours > 0 || r.Days > 0) r.Minutes = WrappingDecrement(r.Minutes);
    }
    if (r.Minutes < 0) {
        r.Minutes = 59;
        if (r.Hours > 0 || r.Days > 0) r.Hours = WrappingDecrement(r.Hours);
    }
    if (r.Hours < 0) {
        r.Hours = 23;
        if (r.Days > 0) r.Days = WrappingDecrement(r.Days);
    }
    return finished;
}

int32_t FinalWarningThreshold(int32_t leadTime) {
    if (leadTime <= 20) return 21;
    return leadTime == kMax ? kMax : leadTime + 1;
}

bool InFinalWarning(const Remaining& r, int32_t leadTime) {
    return r.Days == 0 && r.Hours == 0 && r.Minutes == 0 && r.Seconds < FinalWarningThreshold(leadTime);
}

bool IsAlertMoment(const Remaining& r, int32_t leadTime) {
    return r.Days == 0 && r.Hours == 0 && r.Minutes == 0 && r.Seconds == leadTime;
}

bool AlertMomentPassed(const Remaining& r, int32_t leadTime) {
    return r.Days == 0 && r.Hours == 0 && r.Minutes == 0 && r.Seconds <= leadTime;
}

int32_t WrapDialPosition(int32_t position, int32_t limit) {
    if (position > limit) position = 0;
    if (position < 0) position = limit;
    return position;
}

int32_t TypedDialPosition(int32_t position, int32_t digit, int32_t limit) {
    const int32_t both = (position >= 0 ? position % 10 : 0) * 10 + digit;
    return both <= limit ? both : digit;
}

int64_t SecondsLeft(const Remaining& r) {
    return int64_t{r.Days} * 86400 + int64_t{r.Hours} * 3600 + int64_t{r.Minutes} * 60 + r.Seconds;
}

int64_t TicksToEnd(const Remaining& r) {
    if (r.Days < 0) return -1;
    if (r.Hours >= 0 && r.Minutes >= 0 && r.Seconds >= 0 && !AllZero(r)) return SecondsLeft(r);
    // One tick leaves no value negative and, unless it was the last, something to count.
    Remaining next = r;
    if (TickDown(next)) return 1;
    return 1 + TicksToEnd(next);
}

Remaining Postponed(const Remaining& r, int64_t seconds) {
    const int64_t ticks = TicksToEnd(r);
    if (ticks < 0 || seconds <= 0) return r;
    const int64_t total = ticks + seconds;
    Remaining later;
    if (total / 86400 > kMax) {
        // As far as the counters go, and never sooner than before.
        later.Days = kMax;
        later.Hours = 23;
        later.Minutes = 59;
        later.Seconds = 59;
        return SecondsLeft(later) > ticks ? later : r;
    }
    later.Days = static_cast<int32_t>(total / 86400);
    later.Hours = static_cast<int32_t>(total / 3600 % 24);
    later.Minutes = static_cast<int32_t>(total / 60 % 60);
    later.Seconds = static_cast<int32_t>(total % 60);
    return later;
}

int32_t NoticeDue(const Remaining& r, int64_t length) {
    const int64_t left = SecondsLeft(r);
    for (int32_t due : {600, 60})
        if (left == due && length > due) return due;
    return 0;
}

int64_t NextTickThatMatters(int64_t ticksLeft, int32_t leadTime, int64_t length) {
    int64_t next = std::max<int64_t>(ticksLeft - kLongestUnseenWait, 0);
    for (int64_t notice : {600, 60})
        if (length > notice && notice < ticksLeft) next = std::max(next, notice);
    for (int64_t moment : {int64_t{FinalWarningThreshold(leadTime)} - 1, int64_t{leadTime}})
        if (moment < ticksLeft) next = std::max(next, moment);
    return next;
}

std::string EndNoticeText(int32_t secondsLeft, int32_t nowSecondsOfDay, EndAction action) {
    const int32_t end = (nowSecondsOfDay + secondsLeft) % 86400;
    const int32_t minutes = secondsLeft / 60;
    return InfoOf(action).future + std::string(" dans ") + std::to_string(minutes) +
           (minutes == 1 ? " minute" : " minutes") + " (à " + TwoDigits(end / 3600) + ":" + TwoDigits(end / 60 % 60) +
           ").";
}

std::string PostponeText(int32_t minutes) {
    return "Reporter de " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

std::string TwoDigits(int32_t value) { return value < 10 ? "0" + std::to_string(value) : std::to_string(value); }

StartVerdict JudgeStart(const Remaining& dial, bool startedWithParameters) {
    if (AllZero(dial)) return StartVerdict::Empty;
    if (dial.Days == 0 && dial.Hours == 0 && dial.Minutes == 0 && dial.Seconds < 20 && !startedWithParameters)
        return StartVerdict::TooShort;
    return StartVerdict::Start;
}

TrayTexts MakeTrayTexts(const Remaining& r, bool hoursIconVisible, bool daysIconVisible) {
    TrayTexts t;
    t.Seconds = (r.Seconds >= 10 ? ":" : ":0") + std::to_string(r.Seconds);

    std::string minutePrefix = r.Minutes >= 10 ? ":" : ":0";
    if (!hoursIconVisible) minutePrefix[0] = ' ';
    t.Minutes = minutePrefix + std::to_string(r.Minutes);

    t.Hours = std::string(daysIconVisible ? "j " : " ") + (r.Hours < 10 ? "0" : "") + std::to_string(r.Hours);
    t.Days = (r.Days < 10 ? "0" : "") + std::to_string(r.Days);
    return t;
}

std::vector<TimeIcon> TimeIconsToShow(bool xp, bool showTime, const Remaining& r) {
    std::vector<TimeIcon> shown;
    if (!showTime) return shown;
    if (xp) {
        shown = {TimeIcon::Seconds, TimeIcon::Minutes};
        if (r.Days > 0) shown.insert(shown.end(), {TimeIcon::Hours, TimeIcon::Days});
        if (r.Hours > 0) shown.push_back(TimeIcon::Hours);
    } else {
        if (r.Days > 0) shown.insert(shown.end(), {TimeIcon::Days, TimeIcon::Hours});
        if (r.Hours > 0) shown.push_back(TimeIcon::Hours);
        shown.insert(shown.end(), {TimeIcon::Minutes, TimeIcon::Seconds});
    }
    return shown;
}

std::string ProgramIconHint(bool timeIconsShown, bool xp, const std::string& days, const std::string& hours,
                            const std::string& minutes, const std::string& seconds, EndAction action) {
    const std::string noun = InfoOf(action).noun;
    if (timeIconsShown) return noun + "...";
    const std::string time = days + "j" + hours + "h" + minutes + "m" + seconds + "s";
    return noun + (xp ? "\r\ndans : " : " dans : ") + time;
}

}  // namespace noc
