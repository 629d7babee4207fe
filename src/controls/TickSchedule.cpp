#include "controls/TickSchedule.h"

#include <limits>

namespace noc {

namespace {

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max() : a + b;
}

}  // namespace

void TickSchedule::Start(uint64_t now, uint32_t intervalMs) { Start(now, intervalMs, intervalMs); }

void TickSchedule::Start(uint64_t now, uint32_t intervalMs, uint32_t firstMs) {
    m_interval = static_cast<uint64_t>(intervalMs) * kUnitsPerMs;
    m_nextDue = SaturatingAdd(now, static_cast<uint64_t>(firstMs) * kUnitsPerMs);
    m_delivered = 0;
}

uint64_t TickSchedule::NextDue() const { return m_nextDue; }

uint32_t TickSchedule::MillisecondsUntilDue(uint64_t now) const {
    if (now >= m_nextDue) return 0;
    const uint64_t left = m_nextDue - now;
    const uint64_t ms = left / kUnitsPerMs + (left % kUnitsPerMs != 0 ? 1 : 0);
    return ms > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(ms);
}

bool TickSchedule::IsDue(uint64_t now) const { return now >= m_nextDue; }

void TickSchedule::CatchUp(uint64_t now) {
    if (now > m_nextDue && now - m_nextDue > m_interval) m_nextDue = now;
}

void TickSchedule::Advance(uint64_t now) {
    ++m_delivered;
    m_nextDue = SaturatingAdd(m_nextDue, m_interval);
    CatchUp(now);
}

uint64_t TickSchedule::TicksDelivered() const { return m_delivered; }

void RunTicks(TickClock& clock, TickSchedule& schedule, uint64_t count, const std::function<void()>& handler) {
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t now = clock.Now();
        while (!schedule.IsDue(now)) {
            clock.SleepMs(schedule.MillisecondsUntilDue(now));
            now = clock.Now();
        }
        schedule.CatchUp(now);
        handler();
        schedule.Advance(clock.Now());
    }
}

}  // namespace noc
