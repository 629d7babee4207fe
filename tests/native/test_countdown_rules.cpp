#include <doctest/doctest.h>

#include "app/Countdown.h"
#include "app/CountdownRules.h"

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <tuple>
#include <vector>

using noc::Remaining;

namespace {

Remaining Make(int32_t d, int32_t h, int32_t m, int32_t s) {
    Remaining r;
    r.Days = d;
    r.Hours = h;
    r.Minutes = m;
    r.Seconds = s;
    return r;
}

void CheckEq(const Remaining& got, int32_t d, int32_t h, int32_t m, int32_t s) {
    CHECK(got.Days == d);
    CHECK(got.Hours == h);
    CHECK(got.Minutes == m);
    CHECK(got.Seconds == s);
}

// One tick from `start`: whether it reports the end, and the four dials after it.
struct Tick {
    const char* name;
    Remaining start;
    bool ends;
    Remaining after;
};

void CheckTicks(std::initializer_list<Tick> ticks) {
    for (const Tick& t : ticks) {
        CAPTURE(t.name);
        Remaining r = t.start;
        CHECK(noc::TickDown(r) == t.ends);
        CheckEq(r, t.after.Days, t.after.Hours, t.after.Minutes, t.after.Seconds);
    }
}

// Ticks until TickDown reports the end; returns the number of ticks, or -1 when it never ends
// within `limit` ticks.
int64_t TicksToFinish(Remaining r, int64_t limit) {
    for (int64_t n = 1; n <= limit; ++n)
        if (noc::TickDown(r)) return n;
    return -1;
}

}  // namespace

TEST_CASE("AllZero") {
    CHECK(noc::AllZero(Make(0, 0, 0, 0)));
    CHECK_FALSE(noc::AllZero(Make(1, 0, 0, 0)));
    CHECK_FALSE(noc::AllZero(Make(0, 1, 0, 0)));
    CHECK_FALSE(noc::AllZero(Make(0, 0, 1, 0)));
    CHECK_FALSE(noc::AllZero(Make(0, 0, 0, 1)));
    CHECK_FALSE(noc::AllZero(Make(-1, 0, 0, 0)));
}

TEST_CASE("TickDown borrows across the dials") {
    CheckTicks({
        {"plain second", Make(0, 0, 1, 30), false, Make(0, 0, 1, 29)},
        {"minute borrow", Make(0, 0, 1, 0), false, Make(0, 0, 0, 59)},
        {"hour borrow", Make(0, 2, 0, 0), false, Make(0, 1, 59, 59)},
        {"day borrow", Make(1, 0, 0, 0), false, Make(0, 23, 59, 59)},
        {"last second reports the end and leaves zero", Make(0, 0, 0, 1), true, Make(0, 0, 0, 0)},
        {"ticking at zero is not an end and rolls the seconds only", Make(0, 0, 0, 0), false, Make(0, 0, 0, 59)},
    });
}

TEST_CASE("TickDown ends after exactly the total number of seconds") {
    SUBCASE("in dial ranges") {
        CHECK(TicksToFinish(Make(0, 0, 0, 20), 100) == 20);
        CHECK(TicksToFinish(Make(0, 1, 0, 0), 10000) == 3600);
        CHECK(TicksToFinish(Make(1, 2, 3, 4), 200000) == 93784);
        CHECK(TicksToFinish(Make(31, 23, 59, 59), 3000000) == 31 * 86400 + 86399);
    }
    SUBCASE("out of dial ranges from the command line") {
        CHECK(TicksToFinish(Make(0, 0, 75, 0), 10000) == 75 * 60);
        CHECK(TicksToFinish(Make(0, 0, 0, 90), 1000) == 90);
        CHECK(TicksToFinish(Make(0, 30, 0, 0), 200000) == 30 * 3600);
        CHECK(TicksToFinish(Make(40, 0, 0, 0), 4000000) == 40 * 86400);
    }
    SUBCASE("state passes through each whole minute on the way") {
        Remaining r = Make(0, 0, 2, 0);
        for (int i = 0; i < 60; ++i) REQUIRE_FALSE(noc::TickDown(r));
        CheckEq(r, 0, 0, 1, 0);
    }
}

