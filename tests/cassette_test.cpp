#include "test_support.h"

#include "core/cassette.h"
#include "core/memory.h"
#include "core/timers.h"

#include <string>
#include <vector>

namespace {

struct played {
    uint32_t clock;  // emulated cycles when the sample was taken
    int bit;         // port A bit 4 after it
};

// Runs the event clock in steps of `step` cycles, as instructions would, and
// records every sample the cassette takes.
std::vector<played> run(uint32_t cycles, uint32_t step = 1)
{
    std::vector<played> out;
    for (uint32_t t = 0; t < cycles; t += step) {
        int where = K7where;
        veld_timer_update_clock({0, step});
        veld_check_timers();
        if (K7where != where)
            out.push_back({veld_get_time().cycles, (get_porta() >> 4) & 1});
    }
    return out;
}

std::vector<int> bits(const std::vector<played> &p)
{
    std::vector<int> b;
    for (auto &s : p)
        b.push_back(s.bit);
    return b;
}

int k7_timers()
{
    int n = 0;
    for (int i = 0; i < g_timer_num; i++)
        n += timer_tab[i].tag == K7_TIMER;
    return n;
}

void load(k7_sample_format format, int channels, const std::vector<uint8_t> &data,
          int freq = 22050, int sample_bytes = 0)
{
    ASSERT_EQ(orv_load_K7({freq, format, sample_bytes, channels}, data.data(),
                          static_cast<uint32_t>(data.size())),
              nullptr);
}

using CassetteTest = CoreTest;

} // namespace

TEST_F(CassetteTest, UnsignedMonoFollowsTheSignOnePeriodApartAndIsReleasedAfterTheLast)
{
    // 128 is the zero level and clears the bit, as everything below it.
    load(K7_U8, 1, {200, 128, 0, 255, 129, 127});
    EXPECT_EQ(K7_period.cycles, 111u);  // 1 / 22050 s, truncated
    auto p = run(2000);
    EXPECT_EQ(bits(p), (std::vector<int>{1, 0, 0, 1, 1, 0}));
    // Each sample is due one period after the previous one was taken and
    // fires on the first step past that: one cycle late every time.
    ASSERT_EQ(p.size(), 6u);
    for (size_t i = 0; i < p.size(); i++)
        EXPECT_EQ(p[i].clock, 112u * (i + 1)) << i;
    EXPECT_EQ(K7_buffer, nullptr);
    EXPECT_EQ(k7_timers(), 0);
}

TEST_F(CassetteTest, LatenessAccumulatesWithLongInstructions)
{
    load(K7_U8, 1, std::vector<uint8_t>(5, 255), 8000);
    EXPECT_EQ(K7_period.cycles, 306u);  // 306.875 truncated
    // With 10-cycle steps a sample due after 306 cycles is taken at 310, and
    // the next one is due 306 cycles after that.
    auto p = run(5000, 10);
    ASSERT_EQ(p.size(), 5u);
    for (size_t i = 0; i < p.size(); i++)
        EXPECT_EQ(p[i].clock, 310u * (i + 1)) << i;
}

TEST_F(CassetteTest, SignedEightBitCountsZeroAsPositive)
{
    load(K7_S8, 1, {0x00, 0x80, 0x7F, 0xFF, 0x01});
    EXPECT_EQ(bits(run(1000)), (std::vector<int>{1, 0, 1, 0, 1}));
}

