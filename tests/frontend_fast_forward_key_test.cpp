// The fast-forward key: a tap toggles, a hold runs fast only while held.
#include "frontend/fast_forward_key.h"

#include <gtest/gtest.h>

TEST(FastForwardKey, TapTogglesOnAndTheNextPressTurnsItOff)
{
    pacer p;
    fast_forward_key k;
    k.press(1000, p);
    EXPECT_TRUE(p.fast_forward());  // fast at once, before it is known to be a tap
    k.release(1100, p);
    EXPECT_TRUE(p.fast_forward());  // a tap: stays on
    k.press(5000, p);
    EXPECT_FALSE(p.fast_forward());  // the next press ends it at once
    k.release(5050, p);
    EXPECT_FALSE(p.fast_forward());  // and that press's release does not toggle it back
    k.press(6000, p);
    k.press(6100, p);                 // key repeat is not a second press
    k.release(6200, p);
    EXPECT_TRUE(p.fast_forward());
}

TEST(FastForwardKey, HoldRunsFastOnlyWhileDown)
{
    pacer p;
    fast_forward_key k;
    k.press(0, p);
    EXPECT_EQ(p.speed(), 4);
    k.release(fast_forward_key::TAP_MS, p);
    EXPECT_FALSE(p.fast_forward());
    EXPECT_EQ(p.speed(), 1);
    // A hold cut short by a dialog ends without becoming a toggle.
    k.press(10000, p);
    k.lost(p);
    EXPECT_FALSE(p.fast_forward());
    k.release(10010, p);
    EXPECT_FALSE(p.fast_forward());
}

TEST(FastForwardKey, PressWhileToggledFromAMenuTurnsItOff)
{
    pacer p;
    fast_forward_key k;
    p.toggle_fast_forward();
    k.press(0, p);
    k.release(1000, p);
    EXPECT_FALSE(p.fast_forward());
}
