// The key queue as the firmware receives it: each poll latches at most one
// machine code in the I/O processor, and only once the one before has been
// taken, so that no press or release is lost however short.
#include "wx/keys.h"

#include "core/iocpu.h"
#include "core/machine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int RELEASE = 0x04;

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv_clear_globals();
        keys_clear_state();
    }
    void TearDown() override { keys_clear_state(); }

    // The I/O processor reports the latched code, if one is pending, as its
    // idle pass would: the flag goes down and the code reaches the firmware.
    static int machine_takes()
    {
        if (!(tms7041.flags & KEY_PENDING))
            return -1;
        tms7041.flags &= ~KEY_PENDING;
        return tms7041.key_code;
    }
    // Polls, the machine taking each code, until nothing more comes.
    static std::vector<int> drain()
    {
        std::vector<int> codes;
        for (int polls = 0; polls < 100; polls++) {
            orv_key_poll();
            int code = machine_takes();
            if (code < 0 && keys_waiting() == 0)
                break;
            if (code >= 0)
                codes.push_back(code);
        }
        return codes;
    }
    // Each host key pressed and released, all before the first poll.
    static std::vector<int> type(std::initializer_list<int> host_codes)
    {
        for (int host : host_codes) {
            orv_key_down(host);
            orv_key_up(host);
        }
        return drain();
    }
    // The same, keeping only the presses.
    static std::vector<int> presses(std::initializer_list<int> host_codes)
    {
        std::vector<int> codes;
        for (int code : type(host_codes))
            if (code != RELEASE)
                codes.push_back(code);
        return codes;
    }
};

TEST_F(KeysTest, ShiftIsOneShot)
{
    EXPECT_EQ(presses({306, 49, 49}), (std::vector<int>{134, 38, 49}));
    EXPECT_EQ(presses({306, 306, 49}), (std::vector<int>{134, 134, 49}));
    // Letters ignore shift, and use it up.
    EXPECT_EQ(presses({306, 65, 50}), (std::vector<int>{134, 65, 50}));
    EXPECT_EQ(presses({306, 324, 43}), (std::vector<int>{134, 2, 95}));
}

TEST_F(KeysTest, KeysTheMachineLacksSendNothing)
{
    EXPECT_EQ(type({8, 127, 340, 97, 343}), (std::vector<int>{8, RELEASE, 97, RELEASE, 27, RELEASE}));
}

TEST_F(KeysTest, APressReleasedBeforeAnyPollIsSentThenReleased)
{
    orv_key_down(66);
    orv_key_up(66);
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 66);
    // The release waits while the press is not taken: it would overwrite it.
    for (int i = 0; i < 5; i++) {
        orv_key_poll();
        EXPECT_EQ(tms7041.key_code, 66);
    }
    EXPECT_EQ(machine_takes(), 66);
    orv_key_poll();
    EXPECT_EQ(machine_takes(), RELEASE);
}

TEST_F(KeysTest, KeysTypedBetweenTwoPollsAllArriveInOrder)
{
    EXPECT_EQ(type({65, 66, 67}), (std::vector<int>{65, RELEASE, 66, RELEASE, 67, RELEASE}));
    // Overlapping keys: the release of a key not sent last takes no turn.
    orv_key_down(65);
    orv_key_down(66);
    orv_key_up(65);
    orv_key_up(66);
    EXPECT_EQ(drain(), (std::vector<int>{65, 66, RELEASE}));
}

TEST_F(KeysTest, TheNextCodeWaitsUntilTheReportHasPassedTheCodeOn)
{
    orv_key_down(65);
    orv_key_up(65);
    orv_key_poll();
    // The report has begun (flag down) but has sent only its first byte.
    tms7041.flags &= ~KEY_PENDING;
    tms7041.command = IO_REPORT_KEY;
    tms7041.byte_index = 1;
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 65);
    EXPECT_FALSE(tms7041.flags & KEY_PENDING);
    // The code is in the mailbox: the release may follow.
    tms7041.byte_index = 2;
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, RELEASE);
    EXPECT_TRUE(tms7041.flags & KEY_PENDING);
}

TEST_F(KeysTest, AutoRepeatKeepsOnePressWaiting)
{
    for (int i = 0; i < 5; i++)
        orv_key_down(65);
    EXPECT_EQ(keys_waiting(), 1);
    orv_key_poll();  // sent, not taken yet
    orv_key_down(65);
    orv_key_down(65);
    EXPECT_EQ(keys_waiting(), 1);
    // A new press after a release is a press of its own.
    orv_key_up(65);
    orv_key_down(65);
    EXPECT_EQ(keys_waiting(), 3);
    machine_takes();
    EXPECT_EQ(drain(), (std::vector<int>{65, RELEASE, 65}));
}

TEST_F(KeysTest, AMachineThatNeverReadsItsKeysDoesNotHoldTheQueue)
{
    orv_key_down(65);
    orv_key_down(66);
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 65);
    for (int i = 1; i < KEY_WAIT_POLLS; i++)
        orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 65);
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 66);
}

TEST_F(KeysTest, LosingTheKeyboardReleasesTheKeyLastSent)
{
    orv_key_down(307);  // Alt, whose key-up goes to the menu it opens
    orv_keys_lost();
    EXPECT_EQ(drain(), (std::vector<int>{136, RELEASE}));
    orv_keys_lost();  // nothing held: nothing sent
    EXPECT_EQ(drain(), std::vector<int>{});
}

TEST_F(KeysTest, TheQueueIsBounded)
{
    for (int i = 0; i < KEY_QUEUE_MAX + 10; i++)
        orv_key_up(65);
    EXPECT_EQ(keys_waiting(), KEY_QUEUE_MAX);
}

} // namespace
