// Icons that the shell refuses at first, as at logon before the notification area is ready: they
// wait, are tried again on the shared window's timer and at "TaskbarCreated", and appear in the
// order they were asked for, with what they show by then.
#include <doctest/doctest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormFixture.h"
#include "Recorder.h"
#include "framework/Application.h"
#include "tray/NotifyIcon.h"

using namespace testing;
using noc::TNotifyIcon;
using noc::TTrayIconHandler;

namespace {

// The tries at another pace for one test.
struct RetryPace {
    explicit RetryPace(UINT ms) { TTrayIconHandler::SetRetryInterval(ms); }
    ~RetryPace() { TTrayIconHandler::SetRetryInterval(1000); }
};

// The add requests as they went: which icon, and whether the shell took it.
using Adds = std::vector<std::pair<std::string, bool>>;

struct Icons {
    SeamRecorder rec;
    std::unique_ptr<TNotifyIcon> a = std::make_unique<TNotifyIcon>(nullptr);
    std::unique_ptr<TNotifyIcon> b = std::make_unique<TNotifyIcon>(nullptr);
    std::unique_ptr<TNotifyIcon> c = std::make_unique<TNotifyIcon>(nullptr);

    // By identity, which stays known after an icon is gone.
    const std::map<UINT, std::string> names{{a->TrayId(), "a"}, {b->TrayId(), "b"}, {c->TrayId(), "c"}};

    std::string NameOf(UINT id) const { return names.count(id) ? names.at(id) : "stranger"; }
    Adds AddsSent() const {
        Adds out;
        for (const ShellCall& call : rec.Shell(NIM_ADD)) out.emplace_back(NameOf(call.id), call.answer != FALSE);
        return out;
    }
    bool ShellHolds(const std::unique_ptr<TNotifyIcon>& icon) const { return ShellHas(icon->TrayId()); }
};

void AnnounceTaskbarCreated() {
    SendMessageTimeoutA(HWND_BROADCAST, TNotifyIcon::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

std::unique_ptr<noc::TImageList> Frames() {
    auto list = std::make_unique<noc::TImageList>(nullptr);
    for (int i = 0; i < 4; ++i) REQUIRE(list->AddIconResource(("TRAYSTD" + std::to_string(i)).c_str()));
    return list;
}

}  // namespace

TEST_CASE("a refused icon comes a second later, with the picture and tooltip it has by then") {
    StartApplication();
    Icons run;
    const auto frames = Frames();
    run.a->SetHint("first");
    run.rec.refuseAdds = 1;
    run.a->SetIconVisible(true);
    REQUIRE(run.AddsSent() == Adds{{"a", false}});
    const DWORD refusedAt = GetTickCount();
    CHECK(run.a->IconVisible());
    CHECK(TTrayIconHandler::Waiting(run.a->TrayId()));
    CHECK_FALSE(run.ShellHolds(run.a));

    // Changes meanwhile are not lost.
    run.a->SetHint("later");
    run.a->Icon().Assign(frames->Image(3));

    REQUIRE(PumpUntil([&] { return run.ShellHolds(run.a); }, 3000));
    CHECK(GetTickCount() - refusedAt >= 900);  // on the timer's second, not at once
    CHECK(run.AddsSent() == Adds{{"a", false}, {"a", true}});
    const ShellCall taken = run.rec.Shell(NIM_ADD).back();
    CHECK(taken.tip == "later");
    CHECK(taken.icon == frames->Image(3)->Handle());
    CHECK_FALSE(TTrayIconHandler::Waiting(run.a->TrayId()));
}

TEST_CASE("icons asked for after a refused one wait behind it and come in the order asked") {
    StartApplication();
    RetryPace pace(50);
    Icons run;
    run.rec.refuseAdds = 2;
    run.a->SetIconVisible(true);
    run.b->SetIconVisible(true);
    run.c->SetIconVisible(true);
    // Nothing overtakes the refused one.
    CHECK(run.AddsSent() == Adds{{"a", false}});
    CHECK(run.b->IconVisible());
    CHECK(run.c->IconVisible());

    SUBCASE("all three, a first") {
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.c); }));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"a", false}, {"a", true}, {"b", true}, {"c", true}});
        CHECK(run.ShellHolds(run.a));
        CHECK(run.ShellHolds(run.b));
    }
    SUBCASE("one hidden while it waits is never added") {
        run.b->SetIconVisible(false);
        CHECK_FALSE(TTrayIconHandler::Waiting(run.b->TrayId()));
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.c); }));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"a", false}, {"a", true}, {"c", true}});
        CHECK_FALSE(run.ShellHolds(run.b));
    }
    SUBCASE("the refused one hidden: the others go on without it") {
        run.a->SetIconVisible(false);
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.c); }));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"b", false}, {"b", true}, {"c", true}});
        CHECK_FALSE(run.ShellHolds(run.a));
    }
    SUBCASE("the refused one destroyed: the others go on without it") {
        run.a.reset();
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.c); }));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"b", false}, {"b", true}, {"c", true}});
    }
    SUBCASE("shown again while it waits: still one place in the queue") {
        run.a->SetIconVisible(true);
        CHECK(run.AddsSent() == Adds{{"a", false}});
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.c); }));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"a", false}, {"a", true}, {"b", true}, {"c", true}});
    }
}

