// The rewind key as the render timer serves it, tick by tick: a press steps
// back at once however short, a held key steps again every few ticks, no
// frame runs meanwhile, and the release lets the machine run on.
#include "wx/states.h"

#include "core/loop.h"
#include "core/machine.h"
#include "core/rewind.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RewindKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv_clear_globals();
        // States at frames 0, 49, 98 and 147, the last one taken just now.
        for (int frame = 0; frame <= 3 * ORV_REWIND_FRAMES; frame++) {
            vblnum = frame;
            orv_rewind_frame();
        }
    }
    void TearDown() override
    {
        rewind_key_up();
        std::string message;
        while (rewind_tick(message) != REWIND_OFF) {
        }
    }
    rewind_action tick()
    {
        message.clear();
        return rewind_tick(message);
    }
    std::string message;
};

TEST_F(RewindKeyTest, ATapStepsBackOnce)
{
    EXPECT_EQ(tick(), REWIND_OFF);
    rewind_key_down();
    rewind_key_up();
    EXPECT_EQ(tick(), REWIND_STEP);
    EXPECT_EQ(vblnum, 2 * ORV_REWIND_FRAMES);
    EXPECT_EQ(message.rfind("rewind: 1 s back (3 states kept, ", 0), 0u) << message;
    EXPECT_EQ(tick(), REWIND_ENDED);
    EXPECT_EQ(tick(), REWIND_OFF);
}

TEST_F(RewindKeyTest, AHeldKeyStepsEverySixTicksUntilNoneIsOlder)
{
    rewind_key_down();
    for (int frame : {2 * ORV_REWIND_FRAMES, ORV_REWIND_FRAMES, 0}) {
        EXPECT_EQ(tick(), REWIND_STEP);
        EXPECT_EQ(vblnum, frame);
        for (int i = 1; i < REWIND_STEP_TICKS; i++) {
            rewind_key_down();  // auto-repeat: no step of its own
            EXPECT_EQ(tick(), REWIND_WAIT);
        }
    }
    EXPECT_EQ(tick(), REWIND_WAIT);
    EXPECT_EQ(message, "rewind: 3 s back, no older state");
    for (int i = 0; i < 2 * REWIND_STEP_TICKS; i++)
        EXPECT_EQ(tick(), REWIND_WAIT);
    EXPECT_EQ(vblnum, 0);
    rewind_key_up();
    EXPECT_EQ(tick(), REWIND_ENDED);
}

} // namespace
