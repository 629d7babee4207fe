#include "app/TimeOfDay.h"

namespace noc {

namespace {

constexpr int64_t kDay = 86400;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Seconds from the wall-clock second `wall` on until the wall clock next shows the second of the
// day `target`, running at one second a second: 0 when it shows it at `wall`.
int64_t WallWait(int64_t wall, int64_t target) {
    const int64_t wait = (target - wall) % kDay;
    return wait < 0 ? wait + kDay : wait;
}

}  // namespace

bool ParseClockTime(const std::string& text, ClockTime& time) {
    const size_t colon = text.find(':');
    if (colon != 1 && colon != 2) return false;
    if (text.size() != colon + 3) return false;
    int32_t hour = 0, minute = 0;
    for (size_t i = 0; i < colon; ++i) {
        if (!IsDigit(text[i])) return false;
        hour = hour * 10 + (text[i] - '0');
    }
    for (size_t i = colon + 1; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return false;
        minute = minute * 10 + (text[i] - '0');
    }
    if (hour > 23 || minute > 59) return false;
    time.Hour = hour;
    time.Minute = minute;
    return true;
}

std::string WithoutOuterBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string ClockTimeText(ClockTime time) {
    const char text[] = {static_cast<char>('0' + time.Hour / 10), static_cast<char>('0' + time.Hour % 10), ':',
                         static_cast<char>('0' + time.Minute / 10), static_cast<char>('0' + time.Minute % 10)};
    return std::string(text, sizeof(text));
}

int64_t SecondsUntil(const LocalClock& clock, ClockTime time) {
    const int64_t target = int64_t{time.Hour} * 3600 + int64_t{time.Minute} * 60;
    const int64_t now = clock.Now();
    const int64_t offsetNow = clock.LocalOffset(now);
    // On the wall clock as it goes now: strictly later, so a whole day when it shows that second now.
    int64_t wait = WallWait(now + offsetNow, target);
    if (wait == 0) wait = kDay;
    if (clock.LocalOffset(now + wait) == offsetNow) return wait;

    // The offset changes on the way, and the wall clock with it: its first second under the new one.
    int64_t before = now, after = now + wait;
    while (after - before > 1) {
        const int64_t middle = before + (after - before) / 2;
        if (clock.LocalOffset(middle) == offsetNow)
            before = middle;
        else
            after = middle;
    }
    const int64_t change = after, offsetThen = clock.LocalOffset(change);
    // Up to the change the wall clock did not show the time (it would have shown it at now + wait).
    // A jump forward skips the times from change + offsetNow to change + offsetThen: one of those
    // is reached as the clock jumps over it.
    if (offsetThen > offsetNow && WallWait(change + offsetNow, target) < offsetThen - offsetNow) return change - now;
    // Otherwise its first showing after the change; a jump back shows the times it repeats again.
    return change - now + WallWait(change + offsetThen, target);
}

ClockTime ClockTimeIn(const LocalClock& clock, int64_t seconds) {
    const int64_t at = clock.Now() + seconds;
    const int64_t wall = WallWait(0, at + clock.LocalOffset(at));  // the second of the day
    return ClockTime{static_cast<int32_t>(wall / 3600), static_cast<int32_t>(wall / 60 % 60)};
}

Remaining DialFor(int64_t seconds) {
    Remaining r;
    r.Days = static_cast<int32_t>(seconds / kDay);
    r.Hours = static_cast<int32_t>(seconds % kDay / 3600);
    r.Minutes = static_cast<int32_t>(seconds % 3600 / 60);
    r.Seconds = static_cast<int32_t>(seconds % 60);
    return r;
}

Remaining DialUntil(const LocalClock& clock, ClockTime time) { return DialFor(SecondsUntil(clock, time)); }

}  // namespace noc
