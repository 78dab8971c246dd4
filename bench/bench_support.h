// Helpers shared by the benchmark cases.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

// Machine programs of the benchmarks run from a clean machine with tracing
// left off (no debug.lst is read: the benchmarks run in an empty directory).
void bench_enter_empty_directory();

// A clean machine (every core global at its start value, in an empty
// directory) with `size` bytes of program at `address` (in RAM at 0xC000 or
// the internal ROM at 0xF800) and the reset and INT2 vectors set. The
// caller then powers it on.
void bench_clean_machine(uint16_t address, const uint8_t *program, size_t size, uint16_t reset_vector,
                         uint16_t int2_vector);

// Records `cycles` emulated processor cycles as emulated seconds per real
// second. A case whose machine wrote trace lines is reported as an error: its
// figure would measure the logging, not the emulation.
void bench_count_cycles(benchmark::State &state, double cycles);

// The same for `frames` whole frames.
void bench_count_frames(benchmark::State &state, long frames);

// One whole frame of the frame loop per iteration; returns how many ran.
long bench_run_frames(benchmark::State &state);

// A busy text page (every cell a character with varied attributes: both
// colour rules, spaces, double width and height, flashing; generators
// filled), or a bitmap page of varied dots, and the mode to show it.
void bench_fill_text_page();
void bench_fill_bitmap_page();
