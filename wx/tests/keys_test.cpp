// The key translation as the firmware receives it: each poll latches one
// machine code in the I/O processor.
#include "wx/keys.h"

#include "core/iocpu.h"
#include "core/machine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Presses each host key before a poll of its own; returns the codes latched.
std::vector<int> type(std::initializer_list<int> host_codes)
{
    std::vector<int> sent;
    for (int host : host_codes) {
        tms7041.flags = 0;
        orv_key_down(host);
        orv_key_poll();
        sent.push_back(tms7041.flags & KEY_PENDING ? tms7041.key_code : -1);
        orv_key_up(host);
    }
    return sent;
}

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv_clear_globals();
        keys_clear_state();
    }
};

TEST_F(KeysTest, ShiftIsOneShot)
{
    EXPECT_EQ(type({306, 49, 49}), (std::vector<int>{134, 38, 49}));
    EXPECT_EQ(type({306, 306, 49}), (std::vector<int>{134, 134, 49}));
    // Letters ignore shift, and use it up.
    EXPECT_EQ(type({306, 65, 50}), (std::vector<int>{134, 65, 50}));
    EXPECT_EQ(type({306, 324, 43}), (std::vector<int>{134, 2, 95}));
}

TEST_F(KeysTest, KeysTheMachineLacksSendNothing)
{
    EXPECT_EQ(type({8, 127, 340, 97, 343}), (std::vector<int>{-1, 8, -1, 97, 27}));
}

TEST_F(KeysTest, ReleaseFollowsTheKeyLastSent)
{
    orv_key_down(66);
    orv_key_poll();
    tms7041.flags = 0;
    orv_key_up(65);  // another key: nothing
    EXPECT_FALSE(tms7041.flags & KEY_PENDING);
    orv_key_up(66);
    EXPECT_TRUE(tms7041.flags & KEY_PENDING);
    EXPECT_EQ(tms7041.key_code, 0x04);

    // Pressed and released between two polls: sent at the poll, and its
    // release waits for the next release of that key.
    tms7041.flags = 0;
    orv_key_down(67);
    orv_key_up(67);
    orv_key_poll();
    EXPECT_EQ(tms7041.key_code, 67);
    tms7041.flags = 0;
    orv_key_poll();
    EXPECT_FALSE(tms7041.flags & KEY_PENDING);
    orv_key_up(67);
    EXPECT_EQ(tms7041.key_code, 0x04);
}

} // namespace
