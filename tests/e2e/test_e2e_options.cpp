// The options of the set-up panel used as a person would: the cancel password typed on the keyboard,
// start with Windows ticked with the real mouse and read back with reg.exe, and the digit colour
// chosen in the system's colour dialog. Every countdown here is five minutes long and is cancelled
// long before zero.
#include <doctest/doctest.h>

#include <colordlg.h>

#include <string>
#include <vector>

#include "E2eCommon.h"
#include "driver/Tray.h"

using namespace e2e;

namespace {

constexpr char kFiveMinutes[] = "* 0 0 5 0";
constexpr COLORREF kRed = RGB(255, 0, 0);
const POINT kAway{400, 20};  // a place for the mouse, away from the taskbar and the window

HWND WaitForCallbackWindow(const Program& prog) {
    HWND wnd = nullptr;
    WaitUntil([&] { return (wnd = TrayCallbackWindow(prog.Id())) != nullptr; }, kLong);
    return wnd;
}

bool Shown(HWND form, int id) { return IsShown(ControlById(form, id)); }
size_t TextLength(HWND wnd) { return static_cast<size_t>(Send(wnd, WM_GETTEXTLENGTH)); }

// The control that has the keyboard focus in the thread of `wnd`.
HWND FocusOf(HWND wnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info);
    return info.hwndFocus;
}

// Real keystrokes through the system's input queue, to whichever window has the focus.
void TypeKeys(const std::string& text) {
    std::vector<INPUT> keys;
    auto key = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        keys.push_back(in);
    };
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) key(VK_SHIFT, false);
        key(LOBYTE(scan), false);
        key(LOBYTE(scan), true);
        if (shift) key(VK_SHIFT, true);
    }
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

// A click on the program icon at place n of the notification area, and the window coming back.
void BringBack(HWND form, int place) {
    REQUIRE_FALSE(IsShown(form));
    ClickScreenAt(TrayPlace(place));
    const bool shown = WaitUntil([&] { return IsShown(form); }, kLong);
    MoveMouseTo(kAway);
    REQUIRE_MESSAGE(shown, "the window stays hidden after the click");
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == form; }, kLong));
}

// The password typed into the prompt and confirmed with its "OK".
void AnswerPrompt(HWND form, const std::string& password) {
    HWND edit = ControlById(form, noc::idEdit2);
    REQUIRE(WaitUntil([&] { return FocusOf(form) == edit; }, kLong));
    TypeKeys(password);
    REQUIRE_MESSAGE(WaitUntil([&] { return TextLength(edit) == password.size(); }, kLong), "typed " << TextLength(edit));
    CHECK(Text(edit) == password);
    Click(ControlById(form, noc::idButton4));
}

// The end of a start: the hidden countdown panel set to its warning look, without the prompt. (The
// shell's callbacks can come in while the start is still adding its icons.)
void WaitForWarningLook(HWND form) {
    auto own = [&](int id) { return OwnVisible(ControlById(form, id)); };
    CHECK_MESSAGE(WaitUntil([&] { return own(noc::idLabel19) && own(noc::idLabel20); }, kLong), "no warning look");
    CHECK_FALSE(own(noc::idLabel13));
    CHECK_FALSE(own(noc::idLabel15));
    CHECK_FALSE(own(noc::idEdit2));
    CHECK_FALSE(own(noc::idButton4));
}

