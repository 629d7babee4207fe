// The alert sound's panel as a person uses it: tick the option, choose a file in the real
// open-file dialog by typing its path, listen and stop, and the error for a file that is gone.
#include <doctest/doctest.h>

#include "Scenario.h"

using namespace e2e;

namespace {

// The edit box of the open-file dialog where a file name is typed.
HWND FileNameField(HWND dialog) {
    for (HWND w : Descendants(dialog))
        if (ClassOf(w) == "Edit" && IsWindowVisible(w)) return w;
    return nullptr;
}

}  // namespace

TEST_CASE("choosing a sound in the open-file dialog, listening to it and stopping it") {
    TempFile wave("noc_chime.wav", SilentWave());
    Scenario run(Stored{});

    // Ticking the option with the mouse opens the sound panel.
    MouseClick(run.Control(noc::idCheckBox4), 4, 8);
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idPanel2); }, kLong));

    MouseClick(run.Control(noc::idImage12), 8, 8);
    HWND dialog = nullptr;
    REQUIRE(WaitUntil(
        [&] {
            dialog =
                FindTopWindow(run.prog.Id(), "#32770", "Sélection du fichier son à jouer avant l'extinction", true);
            return dialog != nullptr;
        },
        kLong));
    HWND field = FileNameField(dialog);
    REQUIRE(field != nullptr);
    Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wave.path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(dialog); }, kLong));
    CHECK(WaitUntil([&] { return run.Text(noc::idLabel14) == wave.path; }, kLong));

    // Listen, stop, listen again: a file that opens gives no message.
    for (int i = 0; i < 3; ++i) MouseClick(run.Control(noc::idImage11), 6, 8);
    CHECK(run.NoMessageBoxWithin(kShort));

    // Closing the panel and storing: the chosen sound is what the next start finds.
    Click(run.Control(noc::idButton6));
    REQUIRE(WaitUntil([&] { return !run.Shown(noc::idPanel2); }, kLong));
    Click(run.Control(noc::idSpeedButton3));  // "Quitter" saves
    REQUIRE(run.prog.WaitExit(kLong).has_value());
    CHECK(ReadSetting("Son").value_or("") == wave.path);
    CHECK(ReadSetting("Alerte").value_or("") == "oui");
}

TEST_CASE("listening to a sound file that is gone tells the media system's error") {
    Stored s;
    s.Son = "C:\\gone\\nothing.wav";  // not found at start: the label keeps its placeholder
    Scenario run(s);
    MouseClick(run.Control(noc::idImage10), 6, 8);
    auto box = run.Box();
    REQUIRE(box.has_value());
    CHECK(box->caption == "NocTuro");
    CHECK_FALSE(box->text.empty());
    DismissMessageBox(box->wnd);
    // The flag stayed down: the next click tries to open again, and fails again.
    MouseClick(run.Control(noc::idImage10), 6, 8);
    CHECK(run.Box().has_value());
}
