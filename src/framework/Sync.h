#pragma once
// The hand-over queue: a worker thread puts a call on it, the user-interface thread runs it from its
// message loop, and the worker waits until it has run. A failure raised by the call is caught on the
// user-interface thread and raised again in the worker. A call made on the user-interface thread
// itself runs at once.
#include <functional>

namespace noc {

// Records the calling thread as the user-interface thread (done by the application object).
void SetMainThread();
bool IsMainThread();

// Runs `call` on the user-interface thread and returns once it has run there.
void Synchronize(const std::function<void()>& call);

// Runs every call waiting in the queue. User-interface thread only; returns whether any ran.
bool CheckSynchronize();

// Called by a worker after queueing a call: wakes the user-interface thread's message loop.
// The application object installs it; it can be replaced by tests that run their own loop.
void SetWakeMainThread(std::function<void()> wake);

}  // namespace noc
