// The speech feed: the sample clock, the reports it raises, and whole
// phrases sent through the handshake.
#include "iocpu_support.h"
#include "speech_frames.h"

#include "core/iocpu.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms5220.h"
#include "core/trace.h"

#include <algorithm>

namespace {

class IoSpeechTest : public IoCpuSoundTest {
protected:
    static void write(const std::vector<uint8_t> &bytes)
    {
        for (uint8_t b : bytes)
            speech_write_data(b);
    }

    // Receives one report or reply: bytes until the I/O side is back in
    // ready. The first byte may take `limit` cycles to come.
    static std::vector<int> receive_reply(int limit = 2000)
    {
        std::vector<int> bytes;
        for (int b; (b = receive_byte(bytes.empty() ? limit : 2000)) >= 0;) {
            bytes.push_back(b);
            if (cur_state == IO_STATE_READY)
                break;
        }
        return bytes;
    }
};

// Eight bytes of silence: sixteen four-bit silent frames.
const std::vector<uint8_t> eight_silent(8, 0x00);

// The bytes of a FIFO, oldest first, as they were written.
std::vector<uint8_t> fifo_bytes()
{
    std::vector<uint8_t> v;
    for (int i = 0; i < tms5220.fifo_count; i++)
        v.push_back(reverse(tms5220.fifo[(tms5220.fifo_head + i) % TMS5220_FIFO_SIZE]));
    return v;
}

bool is_level(const std::vector<uint8_t> &block, uint8_t v)
{
    return std::all_of(block.begin(), block.end(), [v](uint8_t s) { return s == v; });
}

} // namespace

TEST_F(IoSpeechTest, SampleClockTicksEvery306CyclesAndRendersOneBitSound)
{
    io_cpu_callback(0);
    // A timer fires on the first cycle past its due time, and the next tick
    // is due 306 cycles after the last one was: cycles 307, 613, 919 ...
    step(306 * 199 + 1);
    EXPECT_EQ(speech_blocks.tick1bit, 199);
    EXPECT_TRUE(blocks.empty());
    step(305);
    EXPECT_TRUE(blocks.empty());
    step(1);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(is_level(blocks[0], 49));  // silent machine
    // The I/O processor's own reset leaves the clock running.
    reset_iocpu();
    step(306);
    EXPECT_EQ(speech_blocks.tick1bit, 1);
}

TEST_F(IoSpeechTest, SampleClockKeepsItsRateWhateverTheInstructionLengths)
{
    io_cpu_callback(0);
    // One emulated second in steps of 13 cycles, as a program of long
    // instructions runs: each tick comes up to 12 cycles late, and that
    // lateness must not add up. 2455000 / 306 = 8022.9 ticks.
    for (int c = 0; c < 2455000; c += 13) {
        veld_timer_update_clock({0, 13});
        veld_check_timers();
    }
    long ticks = static_cast<long>(blocks.size()) * TMS5220_BLOCK_SAMPLES + speech_blocks.tick1bit;
    EXPECT_GE(ticks, 8022);
    EXPECT_LE(ticks, 8023);
}

TEST_F(IoSpeechTest, LowFifoIsReportedOnlyWhenNoSpeechCommandCollects)
{
    trace_iocpu();
    write(eight_silent);
    tms7041.data_count = 8;
    speech_buffer_do(0);  // takes a frame with 8 bytes left: low
    EXPECT_EQ(tms5220.low_reported, 1);
    EXPECT_EQ(tms7041.flags, 0);

    speech_reset();
    write(eight_silent);  // refilled: the low level may be reported again
    tms7041.data_count = 0;
    cur_state = IO_STATE_POLL;
    speech_buffer_do(0);
    EXPECT_EQ(tms7041.flags, SPEECH_LOW);
    EXPECT_EQ(log_lines("speech_buffer_low()"),
              std::vector<std::string>{"speech_buffer_low():called 7041 phase=8 poll"});
    // Once per refill.
    tms7041.flags = 0;
    for (int i = 0; i < 400; i++)
        speech_buffer_do(0);
    EXPECT_EQ(tms7041.flags, 0);
}

TEST_F(IoSpeechTest, UnderflowAndStopFrameEndSpeech)
{
    trace_iocpu();
    io_cpu_callback(0);
    write(eight_silent);
    // The first frame leaves 8 bytes: low. Sixteen silent frames later no
    // data is left at a frame boundary: the end, which clears the low level.
    step(308);
    EXPECT_EQ(tms7041.flags, SPEECH_LOW);
    ASSERT_TRUE(step_until([] { return (tms7041.speech_status & SPEECH_END) != 0; }, 17 * 200 * 307));
    EXPECT_EQ(tms7041.flags, 0);
    greet();
    EXPECT_EQ(log_lines("Underflow : STOP"), std::vector<std::string>{"speech_buffer_do():Underflow : STOP"});
    EXPECT_EQ(receive_reply(), std::vector<int>{0x04});
    EXPECT_EQ(tms7041.speech_status, 0);

    clear_log_str();
    speech_stream stop;
    stop.add(stop_frame()).bits(0, 30).bits(0, 30);  // eight bytes in all
    write(stop.bytes());
    ASSERT_TRUE(step_until([] { return (tms7041.speech_status & SPEECH_END) != 0; }, 400));
    EXPECT_TRUE(log_lines("Underflow").empty());
    EXPECT_EQ(receive_reply(), std::vector<int>{0x04});
}

