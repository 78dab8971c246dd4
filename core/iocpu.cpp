// The I/O processor's handshake with the main processor, as a state table.
//
// The real TMS7041 runs its own firmware; here only what the main processor
// can see of it is reproduced: the levels it drives on port A bit 0 (A0), the
// mailbox byte and the INT1 pulses, and the delays between them. The main
// processor drives B0 (request) and B1 (strobe, acknowledge) on port B; the
// bus turns their edges into events, delivered inside the writing
// instruction. Waits are on event timer 16.
#include "iocpu.h"

#include "memory.h"
#include "timers.h"
#include "trace.h"

#include <array>
#include <string_view>

tms7041_state tms7041;
int cur_state;

namespace {

int io_cpu_state_reset();
int io_cpu_dispatch_reset(io_cpu_event ev);
int io_cpu_state_init1();
int io_cpu_state_init1_IE();
int io_cpu_state_init2();
int io_cpu_dispatch_init2(io_cpu_event ev);
int io_cpu_state_init3();
int io_cpu_dispatch_init3(io_cpu_event ev);
int io_cpu_state_init4();
int io_cpu_dispatch_init4(io_cpu_event ev);
int io_cpu_state_ready();
int io_cpu_dispatch_ready(io_cpu_event ev);
int io_cpu_state_command();
int io_cpu_dispatch_command(io_cpu_event ev);
int io_cpu_state_comm_rd_mb();
int io_cpu_state_comm_rd_IE();
int io_cpu_state_comm_rd_ack();
int io_cpu_dispatch_comm_rd_ack(io_cpu_event ev);
int io_cpu_state_comm_ack2();
int io_cpu_state_comm_send();
int io_cpu_state_comm_send_IE();
int io_cpu_state_comm_send2();
int io_cpu_dispatch_comm_send2(io_cpu_event ev);
int io_cpu_state_comm_send3();
int io_cpu_dispatch_comm_send3(io_cpu_event ev);
int io_cpu_state_comm_send4();
int io_cpu_dispatch_comm_send4(io_cpu_event ev);
int io_cpu_state_send_end();

// The I/O processor's own delays, in its 982 kHz instruction clock: 12, 4
// and 40 of its cycles. On the event clock they come out as 29, 9 and 99
// cycles (the conversion truncates a product just below 30, 10 and 100).
constexpr double IO_DELAY_12 = 12.0 / 982000.0;
constexpr double IO_DELAY_4 = 4.0 / 982000.0;
constexpr double IO_DELAY_40 = 40.0 / 982000.0;

} // namespace

// clang-format off
constexpr io_cpu_state_row io_cpu_auto[IO_CPU_STATE_COUNT + 1] = {
    /*  0 */ {"reset",        io_cpu_state_reset,        io_cpu_dispatch_reset,       nullptr,        0},
    /*  1 */ {"init1_wait",   nullptr,                   nullptr,                     "init1",        IO_DELAY_12},
    /*  2 */ {"init1",        io_cpu_state_init1,        nullptr,                     "init1_IE",     IO_DELAY_4},
    /*  3 */ {"init1_IE",     io_cpu_state_init1_IE,     nullptr,                     nullptr,        0},
    /*  4 */ {"init2",        io_cpu_state_init2,        io_cpu_dispatch_init2,       nullptr,        0},
    /*  5 */ {"init3",        io_cpu_state_init3,        io_cpu_dispatch_init3,       nullptr,        0},
    /*  6 */ {"init4",        io_cpu_state_init4,        io_cpu_dispatch_init4,       nullptr,        0},
    /*  7 */ {"ready",        io_cpu_state_ready,        io_cpu_dispatch_ready,       "poll",         IO_DELAY_12},
    /*  8 */ {"poll",         io_cpu_state_poll,         io_cpu_dispatch_ready,       "ready",        IO_DELAY_40},
    /*  9 */ {"command",      io_cpu_state_command,      io_cpu_dispatch_command,     nullptr,        0},
    /* 10 */ {"comm_rd_mb",   io_cpu_state_comm_rd_mb,   nullptr,                     "comm_rd_IE",   IO_DELAY_40},
    /* 11 */ {"comm_rd_IE",   io_cpu_state_comm_rd_IE,   nullptr,                     nullptr,        0},
    /* 12 */ {"comm_rd_ack",  io_cpu_state_comm_rd_ack,  io_cpu_dispatch_comm_rd_ack, nullptr,        0},
    /* 13 */ {"comm_ack2",    io_cpu_state_comm_ack2,    nullptr,                     nullptr,        0},
    /* 14 */ {"comm_F1C8",    io_cpu_state_comm_F1C8,    nullptr,                     nullptr,        0},
    /* 15 */ {"comm_push",    io_cpu_state_comm_push,    nullptr,                     nullptr,        0},
    /* 16 */ {"comm_send",    io_cpu_state_comm_send,    nullptr,                     "comm_send_IE", IO_DELAY_4},
    /* 17 */ {"comm_send_IE", io_cpu_state_comm_send_IE, nullptr,                     nullptr,        0},
    /* 18 */ {"comm_send2",   io_cpu_state_comm_send2,   io_cpu_dispatch_comm_send2,  nullptr,        0},
    /* 19 */ {"comm_send3",   io_cpu_state_comm_send3,   io_cpu_dispatch_comm_send3,  nullptr,        0},
    /* 20 */ {"comm_send4",   io_cpu_state_comm_send4,   io_cpu_dispatch_comm_send4,  nullptr,        0},
    /* 21 */ {"send_end",     io_cpu_state_send_end,     nullptr,                     nullptr,        0},
    /* 22 */ {"void",         nullptr,                   nullptr,                     nullptr,        0},
    /* end */ {nullptr,       nullptr,                   nullptr,                     nullptr,        0},
};
// clang-format on

