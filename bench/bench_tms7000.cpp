// The processor alone, with timer 1 counting and its interrupt served:
// register arithmetic, memory, peripheral writes, calls and jumps. Run one
// instruction per call, as the debugger's step runs it, and in slices, as
// the frame loop runs it.
#include "bench_support.h"

#include "core/loop.h"
#include "core/machine.h"
#include "core/trace.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms7000.h"

#include <cstring>

namespace {

// clang-format off
const uint8_t loop_program[] = {
    /* C000 */ 0xA2, 0x10, 0x02,        // MOVP #10,P2
    /* C003 */ 0xA2, 0x81, 0x03,        // MOVP #81,P3      timer 1 running
    /* C006 */ 0xA2, 0x04, 0x00,        // MOVP #04,P0      INT2 enable
    /* C009 */ 0x05,                    // EINT
    /* C00A */ 0x72, 0x20, 0x05,        // MOV #20,R5
    /* C00D */ 0x12, 0x05,              // MOV R5,A
    /* C00F */ 0x48, 0x05, 0x06,        // ADD R5,R6
    /* C012 */ 0x8B, 0xC4, 0x00,        // STA @C400
    /* C015 */ 0x8E, 0xC0, 0x30,        // CALL C030
    /* C018 */ 0xB3,                    // INC A
    /* C019 */ 0x27, 0x01, 0x00,        // BTJZ #01,A,+0
    /* C01C */ 0xDA, 0x05, 0xEE,        // DJNZ R5,C00D
    /* C01F */ 0xE0, 0xE9,              // JMP C00A
};
const uint8_t loop_subroutine[] = {
    /* C030 */ 0xD8, 0x06,              // PUSH R6
    /* C032 */ 0x82, 0x06,              // MOVP A,P6
    /* C034 */ 0xD9, 0x06,              // POP R6
    /* C036 */ 0x0A,                    // RETS
    /* C037 */ 0xD3, 0x0A,              // INC R10   (timer interrupt)
    /* C039 */ 0x0B,                    // RETI
};
// clang-format on

void BM_cpu_execute(benchmark::State &state)
{
    bench_clean_machine(0xC000, loop_program, sizeof loop_program, 0xC000, 0xC037);
    std::memcpy(ram_2k + 0x30, loop_subroutine, sizeof loop_subroutine);
    tms7000_reset(nullptr);
    clear_log_str();  // the reset lines; the run itself must write none
    long cycles = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10000; i++)
            cycles += tms7000_orv_execute(1);
    }
    bench_count_cycles(state, static_cast<double>(cycles));
}
BENCHMARK(BM_cpu_execute)->Unit(benchmark::kMicrosecond);

// The same program as the frame loop runs it: whole frames, the processor
// in slices up to the end of the frame; no event timer is armed and the
// picture is not drawn. The peripheral write goes to timer 1's reload
// register instead of port B, whose edges would wake the I/O processor.
int no_picture() { return 0; }

void BM_cpu_slices(benchmark::State &state)
{
    bench_clean_machine(0xC000, loop_program, sizeof loop_program, 0xC000, 0xC037);
    std::memcpy(ram_2k + 0x30, loop_subroutine, sizeof loop_subroutine);
    ram_2k[0x33] = 0x02;  // MOVP A,P2
    tms7000_reset(nullptr);
    clear_log_str();
    orv_host.picture_wanted = no_picture;
    const long frames = bench_run_frames(state);
    orv_host.picture_wanted = nullptr;
    if (g_timer_num != 0)
        state.SkipWithError("an event timer was armed");
    bench_count_frames(state, frames);
}
BENCHMARK(BM_cpu_slices)->Unit(benchmark::kMicrosecond);

} // namespace
