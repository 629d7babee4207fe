// NocTuro in a folder whose name holds a blank, started as Windows starts its start-up entry: the
// entry that a click on "Lancer NocTuro au démarrage" writes holds the path in quotes, and that text
// as the whole command line starts the program without parameters, as does an older unquoted entry.
// Run by program_path_e2e.sh, in a prefix of its own, from the folder of NocTuro.exe.
#include <doctest/doctest.h>

#include <optional>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

const char kUserColour[] = "clNavy";

// The pointer away from where the window will be, before it appears: a fresh display has it at
// its centre, over the window, and the window appearing under it would report it there again
// while a click is on its way elsewhere.
bool PointerAway() {
    MoveMouseTo(kAway);
    return WaitUntil(
        [] {
            POINT at{};
            return GetCursorPos(&at) && at.x == kAway.x && at.y == kAway.y;
        },
        kLong);
}

std::string InstalledPath() { return ExeDir() + "NocTuro.exe"; }

std::optional<std::string> ReadRunValue(const char* name) {
    DWORD type = REG_NONE;
    const std::optional<std::string> value = testing::ReadValue(HKEY_LOCAL_MACHINE, kRunKey, name, &type);
    if (!value || type != REG_SZ) return std::nullopt;
    return std::string(value->c_str());
}

// Settings with the user's own colour and a dial that a close accepts.
Stored UserSettings() {
    Stored s;
    s.Couleur = kUserColour;
    s.Minutes = "5";
    return s;
}

// `commandLine` alone, as Windows starts a start-up entry, with "Demarrage" not "oui": no parameter,
// so the window shows on its set-up panel and the entry goes; "Quitter" then stores the colour that
// the user had.
void CheckStartedWithoutParameters(const std::string& commandLine) {
    CAPTURE(commandLine);
    Scenario run(UserSettings(), Program::CommandLine{commandLine});
    CHECK(run.Shown(noc::idTabControl1));
    run.CheckDial("00", "00", "05", "00");
    CHECK(WaitUntil([] { return !RunValueExists("Nocturo"); }, kLong));

    Click(run.Control(noc::idSpeedButton3));  // "Quitter" saves
    REQUIRE(run.prog.WaitExit(kLong).has_value());
    CHECK(ReadSetting("Couleur") == kUserColour);
    CHECK(ReadSetting("Minutes") == "5");
}

}  // namespace

TEST_CASE(
    "a click on start with Windows writes the path in quotes, and the entry as written starts NocTuro "
    "without parameters") {
    REQUIRE(InstalledPath().find(' ') != std::string::npos);
    DeleteRunValue("Nocturo");
    REQUIRE(PointerAway());
    std::string entry;
    {
        Scenario run(UserSettings());
        HWND box = run.Control(noc::idCheckBox2);
        ClickScreenAt(run.InFrontOnUntickedBox(noc::idCheckBox2));
        auto confirmation = run.Box();
        REQUIRE(confirmation.has_value());
        CHECK(confirmation->text ==
              "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de Windows.");
        CHECK(IsChecked(box));
        DismissMessageBox(confirmation->wnd);

        const std::optional<std::string> written = ReadRunValue("NocTuro");
        REQUIRE(written.has_value());
        CHECK(*written == "\"" + InstalledPath() + "\"");
        entry = *written;

        Click(run.Control(noc::idSpeedButton3));  // the dial is long enough for a close
        REQUIRE(run.prog.WaitExit(kLong).has_value());
    }
    CheckStartedWithoutParameters(entry);
}

TEST_CASE("an older unquoted entry, started as written, starts NocTuro without parameters too") {
    WriteRunValue("NocTuro", InstalledPath());
    CheckStartedWithoutParameters(InstalledPath());
}

TEST_CASE("the entry with parameters after it counts down hidden and keeps the entry") {
    WriteRunValue("NocTuro", "\"" + InstalledPath() + "\"");
    Scenario run(UserSettings(), Program::CommandLine{"\"" + InstalledPath() + "\" * 0 0 45 0"}, Start::Hidden);
    HWND callbackWindow = run.TrayWindow();
    CHECK(WaitUntil([&] { return ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    CHECK(run.Text(noc::idMaskEdit2) == "45");
    CHECK_FALSE(IsShown(run.form));
    CHECK(RunValueExists("Nocturo"));
    DeleteRunValue("Nocturo");
}
