// TMS7020 instruction set: one handler per opcode and the opcode table
// (the handlers themselves are in tms7000_handlers.inc, compiled here twice),
// and the frame loop's slice runner.
//
// Each handler reads its operands at pc, works through the program bus (A is
// register 0, B register 1, Pn is bus address 0x100 + n), sets the status
// flags and charges its own cycles. Handlers that write the peripheral file
// set their flags after the write: a write there can start an interrupt in
// the middle of the instruction, and the flags then land in the interrupt
// routine's fresh status register.
#include "tms7000_ops.h"

#include "loop.h"
#include "slice.h"
#include "trace.h"

namespace {

trace_fn tf_illegal = {"illegal()", 0};
trace_fn tf_idle = {"idle()", 0};
trace_fn tf_bcd_add = {"bcd_add()", 0};
trace_fn tf_bcd_sub = {"bcd_sub()", 0};
trace_fn tf_decd_a = {"decd_a()", 0};

constexpr uint16_t A = 0;
constexpr uint16_t B = 1;
constexpr uint16_t PF = 0x100;

tms7000_state &c = tms7000;

// ---- Status flags -------------------------------------------------------

// N and Z of each byte value.
constexpr struct nz_table {
    uint8_t flags[256];
    constexpr nz_table() : flags{}
    {
        for (int v = 0; v < 256; v++)
            flags[v] = static_cast<uint8_t>((v & 0x80 ? SR_N : 0) | (v ? 0 : SR_Z));
    }
} nz_of;

} // namespace

// Each digit is corrected once only, so digits above 9 in the operands give
// results outside decimal.
uint16_t bcd_add(uint16_t d, uint16_t s, uint16_t cy)
{
    trace_fn &tf = tf_bcd_add;
    trace_enter(tf);
    int lo = (d & 0x0F) + (s & 0x0F) + cy;
    int hi = ((d >> 4) & 0x0F) + ((s >> 4) & 0x0F) + (lo > 9 ? 1 : 0);
    if (lo >= 10)
        lo -= 10;
    int out = 0;
    if (hi > 9) {
        hi -= 10;
        out = 1;
    }
    uint16_t r = static_cast<uint16_t>((out * 256 + hi * 16 + lo) & 0x1FF);
    TRACE(tf, "called %x %x %x = %x", d, s, cy, r);
    return r;
}

// The counterpart of bcd_add, digit by digit. The carry in and bit 8 out
// both mean "no borrow", as for SUB and SBB.
uint16_t bcd_sub(uint16_t d, uint16_t s, uint16_t cy)
{
    trace_fn &tf = tf_bcd_sub;
    trace_enter(tf);
    TRACE_ALWAYS(tf, "called %x %x %x", d, s, cy);
    int lo = (d & 0x0F) - (s & 0x0F) - (cy ? 0 : 1);
    int hi = ((d >> 4) & 0x0F) - ((s >> 4) & 0x0F) - (lo < 0 ? 1 : 0);
    if (lo < 0)
        lo += 10;
    int no_borrow = 1;
    if (hi < 0) {
        hi += 10;
        no_borrow = 0;
    }
    return static_cast<uint16_t>(static_cast<unsigned>(no_borrow * 256 + hi * 16 + lo) & 0x1FF);
}

// With the address sanitizer on, inlining every handler into the slice
// runner takes the compilers minutes: those builds call the handlers.
#if defined(__SANITIZE_ADDRESS__)
#define TMS7000_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TMS7000_SANITIZED
#endif
#endif

// The handlers as the single step runs them, and as slices run them.
namespace {
namespace tms7000_step_ops {
constexpr bool in_slice = false;
#include "tms7000_handlers.inc"
} // namespace tms7000_step_ops

namespace tms7000_slice_ops {
constexpr bool in_slice = true;
#include "tms7000_handlers.inc"
} // namespace tms7000_slice_ops
} // namespace

const tms7000_opfn (&opfn_orv)[256] = tms7000_step_ops::table;

