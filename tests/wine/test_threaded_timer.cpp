#include <doctest/doctest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "controls/ThreadedTimer.h"
#include "framework/Application.h"
#include "wine/Recorder.h"

namespace {

using noc::TObject;
using noc::TThreadedTimer;

void Init() {
    static const bool done = [] {
        noc::Application().Initialize();
        noc::Application().SetTitle("NocTuro timer test");
        return true;
    }();
    (void)done;
}

// Milliseconds on the clock the timer uses.
double NowMs() {
    ULONGLONG t = 0;
    QueryUnbiasedInterruptTime(&t);
    return static_cast<double>(t) / 10000.0;
}

// Runs the UI thread's messages until `cond` holds or `ms` have passed; returns whether it held.
template <typename F>
bool PumpUntil(F cond, double ms) {
    const double end = NowMs() + ms;
    while (!cond()) {
        if (NowMs() > end) return false;
        noc::Application().ProcessMessages();
        Sleep(1);
    }
    return true;
}

void PumpFor(double ms) {
    PumpUntil([] { return false; }, ms);
}

template <typename F>
noc::TNotifyEvent On(F f) {
    return noc::TNotifyEvent(noc::TNotifyEvent::Fn(f));
}

std::unique_ptr<TThreadedTimer> MakeDisabled(uint32_t interval) {
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetEnabled(false);
    t->SetInterval(interval);
    return t;
}

// A message box that runs a message loop while it is up, as a real one does.
class ModalSeam : public testing::SeamRecorder {
public:
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
        SeamRecorder::ShowMessageBox(owner, text, caption, flags);
        up = true;
        PumpFor(modalMs);
        up = false;
        return IDOK;
    }
    double modalMs = 0;
    bool up = false;
};

}  // namespace

TEST_CASE("a new timer has the documented defaults and stays quiet without a handler") {
    Init();
    TThreadedTimer t(nullptr);
    CHECK(t.Enabled());
    CHECK(t.Interval() == 1000);
    CHECK(t.SyncEvent());
    CHECK(t.Threaded());
    CHECK(t.ThreadPriority() == noc::tpNormal);
    CHECK_FALSE(t.OnTimer().Assigned());
}

TEST_CASE("a timer never enabled delivers nothing") {
    auto t = MakeDisabled(20);
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    PumpFor(120);
    CHECK(ticks == 0);
}

TEST_CASE("interval 0 delivers nothing, threaded or not") {
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetInterval(0);
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    CHECK(t->Enabled());
    PumpFor(80);
    CHECK(ticks == 0);
    t->SetThreaded(false);
    PumpFor(80);
    CHECK(ticks == 0);
}

TEST_CASE("a handler set on an enabled timer starts it; ticks run on the UI thread with the timer as sender") {
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetInterval(20);
    PumpFor(60);  // no handler yet
    std::vector<DWORD> threads;
    TObject* sender = nullptr;
    t->SetOnTimer(On([&](TObject* s) {
        threads.push_back(GetCurrentThreadId());
        sender = s;
    }));
    REQUIRE(PumpUntil([&] { return threads.size() >= 3; }, 1000));
    for (DWORD id : threads) CHECK(id == GetCurrentThreadId());
    CHECK(sender == t.get());
}

TEST_CASE("enabling twice or disabling twice changes nothing") {
    auto t = MakeDisabled(30);
    std::vector<double> at;
    t->SetOnTimer(On([&](TObject*) { at.push_back(NowMs()); }));
    const double start = NowMs();
    t->SetEnabled(true);
    PumpFor(100);
    t->SetEnabled(true);  // must not restart the grid nor add a worker
    PumpFor(215);
    const size_t n = at.size();
    CHECK(n >= 9);
    CHECK(n <= 11);
    for (size_t i = 0; i < at.size(); ++i) CHECK(at[i] - (start + 30.0 * (i + 1)) < 15.0);
    for (size_t i = 1; i < at.size(); ++i) CHECK(at[i] - at[i - 1] > 15.0);
    t->SetEnabled(false);
    t->SetEnabled(false);
    const size_t stopped = at.size();
    PumpFor(100);
    CHECK(at.size() == stopped);
}

TEST_CASE("ticks never overlap: a handler that pumps messages is not re-entered") {
    auto t = MakeDisabled(20);
    int depth = 0, maxDepth = 0, ticks = 0;
    t->SetOnTimer(On([&](TObject*) {
        ++depth;
        if (depth > maxDepth) maxDepth = depth;
        ++ticks;
        PumpFor(60);  // three intervals inside the handler
        --depth;
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 3; }, 2000));
    CHECK(maxDepth == 1);
}

