// The synthesizer's input: FIFO, start of speech, frame reading and
// consumption, underflow, overflow, STOP frames and the FIFO-low report.
#include "tms5220_fixture.h"

#include "core/tms5220.h"

#include <gmock/gmock.h>

#include <random>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::array<int, 10> some_k = {17, 9, 5, 7, 3, 11, 2, 6, 1, 4};

void expect_fifo(int head, int count, int bit_pos)
{
    EXPECT_EQ(tms5220.fifo_head, head);
    EXPECT_EQ(tms5220.fifo_count, count);
    EXPECT_EQ(tms5220.bit_pos, bit_pos);
}

} // namespace

TEST_F(Tms5220Test, EighthByteStartsSpeech)
{
    speech_write_data(0x35);
    EXPECT_EQ(tms5220.fifo[0], 0xAC);  // stored bit-reversed
    EXPECT_EQ(tms5220.speak_state, 1);
    send({0, 0, 0, 0, 0, 0});

    // Seven bytes held: still collecting, the clock plays the one-bit sound.
    EXPECT_EQ(run(200), 2);
    EXPECT_EQ(tms5220.speak_state, 1);
    expect_fifo(0, 7, 0);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0], 49);

    EXPECT_EQ(_tms.rng, 0);  // the noise generator is seeded by the start
    speech_write_data(0);
    EXPECT_EQ(tms5220.speak_state, 2);
    EXPECT_EQ(tick, 0);
    EXPECT_EQ(current_frame_t, SILENT);
    EXPECT_EQ(_tms.rng, 0x1FFF);
}

TEST_F(Tms5220Test, SpeechResetMidFrameRestartsAtAFrameBoundary)
{
    send(speech_stream().add(voiced_frame(9, 40, some_k)).add(voiced_frame(9, 40, some_k)).bytes());
    EXPECT_EQ(run(50), 1);  // 2 bytes left after the first frame
    EXPECT_EQ(tick, 50);
    ASSERT_NE(_tms.u[0], 0);

    speech_reset();
    expect_fifo(0, 0, 0);
    EXPECT_EQ(tms5220.speak_state, 0);
    EXPECT_EQ(_tms.rng, 0x1FFF);
    EXPECT_EQ(_tms.u[0], 0);
    EXPECT_EQ(tms5220.low_reported, 1);  // kept
    EXPECT_EQ(tick, 50);                 // kept

    send(std::vector<uint8_t>(8, 0));
    EXPECT_EQ(tick, 0);
    EXPECT_EQ(play_frame(), 1);  // the eight bytes re-armed the old report; 8 are left
    EXPECT_EQ(current_frame_t, SILENT);
}

TEST_F(Tms5220Test, ConsumptionPositionsAndLog)
{
    write_file("debug.lst", "get_frame() consume_frame() speech_write_data()");
    // energy 9, pitch 42, K1 17: the first stream byte is 1001 0 101 = 0x95,
    // the second 010 10001 = 0x51. 50 + 11 + 3 bits = 8 bytes.
    speech_stream s;
    s.add(voiced_frame(9, 42, some_k)).add(repeat_frame(4, 12)).bits(0b101, 3);
    ASSERT_EQ(s.bit_count(), 64);
    send(s);

    EXPECT_EQ(play_frame(), 1);
    EXPECT_EQ(current_frame_t, VOICED);
    expect_fifo(6, 2, 2);  // 14 bits left: the last 6 of byte 6 and all of byte 7
    std::string log = log_text();
    EXPECT_THAT(log, HasSubstr("speech_write_data():WRITE SPEECH a9\n"));
    EXPECT_THAT(log, HasSubstr("get_frame():frame 0 : x95\n"));
    EXPECT_THAT(log, HasSubstr("get_frame():frame : x9551\n"));
    EXPECT_THAT(log, HasSubstr("consume_frame():fifo tail was 7 bits_left 64\n"));
    EXPECT_THAT(log, HasSubstr("consume_frame():Frame type VOICED old size 50 : fifo is start 0 size 8 consume\n"));
    EXPECT_THAT(log, HasSubstr("consume_frame():Frame type VOICED new size 50 : fifo is start 6 size 2 consume\n"));

    EXPECT_EQ(play_frame(), 2);
    EXPECT_EQ(current_frame_t, REPEAT);
    expect_fifo(7, 1, 5);

    // 3 bits at a frame boundary: underflow, no sample, the FIFO is emptied.
    EXPECT_EQ(speech_do(), 3);
    expect_fifo(0, 0, 0);
    EXPECT_EQ(tms5220.speak_state, 0);
    EXPECT_EQ(tick, 0);
    EXPECT_THAT(log_text(), HasSubstr("speech_do():UNDERFLOW\n"));  // ungated
}

