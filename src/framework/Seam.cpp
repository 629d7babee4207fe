#include "framework/Seam.h"

#include <map>

#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/InputQuery.h"
#include "framework/SystemFunctions.h"

namespace noc {

int SystemSeam::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void SystemSeam::PlayBeep(UINT type) { MessageBeep(type); }

BOOL SystemSeam::RequestExitWindows(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason); }

namespace {

// A function of powrprof.dll, loaded on first use and kept for the program's life; null where it
// is missing, with the reason as the last error.
FARPROC PowerProc(const char* name) {
    static const HMODULE module = LoadLibraryA("powrprof.dll");
    return module ? GetProcAddress(module, name) : nullptr;
}
template <typename Function>
Function PowerFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(PowerProc(name)));
}

}  // namespace

BOOL SystemSeam::RequestSuspend(bool hibernate) {
    using Suspend = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);
    const Suspend suspend = PowerFunction<Suspend>("SetSuspendState");
    return suspend && suspend(hibernate, FALSE, FALSE);
}

bool SystemSeam::CanSuspend(bool hibernate) {
    using Capabilities = BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES);
    const Capabilities capabilities = PowerFunction<Capabilities>("GetPwrCapabilities");
    SYSTEM_POWER_CAPABILITIES caps{};
    if (!capabilities || !capabilities(&caps)) return false;
    return hibernate ? caps.SystemS4 && caps.HiberFilePresent : caps.SystemS1 || caps.SystemS2 || caps.SystemS3;
}

BOOL SystemSeam::LockSession() { return LockWorkStation(); }

bool SystemSeam::ChooseColour(CHOOSECOLORA& request) { return ChooseColorA(&request) != FALSE; }

bool SystemSeam::ChooseOpenFile(OPENFILENAMEA& request) { return GetOpenFileNameA(&request) != FALSE; }

UINT SystemSeam::ChooseMenuItem(HWND owner, const std::vector<std::pair<UINT, std::string>>& items, UINT defaultItem,
                                const POINT* place, UINT checkedItem) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    for (const auto& [id, text] : items)
        AppendMenuA(menu, MF_STRING | (id == checkedItem ? MF_CHECKED : 0), id, text.c_str());
    SetMenuDefaultItem(menu, defaultItem, FALSE);
    POINT at{};
    if (place)
        at = *place;
    else
        GetCursorPos(&at);
    // A menu of a notification-area icon: its owner must be in front, or the menu stays up when
    // the user clicks elsewhere; the message afterwards lets it close properly.
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return chosen;
}

LONG SystemSeam::OpenRegistryKey(HKEY root, const std::string& path, REGSAM access, bool create, HKEY* key) {
    *key = nullptr;
    LONG rc = ERROR_SUCCESS;
    if (create)
        rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr);
    else
        rc = RegOpenKeyExA(root, path.c_str(), 0, access, key);
    if (rc != ERROR_SUCCESS) *key = nullptr;
    return rc;
}

bool SystemSeam::InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value) {
    return RunInputQuery(owner, caption, prompt, value);
}

namespace {

constexpr int64_t kFileTimeUnitsPerSecond = 10000000;

int64_t FileTimeValue(const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t value) {
    const auto v = static_cast<uint64_t>(value);
    return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

}  // namespace

int64_t SystemSeam::UtcSecondsNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now) / kFileTimeUnitsPerSecond;
}

int64_t SystemSeam::LocalOffsetAt(int64_t utcSeconds) {
    const FILETIME utc = FileTimeOf(utcSeconds * kFileTimeUnitsPerSecond);
    SYSTEMTIME utcParts{}, localParts{};
    FILETIME local{};
    // The zone's rules for that date; should they fail, the offset that holds now.
    if (FileTimeToSystemTime(&utc, &utcParts) && SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts) &&
        SystemTimeToFileTime(&localParts, &local))
        return (FileTimeValue(local) - FileTimeValue(utc)) / kFileTimeUnitsPerSecond;
    if (FileTimeToLocalFileTime(&utc, &local))
        return (FileTimeValue(local) - FileTimeValue(utc)) / kFileTimeUnitsPerSecond;
    return 0;
}

namespace {

// What the shell shows for a record: the icon's picture and the tooltip.
uint64_t LookOf(const NOTIFYICONDATAA& d) {
    uint64_t h = IconLook(d.hIcon) ^ 0xCBF29CE484222325ull;
    for (size_t i = 0; i < sizeof(d.szTip) && d.szTip[i]; ++i)
        h = (h ^ static_cast<unsigned char>(d.szTip[i])) * 0x100000001B3ull;
    return h;
}

}  // namespace

BOOL SystemSeam::NotifyShell(DWORD message, NOTIFYICONDATAA* data) {
    // A refresh that would show what the shell already shows is not sent: the tray redraws the icon
    // for each, and the animation repeats pictures, the time icons their digits. A notice always goes.
    static std::map<std::pair<HWND, UINT>, uint64_t> shown;  // the icons the shell holds, as it shows them
    const auto key = std::make_pair(data->hWnd, data->uID);
    const auto held = shown.find(key);
    const bool plainRefresh = message == NIM_MODIFY && !(data->uFlags & NIF_INFO);
    if (plainRefresh && held == shown.end()) return FALSE;  // not there: the shell would refuse it
    const uint64_t look = message == NIM_SETVERSION || message == NIM_DELETE ? 0 : LookOf(*data);
    if (plainRefresh && held->second == look) return TRUE;
    const BOOL taken = Shell_NotifyIconA(message, data);
    if (message == NIM_DELETE)
        shown.erase(key);
    else if (taken && message != NIM_SETVERSION)
        shown[key] = look;
    else if (!taken && held != shown.end())
        held->second = 0;  // what it shows now is not known: the next refresh goes
    return taken;
}

