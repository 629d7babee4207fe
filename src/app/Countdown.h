#pragma once
// The countdown, without Windows: its state, its end as a moment on a clock that goes on while the
// computer sleeps, the moments of the notices, the alert and the final warning, and a clock time
// to end at. The window, the tray and the tick render it.
//
// The end is fixed when the countdown starts: the deadline, so many seconds from then as the
// counters need ticks (TicksToEnd). Each tick applies to the counters, with their borrow, as many
// one-second steps as the deadline says have passed, and at least one: one in a normal run, so the
// counters go through exactly the sequence of TickDown; after a late tick they catch up. After a
// sleep, or a tick that finds more than a minute gone since the last, the time left is read from
// the deadline, and is never less than a minute: whoever wakes the computer can still cancel.

#include <cstdint>

#include "app/CountdownRules.h"
#include "app/TimeOfDay.h"

namespace noc {

enum class CountdownState {
    SettingUp,     // no countdown: the dial is set
    Counting,      // the counters go down, the window waits in the notification area
    FinalWarning,  // the last seconds: the window comes back every second
    Closing,       // zero was reached: the window closes and the system is asked to shut down
};

// What a tick, a wake or a new aim brings, for the window to show.
struct CountdownEvents {
    bool ended = false;         // zero reached on this tick (the counters are all 0)
    bool alert = false;         // the alert's moment reached or passed on this tick
    int32_t notice = 0;         // 600 or 60: the notice due, 0 for none
    bool finalWarning = false;  // the counters are in the final warning
    bool moved = false;         // a wake or a new aim changed the time left
};

class Countdown {
public:
    static constexpr int64_t kSecondMs = 1000;
    // A tick that comes more than this after the one before counts as a wake.
    static constexpr int64_t kGapMs = 60 * kSecondMs;
    // The least time left after a wake, in seconds: the one-minute notice and the final warning
    // still come.
    static constexpr int64_t kLeastAfterWake = 60;

    CountdownState State() const { return state_; }
    bool Running() const { return state_ == CountdownState::Counting || state_ == CountdownState::FinalWarning; }
    // The counters; the window reads and writes them where the countdown's rules say so.
    Remaining& Counters() { return counters_; }
    const Remaining& Counters() const { return counters_; }
    // Ticks from the start to the end, postpones included: the notices come only in a countdown
    // longer than their moment.
    int64_t Length() const { return length_; }
    // The end, in milliseconds on the clock that `now` is read from.
    uint64_t Deadline() const { return deadline_; }

    // The dial's clock time to end at, in place of a duration; none after a change of the dial by
    // hand. A countdown started with it aims at it until a postpone.
    void AimAt(ClockTime time) { target_ = time, hasTarget_ = true; }
    void ClearTarget() { hasTarget_ = false; }
    bool HasTarget() const { return hasTarget_; }
    ClockTime Target() const { return target_; }
    bool Aimed() const { return aimed_ && Running(); }

    // Starts from `counters` (the dial, or the time until the target) at `nowMs`.
    void Start(const Remaining& counters, uint64_t nowMs);
    // Back to setting up: cancelled, or the window closing without a countdown.
    void Stop() { state_ = CountdownState::SettingUp; }

    // One tick at `nowMs`, the alert `leadTime` seconds before the end. A tick more than kGapMs after
    // the one before is a wake: Wake, or ReAim at the target read from `wall` when aimed. `least`
    // steps at least: 0 catches up with the deadline and adds no second of its own.
    CountdownEvents Tick(uint64_t nowMs, int32_t leadTime, const LocalClock* wall = nullptr, int64_t least = 1);
    // Milliseconds from `nowMs` until the deadline leaves `ticksLeft` seconds; 0 once that is passed.
    uint64_t MillisecondsUntil(int64_t ticksLeft, uint64_t nowMs) const;
    // Back from sleep at `nowMs`: the time left read from the deadline, at least kLeastAfterWake.
    // Nothing moves when that is the time the counters show.
    CountdownEvents Wake(uint64_t nowMs, int32_t leadTime);
    // The end put at `secondsLeft` from `nowMs` (a target after a change of the clock or of the time
    // zone). An end already passed leaves kLeastAfterWake, as does any less after a wake.
    CountdownEvents ReAim(int64_t secondsLeft, uint64_t nowMs, int32_t leadTime, bool wake = false);
    // The time left until the target, from the clock: the next time the wall clock shows it, unless
    // the wall clock has just jumped over it (it would then be more than half a day later than the
    // end the countdown had): 0, an end passed.
    int64_t SecondsToTarget(const LocalClock& clock, uint64_t nowMs) const;
    // The end put `seconds` later (Postponed), no longer at the target; the ticks added.
    int64_t Postpone(int64_t seconds, int32_t leadTime);

private:
    // Whole seconds from `nowMs` to the deadline, rounded up; 0 or less once it has passed.
    int64_t SecondsLeftAt(uint64_t nowMs) const;
    // The state and events after the counters went from `before` ticks left to what they show now,
    // by ticks or `moved` by a wake or a new aim.
    CountdownEvents Reached(int64_t before, int32_t leadTime, bool moved);

    CountdownState state_ = CountdownState::SettingUp;
    Remaining counters_;
    int64_t length_ = 0;
    uint64_t deadline_ = 0;
    uint64_t lastTick_ = 0;
    bool hasTarget_ = false;
    bool aimed_ = false;
    ClockTime target_;
};

}  // namespace noc