TEST_CASE("unsynchronized ticks run on the worker, one after the other") {
    auto t = MakeDisabled(20);
    t->SetSyncEvent(false);
    std::atomic<int> depth{0}, maxDepth{0}, ticks{0};
    std::atomic<DWORD> thread{0};
    t->SetOnTimer(On([&](TObject*) {
        int d = ++depth;
        if (d > maxDepth) maxDepth = d;
        thread = GetCurrentThreadId();
        Sleep(45);
        ++ticks;
        --depth;
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 3; }, 2000));
    t->SetEnabled(false);
    CHECK(maxDepth == 1);
    CHECK(thread != GetCurrentThreadId());
}

TEST_CASE("disabling from inside the handler stops the ticks; enabling again resumes a full interval later") {
    auto t = MakeDisabled(30);
    std::vector<double> at;
    t->SetOnTimer(On([&](TObject* s) {
        at.push_back(NowMs());
        static_cast<TThreadedTimer*>(s)->SetEnabled(false);
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return at.size() >= 1; }, 1000));
    PumpFor(150);
    CHECK(at.size() == 1);
    CHECK_FALSE(t->Enabled());

    const double enabledAt = NowMs();
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return at.size() >= 2; }, 1000));
    CHECK(at[1] - enabledAt >= 29.0);
    CHECK(at[1] - enabledAt < 60.0);
}

TEST_CASE("a tick handed over just before disabling is dropped") {
    auto t = MakeDisabled(20);
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    t->SetEnabled(true);
    Sleep(70);  // the worker hands a tick over and waits: nothing runs it yet
    t->SetEnabled(false);
    PumpFor(100);
    CHECK(ticks == 0);

    // Disabled and enabled again before the queued tick runs: the old tick does not count.
    Sleep(10);
    t->SetInterval(40);
    std::vector<double> at;
    t->SetOnTimer(On([&](TObject*) { at.push_back(NowMs()); }));
    t->SetEnabled(true);
    Sleep(70);
    t->SetEnabled(false);
    const double enabledAt = NowMs();
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return at.size() >= 1; }, 1000));
    CHECK(at[0] - enabledAt >= 39.0);
}

TEST_CASE("a failure of a synchronized tick is reported and the ticks go on") {
    auto t = MakeDisabled(25);
    ModalSeam seam;
    seam.modalMs = 130;  // the box stays up for five intervals
    int ticks = 0, ticksWhileBox = 0;
    t->SetOnTimer(On([&](TObject*) {
        ++ticks;
        if (seam.up) ++ticksWhileBox;
        if (ticks == 1) throw std::runtime_error("Cannot read the clock");
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 8 && !seam.Boxes().empty(); }, 3000));
    auto boxes = seam.Boxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Cannot read the clock.");
    CHECK(boxes[0].caption == noc::Application().Title());
    CHECK(boxes[0].flags == (MB_OK | MB_ICONSTOP));
    // The box did not hold the ticks back.
    CHECK(ticksWhileBox >= 3);
}

TEST_CASE("a silent abort in a tick shows nothing") {
    auto t = MakeDisabled(20);
    testing::SeamRecorder seam;
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) {
        ++ticks;
        throw noc::EAbort();
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 4; }, 2000));
    PumpFor(20);
    CHECK(seam.Boxes().empty());

    t->SetSyncEvent(false);
    std::atomic<int> direct{0};
    t->SetOnTimer(On([&](TObject*) {
        ++direct;
        throw noc::EAbort();
    }));
    REQUIRE(PumpUntil([&] { return direct >= 3; }, 2000));
    PumpFor(20);
    CHECK(seam.Boxes().empty());
}

TEST_CASE("a failure of an unsynchronized tick is reported and the ticks go on") {
    auto t = MakeDisabled(20);
    t->SetSyncEvent(false);
    testing::SeamRecorder seam;
    std::atomic<int> ticks{0};
    t->SetOnTimer(On([&](TObject*) {
        if (++ticks == 1) throw std::runtime_error("Worker failure");
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 4 && !seam.Boxes().empty(); }, 2000));
    t->SetEnabled(false);
    auto boxes = seam.Boxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Worker failure.");
    CHECK(boxes[0].caption == noc::Application().Title());
}

TEST_CASE("destroying the timer while the worker sleeps returns at once; no tick comes afterwards") {
    auto t = MakeDisabled(100);
    auto ticks = std::make_shared<std::atomic<int>>(0);
    t->SetOnTimer(On([ticks](TObject*) { ++*ticks; }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return *ticks >= 1; }, 1000));
    PumpFor(10);
    const int before = *ticks;
    const double t0 = NowMs();
    t.reset();
    const double took = NowMs() - t0;
    CHECK(took < 50.0);
    PumpFor(300);
    CHECK(*ticks == before);
}

TEST_CASE("destroying the timer while a tick waits in the hand-over: the tick finds it gone") {
    for (bool sync : {true, false}) {
        auto t = MakeDisabled(20);
        t->SetSyncEvent(sync);
        auto ticks = std::make_shared<std::atomic<int>>(0);
        t->SetOnTimer(On([ticks](TObject*) { ++*ticks; }));
        t->SetEnabled(true);
        if (sync) {
            Sleep(70);  // the first tick is queued, the worker waits for this thread
        } else {
            REQUIRE(PumpUntil([&] { return *ticks >= 1; }, 1000));
        }
        const int before = *ticks;
        const double t0 = NowMs();
        t.reset();
        CHECK(NowMs() - t0 < 50.0);
        PumpFor(100);
        CHECK(*ticks == before);
    }
}

