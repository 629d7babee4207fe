// Hostile command lines, seen from outside: the program starts, counts and closes without losing
// what it was given.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "Scenario.h"

using namespace e2e;

namespace {

// A stored value whole, however long.
std::optional<std::string> ReadLongSetting(const char* name) {
    return testing::ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, name);
}

}  // namespace

TEST_CASE("a command line of 32 000 characters starts the countdown, and a close stores the long password") {
    Stored s;
    s.Minutes = "3";
    // The whole command line, the program's quoted path first, comes to 32 000 characters.
    const std::string head = "* 0 1 0 0 non ", tail = " non";
    const size_t pathPart = (ExeDir() + "NocTuro.exe").size() + 3;
    const std::string password(32000 - pathPart - head.size() - tail.size(), 'p');
    Scenario run(s, head + password + tail, Start::Hidden);
    CHECK(WaitUntil([&] { return run.Text(noc::idMaskEdit1) == "01"; }, kLong));
    CHECK_FALSE(run.FormShownWithin(kShort));
    CHECK(run.NoMessageBoxWithin(0));

    // A close while it counts (no password is required) saves, and the program ends.
    PostMessageA(run.form, WM_CLOSE, 0, 0);
    REQUIRE(run.prog.WaitExit(kLong).has_value());
    s.Heures = "1", s.Minutes = "0", s.MdPasse = password;
    CHECK(ReadLongSetting("MdPasse") == noc::Scramble(password));
    CHECK(ReadLongSetting("Protection") == ProtectionOf(s));
    CHECK(ReadSetting("Heures") == "1");
}
