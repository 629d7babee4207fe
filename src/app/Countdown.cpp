#include "app/Countdown.h"

#include <algorithm>

namespace noc {

namespace {

constexpr int32_t kNotices[] = {600, 60};
constexpr int64_t kHalfDay = 43200;

}  // namespace

void Countdown::Start(const Remaining& counters, uint64_t nowMs) {
    counters_ = counters;
    length_ = TicksToEnd(counters);
    deadline_ = nowMs + static_cast<uint64_t>(std::max<int64_t>(length_, 0) * kSecondMs);
    lastTick_ = nowMs;
    aimed_ = hasTarget_;
    state_ = CountdownState::Counting;
}

int64_t Countdown::SecondsLeftAt(uint64_t nowMs) const {
    const auto ms = static_cast<int64_t>(deadline_ - nowMs);
    return ms > 0 ? (ms + kSecondMs - 1) / kSecondMs : -(-ms / kSecondMs);
}

uint64_t Countdown::MillisecondsUntil(int64_t ticksLeft, uint64_t nowMs) const {
    const int64_t ms = static_cast<int64_t>(deadline_ - nowMs) - ticksLeft * kSecondMs;
    return ms > 0 ? static_cast<uint64_t>(ms) : 0;
}

CountdownEvents Countdown::Tick(uint64_t nowMs, int32_t leadTime, const LocalClock* wall, int64_t least) {
    // Counters without a running countdown (never started, or ended) have no end to keep to.
    const bool onClock = Running();
    if (onClock && nowMs > lastTick_ && nowMs - lastTick_ > static_cast<uint64_t>(kGapMs))
        return Aimed() && wall ? ReAim(SecondsToTarget(*wall, nowMs), nowMs, leadTime, true) : Wake(nowMs, leadTime);
    lastTick_ = std::max(lastTick_, nowMs);

    const int64_t before = TicksToEnd(counters_);
    // One second in a normal run; the seconds a late tick missed are skipped, never added.
    const int64_t steps = onClock ? std::max<int64_t>(least, before - SecondsLeftAt(nowMs)) : least;
    for (int64_t i = 0; i < steps; ++i) {
        if (TickDown(counters_)) {
            // What follows is shown on the counters as the window's close leaves them.
            state_ = CountdownState::Closing;
            CountdownEvents ended;
            ended.ended = true;
            return ended;
        }
    }
    return Reached(before, leadTime, false);
}

CountdownEvents Countdown::Wake(uint64_t nowMs, int32_t leadTime) {
    return ReAim(SecondsLeftAt(nowMs), nowMs, leadTime, true);
}

CountdownEvents Countdown::ReAim(int64_t secondsLeft, uint64_t nowMs, int32_t leadTime, bool wake) {
    lastTick_ = std::max(lastTick_, nowMs);
    const int64_t before = TicksToEnd(counters_);
    int64_t left = secondsLeft;
    if (left < 1 || (wake && left < kLeastAfterWake)) left = kLeastAfterWake;
    // A second message for the same wake, or a clock change that moves nothing.
    if (left == before) return Reached(before, leadTime, true);
    deadline_ = nowMs + static_cast<uint64_t>(left * kSecondMs);
    counters_ = DialFor(left);
    CountdownEvents moved = Reached(before, leadTime, true);
    moved.moved = true;
    return moved;
}

int64_t Countdown::SecondsToTarget(const LocalClock& clock, uint64_t nowMs) const {
    const int64_t next = SecondsUntil(clock, target_);
    return next > SecondsLeftAt(nowMs) + kHalfDay ? 0 : next;
}

int64_t Countdown::Postpone(int64_t seconds, int32_t leadTime) {
    const int64_t before = TicksToEnd(counters_);
    counters_ = Postponed(counters_, seconds);
    const int64_t added = TicksToEnd(counters_) - before;
    deadline_ += static_cast<uint64_t>(added * kSecondMs);
    length_ += added;
    aimed_ = false;
    if (Running())
        state_ = InFinalWarning(counters_, leadTime) ? CountdownState::FinalWarning : CountdownState::Counting;
    return added;
}

CountdownEvents Countdown::Reached(int64_t before, int32_t leadTime, bool moved) {
    CountdownEvents e;
    const int64_t after = TicksToEnd(counters_);
    e.alert = before > leadTime && after <= leadTime;
    // The latest notice whose moment was reached or passed. A countdown no longer than it has none;
    // after a wake or a new aim the time that it shows is told.
    for (int32_t due : kNotices)
        if ((before > due && after <= due && (moved || length_ > due)) || (moved && before != after && after == due))
            e.notice = due;
    e.finalWarning = InFinalWarning(counters_, leadTime);
    if (Running()) state_ = e.finalWarning ? CountdownState::FinalWarning : CountdownState::Counting;
    return e;
}

}  // namespace noc
