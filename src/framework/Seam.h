#pragma once
// The few system calls that tests must never make for real go through here: modal message boxes,
// the system's colour and open-file dialogs, beeps and the request to end the Windows session.
// The requests to the notification area pass here too, so that a test can see what reaches the
// shell; a recorder still makes that call. So do the reason given to Windows for a refused log-off
// and its withdrawal, and the opening of the program's registry keys, so that a test can refuse
// the machine's keys as Windows refuses them to a standard user, and the size of the shell's
// small icons. So do the question for a line of text (a clock time to end at) and the clock that
// such a time is counted from, so that a test can answer the one and set the other; and the clock
// that goes on through sleep, with the request that keeps Windows awake, for a countdown's end.
// The program uses the real calls; a test installs a recorder (see SetSystemSeam).
#include <windows.h>
#include <shellapi.h>
#include <commdlg.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace noc {

class SystemSeam {
public:
    virtual ~SystemSeam() = default;
    virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
    virtual void PlayBeep(UINT type);
    virtual BOOL RequestExitWindows(UINT flags, DWORD reason);
    // The other ends of a session: sleep or hibernation (SetSuspendState, found in powrprof.dll at
    // run time; FALSE where it is missing), and whether the computer can (GetPwrCapabilities); and
    // the lock of the workstation.
    virtual BOOL RequestSuspend(bool hibernate);
    virtual bool CanSuspend(bool hibernate);
    virtual BOOL LockSession();
    virtual BOOL NotifyShell(DWORD message, NOTIFYICONDATAA* data);
    // The system's modal colour and open-file dialogs; true when the user confirmed.
    virtual bool ChooseColour(CHOOSECOLORA& request);
    virtual bool ChooseOpenFile(OPENFILENAMEA& request);
    // A menu of these items (identifier, text) for `owner`, at the pointer or at `at` (screen
    // pixels) when given, until the user picks one or goes away; the identifier picked, or 0. The
    // item `defaultItem`, what a click without the menu does, is shown in bold; `checkedItem`, the
    // choice in force, checked.
    virtual UINT ChooseMenuItem(HWND owner, const std::vector<std::pair<UINT, std::string>>& items, UINT defaultItem,
                                const POINT* at, UINT checkedItem = 0);
    // Opens the key at `path` under `root`; with `create`, creates it first when it is missing.
    // Gives the registry's error code; the key is null unless it is ERROR_SUCCESS.
    virtual LONG OpenRegistryKey(HKEY root, const std::string& path, REGSAM access, bool create, HKEY* key);
    // A small modal question for one line of text, over `owner` (InputQuery.h): a caption, a prompt
    // above the field, "OK" and "Annuler". The field starts with `value`; true, with `value` the
    // text typed, when the user confirmed.
    virtual bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value);
    // The clock: now, in whole seconds since 1 January 1601 UTC; and how far the local time is ahead
    // of UTC at such an instant, in seconds, by the time zone's rules for that date (daylight
    // saving time included).
    virtual int64_t UtcSecondsNow();
    virtual int64_t LocalOffsetAt(int64_t utcSeconds);
    // The reason that Windows shows beside the window when it refuses a log-off or shutdown, and its
    // withdrawal. Systems before Vista have neither: nothing happens there and the answer is FALSE.
    virtual BOOL CreateShutdownBlockReason(HWND window, const std::wstring& reason);
    virtual BOOL DestroyShutdownBlockReason(HWND window);
    // The clock that keeps counting while the computer sleeps, in milliseconds from an instant of
    // its own: the interrupt time where the system has it, else the tick count, which counts sleep
    // too. A countdown's end is a moment on it.
    virtual uint64_t WorldMilliseconds();
    // Asks Windows to keep the system (not the display) awake, for `reason`, or lets it sleep again:
    // a power request where the system grants one, else the thread's execution state.
    virtual void StayAwake(bool awake, const std::wstring& reason);
    // The size of the shell's small icons, at the scale of the screen, so that a test can ask for
    // the pictures of another scale.
    virtual int SmallIconSize();
};

// The seam in use; never null. Passing null puts the real calls back.
SystemSeam& Seam();
void SetSystemSeam(SystemSeam* seam);

}  // namespace noc
