// The Windows side of the program benchmarks (scripts/bench.sh drives them from Linux):
//
//   bench_app prepare                 store a consistent set of settings, so that the program starts
//                                     without a warning (and Demarrage "non": the window shows)
//   bench_app startup RUNS EXE CLASS [ARGS]
//                                     start EXE RUNS times (after one warm-up start), each time until
//                                     a visible top-level window of class CLASS of that process
//                                     appears (looked for every 2 ms); prints "startup_ms <median> <min>
//                                     <max> windows <windows of the process when it showed>"
//   bench_app counting TIMEOUT_MS     waits until the program's window exists, hidden, with no
//                                     message box in front of it: the countdown runs
//   bench_app lock | unlock           tells the program's window that the session is locked or
//                                     unlocked, as Windows does (Wine never does)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/Scramble.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Belvane\\NocTuro";
constexpr char kCaption[] = "Extinction de l'ordinateur";

bool Store(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

int Prepare() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "bench_app: cannot create the settings key\n");
        return 1;
    }
    const std::string colour = "clMedGray", chrono = "non", password, passwordOn = "non", atBoot = "non", alert = "non";
    bool ok =
        Store(key, "Couleur", colour) && Store(key, "Jours", "0") && Store(key, "Heures", "0") &&
        Store(key, "Minutes", "0") && Store(key, "Secondes", "0") && Store(key, "Chrono", chrono) &&
        Store(key, "MdPasse", noc::Scramble(password)) && Store(key, "MdPasseOK", passwordOn) &&
        Store(key, "Demarrage", atBoot) && Store(key, "Alerte", alert) &&
        Store(key, "Protection",
              noc::Scramble(noc::IntegrityText(colour, 0, 0, 0, 0, chrono, password, passwordOn, atBoot, alert))) &&
        Store(key, "Son", "Chemin du fichier...") && Store(key, "Delai", "20");
    RegCloseKey(key);
    if (!ok) std::fprintf(stderr, "bench_app: cannot store the settings\n");
    return ok ? 0 : 1;
}

// Calls `f` with each top-level window of process `pid` until it answers false.
template <typename F>
void ForEachTopOf(DWORD pid, F f) {
    struct Walk {
        DWORD pid;
        F& f;
    } walk{pid, f};
    EnumWindows(
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(wnd, &owner);
            return owner != w->pid || w->f(wnd) ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&walk));
}

HWND FindTop(DWORD pid, const char* cls, bool visible) {
    HWND found = nullptr;
    ForEachTopOf(pid, [&](HWND wnd) {
        char name[64] = {};
        GetClassNameA(wnd, name, sizeof(name));
        if (std::strcmp(name, cls) != 0 || (visible && !IsWindowVisible(wnd))) return true;
        found = wnd;
        return false;
    });
    return found;
}

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Every window the process has made, top-level and child: each costs requests to the server.
int WindowsOf(DWORD pid) {
    int windows = 0;
    ForEachTopOf(pid, [&](HWND wnd) {
        ++windows;
        EnumChildWindows(
            wnd,
            [](HWND, LPARAM lp) -> BOOL {
                ++*reinterpret_cast<int*>(lp);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        return true;
    });
    return windows;
}

int g_windows = 0;  // of the last start, once its window showed

// Milliseconds from the start request to the window on screen; negative when it never came.
double OneStart(const std::string& exe, const char* cls, const std::string& args) {
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double t0 = NowMs();
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    // A look by class is one request to the server; listing every window each millisecond would
    // load the server that the starting program needs, and slow the program more than a window
    // program that asks the server less.
    auto visible = [&] {
        for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == pi.dwProcessId && IsWindowVisible(w)) return true;
        }
        return false;
    };
    double shown = -1;
    while (NowMs() - t0 < 20000) {
        if (visible()) {
            shown = NowMs() - t0;
            g_windows = WindowsOf(pi.dwProcessId);
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 2) == WAIT_OBJECT_0) break;
    }
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

int Startup(int runs, const std::string& exe, const char* cls, const std::string& args) {
    if (OneStart(exe, cls, args) < 0) {  // warm-up: the server and the libraries in the page cache
        std::fprintf(stderr, "bench_app: %s never showed a %s window\n", exe.c_str(), cls);
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double t = OneStart(exe, cls, args);
        if (t < 0) {
            std::fprintf(stderr, "bench_app: start %d of %s never showed its window\n", i + 1, exe.c_str());
            return 1;
        }
        times.push_back(t);
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("startup_ms %.1f %.1f %.1f windows %d\n", median, times.front(), times.back(), g_windows);
    return 0;
}

int Counting(DWORD timeoutMs) {
    const double t0 = NowMs();
    while (NowMs() - t0 < timeoutMs) {
        HWND form = FindWindowA("TForm2", kCaption);
        if (form && !IsWindowVisible(form)) {
            Sleep(1000);  // a warning of the set-up would be up by now
            DWORD pid = 0;
            GetWindowThreadProcessId(form, &pid);
            if (FindTop(pid, "#32770", true)) {
                std::fprintf(stderr, "bench_app: the program shows a message box instead of counting\n");
                return 1;
            }
            return 0;
        }
        Sleep(20);
    }
    std::fprintf(stderr, "bench_app: the program's hidden window never came\n");
    return 1;
}

int Session(WPARAM change) {
    HWND form = FindWindowA("TForm2", kCaption);
    if (!form) {
        std::fprintf(stderr, "bench_app: no program window to tell\n");
        return 1;
    }
    SendMessageA(form, WM_WTSSESSION_CHANGE, change, 1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "prepare") return Prepare();
    if (cmd == "startup" && argc >= 5) {
        std::string args;
        for (int i = 5; i < argc; ++i) args += (args.empty() ? "" : " ") + std::string(argv[i]);
        return Startup(std::atoi(argv[2]), argv[3], argv[4], args);
    }
    if (cmd == "counting" && argc >= 3) return Counting(static_cast<DWORD>(std::atoi(argv[2])));
    if (cmd == "lock" || cmd == "unlock") return Session(cmd == "lock" ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK);
    std::fprintf(stderr, "usage: bench_app prepare | startup RUNS EXE CLASS [ARGS] | counting TIMEOUT_MS | lock | unlock\n");
    return 2;
}
