#include "driver/Driver.h"

#include "RegKey.h"

#include <stdexcept>

namespace e2e {

std::string ExeDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

Program::Program(const std::string& params, const std::string& exe) {
    const std::string path = exe.empty() ? ExeDir() + "NocTuro.exe" : exe;
    Start(path.c_str(), "\"" + path + "\"" + (params.empty() ? "" : " " + params));
}

Program::Program(const CommandLine& whole) { Start(nullptr, whole.text); }

void Program::Start(const char* exe, std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    if (!CreateProcessA(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
        throw std::runtime_error("cannot start " + commandLine);
}

Program::~Program() { Kill(); }

bool Program::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Program::WaitExit(DWORD timeoutMs) {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

void Program::Kill() {
    if (!pi_.hProcess) return;
    if (Running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
}

namespace {
struct FindTop {
    DWORD pid;
    const char* cls;
    const char* caption;
    bool visibleOnly;
    HWND found;
};
BOOL CALLBACK FindTopProc(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindTop*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != f->pid) return TRUE;
    if (f->cls && ClassOf(wnd) != f->cls) return TRUE;
    if (f->caption && Text(wnd) != f->caption) return TRUE;
    if (f->visibleOnly && !IsWindowVisible(wnd)) return TRUE;
    f->found = wnd;
    return FALSE;
}
BOOL CALLBACK CollectProc(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}
}  // namespace

HWND FindTopWindow(DWORD pid, const char* className, const char* caption, bool visibleOnly) {
    FindTop f{pid, className, caption, visibleOnly, nullptr};
    EnumWindows(&FindTopProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND WaitForTopWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs, bool visibleOnly) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, className, caption, visibleOnly)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, &CollectProc, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string ClassOf(HWND wnd) {
    char buf[256] = {};
    GetClassNameA(wnd, buf, sizeof(buf));
    return buf;
}

LRESULT Send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(wnd, msg, wp, lp, SMTO_ABORTIFHUNG, 1000, &result);
    return static_cast<LRESULT>(result);
}

std::string Text(HWND wnd) {
    char buf[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 1000, &got);
    return std::string(buf);
}

bool IsShown(HWND wnd) { return IsWindowVisible(wnd) != FALSE; }
bool OwnVisible(HWND wnd) { return (GetWindowLongA(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

HWND ControlById(HWND top, int id) {
    for (HWND w : Descendants(top))
        if (GetDlgCtrlID(w) == id) return w;
    return nullptr;
}

HWND ControlByText(HWND top, const char* className, const std::string& text) {
    for (HWND w : Descendants(top))
        if ((!className || ClassOf(w) == className) && Text(w) == text) return w;
    return nullptr;
}

bool IsChecked(HWND checkBox) { return Send(checkBox, BM_GETCHECK) == BST_CHECKED; }

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void MouseClick(HWND control, int x, int y, bool right) {
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(control, WM_MOUSEMOVE, 0, at);
    PostMessageA(control, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    PostMessageA(control, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = WaitForTopWindow(pid, "#32770", nullptr, timeoutMs, true);
    if (!box) return std::nullopt;
    MessageBoxInfo info;
    info.wnd = box;
    info.caption = Text(box);
    if (HWND text = GetDlgItem(box, 0xFFFF)) info.text = Text(text);
    return info;
}

void DismissMessageBox(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000);
}

void DeleteSettingsKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }

void WriteSetting(const std::string& name, const std::string& value) {
    if (!testing::WriteString(HKEY_LOCAL_MACHINE, kSettingsKey, name, value))
        throw std::runtime_error("cannot write the setting " + name);
}

std::optional<std::string> ReadSetting(const std::string& name) {
    return testing::ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, name);
}

}  // namespace e2e
