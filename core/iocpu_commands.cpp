// What the I/O processor does with a byte it has taken from the mailbox,
// the replies it sends back, and the reports it volunteers while idle.
#include "iocpu.h"
#include "debug_hooks.h"

#include "memory.h"
#include "tms5220.h"
#include "trace.h"

namespace {

// Commands the firmware sends.
enum : int {
    IO_CMD_SPEECH_BYTE = 0x01,
    IO_CMD_JOY1 = 0x02,
    IO_CMD_JOY2 = 0x03,
    IO_CMD_SERIAL_CHECK = 0x04,
    IO_CMD_SERIAL_SEND = 0x05,
    IO_CMD_SERIAL_SETUP = 0x06,
    IO_CMD_SPEECH_RESET = 0x08,
    IO_CMD_SPEECH_START = 0x09,
    IO_CMD_SPEECH_FEED = 0x0A,
    IO_CMD_BLOCK_A = 0x0B,
    IO_CMD_BLOCK_B = 0x0D,
    IO_CMD_NONE = 0xFF,
};

// A speech phrase opens with 24 data bytes; each later feed carries 8.
constexpr int SPEECH_START_BYTES = 24;
constexpr int SPEECH_FEED_BYTES = 8;

// The two blocks of the I/O processor's ROM that the firmware fetches: a
// three-byte header (0x07, then the block's length less one, big-endian)
// and the bytes themselves. They share ROM byte 3096.
struct io_cpu_rom_block {
    uint8_t header[3];
    int first;  // offset in rom_7041 of the first byte after the header
    int count;  // bytes after the header
};

constexpr io_cpu_rom_block io_cpu_block_a = {{0x07, 0x04, 0xF6}, 1826, 1271};
constexpr io_cpu_rom_block io_cpu_block_b = {{0x07, 0x03, 0xD5}, 3096, 982};

static_assert(io_cpu_block_a.header[1] * 256 + io_cpu_block_a.header[2] == io_cpu_block_a.count - 1);
static_assert(io_cpu_block_b.header[1] * 256 + io_cpu_block_b.header[2] == io_cpu_block_b.count - 1);
static_assert(io_cpu_block_a.first + io_cpu_block_a.count - 1 == io_cpu_block_b.first);
static_assert(io_cpu_block_b.first + io_cpu_block_b.count <= static_cast<int>(sizeof rom_7041));

// Reply byte n (from 1) of a block, or -1 past its end.
int io_cpu_block_byte(const io_cpu_rom_block &b, int n)
{
    if (n >= 1 && n <= 3)
        return b.header[n - 1];
    if (n > 3 && n <= 3 + b.count)
        return rom_7041[b.first + n - 4];
    return -1;
}

int io_cpu_start_report(int code)
{
    tms7041.byte_index = 0;
    tms7041.command = code;
    return IO_STATE_COMM_PUSH;
}

} // namespace

