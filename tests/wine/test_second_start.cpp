// A plain start of the program while it runs: the running copy's window comes forward, on the
// countdown panel during a countdown, on the set-up panel otherwise.
#include <doctest/doctest.h>

#include <windows.h>

#include "FormFixture.h"
#include "StoreTexts.h"
#include "app/SecondStart.h"

using namespace testing;
using noc::TForm2;

namespace {

bool Shown(noc::TControl* c) { return IsWindowVisible(c->Handle()) != FALSE; }

void PostSecondStart(HWND form) { REQUIRE(PostMessageA(form, noc::SecondStartMessage(), 0, 0)); }

void CheckInFront(const TForm2& f) {
    CHECK(PumpUntil([&] { return GetForegroundWindow() == f.Handle(); }));
}

}  // namespace

TEST_CASE("the second start's message is the program's own") {
    const UINT message = noc::SecondStartMessage();
    CHECK(message >= 0xC000);
    CHECK(message == noc::SecondStartMessage());
}

TEST_CASE_FIXTURE(FreshApplication, "during a countdown the window comes back on its countdown panel") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 45 0");
    REQUIRE(form->Chronos1->Enabled());
    REQUIRE_FALSE(Shown(form.get()));
    REQUIRE(form->TabControl1->Visible());  // the start switches no panel

    PostSecondStart(form->Handle());
    REQUIRE(PumpUntil([&] { return Shown(form.get()); }));
    CHECK(Shown(form->TabControl2));
    CHECK_FALSE(Shown(form->TabControl1));
    CHECK(Shown(form->SpeedButton2));
    CHECK(Shown(form->SpeedButton4));
    CHECK(Shown(form->SpeedButton1));
    CHECK_FALSE(form->Image7->Enabled());
    CheckInFront(*form);
    CHECK(form->Chronos1->Enabled());
    CHECK(rec.calls.empty());
    form->Chronos1->SetEnabled(false);
}

TEST_CASE_FIXTURE(FreshApplication, "outside a countdown the window comes forward on its set-up panel") {
    StoredSettings().Write();
    SeamRecorder rec;

    SUBCASE("hidden") {
        auto form = MakeForm2();
        REQUIRE_FALSE(Shown(form.get()));
        PostSecondStart(form->Handle());
        REQUIRE(PumpUntil([&] { return Shown(form.get()); }));
        CHECK(Shown(form->TabControl1));
        CHECK_FALSE(Shown(form->TabControl2));
        CheckInFront(*form);
    }

    SUBCASE("after a cancelled countdown, behind another window") {
        auto form = MakeForm2("NocTuro.exe * 0 0 45 0");
        form->NotifyIcon1Click(form->NotifyIcon1);
        form->CancelCountdown();
        REQUIRE_FALSE(form->Chronos1->Enabled());
        REQUIRE(Shown(form.get()));
        const HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                           nullptr, nullptr, nullptr, nullptr);
        REQUIRE(other != nullptr);
        SetForegroundWindow(other);
        REQUIRE(PumpUntil([&] { return GetForegroundWindow() == other; }));

        PostSecondStart(form->Handle());
        CheckInFront(*form);
        CHECK(Shown(form->TabControl1));
        CHECK_FALSE(Shown(form->TabControl2));
        DestroyWindow(other);
    }
    CHECK(rec.calls.empty());
}

TEST_CASE_FIXTURE(FreshApplication, "a second start met during the set-up is answered at its end") {
    // The hand edit goes with the test: a program started later on this store must not meet it.
    struct MatchingStoreAfter {
        ~MatchingStoreAfter() { StoredSettings().Write(); }
    } matchingStoreAfter;
    StoredSettings().Write();
    noc::WriteSetting("Chrono", "oui");  // by hand: the set-up warns
    SeamRecorder rec;
    bool shownUnderTheBox = true;
    rec.holdBox = [&](const RecordedCall&) {
        const HWND form = FindWindowA("TForm2", noc::kForm2Caption);
        REQUIRE(form != nullptr);
        PostSecondStart(form);
        REQUIRE(QueueDrained());
        shownUnderTheBox = IsWindowVisible(form) != FALSE;
    };
    auto form = MakeForm2();
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == kTampered);
    CHECK_FALSE(shownUnderTheBox);
    CHECK(Shown(form.get()));
    CHECK(Shown(form->TabControl1));
    CHECK(form->CheckBox1->Checked());  // the set-up went on to its end
}