TEST_CASE("an icon the shell holds already is not tried again when a second add is refused") {
    StartApplication();
    RetryPace pace(20);
    Icons run;
    run.a->SetIconVisible(true);
    run.a->SetIconVisible(true);  // the shell answers no: it has it
    REQUIRE(run.AddsSent() == Adds{{"a", true}, {"a", false}});
    CHECK_FALSE(TTrayIconHandler::Waiting(run.a->TrayId()));
    run.b->SetIconVisible(true);  // nothing waits before it
    CHECK(run.AddsSent() == Adds{{"a", true}, {"a", false}, {"b", true}});
    REQUIRE(TimerTicked(20, 3));  // three periods of the tries: none comes
    CHECK(run.rec.Shell(NIM_ADD).size() == 3);
}

TEST_CASE("\"TaskbarCreated\" tries the waiting icons again, also after the minute of tries") {
    StartApplication();
    REQUIRE(TNotifyIcon::TaskbarCreatedMessage() != 0);

    SUBCASE("while the tries go on: at once, in order") {
        RetryPace pace(60000);  // no timer's try comes within the test
        Icons run;
        run.rec.refuseAdds = 1;
        run.a->SetIconVisible(true);
        run.b->SetIconVisible(true);
        AnnounceTaskbarCreated();
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.b); }, 3000));
        CHECK(run.AddsSent() == Adds{{"a", false}, {"a", true}, {"b", true}});
        CHECK(run.ShellHolds(run.a));
    }
    SUBCASE("a minute of refusals, then the tries stop until the shell announces itself") {
        RetryPace pace(20);
        Icons run;
        run.rec.refuseAdds = 1000;
        run.a->SetIconVisible(true);
        const size_t all = 1 + TTrayIconHandler::kRetryAttempts;
        REQUIRE(PumpUntil([&] { return run.rec.Shell(NIM_ADD).size() >= all; }, 10000));
        REQUIRE(TimerTicked(20, 3));  // three periods: no try after the last
        CHECK(run.rec.Shell(NIM_ADD).size() == all);
        CHECK(run.AddsSent() == Adds(all, {"a", false}));
        CHECK(run.a->IconVisible());
        CHECK(TTrayIconHandler::Waiting(run.a->TrayId()));

        run.rec.refuseAdds = 0;
        AnnounceTaskbarCreated();
        REQUIRE(PumpUntil([&] { return run.ShellHolds(run.a); }, 3000));
        CHECK(run.rec.Shell(NIM_ADD).size() == all + 1);
        CHECK(run.rec.Shell(NIM_ADD).back().answer == TRUE);
        CHECK_FALSE(TTrayIconHandler::Waiting(run.a->TrayId()));
    }
}
