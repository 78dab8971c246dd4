#include "bench_support.h"

#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void bench_clean_machine(uint16_t address, const uint8_t *program, size_t size, uint16_t reset_vector,
                         uint16_t int2_vector)
{
    bench_enter_empty_directory();
    orv_clear_globals();
    uint8_t *memory = address >= 0xF800 ? rom_7020 + (address - 0xF800) : ram_2k + (address - 0xC000);
    std::memcpy(memory, program, size);
    rom_7020[0x7FA] = int2_vector >> 8;
    rom_7020[0x7FB] = int2_vector & 0xFF;
    rom_7020[0x7FE] = reset_vector >> 8;
    rom_7020[0x7FF] = reset_vector & 0xFF;
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

long bench_run_frames(benchmark::State &state)
{
    long frames = 0;
    for (auto _ : state) {
        orv_loop(0xFFFF);
        frames++;
    }
    return frames;
}

void bench_fill_text_page()
{
    tms3556.vdp_regs16[VDP_BAPA - 8] = 0x0000;
    for (int g = 0; g < 4; g++)
        tms3556.vdp_regs16[VDP_BAGC0 - 8 + g] = static_cast<uint16_t>(0x4000 + 0x800 * g);
    for (unsigned a = 0x4000; a < 0x6000; a++)
        tms3556.vram[a] = static_cast<uint8_t>(a * 37 >> 3);
    for (unsigned i = 0; i < 25 * 40; i++) {
        tms3556.vram[2 * i] = static_cast<uint8_t>(i * 29);
        tms3556.vram[2 * i + 1] = static_cast<uint8_t>(i % 7 == 0 ? 0x20 : 0x21 + i % 90 + (i % 11 == 0 ? 0x80 : 0));
    }
    tms3556.vdp_regs8[VDP_CM4] = 0x20;
    tms3556.vdp_regs8[VDP_CM3] = 0x40;
}

void bench_fill_bitmap_page()
{
    for (unsigned a = 0; a < 0x8000; a++)
        tms3556.vram[a] = static_cast<uint8_t>(a * 131 >> 2);
    tms3556.vdp_regs8[VDP_CM3] = 0x80;
}
