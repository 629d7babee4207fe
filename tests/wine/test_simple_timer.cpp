// The light timer of the notification-area icons on the real window system: starting, stopping
// and pausing, the events and their dispatch by identity, and the hidden window that all timers
// share (made with the first timer, destroyed with the last).
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "framework/Application.h"
#include "tray/SimpleTimer.h"

using namespace testing;
using noc::TObject;
using noc::TSimpleTimer;
using noc::TSimpleTimerHandler;

namespace {

constexpr uint32_t kFast = 30;     // ms: a timer that ticks many times within a short span
constexpr DWORD kPatience = 3000;  // ms: how long an event that must come is waited for
constexpr int kControlTicks = 3;   // a timer that must stay silent has had this many chances

void Init() { testing::InitApplicationOnce("NocTuro simple timer test"); }

using testing::On;

// Counts the events it is given and remembers who raised them.
struct Ticks {
    int count = 0;
    std::vector<TObject*> senders;
    noc::TNotifyEvent Handler() {
        return On([this](TObject* sender) {
            ++count;
            senders.push_back(sender);
        });
    }
};

void PostTimer(WPARAM id) { PostMessageA(TSimpleTimerHandler::Window(), WM_TIMER, id, 0); }

// The proof that a timer which must stay silent had its chances: a control timer with the same
// period on the shared window ticks kControlTicks times, which also comes after every message
// posted before. Needs another timer to keep the shared window.
void ControlFires() {
    int fired = 0;
    TSimpleTimer control(kFast, On([&](TObject*) { ++fired; }));
    REQUIRE(control.Start());
    REQUIRE(PumpUntil([&] { return fired >= kControlTicks; }, kPatience));
}

// Counts the timer messages that this thread takes from its queue for the shared window and one
// identity, whether or not anybody handles them.
class TimerMessages {
public:
    explicit TimerMessages(WPARAM id) {
        watched_ = id;
        seen_ = 0;
        hook_ = SetWindowsHookExA(WH_GETMESSAGE, Seen, nullptr, GetCurrentThreadId());
    }
    ~TimerMessages() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    TimerMessages(const TimerMessages&) = delete;
    TimerMessages& operator=(const TimerMessages&) = delete;
    bool Hooked() const { return hook_ != nullptr; }
    int Count() const { return seen_; }

private:
    static LRESULT CALLBACK Seen(int code, WPARAM removed, LPARAM lp) {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (code == HC_ACTION && removed == PM_REMOVE && m->message == WM_TIMER && m->wParam == watched_ &&
            m->hwnd == TSimpleTimerHandler::Window())
            ++seen_;
        return CallNextHookEx(nullptr, code, removed, lp);
    }
    static WPARAM watched_;
    static int seen_;
    HHOOK hook_;
};
WPARAM TimerMessages::watched_ = 0;
int TimerMessages::seen_ = 0;

// Whether a top-level window enumeration sees `wnd` (message-only windows are not enumerated).
bool Enumerated(HWND wnd) {
    struct Search {
        HWND wanted;
        bool found;
    } search{wnd, false};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (w == s->wanted) {
                s->found = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

TEST_CASE("a new timer has its defaults and does not run") {
    Init();
    SUBCASE("default constructor") {
        TSimpleTimer t;
        CHECK(t.Interval() == 1000);
        CHECK_FALSE(t.OnTimer().Assigned());
        CHECK_FALSE(t.Enabled());
        CHECK_FALSE(t.OneShot);
        CHECK(t.Start());
        CHECK(t.Enabled());
        CHECK(t.Stop(true));
    }
    SUBCASE("interval and handler given") {
        Ticks ticks;
        TSimpleTimer t(kFast, ticks.Handler());
        CHECK(t.Interval() == kFast);
        CHECK(t.OnTimer().Assigned());
        CHECK_FALSE(t.Enabled());
        CHECK_FALSE(t.OneShot);
        ControlFires();
        CHECK(ticks.count == 0);
        CHECK_FALSE(t.Stop(false));  // no system timer was made
    }
    SUBCASE("every timer has its own identity, kept for its whole life") {
        TSimpleTimer a, b, c;
        CHECK(a.Id() != b.Id());
        CHECK(b.Id() != c.Id());
        CHECK(a.Id() != c.Id());
        const uint32_t id = a.Id();
        a.Start();
        a.Stop(true);
        a.SetInterval(5);
        CHECK(a.Id() == id);
    }
}

TEST_CASE("start with interval 0 returns false and leaves Enabled as it was") {
    Init();
    Ticks ticks;
    SUBCASE("on a stopped timer") {
        TSimpleTimer t(0, ticks.Handler());
        CHECK_FALSE(t.Start());
        CHECK_FALSE(t.Enabled());
        t.SetEnabled(true);  // calls Start
        CHECK_FALSE(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);
    }
    SUBCASE("on a timer paused by interval 0") {
        TSimpleTimer t(kFast, ticks.Handler());
        REQUIRE(t.Start());
        t.SetInterval(0);
        REQUIRE(t.Enabled());
        CHECK_FALSE(t.Start());
        CHECK(t.Enabled());
        t.SetEnabled(true);
        CHECK(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);  // nothing was handled between its start and the pause
    }
}

TEST_CASE("setting the interval to its current value does nothing") {
    Init();
    Ticks ticks;
    SUBCASE("a stopped timer stays stopped") {
        TSimpleTimer t(kFast, ticks.Handler());
        t.SetInterval(kFast);
        CHECK_FALSE(t.Enabled());
        CHECK(t.Interval() == kFast);
        ControlFires();
        CHECK(ticks.count == 0);
        CHECK_FALSE(t.Stop(false));
    }
    SUBCASE("a stopped timer given a new interval stays stopped too") {
        TSimpleTimer t(kFast, ticks.Handler());
        t.SetInterval(kFast + 10);
        CHECK(t.Interval() == kFast + 10);
        CHECK_FALSE(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);
    }
    SUBCASE("a running timer keeps its period") {
        // Set again at every tick of a fast timer: events still come, the period running on
        // through several of those sets.
        int sets = 0, setsBeforeFirst = -1;
        TSimpleTimer t(300, On([&](TObject*) {
                           if (ticks.count++ == 0) setsBeforeFirst = sets;
                       }));
        TSimpleTimer setter(kFast, On([&](TObject*) {
                                ++sets;
                                t.SetInterval(300);
                            }));
        REQUIRE(t.Start());
        REQUIRE(setter.Start());
        CHECK(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
        CHECK(setsBeforeFirst >= 2);
        CHECK(t.Enabled());
    }
    SUBCASE("a paused timer stays paused") {
        TSimpleTimer t(kFast, ticks.Handler());
        REQUIRE(t.Start());
        t.SetInterval(0);
        t.SetInterval(0);
        CHECK(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);  // nothing was handled between its start and the pause
    }
}

TEST_CASE("restarting a running timer starts a new period") {
    Init();
    Ticks ticks;
    TSimpleTimer t(300, ticks.Handler());
    // Restarted at every tick of a fast timer, it ends no period, while a timer started with it
    // and left alone ends two.
    std::function<void()> restart;
    SUBCASE("Enabled set to true again") {
        restart = [&] {
            t.SetEnabled(true);
            CHECK(t.Enabled());
        };
    }
    SUBCASE("Start called again, or a different interval set") {
        uint32_t interval = 300;
        bool viaStart = true;
        restart = [&t, interval, viaStart]() mutable {
            if (viaStart) {
                CHECK(t.Start());
            } else {
                interval = interval == 300 ? 310 : 300;
                t.SetInterval(interval);
            }
            CHECK(t.Enabled());
            viaStart = !viaStart;
        };
    }
    Ticks alone;
    int restarts = 0;
    TSimpleTimer left(300, alone.Handler());
    TSimpleTimer restarter(kFast, On([&](TObject*) {
                               ++restarts;
                               restart();
                           }));
    REQUIRE(t.Start());
    REQUIRE(left.Start());
    REQUIRE(restarter.Start());
    REQUIRE(PumpUntil([&] { return alone.count >= 2; }, kPatience));
    restarter.Stop(true);
    CHECK(restarts >= 2);
    CHECK(ticks.count == 0);
    // Left alone, it ticks.
    CHECK(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
}

TEST_CASE("a shorter interval on a running timer takes effect at once") {
    Init();
    Ticks ticks;
    TSimpleTimer t(60000, ticks.Handler());
    REQUIRE(t.Start());
    t.SetInterval(kFast);
    CHECK(t.Enabled());
    CHECK(PumpUntil([&] { return ticks.count >= 3; }, kPatience));
}

TEST_CASE("interval 0 pauses a running timer, which stays Enabled") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    REQUIRE(t.Start());
    REQUIRE(PumpUntil([&] { return ticks.count >= 1; }, kPatience));

    t.SetInterval(0);
    const int paused = ticks.count;
    CHECK(t.Enabled());
    CHECK(t.Interval() == 0);
    ControlFires();
    CHECK(ticks.count == paused);
    CHECK_FALSE(t.Stop(false));  // the system timer is gone
    CHECK(t.Enabled());

    SUBCASE("a non-zero interval restarts it") {
        t.SetInterval(kFast + 10);
        CHECK(t.Enabled());
        CHECK(PumpUntil([&] { return ticks.count >= paused + 2; }, kPatience));
    }
    SUBCASE("a new handler does not restart it") {
        Ticks other;
        t.SetOnTimer(other.Handler());
        CHECK(t.Enabled());
        ControlFires();
        CHECK(other.count == 0);
        CHECK(ticks.count == paused);
    }
}

TEST_CASE("clearing the handler pauses a running timer, which stays Enabled") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    REQUIRE(t.Start());
    REQUIRE(PumpUntil([&] { return ticks.count >= 1; }, kPatience));

    t.SetOnTimer(noc::TNotifyEvent());
    const int paused = ticks.count;
    CHECK_FALSE(t.OnTimer().Assigned());
    CHECK(t.Enabled());
    CHECK_FALSE(t.Stop(false));  // the system timer is already gone
    CHECK(t.Enabled());

    // A handler set again does not resume it on its own.
    t.SetOnTimer(ticks.Handler());
    CHECK(t.Enabled());
    ControlFires();
    CHECK(ticks.count == paused);

    SUBCASE("Start resumes it") {
        CHECK(t.Start());
        CHECK(t.Enabled());
        CHECK(PumpUntil([&] { return ticks.count >= paused + 2; }, kPatience));
    }
    SUBCASE("Enabled set to true resumes it") {
        t.SetEnabled(true);
        CHECK(t.Enabled());
        CHECK(PumpUntil([&] { return ticks.count >= paused + 2; }, kPatience));
    }
    SUBCASE("a new interval resumes it") {
        t.SetInterval(kFast + 10);
        CHECK(PumpUntil([&] { return ticks.count >= paused + 2; }, kPatience));
    }
}

TEST_CASE("clearing the handler of a stopped timer leaves it stopped") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    t.SetOnTimer(noc::TNotifyEvent());
    CHECK_FALSE(t.Enabled());
    t.SetOnTimer(ticks.Handler());
    CHECK_FALSE(t.Enabled());
    ControlFires();
    CHECK(ticks.count == 0);
}

TEST_CASE("a timer started without a handler runs, and a handler set later gets its events") {
    Init();
    TSimpleTimer t(kFast, noc::TNotifyEvent());
    TimerMessages messages(t.Id());
    REQUIRE(messages.Hooked());
    CHECK(t.Start());
    CHECK(t.Enabled());
    CHECK(PumpUntil([&] { return messages.Count() >= 2; }, kPatience));  // ticks with nobody to tell
    Ticks ticks;
    t.SetOnTimer(ticks.Handler());
    CHECK(t.Enabled());
    CHECK(PumpUntil([&] { return ticks.count >= 2; }, kPatience));
    CHECK(t.Stop(true));
}

TEST_CASE("stop kills the system timer; only with disable does it clear Enabled") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    SUBCASE("Stop(false) on a running timer") {
        REQUIRE(t.Start());
        CHECK(t.Stop(false));
        CHECK(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);
        CHECK_FALSE(t.Stop(false));  // nothing left to kill
        CHECK(t.Enabled());
        CHECK(t.Start());
        CHECK(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
    }
    SUBCASE("Stop(true) on a running timer") {
        REQUIRE(t.Start());
        CHECK(t.Stop(true));
        CHECK_FALSE(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);
        CHECK_FALSE(t.Stop(true));
    }
    SUBCASE("Enabled set to false") {
        REQUIRE(t.Start());
        t.SetEnabled(false);
        CHECK_FALSE(t.Enabled());
        ControlFires();
        CHECK(ticks.count == 0);
        CHECK_FALSE(t.Stop(false));
    }
    SUBCASE("Stop on a timer never started") {
        CHECK_FALSE(t.Stop(false));
        CHECK_FALSE(t.Enabled());
        CHECK_FALSE(t.Stop(true));
        CHECK_FALSE(t.Enabled());
    }
    SUBCASE("Stop(true) on a paused timer clears Enabled") {
        REQUIRE(t.Start());
        t.SetInterval(0);
        REQUIRE(t.Enabled());
        CHECK_FALSE(t.Stop(true));
        CHECK_FALSE(t.Enabled());
    }
}

TEST_CASE("the system timer is the timer's Id on the shared window") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    REQUIRE(t.Start());
    HWND wnd = TSimpleTimerHandler::Window();
    CHECK(KillTimer(wnd, t.Id()));  // it was there
    CHECK(t.Enabled());
    ControlFires();
    CHECK(ticks.count == 0);     // nothing was handled between its start and the kill
    CHECK_FALSE(t.Stop(false));  // nothing left to kill
}

TEST_CASE("Stop kills the system timer that carries the timer's Id") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    HWND wnd = TSimpleTimerHandler::Window();
    // A system timer with the timer's identity on the shared window, made while the timer was
    // stopped: its messages reach the timer all the same, and Stop kills it.
    REQUIRE(SetTimer(wnd, t.Id(), kFast, nullptr) != 0);
    REQUIRE(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
    CHECK(t.Stop(false));
    const int before = ticks.count;
    ControlFires();
    CHECK(ticks.count == before);
    KillTimer(wnd, t.Id());
}

TEST_CASE("events: the timer is the sender, and they repeat") {
    Init();
    Ticks ticks;
    std::vector<DWORD> threads;
    TSimpleTimer t(kFast, noc::TNotifyEvent());
    t.SetOnTimer(On([&](TObject* sender) {
        ticks.senders.push_back(sender);
        threads.push_back(GetCurrentThreadId());
        ++ticks.count;
    }));
    REQUIRE(t.Start());
    REQUIRE(PumpUntil([&] { return ticks.count >= 4; }, kPatience));
    for (TObject* s : ticks.senders) CHECK(s == &t);
    for (DWORD id : threads) CHECK(id == GetCurrentThreadId());
    CHECK(t.Enabled());
}

TEST_CASE("a one-shot timer disables itself before its event") {
    Init();
    int count = 0;
    std::vector<bool> enabledInside;
    TSimpleTimer t(kFast, noc::TNotifyEvent());
    t.OneShot = true;
    t.SetOnTimer(On([&](TObject* sender) {
        ++count;
        enabledInside.push_back(static_cast<TSimpleTimer*>(sender)->Enabled());
    }));
    REQUIRE(t.Start());
    CHECK(t.Enabled());
    REQUIRE(PumpUntil([&] { return count >= 1; }, kPatience));
    ControlFires();
    CHECK(count == 1);
    REQUIRE(enabledInside.size() == 1);
    CHECK_FALSE(enabledInside[0]);
    CHECK_FALSE(t.Enabled());
    CHECK_FALSE(t.Stop(false));  // the system timer went with the event

    SUBCASE("started again, it fires once more") {
        REQUIRE(t.Start());
        REQUIRE(PumpUntil([&] { return count >= 2; }, kPatience));
        ControlFires();
        CHECK(count == 2);
        CHECK_FALSE(t.Enabled());
    }
    SUBCASE("a message carrying its Id disables it too") {
        t.SetInterval(60000);
        REQUIRE(t.Start());
        PostTimer(t.Id());
        REQUIRE(PumpUntil([&] { return count >= 2; }, kPatience));
        CHECK_FALSE(enabledInside.back());
        CHECK_FALSE(t.Enabled());
    }
}

TEST_CASE("timer messages go to the timer whose Id they carry") {
    Init();
    SUBCASE("two timers with different intervals get their own events") {
        Ticks fast, slow;
        TSimpleTimer a(kFast, fast.Handler());
        TSimpleTimer b(200, slow.Handler());
        REQUIRE(a.Start());
        REQUIRE(b.Start());
        REQUIRE(PumpUntil([&] { return slow.count >= 2; }, kPatience));
        CHECK(fast.count > slow.count);
        for (TObject* s : fast.senders) CHECK(s == &a);
        for (TObject* s : slow.senders) CHECK(s == &b);
    }
    SUBCASE("a message with a live timer's Id raises its event, running or not") {
        Ticks first, second;
        TSimpleTimer a(60000, first.Handler());
        TSimpleTimer b(60000, second.Handler());
        REQUIRE(a.Start());
        PostTimer(b.Id());
        REQUIRE(PumpUntil([&] { return second.count >= 1; }, kPatience));
        CHECK(second.count == 1);
        CHECK(second.senders[0] == &b);
        CHECK(first.count == 0);
        CHECK_FALSE(b.Enabled());  // an event does not start a stopped timer
        PostTimer(a.Id());
        REQUIRE(PumpUntil([&] { return first.count >= 1; }, kPatience));
        CHECK(first.senders[0] == &a);
        CHECK(second.count == 1);
    }
    SUBCASE("a message with an unknown Id raises nothing") {
        Ticks ticks;
        TSimpleTimer a(60000, ticks.Handler());
        TSimpleTimer b(60000, ticks.Handler());
        WPARAM unknown = b.Id() + 1000;
        while (unknown == a.Id()) ++unknown;
        PostTimer(unknown);
        if (a.Id() != 0 && b.Id() != 0) PostTimer(0);
        REQUIRE(QueueDrained());
        CHECK(ticks.count == 0);
        CHECK(IsWindow(TSimpleTimerHandler::Window()));
        PostTimer(a.Id());
        CHECK(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
    }
}

#if defined(_WIN64)
TEST_CASE("an identifier that matches a timer's Id only in its low 32 bits is unknown") {
    Init();
    Ticks ticks;
    TSimpleTimer t(60000, ticks.Handler());
    PostTimer((static_cast<WPARAM>(1) << 32) | t.Id());
    REQUIRE(QueueDrained());
    CHECK(ticks.count == 0);
}
#endif

TEST_CASE("a message still queued for a timer just destroyed raises nothing") {
    Init();
    Ticks ticks;
    TSimpleTimer keeper(60000, noc::TNotifyEvent());  // keeps the shared window
    SUBCASE("a stopped timer") {
        auto victim = std::make_unique<TSimpleTimer>(60000, ticks.Handler());
        PostTimer(victim->Id());
        victim.reset();
        REQUIRE(QueueDrained());
        CHECK(ticks.count == 0);
    }
    SUBCASE("a running timer") {
        auto victim = std::make_unique<TSimpleTimer>(60000, ticks.Handler());
        REQUIRE(victim->Start());
        PostTimer(victim->Id());
        const uint32_t id = victim->Id();
        victim.reset();
        REQUIRE(QueueDrained());
        CHECK(ticks.count == 0);
        CHECK_FALSE(KillTimer(TSimpleTimerHandler::Window(), id));  // its system timer went with it
    }
    SUBCASE("destroyed by another timer's handler while its message waits") {
        std::unique_ptr<TSimpleTimer> victim;
        int killerRan = 0;
        TSimpleTimer killer(60000, On([&](TObject*) {
                                ++killerRan;
                                victim.reset();
                            }));
        victim = std::make_unique<TSimpleTimer>(60000, ticks.Handler());
        PostTimer(killer.Id());
        PostTimer(victim->Id());
        REQUIRE(PumpUntil([&] { return killerRan >= 1; }, kPatience));
        REQUIRE(QueueDrained());
        CHECK_FALSE(victim);
        CHECK(ticks.count == 0);
    }
}

TEST_CASE("a message still queued for the last timer raises nothing once it is destroyed") {
    Init();
    REQUIRE(TSimpleTimerHandler::RefCount() == 0);
    Ticks ticks;
    auto victim = std::make_unique<TSimpleTimer>(60000, ticks.Handler());
    REQUIRE(victim->Start());
    PostTimer(victim->Id());
    victim.reset();
    REQUIRE(QueueDrained());
    CHECK(ticks.count == 0);
    CHECK(TSimpleTimerHandler::Window() == nullptr);
}

TEST_CASE("destroying a running timer kills its system timer") {
    Init();
    Ticks ticks;
    TSimpleTimer keeper(60000, noc::TNotifyEvent());
    auto t = std::make_unique<TSimpleTimer>(kFast, ticks.Handler());
    REQUIRE(t->Start());
    REQUIRE(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
    const uint32_t id = t->Id();
    t.reset();
    CHECK_FALSE(KillTimer(TSimpleTimerHandler::Window(), id));
    const int after = ticks.count;
    ControlFires();
    CHECK(ticks.count == after);
}

TEST_CASE("the shared window is made with the first timer and destroyed with the last") {
    Init();
    REQUIRE(TSimpleTimerHandler::RefCount() == 0);
    REQUIRE(TSimpleTimerHandler::Window() == nullptr);

    auto a = std::make_unique<TSimpleTimer>();
    HWND first = TSimpleTimerHandler::Window();
    REQUIRE(first != nullptr);
    CHECK(IsWindow(first));
    CHECK(TSimpleTimerHandler::RefCount() == 1);

    auto b = std::make_unique<TSimpleTimer>(kFast, noc::TNotifyEvent());
    auto c = std::make_unique<TSimpleTimer>();
    CHECK(TSimpleTimerHandler::Window() == first);
    CHECK(TSimpleTimerHandler::RefCount() == 3);

    b.reset();
    CHECK(TSimpleTimerHandler::RefCount() == 2);
    a.reset();
    CHECK(TSimpleTimerHandler::RefCount() == 1);
    CHECK(TSimpleTimerHandler::Window() == first);
    CHECK(IsWindow(first));

    REQUIRE(c->Start());  // a running last timer
    c.reset();
    CHECK(TSimpleTimerHandler::RefCount() == 0);
    CHECK(TSimpleTimerHandler::Window() == nullptr);
    CHECK_FALSE(IsWindow(first));
    REQUIRE(QueueDrained());  // nothing is left to receive anything

    Ticks ticks;
    TSimpleTimer next(kFast, ticks.Handler());
    HWND second = TSimpleTimerHandler::Window();
    REQUIRE(second != nullptr);
    CHECK(IsWindow(second));
    CHECK(TSimpleTimerHandler::RefCount() == 1);
    REQUIRE(next.Start());
    CHECK(PumpUntil([&] { return ticks.count >= 2; }, kPatience));
    for (TObject* s : ticks.senders) CHECK(s == &next);
}

TEST_CASE("the shared window is an ordinary invisible top-level window of this thread") {
    Init();
    TSimpleTimer t;
    HWND wnd = TSimpleTimerHandler::Window();
    REQUIRE(wnd != nullptr);
    CHECK(GetParent(wnd) == nullptr);
    CHECK(GetAncestor(wnd, GA_PARENT) == GetDesktopWindow());  // not under the message-only parent
    CHECK((GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD) == 0);
    CHECK_FALSE(IsWindowVisible(wnd));
    CHECK(Enumerated(wnd));
    DWORD pid = 0;
    CHECK(GetWindowThreadProcessId(wnd, &pid) == GetCurrentThreadId());
    CHECK(pid == GetCurrentProcessId());

    // What the timer does not handle gets the default processing.
    char old[64] = {};
    GetWindowTextA(wnd, old, sizeof old);
    CHECK(SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("probe")) == TRUE);
    char text[64] = {};
    CHECK(SendMessageA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)) == 5);
    CHECK(std::string(text) == "probe");
    SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(old));
}

