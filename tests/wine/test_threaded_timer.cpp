#include <doctest/doctest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/ThreadedTimer.h"
#include "framework/Application.h"
#include "wine/Pump.h"
#include "wine/Recorder.h"

namespace {

using noc::TObject;
using noc::TThreadedTimer;
using testing::HandOverWatch;
using testing::PumpUntil;

constexpr uint64_t kMs = 10000;  // the timer's clock counts 100 ns units

void Init() { testing::InitApplicationOnce("NocTuro timer test"); }

// The clock the timer schedules on.
uint64_t Now() { return noc::TickClockNow(); }

// Waits on the worker, without the message loop, until the timer's clock reaches `until`: a
// handler that lasts until later ticks are due.
void WorkUntil(uint64_t until) {
    while (Now() < until) Sleep(1);
}

using testing::On;

// The proof that a timer of `interval` ms had its chances to tick: a twin of that interval, ticking
// on its worker without the hand-over, ticked `times` times, and then every message posted
// meanwhile (a tick handed over included) was handled.
bool HadChances(uint32_t interval, int times = 3) {
    TThreadedTimer twin(nullptr);
    twin.SetEnabled(false);
    twin.SetInterval(interval);
    twin.SetSyncEvent(false);
    std::atomic<int> ticks{0};
    twin.SetOnTimer(On([&](TObject*) { ++ticks; }));
    twin.SetEnabled(true);
    const bool ticked = PumpUntil([&] { return ticks >= times; });
    twin.SetEnabled(false);
    return ticked && testing::QueueDrained();
}

std::unique_ptr<TThreadedTimer> MakeDisabled(uint32_t interval) {
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetEnabled(false);
    t->SetInterval(interval);
    return t;
}

// A message box that runs a message loop while it is up, as a real one does, until `closeWhen`.
class ModalSeam : public testing::SeamRecorder {
public:
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
        SeamRecorder::ShowMessageBox(owner, text, caption, flags);
        up = true;
        closedWhenAsked = PumpUntil(closeWhen);
        up = false;
        return IDOK;
    }
    std::function<bool()> closeWhen = [] { return true; };
    bool up = false;
    bool closedWhenAsked = false;
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

TEST_CASE("the timer's clock: the unbiased interrupt time, in its precise form where the system has it") {
    HMODULE kernelbase = GetModuleHandleA("kernelbase.dll");
    const bool offered = kernelbase && GetProcAddress(kernelbase, "QueryUnbiasedInterruptTimePrecise");
    MESSAGE(std::string(offered ? "precise clock offered" : "no precise clock: the stepped one is used"));
    CHECK(noc::TickClockPrecise() == offered);
    ULONGLONG before = 0;
    REQUIRE(QueryUnbiasedInterruptTime(&before));
    const uint64_t now = Now();
    CHECK(now >= before);
    CHECK(Now() >= now);
}

TEST_CASE("a timer never enabled delivers nothing") {
    auto t = MakeDisabled(20);
    HandOverWatch watch;
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    REQUIRE(HadChances(20));
    CHECK(ticks == 0);
    CHECK(watch.Count() == 0);
}

TEST_CASE("interval 0 delivers nothing, threaded or not") {
    Init();
    HandOverWatch watch;
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetInterval(0);
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    CHECK(t->Enabled());
    REQUIRE(HadChances(20));
    CHECK(ticks == 0);
    t->SetThreaded(false);
    REQUIRE(testing::TimerTicked(20, 3));
    CHECK(ticks == 0);
    CHECK(watch.Count() == 0);
}

TEST_CASE("a handler set on an enabled timer starts it; ticks run on the UI thread with the timer as sender") {
    Init();
    auto t = std::make_unique<TThreadedTimer>(nullptr);
    t->SetInterval(20);
    REQUIRE(HadChances(20));  // no handler yet
    std::vector<DWORD> threads;
    TObject* sender = nullptr;
    t->SetOnTimer(On([&](TObject* s) {
        threads.push_back(GetCurrentThreadId());
        sender = s;
    }));
    REQUIRE(PumpUntil([&] { return threads.size() >= 3; }));
    for (DWORD id : threads) CHECK(id == GetCurrentThreadId());
    CHECK(sender == t.get());
}

TEST_CASE("enabling twice or disabling twice changes nothing; one tick per interval") {
    auto t = MakeDisabled(30);
    HandOverWatch watch;
    std::vector<uint64_t> at;
    t->SetOnTimer(On([&](TObject*) { at.push_back(Now()); }));
    const uint64_t start = Now();
    t->SetEnabled(true);
    REQUIRE(watch.WaitQueued(1));  // the first tick waits in the hand-over
    t->SetEnabled(true);           // a restart of the grid would drop that tick
    CHECK(noc::CheckSynchronize());
    CHECK(at.size() == 1);
    REQUIRE(PumpUntil([&] { return at.size() >= 6; }));
    // Never before its due time on the grid of the first enabling: no tick comes twice.
    for (size_t i = 0; i < at.size(); ++i) CHECK(at[i] >= start + 30 * kMs * (i + 1));
    t->SetEnabled(false);
    t->SetEnabled(false);
    const size_t stopped = at.size();
    REQUIRE(HadChances(30));
    CHECK(at.size() == stopped);
}

TEST_CASE("ticks never overlap: a handler that pumps messages is not re-entered") {
    auto t = MakeDisabled(20);
    int depth = 0, maxDepth = 0, ticks = 0;
    t->SetOnTimer(On([&](TObject*) {
        ++depth;
        if (depth > maxDepth) maxDepth = depth;
        ++ticks;
        const uint64_t until = Now() + 3 * 20 * kMs;  // three more ticks fall due inside the handler
        PumpUntil([&] { return Now() >= until; });
        --depth;
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 3; }));
    CHECK(maxDepth == 1);
}

TEST_CASE("unsynchronized ticks run on the worker, one after the other, without the hand-over") {
    auto t = MakeDisabled(20);
    HandOverWatch watch;
    t->SetSyncEvent(false);
    std::atomic<int> depth{0}, maxDepth{0}, ticks{0};
    std::atomic<DWORD> thread{0};
    t->SetOnTimer(On([&](TObject*) {
        int d = ++depth;
        if (d > maxDepth) maxDepth = d;
        thread = GetCurrentThreadId();
        WorkUntil(Now() + 2 * 20 * kMs);  // two more ticks fall due meanwhile
        ++ticks;
        --depth;
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 3; }));
    t->SetEnabled(false);
    CHECK(maxDepth == 1);
    CHECK(thread != GetCurrentThreadId());
    CHECK(watch.Count() == 0);
}

TEST_CASE("disabling from inside the handler stops the ticks; enabling again resumes a full interval later") {
    auto t = MakeDisabled(30);
    HandOverWatch watch;
    std::vector<uint64_t> at;
    t->SetOnTimer(On([&](TObject* s) {
        at.push_back(Now());
        static_cast<TThreadedTimer*>(s)->SetEnabled(false);
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return at.size() >= 1; }));
    REQUIRE(HadChances(30));
    CHECK(at.size() == 1);
    CHECK(watch.Count() == 1);  // nothing more even reached the hand-over
    CHECK_FALSE(t->Enabled());

    const uint64_t enabledAt = Now();
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return at.size() >= 2; }));
    CHECK(at[1] >= enabledAt + 30 * kMs);
}

