// The options of the set-up panel used as a person would: the cancel password typed on the keyboard,
// start with Windows ticked with the real mouse and read back with reg.exe, and the digit colour
// chosen in the system's colour dialog. Every countdown here is five minutes long and is cancelled
// long before zero.
#include <doctest/doctest.h>

#include <colordlg.h>

#include <string>
#include <vector>

#include "Scenario.h"
#include "driver/Keyboard.h"

using namespace e2e;

namespace {

constexpr char kFiveMinutes[] = "* 0 0 5 0";
constexpr COLORREF kRed = RGB(255, 0, 0);

size_t TextLength(HWND wnd) { return static_cast<size_t>(Send(wnd, WM_GETTEXTLENGTH)); }

// The password typed into the prompt and confirmed with its "OK".
void AnswerPrompt(const Scenario& run, const std::string& password) {
    HWND edit = run.Control(noc::idEdit2);
    REQUIRE(WaitUntil([&] { return FocusOf(run.form) == edit; }, kLong));
    TypeKeys(password);
    REQUIRE_MESSAGE(WaitUntil([&] { return TextLength(edit) == password.size(); }, kLong),
                    "typed " << TextLength(edit));
    CHECK(Text(edit) == password);
    Click(run.Control(noc::idButton4));
}

// The end of a start: the hidden countdown panel set to its warning look, without the prompt. (The
// shell's callbacks can come in while the start is still adding its icons.)
void WaitForWarningLook(const Scenario& run) {
    auto own = [&](int id) { return OwnVisible(run.Control(id)); };
    CHECK_MESSAGE(WaitUntil([&] { return own(noc::idLabel19) && own(noc::idLabel20); }, kLong), "no warning look");
    CHECK_FALSE(own(noc::idLabel13));
    CHECK_FALSE(own(noc::idLabel15));
    CHECK_FALSE(own(noc::idEdit2));
    CHECK_FALSE(own(noc::idButton4));
}

void CheckPromptLook(const Scenario& run) {
    CHECK(run.Text(noc::idLabel13) == "Mot de passe pour annuler :");
    run.CheckShown({{noc::idLabel13, true},
                    {noc::idLabel15, false},
                    {noc::idLabel19, false},
                    {noc::idLabel20, false},
                    {noc::idButton4, true}});
    CHECK(TextLength(run.Control(noc::idEdit2)) == 0);
}

// What reg.exe prints and returns for a query of the Run entry.
struct RegAnswer {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};
RegAnswer QueryRunEntry() {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    REQUIRE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::string cmd = "C:\\windows\\system32\\reg.exe query \"HKLM\\" + std::string(kRunKey) + "\" /v NocTuro";
    const BOOL started =
        CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    RegAnswer answer;
    if (started) {
        if (WaitForSingleObject(pi.hProcess, kLong) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &answer.exitCode);
        else
            TerminateProcess(pi.hProcess, 1);
        char buf[1024];
        DWORD got = 0, available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0)
            answer.output.append(buf, got);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    REQUIRE(started);
    return answer;
}

// The system's colour dialog of process `pid`, once it is on screen.
HWND WaitForColourDialog(const Program& prog) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopWindow(prog.Id(), "#32770", nullptr, true);
            return found && GetDlgItem(found, COLOR_RED) && GetDlgItem(found, COLOR_BLUE);
        },
        kLong);
    return found && GetDlgItem(found, COLOR_RED) ? found : nullptr;
}

const std::string kColourMessage = "La valeur hexadécimale de la couleur actuelle est : ";
const std::string kColourMessageEnd = "\rVous pouvez l'utiliser si vous lancez NocTuro en ligne de commande.";

// Digits on the taskbar: pixels of pure red and of no other colour.
bool ShowsRedDigits(const std::optional<Picture>& p) {
    return p && p->Count(kRed) >= 8 && p->CountOther(kTaskbarColour) == p->Count(kRed);
}

}  // namespace