TEST_CASE("TickDown with negative values counts them as they are") {
    SUBCASE("negative days never reach the end") {
        Remaining r = Make(-1, 0, 0, 0);
        CHECK_FALSE(noc::TickDown(r));
        CheckEq(r, -1, 0, 0, 59);
        CHECK(TicksToFinish(r, 1000) == -1);
    }
    SUBCASE("negative days with an hour run the hour down and stay negative") {
        Remaining r = Make(-1, 1, 0, 0);
        for (int i = 0; i < 3600; ++i) REQUIRE_FALSE(noc::TickDown(r));
        CheckEq(r, -1, 0, 0, 0);
        CHECK_FALSE(noc::TickDown(r));
        CheckEq(r, -1, 0, 0, 59);
    }
    SUBCASE("negative minutes and hours are borrowed from the dial above") {
        CheckTicks({
            {"negative minutes", Make(0, 2, -5, 10), false, Make(0, 1, 59, 9)},
            {"negative hours", Make(2, -3, 0, 0), false, Make(1, 23, 59, 59)},
        });
    }
}

TEST_CASE("a countdown counts negative days as none, and so ends") {
    SUBCASE("days only: the other three say when it ends") {
        const Remaining start = noc::CountdownStart(Make(-3, 0, 5, 0));
        CheckEq(start, 0, 0, 5, 0);
        CHECK(TicksToFinish(start, 100000) == 300);
        CHECK(TicksToFinish(noc::CountdownStart(Make(-1, 0, 0, 1)), 10) == 1);
        CHECK(TicksToFinish(noc::CountdownStart(Make(std::numeric_limits<int16_t>::min(), 1, 0, 0)), 10000) == 3600);
    }
    SUBCASE("days alone: nothing is set, as with an empty dial") {
        CHECK(noc::JudgeStart(noc::CountdownStart(Make(-3, 0, 0, 0)), true) == noc::StartVerdict::Empty);
        CHECK(noc::JudgeStart(noc::CountdownStart(Make(-3, 0, 0, 19)), false) == noc::StartVerdict::TooShort);
    }
    SUBCASE("negative hours, minutes and seconds are kept for the borrow") {
        const Remaining start = noc::CountdownStart(Make(2, -3, -5, -7));
        CheckEq(start, 2, -3, -5, -7);
        CheckEq(noc::CountdownStart(Make(4, 1, 2, 3)), 4, 1, 2, 3);
        Remaining r = noc::CountdownStart(Make(0, -3, 5, 0));
        CHECK_FALSE(noc::TickDown(r));
        CheckEq(r, 0, 23, 4, 59);
    }
}

TEST_CASE("TickDown wraps at the int32 limits instead of overflowing") {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    CheckTicks({
        {"lowest seconds", Make(0, 0, 0, lo), false, Make(0, 0, 0, hi)},
        {"lowest minutes borrowed from", Make(0, 1, lo, 0), false, Make(0, 1, hi, 59)},
        {"lowest hours borrowed from", Make(1, lo, 0, 0), false, Make(1, hi, 59, 59)},
        {"highest values count down", Make(hi, hi, hi, hi), false, Make(hi, hi, hi, hi - 1)},
    });
}