TEST_CASE("a tick handed over just before disabling is dropped") {
    auto t = MakeDisabled(20);
    HandOverWatch watch;
    int ticks = 0;
    t->SetOnTimer(On([&](TObject*) { ++ticks; }));
    t->SetEnabled(true);
    REQUIRE(watch.WaitQueued(1));  // the worker hands a tick over and waits: nothing runs it yet
    t->SetEnabled(false);
    CHECK(noc::CheckSynchronize());  // the queued tick runs now...
    CHECK(ticks == 0);               // ...and finds the timer disabled
    REQUIRE(HadChances(20));
    CHECK(ticks == 0);
    CHECK(watch.Count() == 1);

    // Disabled and enabled again before the queued tick runs: the old tick does not count.
    t->SetInterval(40);
    std::vector<uint64_t> at;
    t->SetOnTimer(On([&](TObject*) { at.push_back(Now()); }));
    t->SetEnabled(true);
    REQUIRE(watch.WaitQueued(2));
    t->SetEnabled(false);
    const uint64_t enabledAt = Now();
    t->SetEnabled(true);
    CHECK(noc::CheckSynchronize());
    CHECK(at.empty());
    REQUIRE(PumpUntil([&] { return at.size() >= 1; }));
    CHECK(at[0] >= enabledAt + 40 * kMs);  // the first tick of the new grid
    CHECK(watch.Count() >= 3);
}

