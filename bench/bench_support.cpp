#include "bench_support.h"

#include "core/loop.h"
#include "core/timers.h"
#include "core/trace.h"

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

void bench_count_cycles(benchmark::State &state, double cycles)
{
    if (trace_log_size != 0) {
        state.SkipWithError("the emulated program wrote trace lines");
        return;
    }
    state.counters["emulated_s"] = benchmark::Counter(cycles / VELD_CYCLES_PER_SECOND, benchmark::Counter::kIsRate);
}

void bench_count_frames(benchmark::State &state, long frames)
{
    bench_count_cycles(state, static_cast<double>(frames) * ORV_CYCLES_PER_FRAME);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
