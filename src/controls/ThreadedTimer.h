#pragma once
// A one-second timer whose ticks come from a worker thread of its own, so that a busy or modal
// user interface does not make the countdown lose time: the worker keeps a drift-free grid of due
// times and hands each tick over to the user-interface thread. It can also run on a plain window
// timer (Threaded false).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/HiddenWindow.h"

namespace noc {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The clock the worker schedules on: the unbiased interrupt time (monotonic, 100 ns units, the
// time the machine sleeps not counted), in its precise form where the system has one.
uint64_t TickClockNow();
// Whether that precise form was found.
bool TickClockPrecise();

// The value SetThreadPriority takes for a priority level.
int ThreadPriorityValue(TThreadPriority p);

class TThreadedTimer;

// What the timer and its worker share. The worker holds it for as long as it runs, so it outlives
// the timer when the timer is destroyed first; the worker reaches the timer only through `owner`,
// which the timer clears under the lock when it goes.
struct TThreadedTimerState {
    TThreadedTimerState();

    std::mutex lock;
    TThreadedTimer* owner = nullptr;  // null once the timer is gone; set and cleared on the UI thread
    bool terminated = false;          // the worker is to end
    bool released = false;            // ticking; otherwise the worker is parked
    uint32_t interval = 1000;         // milliseconds, copied at each release
    uint32_t first = 1000;            // milliseconds from the release to the first tick
    uint64_t startTime = 0;           // unbiased interrupt time of the release
    uint64_t generation = 0;          // bumped at each hold and release: the grid starts afresh
    bool naiveLoop = false;           // "sleep interval, hand over" instead of the schedule
    bool handingOver = false;         // the worker waits for the UI thread (Synchronize)
    bool firing = false;              // the worker runs the handler itself (SyncEvent false)
    HWND reportWindow = nullptr;      // the timer's hidden window, receives failure reports
    std::atomic<bool> syncEvent{true};

    UniqueKernelHandle runEvent;    // manual reset: set while released or terminated
    UniqueKernelHandle wakeEvent;   // auto reset: cuts the worker's sleep short
    UniqueKernelHandle firingDone;  // auto reset: set when a direct call of the handler ends
};

// The worker: parked on an event while the timer is disabled, otherwise it sleeps until each due
// time and delivers the tick. Never suspended at an arbitrary point, so it cannot be stopped while
// holding a lock of the hand-over queue.
class TThreadedTimerThread {
public:
    explicit TThreadedTimerThread(std::shared_ptr<TThreadedTimerState> state);
    // Lets the thread go; it ends by itself once told to terminate.
    ~TThreadedTimerThread();
    TThreadedTimerThread(const TThreadedTimerThread&) = delete;
    TThreadedTimerThread& operator=(const TThreadedTimerThread&) = delete;

    // Parks the worker after the tick in progress, if any.
    void Hold();
    // Starts a new grid of ticks, `intervalMs` apart, the first `firstMs` from now.
    void Release(uint32_t intervalMs, bool naiveLoop, uint32_t firstMs);
    void SetPriority(TThreadPriority p);
    // Tells the worker to end and wakes it. Returns whether it may be waiting for the UI thread
    // (a hand-over in flight or a handler running on it), when waiting for its end could block.
    bool Terminate();
    // Waits at most `ms` for the thread's end.
    bool WaitFor(DWORD ms);
    HANDLE Handle() const { return thread_.get(); }

private:
    static DWORD WINAPI Entry(void* param);
    static void Execute(TThreadedTimerState& st);
    static void DeliverTick(TThreadedTimerState& st, uint64_t generation);

    std::shared_ptr<TThreadedTimerState> state_;
    UniqueKernelHandle thread_;
};

class TThreadedTimer : public TComponent {
public:
    explicit TThreadedTimer(TComponent* owner);
    ~TThreadedTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t value);
    // A new grid of `intervalMs`, its first tick `firstMs` from now (at once for 0), when enabled.
    void Restart(uint32_t intervalMs, uint32_t firstMs);
    // Whether each tick is handed over to the UI thread (read by the worker at each tick).
    bool SyncEvent() const { return state_->syncEvent; }
    void SetSyncEvent(bool value) { state_->syncEvent = value; }
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent value);

    // Raises OnTimer when enabled, not being destroyed and a handler is set.
    void FireTimer();
    // Brings the worker or the window timer in line with the properties. UI thread.
    void ApplyTimerState();

    // The worker's plain loop (sleep Interval, then hand over), for comparing drift. Applies to
    // timers enabled afterwards.
    static void SetNaiveLoopForBenchmark(bool naive);

private:
    bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    TNotifyEvent HandlerCopy() const;
    bool HandlerSet() const;
    bool Active() const { return interval_ != 0 && enabled_ && HandlerSet(); }
    void KillWindowTimer();

    std::atomic<bool> enabled_{true};
    uint32_t interval_ = 1000;
    bool threaded_ = true;
    TThreadPriority priority_ = tpNormal;
    std::atomic<bool> destroying_{false};

    mutable std::mutex handlerLock_;  // the handler is read by the worker when SyncEvent is false
    TNotifyEvent onTimer_;

    std::unique_ptr<THiddenWindow> window_;  // message-only: window timer and failure reports
    bool windowTimer_ = false;

    std::shared_ptr<TThreadedTimerState> state_;
    std::unique_ptr<TThreadedTimerThread> worker_;
};

}  // namespace noc
