#pragma once
// Drives NocTuro from another process as a person would: starts it, finds its windows, reads and
// clicks its controls, reads and dismisses its message boxes, and looks at the registry.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Folder of the running test program (NocTuro.exe is built beside it), with a trailing backslash.
std::string ExeDir();

// A started copy of NocTuro.exe; ended (by its process id) when the object goes.
class Program {
public:
    // Starts NocTuro.exe with the given parameters (the text after the program's path).
    explicit Program(const std::string& params = "", const std::string& exe = "");
    // A whole command line, passed on exactly as given; the program is found from its head as
    // Windows finds the program of a start-up entry.
    struct CommandLine {
        std::string text;
    };
    explicit Program(const CommandLine& whole);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return pi_.dwProcessId; }
    bool Running() const;
    // Waits for the end; returns the exit code, or nothing on time-out.
    std::optional<DWORD> WaitExit(DWORD timeoutMs);
    void Kill();

private:
    void Start(const char* exe, std::string commandLine);

    PROCESS_INFORMATION pi_{};
};

// Polls `condition` every 10 ms until it is true or `timeoutMs` has passed.
template <typename F>
bool WaitUntil(F&& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

// Top-level window of process `pid` with that class (or any class when null) and caption (any when null).
HWND FindTopWindow(DWORD pid, const char* className, const char* caption, bool visibleOnly = false);
HWND WaitForTopWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs, bool visibleOnly = false);

std::vector<HWND> Descendants(HWND parent);
std::string ClassOf(HWND wnd);
// The window text read with WM_GETTEXT, which also works for another process's edit controls.
std::string Text(HWND wnd);
bool IsShown(HWND wnd);     // on screen: itself and all its parents visible
bool OwnVisible(HWND wnd);  // its own WS_VISIBLE flag
HWND ControlById(HWND top, int id);
// The first descendant of that class whose text is `text`.
HWND ControlByText(HWND top, const char* className, const std::string& text);

bool IsChecked(HWND checkBox);
// Clicks a button or check box as the mouse would (posted, so a modal box it opens does not block).
void Click(HWND button);
// Presses and releases a mouse button at (x, y) in the control's client area.
void MouseClick(HWND control, int x, int y, bool right = false);
// Sends a message and waits at most a second for the answer.
LRESULT Send(HWND wnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);

struct MessageBoxInfo {
    HWND wnd = nullptr;
    std::string caption;
    std::string text;
};
// A message box (#32770 dialog) of process `pid`, once one is visible.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs);
void DismissMessageBox(HWND box);

// The program's settings key under HKEY_LOCAL_MACHINE.
constexpr const char* kSettingsKey = "Software\\Belvane\\NocTuro";
void DeleteSettingsKey();
void WriteSetting(const std::string& name, const std::string& value);
std::optional<std::string> ReadSetting(const std::string& name);

}  // namespace e2e
