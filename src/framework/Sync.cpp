#include "framework/Sync.h"

#include <windows.h>

#include <deque>
#include <stdexcept>
#include <exception>
#include <utility>

#include "framework/Handles.h"

namespace noc {
namespace {

struct PendingCall {
    const std::function<void()>* call;
    HANDLE done;
    std::exception_ptr failure;
};

class Queue {
public:
    Queue() { InitializeCriticalSection(&lock_); }
    ~Queue() { DeleteCriticalSection(&lock_); }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    void Push(PendingCall* c) {
        EnterCriticalSection(&lock_);
        calls_.push_back(c);
        std::function<void()> wake = wake_;
        LeaveCriticalSection(&lock_);
        if (wake) wake();
    }
    std::deque<PendingCall*> TakeAll() {
        EnterCriticalSection(&lock_);
        std::deque<PendingCall*> taken;
        taken.swap(calls_);
        LeaveCriticalSection(&lock_);
        return taken;
    }
    void SetWake(std::function<void()> wake) {
        EnterCriticalSection(&lock_);
        wake_ = std::move(wake);
        LeaveCriticalSection(&lock_);
    }

private:
    CRITICAL_SECTION lock_;
    std::deque<PendingCall*> calls_;
    std::function<void()> wake_;
};

Queue& TheQueue() {
    static Queue q;
    return q;
}

DWORD g_mainThread = GetCurrentThreadId();

}  // namespace

void SetMainThread() { g_mainThread = GetCurrentThreadId(); }
bool IsMainThread() { return GetCurrentThreadId() == g_mainThread; }

void SetWakeMainThread(std::function<void()> wake) { TheQueue().SetWake(std::move(wake)); }

void Synchronize(const std::function<void()>& call) {
    if (IsMainThread()) {
        call();
        return;
    }
    // One event for each thread that hands calls over, made at its first: a timer's worker hands
    // one over every second, and each event made and closed is two requests to the server under Wine.
    // It resets itself when the wait below ends.
    static thread_local const UniqueKernelHandle done(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!done) throw std::runtime_error("Synchronize: cannot create an event");
    PendingCall pending{&call, done.get(), nullptr};
    TheQueue().Push(&pending);
    WaitForSingleObject(pending.done, INFINITE);
    if (pending.failure) std::rethrow_exception(pending.failure);
}

bool CheckSynchronize() {
    if (!IsMainThread()) return false;
    std::deque<PendingCall*> calls = TheQueue().TakeAll();
    for (PendingCall* c : calls) {
        try {
            (*c->call)();
        } catch (...) {
            c->failure = std::current_exception();
        }
        SetEvent(c->done);
    }
    return !calls.empty();
}

}  // namespace noc