void CheckPromptLook(HWND form) {
    CHECK(Shown(form, noc::idLabel13));
    CHECK(TextOf(form, noc::idLabel13) == "Mot de passe pour annuler :");
    CHECK_FALSE(Shown(form, noc::idLabel15));
    CHECK_FALSE(Shown(form, noc::idLabel19));
    CHECK_FALSE(Shown(form, noc::idLabel20));
    CHECK(Shown(form, noc::idButton4));
    CHECK(TextLength(ControlById(form, noc::idEdit2)) == 0);
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
        if (WaitForSingleObject(pi.hProcess, kLong) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &answer.exitCode);
        else TerminateProcess(pi.hProcess, 1);
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
    WriteAll(s);
    MoveMouseTo(kAway);
    Program prog(kFiveMinutes);
    HWND form = WaitForHiddenForm(prog);
    REQUIRE(form != nullptr);
    HWND callbackWindow = WaitForCallbackWindow(prog);
    REQUIRE(callbackWindow != nullptr);
    REQUIRE(WaitUntil([&] { return ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    HWND seconds = ControlById(form, noc::idLabel4);
    HWND cancel = ControlById(form, noc::idSpeedButton2);

    WaitForWarningLook(form);
    BringBack(form, 0);  // without the time shown the program icon is the only one
    CHECK(Shown(form, noc::idLabel19));
    Click(cancel);
    REQUIRE(WaitUntil([&] { return Shown(form, noc::idEdit2); }, kLong));
    CheckPromptLook(form);

    for (const char* wrong : {"abd", "ABC"}) {
        CAPTURE(wrong);
        const std::string secondsBefore = Text(seconds);
        AnswerPrompt(form, wrong);
        REQUIRE(WaitUntil([&] { return Shown(form, noc::idLabel15); }, kLong));
        CHECK(TextOf(form, noc::idLabel15) == "Ooops, mot de passe faux !");
        CHECK_FALSE(Shown(form, noc::idLabel13));
        CHECK_FALSE(Shown(form, noc::idLabel19));
        CHECK_FALSE(Shown(form, noc::idLabel20));
        CHECK(Shown(form, noc::idEdit2));
        CHECK(TextLength(ControlById(form, noc::idEdit2)) == 0);
        // Still counting.
        CHECK(WaitUntil([&] { return Text(seconds) != secondsBefore; }, 2500));
        CHECK(Shown(form, noc::idTabControl2));
        CHECK_FALSE(Shown(form, noc::idTabControl1));
        CHECK(ShellHasIcon(callbackWindow, kProgramIcon));
        CHECK(prog.Running());
    }

    AnswerPrompt(form, "abc");
    REQUIRE(WaitUntil([&] { return Shown(form, noc::idTabControl1); }, kLong));
    CHECK_FALSE(Shown(form, noc::idTabControl2));
    CHECK(WaitUntil([&] { return !ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    CHECK(prog.Running());

    // A new start comes back in the warning look, and "Annuler" asks again.
    MouseClick(ControlById(form, noc::idMyImage1), 16, 16);
    REQUIRE(WaitUntil([&] { return !IsShown(form); }, kLong));
    REQUIRE(WaitUntil([&] { return ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
    WaitForWarningLook(form);
    BringBack(form, 0);
    CHECK(Shown(form, noc::idLabel19));
    CHECK(Shown(form, noc::idLabel20));
    Click(cancel);
    REQUIRE(WaitUntil([&] { return Shown(form, noc::idEdit2); }, kLong));
    CheckPromptLook(form);
    AnswerPrompt(form, "abc");
    REQUIRE(WaitUntil([&] { return Shown(form, noc::idTabControl1); }, kLong));
    CHECK(WaitUntil([&] { return !ShellHasIcon(callbackWindow, kProgramIcon); }, kLong));
}

TEST_CASE("ticking start with Windows writes the Run entry at once, unticking removes it") {
    struct RemoveEntryAtEnd {
        ~RemoveEntryAtEnd() { DeleteRunValue("NocTuro"); }
    } removeEntryAtEnd;
    WriteAll(Stored{});
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    HWND box = ControlById(form, noc::idCheckBox2);
    REQUIRE(box != nullptr);
    REQUIRE_FALSE(IsChecked(box));
    SetForegroundWindow(form);
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == form; }, kLong));
    RECT r{};
    GetWindowRect(box, &r);
    const POINT onBox{r.left + 7, (r.top + r.bottom) / 2};
    const std::string path = ExeDir() + "NocTuro.exe";

    ClickScreenAt(onBox);
    auto ticked = WaitForMessageBox(prog.Id(), kLong);
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
    auto unticked = WaitForMessageBox(prog.Id(), kLong);
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
    WriteAll(s);
    MoveMouseTo(kAway);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    HWND image = ControlById(form, noc::idImage4);
    REQUIRE(image != nullptr);

    MouseClick(image, 4, 4);
    HWND dialog = WaitForColourDialog(prog);
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
    auto named = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(named.has_value());
    CHECK(named->text == kColourMessage + "clRed" + kColourMessageEnd);
    DismissMessageBox(named->wnd);

    HWND callbackWindow = WaitForCallbackWindow(prog);
    REQUIRE(callbackWindow != nullptr);
    MouseClick(ControlById(form, noc::idMyImage1), 16, 16);
    REQUIRE(WaitUntil([&] { return !IsShown(form); }, kLong));
    // The minutes stand at place 0 and the seconds at place 1, the program icon at place 2.
    const bool red = WaitUntil([] { return ShowsRedDigits(ReadTrayPlace(0)) && ShowsRedDigits(ReadTrayPlace(1)); },
                               kLong);
    auto sketch = [](int n) {
        auto p = ReadTrayPlace(n);
        return p ? Sketch(*p, kTaskbarColour, kRed) : std::string("(no taskbar)");
    };
    CHECK_MESSAGE(red, "minutes:\n" << sketch(0) << "\nseconds:\n" << sketch(1));

    BringBack(form, 2);
    Click(ControlById(form, noc::idSpeedButton2));
    REQUIRE(WaitUntil([&] { return Shown(form, noc::idTabControl1); }, kLong));
    CHECK(WaitUntil([&] { return IconsInShell(callbackWindow).empty(); }, kLong));
}

TEST_CASE("a right click on the colour image names the colour; a left click opens the dialog instead") {
    Stored s;
    s.Couleur = "clRed";
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    HWND image = ControlById(form, noc::idImage4);
    REQUIRE(image != nullptr);

    MouseClick(image, 4, 4, true);
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "NocTuro");
    CHECK(box->text == kColourMessage + "clRed" + kColourMessageEnd);
    CHECK(GetDlgItem(box->wnd, COLOR_RED) == nullptr);
    DismissMessageBox(box->wnd);
    CHECK(NoMessageBoxWithin(prog, kShort));  // and no dialog after it

    MouseClick(image, 4, 4);
    HWND dialog = WaitForColourDialog(prog);
    REQUIRE(dialog != nullptr);
    CHECK(Text(dialog) != "NocTuro");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(dialog); }, kLong));
    CHECK(NoMessageBoxWithin(prog, kShort));
}