TEST_F(Tms5220Test, FourBitsOfSilenceArePlayed)
{
    send(std::vector<uint8_t>(8, 0));  // 16 silent frames
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(play_frame(), i == 0 ? 1 : 2) << "frame " << i;
        EXPECT_EQ(current_frame_t, SILENT);
    }
    expect_fifo(8, 0, 0);  // the read position is past the last byte
    EXPECT_EQ(blocks.size(), 16u);
    EXPECT_EQ(speech_do(), 3);
}

TEST_F(Tms5220Test, VoicedFrameNeedsAllFiftyBits)
{
    speech_stream short_one;
    short_one.add(silent_frame()).add(repeat_frame(5, 10)).add(voiced_frame(7, 33, some_k));
    short_one.truncate(64);  // 49 bits of the voiced frame
    send(short_one);
    EXPECT_EQ(play_frame(), 1);
    EXPECT_EQ(play_frame(), 2);
    EXPECT_EQ(current_frame_t, REPEAT);
    ASSERT_EQ(tms5220.fifo_count * 8 - tms5220.bit_pos, 49);
    EXPECT_EQ(speech_do(), 3);
    expect_fifo(0, 0, 0);

    speech_stream whole;
    whole.add(repeat_frame(5, 10)).add(repeat_frame(6, 11)).add(voiced_frame(7, 33, some_k));
    ASSERT_EQ(whole.bit_count(), 72);
    send(whole);
    EXPECT_EQ(play_frame(), 1);  // 8 bytes left
    EXPECT_EQ(play_frame(), 2);
    ASSERT_EQ(tms5220.fifo_count * 8 - tms5220.bit_pos, 50);
    EXPECT_EQ(play_frame(), 2);
    EXPECT_EQ(current_frame_t, VOICED);
    EXPECT_EQ(decode_frame_bits(current_frame), voiced_frame(7, 33, some_k));
    expect_fifo(tms5220.fifo_head, 0, 0);
    EXPECT_EQ(speech_do(), 3);
}

TEST_F(Tms5220Test, ThirtyThirdByteIsDropped)
{
    for (int i = 1; i <= 32; i++)
        speech_write_data(static_cast<uint8_t>(i));
    speech_write_data(0xEE);
    expect_fifo(0, 32, 0);
    for (int i = 0; i < 32; i++)
        EXPECT_EQ(tms5220.fifo[i], reverse(static_cast<uint8_t>(i + 1))) << i;
    EXPECT_THAT(log_text(), HasSubstr("speech_write_data():SPEECH OVERFLOW !!\n"));
    EXPECT_EQ(tms5220.speak_state, 2);

    speech_do();  // a voiced frame frees six bytes; the FIFO takes bytes again
    ASSERT_EQ(tms5220.fifo_count, 26);
    speech_write_data(0x01);
    EXPECT_EQ(tms5220.fifo_count, 27);
    EXPECT_EQ(tms5220.fifo[(tms5220.fifo_head + 26) % 32], 0x80);
}

