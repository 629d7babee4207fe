#pragma once
// The threaded timer's schedule, without Windows: when each tick is due on a fixed grid.

#include <cstdint>
#include <functional>

namespace noc {

// When the next tick of a periodic timer is due. Tick n is due at (time of enabling + n * interval)
// on a monotonic clock, so the time spent delivering ticks, running the handler and oversleeping
// never adds up. A tick late by up to one interval is delivered at once and the grid is kept; once
// the schedule is more than one interval behind (long handler, machine asleep) it is re-based on
// the current time: the next tick is due now and the following ones one interval apart from it.
//
// A countdown does not rely on the grid for its end: that is a moment of its own (app/Countdown.h),
// which a late or re-based tick catches up with.
//
// Times are in 100-nanosecond units (the unit of the unbiased interrupt time), intervals in
// milliseconds. An interval of 0 makes every tick due at once.
class TickSchedule {
public:
    static constexpr uint64_t kUnitsPerMs = 10000;

    // Enabling at `now`: tick 1 is due at now + interval.
    void Start(uint64_t now, uint32_t intervalMs);
    // The same with tick 1 due at now + firstMs: a grid set on another clock's.
    void Start(uint64_t now, uint32_t intervalMs, uint32_t firstMs);

    uint64_t NextDue() const;

    // Whole milliseconds to sleep from `now` until the next tick, rounded up so the sleeper never
    // wakes early; 0 when the tick is due.
    uint32_t MillisecondsUntilDue(uint64_t now) const;

    bool IsDue(uint64_t now) const;

    // Re-bases the schedule on `now` when the next due time is more than one interval in the past.
    // Call it after waking and before delivering, so a tick that waited through a suspend counts as
    // the tick of the new grid rather than being followed by another one straight away.
    void CatchUp(uint64_t now);

    // After a tick was delivered and its handler returned at `now`: the next tick is due one
    // interval later, re-based as in CatchUp when that is already more than an interval past.
    void Advance(uint64_t now);

    uint64_t TicksDelivered() const;

private:
    uint64_t m_interval = 0;  // 100 ns units
    uint64_t m_nextDue = 0;
    uint64_t m_delivered = 0;
};

// Monotonic clock and sleeper behind the tick worker, replaceable by a simulated one.
struct TickClock {
    virtual ~TickClock() = default;
    virtual uint64_t Now() = 0;  // 100 ns units
    virtual void SleepMs(uint32_t ms) = 0;
};

// Delivers `count` ticks: { sleep until due; CatchUp; handler(); Advance(Now()) }. The handler is
// called on the caller's thread, one tick after the other, never re-entered.
void RunTicks(TickClock& clock, TickSchedule& schedule, uint64_t count, const std::function<void()>& handler);

}  // namespace noc
