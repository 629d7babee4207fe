#include <doctest/doctest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "app/Countdown.h"
#include "app/TimeOfDay.h"

using namespace noc;

namespace {

constexpr int64_t kHour = 3600, kDay = 86400;

// Days from 1 January 1601 to that date of the Gregorian calendar.
int64_t DaysFrom1601(int64_t y, int64_t m, int64_t d) {
    // Days from 1 March of year 0 (H. Hinnant's days_from_civil, shifted).
    auto civil = [](int64_t year, int64_t month, int64_t day) {
        year -= month <= 2;
        const int64_t era = year / 400, yoe = year - era * 400;
        const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
        return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
    };
    return civil(y, m, d) - civil(1601, 1, 1);
}

// Seconds since 1601 of that date and time of day, as the clock counts them.
int64_t At(int64_t y, int64_t mo, int64_t d, int64_t h, int64_t mi, int64_t s) {
    return DaysFrom1601(y, mo, d) * kDay + h * kHour + mi * 60 + s;
}

// A clock stopped at `now`, in a zone `before` seconds ahead of UTC until the instant `change` and
// `after` ahead from then on.
struct TableClock : LocalClock {
    int64_t now = 0;
    int64_t before = 0;
    int64_t change = std::numeric_limits<int64_t>::max();
    int64_t after = 0;
    int64_t Now() const override { return now; }
    int64_t LocalOffset(int64_t at) const override { return at < change ? before : after; }
};

// A clock whose wall clock shows that local date and time now, in a zone `offset` ahead of UTC all
// year.
TableClock WallClock(int64_t y, int64_t mo, int64_t d, int64_t h, int64_t mi, int64_t s, int64_t offset = 0) {
    TableClock c;
    c.now = At(y, mo, d, h, mi, s) - offset;
    c.before = c.after = offset;
    return c;
}

// Paris in 2024: one hour ahead of UTC, two in summer; the clocks went forward on 31 March at 01:00
// UTC (02:00 became 03:00) and back on 27 October at 01:00 UTC (03:00 became 02:00).
TableClock ParisSpring(int64_t d, int64_t h, int64_t mi, int64_t s, bool summer = false) {
    TableClock c;
    c.before = kHour;
    c.after = 2 * kHour;
    c.change = At(2024, 3, 31, 1, 0, 0);
    c.now = At(2024, 3, d, h, mi, s) - (summer ? c.after : c.before);
    return c;
}
TableClock ParisAutumn(int64_t d, int64_t h, int64_t mi, int64_t s, bool summer) {
    TableClock c;
    c.before = 2 * kHour;
    c.after = kHour;
    c.change = At(2024, 10, 27, 1, 0, 0);
    c.now = At(2024, 10, d, h, mi, s) - (summer ? c.before : c.after);
    return c;
}

void CheckDial(const Remaining& r, int32_t days, int32_t hours, int32_t minutes, int32_t seconds) {
    CHECK(r.Days == days);
    CHECK(r.Hours == hours);
    CHECK(r.Minutes == minutes);
    CHECK(r.Seconds == seconds);
}

}  // namespace

TEST_CASE("ParseClockTime: hours and minutes of the 24-hour clock, as HH:MM") {
    struct Good {
        const char* text;
        int32_t hour, minute;
    };
    const Good good[] = {{"00:00", 0, 0},  {"0:00", 0, 0},    {"23:59", 23, 59}, {"7:05", 7, 5},   {"07:05", 7, 5},
                         {"12:00", 12, 0}, {"23:50", 23, 50}, {"9:30", 9, 30},   {"19:09", 19, 9}, {"20:00", 20, 0}};
    for (const Good& g : good) {
        const std::string text = g.text;
        CAPTURE(text);
        ClockTime t{-1, -1};
        REQUIRE(ParseClockTime(g.text, t));
        CHECK(t.Hour == g.hour);
        CHECK(t.Minute == g.minute);
    }
    const char* const bad[] = {"24:00",  "7:5x",    "12:60",       "",       "7:5",    " 7:05",    "7:05 ", "07:050",
                               "007:05", "7h05",    "7.05",        ":05",    "7:",     ":",        "-1:30", "+7:05",
                               "12:3a",  "1a:30",   "25:00",       "99:99",  "12::30", "12:30:00", "1230",  "12 30",
                               "12:-5",  "\xB2:00", "12:\xB3\x30", "\t7:05", "7:05\n", "0x7:05",   "2 3:50"};
    for (const char* b : bad) {
        const std::string text = b;
        CAPTURE(text);
        ClockTime t{4, 5};
        CHECK_FALSE(ParseClockTime(b, t));
        CHECK(t.Hour == 4);  // untouched
        CHECK(t.Minute == 5);
    }
    // A zero byte inside is no part of a time either.
    ClockTime t;
    CHECK_FALSE(ParseClockTime(std::string("7:0\0", 4), t));
    CHECK_FALSE(ParseClockTime(std::string("\0"
                                           "7:05",
                                           5),
                               t));
}