TEST_F(Tms5220Test, LowReportOncePerRefill)
{
    send(std::vector<uint8_t>(8, 0));  // silent frames, 4 bits each
    EXPECT_EQ(play_frame(), 1);        // 60 bits left in 8 bytes
    EXPECT_EQ(tms5220.low_reported, 1);
    EXPECT_EQ(play_frame(), 2);
    EXPECT_EQ(play_frame(), 2);  // 52 bits, 7 bytes
    speech_write_data(0);        // back to 8 bytes: the report is re-armed
    EXPECT_EQ(tms5220.low_reported, 0);
    EXPECT_EQ(play_frame(), 1);
    EXPECT_EQ(play_frame(), 2);
    EXPECT_EQ(play_frame(), 2);  // 48 bits, 6 bytes
    speech_write_data(0);        // 7 bytes: still reported
    EXPECT_EQ(tms5220.low_reported, 1);
    EXPECT_EQ(play_frame(), 2);
    speech_write_data(0);  // 8 bytes
    EXPECT_EQ(play_frame(), 1);
}

TEST_F(Tms5220Test, StopFrameEndsSpeech)
{
    write_file("debug.lst", "speech_do()");
    send({0x0F, 1, 2, 3, 4, 5, 6, 7});  // 0x0F reversed: energy index 15
    EXPECT_EQ(speech_do(), 0);
    expect_fifo(0, 0, 0);
    EXPECT_EQ(tms5220.speak_state, 0);
    std::string log = log_text();
    EXPECT_THAT(log, HasSubstr("speech_do():STOP frame\n"));
    EXPECT_THAT(log, Not(HasSubstr("UNDERFLOW")));
    EXPECT_EQ(speech_do(), 2);  // idle again: one-bit sound
}

// A long phrase of every kind of frame, fed 8 bytes at a time whenever the
// FIFO reports low as the I/O processor does, comes out frame by frame with
// every field intact while the ring wraps several times.
TEST_F(Tms5220Test, PhraseRoundTripsThroughTheRing)
{
    std::mt19937 gen(5220);
    auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    std::vector<speech_frame> frames;
    std::vector<tms5220_frame_t> types;
    for (int i = 0; i < 60; i++) {
        std::array<int, 10> k = {pick(32), pick(32), pick(16), pick(16), pick(16),
                                 pick(16), pick(16), pick(8),  pick(8),  pick(8)};
        switch (pick(4)) {
        case 0: frames.push_back(silent_frame()); types.push_back(SILENT); break;
        case 1: frames.push_back(repeat_frame(1 + pick(14), pick(64))); types.push_back(REPEAT); break;
        case 2:
            frames.push_back(unvoiced_frame(1 + pick(14), {k[0], k[1], k[2], k[3]}));
            types.push_back(UNVOICED);
            break;
        default: frames.push_back(voiced_frame(1 + pick(14), 1 + pick(63), k)); types.push_back(VOICED);
        }
    }
    speech_stream s;
    for (const speech_frame &f : frames)
        s.add(f);
    s.add(stop_frame());
    std::vector<uint8_t> data = s.bytes();
    ASSERT_GT(data.size(), 150u);

    std::size_t sent = 24;
    send(std::vector<uint8_t>(data.begin(), data.begin() + 24));
    int refills = 0;
    for (std::size_t i = 0; i < frames.size(); i++) {
        int r = play_frame();
        ASSERT_TRUE(r == 1 || r == 2) << "frame " << i << " gave " << r;
        ASSERT_EQ(current_frame_t, types[i]) << "frame " << i;
        ASSERT_EQ(decode_frame_bits(current_frame), frames[i]) << "frame " << i;
        if (r == 1 && sent < data.size()) {
            std::size_t n = std::min<std::size_t>(8, data.size() - sent);
            send(std::vector<uint8_t>(data.begin() + sent, data.begin() + sent + n));
            sent += n;
            refills++;
        }
    }
    EXPECT_EQ(sent, data.size());
    EXPECT_GE(refills, 16);
    EXPECT_EQ(speech_do(), 0);
    EXPECT_EQ(tms5220.speak_state, 0);
    EXPECT_EQ(blocks.size(), frames.size());
}