namespace {

// States are named in the table; the lookup by name is done here once, at
// compile time, and the numbers the rest of the code uses are checked
// against it.
constexpr int io_cpu_state_by_name(const char *name)
{
    if (!name)
        return -1;
    for (int i = 0; i < IO_CPU_STATE_COUNT; i++)
        if (std::string_view(io_cpu_auto[i].name) == name)
            return i;
    return -1;
}

static_assert(io_cpu_state_by_name("reset") == IO_STATE_RESET);
static_assert(io_cpu_state_by_name("init1_wait") == IO_STATE_INIT1_WAIT);
static_assert(io_cpu_state_by_name("init1") == IO_STATE_INIT1);
static_assert(io_cpu_state_by_name("init1_IE") == IO_STATE_INIT1_IE);
static_assert(io_cpu_state_by_name("init2") == IO_STATE_INIT2);
static_assert(io_cpu_state_by_name("init3") == IO_STATE_INIT3);
static_assert(io_cpu_state_by_name("init4") == IO_STATE_INIT4);
static_assert(io_cpu_state_by_name("ready") == IO_STATE_READY);
static_assert(io_cpu_state_by_name("poll") == IO_STATE_POLL);
static_assert(io_cpu_state_by_name("command") == IO_STATE_COMMAND);
static_assert(io_cpu_state_by_name("comm_rd_mb") == IO_STATE_COMM_RD_MB);
static_assert(io_cpu_state_by_name("comm_rd_IE") == IO_STATE_COMM_RD_IE);
static_assert(io_cpu_state_by_name("comm_rd_ack") == IO_STATE_COMM_RD_ACK);
static_assert(io_cpu_state_by_name("comm_ack2") == IO_STATE_COMM_ACK2);
static_assert(io_cpu_state_by_name("comm_F1C8") == IO_STATE_COMM_F1C8);
static_assert(io_cpu_state_by_name("comm_push") == IO_STATE_COMM_PUSH);
static_assert(io_cpu_state_by_name("comm_send") == IO_STATE_COMM_SEND);
static_assert(io_cpu_state_by_name("comm_send_IE") == IO_STATE_COMM_SEND_IE);
static_assert(io_cpu_state_by_name("comm_send2") == IO_STATE_COMM_SEND2);
static_assert(io_cpu_state_by_name("comm_send3") == IO_STATE_COMM_SEND3);
static_assert(io_cpu_state_by_name("comm_send4") == IO_STATE_COMM_SEND4);
static_assert(io_cpu_state_by_name("send_end") == IO_STATE_SEND_END);
static_assert(io_cpu_state_by_name("void") == IO_STATE_VOID);

constexpr std::array<int, IO_CPU_STATE_COUNT> io_cpu_resolve_timeouts()
{
    std::array<int, IO_CPU_STATE_COUNT> t{};
    for (int i = 0; i < IO_CPU_STATE_COUNT; i++)
        t[i] = io_cpu_state_by_name(io_cpu_auto[i].timeout_state);
    return t;
}

} // namespace