BOOL SystemSeam::CreateShutdownBlockReason(HWND window, const std::wstring& reason) {
    using Create = BOOL(WINAPI*)(HWND, LPCWSTR);
    static const Create create = User32Function<Create>("ShutdownBlockReasonCreate");
    return create ? create(window, reason.c_str()) : FALSE;
}

BOOL SystemSeam::DestroyShutdownBlockReason(HWND window) {
    using Destroy = BOOL(WINAPI*)(HWND);
    static const Destroy destroy = User32Function<Destroy>("ShutdownBlockReasonDestroy");
    return destroy ? destroy(window) : FALSE;
}

namespace {

// A function of kernel32 that older Windows lacks, found at run time; null where missing.
template <typename Function>
Function KernelFunction(const char* name) {
    for (const char* module : {"kernelbase.dll", "kernel32.dll"})
        if (const HMODULE m = GetModuleHandleA(module))
            if (FARPROC proc = GetProcAddress(m, name))
                return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
    return nullptr;
}

// The power request that keeps the system awake, while one is made.
UniqueKernelHandle g_powerRequest;

}  // namespace

uint64_t SystemSeam::WorldMilliseconds() {
    using Query = VOID(WINAPI*)(PULONGLONG);
    static const Query query = [] {
        const Query precise = KernelFunction<Query>("QueryInterruptTimePrecise");
        return precise ? precise : KernelFunction<Query>("QueryInterruptTime");
    }();
    if (!query) return GetTickCount64();
    ULONGLONG units = 0;  // 100 ns
    query(&units);
    return units / 10000;
}

void SystemSeam::StayAwake(bool awake, const std::wstring& reason) {
    using Create = HANDLE(WINAPI*)(PREASON_CONTEXT);
    using Request = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);
    static const Create create = KernelFunction<Create>("PowerCreateRequest");
    static const Request set = KernelFunction<Request>("PowerSetRequest");
    static const Request clear = KernelFunction<Request>("PowerClearRequest");
    // A request carries its reason from its creation: a new end, a new request.
    if (g_powerRequest && clear) clear(g_powerRequest.get(), PowerRequestSystemRequired);
    g_powerRequest.reset();
    if (!awake) {
        SetThreadExecutionState(ES_CONTINUOUS);
        return;
    }
    if (create && set) {
        std::wstring text = reason;
        REASON_CONTEXT context{};
        context.Version = POWER_REQUEST_CONTEXT_VERSION;
        context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
        context.Reason.SimpleReasonString = text.data();
        g_powerRequest.reset(create(&context));  // INVALID_HANDLE_VALUE where refused (Wine)
        if (g_powerRequest && set(g_powerRequest.get(), PowerRequestSystemRequired)) return;
        g_powerRequest.reset();
    }
    // Wine and older systems: the thread's state, kept until it is changed again.
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

int SystemSeam::SmallIconSize() {
    // A program unaware of the scale is told 16 pixels whatever it is, while the shell shows its
    // icons at the real size: the thread is made aware of it for the question (Windows 10 1607 on).
    using Context = HANDLE;
    using SetContext = Context(WINAPI*)(Context);
    using ForDpi = int(WINAPI*)(int, UINT);
    using SystemDpi = UINT(WINAPI*)();
    static const SetContext setContext = User32Function<SetContext>("SetThreadDpiAwarenessContext");
    static const ForDpi forDpi = User32Function<ForDpi>("GetSystemMetricsForDpi");
    using WindowDpi = UINT(WINAPI*)(HWND);
    static const SystemDpi systemDpi = User32Function<SystemDpi>("GetDpiForSystem");
    static const WindowDpi windowDpi = User32Function<WindowDpi>("GetDpiForWindow");
    if (!setContext || !forDpi || !systemDpi || !windowDpi) return GetSystemMetrics(SM_CXSMICON);
    const Context perMonitorV2 = reinterpret_cast<Context>(static_cast<INT_PTR>(-4));
    const Context perMonitor = reinterpret_cast<Context>(static_cast<INT_PTR>(-3));
    Context before = setContext(perMonitorV2);
    if (!before) before = setContext(perMonitor);  // before the second version
    // The taskbar's own scale: a new one applies there at once, the system's only at the next log-on.
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    UINT dpi = taskbar ? windowDpi(taskbar) : 0;
    if (!dpi) dpi = systemDpi();
    if (before) setContext(before);
    return forDpi(SM_CXSMICON, dpi);
}

namespace {
SystemSeam g_realSeam;
SystemSeam* g_seam = &g_realSeam;
}  // namespace

SystemSeam& Seam() { return *g_seam; }
void SetSystemSeam(SystemSeam* seam) { g_seam = seam ? seam : &g_realSeam; }

}  // namespace noc
