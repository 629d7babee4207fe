#include <doctest/doctest.h>

#include "controls/TickSchedule.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint64_t kMs = noc::TickSchedule::kUnitsPerMs;
constexpr uint64_t kSecond = 1000 * kMs;

// Simulated monotonic clock: sleeping moves time forward by the asked time plus an oversleep,
// and an optional one-off extra delay on a chosen sleep call (a suspend while waiting).
struct SimClock : noc::TickClock {
    uint64_t now = 0;
    uint64_t oversleep = 0;     // added to every sleep
    uint64_t stallOnSleep = 0;  // 1-based sleep call that gets `stall` added; 0 = none
    uint64_t stall = 0;
    uint64_t sleeps = 0;

    uint64_t Now() override { return now; }
    void SleepMs(uint32_t ms) override {
        ++sleeps;
        now += ms * kMs + oversleep;
        if (sleeps == stallOnSleep) now += stall;
    }
};

// Runs `count` ticks, recording when each handler call starts. The handler takes `handlerTime`,
// or `longHandler` on tick number `longTick` (1-based).
struct Recorder {
    explicit Recorder(SimClock& c) : clock(c) {}

    SimClock& clock;
    uint64_t handlerTime = 0;
    uint64_t longTick = 0;
    uint64_t longHandler = 0;
    std::vector<uint64_t> times;
    bool inside = false;
    bool reentered = false;

    void operator()() {
        if (inside) reentered = true;
        inside = true;
        times.push_back(clock.now);
        clock.now += times.size() == longTick ? longHandler : handlerTime;
        inside = false;
    }
};

std::vector<uint64_t> Run(SimClock& clock, Recorder& rec, uint32_t intervalMs, uint64_t count) {
    noc::TickSchedule schedule;
    schedule.Start(clock.now, intervalMs);
    noc::RunTicks(clock, schedule, count, [&] { rec(); });
    CHECK(schedule.TicksDelivered() == count);
    CHECK_FALSE(rec.reentered);
    return rec.times;
}

}  // namespace

TEST_CASE("TickSchedule arithmetic") {
    noc::TickSchedule s;
    s.Start(5 * kSecond, 1000);
    CHECK(s.NextDue() == 6 * kSecond);
    CHECK(s.TicksDelivered() == 0);

    SUBCASE("due from the due time on") {
        CHECK_FALSE(s.IsDue(6 * kSecond - 1));
        CHECK(s.IsDue(6 * kSecond));
        CHECK(s.IsDue(7 * kSecond));
    }
    SUBCASE("milliseconds until due round up") {
        CHECK(s.MillisecondsUntilDue(5 * kSecond) == 1000);
        CHECK(s.MillisecondsUntilDue(6 * kSecond - 1) == 1);
        CHECK(s.MillisecondsUntilDue(6 * kSecond - kMs) == 1);
        CHECK(s.MillisecondsUntilDue(6 * kSecond - kMs - 1) == 2);
        CHECK(s.MillisecondsUntilDue(6 * kSecond) == 0);
        CHECK(s.MillisecondsUntilDue(9 * kSecond) == 0);
        CHECK(s.MillisecondsUntilDue(0) == 6000);
    }
    SUBCASE("advance keeps the grid when on time or late by up to one interval") {
        s.Advance(6 * kSecond + 20 * kMs);
        CHECK(s.NextDue() == 7 * kSecond);
        s.Advance(7 * kSecond + 500 * kMs);
        CHECK(s.NextDue() == 8 * kSecond);
        s.Advance(9 * kSecond);  // next due 9 s: due now, not behind
        CHECK(s.NextDue() == 9 * kSecond);
        s.Advance(11 * kSecond);  // next due 10 s: exactly one interval behind
        CHECK(s.NextDue() == 10 * kSecond);
        CHECK(s.TicksDelivered() == 4);
    }
    SUBCASE("advance re-bases when more than one interval behind") {
        s.Advance(8 * kSecond + 1);  // next would be 7 s, more than 1 s behind
        CHECK(s.NextDue() == 8 * kSecond + 1);
        s.Advance(8 * kSecond + 30 * kMs);
        CHECK(s.NextDue() == 9 * kSecond + 1);
    }
    SUBCASE("catch-up only moves a schedule that is more than one interval behind") {
        s.CatchUp(6 * kSecond + 999 * kMs);
        CHECK(s.NextDue() == 6 * kSecond);
        s.CatchUp(7 * kSecond);
        CHECK(s.NextDue() == 6 * kSecond);
        s.CatchUp(7 * kSecond + 1);
        CHECK(s.NextDue() == 7 * kSecond + 1);
    }
    SUBCASE("restart resets the count and the grid") {
        s.Advance(6 * kSecond);
        s.Start(100 * kSecond, 250);
        CHECK(s.TicksDelivered() == 0);
        CHECK(s.NextDue() == 100 * kSecond + 250 * kMs);
    }
}