int io_cpu_state_comm_F1C8()
{
    static trace_fn tf = {"io_cpu_state_comm_F1C8()", 0};
    trace_enter(tf);
    TRACE(tf, "called");

    // While a speech command collects its data, every byte goes to the
    // synthesizer instead of being decoded.
    if (tms7041.data_count != 0) {
        speech_write_data(static_cast<uint8_t>(tms7041.command & 0xFF));
        tms7041.byte_index++;
        if (tms7041.byte_index >= tms7041.data_count) {
            TRACE(tf, "read %d char OK", tms7041.byte_index);
            tms7041.data_count = 0;
        }
        return IO_STATE_READY;
    }

    TRACE(tf, "command %x", tms7041.command);
    tms7041.byte_index = 0;
    switch (tms7041.command) {
    case IO_CMD_SPEECH_BYTE:
        TRACE(tf, "mystery int");
        tms7041.data_count = 1;
        return IO_STATE_READY;
    case IO_CMD_JOY1:
        // The joysticks are not emulated; the answer is the last key again.
        TRACE(tf, "joy1 poll");
        tms7041.flags |= KEY_PENDING;
        return IO_STATE_READY;
    case IO_CMD_JOY2:
        TRACE(tf, "joy2 poll");
        return IO_STATE_READY;
    case IO_CMD_SERIAL_CHECK:
        TRACE(tf, "check serial");
        tms7041.flags |= SERIAL_CHECK;
        return IO_STATE_READY;
    case IO_CMD_SERIAL_SEND:
        TRACE(tf, "serial send");
        return IO_STATE_READY;
    case IO_CMD_SERIAL_SETUP:
        TRACE(tf, "serial setup");
        return IO_STATE_READY;
    case IO_CMD_SPEECH_RESET:
        TRACE(tf, "Speech reset command");
        speech_reset();
        tms7041.data_count = 0;
        return IO_STATE_READY;
    case IO_CMD_SPEECH_START:
        TRACE(tf, "Speech start");
        speech_buffer_start();
        tms7041.data_count = SPEECH_START_BYTES;
        return IO_STATE_READY;
    case IO_CMD_SPEECH_FEED:
        TRACE(tf, "Speech feed");
        tms7041.data_count = SPEECH_FEED_BYTES;
        return IO_STATE_READY;
    case IO_CMD_BLOCK_A:
    case IO_CMD_BLOCK_B:
        TRACE(tf, "Logo or char send");
        return IO_STATE_COMM_PUSH;
    case IO_CMD_NONE:
        return IO_STATE_READY;
    default:
        // An unknown byte makes the I/O processor start over: the firmware
        // sees the greeting again at its next request.
        TRACE(tf, "RESET");
        return IO_STATE_RESET;
    }
}

int io_cpu_state_comm_push()
{
    static trace_fn tf = {"io_cpu_state_comm_push()", 0};
    trace_enter(tf);
    TRACE(tf, "called command %x", tms7041.command);
    int n = ++tms7041.byte_index;

    int byte;
    switch (tms7041.command) {
    case IO_CMD_BLOCK_A: byte = io_cpu_block_byte(io_cpu_block_a, n); break;
    case IO_CMD_BLOCK_B: byte = io_cpu_block_byte(io_cpu_block_b, n); break;
    case IO_REPORT_KEY: byte = n == 1 ? 0x01 : n == 2 ? tms7041.key_code : -1; break;
    case IO_REPORT_SPEECH_LOW: byte = n == 1 ? 0x03 : -1; break;
    case IO_REPORT_SPEECH_END: byte = n == 1 ? 0x04 : -1; break;
    case IO_REPORT_SERIAL: byte = n == 1 ? 0x09 : -1; break;
    default:
        TRACE(tf, "missing command %d", tms7041.command);
        return -1;
    }
    if (byte < 0)
        return IO_STATE_READY;  // reply complete
    set_mailbox(static_cast<uint8_t>(byte));
    return IO_STATE_COMM_SEND;
}

int io_cpu_state_poll()
{
    static trace_fn tf = {"io_cpu_state_poll()", 0};
    trace_enter(tf);
    TRACE(tf, "called");

    // Reports wait while a speech command is still collecting its bytes;
    // then the key comes first, the end of speech before its low level.
    if (!io_cpu_report_waiting()) {
        if (tms7041.data_count != 0)
            TRACE(tf, "poll disabled by comm");
        return -1;
    }
    if (tms7041.flags & KEY_PENDING) {
        tms7041.flags &= ~KEY_PENDING;
        TRACE(tf, "Polled char");
        return io_cpu_start_report(IO_REPORT_KEY);
    }
    if (tms7041.speech_status & SPEECH_END) {
        tms7041.speech_status &= ~SPEECH_END;
        tms7041.flags &= ~SPEECH_LOW;
        TRACE(tf, "Polled end");
        return io_cpu_start_report(IO_REPORT_SPEECH_END);
    }
    if (tms7041.flags & SPEECH_LOW) {
        tms7041.flags &= ~SPEECH_LOW;
        TRACE(tf, "Polled low");
        return io_cpu_start_report(IO_REPORT_SPEECH_LOW);
    }
    tms7041.flags &= ~SERIAL_CHECK;
    TRACE(tf, "Polled serial init");
    return io_cpu_start_report(IO_REPORT_SERIAL);
}

// One latched code, no queue: a key not yet reported is overwritten.
void send_key(unsigned char code)
{
    if (orv_history_recording)
        orv_history_key(code);
    tms7041.flags |= KEY_PENDING;
    tms7041.key_code = code;
}