TEST_CASE("final warning and alert moment") {
    SUBCASE("threshold") {
        CHECK(noc::FinalWarningThreshold(5) == 21);
        CHECK(noc::FinalWarningThreshold(20) == 21);
        CHECK(noc::FinalWarningThreshold(21) == 22);
        CHECK(noc::FinalWarningThreshold(30) == 31);
        CHECK(noc::FinalWarningThreshold(59) == 60);
        CHECK(noc::FinalWarningThreshold(std::numeric_limits<int32_t>::max()) == std::numeric_limits<int32_t>::max());
    }
    // Each row: the time left, the lead time, and whether it is in the warning, or the alert moment.
    struct Moment {
        Remaining left;
        int32_t lead;
        bool expected;
    };
    SUBCASE("final warning window") {
        const Moment moments[] = {
            {Make(0, 0, 0, 20), 10, true}, {Make(0, 0, 0, 21), 10, false}, {Make(0, 0, 0, 30), 30, true},
            {Make(0, 0, 0, 0), 30, true},  {Make(0, 0, 0, 31), 30, false}, {Make(0, 0, 0, 59), 59, true},
            {Make(0, 0, 1, 5), 30, false}, {Make(0, 1, 0, 5), 30, false},  {Make(1, 0, 0, 5), 30, false},
        };
        for (const Moment& m : moments) {
            CAPTURE(&m - moments);
            CHECK(noc::InFinalWarning(m.left, m.lead) == m.expected);
        }
    }
    SUBCASE("alert moment") {
        const Moment moments[] = {
            {Make(0, 0, 0, 30), 30, true},  {Make(0, 0, 0, 29), 30, false}, {Make(0, 0, 0, 31), 30, false},
            {Make(0, 0, 1, 30), 30, false}, {Make(1, 0, 0, 30), 30, false},
        };
        for (const Moment& m : moments) {
            CAPTURE(&m - moments);
            CHECK(noc::IsAlertMoment(m.left, m.lead) == m.expected);
        }
    }
    SUBCASE("counting down meets the alert once, then stays in the warning to the end") {
        Remaining r = Make(0, 1, 0, 0);
        int alerts = 0, warnings = 0;
        bool done = false;
        while (!done) {
            done = noc::TickDown(r);
            alerts += noc::IsAlertMoment(r, 30) ? 1 : 0;
            warnings += noc::InFinalWarning(r, 30) ? 1 : 0;
        }
        CHECK(alerts == 1);
        CHECK(warnings == 31);  // 30 down to 0
    }
}

TEST_CASE("the notices before the end: when, and what they say") {
    struct Due {
        Remaining left;
        int64_t length;
        int32_t notice;
    };
    for (const Due& c :
         {Due{Make(0, 0, 10, 0), 601, 600}, Due{Make(0, 0, 10, 0), 600, 0}, Due{Make(0, 0, 9, 60), 3600, 600},
          Due{Make(0, 0, 0, 600), 700, 600}, Due{Make(0, 0, 1, 0), 61, 60}, Due{Make(0, 0, 1, 0), 60, 0},
          Due{Make(0, 0, 0, 60), 600, 60}, Due{Make(0, 0, 10, 1), 3600, 0}, Due{Make(0, 0, 0, 59), 3600, 0},
          Due{Make(1, 0, 0, 0), 90000, 0}, Due{Make(0, 0, 0, 0), 3600, 0}}) {
        CAPTURE(noc::SecondsLeft(c.left));
        CAPTURE(c.length);
        CHECK(noc::NoticeDue(c.left, c.length) == c.notice);
    }
    CHECK(noc::SecondsLeft(Make(2, 3, 4, 5)) == 2 * 86400 + 3 * 3600 + 4 * 60 + 5);
    CHECK(noc::SecondsLeft(Make(std::numeric_limits<int32_t>::max(), 0, 0, 0)) ==
          int64_t{std::numeric_limits<int32_t>::max()} * 86400);

    struct Text {
        int32_t left, now;
        const char* text;
    };
    for (const Text& c : {Text{600, 23 * 3600 + 32 * 60 + 5, "L'ordinateur s'éteindra dans 10 minutes (à 23:42)."},
                          Text{60, 8 * 3600 + 59 * 60 + 59, "L'ordinateur s'éteindra dans 1 minute (à 09:00)."},
                          Text{600, 23 * 3600 + 55 * 60, "L'ordinateur s'éteindra dans 10 minutes (à 00:05)."},
                          Text{60, 0, "L'ordinateur s'éteindra dans 1 minute (à 00:01)."}}) {
        CAPTURE(c.now);
        CHECK(noc::EndNoticeText(c.left, c.now) == c.text);
    }
}