TEST_CASE("WithoutOuterBlanks: a time typed with blanks around it is the time") {
    const std::pair<const char*, const char*> cases[] = {{" 7:30 ", "7:30"}, {"\t 7:30", "7:30"}, {"7:30", "7:30"},
                                                         {"12 30", "12 30"}, {"   ", ""},         {"", ""}};
    for (const auto& [typed, time] : cases) {
        CAPTURE(typed);
        CHECK(WithoutOuterBlanks(typed) == time);
    }
}

TEST_CASE("ClockTimeText reads back as the same time, for every minute of the day") {
    CHECK(ClockTimeText({7, 5}) == "07:05");
    CHECK(ClockTimeText({23, 59}) == "23:59");
    for (int32_t h = 0; h < 24; ++h) {
        for (int32_t m = 0; m < 60; ++m) {
            ClockTime back;
            REQUIRE(ParseClockTime(ClockTimeText({h, m}), back));
            CHECK(back.Hour == h);
            CHECK(back.Minute == m);
        }
    }
}

TEST_CASE("DialFor: days, then hours, minutes and seconds within their ranges") {
    CheckDial(DialFor(0), 0, 0, 0, 0);
    CheckDial(DialFor(523), 0, 0, 8, 43);
    CheckDial(DialFor(86383), 0, 23, 59, 43);
    CheckDial(DialFor(kDay), 1, 0, 0, 0);
    CheckDial(DialFor(kDay + kHour), 1, 1, 0, 0);
    CheckDial(DialFor(3 * kDay + 4 * kHour + 5 * 60 + 6), 3, 4, 5, 6);
}