constexpr std::array<int, IO_CPU_STATE_COUNT> io_cpu_timeout_target = io_cpu_resolve_timeouts();

namespace {

constexpr std::array<veld_delay, IO_CPU_STATE_COUNT> io_cpu_unconverted_timeouts()
{
    std::array<veld_delay, IO_CPU_STATE_COUNT> d{};
    for (int i = 0; i < IO_CPU_STATE_COUNT; i++)
        d[i] = {io_cpu_auto[i].timeout, {0, 0}, false};
    return d;
}

} // namespace

std::array<veld_delay, IO_CPU_STATE_COUNT> io_cpu_timeout_delay = io_cpu_unconverted_timeouts();

namespace {

bool io_cpu_b0_high() { return board_b0(); }
bool io_cpu_b1_high() { return board_b1(); }

void io_cpu_int1_raise() { board_iop_int1(1); }
void io_cpu_int1_lower() { board_iop_int1(0); }

// Every event handler waits for one edge and ignores the others.
int io_cpu_accept_event(trace_fn &tf, io_cpu_event ev, io_cpu_event wanted, int next)
{
    trace_enter(tf);
    TRACE(tf, "called event %s", get_event_str(ev));
    if (ev == wanted)
        return next;
    TRACE(tf, "Got unexpected event %s", get_event_str(ev));
    return -1;
}

// ---- power-on greeting ----

int io_cpu_state_reset()
{
    static trace_fn tf = {"io_cpu_state_reset()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    tms7041.flags = 0;
    tms7041.speech_status = 0;
    tms7041.data_count = 0;
    or_porta(1);
    speech_callback_start();
    return -1;
}

int io_cpu_dispatch_reset(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_reset()", 0};
    return io_cpu_accept_event(tf, ev, B0_HIGH, IO_STATE_INIT1_WAIT);
}

// The greeting byte 0x08, A0 low and an INT1 pulse tell the firmware that
// the I/O processor is alive.
int io_cpu_state_init1()
{
    static trace_fn tf = {"io_cpu_state_init1()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    set_mailbox(0x08);
    and_porta(0xFE);
    io_cpu_int1_raise();
    return -1;
}

int io_cpu_state_init1_IE()
{
    static trace_fn tf = {"io_cpu_state_init1_IE()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    io_cpu_int1_lower();
    return IO_STATE_INIT2;
}

// An edge that came while the machine sat in a state without an event
// handler was dropped; the levels tell whether it has already happened.
int io_cpu_state_init2()
{
    static trace_fn tf = {"io_cpu_state_init2()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    if (io_cpu_b1_high()) {
        TRACE(tf, "B1 was already high");
        return IO_STATE_INIT3;
    }
    return -1;
}

int io_cpu_dispatch_init2(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_init2()", 0};
    return io_cpu_accept_event(tf, ev, B1_HIGH, IO_STATE_INIT3);
}

int io_cpu_state_init3()
{
    static trace_fn tf = {"io_cpu_state_init3()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    or_porta(1);
    if (!io_cpu_b1_high()) {
        TRACE(tf, "B1 was already low");
        return IO_STATE_INIT4;
    }
    return -1;
}

int io_cpu_dispatch_init3(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_init3()", 0};
    return io_cpu_accept_event(tf, ev, B1_LOW, IO_STATE_INIT4);
}

int io_cpu_state_init4()
{
    static trace_fn tf = {"io_cpu_state_init4()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    and_porta(0xFE);
    if (!io_cpu_b0_high()) {
        TRACE(tf, "B0 was already low");
        return IO_STATE_READY;
    }
    return -1;
}

int io_cpu_dispatch_init4(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_init4()", 0};
    return io_cpu_accept_event(tf, ev, B0_LOW, IO_STATE_READY);
}

// ---- idle: ready and poll alternate until the firmware raises B0 ----

int io_cpu_state_ready()
{
    static trace_fn tf = {"io_cpu_state_ready()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    if (io_cpu_b0_high()) {
        TRACE(tf, "B0 was already high");
        return IO_STATE_COMMAND;
    }
    return -1;
}

int io_cpu_dispatch_ready(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_ready()", 0};
    return io_cpu_accept_event(tf, ev, B0_HIGH, IO_STATE_COMMAND);
}

// ---- one byte from the main processor ----

int io_cpu_state_command()
{
    static trace_fn tf = {"io_cpu_state_command()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    if (!io_cpu_b1_high()) {
        TRACE(tf, "B1 was already low");
        return IO_STATE_COMM_RD_MB;
    }
    return -1;
}

int io_cpu_dispatch_command(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event_command()", 0};
    return io_cpu_accept_event(tf, ev, B1_LOW, IO_STATE_COMM_RD_MB);
}

// The byte is taken and the mailbox answered with 0xFF, A0 high and an INT1
// pulse: the firmware's acknowledge.
int io_cpu_state_comm_rd_mb()
{
    static trace_fn tf = {"io_cpu_state_comm_rd_mb()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    tms7041.command = mailbox_val;
    TRACE(tf, "Reading command x%x", tms7041.command);
    set_mailbox(0xFF);
    or_porta(1);
    io_cpu_int1_raise();
    return -1;
}

int io_cpu_state_comm_rd_IE()
{
    static trace_fn tf = {"io_cpu_state_comm_rd_IE()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    io_cpu_int1_lower();
    return IO_STATE_COMM_RD_ACK;
}

int io_cpu_state_comm_rd_ack()
{
    static trace_fn tf = {"io_cpu_state_comm_rd_ack()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    if (!io_cpu_b0_high()) {
        TRACE(tf, "B0 was already low");
        return IO_STATE_COMM_ACK2;
    }
    return -1;
}

int io_cpu_dispatch_comm_rd_ack(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_dispatch_comm_rd_ack()", 0};
    return io_cpu_accept_event(tf, ev, B0_LOW, IO_STATE_COMM_ACK2);
}

int io_cpu_state_comm_ack2()
{
    static trace_fn tf = {"io_cpu_state_comm_ack2()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    and_porta(0xFE);
    return IO_STATE_COMM_F1C8;
}

// ---- one byte to the main processor (already in the mailbox) ----

int io_cpu_state_comm_send()
{
    static trace_fn tf = {"io_cpu_state_comm_send()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    and_porta(0xFE);
    io_cpu_int1_raise();
    return -1;
}

int io_cpu_state_comm_send_IE()
{
    static trace_fn tf = {"io_cpu_state_comm_send_IE()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    io_cpu_int1_lower();
    return IO_STATE_COMM_SEND2;
}

int io_cpu_state_comm_send2()
{
    static trace_fn tf = {"io_cpu_state_comm_send2()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    if (io_cpu_b1_high()) {
        TRACE(tf, "B1 was already high");
        return IO_STATE_COMM_SEND3;
    }
    return -1;
}

int io_cpu_dispatch_comm_send2(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_dispatch_comm_send2()", 0};
    return io_cpu_accept_event(tf, ev, B1_HIGH, IO_STATE_COMM_SEND3);
}

int io_cpu_state_comm_send3()
{
    static trace_fn tf = {"io_cpu_state_comm_send3()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    or_porta(1);
    if (!io_cpu_b1_high()) {
        TRACE(tf, "B1 was already low");
        return IO_STATE_COMM_SEND4;
    }
    return -1;
}

int io_cpu_dispatch_comm_send3(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_dispatch_comm_send3()", 0};
    return io_cpu_accept_event(tf, ev, B1_LOW, IO_STATE_COMM_SEND4);
}

int io_cpu_state_comm_send4()
{
    static trace_fn tf = {"io_cpu_state_comm_send4()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    and_porta(0xFE);
    if (!io_cpu_b0_high()) {
        TRACE(tf, "B0 was already low");
        return IO_STATE_COMM_PUSH;
    }
    return -1;
}

int io_cpu_dispatch_comm_send4(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_dispatch_comm_send4()", 0};
    return io_cpu_accept_event(tf, ev, B0_LOW, IO_STATE_COMM_PUSH);
}

// No transition leads here.
int io_cpu_state_send_end()
{
    static trace_fn tf = {"io_cpu_state_send()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    return -1;
}

} // namespace

const char *io_cpu_state_name(int s)
{
    if (s < 0 || s >= IO_CPU_STATE_COUNT)
        return "???";
    return io_cpu_auto[s].name;
}

trace_fn tf_io_cpu_callback = {"io_cpu_callback()", 0};

namespace {

// Arms the state timer for the timeout of state `s`, from `now` (the event
// clock): any pending wait is cancelled first.
template <bool traced>
void io_cpu_arm(int s, veld_time now)
{
    veld_timer_remove<traced>(IO_STATE_TIMER);
    const int target = io_cpu_timeout_target[s];
    if (target == -1)
        return;
    TRACE(tf_io_cpu_callback, "Created a timer of %f", io_cpu_auto[s].timeout);
    const veld_time wait = io_cpu_timeout_wait(s);
    veld_timer_add<traced>(io_cpu_callback, target, IO_STATE_TIMER, now, veld_time_add(now, wait));
}

// Enters state `s` and follows its immediate transitions, then waits there.
// `traced` false once this function's flag and those of the timer
// functions it calls are decided off: none of them can write a line (the
// idle ready/poll cycle runs here some 700 times a frame).
template <bool traced>
void io_cpu_enter(int s)
{
    trace_fn &tf = tf_io_cpu_callback;
    if (traced)
        trace_enter(tf);
    for (;;) {
        if (s < 0 || s >= IO_CPU_STATE_COUNT) {
            TRACE_ALWAYS(tf, "no state %d", s);
            return;
        }
        if (traced)
            TRACE(tf, "called phase=%d %s", s, io_cpu_auto[s].name);
        cur_state = s;
        const io_cpu_state_row &row = io_cpu_auto[s];
        int next = row.state_fn ? row.state_fn() : -1;
        if (next == -1)
            break;
        // An immediate transition costs no time and cancels the wait.
        veld_timer_remove<traced>(IO_STATE_TIMER);
        s = next;
    }
    io_cpu_arm<traced>(s, g_timer_clock);
}

} // namespace

void io_cpu_callback(int state)
{
    if (orv_fast.iocpu)
        io_cpu_enter<false>(state);
    else
        io_cpu_enter<true>(state);
}

void io_cpu_event_callback(io_cpu_event ev)
{
    static trace_fn tf = {"io_cpu_event()", 0};
    trace_enter(tf);
    TRACE(tf, "called phase=%d %s event=%s", cur_state, io_cpu_state_name(cur_state), get_event_str(ev));
    const io_cpu_state_row &row = io_cpu_auto[cur_state];
    if (!row.dispatch_fn) {
        TRACE(tf, "received event in transitionnal state");
        return;
    }
    int next = row.dispatch_fn(ev);
    if (next == -1) {
        TRACE(tf, "Event not handled for this state...");
        return;
    }
    TRACE(tf, "recall new state %s", io_cpu_state_name(next));
    io_cpu_callback(next);
    TRACE(tf, "new state %s", io_cpu_state_name(cur_state));
}

void reset_iocpu()
{
    // The reset entry action is not run: A0 keeps its level and the speech
    // clock keeps running. The next rise of B0 starts the greeting again.
    cur_state = IO_STATE_RESET;
    veld_timer_remove(IO_STATE_TIMER);
    tms7041.flags = 0;
    tms7041.key_code = 0;
    tms7041.speech_status = 0;
    tms7041.data_count = 0;
}

int get_state_num(const char *name)
{
    return io_cpu_state_by_name(name);
}

const char *get_event_str(io_cpu_event ev)
{
    switch (ev) {
    case B0_LOW: return "<B0 is low>";
    case B0_HIGH: return "<B0 is high>";
    case B1_LOW: return "<B1 is low>";
    case B1_HIGH: return "<B1 is high>";
    }
    return "???";
}

void set_mailbox(unsigned char v)
{
    static trace_fn tf = {"set_mailbox()", 0};
    trace_enter(tf);
    mailbox_val = v;
    TRACE(tf, "set %x", v);
}

// One cell serves both directions: whoever writes last is read by the other.

void io_cpu_clear_state()
{
    io_cpu_timeout_delay = io_cpu_unconverted_timeouts();
    io_cpu_speech_clear_state();
    tms7041 = {};
    cur_state = IO_STATE_RESET;
}
