#pragma once
// Running the user-interface thread's messages in a test until what it waits for has happened.
#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/Application.h"
#include "framework/Events.h"
#include "framework/Sync.h"

namespace testing {

// How long a test waits for something that must come before it gives up.
constexpr DWORD kPatienceMs = 5000;

// The application object, initialized once for a test program with that title.
inline void InitApplicationOnce(const char* title) {
    static const bool done = [title] {
        noc::Application().Initialize();
        noc::Application().SetTitle(title);
        return true;
    }();
    (void)done;
}

// A handler of timer ticks made of any callable.
template <typename F>
noc::TNotifyEvent On(F f) {
    return noc::TNotifyEvent(noc::TNotifyEvent::Fn(f));
}

// Handles messages (and the hand-over queue) until `condition` holds or `timeoutMs` has passed;
// returns whether it held. Wakes at once when a message arrives.
template <typename F>
bool PumpUntil(F&& condition, DWORD timeoutMs = kPatienceMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        noc::Application().ProcessMessages();
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 2, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Handles messages for `ms`: how long a test watches for something that must not happen.
inline void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A window of the test's own on this thread, which answers QueueDrained and TimerTicked.
struct QueueProbe {
    static constexpr UINT kPing = WM_APP + 0x3F1;
    static constexpr UINT_PTR kTimer = 0x3F1;
    static LONG& Answered() {
        static LONG answered = 0;
        return answered;
    }
    static int& Ticks() {
        static int ticks = 0;
        return ticks;
    }
    static HWND Window() {
        static const HWND probe = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                if (msg == kPing) {
                    Answered() = static_cast<LONG>(wp);
                    return 0;
                }
                if (msg == WM_TIMER && wp == kTimer) {
                    ++Ticks();
                    return 0;
                }
                return DefWindowProcA(w, msg, wp, lp);
            };
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "NocTestQueueProbe";
            RegisterClassA(&wc);
            return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                   nullptr);
        }();
        return probe;
    }
};

// Posts a private message to a window of the test's own and handles messages until it has been
// handled. Messages posted to a thread come out in the order they went in, so every message
// posted on this thread before it has been handled too when this returns true.
inline bool QueueDrained(DWORD timeoutMs = kPatienceMs) {
    static LONG sent = 0;
    const LONG ping = ++sent;
    const HWND probe = QueueProbe::Window();
    if (!probe || !PostMessageA(probe, QueueProbe::kPing, static_cast<WPARAM>(ping), 0)) return false;
    return PumpUntil([ping] { return QueueProbe::Answered() == ping; }, timeoutMs);
}

// Handles messages until a timer of the test's own with period `ms` has ticked `times` times: the
// proof that a timer of this thread with that period which must stay silent had as many chances.
inline bool TimerTicked(UINT ms, int times, DWORD timeoutMs = kPatienceMs) {
    const HWND probe = QueueProbe::Window();
    QueueProbe::Ticks() = 0;
    if (!probe || !SetTimer(probe, QueueProbe::kTimer, ms, nullptr)) return false;
    const bool ticked = PumpUntil([times] { return QueueProbe::Ticks() >= times; }, timeoutMs);
    KillTimer(probe, QueueProbe::kTimer);
    return ticked;
}

// Watches the hand-over queue through its wake-up hook: counts the calls that workers put on it
// and keeps the thread of the last one, while the application's own wake-up still goes out. A test
// waits on it for proof that a worker has handed a call over, without running the call.
class HandOverWatch {
public:
    HandOverWatch() : seen_(std::make_shared<Seen>()) {
        const HWND app = noc::Application().Handle();
        std::shared_ptr<Seen> seen = seen_;  // the hook may still run on a worker after this watch
        noc::SetWakeMainThread([seen, app] {
            seen->thread = GetCurrentThreadId();
            ++seen->count;
            SetEvent(seen->event);
            if (app) PostMessageA(app, noc::WM_NOC_SYNC, 0, 0);
        });
    }
    ~HandOverWatch() {
        const HWND app = noc::Application().Handle();
        noc::SetWakeMainThread([app] { PostMessageA(app, noc::WM_NOC_SYNC, 0, 0); });
    }
    HandOverWatch(const HandOverWatch&) = delete;
    HandOverWatch& operator=(const HandOverWatch&) = delete;

    // Waits, running nothing, until `total` calls have been queued since the watch began.
    bool WaitQueued(int total, DWORD timeoutMs = kPatienceMs) {
        const DWORD start = GetTickCount();
        while (seen_->count < total) {
            const DWORD waited = GetTickCount() - start;
            if (waited >= timeoutMs) return false;
            WaitForSingleObject(seen_->event, timeoutMs - waited);
        }
        return true;
    }
    int Count() const { return seen_->count; }
    // The worker that queued the last call.
    DWORD LastThread() const { return seen_->thread; }

private:
    struct Seen {
        Seen() : event(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
        ~Seen() { CloseHandle(event); }
        Seen(const Seen&) = delete;
        Seen& operator=(const Seen&) = delete;
        HANDLE event;
        std::atomic<int> count{0};
        std::atomic<DWORD> thread{0};
    };
    std::shared_ptr<Seen> seen_;
};

// Waits until the thread `id` has ended; true at once if it is already gone.
inline bool ThreadEnded(DWORD id, DWORD timeoutMs = kPatienceMs) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread) return true;
    const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

}  // namespace testing
