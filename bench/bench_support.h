// Helpers shared by the benchmark cases.
#pragma once

#include <benchmark/benchmark.h>

// Machine programs of the benchmarks run from a clean machine with tracing
// left off (no debug.lst is read: the benchmarks run in an empty directory).
void bench_enter_empty_directory();

// Records `frames` emulated frames as emulated seconds per real second.
void bench_count_frames(benchmark::State &state, long frames);
