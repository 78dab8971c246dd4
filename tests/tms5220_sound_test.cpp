// The sample clock's output: one-bit sound while idle, speech while
// speaking, in blocks of 200 unsigned 8-bit samples handed to the sink.
#include "tms5220_fixture.h"

#include "core/host.h"
#include "core/memory.h"
#include "core/tms5220.h"

namespace {

std::vector<uint8_t> level(int value, int count = 200) { return std::vector<uint8_t>(count, static_cast<uint8_t>(value)); }

} // namespace

TEST_F(Tms5220Test, OneBitSoundLevels)
{
    struct {
        uint8_t portb, porta;
        int sample;
    } const cases[] = {
        {0x00, 0x00, 49},   // silent machine: -20000
        {0xF7, 0xEF, 49},   // only port B bit 3 and port A bit 4 count
        {0x08, 0x00, 174},  // beeper: +12000
        {0x00, 0x10, 81},   // cassette: -12000
        {0x08, 0x10, 206},  // both: +20000
    };
    for (const auto &c : cases) {
        blocks.clear();
        portb_val = c.portb;
        porta_val = c.porta;
        EXPECT_EQ(run(199), 2);
        EXPECT_TRUE(blocks.empty());
        run(1);
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0], level(c.sample)) << std::hex << int(c.portb) << " " << int(c.porta);
    }
}

TEST_F(Tms5220Test, BlocksAreDroppedWithoutASink)
{
    orv_host.sound_block = nullptr;
    run(450);
    EXPECT_TRUE(blocks.empty());
    orv_host.sound_block = [](const unsigned char *block, int length) {
        blocks.emplace_back(block, block + length);
    };
    run(149);
    EXPECT_TRUE(blocks.empty());
    run(1);  // the 600th sample completes the third block
    EXPECT_EQ(blocks.size(), 1u);
}

TEST_F(Tms5220Test, SpeechBlockEvery200SamplesThenOneBitAgain)
{
    speech_stream s;
    for (int i = 0; i < 3; i++)
        s.add(voiced_frame(11, 22, {19, 14, 8, 7, 9, 6, 8, 3, 4, 5}));
    send(s);  // 150 bits: 19 bytes
    run(50);  // one-bit sound is not made while speaking
    run(149);
    EXPECT_TRUE(blocks.empty());
    run(1);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].size(), 200u);
    run(399);
    EXPECT_EQ(blocks.size(), 2u);
    run(1);
    ASSERT_EQ(blocks.size(), 3u);
    for (const auto &b : blocks)
        EXPECT_NE(b, level(b[0])) << "speech blocks carry sound";

    EXPECT_EQ(speech_do(), 3);  // out of data
    run(199);
    EXPECT_EQ(blocks.size(), 3u);
    run(1);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[3], level(49));
}
