// Ending NocTuro politely from outside, as any user may: taskkill without /F, or a close request
// posted to one of its windows. A password-protected countdown survives all of them; without the
// password the program ends, its settings saved.
#include <doctest/doctest.h>

#include "Scenario.h"

using namespace e2e;

namespace {

Stored WithPassword(bool required) {
    Stored s;
    s.MdPasse = "abc";
    s.MdPasseOK = required ? "oui" : "non";
    return s;
}

// A five-minute countdown from the command line, with or without the cancel password.
struct Countdown : Scenario {
    explicit Countdown(bool passwordRequired) : Scenario(WithPassword(passwordRequired), "* 0 0 5 0", Start::Hidden) {
        // Counting: the seconds on the countdown panel move.
        REQUIRE(StillCounting());
        WriteSetting("Minutes", "9");
    }
    bool StillCounting() {
        const std::string seconds = Text(noc::idLabel4);
        return WaitUntil([&] { return Text(noc::idLabel4) != seconds; }, kLong);
    }
    bool Saved() {
        return WaitUntil([] { return ReadSetting("Minutes").value_or("") == "5"; }, kLong);
    }
};

void PoliteTaskkill() {
    Program taskkill("/IM NocTuro.exe", "C:\\windows\\system32\\taskkill.exe");
    REQUIRE(taskkill.WaitExit(kLong).has_value());
}

}  // namespace

TEST_CASE("taskkill without /F cannot end a protected countdown") {
    Countdown c(true);
    PoliteTaskkill();
    CHECK(c.Saved());  // each close request saves, refused or not
    CHECK_FALSE(c.prog.WaitExit(kShort).has_value());
    CHECK(c.StillCounting());
    CHECK(c.NoMessageBoxWithin(200));
}

TEST_CASE("a refused taskkill leaves the remaining time as it was") {
    Countdown c(true);
    // Two seconds gone at least, so that the dialled five minutes would show as a jump back.
    REQUIRE(c.StillCounting());
    const std::string before = c.Text(noc::idLabel4);
    PoliteTaskkill();
    REQUIRE(c.Saved());
    REQUIRE(c.StillCounting());
    CHECK(c.Text(noc::idLabel9) == "04");
    CHECK(std::stoi(c.Text(noc::idLabel4)) < std::stoi(before));
}

TEST_CASE("taskkill without /F ends an unprotected countdown, its settings saved") {
    Countdown c(false);
    PoliteTaskkill();
    CHECK(c.prog.WaitExit(kLong).has_value());
    CHECK(ReadSetting("Minutes").value_or("") == "5");
}

TEST_CASE("a close posted to the empty main form or to the application's window asks the same") {
    const char* classes[] = {"TForm1", "TApplication"};
    for (const char* cls : classes)
        for (bool passwordRequired : {true, false}) {
            CAPTURE(cls);
            CAPTURE(passwordRequired);
            Countdown c(passwordRequired);
            HWND target = FindTopWindow(c.prog.Id(), cls, nullptr);
            REQUIRE(target != nullptr);
            PostMessageA(target, WM_CLOSE, 0, 0);
            CHECK(c.Saved());
            if (passwordRequired) {
                CHECK_FALSE(c.prog.WaitExit(kShort).has_value());
                CHECK(c.StillCounting());
            } else {
                CHECK(c.prog.WaitExit(kLong).has_value());
            }
        }
}
