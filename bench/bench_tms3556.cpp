// Picture drawing speed: the whole 320 x 250 picture is drawn every frame,
// so this is a fixed cost of every emulated frame.
#include "bench_support.h"

#include "core/loop.h"
#include "core/machine.h"
#include "core/trace.h"
#include "core/memory.h"
#include "core/tms3556.h"

namespace {

void count_pictures(benchmark::State &state)
{
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RedrawText(benchmark::State &state)
{
    bench_enter_empty_directory();
    orv_clear_globals();
    tms3556_init(0);
    bench_fill_text_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(tms3556_redraw());
    count_pictures(state);
}
BENCHMARK(BM_RedrawText);

void BM_RedrawBitmap(benchmark::State &state)
{
    bench_enter_empty_directory();
    orv_clear_globals();
    tms3556_init(0);
    bench_fill_bitmap_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(tms3556_redraw());
    count_pictures(state);
}
BENCHMARK(BM_RedrawBitmap);

// What a program does after each frame to show it at twice the size.
void BM_Scale2x(benchmark::State &state)
{
    static uint32_t out[500][640];
    for (auto _ : state) {
        tms3556_to_rgb32(tms3556_screen, &out[0][0], 640, 2);
        benchmark::DoNotOptimize(out);
    }
    count_pictures(state);
}
BENCHMARK(BM_Scale2x);

// Whole frames with the picture drawn every frame, the speech clock and the
// I/O processor's timers running, and the program storing a byte in video
// RAM through the data port on every second instruction.
void run_frames(benchmark::State &state, bool bitmap)
{
    // clang-format off
    const uint8_t program[] = {
        /* F800 */ 0xA2, 0x55, 0x2E,  // MOVP #55,P46
        /* F803 */ 0xE0, 0xFB,        // JMP F800
    };
    // clang-format on
    bench_clean_machine(0xF800, program, sizeof program, 0xF800, 0xF800);
    orv_cold_start();
    clear_log_str();  // the reset lines; the run itself must write none
    if (bitmap)
        bench_fill_bitmap_page();
    else
        bench_fill_text_page();
    // The stores go round 0x6000-0x6FFF, away from the page and generators.
    tms3556.vdp_regs16[VDP_BAMP - 8] = 0x6000;
    tms3556.vdp_regs16[VDP_BAMTF - 8] = 0x7000;
    tms3556.vdp_acmpxy = 0x6000;
    const long frames = bench_run_frames(state);
    bench_count_frames(state, frames);
}

void BM_frames_text_mode(benchmark::State &state) { run_frames(state, false); }
BENCHMARK(BM_frames_text_mode)->Unit(benchmark::kMicrosecond);

void BM_frames_bitmap_mode(benchmark::State &state) { run_frames(state, true); }
BENCHMARK(BM_frames_bitmap_mode)->Unit(benchmark::kMicrosecond);

} // namespace
