// The fast-forward key: a tap toggles, a hold runs fast only while held;
// what a tap is.
#include "frontend/fast_forward_key.h"

#include <gtest/gtest.h>

TEST(HoldOrTap, ATapToggles_AHoldActsWhileDown)
{
    hold_or_tap key;
    EXPECT_TRUE(key.down(1000));
    EXPECT_TRUE(key.held());
    EXPECT_FALSE(key.down(1100));  // auto-repeat: the same press
    EXPECT_TRUE(key.up(1200));     // 200 ms: a tap
    EXPECT_FALSE(key.held());
    EXPECT_TRUE(key.down(2000));
    EXPECT_FALSE(key.up(2000 + hold_or_tap::TAP_MS));  // a hold
    EXPECT_FALSE(key.up(3000));    // a key-up without its key-down
}

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
