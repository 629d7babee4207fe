#include "controls/ThreadedTimer.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "controls/TickSchedule.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/Sync.h"

namespace noc {

namespace {

const char kTimerWindowClass[] = "TThreadedTimerWindow";
constexpr UINT_PTR kWindowTimerId = 1;
// Posted by the worker to the timer's window: lParam is a heap-allocated std::exception_ptr.
// How long the destructor waits for a worker that only has to wake up and leave.
constexpr DWORD kJoinMs = 20;

std::atomic<bool> g_naiveLoop{false};

using QueryTimeFn = BOOL(WINAPI*)(PULONGLONG);

// The precise form of the unbiased interrupt time (Windows 10 and later) reads between the
// clock's steps of up to 16 ms. Looked up at run time: where the system lacks it, the program must
// still start, so it is no import of ours.
QueryTimeFn FindPreciseClock() {
    const char* const modules[] = {"kernelbase.dll", "api-ms-win-core-realtime-l1-1-1.dll"};
    for (const char* name : modules) {
        HMODULE module = GetModuleHandleA(name);
        if (!module) module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) continue;
        if (FARPROC proc = GetProcAddress(module, "QueryUnbiasedInterruptTimePrecise"))
            return reinterpret_cast<QueryTimeFn>(reinterpret_cast<void (*)()>(proc));
    }
    return nullptr;
}

QueryTimeFn PreciseClock() {
    static const QueryTimeFn precise = FindPreciseClock();
    return precise;
}

bool IsAbort(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

UniqueKernelHandle MakeEvent(bool manualReset) {
    UniqueKernelHandle e(CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
    if (!e) throw std::runtime_error("Timer: cannot create an event");
    return e;
}

}  // namespace

uint64_t TickClockNow() {
    ULONGLONG t = 0;
    if (QueryTimeFn precise = PreciseClock()) {
        if (precise(&t)) return t;
    }
    if (QueryUnbiasedInterruptTime(&t)) return t;
    return GetTickCount64() * TickSchedule::kUnitsPerMs;
}

bool TickClockPrecise() { return PreciseClock() != nullptr; }

int ThreadPriorityValue(TThreadPriority p) {
    switch (p) {
    case tpIdle:
        return THREAD_PRIORITY_IDLE;
    case tpLowest:
        return THREAD_PRIORITY_LOWEST;
    case tpLower:
        return THREAD_PRIORITY_BELOW_NORMAL;
    case tpNormal:
        return THREAD_PRIORITY_NORMAL;
    case tpHigher:
        return THREAD_PRIORITY_ABOVE_NORMAL;
    case tpHighest:
        return THREAD_PRIORITY_HIGHEST;
    case tpTimeCritical:
        return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

// ---- shared state -----------------------------------------------------------------------------

TThreadedTimerState::TThreadedTimerState()
    : runEvent(MakeEvent(true)), wakeEvent(MakeEvent(false)), firingDone(MakeEvent(false)) {}

// ---- the worker -------------------------------------------------------------------------------

TThreadedTimerThread::TThreadedTimerThread(std::shared_ptr<TThreadedTimerState> state) : state_(std::move(state)) {
    auto* param = new std::shared_ptr<TThreadedTimerState>(state_);
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, &TThreadedTimerThread::Entry, param, 0, &id));
    if (!thread_) {
        delete param;
        throw std::runtime_error("Timer: cannot create its thread");
    }
}

TThreadedTimerThread::~TThreadedTimerThread() = default;  // closing the handle lets the thread go

void TThreadedTimerThread::Hold() {
    std::lock_guard<std::mutex> g(state_->lock);
    state_->released = false;
    ++state_->generation;
    ResetEvent(state_->runEvent.get());
    SetEvent(state_->wakeEvent.get());
}

void TThreadedTimerThread::Release(uint32_t intervalMs, bool naiveLoop, uint32_t firstMs) {
    std::lock_guard<std::mutex> g(state_->lock);
    state_->released = true;
    state_->interval = intervalMs;
    state_->first = firstMs;
    state_->naiveLoop = naiveLoop;
    state_->startTime = TickClockNow();
    ++state_->generation;
    SetEvent(state_->runEvent.get());
    SetEvent(state_->wakeEvent.get());
}

void TThreadedTimerThread::SetPriority(TThreadPriority p) {
    ::SetThreadPriority(thread_.get(), ThreadPriorityValue(p));
}

bool TThreadedTimerThread::Terminate() {
    std::lock_guard<std::mutex> g(state_->lock);
    state_->terminated = true;
    state_->released = false;
    state_->owner = nullptr;
    state_->reportWindow = nullptr;
    ++state_->generation;
    SetEvent(state_->runEvent.get());
    SetEvent(state_->wakeEvent.get());
    return state_->handingOver || state_->firing;
}

bool TThreadedTimerThread::WaitFor(DWORD ms) { return WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0; }

DWORD WINAPI TThreadedTimerThread::Entry(void* param) {
    // The thread's own share of the state: freed when the thread ends, whether or not the timer
    // is still there.
    std::unique_ptr<std::shared_ptr<TThreadedTimerState>> state(
        static_cast<std::shared_ptr<TThreadedTimerState>*>(param));
    try {
        Execute(**state);
    } catch (...) {
        // nothing may escape a thread; the timer stops ticking
    }
    return 0;
}

void TThreadedTimerThread::Execute(TThreadedTimerState& st) {
    TickSchedule schedule;
    for (;;) {
        // Parked here while the timer is disabled: between ticks, never inside a hand-over.
        WaitForSingleObject(st.runEvent.get(), INFINITE);
        uint64_t generation;
        uint32_t interval;
        bool naive;
        {
            std::lock_guard<std::mutex> g(st.lock);
            if (st.terminated) return;
            if (!st.released || st.interval == 0) continue;
            generation = st.generation;
            interval = st.interval;
            naive = st.naiveLoop;
            schedule.Start(st.startTime, interval, st.first);
        }
        for (;;) {
            const uint64_t now = TickClockNow();
            {
                std::lock_guard<std::mutex> g(st.lock);
                if (st.terminated) return;
                if (!st.released || st.generation != generation) break;  // held or reconfigured
            }
            if (!schedule.IsDue(now)) {
                // Disabling or destroying the timer sets the wake event and ends the sleep early.
                WaitForSingleObject(st.wakeEvent.get(), schedule.MillisecondsUntilDue(now));
                continue;
            }
            schedule.CatchUp(now);
            DeliverTick(st, generation);
            if (naive)
                schedule.Start(TickClockNow(), interval);
            else
                schedule.Advance(TickClockNow());
        }
    }
}

void TThreadedTimerThread::DeliverTick(TThreadedTimerState& st, uint64_t generation) {
    std::exception_ptr failure;
    if (st.syncEvent) {
        {
            std::lock_guard<std::mutex> g(st.lock);
            if (st.terminated || st.generation != generation) return;
            st.handingOver = true;
        }
        try {
            // Runs on the UI thread. A tick queued before the timer was disabled, reconfigured or
            // destroyed finds that out there and is dropped.
            TThreadedTimerState* s = &st;
            Synchronize([s, generation] {
                TThreadedTimer* timer = nullptr;
                {
                    std::lock_guard<std::mutex> g(s->lock);
                    if (s->generation == generation) timer = s->owner;
                }
                if (timer) timer->FireTimer();
            });
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> g(st.lock);
        st.handingOver = false;
        // The report goes to the timer's window and is shown from the UI thread's message loop
        // after this tick: a message box must not keep the worker, and so the next ticks, waiting.
        if (failure && st.owner && st.reportWindow && !IsAbort(failure)) {
            auto* copy = new std::exception_ptr(failure);
            if (!PostMessageA(st.reportWindow, WM_NOC_TIMER_FAILURE, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
        }
        return;
    }

    // Unsynchronized: the handler runs on this thread. The timer waits in its destructor while
    // `firing` is set, so it stays valid for the call.
    TThreadedTimer* timer = nullptr;
    {
        std::lock_guard<std::mutex> g(st.lock);
        if (st.terminated || st.generation != generation || !st.owner) return;
        timer = st.owner;
        st.firing = true;
    }
    try {
        timer->FireTimer();
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> g(st.lock);
        st.firing = false;
        SetEvent(st.firingDone.get());
        if (failure && IsAbort(failure)) failure = nullptr;
        if (failure) st.handingOver = true;
    }
    if (!failure) return;
    try {
        TThreadedTimerState* s = &st;
        Synchronize([s, &failure] {
            TThreadedTimer* sender = nullptr;
            {
                std::lock_guard<std::mutex> g(s->lock);
                sender = s->owner;
            }
            try {
                std::rethrow_exception(failure);
            } catch (...) {
                Application().HandleException(sender);
            }
        });
    } catch (...) {
        // the report itself failed: nothing more to do, the ticks go on
    }
    std::lock_guard<std::mutex> g(st.lock);
    st.handingOver = false;
}

// ---- the timer --------------------------------------------------------------------------------

TThreadedTimer::TThreadedTimer(TComponent* owner) : TComponent(owner), state_(std::make_shared<TThreadedTimerState>()) {
    window_ = std::make_unique<THiddenWindow>(
        kTimerWindowClass, THiddenWindow::MessageOnly,
        [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return WindowMessage(msg, wp, lp, result); });
    state_->owner = this;
    state_->reportWindow = window_->Handle();
    try {
        worker_ = std::make_unique<TThreadedTimerThread>(state_);
    } catch (...) {
        window_.reset();
        throw;
    }
}

TThreadedTimer::~TThreadedTimer() {
    MarkDestroying();
    destroying_ = true;
    enabled_ = false;
    {
        std::lock_guard<std::mutex> g(handlerLock_);
        onTimer_.Clear();
    }
    // From here on the worker cannot reach this object: a tick waiting in the hand-over queue finds
    // the timer gone and does nothing.
    const bool busy = worker_->Terminate();
    KillWindowTimer();
    // A handler running on the worker (SyncEvent false) still uses this object: wait for it,
    // running the hand-over queue meanwhile in case it waits for this thread.
    for (;;) {
        {
            std::lock_guard<std::mutex> g(state_->lock);
            if (!state_->firing) break;
        }
        CheckSynchronize();
        WaitForSingleObject(state_->firingDone.get(), 1);
    }
    // Waiting for the worker's end could block only while it waits for this thread; otherwise it
    // just wakes up and leaves. Either way it owns its share of the state and lets go of it itself.
    if (!busy) worker_->WaitFor(kJoinMs);
    worker_.reset();
    if (window_) {
        MSG msg;
        while (PeekMessageA(&msg, window_->Handle(), WM_NOC_TIMER_FAILURE, WM_NOC_TIMER_FAILURE, PM_REMOVE))
            delete reinterpret_cast<std::exception_ptr*>(msg.lParam);
        window_.reset();
    }
}

void TThreadedTimer::SetNaiveLoopForBenchmark(bool naive) { g_naiveLoop = naive; }

void TThreadedTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    ApplyTimerState();
}

void TThreadedTimer::SetInterval(uint32_t value) {
    if (value == interval_) return;
    interval_ = value;
    ApplyTimerState();
}

void TThreadedTimer::Restart(uint32_t intervalMs, uint32_t firstMs) {
    interval_ = intervalMs;
    // The worker takes the new grid at its next turn; the rest of its setting stays as it is.
    if (threaded_ && Active() && !destroying_)
        worker_->Release(interval_, g_naiveLoop, firstMs);
    else
        ApplyTimerState();
}

void TThreadedTimer::SetThreaded(bool value) {
    if (value == threaded_) return;
    threaded_ = value;
    ApplyTimerState();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority value) {
    if (value == priority_) return;
    priority_ = value;
    if (threaded_) ApplyTimerState();
}

void TThreadedTimer::SetOnTimer(TNotifyEvent value) {
    const bool wasSet = HandlerSet();
    const bool isSet = value.Assigned();
    {
        std::lock_guard<std::mutex> g(handlerLock_);
        onTimer_ = std::move(value);
    }
    if (wasSet != isSet) ApplyTimerState();
}

TNotifyEvent TThreadedTimer::HandlerCopy() const {
    std::lock_guard<std::mutex> g(handlerLock_);
    return onTimer_;
}

bool TThreadedTimer::HandlerSet() const {
    std::lock_guard<std::mutex> g(handlerLock_);
    return onTimer_.Assigned();
}

void TThreadedTimer::FireTimer() {
    if (!enabled_ || destroying_ || (IsMainThread() && Destroying())) return;
    // A copy: the handler may destroy the timer, and its own function object with it.
    TNotifyEvent handler = HandlerCopy();
    if (handler) handler(this);
}

void TThreadedTimer::ApplyTimerState() {
    if (destroying_) return;
    const bool active = Active();
    if (threaded_) {
        KillWindowTimer();
        worker_->Hold();
        if (active) {
            // The priority is in place before the first tick.
            worker_->SetPriority(priority_);
            worker_->Release(interval_, g_naiveLoop, interval_);
        }
    } else {
        worker_->Hold();
        if (active) {
            windowTimer_ = SetTimer(window_->Handle(), kWindowTimerId, interval_, nullptr) != 0;
        } else {
            KillWindowTimer();
        }
    }
}

void TThreadedTimer::KillWindowTimer() {
    if (windowTimer_ && window_) KillTimer(window_->Handle(), kWindowTimerId);
    windowTimer_ = false;
}

bool TThreadedTimer::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_TIMER:
        if (wp == kWindowTimerId) {
            // The window timer calls the handler as it is; the handler may destroy the timer.
            TNotifyEvent handler = HandlerCopy();
            RunGuarded(this, [&] { handler(this); });
        }
        return true;
    case WM_NOC_TIMER_FAILURE: {
        // A failure of a synchronized tick, reported once that tick is over.
        std::unique_ptr<std::exception_ptr> failure(reinterpret_cast<std::exception_ptr*>(lp));
        if (failure && *failure) {
            try {
                std::rethrow_exception(*failure);
            } catch (...) {
                Application().HandleException(this);
            }
        }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace noc