TEST_CASE("a close request to the shared window is ignored; the timers keep ticking") {
    Init();
    Ticks ticks;
    TSimpleTimer t(kFast, ticks.Handler());
    REQUIRE(t.Start());
    HWND wnd = TSimpleTimerHandler::Window();
    REQUIRE(PumpUntil([&] { return ticks.count >= 1; }, kPatience));

    SUBCASE("sent") { SendMessageA(wnd, WM_CLOSE, 0, 0); }
    SUBCASE("posted") {
        PostMessageA(wnd, WM_CLOSE, 0, 0);
        REQUIRE(QueueDrained());
    }
    CHECK(IsWindow(wnd));
    CHECK(TSimpleTimerHandler::Window() == wnd);
    CHECK(TSimpleTimerHandler::RefCount() == 1);
    CHECK(t.Enabled());
    const int before = ticks.count;
    CHECK(PumpUntil([&] { return ticks.count >= before + 2; }, kPatience));
    CHECK_FALSE(noc::Application().Terminated());
}

TEST_CASE("a handler that destroys its own timer") {
    Init();
    int count = 0;
    std::unique_ptr<TSimpleTimer> t;
    auto selfDestroying = On([&](TObject* sender) {
        ++count;
        CHECK(sender == t.get());
        t.reset();
    });
    SUBCASE("while another timer keeps the window") {
        TSimpleTimer keeper(60000, noc::TNotifyEvent());
        HWND wnd = TSimpleTimerHandler::Window();
        t = std::make_unique<TSimpleTimer>(kFast, selfDestroying);
        REQUIRE(t->Start());
        REQUIRE(PumpUntil([&] { return !t; }, kPatience));
        ControlFires();
        CHECK(count == 1);
        CHECK(TSimpleTimerHandler::RefCount() == 1);
        CHECK(TSimpleTimerHandler::Window() == wnd);
    }
    SUBCASE("as the last timer, taking the window with it") {
        REQUIRE(TSimpleTimerHandler::RefCount() == 0);
        t = std::make_unique<TSimpleTimer>(kFast, selfDestroying);
        HWND wnd = TSimpleTimerHandler::Window();
        REQUIRE(t->Start());
        REQUIRE(PumpUntil([&] { return !t; }, kPatience));
        REQUIRE(QueueDrained());  // the window took its timers and messages with it
        CHECK(count == 1);
        CHECK(TSimpleTimerHandler::RefCount() == 0);
        CHECK(TSimpleTimerHandler::Window() == nullptr);
        CHECK_FALSE(IsWindow(wnd));
    }
    SUBCASE("a one-shot timer") {
        t = std::make_unique<TSimpleTimer>(kFast, selfDestroying);
        t->OneShot = true;
        REQUIRE(t->Start());
        REQUIRE(PumpUntil([&] { return !t; }, kPatience));
        REQUIRE(QueueDrained());
        CHECK(count == 1);
    }
    // Afterwards timers work as before.
    Ticks ticks;
    TSimpleTimer after(kFast, ticks.Handler());
    REQUIRE(after.Start());
    CHECK(PumpUntil([&] { return ticks.count >= 1; }, kPatience));
}