// The frame loop's slice, dispatched as threaded code: every handler is
// inlined here and followed by its own copy of the step to the next
// instruction, so that each has its own indirect jump and the processor's
// branch prediction learns which opcode tends to follow which.
// clang-format off
#define TMS7000_ROW(h) X(h##0) X(h##1) X(h##2) X(h##3) X(h##4) X(h##5) X(h##6) X(h##7) \
                       X(h##8) X(h##9) X(h##A) X(h##B) X(h##C) X(h##D) X(h##E) X(h##F)
#define TMS7000_ALL TMS7000_ROW(0) TMS7000_ROW(1) TMS7000_ROW(2) TMS7000_ROW(3) \
                    TMS7000_ROW(4) TMS7000_ROW(5) TMS7000_ROW(6) TMS7000_ROW(7) \
                    TMS7000_ROW(8) TMS7000_ROW(9) TMS7000_ROW(A) TMS7000_ROW(B) \
                    TMS7000_ROW(C) TMS7000_ROW(D) TMS7000_ROW(E) TMS7000_ROW(F)
// clang-format on

#ifdef TMS7000_SANITIZED
#define TMS7000_SLICE_INLINING
#else
#define TMS7000_SLICE_INLINING [[gnu::flatten]]
#endif

template <bool until_stop>
TMS7000_SLICE_INLINING orv_stop tms7000_run_slice(unsigned short stop_pc)
{
#define X(n) &&op_##n,
    static const void *const dispatch[256] = {TMS7000_ALL};
#undef X
    orv_slice_state &sl = orv_slice;

    // Before an instruction: the history ring, p_pc and the slice's marks;
    // then its handler (or an idle pass). Only IDLE puts the processor in
    // its idle state, and the slice's limit sends every step through the
    // full test while it is there (`orv_slice_timer1_limit`): the quick step
    // after any other instruction need not ask.
#define TMS7000_START_WITH(idle_test)                                                   \
    do {                                                                                \
        if (until_stop)                                                                 \
            orv_note_pc();                                                              \
        p_pc = c.pc.w;                                                                  \
        /* Slices open only once the bus functions' flags are decided off. */          \
        if (!orv_fast.reads || !orv_fast.writes)                                        \
            __builtin_unreachable();                                                    \
        sl.prev = sl.cur;                                                               \
        sl.cur = tms7000_icount;                                                        \
        if (idle_test && c.idle_state) {                                                \
            tms7000_icount -= 16;                                                       \
            goto instruction_done;                                                      \
        }                                                                               \
        goto *dispatch[tms7000_fetch<true>()];                                          \
    } while (0)
#define TMS7000_START TMS7000_START_WITH(true)

    // After it: timer 1, the stop test, the I/O processor's idle step and
    // the end of the slice, where the next one opens (`orv_slice_full_test`);
    // then the next instruction. One comparison with the slice's limit tells
    // whether any of them is due; most often none is.
#define TMS7000_NEXT                                                                    \
    do {                                                                                \
        if (tms7000_icount <= sl.limit || c.pc.w == stop_pc ||                          \
            (until_stop && orv_host.stop_key && *orv_host.stop_key)) {                  \
            const int why = orv_slice_full_test<until_stop>(stop_pc);                   \
            if (why != SLICE_GOES_ON)                                                   \
                return static_cast<orv_stop>(why);                                      \
            TMS7000_START;                                                              \
        }                                                                               \
        TMS7000_START_WITH(false);                                                      \
    } while (0)

    // Sanitized builds share one copy of the step to the next instruction:
    // 256 of them, instrumented, take the compilers minutes.
#ifdef TMS7000_SANITIZED
#define TMS7000_AFTER goto instruction_done
#else
#define TMS7000_AFTER TMS7000_NEXT
#endif
    TMS7000_START;
instruction_done:
    // After an idle pass, or IDLE: the full test follows.
    if (c.idle_state)
        orv_slice_timer1_limit();
    TMS7000_NEXT;
#define X(n)                                                                            \
    op_##n:                                                                             \
    tms7000_slice_ops::table[0x##n]();                                                  \
    if (0x##n == 0x01) /* IDLE */                                                       \
        goto instruction_done;                                                          \
    TMS7000_AFTER;
    TMS7000_ALL
#undef X
#undef TMS7000_AFTER
#undef TMS7000_NEXT
#undef TMS7000_START
#undef TMS7000_START_WITH
}

template orv_stop tms7000_run_slice<false>(unsigned short stop_pc);
template orv_stop tms7000_run_slice<true>(unsigned short stop_pc);