TEST_F(IoSpeechTest, SpeechCommandsPassTheirBytesInOrder)
{
    trace_iocpu();
    io_cpu_callback(0);
    greet();
    tms7041.flags = SPEECH_LOW;
    tms7041.speech_status = SPEECH_END;
    write({0x11, 0x22, 0x33});

    // Start: both reports cleared, the synthesizer emptied, 24 bytes to come.
    send_byte(0x09);
    EXPECT_EQ(tms7041.flags, 0);
    EXPECT_EQ(tms7041.speech_status, 0);
    EXPECT_EQ(tms5220.fifo_count, 0);
    EXPECT_EQ(tms7041.data_count, 24);
    send_byte(0x08);  // taken as data, not as the reset command
    EXPECT_EQ(fifo_bytes(), std::vector<uint8_t>{0x08});
    for (int i = 1; i < 24; i++)
        send_byte(0x00);
    EXPECT_EQ(log_lines("char OK"), std::vector<std::string>{"io_cpu_state_comm_F1C8():read 24 char OK"});

    // The reset command empties the synthesizer.
    send_byte(0x08);
    EXPECT_EQ(log_lines("Speech reset command").size(), 1u);
    EXPECT_EQ(tms5220.fifo_count, 0);
    EXPECT_EQ(tms5220.speak_state, 0);
    clear_log_str();

    // A feed of eight bytes, then a command again.
    send_byte(0x0A);
    std::vector<uint8_t> feed = {0x0F, 0x01, 0x80, 0x7E, 0x0A, 0x09, 0xFF, 0x04};
    for (uint8_t b : feed)
        send_byte(b);
    EXPECT_EQ(fifo_bytes(), feed);
    EXPECT_EQ(log_lines("char OK"), std::vector<std::string>{"io_cpu_state_comm_F1C8():read 8 char OK"});
    EXPECT_EQ(tms7041.data_count, 0);

    speech_reset();

    // One byte after 0x01 goes to the synthesizer; the next is a command.
    send_byte(0x01);
    send_byte(0x5A);
    send_byte(0x04);
    EXPECT_EQ(fifo_bytes(), std::vector<uint8_t>{0x5A});
    EXPECT_EQ(log_lines("check serial").size(), 1u);
}

TEST_F(IoSpeechTest, PhraseIsFedOnLowReportsUntilItsStopFrame)
{
    io_cpu_callback(0);
    greet();
    step(3000);  // some one-bit sound first

    speech_stream phrase;
    const int frames = 12;
    for (int i = 0; i < frames; i++)
        phrase.add(voiced_frame(9 + i % 5, 20 + 2 * i, {18, 12, 9 + i % 4, 7, 9, 6, 8, 3, 4, 5}));
    phrase.add(stop_frame());
    std::vector<uint8_t> data = phrase.bytes();
    ASSERT_EQ(data.size(), 76u);
    data.resize(80);  // the feed goes in groups of 8

    send_byte(0x09);
    size_t sent = 0;
    for (; sent < 24; sent++)
        send_byte(data[sent]);
    int low_reports = 0;
    for (;;) {
        std::vector<int> report = receive_reply(10 * 200 * 307);
        ASSERT_EQ(report.size(), 1u) << "no report at byte " << sent;
        if (report[0] == 0x04)
            break;
        ASSERT_EQ(report[0], 0x03);
        low_reports++;
        if (sent == data.size())
            continue;  // the whole phrase is in: the rest plays out
        send_byte(0x0A);
        for (int i = 0; i < 8; i++)
            send_byte(data[sent++]);
    }
    EXPECT_EQ(sent, data.size());
    EXPECT_GE(low_reports, 7);
    EXPECT_TRUE(log_lines("Underflow").empty());
    step(200 * 307 * 2);

    // One-bit blocks of a silent machine around one run of speech blocks,
    // one per frame.
    auto first = std::find_if(blocks.begin(), blocks.end(), [](auto &b) { return !is_level(b, 49); });
    ASSERT_NE(first, blocks.end());
    for (auto b = blocks.begin(); b != first; ++b)
        EXPECT_TRUE(is_level(*b, 49));
    for (int i = 0; i < frames; i++) {
        ASSERT_NE(first + i, blocks.end());
        auto [lo, hi] = std::minmax_element(first[i].begin(), first[i].end());
        EXPECT_GT(*hi - *lo, 8) << "frame " << i;  // a silent frame stays within 127-128
    }
    for (auto b = first + frames; b != blocks.end(); ++b)
        EXPECT_TRUE(is_level(*b, 49));
    EXPECT_GE(blocks.end() - (first + frames), 2);
}