TEST_CASE("the ticks to the end, as TickDown counts them") {
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    for (const Remaining& r :
         {Make(0, 0, 0, 1), Make(0, 0, 0, 20), Make(0, 1, 0, 0), Make(1, 2, 3, 4), Make(0, 0, 75, 0), Make(0, 30, 0, 0),
          Make(0, 0, 0, 90), Make(0, 0, 0, 0), Make(0, -3, 5, 0), Make(0, 2, -5, 10), Make(2, -3, 0, 0),
          Make(0, 0, 2, -7), Make(0, 0, 0, -1)}) {
        CAPTURE(r.Days);
        CAPTURE(r.Hours);
        CAPTURE(r.Minutes);
        CAPTURE(r.Seconds);
        CHECK(noc::TicksToEnd(r) == TicksToFinish(r, 200000));
    }
    CHECK(noc::TicksToEnd(Make(hi, hi, hi, hi)) == noc::SecondsLeft(Make(hi, hi, hi, hi)));
    CHECK(noc::TicksToEnd(Make(-1, 0, 5, 0)) == -1);  // never ends
}

TEST_CASE("a postpone ends exactly so many ticks later, in dial ranges") {
    struct Case {
        const char* name;
        Remaining left;
        int64_t seconds;
        Remaining after;
    };
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    for (const Case& c : {
             Case{"in the final warning", Make(0, 0, 0, 15), 600, Make(0, 0, 10, 15)},
             Case{"across the hour", Make(0, 0, 55, 30), 600, Make(0, 1, 5, 30)},
             Case{"across the day", Make(0, 23, 59, 59), 3600, Make(1, 0, 59, 59)},
             Case{"an hour", Make(2, 3, 4, 5), 3600, Make(2, 4, 4, 5)},
             Case{"out of dial ranges from the command line", Make(0, 0, 75, 0), 300, Make(0, 1, 20, 0)},
             Case{"hours out of range", Make(0, 30, 0, 0), 600, Make(1, 6, 10, 0)},
             Case{"negative hours before the first tick", Make(0, -3, 5, 0), 600, Make(0, 23, 15, 0)},
             Case{"all zero before a tick: a minute's ticks", Make(0, 0, 0, 0), 300, Make(0, 0, 6, 0)},
             Case{"the farthest end", Make(hi, 23, 59, 0), 600, Make(hi, 23, 59, 59)},
             Case{"already beyond the farthest end: unchanged", Make(hi, hi, 0, 0), 600, Make(hi, hi, 0, 0)},
             Case{"never ends: unchanged", Make(-1, 0, 5, 0), 600, Make(-1, 0, 5, 0)},
             Case{"nothing to add: unchanged", Make(0, 0, 75, 0), 0, Make(0, 0, 75, 0)},
         }) {
        CAPTURE(c.name);
        const Remaining after = noc::Postponed(c.left, c.seconds);
        CheckEq(after, c.after.Days, c.after.Hours, c.after.Minutes, c.after.Seconds);
    }
    // Whatever the counters, the end comes exactly `seconds` ticks later.
    for (const Remaining& r : {Make(0, 0, 0, 15), Make(0, 0, 75, 0), Make(0, -3, 5, 0), Make(1, 2, 3, 4),
                               Make(0, 0, 0, 0), Make(0, 0, 2, -7)})
        for (int64_t seconds : {300, 600, 900, 1800, 3600}) {
            CAPTURE(seconds);
            CHECK(TicksToFinish(noc::Postponed(r, seconds), 300000) == TicksToFinish(r, 300000) + seconds);
        }
}