TEST_CASE("DialUntil: to the second, strictly later, across midnight and any date") {
    struct Case {
        std::string name;
        TableClock clock;
        ClockTime time;
        int32_t days, hours, minutes, seconds;
    };
    const Case cases[] = {
        {"later the same hour, seconds exact", WallClock(2024, 5, 14, 23, 41, 17), {23, 50}, 0, 0, 8, 43},
        {"the minute that runs now: the next day", WallClock(2024, 5, 14, 23, 41, 17), {23, 41}, 0, 23, 59, 43},
        {"the minute just begun: a whole day", WallClock(2024, 5, 14, 23, 41, 0), {23, 41}, 1, 0, 0, 0},
        {"the minute after, just begun", WallClock(2024, 5, 14, 23, 41, 0), {23, 42}, 0, 0, 1, 0},
        {"the last second of the minute before", WallClock(2024, 5, 14, 23, 40, 59), {23, 41}, 0, 0, 0, 1},
        {"the minute before: almost a day", WallClock(2024, 5, 14, 23, 41, 17), {23, 40}, 0, 23, 58, 43},
        {"across midnight", WallClock(2024, 5, 14, 22, 30, 0), {1, 15}, 0, 2, 45, 0},
        {"midnight, one second ahead", WallClock(2024, 5, 14, 23, 59, 59), {0, 0}, 0, 0, 0, 1},
        {"midnight at midnight", WallClock(2024, 5, 15, 0, 0, 0), {0, 0}, 1, 0, 0, 0},
        {"midnight one second after it", WallClock(2024, 5, 15, 0, 0, 1), {0, 0}, 0, 23, 59, 59},
        {"earlier in the day: tomorrow", WallClock(2024, 5, 14, 12, 0, 0), {11, 59}, 0, 23, 59, 0},
        {"the last minute of the day", WallClock(2024, 5, 14, 0, 0, 30), {23, 59}, 0, 23, 58, 30},
        {"over the end of a month", WallClock(2024, 4, 30, 23, 50, 30), {0, 10}, 0, 0, 19, 30},
        {"over the end of a year", WallClock(2023, 12, 31, 23, 50, 30), {0, 10}, 0, 0, 19, 30},
        {"over a leap day", WallClock(2024, 2, 28, 20, 0, 0), {8, 0}, 0, 12, 0, 0},
        {"from a leap day", WallClock(2024, 2, 29, 23, 0, 0), {1, 0}, 0, 2, 0, 0},
        {"early in the clock's count", WallClock(1601, 1, 1, 0, 0, 5), {0, 0}, 0, 23, 59, 55},
        {"far ahead", WallClock(2999, 12, 31, 23, 59, 0), {0, 1}, 0, 0, 2, 0},
        // The local wall clock counts, whatever UTC shows.
        {"an hour ahead of UTC", WallClock(2024, 5, 14, 23, 41, 17, kHour), {23, 50}, 0, 0, 8, 43},
        {"five hours behind UTC", WallClock(2024, 5, 14, 23, 41, 17, -5 * kHour), {23, 50}, 0, 0, 8, 43},
        {"Nepal, 5:45 ahead", WallClock(2024, 5, 14, 23, 41, 17, 5 * kHour + 45 * 60), {0, 5}, 0, 0, 23, 43},
        {"fourteen hours ahead, over midnight", WallClock(2024, 5, 14, 23, 0, 0, 14 * kHour), {2, 0}, 0, 3, 0, 0},
        {"twelve hours behind, over midnight", WallClock(2024, 5, 14, 23, 0, 0, -12 * kHour), {2, 0}, 0, 3, 0, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CheckDial(DialUntil(c.clock, c.time), c.days, c.hours, c.minutes, c.seconds);
    }
}

TEST_CASE("SecondsUntil in a zone without changes: the wall clock's next showing, for every minute") {
    int failures = 0;
    for (const int64_t offset : {int64_t{0}, kHour, -5 * kHour, 5 * kHour + 45 * 60}) {
        for (int64_t second = 0; second < kDay; second += 97) {
            const TableClock clock = WallClock(2024, 5, 14, 0, 0, second, offset);
            for (int32_t minute = 0; minute < 24 * 60; ++minute) {
                const int64_t wait = SecondsUntil(clock, {minute / 60, minute % 60});
                // Strictly later, within a day, and the wall clock shows the time then: no second
                // before it can do so.
                if (wait >= 1 && wait <= kDay && (second + wait) % kDay == minute * 60) continue;
                if (failures++ == 0)
                    FAIL_CHECK("offset " << offset << ", second " << second << ", minute " << minute << ": " << wait);
            }
        }
    }
    CHECK(failures == 0);
}

TEST_CASE("SecondsUntil over a change of daylight saving time: real seconds to the wall clock's time") {
    struct Case {
        std::string name;
        TableClock clock;
        ClockTime time;
        int64_t seconds;
    };
    const Case cases[] = {
        // Spring: 02:00 becomes 03:00.
        {"01:30 to 03:30 is one hour", ParisSpring(31, 1, 30, 0), {3, 30}, kHour},
        {"01:50 to 03:00: the clock jumps to it", ParisSpring(31, 1, 50, 0), {3, 0}, 600},
        {"01:50 to 02:30, skipped: reached as the clock jumps", ParisSpring(31, 1, 50, 0), {2, 30}, 600},
        {"01:59:59 to 02:00, skipped", ParisSpring(31, 1, 59, 59), {2, 0}, 1},
        {"01:50 to 01:59, before the change", ParisSpring(31, 1, 50, 0), {1, 59}, 540},
        {"the evening before, to noon after", ParisSpring(30, 20, 0, 0), {12, 0}, 15 * kHour},
        {"noon to noon over the change: 23 hours", ParisSpring(30, 12, 0, 0), {12, 0}, 23 * kHour},
        {"after the change, to a skipped time: the next day's",
         ParisSpring(31, 3, 10, 0, true),
         {2, 30},
         23 * kHour + 20 * 60},
        // Autumn: 03:00 becomes 02:00 again.
        {"01:50 to 02:30: its first showing", ParisAutumn(27, 1, 50, 0, true), {2, 30}, 40 * 60},
        {"02:50 in summer time to 02:30: shown again after the change",
         ParisAutumn(27, 2, 50, 0, true),
         {2, 30},
         40 * 60},
        {"02:59:59 in summer time to 02:00: the clock goes back to it", ParisAutumn(27, 2, 59, 59, true), {2, 0}, 1},
        {"02:50 in winter time to 02:30: the next day's",
         ParisAutumn(27, 2, 50, 0, false),
         {2, 30},
         23 * kHour + 40 * 60},
        {"02:10 in winter time to 02:50, the repeated hour", ParisAutumn(27, 2, 10, 0, false), {2, 50}, 40 * 60},
        {"noon to noon over the change: 25 hours", ParisAutumn(26, 12, 0, 0, true), {12, 0}, 25 * kHour},
        {"the evening before, to 04:00", ParisAutumn(26, 23, 0, 0, true), {4, 0}, 6 * kHour},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(SecondsUntil(c.clock, c.time) == c.seconds);
    }
    // A day and more as the dial shows it.
    CheckDial(DialUntil(ParisAutumn(26, 12, 0, 0, true), {12, 0}), 1, 1, 0, 0);
    CheckDial(DialUntil(ParisSpring(30, 12, 0, 0), {12, 0}), 0, 23, 0, 0);
}

TEST_CASE("the messages for what is no time") {
    CHECK(BadClockTimeText("7:5x") ==
          "« 7:5x » n'est pas une heure valide !\r\nTapez l'heure sous la forme HH:MM,\r\n"
          "de 00:00 à 23:59 (par exemple 23:30).");
    CHECK(BadClockTimeText("") ==
          "Vous n'avez pas tapé d'heure !\r\nTapez l'heure sous la forme HH:MM,\r\n"
          "de 00:00 à 23:59 (par exemple 23:30).");
    CHECK(BadEndTimeParameterText("24:00") ==
          "Le douzième paramètre, « 24:00 »,\r\nn'est pas une heure valide !\r\nDonnez l'heure sous la forme "
          "HH:MM,\r\nde 00:00 à 23:59 (par exemple 23:30).\r\n\r\nLa ligne de commande est ignorée :\r\n"
          "aucun compte à rebours n'est lancé.");
    // A long text by its start.
    const std::string longText(100, '9');
    CHECK(BadEndTimeParameterText(longText).find("« " + std::string(24, '9') + "... »") != std::string::npos);
    CHECK(BadClockTimeText(std::string(24, '1')).find("« " + std::string(24, '1') + " »") != std::string::npos);
}

TEST_CASE("a countdown aimed at a clock time: re-aimed across midnight, both Paris changes and clock changes") {
    constexpr uint64_t kT0 = 7000000, kLater = kT0 + 60 * 1000;  // the clock changed a minute after the start
    const auto may = [](int64_t h, int64_t mi) { return WallClock(2024, 5, 1, h, mi, 0); };
    struct Case {
        const char* name;
        TableClock atStart;
        ClockTime target;
        TableClock atChange;
        int64_t left;  // seconds left after the new aim
    } cases[] = {
        {"across midnight, nothing changed", may(23, 50), {0, 10}, may(23, 51), 19 * 60},
        {"the clock set back an hour", may(22, 0), {23, 30}, may(21, 1), 2 * kHour + 29 * 60},
        {"the clock set on past the time: one minute", may(22, 0), {23, 30}, may(23, 45), 60},
        {"spring: 01:30 to 03:30 is an hour", ParisSpring(31, 1, 30, 0), {3, 30}, ParisSpring(31, 1, 31, 0), 59 * 60},
        {"autumn: 3 h", ParisAutumn(27, 1, 30, 0, true), {3, 30}, ParisAutumn(27, 1, 31, 0, true), 3 * kHour - 60},
    };
    for (const Case& k : cases) {
        CAPTURE(k.name);
        noc::Countdown c;
        c.AimAt(k.target);
        c.Start(DialFor(SecondsUntil(k.atStart, k.target)), kT0);
        const noc::CountdownEvents e = c.ReAim(c.SecondsToTarget(k.atChange, kLater), kLater, 20);
        CHECK(TicksToEnd(c.Counters()) == k.left);
        CHECK(c.Deadline() == kLater + static_cast<uint64_t>(k.left) * 1000);
        CHECK(e.notice == (k.left == 60 ? 60 : 0));
    }
}
