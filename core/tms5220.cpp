// TMS5220 sample clock: one sample per call, speech while the synthesizer
// speaks and the machine's one-bit sound otherwise, handed to the program's
// sound output in blocks of 200.
#include "tms5220.h"

#include "host.h"
#include "board.h"
#include "trace.h"

#include <cstring>

tms5220_blocks speech_blocks;

namespace {

// Beeper and cassette levels: the beeper dominates, the cassette input is
// heard underneath it.
enum {
    BEEPER_LEVEL = 16000,
    CASSETTE_LEVEL = 4000,
};

void hand_block(const int16_t *samples)
{
    if (!orv_host.sound_block)
        return;
    uint8_t out[TMS5220_BLOCK_SAMPLES];
    for (int i = 0; i < TMS5220_BLOCK_SAMPLES; i++)
        out[i] = tms5220_to_u8(samples[i]);
    orv_host.sound_block(out, TMS5220_BLOCK_SAMPLES);
}

void one_bit_sample()
{
    int v = board_beeper() ? BEEPER_LEVEL : -BEEPER_LEVEL;
    v += board_cassette() ? CASSETTE_LEVEL : -CASSETTE_LEVEL;
    speech_blocks.buffer1bit[speech_blocks.tick1bit] = static_cast<int16_t>(v);
    if (speech_blocks.tick1bit == TMS5220_BLOCK_SAMPLES - 1)
        hand_block(speech_blocks.buffer1bit);
    speech_blocks.tick1bit = (speech_blocks.tick1bit + 1) % TMS5220_BLOCK_SAMPLES;
}

void empty_fifo()
{
    tms5220.fifo_head = 0;
    tms5220.fifo_count = 0;
    tms5220.bit_pos = 0;
}

} // namespace

speech_do_result speech_do()
{
    static trace_fn tf = {"speech_do()", 0};
    trace_enter(tf);
    if (tms5220.speak_state != 2) {
        one_bit_sample();
        return SPEECH_DO_NOTHING;
    }
    if (tick != 0) {
        tms5220_process_onebyte(speech_blocks.buffer, static_cast<unsigned>(tick), current_frame_t);
        tick = (tick + 1) % TMS5220_BLOCK_SAMPLES;
        if (tick == 0)
            hand_block(speech_blocks.buffer);
        return SPEECH_DO_NOTHING;
    }

    // Frame boundary: the next frame must be whole in the FIFO.
    tms5220_frame_t type = get_frame();
    if (type == NO_FRAME) {
        empty_fifo();
        TRACE_ALWAYS(tf, "UNDERFLOW");
        tms5220.speak_state = 0;
        return SPEECH_DO_UNDERFLOW;
    }
    if (type == STOP) {
        TRACE(tf, "STOP frame");
        empty_fifo();
        tms5220.speak_state = 0;
        return SPEECH_DO_STOP;
    }
    consume_frame(type);
    current_frame_t = type;
    tms5220_process_onebyte(speech_blocks.buffer, 0, type);
    tick = 1;

    // The FIFO-low condition is reported once, until new data has brought the
    // FIFO back to 8 bytes.
    if (!tms5220.low_reported && tms5220.fifo_count <= 8) {
        tms5220.low_reported = 1;
        return SPEECH_DO_LOW;
    }
    return SPEECH_DO_NOTHING;
}

void tms5220_clear_state()
{
    std::memset(&tms5220, 0, sizeof tms5220);
    std::memset(&_tms, 0, sizeof _tms);
    std::memset(&speech_blocks, 0, sizeof speech_blocks);
    current_frame_t = NO_FRAME;
}