TEST_CASE("destroying the timer from inside its handler is safe") {
    Init();
    auto* t = new TThreadedTimer(nullptr);
    t->SetInterval(20);
    int ticks = 0;
    t->SetOnTimer(On([&](TObject* s) {
        ++ticks;
        CHECK(s == t);
        delete t;
        t = nullptr;
    }));
    REQUIRE(PumpUntil([&] { return ticks >= 1; }, 1000));
    PumpFor(100);
    CHECK(ticks == 1);
    CHECK(t == nullptr);

    // The same with the window timer.
    t = new TThreadedTimer(nullptr);
    t->SetThreaded(false);
    t->SetInterval(20);
    ticks = 0;
    t->SetOnTimer(On([&](TObject*) {
        ++ticks;
        delete t;
        t = nullptr;
    }));
    REQUIRE(PumpUntil([&] { return ticks >= 1; }, 1000));
    PumpFor(100);
    CHECK(ticks == 1);
}

TEST_CASE("the worker runs at the timer's priority") {
    // As the program declares its own timer: disabled, higher priority, then the handler.
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetEnabled(false);
    t->SetThreadPriority(noc::tpHigher);
    t->SetInterval(20);
    t->SetSyncEvent(false);
    std::atomic<int> priority{-100};
    std::atomic<int> ticks{0};
    t->SetOnTimer(On([&](TObject*) {
        priority = GetThreadPriority(GetCurrentThread());
        ++ticks;
    }));
    PumpFor(60);
    CHECK(ticks == 0);
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 1; }, 1000));
    CHECK(priority == THREAD_PRIORITY_ABOVE_NORMAL);

    t->SetThreadPriority(noc::tpLowest);
    ticks = 0;
    REQUIRE(PumpUntil([&] { return ticks >= 1; }, 1000));
    CHECK(priority == THREAD_PRIORITY_LOWEST);
    t->SetEnabled(false);
}

namespace {

// Enables a 50 ms timer whose handler works 20 ms and returns how late the 20th tick came.
double LatenessOfTwentiethTick() {
    auto t = MakeDisabled(50);
    std::vector<double> at;
    t->SetOnTimer(On([&](TObject*) {
        at.push_back(NowMs());
        Sleep(20);
    }));
    const double start = NowMs();
    t->SetEnabled(true);
    PumpUntil([&] { return at.size() >= 20; }, 3000);
    t->SetEnabled(false);
    REQUIRE(at.size() >= 20);
    return at[19] - (start + 20 * 50.0);
}

}  // namespace

TEST_CASE("ticks do not drift: the 20th tick lands on its due time") {
    const double late = LatenessOfTwentiethTick();
    MESSAGE("20th tick late by " << late << " ms");
    CHECK(late > -2.0);
    CHECK(late < 30.0);
}

TEST_CASE("the plain loop kept for comparison does drift") {
    TThreadedTimer::SetNaiveLoopForBenchmark(true);
    const double late = LatenessOfTwentiethTick();
    TThreadedTimer::SetNaiveLoopForBenchmark(false);
    MESSAGE("plain loop: 20th tick late by " << late << " ms");
    CHECK(late >= 300.0);
}

TEST_CASE("without a thread, ticks come from the window timer") {
    auto t = MakeDisabled(25);
    t->SetThreaded(false);
    std::vector<DWORD> threads;
    TObject* sender = nullptr;
    t->SetOnTimer(On([&](TObject* s) {
        threads.push_back(GetCurrentThreadId());
        sender = s;
    }));
    PumpFor(80);
    CHECK(threads.empty());
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return threads.size() >= 3; }, 1000));
    for (DWORD id : threads) CHECK(id == GetCurrentThreadId());
    CHECK(sender == t.get());

    t->SetEnabled(false);
    const size_t stopped = threads.size();
    PumpFor(100);
    CHECK(threads.size() == stopped);

    // Back to the worker: the window timer goes, the worker takes over.
    t->SetEnabled(true);
    t->SetThreaded(true);
    const size_t before = threads.size();
    REQUIRE(PumpUntil([&] { return threads.size() >= before + 2; }, 1000));

    // A failure in a window-timer tick goes to the general error report too.
    testing::SeamRecorder seam;
    t->SetThreaded(false);
    t->SetOnTimer(On([&](TObject*) { throw std::runtime_error("Window tick failed"); }));
    REQUIRE(PumpUntil([&] { return !seam.Boxes().empty(); }, 1000));
    t->SetEnabled(false);
    CHECK(seam.Boxes()[0].text == "Window tick failed.");
}
