// How late the countdown's timer delivers its ticks: the real timer against a plain
// "sleep one interval, then hand over" loop, each with a handler that works 20 ms.
#include <windows.h>

#include <cstdio>

#include "controls/ThreadedTimer.h"
#include "framework/Application.h"

using namespace noc;

namespace {

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Milliseconds by which tick `ticks` arrives after enabling + ticks x interval.
double EndError(bool plainLoop, int ticks) {
    TThreadedTimer::SetNaiveLoopForBenchmark(plainLoop);
    TThreadedTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.SetThreadPriority(tpHigher);
    int count = 0;
    double last = 0;
    timer.SetOnTimer(TNotifyEvent([&](TObject*) {
        last = NowMs();
        ++count;
        while (NowMs() - last < 20.0) {
        }
    }));
    const double start = NowMs();
    timer.SetEnabled(true);
    while (count < ticks) {
        Application().HandleMessage();
    }
    timer.SetEnabled(false);
    return last - (start + 1000.0 * ticks);
}

}  // namespace

int main() {
    Application().Initialize();
    std::printf("ticks of 1000 ms, handler 20 ms   end-time error (ms)\n");
    std::printf("%6s %18s %18s\n", "ticks", "deadline timer", "plain sleep loop");
    for (int ticks : {10, 60}) {
        double scheduled = EndError(false, ticks);
        double plain = EndError(true, ticks);
        std::printf("%6d %18.1f %18.1f\n", ticks, scheduled, plain);
        std::fflush(stdout);
    }
    return 0;
}
