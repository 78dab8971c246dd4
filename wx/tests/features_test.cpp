// The window's added features that need no window: the settings kept and a
// damaged file left alone, the tape's times, the window's keys, the picture
// scaled with sharp dots, key names for key maps, a game controller read.
#include "wx/gamepad_sdl.h"
#include "wx/host_key_codes.h"
#include "wx/kept_settings.h"
#include "wx/menus.h"
#include "wx/picture_scale.h"
#include "wx/tape.h"
#include "wx/window_keys.h"

#include "frontend/host_keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class KeptSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wx_kept_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "wxOrvane.conf").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string path;
};

TEST_F(KeptSettingsTest, ChoicesAndRememberedFilesSurviveARestart)
{
    EXPECT_EQ(kept_settings_load(path), "");  // no file yet: the defaults, nothing to tell
    EXPECT_EQ(kept().scale, 2);
    settings s = kept();
    s.scale = 3;
    s.volume = 40;
    EXPECT_EQ(kept_choose(s), "");
    s.recent_cartridges.add("/carts/a.rom");
    EXPECT_EQ(kept_remember(s), "");
    EXPECT_EQ(kept_settings_load(path), "");
    EXPECT_EQ(kept().scale, 3);
    EXPECT_EQ(kept().volume, 40);
    ASSERT_EQ(kept().recent_cartridges.items().size(), 1u);
    EXPECT_EQ(kept().recent_cartridges.items()[0], "/carts/a.rom");
}

TEST_F(KeptSettingsTest, ADamagedFileIsToldOnceAndLeftAloneUntilTheUserChoosesASetting)
{
    const std::string damaged = "scale = 3\nscale = huge\n\x01\x02 not a line\n";
    std::ofstream(path, std::ios::binary) << damaged;
    std::string message = kept_settings_load(path);
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_EQ(kept().scale, 3);  // what could be read applies
    // Remembering a file, or choosing a value the setting already has,
    // leaves the file as it is.
    settings s = kept();
    s.recent_tapes.add("/tapes/t.wav");
    EXPECT_EQ(kept_remember(s), "");
    EXPECT_EQ(kept_choose(kept()), "");
    EXPECT_EQ(read_all(path), damaged);
    // A real choice writes the file, with what was remembered meanwhile.
    s = kept();
    s.mute = true;
    EXPECT_EQ(kept_choose(s), "");
    EXPECT_EQ(kept_settings_load(path), "");
    EXPECT_TRUE(kept().mute);
    EXPECT_EQ(kept().scale, 3);
    ASSERT_EQ(kept().recent_tapes.items().size(), 1u);
}

TEST(TapeTimes, TypedTimesAndTheStatusText)
{
    double s = -1;
    EXPECT_TRUE(tape_time_parse("75", s));
    EXPECT_DOUBLE_EQ(s, 75);
    EXPECT_TRUE(tape_time_parse(" 1:15 ", s));
    EXPECT_DOUBLE_EQ(s, 75);
    EXPECT_TRUE(tape_time_parse("2:03.5", s));
    EXPECT_DOUBLE_EQ(s, 123.5);
    for (const char *bad : {"", "x", "1:", "1:60", "-3", "1.5:10", "1:2:3", "10 s", "nan", "inf"})
        EXPECT_FALSE(tape_time_parse(bad, s)) << bad;
    EXPECT_EQ(tape_time_text(0), "0:00");
    EXPECT_EQ(tape_time_text(225.9), "3:45");
    EXPECT_EQ(tape_time_text(-1), "0:00");
    EXPECT_EQ(tape_status_text(), "");  // no tape loaded
}

TEST(WindowKeys, TheWindowsKeysAreItsCommandsAndTheMachinesKeysAreNot)
{
    EXPECT_EQ(window_key_command(WXO_KEY_F2), ID_PAUSE);
    EXPECT_EQ(window_key_command(WXO_KEY_F3), ID_FAST_FORWARD);
    EXPECT_EQ(window_key_command(WXO_KEY_F11), ID_FULLSCREEN);
    EXPECT_EQ(window_key_command(WXO_KEY_PAGE_UP), ID_SCALE_UP);
    EXPECT_EQ(window_key_command(WXO_KEY_PAGE_DOWN), ID_SCALE_DOWN);
    EXPECT_EQ(window_key_command(WXO_KEY_INSERT), ID_PASTE);
    EXPECT_EQ(window_key_command(WXO_KEY_END), ID_TAPE_PLAY);
    EXPECT_EQ(window_key_command(WXO_KEY_F8), ID_TAPE_REWIND);
    EXPECT_EQ(window_key_command(WXO_KEY_F9), ID_KEY_LIST);
    // The machine's keys and the specified window keys are none of them:
    // F1, F4 (Escape), F5 to F7, F12, Home, Delete, Pause, keypad digits,
    // keypad minus, letters.
    for (int code : {340, 343, 344, 345, 346, 351, 313, 127, 310, 324, 333, 390, 65, 46, 8, 27})
        EXPECT_EQ(window_key_command(code), 0) << code;
}

