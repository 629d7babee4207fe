// The window used with the keyboard alone, keys going through the system's input queue as a person
// types them: the dial set by typing, the switch started with the space bar, the window brought back
// by the program icon's selection from the keyboard, Escape, "Annuler" and the password given with
// Enter. And what a screen reader in another process reads of the window. The countdown here is 65
// seconds long and is cancelled long before its final warning.
#include <doctest/doctest.h>

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <string>

#include "Scenario.h"
#include "driver/Keyboard.h"
#include "framework/Messages.h"

using namespace e2e;

namespace {

// Waits until the keyboard focus is on the control `id` of the window.
bool FocusOnWithin(const Scenario& run, int id, DWORD ms) {
    return WaitUntil([&] { return FocusOf(run.form) == run.Control(id); }, ms);
}

// The program icon selected from the keyboard, as Windows' notification area tells it (Wine's has
// no keyboard of its own): the window comes back, in front.
void SelectProgramIconByKeyboard(const Scenario& run) {
    REQUIRE_FALSE(IsShown(run.form));
    SendNotifyMessageA(run.TrayWindow(), noc::WM_NOC_TRAY_CALLBACK, kProgramIcon, NIN_KEYSELECT);
    REQUIRE(WaitUntil([&] { return IsShown(run.form) && GetForegroundWindow() == run.form; }, kLong));
}

// Defined here: the import library's IID_IAccessible is no usable identifier for a static program.
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

}  // namespace

TEST_CASE("set, started, brought back and cancelled with the keyboard alone") {
    Stored s;
    s.MdPasseOK = "oui";
    s.MdPasse = "s3cret";
    Scenario run(s);
    SetForegroundWindow(run.form);
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == run.form; }, kLong));

    // The dial, typed: Tab to the days, a digit, Tab, and so on to the seconds.
    PressKeys({VK_TAB});
    REQUIRE(FocusOnWithin(run, noc::idMaskEdit4, kLong));
    TypeKeys("0");
    PressKeys({VK_TAB});
    TypeKeys("0");
    PressKeys({VK_TAB});
    TypeKeys("1");
    PressKeys({VK_TAB});
    TypeKeys("5");
    REQUIRE(WaitUntil([&] { return run.Text(noc::idMaskEdit3) == "05"; }, kLong));
    run.CheckDial("00", "00", "01", "05");

    // On past the reset button to the switch; the space bar starts the countdown.
    PressKeys({VK_TAB, VK_TAB});
    REQUIRE(FocusOnWithin(run, noc::idMyImage1, kLong));
    PressKeys({VK_SPACE});
    REQUIRE(WaitUntil([&] { return !IsShown(run.form); }, kLong));
    CHECK(run.NoMessageBoxWithin(300));

    // Back on the countdown panel; Escape puts it away again, as "Réduire" does.
    SelectProgramIconByKeyboard(run);
    CHECK(run.Shown(noc::idTabControl2));
    PressKeys({VK_ESCAPE});
    REQUIRE(WaitUntil([&] { return !IsShown(run.form); }, kLong));

    // Back again, the keyboard on "+10 min": Tab to "Annuler", Enter; the password asked for,
    // typed, and Enter.
    SelectProgramIconByKeyboard(run);
    REQUIRE(FocusOnWithin(run, noc::idSpeedButton4, kLong));
    PressKeys({VK_TAB});
    REQUIRE(FocusOnWithin(run, noc::idSpeedButton2, kLong));
    PressKeys({VK_RETURN});
    REQUIRE(FocusOnWithin(run, noc::idEdit2, kLong));
    CHECK(run.Shown(noc::idLabel13));
    TypeKeys("s3cret");
    REQUIRE(WaitUntil([&] { return run.Text(noc::idEdit2).size() == 6; }, kLong));
    PressKeys({VK_RETURN});
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK(IsShown(run.form));
    CHECK_FALSE(run.Shown(noc::idTabControl2));
    CHECK(WaitUntil([&] { return IconsInShell(run.TrayWindow()).empty(); }, kLong));
    // The time left is back on the dial.
    CHECK(run.Text(noc::idMaskEdit4) == "00");
    CHECK(run.Text(noc::idMaskEdit1) == "00");
    const int left = Number(run.Text(noc::idMaskEdit2)) * 60 + Number(run.Text(noc::idMaskEdit3));
    CHECK(left <= 65);
    CHECK(left > 20);
    CHECK(run.NoMessageBoxWithin(300));
}

TEST_CASE("brought back by a click on the icon, then keys alone: Annuler, and the switch has the keyboard") {
    MoveMouseTo(kAway);
    Scenario run(Stored{}, "* 0 0 10 0", Start::Hidden);
    REQUIRE(WaitUntil([&] { return ShellHasIcon(run.TrayWindow(), kProgramIcon); }, kLong));
    REQUIRE(run.BackFromTray(0));
    REQUIRE(FocusOnWithin(run, noc::idSpeedButton4, kLong));
    PressKeys({VK_TAB});
    REQUIRE(FocusOnWithin(run, noc::idSpeedButton2, kLong));
    PressKeys({VK_RETURN});
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK(FocusOnWithin(run, noc::idMyImage1, kLong));
}

TEST_CASE("a screen reader in another process reads the switch as a named button") {
    Scenario run(Stored{});
    REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IAccessible* object = nullptr;
    REQUIRE(SUCCEEDED(AccessibleObjectFromWindow(run.Required(noc::idMyImage1), OBJID_CLIENT, kIAccessible,
                                                 reinterpret_cast<void**>(&object))));
    REQUIRE(object != nullptr);
    VARIANT self;
    VariantInit(&self);
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    BSTR name = nullptr;
    CHECK(object->get_accName(self, &name) == S_OK);
    CHECK(std::wstring(name ? name : L"") ==
          L"Cliquez ici pour activer l'extinction diff\u00e9r\u00e9e de votre ordinateur...");
    SysFreeString(name);
    VARIANT role;
    VariantInit(&role);
    CHECK(object->get_accRole(self, &role) == S_OK);
    CHECK(V_VT(&role) == VT_I4);
    CHECK(V_I4(&role) == ROLE_SYSTEM_PUSHBUTTON);
    object->Release();
    CoUninitialize();
}
