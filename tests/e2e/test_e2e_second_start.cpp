// A second NocTuro started while one runs: a plain start brings the running copy's window in
// front, a start with parameters changes nothing; the second copy ends quietly either way.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

// Starts a second copy and waits for its end: code 0, no window of its own shown on the way.
void SecondCopyEndsQuietly(const std::string& params) {
    Program second(params);
    bool showedSomething = false;
    const bool ended = WaitUntil(
        [&] {
            if (FindTopWindow(second.Id(), nullptr, nullptr, true)) showedSomething = true;
            return !second.Running();
        },
        kLong);
    REQUIRE_MESSAGE(ended, "the second copy is still running");
    const auto code = second.WaitExit(0);
    REQUIRE(code.has_value());
    CHECK(*code == 0);
    CHECK_FALSE(showedSomething);
}

// Two ticks of the countdown written on its panel after this call. The second one was handed to
// the window's thread after the first had run, itself after this call: whatever was posted to the
// window before this call has been handled then.
bool TwoTicksSeen(const Scenario& run) {
    for (int tick = 0; tick < 2; ++tick) {
        const std::string before = run.Text(noc::idLabel4);
        if (!WaitUntil([&] { return run.Text(noc::idLabel4) != before; }, kLong)) return false;
    }
    return true;
}

void CheckCountdownPanel(const Scenario& run) {
    run.CheckShown({{noc::idTabControl2, true},
                    {noc::idTabControl1, false},
                    {noc::idSpeedButton2, true},
                    {noc::idSpeedButton1, true}});
}

// The countdown started hidden by parameters: 45 minutes, the stored dial being 3 minutes.
Stored ThreeMinutes() {
    Stored s;
    s.Minutes = "3";
    return s;
}

}  // namespace

TEST_CASE("a plain second start brings the hidden countdown's window in front, on its countdown panel") {
    Scenario run(ThreeMinutes(), "* 0 0 45 0", Start::Hidden);
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit2) == "45"; }, kLong));
    REQUIRE_FALSE(IsShown(run.form));

    SecondCopyEndsQuietly("");
    REQUIRE_MESSAGE(WaitUntil([&] { return IsShown(run.form); }, kLong), "the window stays hidden");
    CHECK(WaitUntil([&] { return GetForegroundWindow() == run.form; }, kLong));
    CheckCountdownPanel(run);
    CHECK(FindTopWindow(run.prog.Id(), "TForm2", kCaption, true) == run.form);

    // The countdown goes on, and nothing was saved or told.
    CHECK(TwoTicksSeen(run));
    CHECK(run.NoMessageBoxWithin(0));
    CHECK(ReadSetting("Minutes") == "3");
}

TEST_CASE("a second start with parameters changes nothing in the running countdown") {
    Scenario run(ThreeMinutes(), "* 0 0 45 0", Start::Hidden);
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit2) == "45"; }, kLong));
    REQUIRE_FALSE(IsShown(run.form));

    SecondCopyEndsQuietly("clRed 0 0 1 0 oui secret oui");
    REQUIRE(TwoTicksSeen(run));
    CHECK_FALSE(IsShown(run.form));
    CHECK(run.NoMessageBoxWithin(0));
    run.CheckDial("00", "00", "45", "00");
    CHECK(run.Text(noc::idLabel9) == "44");
    CHECK_FALSE(run.Checked(noc::idCheckBox3));
    CHECK(run.Text(noc::idEdit1) == "");
    CHECK(ReadSetting("Minutes") == "3");

    // Still within reach: a plain start brings it forward, so the nothing above was a refusal.
    SecondCopyEndsQuietly("");
    CHECK(WaitUntil([&] { return IsShown(run.form); }, kLong));
    CheckCountdownPanel(run);
}