TEST_F(CassetteTest, StereoFollowsTheLeftChannelToItsEnd)
{
    load(K7_U8, 2, {255, 0, 0, 255, 255, 0, 200, 0});
    auto p = run(2000);
    EXPECT_EQ(bits(p), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(K7where, 8);
    EXPECT_EQ(K7_buffer, nullptr);
}

TEST_F(CassetteTest, SixteenBitSamplesAreLittleEndianAboveTheirZeroLevel)
{
    // Signed: 256, -256, 255, 0, 1, -1, 32767, -32768 (left), right all positive.
    load(K7_S16LSB, 2,
         {0x00, 0x01, 0xFF, 0x7F,  0x00, 0xFF, 0xFF, 0x7F,  0xFF, 0x00, 0xFF, 0x7F,
          0x00, 0x00, 0xFF, 0x7F,  0x01, 0x00, 0xFF, 0x7F,  0xFF, 0xFF, 0xFF, 0x7F,
          0xFF, 0x7F, 0xFF, 0x7F,  0x00, 0x80, 0xFF, 0x7F});
    EXPECT_EQ(bits(run(2000)), (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0}));

    // Unsigned: 0x8000 is the zero level.
    load(K7_U16LSB, 1, {0x00, 0x80, 0x01, 0x80, 0xFF, 0x7F, 0x7F, 0xFF, 0x80, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(bits(run(2000)), (std::vector<int>{0, 1, 0, 1, 0, 1}));
}

TEST_F(CassetteTest, UnknownFormatsKeepTheBitButPlayForTheirLength)
{
    or_porta(0x10);
    load(K7_OTHER, 1, std::vector<uint8_t>(12, 0), 22050, 4);
    auto p = run(2000);
    EXPECT_EQ(bits(p), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(K7_buffer, nullptr);
}

TEST_F(CassetteTest, ALastSampleCutShortEndsThePlayback)
{
    // Two whole 16-bit samples and one stray byte: the stray byte is never read.
    load(K7_S16LSB, 1, {0x00, 0x10, 0x00, 0xF0, 0x7F});
    auto p = run(2000);
    EXPECT_EQ(bits(p), (std::vector<int>{1, 0}));
    EXPECT_EQ(K7_buffer, nullptr);
    EXPECT_EQ(k7_timers(), 0);
}

TEST_F(CassetteTest, OnlyTheInputBitChanges)
{
    or_porta(0xEF);
    load(K7_U8, 1, {255, 0});
    run(300);
    EXPECT_EQ(get_porta(), 0xEF);
}

TEST_F(CassetteTest, ASecondLoadRestartsFromItsFirstSample)
{
    load(K7_U8, 1, std::vector<uint8_t>(100, 255));
    auto first = run(112 * 3);
    EXPECT_EQ(first.size(), 3u);
    load(K7_U8, 1, {0, 255, 0});
    EXPECT_EQ(k7_timers(), 1);
    EXPECT_EQ(K7where, 0);
    auto second = run(2000);
    EXPECT_EQ(bits(second), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(second[0].clock, 112u * 4);
}

TEST_F(CassetteTest, AFileThatDoesNotDecodeStopsThePlaybackAndTheMachineGoesOn)
{
    load(K7_U8, 1, std::vector<uint8_t>(100, 255));
    run(200);
    EXPECT_STREQ(orv_K7_load_failed(), "Error loading wav");
    EXPECT_EQ(K7_buffer, nullptr);
    // The timer left armed fires once without effect and is not re-armed.
    EXPECT_EQ(k7_timers(), 1);
    int bit = get_porta() & 0x10;
    run(500);
    EXPECT_EQ(k7_timers(), 0);
    EXPECT_EQ(get_porta() & 0x10, bit);

    EXPECT_EQ(K7_not_valid_text("tape.wav"), "tape.wav is not a valid WAV");
    EXPECT_STREQ(K7_NOT_VALID, "Not a valid WAV");
}

TEST_F(CassetteTest, RecordingsThatCannotPlayAreRefused)
{
    uint8_t data[4] = {};
    EXPECT_STREQ(orv_load_K7({0, K7_U8, 0, 1}, data, 4), "Error loading wav");
    EXPECT_STREQ(orv_load_K7({8000, K7_U8, 0, 0}, data, 4), "Error loading wav");
    EXPECT_STREQ(orv_load_K7({8000, K7_OTHER, 0, 1}, data, 4), "Error loading wav");
    EXPECT_EQ(K7_buffer, nullptr);
    EXPECT_EQ(k7_timers(), 0);
}

TEST_F(CassetteTest, LoadLineForThePrograms)
{
    K7_log_load();
    EXPECT_EQ(log_text(), "00000000 0000 K7 loading:Load K7\n");
}