TEST_CASE("the alert's moment has passed from the lead time to the end") {
    CHECK(noc::AlertMomentPassed(Make(0, 0, 0, 20), 20));
    CHECK(noc::AlertMomentPassed(Make(0, 0, 0, 0), 20));
    CHECK(noc::AlertMomentPassed(Make(0, 0, 0, 5), 20));
    CHECK_FALSE(noc::AlertMomentPassed(Make(0, 0, 0, 21), 20));
    CHECK_FALSE(noc::AlertMomentPassed(Make(0, 0, 1, 5), 20));
    CHECK_FALSE(noc::AlertMomentPassed(Make(0, 1, 0, 5), 20));
    CHECK_FALSE(noc::AlertMomentPassed(Make(1, 0, 0, 5), 20));
}

TEST_CASE("the postpone's text") {
    CHECK(noc::PostponeText(10) == "Reporter de 10 minutes");
    CHECK(noc::PostponeText(5) == "Reporter de 5 minutes");
    CHECK(noc::PostponeText(60) == "Reporter de 60 minutes");
    CHECK(noc::PostponeText(1) == "Reporter de 1 minute");
}

TEST_CASE("WrapDialPosition") {
    CHECK(noc::WrapDialPosition(32, 31) == 0);
    CHECK(noc::WrapDialPosition(-1, 31) == 31);
    CHECK(noc::WrapDialPosition(24, 23) == 0);
    CHECK(noc::WrapDialPosition(-1, 23) == 23);
    CHECK(noc::WrapDialPosition(60, 59) == 0);
    CHECK(noc::WrapDialPosition(-1, 59) == 59);
    CHECK(noc::WrapDialPosition(0, 59) == 0);
    CHECK(noc::WrapDialPosition(59, 59) == 59);
    CHECK(noc::WrapDialPosition(17, 23) == 17);
}

TEST_CASE("TypedDialPosition: the last digit and the new one within the limit, else the new one alone") {
    const struct {
        int32_t position, digit, limit, expected;
    } cases[] = {
        {0, 1, 59, 1},    {1, 5, 59, 15},   {15, 3, 59, 53},  {53, 7, 59, 37},  {37, 9, 59, 9},  // minutes
        {0, 2, 23, 2},    {2, 3, 23, 23},   {23, 4, 23, 4},   {5, 1, 23, 1},    {1, 9, 23, 19},  // hours
        {3, 1, 31, 31},   {3, 2, 31, 2},    {31, 0, 31, 10},  {0, 0, 31, 0},    {9, 9, 59, 9},   // days
        {75, 8, 59, 58},  {-1, 4, 31, 4},   {-1, 0, 31, 0},   {59, 0, 59, 0},   {10, 0, 59, 0},  // off the dial
    };
    for (const auto& c : cases) {
        CAPTURE(c.position);
        CAPTURE(c.digit);
        CAPTURE(c.limit);
        CHECK(noc::TypedDialPosition(c.position, c.digit, c.limit) == c.expected);
    }
}

TEST_CASE("TwoDigits") {
    CHECK(noc::TwoDigits(0) == "00");
    CHECK(noc::TwoDigits(5) == "05");
    CHECK(noc::TwoDigits(9) == "09");
    CHECK(noc::TwoDigits(10) == "10");
    CHECK(noc::TwoDigits(59) == "59");
    CHECK(noc::TwoDigits(123) == "123");
    CHECK(noc::TwoDigits(-1) == "0-1");
    CHECK(noc::TwoDigits(std::numeric_limits<int32_t>::min()) == "0-2147483648");
}

