// Whole frames of a busy instruction mix: register, memory and peripheral
// accesses, multiplies, calls and a timer-1 interrupt, with the event timers:
// the I/O processor's idle cycle and the 8000 Hz speech clock; the picture
// blank, or a busy text or bitmap page drawn every frame.
#include "bench_support.h"

#include "core/debug_engine.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/tms5220.h"
#include "core/trace.h"

#include <cstdio>
#include <cstring>

namespace {

// clang-format off
const uint8_t busy_program[] = {
    /* F800 */ 0x52, 0x60,              // MOV #60,B
    /* F802 */ 0x0D,                    // LDSP             stack clear of R4:R5
    /* F803 */ 0xA2, 0xFF, 0x02,        // MOVP #FF,P2
    /* F806 */ 0xA2, 0x83, 0x03,        // MOVP #83,P3      timer 1: 16 x 4 x 256 cycles
    /* F809 */ 0xA2, 0x04, 0x00,        // MOVP #04,P0      INT2 enable
    /* F80C */ 0x05,                    // EINT
    /* F80D */ 0x88, 0xC0, 0x00, 0x05,  // MOVD #C000,R5
    /* F811 */ 0x9B, 0x05,              // STA *R5
    /* F813 */ 0x9A, 0x05,              // LDA *R5
    /* F815 */ 0xD3, 0x05,              // INC R5
    /* F817 */ 0x68,                    // ADD B,A
    /* F818 */ 0x3C, 0x05,              // MPY R5,B
    /* F81A */ 0xA2, 0x08, 0x06,        // MOVP #08,P6
    /* F81D */ 0x8E, 0xF8, 0x30,        // CALL F830
    /* F820 */ 0x45, 0x05, 0x07,        // XOR R5,R7
    /* F823 */ 0xDA, 0x06, 0xEB,        // DJNZ R6,F811
    /* F826 */ 0xE0, 0xE9,              // JMP F811
};
const uint8_t busy_subroutine[] = {
    /* F830 */ 0xD8, 0x05,              // PUSH R5
    /* F832 */ 0x12, 0x07,              // MOV R7,A
    /* F834 */ 0xD9, 0x05,              // POP R5
    /* F836 */ 0x0A,                    // RETS
    /* F837 */ 0xD3, 0x0A,              // INC R10   (timer interrupt)
    /* F839 */ 0x0B,                    // RETI
};
// clang-format on

// Plays the firmware's side of the power-on greeting, so that the I/O
// processor sits in its ready/poll cycle while the busy program runs (the
// program's port B writes leave both handshake lines low).
void greet_io_processor()
{
    io_write_byte_8(1, 0x01);
    for (int i = 0; i < 1000 && cur_state != IO_STATE_INIT2; i++) {
        veld_timer_update_clock({0, 1});
        veld_check_timers();
    }
    io_write_byte_8(1, 0x03);
    io_write_byte_8(1, 0x01);
    io_write_byte_8(1, 0x00);
    if (cur_state != IO_STATE_READY)
        std::fprintf(stderr, "orvane_bench: the I/O processor did not reach ready\n");
}

void boot_busy_machine()
{
    bench_clean_machine(0xF800, busy_program, sizeof busy_program, 0xF800, 0xF837);
    std::memcpy(rom_7020 + 0x30, busy_subroutine, sizeof busy_subroutine);
    orv_cold_start();
    greet_io_processor();
    clear_log_str();  // the reset lines; the run itself must write none
}

// The speech clock's blocks of one-bit sound, 200 samples each.
long sound_blocks;
void count_block(const unsigned char *, int) { sound_blocks++; }

void run_busy_frames(benchmark::State &state, int cm3)
{
    boot_busy_machine();
    if (cm3 == 0x40)
        bench_fill_text_page();
    else if (cm3 == 0x80)
        bench_fill_bitmap_page();
    sound_blocks = 0;
    orv_host.sound_block = count_block;
    const long frames = bench_run_frames(state);
    orv_host.sound_block = nullptr;
    if (cur_state != IO_STATE_READY && cur_state != IO_STATE_POLL)
        state.SkipWithError("the I/O processor left its idle cycle");
    bench_count_frames(state, frames);
    // Samples made per emulated second: the speech clock's rate.
    double seconds = static_cast<double>(frames) * ORV_CYCLES_PER_FRAME / VELD_CYCLES_PER_SECOND;
    if (seconds > 0)
        state.counters["speech_hz"] = static_cast<double>(sound_blocks * TMS5220_BLOCK_SAMPLES) / seconds;
}

void BM_cpu_frames(benchmark::State &state) { run_busy_frames(state, 0x00); }
BENCHMARK(BM_cpu_frames)->Unit(benchmark::kMicrosecond);

void BM_cpu_frames_text_mode(benchmark::State &state) { run_busy_frames(state, 0x40); }
BENCHMARK(BM_cpu_frames_text_mode)->Unit(benchmark::kMicrosecond);

void BM_cpu_frames_bitmap_mode(benchmark::State &state) { run_busy_frames(state, 0x80); }
BENCHMARK(BM_cpu_frames_bitmap_mode)->Unit(benchmark::kMicrosecond);

// The same blank-picture frames with four breakpoints set, none of which
// stops: two where the program never goes, two on its loop with a condition
// that never holds, tested each time. The machine then runs on the
// reference path.
void BM_cpu_frames_breakpoints(benchmark::State &state)
{
    boot_busy_machine();
    std::string why;
    for (const char *address : {"7000", "F900"})
        orv_break_add(address, "", 0, why);
    orv_break_add("F811", "PC == 0", 0, why);
    orv_break_add("F830", "[C7FF] == 0x5A", 0, why);
    if (orv_breakpoints().size() != 4)
        state.SkipWithError("the breakpoints were not set");
    const long frames = bench_run_frames(state);
    if (orv_debug_last_stop().serial != 0)
        state.SkipWithError("a breakpoint stopped the run");
    orv_break_clear();
    bench_count_frames(state, frames);
}
BENCHMARK(BM_cpu_frames_breakpoints)->Unit(benchmark::kMicrosecond);

} // namespace