TEST_CASE("perfect clock gives exact ticks") {
    SimClock clock;
    clock.now = 123 * kSecond + 7;
    const uint64_t start = clock.now;
    Recorder rec{clock};
    rec.handlerTime = 3 * kMs;
    const auto times = Run(clock, rec, 1000, 100);
    REQUIRE(times.size() == 100);
    for (size_t i = 0; i < times.size(); ++i) CHECK(times[i] == start + (i + 1) * kSecond);
    SUBCASE("the first tick comes one interval after enabling, not earlier and not later") {
        CHECK(times.front() - start == kSecond);
    }
    SUBCASE("tick count equals elapsed time over the interval") {
        CHECK((times.back() - start) / kSecond == times.size());
    }
}

TEST_CASE("oversleeping and handler time do not accumulate") {
    const uint64_t count = 3600;
    const uint64_t oversleep = 15 * kMs;
    const uint64_t handler = 20 * kMs;

    SimClock clock;
    clock.oversleep = oversleep;
    const uint64_t start = clock.now;
    Recorder rec{clock};
    rec.handlerTime = handler;
    const auto times = Run(clock, rec, 1000, count);
    REQUIRE(times.size() == count);

    const uint64_t scheduledLate = times.back() - (start + count * kSecond);
    CHECK(times.back() >= start + count * kSecond);
    CHECK(scheduledLate < 40 * kMs);
    for (size_t i = 0; i < times.size(); ++i) REQUIRE(times[i] - (start + (i + 1) * kSecond) < 40 * kMs);
    CHECK((times.back() - start) / kSecond == count);

    SUBCASE("the naive sleep-then-deliver loop drifts by every tick's delays") {
        SimClock naive;
        naive.oversleep = oversleep;
        uint64_t last = 0;
        for (uint64_t i = 0; i < count; ++i) {
            naive.SleepMs(1000);
            last = naive.now;
            naive.now += handler;
        }
        const uint64_t naiveLate = last - count * kSecond;
        // 3600 oversleeps of 15 ms and 3599 handler runs of 20 ms: more than two minutes.
        CHECK(naiveLate == count * oversleep + (count - 1) * handler);
        CHECK(naiveLate > 100 * kSecond);
        CHECK(naiveLate > 1000 * scheduledLate);
    }
}

TEST_CASE("irregular delays stay on the grid") {
    // Deterministic pseudo-random oversleep (0..15 ms) and handler time (0..30 ms).
    struct JitterClock : SimClock {
        uint32_t seed = 12345;
        uint32_t Next() { return seed = seed * 1103515245u + 12345u; }
        void SleepMs(uint32_t ms) override { now += ms * kMs + (Next() >> 16) % (15 * kMs + 1); }
    } clock;
    noc::TickSchedule schedule;
    schedule.Start(clock.now, 100);
    std::vector<uint64_t> times;
    noc::RunTicks(clock, schedule, 2000, [&] {
        times.push_back(clock.now);
        clock.now += (clock.Next() >> 16) % (30 * kMs + 1);
    });
    REQUIRE(times.size() == 2000);
    for (size_t i = 0; i < times.size(); ++i) {
        const uint64_t due = (i + 1) * 100 * kMs;
        REQUIRE(times[i] >= due);
        REQUIRE(times[i] - due < 100 * kMs);
    }
    CHECK(times.back() / (100 * kMs) == times.size());
}

namespace {

// A clock that moves in steps of 15.625 ms, as the interrupt time does, and a sleeper that wakes on
// a step: its deadline counts from the clock's last step, and it wakes a random 0..lateMax late,
// on the first step at or after that. The handler works a random 0..20 ms of true time.
struct SteppedClock : noc::TickClock {
    static constexpr uint64_t kStep = 156250;
    uint64_t real = 0;  // true time
    uint64_t lateMax = 0;
    uint32_t seed = 1;

    uint32_t Next() { return seed = seed * 1103515245u + 12345u; }
    uint64_t Random(uint64_t max) { return (static_cast<uint64_t>(Next() >> 8) * 4099u) % (max + 1); }
    static uint64_t UpToStep(uint64_t t) { return (t + kStep - 1) / kStep * kStep; }

    uint64_t Now() override { return real - real % kStep; }
    void SleepMs(uint32_t ms) override {
        const uint64_t wake = UpToStep(Now() + ms * kMs + Random(lateMax));
        if (wake > real) real = wake;
    }
};

// True-time error of every tick against enabling + n intervals, over 3600 one-second ticks.
std::vector<int64_t> SteppedErrors(SteppedClock& clock, bool naive) {
    clock.real = 7 * kSecond + 12345;  // off the step grid
    const uint64_t start = clock.real;
    noc::TickSchedule schedule;
    schedule.Start(clock.Now(), 1000);
    std::vector<int64_t> errors;
    auto handler = [&] {
        errors.push_back(static_cast<int64_t>(clock.real - start) -
                         static_cast<int64_t>((errors.size() + 1) * kSecond));
        clock.real += clock.Random(20 * kMs);
    };
    for (int i = 0; i < 3600; ++i) {
        noc::RunTicks(clock, schedule, 1, handler);
        if (naive)  // the plain loop: each interval counts from the end of the last tick
            schedule.Start(clock.Now(), 1000);
    }
    return errors;
}

}  // namespace

