// How late the countdown's timer delivers its ticks, by the system clock (what a user's watch
// says), with a handler that works 20 ms as the countdown's tick may.
//
//   bench_timer real|plain TICKS [CHECKPOINT...]
//
// "real" is the countdown's timer, "plain" the plain "sleep one interval, then hand over" loop.
// One timer per process: two run side by side as two processes, so that neither handler delays
// the other on a shared user-interface thread. Prints one line per checkpoint (and TICKS):
//   ticks <n> error_ms <e>
// where e is when tick n's handler started minus (enabling + n x 1000 ms).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/ThreadedTimer.h"
#include "framework/Application.h"

using namespace noc;

namespace {

// Milliseconds of the system time, to a tenth of a microsecond.
double SystemMs() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return static_cast<double>(t.QuadPart) / 10000.0;
}

constexpr double kHandlerWorkMs = 20.0;
constexpr double kIntervalMs = 1000.0;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "real") != 0 && std::strcmp(argv[1], "plain") != 0)) {
        std::fprintf(stderr, "usage: bench_timer real|plain TICKS [CHECKPOINT...]\n");
        return 2;
    }
    const bool plain = std::strcmp(argv[1], "plain") == 0;
    const int ticks = std::atoi(argv[2]);
    std::vector<int> checkpoints;
    for (int i = 3; i < argc; ++i)
        if (int c = std::atoi(argv[i]); c > 0 && c < ticks) checkpoints.push_back(c);
    checkpoints.push_back(ticks);

    Application().Initialize();
    TThreadedTimer::SetNaiveLoopForBenchmark(plain);
    TThreadedTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.SetThreadPriority(tpHigher);  // as the countdown's
    int count = 0;
    size_t next = 0;
    double start = 0;
    timer.SetOnTimer(TNotifyEvent([&](TObject*) {
        const double now = SystemMs();
        ++count;
        if (next < checkpoints.size() && count == checkpoints[next]) {
            std::printf("ticks %d error_ms %.1f\n", count, now - (start + kIntervalMs * count));
            std::fflush(stdout);
            ++next;
        }
        while (SystemMs() - now < kHandlerWorkMs) {
        }
    }));
    start = SystemMs();
    timer.SetEnabled(true);
    while (count < ticks) Application().HandleMessage();
    timer.SetEnabled(false);
    return 0;
}
