// The I/O processor, emulated at a high level. Its firmware is not run: a
// table-driven state machine answers the main processor's handshake lines
// (port B bits 0 and 1 in, port A bit 0 and INT1 out) and the one-byte
// mailbox, serves the firmware's commands, reports keys and the speech
// buffer's level, and feeds the speech synthesizer on a fixed sample clock.
#pragma once

#include "board.h"
#include "timers.h"

#include <array>

#include <cstdint>

// Edges of the main processor's handshake lines, raised by the bus on port B
// writes: B0 is the request line, B1 the strobe and acknowledge line.
enum io_cpu_event : int {
    B0_LOW = 0,
    B0_HIGH = 1,
    B1_LOW = 2,
    B1_HIGH = 3,
};

// One row of the state table. An entry action returns the state to enter at
// once, or -1 to wait there; an event handler returns the state to enter, or
// -1 when it does not take the event. A row with a timeout state arms the
// state timer on entry.
struct io_cpu_state_row {
    const char *name;
    int (*state_fn)();
    int (*dispatch_fn)(io_cpu_event ev);
    const char *timeout_state;
    double timeout;  // seconds
};

constexpr int IO_CPU_STATE_COUNT = 23;
// 23 states and an all-zero row that ends the table. A state's number is its
// row: logs and the debugger show these numbers.
extern const io_cpu_state_row io_cpu_auto[IO_CPU_STATE_COUNT + 1];

enum io_cpu_state_num : int {
    IO_STATE_RESET = 0,
    IO_STATE_INIT1_WAIT = 1,
    IO_STATE_INIT1 = 2,
    IO_STATE_INIT1_IE = 3,
    IO_STATE_INIT2 = 4,
    IO_STATE_INIT3 = 5,
    IO_STATE_INIT4 = 6,
    IO_STATE_READY = 7,
    IO_STATE_POLL = 8,
    IO_STATE_COMMAND = 9,
    IO_STATE_COMM_RD_MB = 10,
    IO_STATE_COMM_RD_IE = 11,
    IO_STATE_COMM_RD_ACK = 12,
    IO_STATE_COMM_ACK2 = 13,
    IO_STATE_COMM_F1C8 = 14,
    IO_STATE_COMM_PUSH = 15,
    IO_STATE_COMM_SEND = 16,
    IO_STATE_COMM_SEND_IE = 17,
    IO_STATE_COMM_SEND2 = 18,
    IO_STATE_COMM_SEND3 = 19,
    IO_STATE_COMM_SEND4 = 20,
    IO_STATE_SEND_END = 21,
    IO_STATE_VOID = 22,
};

// Pending reports in `tms7041.flags`.
constexpr uint8_t KEY_PENDING = 0x04;
constexpr uint8_t SERIAL_CHECK = 0x20;
constexpr uint8_t SPEECH_LOW = 0x40;
// `tms7041.speech_status`: speech has ended and is to be reported.
constexpr uint8_t SPEECH_END = 0x02;

// Report codes that the idle poll puts in `command`.
constexpr int IO_REPORT_KEY = 0x101;
constexpr int IO_REPORT_SPEECH_LOW = 0x102;
constexpr int IO_REPORT_SPEECH_END = 0x103;
constexpr int IO_REPORT_SERIAL = 0x104;

struct tms7041_state {
    uint8_t flags;          // KEY_PENDING, SERIAL_CHECK, SPEECH_LOW
    uint8_t key_code;       // the one latched key code
    uint8_t speech_status;  // SPEECH_END
    int command;            // last command byte, or a report code 0x101-0x104
    int byte_index;         // bytes handled in the current command or reply
    int data_count;         // speech bytes expected as a whole; 0: next byte is a command
};

extern tms7041_state tms7041;
extern int cur_state;

// Whether the idle poll finds a report to send: one is pending and no
// speech command is collecting its bytes.
inline bool io_cpu_report_waiting()
{
    return tms7041.data_count == 0 &&
           ((tms7041.flags & (KEY_PENDING | SPEECH_LOW | SERIAL_CHECK)) || (tms7041.speech_status & SPEECH_END));
}

// State machine.
extern trace_fn tf_io_cpu_callback;  // "io_cpu_callback()"
void io_cpu_callback(int state);
// Each state's timeout: the state its timer leads to (-1: none) and the
// delay, converted once (double2time).
extern const std::array<int, IO_CPU_STATE_COUNT> io_cpu_timeout_target;
extern std::array<veld_delay, IO_CPU_STATE_COUNT> io_cpu_timeout_delay;
inline veld_time io_cpu_timeout_wait(int s) { return veld_delay_time(io_cpu_timeout_delay[s]); }
void io_cpu_event_callback(io_cpu_event ev);
void reset_iocpu();
int get_state_num(const char *name);
// A state's name, "???" for a number outside the table.
const char *io_cpu_state_name(int s);
const char *get_event_str(io_cpu_event ev);

// The I/O side's write to the mailbox (board.h holds the mailbox itself).
void set_mailbox(unsigned char v);

// Commands and reports: the entry actions of "comm_F1C8", "comm_push" and
// "poll", and the front ends' key entry (0x04 on release).
int io_cpu_state_comm_F1C8();
int io_cpu_state_comm_push();
int io_cpu_state_poll();
void send_key(unsigned char code);

// Speech feed: the 8000 Hz sample clock (timer 32) and the flags it sets.
void speech_buffer_do(int param);
void speech_buffer_start();
void speech_buffer_low();
void speech_buffer_end();
void speech_callback_start();
void io_cpu_speech_clear_state();

void io_cpu_clear_state();