TEST_CASE("a clock in 15.6 ms steps and a late sleeper: each tick within a step of its due time, nothing accumulates") {
    const int64_t step = SteppedClock::kStep;
    const int64_t ms = static_cast<int64_t>(kMs);
    const uint32_t seeds[] = {1u, 77u, 4242u};

    SUBCASE("a sleeper that wakes on the first step after its deadline") {
        for (uint32_t seed : seeds) {
            CAPTURE(seed);
            SteppedClock clock;
            clock.seed = seed;
            const auto errors = SteppedErrors(clock, false);
            REQUIRE(errors.size() == 3600);
            // Up to one step early (the clock lags the true time), one step late (the wake-up
            // waits for the next step) plus the sleep's rounding up to whole milliseconds.
            for (int64_t e : errors) {
                REQUIRE(e > -step);
                REQUIRE(e < step + ms);
            }
            CHECK(std::llabs(errors[3599] - errors[59]) < step + ms);
        }
    }
    SUBCASE("a sleeper that oversleeps up to 10 ms more") {
        const int64_t late = 10 * ms;
        for (uint32_t seed : seeds) {
            CAPTURE(seed);
            SteppedClock clock;
            clock.seed = seed;
            clock.lateMax = late;
            const auto errors = SteppedErrors(clock, false);
            REQUIRE(errors.size() == 3600);
            // The oversleep adds to the lateness of its own tick only.
            for (int64_t e : errors) {
                REQUIRE(e > -step);
                REQUIRE(e < step + late + ms);
            }
            CHECK(std::llabs(errors[3599] - errors[59]) < step + late + ms);

            SteppedClock plain;
            plain.seed = seed;
            plain.lateMax = late;
            const auto drifting = SteppedErrors(plain, true);
            // The plain loop loses the handler's time and the oversleep at every tick.
            CHECK(drifting[3599] > 60 * static_cast<int64_t>(kSecond));
            CHECK(drifting[3599] > 20 * drifting[59]);
        }
    }
}

TEST_CASE("a stall of ten seconds gives one tick, not a burst") {
    SUBCASE("long handler") {
        SimClock clock;
        Recorder rec{clock};
        rec.longTick = 5;
        rec.longHandler = 10 * kSecond;
        const auto times = Run(clock, rec, 1000, 12);
        REQUIRE(times.size() == 12);
        CHECK(times[4] == 5 * kSecond);
        // Right after the long handler the next tick comes at once, then one per interval.
        CHECK(times[5] == 15 * kSecond);
        for (size_t i = 6; i < times.size(); ++i) CHECK(times[i] - times[i - 1] == kSecond);
    }
    SUBCASE("machine asleep while waiting") {
        SimClock clock;
        clock.stallOnSleep = 3;  // the wait for tick 3
        clock.stall = 10 * kSecond;
        Recorder rec{clock};
        rec.handlerTime = 20 * kMs;
        const auto times = Run(clock, rec, 1000, 12);
        REQUIRE(times.size() == 12);
        CHECK(times[1] == 2 * kSecond);
        CHECK(times[2] == 13 * kSecond);  // woke up: one tick
        for (size_t i = 3; i < times.size(); ++i) CHECK(times[i] - times[i - 1] == kSecond);
    }
}

TEST_CASE("lateness of half an interval keeps the original grid") {
    SimClock clock;
    clock.stallOnSleep = 3;
    clock.stall = 500 * kMs;
    Recorder rec{clock};
    rec.handlerTime = 10 * kMs;
    const auto times = Run(clock, rec, 1000, 6);
    REQUIRE(times.size() == 6);
    CHECK(times[2] == 3 * kSecond + 500 * kMs);
    CHECK(times[3] == 4 * kSecond);
    CHECK(times[4] == 5 * kSecond);
    CHECK(times[5] == 6 * kSecond);
}

TEST_CASE("interval 0 neither divides by zero nor hangs") {
    SimClock clock;
    clock.now = 42;
    noc::TickSchedule schedule;
    schedule.Start(clock.now, 0);
    CHECK(schedule.IsDue(clock.now));
    CHECK(schedule.MillisecondsUntilDue(clock.now) == 0);
    int calls = 0;
    noc::RunTicks(clock, schedule, 5, [&] { ++calls; });
    CHECK(calls == 5);
    CHECK(schedule.TicksDelivered() == 5);
    CHECK(clock.sleeps == 0);
}