TEST(PictureScale, EveryPixelTakesTheDotUnderItsCentre)
{
    // A 4 x 2 source of 3-byte pixels (pitch 16): pixel (x, y) holds x + 10 y.
    std::vector<uint8_t> src(16 * 2, 0xEE);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
            for (int c = 0; c < 3; c++)
                src[static_cast<size_t>(y * 16 + x * 3 + c)] = static_cast<uint8_t>(x + 10 * y);
    std::vector<uint8_t> out;
    scale_nearest(src.data(), 4, 2, 16, out, 8, 3);
    ASSERT_EQ(out.size(), 8u * 3 * 3);
    auto at = [&](int x, int y) { return out[static_cast<size_t>((y * 8 + x) * 3)]; };
    // Twice as wide: each source pixel twice. 1.5 times as high: rows 0, 0 or 1, 1.
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(1, 0), 0);
    EXPECT_EQ(at(2, 0), 1);
    EXPECT_EQ(at(7, 0), 3);
    EXPECT_EQ(at(7, 2), 13);
    EXPECT_EQ(at(0, 1), 10);  // row 1's centre (1.5 of 3) lies in source row 1
    // Smaller: 4 to 2 takes columns 1 and 3, never the pitch's padding.
    scale_nearest(src.data(), 4, 2, 16, out, 2, 1);
    EXPECT_EQ(out[0], 11);
    EXPECT_EQ(out[3], 13);
    scale_nearest(src.data(), 4, 2, 16, out, 0, 5);
    EXPECT_TRUE(out.empty());
}

TEST(HostKeyCodes, WxCodesHaveTheNamesKeyMapsUse)
{
    EXPECT_EQ(host_key_name(wx_code_to_host_key('A')), "A");
    EXPECT_EQ(host_key_name(wx_code_to_host_key('a')), "A");
    EXPECT_EQ(host_key_name(wx_code_to_host_key(341)), "F2");
    EXPECT_EQ(host_key_name(wx_code_to_host_key('.')), "Period");
    EXPECT_EQ(host_key_name(wx_code_to_host_key(329)), "Keypad5");
    EXPECT_EQ(host_key_name(wx_code_to_host_key(306)), "LeftShift");
    EXPECT_EQ(wx_code_to_host_key(0x20AC), HOST_KEY_NONE);
}

} // namespace

namespace {

// A controller made by SDL itself (a virtual one) stands in for a real pad.
TEST(GamepadSdl, AControllersButtonsDpadAndStickBecomeThePadsInputs)
{
    ASSERT_EQ(gamepad_sdl_open(), "");
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "test pad";
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick *joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr) << SDL_GetError();

    gamepad pad;
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    gamepad_sdl_poll(pad);
    EXPECT_EQ(gamepad_sdl_name(), "test pad");
    EXPECT_TRUE(pad.down(PAD_BUTTON_1));
    EXPECT_TRUE(pad.down(PAD_LEFT));
    EXPECT_FALSE(pad.down(PAD_BUTTON_1 + 1));

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 0);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -30000);  // the stick leans up
    gamepad_sdl_poll(pad);
    EXPECT_FALSE(pad.down(PAD_BUTTON_1));
    EXPECT_FALSE(pad.down(PAD_LEFT));
    EXPECT_TRUE(pad.down(PAD_BUTTON_1 + 1));
    EXPECT_TRUE(pad.down(PAD_UP));

    // Pulled out: everything comes up.
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    gamepad_sdl_poll(pad);
    EXPECT_FALSE(pad.down(PAD_UP));
    EXPECT_FALSE(pad.down(PAD_BUTTON_1 + 1));
    EXPECT_EQ(gamepad_sdl_name(), "");
    gamepad_sdl_close();
}

} // namespace
