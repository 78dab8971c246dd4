// The shared layer's window decisions: where the picture goes, the scale's
// steps, the title, and where a sound starts.
#include "frontend/picture_fit.h"
#include "frontend/sound_onset.h"
#include "frontend/title_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PictureFit, FillsTheAreaWithTheProportionsKeptAndCentred)
{
    // The window at its scales: the picture is the whole area.
    EXPECT_EQ(picture_fit(640, 500, false), (picture_rect{0, 0, 640, 500}));
    EXPECT_EQ(picture_fit(1280, 1000, true), (picture_rect{0, 0, 1280, 1000}));
    // A wide screen: black bands left and right.
    EXPECT_EQ(picture_fit(1920, 1080, false), (picture_rect{269, 0, 1382, 1080}));
    // A tall area: bands above and below.
    EXPECT_EQ(picture_fit(640, 1000, false), (picture_rect{0, 250, 640, 500}));
    // Integer scaling: the largest whole multiple, centred.
    EXPECT_EQ(picture_fit(1920, 1080, true), (picture_rect{320, 40, 1280, 1000}));
    EXPECT_EQ(picture_fit(1024, 768, true), (picture_rect{32, 9, 960, 750}));
    // Smaller than 1x: shrunk whole even with integer scaling.
    EXPECT_EQ(picture_fit(160, 400, true), (picture_rect{0, 137, 160, 125}));
    EXPECT_EQ(picture_fit(0, 500, false), picture_rect{});
    EXPECT_EQ(picture_fit(1, 1, false).w, 1);
}

TEST(PictureFit, ScaleStepsStayWithinOneToFour)
{
    EXPECT_EQ(picture_scale_step(2, 1), 3);
    EXPECT_EQ(picture_scale_step(4, 1), 4);
    EXPECT_EQ(picture_scale_step(1, -1), 1);
    EXPECT_EQ(picture_scale_step(9, -1), 4);
}

TEST(TitleText, NamesTheCartridgeAndTapeByFileName)
{
    EXPECT_EQ(title_text("wxOrvane", "", ""), "wxOrvane");
    EXPECT_EQ(title_text("wxOrvane", "/carts/game.rom", ""), "wxOrvane - game.rom");
    EXPECT_EQ(title_text("wxOrvane", "", "side1.wav"), "wxOrvane - side1.wav");
    EXPECT_EQ(title_text("orvane", "a/b.bin", "/t/c.wav"), "orvane - b.bin - c.wav");
    EXPECT_EQ(title_text("orvane", "dir/", ""), "orvane");
}

TEST(SoundOnset, FindsTheFirstSampleOfASoundAfterASilenceOnly)
{
    sound_onset onset;
    std::vector<unsigned char> quiet(sound_onset::QUIET_SAMPLES, 0x80 + sound_onset::LEVEL);
    EXPECT_EQ(onset.feed(quiet.data(), static_cast<int>(quiet.size())), -1);
    unsigned char block[8] = {0x80, 0x7F, 0x80, 0xA0, 0x60, 0xA0, 0x80, 0x80};
    EXPECT_EQ(onset.feed(block, 8), 3);
    // Speech goes on, with samples near the rest between its peaks: no new onset.
    EXPECT_EQ(onset.feed(block, 8), -1);
    // A silence shorter than 200 ms does not end the sound.
    std::vector<unsigned char> pause(sound_onset::QUIET_SAMPLES / 2, 0x80);
    onset.feed(pause.data(), static_cast<int>(pause.size()));
    EXPECT_EQ(onset.feed(block, 8), -1);
    // A sound right at the start of the stream, with no silence before it, is not an onset.
    sound_onset fresh;
    EXPECT_EQ(fresh.feed(block + 3, 2), -1);
}

} // namespace
