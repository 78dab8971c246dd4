// Helpers shared by the benchmark cases.
#pragma once

#include <benchmark/benchmark.h>

// Machine programs of the benchmarks run from a clean machine with tracing
// left off (no debug.lst is read: the benchmarks run in an empty directory).
void bench_enter_empty_directory();

// Records `cycles` emulated processor cycles as emulated seconds per real
// second. A case whose machine wrote trace lines is reported as an error: its
// figure would measure the logging, not the emulation.
void bench_count_cycles(benchmark::State &state, double cycles);

// The same for `frames` whole frames.
void bench_count_frames(benchmark::State &state, long frames);