TEST_CASE("a protected countdown is cancelled only with the password typed exactly, and asks again next time") {
    Stored s;
    s.MdPasse = "abc";
    s.MdPasseOK = "oui";
    MoveMouseTo(kAway);
    Scenario run(s, kFiveMinutes, Start::Hidden);
    HWND callbackWindow = run.TrayWindow();
    REQUIRE(WaitUntil([&] { return ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    HWND seconds = run.Control(noc::idLabel4);
    HWND cancel = run.Control(noc::idSpeedButton2);

    WaitForWarningLook(run);
    REQUIRE(run.BackFromTray(0));  // without the time shown the program icon is the only one
    CHECK(run.Shown(noc::idLabel19));
    Click(cancel);
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idEdit2); }, kLong));
    CheckPromptLook(run);

    for (const char* wrong : {"abd", "ABC"}) {
        CAPTURE(wrong);
        const std::string secondsBefore = Text(seconds);
        AnswerPrompt(run, wrong);
        REQUIRE(WaitUntil([&] { return run.Shown(noc::idLabel15); }, kLong));
        CHECK(run.Text(noc::idLabel15) == "Ooops, mot de passe faux !");
        run.CheckShown(
            {{noc::idLabel13, false}, {noc::idLabel19, false}, {noc::idLabel20, false}, {noc::idEdit2, true}});
        CHECK(TextLength(run.Control(noc::idEdit2)) == 0);
        // Still counting.
        CHECK(WaitUntil([&] { return Text(seconds) != secondsBefore; }, 2500));
        CHECK(run.Shown(noc::idTabControl2));
        CHECK_FALSE(run.Shown(noc::idTabControl1));
        CHECK(ShellHasIcon(callbackWindow, kProgramIcon));
        CHECK(run.prog.Running());
    }

    AnswerPrompt(run, "abc");
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK_FALSE(run.Shown(noc::idTabControl2));
    CHECK(WaitUntil([&] { return !ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    CHECK(run.prog.Running());

    // A new start comes back in the warning look, and "Annuler" asks again.
    MouseClick(run.Control(noc::idMyImage1), 16, 16);
    REQUIRE(WaitUntil([&] { return !IsShown(run.form); }, kLong));
    REQUIRE(WaitUntil([&] { return ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    WaitForWarningLook(run);
    REQUIRE(run.BackFromTray(0));
    CHECK(run.Shown(noc::idLabel19));
    CHECK(run.Shown(noc::idLabel20));
    Click(cancel);
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idEdit2); }, kLong));
    CheckPromptLook(run);
    AnswerPrompt(run, "abc");
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK(WaitUntil([&] { return !ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
}

TEST_CASE("ticking start with Windows writes the Run entry at once, unticking removes it") {
    struct RemoveEntryAtEnd {
        ~RemoveEntryAtEnd() { DeleteRunValue("NocTuro"); }
    } removeEntryAtEnd;
    Scenario run(Stored{});
    HWND box = run.Control(noc::idCheckBox2);
    const POINT onBox = run.InFrontOnUntickedBox(noc::idCheckBox2);
    const std::string path = ExeDir() + "NocTuro.exe";

    ClickScreenAt(onBox);
    auto ticked = run.Box();
    MoveMouseTo(kAway);
    REQUIRE(ticked.has_value());
    CHECK(ticked->caption == "Information");
    CHECK(ticked->text ==
          "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de Windows.");
    CHECK(IsChecked(box));
    DismissMessageBox(ticked->wnd);
    RegAnswer written = QueryRunEntry();
    CHECK(written.exitCode == 0);
    CHECK_MESSAGE(written.output.find("    NocTuro    REG_SZ    \"" + path + "\"\r\n") != std::string::npos,
                  written.output);

    ClickScreenAt(onBox);
    auto unticked = run.Box();
    MoveMouseTo(kAway);
    REQUIRE(unticked.has_value());
    CHECK(unticked->text ==
          "La base de registre a été mise à jour ! NocTuro\r\nne sera plus lancé au démarrage de Windows.");
    CHECK_FALSE(IsChecked(box));
    DismissMessageBox(unticked->wnd);
    RegAnswer removed = QueryRunEntry();
    CHECK_MESSAGE(removed.exitCode == 1, removed.output);
    CHECK_FALSE(RunValueExists("NocTuro"));
}

TEST_CASE("pure red chosen in the colour dialog draws the digits of the next countdown in red") {
    Stored s;
    s.Chrono = "oui";
    s.Minutes = "5";
    MoveMouseTo(kAway);
    Scenario run(s);
    HWND image = run.Required(noc::idImage4);

    MouseClick(image, 4, 4);
    HWND dialog = WaitForColourDialog(run.prog);
    REQUIRE(dialog != nullptr);
    CHECK(Text(dialog) == "Color");
    CHECK(IsWindowVisible(GetDlgItem(dialog, COLOR_ADD)));  // opened full
    const std::pair<int, const char*> fields[] = {{COLOR_RED, "255"}, {COLOR_GREEN, "0"}, {COLOR_BLUE, "0"}};
    for (const auto& [id, value] : fields) {
        HWND edit = GetDlgItem(dialog, id);
        REQUIRE(ClassOf(edit) == "Edit");
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value), SMTO_ABORTIFHUNG, 1000, &ignored);
        CHECK(Text(edit) == value);
    }
    Click(GetDlgItem(dialog, IDOK));
    REQUIRE(WaitUntil([&] { return !IsWindow(dialog); }, kLong));

    // The swatch took the colour: the right click names it.
    MouseClick(image, 4, 4, true);
    auto named = run.Box();
    REQUIRE(named.has_value());
    CHECK(named->text == kColourMessage + "clRed" + kColourMessageEnd);
    DismissMessageBox(named->wnd);

    HWND callbackWindow = run.TrayWindow();
    MouseClick(run.Control(noc::idMyImage1), 16, 16);
    REQUIRE(WaitUntil([&] { return !IsShown(run.form); }, kLong));
    // The minutes stand at place 0 and the seconds at place 1, the program icon at place 2.
    const bool red =
        WaitUntil([] { return ShowsRedDigits(ReadTrayPlace(0)) && ShowsRedDigits(ReadTrayPlace(1)); }, kLong);
    auto sketch = [](int n) {
        auto p = ReadTrayPlace(n);
        return p ? Sketch(*p, kTaskbarColour, kRed) : std::string("(no taskbar)");
    };
    CHECK_MESSAGE(red, "minutes:\n" << sketch(0) << "\nseconds:\n" << sketch(1));

    REQUIRE(run.BackFromTray(2));
    Click(run.Control(noc::idSpeedButton2));
    REQUIRE(WaitUntil([&] { return run.Shown(noc::idTabControl1); }, kLong));
    CHECK(WaitUntil([&] { return IconsInShell(callbackWindow).empty(); }, kLong));
}

TEST_CASE("a right click on the colour image names the colour; a left click opens the dialog instead") {
    Stored s;
    s.Couleur = "clRed";
    Scenario run(s);
    HWND image = run.Required(noc::idImage4);

    MouseClick(image, 4, 4, true);
    auto box = run.Box();
    REQUIRE(box.has_value());
    CHECK(box->caption == "NocTuro");
    CHECK(box->text == kColourMessage + "clRed" + kColourMessageEnd);
    CHECK(GetDlgItem(box->wnd, COLOR_RED) == nullptr);
    DismissMessageBox(box->wnd);
    CHECK(run.NoMessageBoxWithin(kShort));  // and no dialog after it

    MouseClick(image, 4, 4);
    HWND dialog = WaitForColourDialog(run.prog);
    REQUIRE(dialog != nullptr);
    CHECK(Text(dialog) != "NocTuro");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(dialog); }, kLong));
    CHECK(run.NoMessageBoxWithin(kShort));
}
