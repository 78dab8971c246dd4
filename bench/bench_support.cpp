#include "bench_support.h"

#include "core/loop.h"
#include "core/timers.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void bench_enter_empty_directory()
{
    static bool done = false;
    if (done)
        return;
    char dir[] = "/tmp/orvane-benchXXXXXX";
    if (mkdtemp(dir) && chdir(dir) == 0)
        done = true;
    else
        std::perror("orvane_bench: temporary directory");
}

void bench_count_frames(benchmark::State &state, long frames)
{
    double emulated = static_cast<double>(frames) * ORV_CYCLES_PER_FRAME / VELD_CYCLES_PER_SECOND;
    state.counters["emulated_s"] = benchmark::Counter(emulated, benchmark::Counter::kIsRate);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
