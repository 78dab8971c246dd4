// TMS5220 input side: the 32-byte FIFO, and the cutting of its bit stream
// into frames.
//
// The chip is fed one byte at a time and takes each byte low bit first, so
// bytes are stored bit-reversed and the stream is then read most significant
// bit first. Frames have no byte alignment: a frame is 4 bits (silent or
// stop), 11 bits (repeat: energy, repeat flag, pitch), 29 bits (unvoiced:
// K1 to K4 as well) or 50 bits (voiced: K1 to K10). The frame is read as a
// whole before any of it is consumed, so a frame that has not fully arrived
// is an underflow and leaves the FIFO as it was.
#include "tms5220.h"

#include "trace.h"

tms5220_input tms5220;

namespace {

struct frame_info {
    int bits;
    const char *name;
};

// Indexed by tms5220_frame_t.
const frame_info frame_table[] = {
    {0, "???"}, {4, "SILENT"}, {4, "STOP"}, {11, "REPEAT"}, {29, "UNVOICED"}, {50, "VOICED"},
};

const frame_info &info(tms5220_frame_t type)
{
    int t = type;
    return frame_table[t >= SILENT && t <= VOICED ? t : 0];
}

int bits_available() { return tms5220.fifo_count * 8 - tms5220.bit_pos; }

// Byte i of the stream from the read position: the rest of FIFO byte i and
// the start of the byte after it. Bytes the FIFO does not hold read as 0.
uint8_t stream_byte(int i)
{
    if (tms5220.fifo_count <= i)
        return 0;
    int at = (tms5220.fifo_head + i) % TMS5220_FIFO_SIZE;
    int v = (tms5220.fifo[at] << tms5220.bit_pos) & 0xFF;
    if (tms5220.fifo_count > i + 1)
        v |= tms5220.fifo[(at + 1) % TMS5220_FIFO_SIZE] >> (8 - tms5220.bit_pos);
    return static_cast<uint8_t>(v);
}

void read_frame_bytes(int first, int last)
{
    for (int i = first; i <= last; i++)
        current_frame[i] = stream_byte(i);
}

} // namespace

int tms5220_frame_bits(tms5220_frame_t type) { return info(type).bits; }
const char *tms5220_frame_name(tms5220_frame_t type) { return info(type).name; }

unsigned char reverse(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; i++)
        if (b & (1 << i))
            r |= static_cast<unsigned char>(0x80 >> i);
    return r;
}

void speech_write_data(unsigned char b)
{
    static trace_fn tf = {"speech_write_data()", 0};
    trace_enter(tf);
    TRACE(tf, "WRITE SPEECH %x", b);
    if (tms5220.fifo_count == TMS5220_FIFO_SIZE) {
        TRACE_ALWAYS(tf, "SPEECH OVERFLOW !!");
    } else {
        int at = (tms5220.fifo_head + tms5220.fifo_count) % TMS5220_FIFO_SIZE;
        tms5220.fifo[at] = reverse(b);
        tms5220.fifo_count++;
    }
    if (tms5220.speak_state == 0)
        tms5220.speak_state = 1;
    // Speaking starts once a quarter of the FIFO is full, enough for the
    // longest frame.
    if (tms5220.speak_state == 1 && tms5220.fifo_count >= 8) {
        tick = 0;
        tms5220.speak_state = 2;
        tms5220_reset();
        current_frame_t = SILENT;
    }
    if (tms5220.low_reported && tms5220.fifo_count >= 8)
        tms5220.low_reported = 0;
}

void speech_reset()
{
    tms5220_reset();
    tms5220.fifo_head = 0;
    tms5220.fifo_count = 0;
    tms5220.bit_pos = 0;
    tms5220.speak_state = 0;
}

tms5220_frame_t get_frame()
{
    static trace_fn tf = {"get_frame()", 0};
    trace_enter(tf);
    int available = bits_available();
    if (available < 4)
        return NO_FRAME;
    read_frame_bytes(0, 0);
    TRACE(tf, "frame 0 : x%02x", current_frame[0]);
    int energy = current_frame[0] >> 4;
    if (energy == 15)
        return STOP;
    if (energy == 0)
        return SILENT;
    if (available < 11)
        return NO_FRAME;
    read_frame_bytes(1, 1);
    TRACE(tf, "frame : x%02x%02x", current_frame[0], current_frame[1]);
    if (current_frame[0] & 0x08)
        return REPEAT;
    if (available < 29)
        return NO_FRAME;
    int pitch = ((current_frame[0] & 7) << 3) | (current_frame[1] >> 5);
    if (pitch == 0) {
        read_frame_bytes(2, 4);
        return UNVOICED;
    }
    if (available < 50)
        return NO_FRAME;
    read_frame_bytes(2, 7);
    return VOICED;
}

void consume_frame(tms5220_frame_t type)
{
    static trace_fn tf = {"consume_frame()", 0};
    trace_enter(tf);
    int available = bits_available();
    int size = tms5220_frame_bits(type);
    const char *name = tms5220_frame_name(type);
    int newest = (tms5220.fifo_head + tms5220.fifo_count + TMS5220_FIFO_SIZE - 1) % TMS5220_FIFO_SIZE;
    TRACE(tf, "fifo tail was %d bits_left %d", newest, available);
    TRACE(tf, "Frame type %s old size %d : fifo is start %d size %d consume", name, size,
          tms5220.fifo_head, tms5220.fifo_count);
    // The unread bits that remain are the last `left` bits of the newest bytes.
    int left = available > size ? available - size : 0;
    int count = (left + 7) / 8;
    tms5220.fifo_head = (tms5220.fifo_head + tms5220.fifo_count - count) % TMS5220_FIFO_SIZE;
    tms5220.fifo_count = count;
    tms5220.bit_pos = (8 - left % 8) % 8;
    TRACE(tf, "Frame type %s new size %d : fifo is start %d size %d consume", name, size,
          tms5220.fifo_head, tms5220.fifo_count);
}