TEST_CASE("a failure of a synchronized tick is reported and the ticks go on") {
    auto t = MakeDisabled(25);
    ModalSeam seam;
    int ticks = 0, ticksWhileBox = 0;
    seam.closeWhen = [&] { return ticksWhileBox >= 3; };  // the box stays up for three ticks
    t->SetOnTimer(On([&](TObject*) {
        ++ticks;
        if (seam.up) ++ticksWhileBox;
        if (ticks == 1) throw std::runtime_error("Cannot read the clock");
    }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 8 && !seam.Boxes().empty(); }));
    auto boxes = seam.Boxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Cannot read the clock.");
    CHECK(boxes[0].caption == noc::Application().Title());
    CHECK(boxes[0].flags == (MB_OK | MB_ICONSTOP));
    // The box did not hold the ticks back.
    CHECK(seam.closedWhenAsked);
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
    REQUIRE(PumpUntil([&] { return ticks >= 4; }));
    REQUIRE(testing::QueueDrained());
    CHECK(seam.Boxes().empty());

    t->SetSyncEvent(false);
    std::atomic<int> direct{0};
    t->SetOnTimer(On([&](TObject*) {
        ++direct;
        throw noc::EAbort();
    }));
    // Each tick's end, its report included, is over when the next one starts on the same worker.
    REQUIRE(PumpUntil([&] { return direct >= 4; }));
    REQUIRE(testing::QueueDrained());
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
    REQUIRE(PumpUntil([&] { return ticks >= 4 && !seam.Boxes().empty(); }));
    t->SetEnabled(false);
    auto boxes = seam.Boxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Worker failure.");
    CHECK(boxes[0].caption == noc::Application().Title());
}

TEST_CASE("destroying the timer while the worker sleeps returns at once; no tick comes afterwards") {
    auto t = MakeDisabled(20);
    HandOverWatch watch;
    auto ticks = std::make_shared<std::atomic<int>>(0);
    t->SetOnTimer(On([ticks](TObject*) { ++*ticks; }));
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return *ticks >= 1; }));
    const DWORD worker = watch.LastThread();
    t->SetInterval(3600 * 1000);  // from here on the worker sleeps an hour
    const int before = *ticks;
    // Waiting out that sleep would hold the test for the hour: returning proves it was cut short.
    t.reset();
    noc::CheckSynchronize();  // a tick of the old grid still in the hand-over finds the timer gone
    CHECK(testing::ThreadEnded(worker));
    CHECK(*ticks == before);
}

TEST_CASE("destroying the timer while a tick waits in the hand-over: the tick finds it gone") {
    SUBCASE("synchronized: the worker waits for this thread, destruction does not wait for it") {
        auto t = MakeDisabled(20);
        HandOverWatch watch;
        auto ticks = std::make_shared<std::atomic<int>>(0);
        t->SetOnTimer(On([ticks](TObject*) { ++*ticks; }));
        t->SetEnabled(true);
        REQUIRE(watch.WaitQueued(1));  // the first tick is queued, the worker waits for this thread
        t.reset();
        CHECK(noc::CheckSynchronize());  // the queued tick runs and finds the timer gone
        CHECK(*ticks == 0);
        CHECK(testing::ThreadEnded(watch.LastThread()));
        REQUIRE(testing::QueueDrained());
        CHECK(*ticks == 0);
    }
    SUBCASE("unsynchronized: destruction waits for a handler running on the worker") {
        auto t = MakeDisabled(20);
        t->SetSyncEvent(false);
        auto ticks = std::make_shared<std::atomic<int>>(0);
        auto worker = std::make_shared<std::atomic<DWORD>>(0);
        t->SetOnTimer(On([ticks, worker](TObject*) {
            *worker = GetCurrentThreadId();
            ++*ticks;
        }));
        t->SetEnabled(true);
        REQUIRE(PumpUntil([&] { return *ticks >= 1; }));
        t.reset();
        const int after = *ticks;
        CHECK(testing::ThreadEnded(*worker));
        CHECK(*ticks == after);
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
    REQUIRE(PumpUntil([&] { return ticks >= 1; }));
    REQUIRE(HadChances(20));
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
    REQUIRE(PumpUntil([&] { return ticks >= 1; }));
    REQUIRE(testing::TimerTicked(20, 3));
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
    REQUIRE(HadChances(20));
    CHECK(ticks == 0);
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return ticks >= 1; }));
    CHECK(priority == THREAD_PRIORITY_ABOVE_NORMAL);

    t->SetThreadPriority(noc::tpLowest);
    ticks = 0;
    REQUIRE(PumpUntil([&] { return ticks >= 1; }));
    CHECK(priority == THREAD_PRIORITY_LOWEST);
    t->SetEnabled(false);
}