TEST_CASE("JudgeStart") {
    using noc::StartVerdict;
    CHECK(noc::JudgeStart(Make(0, 0, 0, 0), false) == StartVerdict::Empty);
    CHECK(noc::JudgeStart(Make(0, 0, 0, 0), true) == StartVerdict::Empty);
    CHECK(noc::JudgeStart(Make(0, 0, 0, 19), false) == StartVerdict::TooShort);
    CHECK(noc::JudgeStart(Make(0, 0, 0, 1), false) == StartVerdict::TooShort);
    CHECK(noc::JudgeStart(Make(0, 0, 0, 19), true) == StartVerdict::Start);
    CHECK(noc::JudgeStart(Make(0, 0, 0, 20), false) == StartVerdict::Start);
    CHECK(noc::JudgeStart(Make(0, 0, 1, 0), false) == StartVerdict::Start);
    CHECK(noc::JudgeStart(Make(0, 1, 0, 5), false) == StartVerdict::Start);
    CHECK(noc::JudgeStart(Make(1, 0, 0, 5), false) == StartVerdict::Start);
}

TEST_CASE("MakeTrayTexts") {
    SUBCASE("all icons, two digits each") {
        const struct {
            const char* name;
            Remaining left;
            const char *days, *hours, *minutes, *seconds;
        } cases[] = {
            {"one digit", Make(1, 2, 3, 4), "01", "j 02", ":03", ":04"},
            {"two-digit values", Make(12, 23, 45, 59), "12", "j 23", ":45", ":59"},
            {"ten is the first value without a zero", Make(10, 10, 10, 10), "10", "j 10", ":10", ":10"},
            {"nine is the last value with one", Make(9, 9, 9, 9), "09", "j 09", ":09", ":09"},
            {"out-of-range values from the command line", Make(40, 30, 75, 90), "40", "j 30", ":75", ":90"},
        };
        for (const auto& c : cases) {
            CAPTURE(c.name);
            const auto t = noc::MakeTrayTexts(c.left, true, true);
            CHECK(t.Days == c.days);
            CHECK(t.Hours == c.hours);
            CHECK(t.Minutes == c.minutes);
            CHECK(t.Seconds == c.seconds);
        }
    }
    SUBCASE("days icon hidden") {
        const auto t = noc::MakeTrayTexts(Make(0, 5, 3, 4), true, false);
        CHECK(t.Hours == " 05");
        CHECK(t.Minutes == ":03");
        CHECK(t.Seconds == ":04");
    }
    SUBCASE("days and hours icons hidden") {
        CHECK(noc::MakeTrayTexts(Make(0, 0, 3, 4), false, false).Minutes == " 03");
        CHECK(noc::MakeTrayTexts(Make(0, 0, 3, 4), false, false).Seconds == ":04");
        CHECK(noc::MakeTrayTexts(Make(0, 0, 45, 4), false, false).Minutes == " 45");
    }
}

// ---- the countdown model: its end a moment on the clock ------------------------------------------------

namespace {
constexpr uint64_t kT0 = 5000000, kS = 1000;
}  // namespace

TEST_CASE("the model: on time, each tick is TickDown's, odd counters too, and ends on the dialled second") {
    for (Remaining start : {Make(0, 1, 0, 0), Make(0, -1, 30, 0), Make(0, 0, 75, 3), Make(0, 0, 0, -5)}) {
        CAPTURE(start.Hours);
        CAPTURE(start.Minutes);
        CAPTURE(start.Seconds);
        noc::Countdown c;
        c.Start(start, kT0);
        Remaining plain = start;
        const int64_t ticks = noc::TicksToEnd(start);
        CHECK(c.Length() == ticks);
        for (int64_t i = 1; i <= ticks; ++i) {  // each tick a little late, as a worker wakes
            const bool ends = noc::TickDown(plain);
            REQUIRE(c.Tick(kT0 + i * kS + 7, 20).ended == ends);
            if (!ends) CheckEq(c.Counters(), plain.Days, plain.Hours, plain.Minutes, plain.Seconds);
        }
        CHECK(c.State() == noc::CountdownState::Closing);  // on the dialled second
    }
}

TEST_CASE("the model: after a late tick, a sleep or a gap, the clock's time left, never under a minute after a wake") {
    enum How { Late, Woken };
    struct Case {
        const char* name;
        int32_t from;  // seconds left at the start
        uint64_t at;   // ms later, the next tick or the wake
        How how;
        int32_t left;  // seconds left then
        bool alert;    // lead time 20
        int32_t notice;
        bool moved;
    } cases[] = {
        {"on time", 700, 1007, Late, 699, false, 0, false},
        {"5 s late: the end stays", 700, 6007, Late, 694, false, 0, false},
        {"the ten-minute notice passed", 605, 6007, Late, 599, false, 600, false},
        {"the one-minute notice passed", 65, 6007, Late, 59, false, 60, false},
        {"the alert passed", 25, 6007, Late, 19, true, 0, false},
        {"a gap of 60 s is a late tick", 7200, 60000, Late, 7140, false, 0, false},
        {"a gap of 61 s is a wake", 7200, 61000, Late, 7139, false, 0, true},
        {"an hour asleep in two", 7200, 3600000, Woken, 3600, false, 0, true},
        {"asleep past the ten minutes", 700, 200000, Woken, 500, false, 600, true},
        {"less than a minute left: one minute", 300, 270000, Woken, 60, false, 60, true},
        {"the end passed meanwhile: one minute", 300, 9000000, Late, 60, false, 60, true},
        {"asleep in the final warning: one minute", 15, 10000, Woken, 60, false, 60, true},
    };
    for (const Case& k : cases) {
        CAPTURE(k.name);
        noc::Countdown c;
        c.Start(Make(0, 0, k.from / 60, k.from % 60), kT0);
        const noc::CountdownEvents e = k.how == Late ? c.Tick(kT0 + k.at, 20) : c.Wake(kT0 + k.at, 20);
        CHECK(noc::TicksToEnd(c.Counters()) == k.left);
        CHECK(e.alert == k.alert);
        CHECK(e.notice == k.notice);
        CHECK(e.moved == k.moved);
        CHECK(c.Deadline() == (k.moved ? kT0 + k.at + k.left * kS : kT0 + k.from * kS));
        // Windows tells a wake twice: the second changes nothing.
        if (k.moved) CHECK_FALSE(c.Wake(kT0 + k.at, 20).moved);
    }
}

TEST_CASE("unseen, a tick at each moment that matters, under a minute apart, and each on time") {
    // Ticks left, the countdown's length, the lead time: the ticks left at the next tick.
    using Row = std::tuple<int64_t, int64_t, int32_t, int64_t>;
    for (auto [left, length, lead, next] :
         {Row{7200, 7200, 20, 7141}, Row{630, 7200, 20, 600}, Row{600, 600, 20, 541}, Row{100, 7200, 20, 60},
          Row{60, 7200, 20, 20}, Row{60, 7200, 40, 40}, Row{3, 7200, 20, 0}}) {
        CAPTURE(left);
        CHECK(noc::NextTickThatMatters(left, lead, length) == next);
    }
    noc::Countdown c;
    c.Start(Make(0, 0, 11, 40), kT0);
    uint64_t now = kT0;
    std::vector<int64_t> notices;
    while (c.State() == noc::CountdownState::Counting) {
        const uint64_t wait =
            c.MillisecondsUntil(noc::NextTickThatMatters(noc::TicksToEnd(c.Counters()), 20, 700), now);
        REQUIRE(wait <= 59 * kS);
        now += wait + 3;  // as a worker wakes
        if (c.Tick(now, 20).notice != 0) notices.push_back(noc::TicksToEnd(c.Counters()));
    }
    CHECK(notices == std::vector<int64_t>{600, 60});
    CHECK(noc::TicksToEnd(c.Counters()) == 20);  // the final warning's first second
}