namespace {

constexpr uint64_t kGridInterval = 50;  // ms
constexpr uint64_t kHandlerWork = 20;   // ms

// Enables a 50 ms timer whose handler works 20 ms, and returns when each of its first `count` ticks
// came, from enabling, on the timer's clock. How late they come is the benchmark's business.
std::vector<uint64_t> FirstTicks(size_t count) {
    auto t = MakeDisabled(kGridInterval);
    std::vector<uint64_t> at;
    t->SetOnTimer(On([&](TObject*) {
        at.push_back(Now());
        WorkUntil(at.back() + kHandlerWork * kMs);
    }));
    const uint64_t start = Now();
    t->SetEnabled(true);
    PumpUntil([&] { return at.size() >= count; });
    t->SetEnabled(false);
    REQUIRE(at.size() >= count);
    at.resize(count);
    for (uint64_t& a : at) a -= start;
    return at;
}

}  // namespace

TEST_CASE("ticks keep their grid: the handler's time does not add to the period") {
    const auto at = FirstTicks(20);
    MESSAGE("20th tick " << (static_cast<double>(at[19]) / kMs - 20.0 * kGridInterval) << " ms after its due time");
    for (size_t i = 0; i < at.size(); ++i) CHECK(at[i] >= (i + 1) * kGridInterval * kMs);
    // A loop that sleeps a whole interval after each handler could not deliver it before this.
    CHECK(at[19] < (20 * kGridInterval + 19 * kHandlerWork) * kMs);
}

TEST_CASE("the plain loop kept for the benchmark adds the handler's time to every period") {
    TThreadedTimer::SetNaiveLoopForBenchmark(true);
    const auto at = FirstTicks(10);
    TThreadedTimer::SetNaiveLoopForBenchmark(false);
    MESSAGE("plain loop: 10th tick " << (static_cast<double>(at[9]) / kMs - 10.0 * kGridInterval) << " ms late");
    CHECK(at[0] >= kGridInterval * kMs);
    for (size_t i = 1; i < at.size(); ++i) CHECK(at[i] - at[i - 1] >= (kGridInterval + kHandlerWork) * kMs);
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
    REQUIRE(testing::TimerTicked(25, 3));
    CHECK(threads.empty());
    t->SetEnabled(true);
    REQUIRE(PumpUntil([&] { return threads.size() >= 3; }));
    for (DWORD id : threads) CHECK(id == GetCurrentThreadId());
    CHECK(sender == t.get());

    t->SetEnabled(false);
    const size_t stopped = threads.size();
    REQUIRE(testing::TimerTicked(25, 3));
    CHECK(threads.size() == stopped);

    // Back to the worker: the window timer goes, the worker takes over.
    t->SetEnabled(true);
    t->SetThreaded(true);
    const size_t before = threads.size();
    REQUIRE(PumpUntil([&] { return threads.size() >= before + 2; }));

    // A failure in a window-timer tick goes to the general error report too.
    testing::SeamRecorder seam;
    t->SetThreaded(false);
    t->SetOnTimer(On([&](TObject*) { throw std::runtime_error("Window tick failed"); }));
    REQUIRE(PumpUntil([&] { return !seam.Boxes().empty(); }));
    t->SetEnabled(false);
    CHECK(seam.Boxes()[0].text == "Window tick failed.");
}
