// The shared layer's keyboard: the key queue as the machine's single latch
// receives it, the character mode, pasting, key map files and the gamepad.
#include "test_support.h"

#include "core/iocpu.h"
#include "frontend/char_keys.h"
#include "frontend/gamepad.h"
#include "frontend/host_keys.h"
#include "frontend/key_map.h"
#include "frontend/key_queue.h"
#include "frontend/paste.h"
#include "frontend/wx_key_table.h"

#include <string>
#include <vector>

namespace {

using codes = std::vector<int>;
constexpr int R = KEY_RELEASE_CODE;

// The I/O processor's idle pass, as far as keys go: a pending code is
// reported and the flag goes down.
int machine_takes()
{
    if (!(tms7041.flags & KEY_PENDING))
        return -1;
    tms7041.flags &= ~KEY_PENDING;
    return tms7041.key_code;
}

// Polls with the machine taking every code, until the queue is empty.
template <typename Before>
codes drain(key_queue &q, Before before)
{
    codes got;
    for (int polls = 0; polls < 2000; polls++) {
        before();
        q.poll();
        int code = machine_takes();
        if (code >= 0)
            got.push_back(code);
        else if (!q.busy())
            break;
    }
    return got;
}
codes drain(key_queue &q)
{
    return drain(q, [] {});
}

codes typed(char32_t c)
{
    std::vector<unsigned char> v;
    if (!char_key_codes(c, v))
        return {};
    return codes(v.begin(), v.end());
}

using KeyQueueTest = CoreTest;

TEST_F(KeyQueueTest, CodesPushedAsTheyAreAllArriveOneAtATime)
{
    key_queue q(25, 64);
    q.push_code(4);
    q.push_code(66);
    q.poll();
    EXPECT_EQ(tms7041.key_code, 4);
    // Not taken yet: the next code would overwrite it.
    q.poll();
    EXPECT_EQ(tms7041.key_code, 4);
    EXPECT_TRUE(q.busy());
    EXPECT_EQ(machine_takes(), 4);
    EXPECT_EQ(drain(q), codes({66}));
    EXPECT_FALSE(q.busy());
}

TEST_F(KeyQueueTest, ASequenceKeepsItsOrderAndHostKeysFollowIt)
{
    wx_key_translator t;
    key_queue q(50, 256, &t);
    q.key_down(65);
    q.push_sequence({134, R, 46, R});
    q.key_up(65);  // the sequence ended with a release: nothing more to release
    q.key_down(66);
    q.key_up(66);
    EXPECT_EQ(drain(q), codes({65, 134, R, 46, R, 66, R}));
}

TEST_F(KeyQueueTest, AMachineThatNeverTakesItsKeysDoesNotHoldTheQueue)
{
    key_queue q(3, 64);
    q.push_code(65);
    q.push_code(66);
    q.poll();
    q.poll();
    q.poll();
    EXPECT_EQ(tms7041.key_code, 65);
    q.poll();
    EXPECT_EQ(tms7041.key_code, 66);
}

TEST(CharKeys, TypesWhatTheHostKeySaysAsTheMachineNeedsIt)
{
    EXPECT_EQ(typed('='), codes({61, R}));
    EXPECT_EQ(typed('.'), codes({134, R, 46, R}));
    EXPECT_EQ(typed('/'), codes({134, R, 47, R}));
    EXPECT_EQ(typed('-'), codes({134, R, 45, R}));
    EXPECT_EQ(typed('+'), codes({134, R, 43, R}));
    EXPECT_EQ(typed(','), codes({44, R}));
    EXPECT_EQ(typed(';'), codes({59, R}));
    // Plain on one key, shifted on another: the plain key.
    EXPECT_EQ(typed('*'), codes({42, R}));
    // Letters: the machine's letter keys, whatever the case.
    EXPECT_EQ(typed('Q'), codes({81, R}));
    EXPECT_EQ(typed('q'), codes({81, R}));
    EXPECT_EQ(typed('7'), codes({55, R}));
    EXPECT_EQ(typed('\n'), codes({13, R}));
    EXPECT_EQ(typed(U'é'), codes({134, R, 17, R}));
    EXPECT_EQ(typed('|'), codes({}));
    EXPECT_EQ(typed(U'€'), codes({}));
}

TEST(CharKeys, EveryCharacterGoesThroughAKeyOfTheTableWithTheSameCode)
{
    // Each character typed is what the wx table sends for some key, plain or
    // after Shift: the character mode invents no code.
    for (char32_t c = 32; c < 127; c++) {
        std::vector<unsigned char> v;
        if (!char_key_codes(c, v))
            continue;
        unsigned char code = v[v.size() - 2];
        bool shifted = v.size() == 4;
        bool found = c >= 'A' && c <= 'Z' ? code == c : c >= 'a' && c <= 'z' ? code == c - 32 : false;
        for (size_t i = 0; i < wx_key_row_count && !found; i++)
            found = (shifted ? wx_key_rows[i].shifted : wx_key_rows[i].plain) == code;
        EXPECT_TRUE(found) << "character " << static_cast<int>(c);
    }
}

TEST(CharKeys, Utf8IsReadWholeAndMalformedBytesAreNoCharacter)
{
    std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3(\xC0\x80";
    size_t at = 0;
    std::vector<char32_t> got;
    while (at < text.size())
        got.push_back(utf8_next(text, at));
    EXPECT_EQ(got, (std::vector<char32_t>{'a', 0xE9, 0x20AC, 0x1F600, 0xFFFD, '(', 0xFFFD}));
}

using PasteTest = CoreTest;

TEST_F(PasteTest, LosesNothingAndLeavesOutWhatTheMachineLacks)
{
    key_queue q(50, 256);
    paste_queue paste;
    EXPECT_EQ(paste.add("Hi.\r\n{x}=1\r"), 2u);
    codes got = drain(q, [&] { paste.poll(q); });
    // The queue is idle between characters, so one more poll may be needed.
    for (int i = 0; i < 10 && paste.active(); i++) {
        codes more = drain(q, [&] { paste.poll(q); });
        got.insert(got.end(), more.begin(), more.end());
    }
    codes expected;
    for (char32_t c : std::u32string(U"HI.\nX=1\n")) {
        codes one = typed(c);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(paste.active());
    EXPECT_EQ(paste.typed(), 8u);
    EXPECT_EQ(paste.skipped(), 2u);
}

TEST_F(PasteTest, ACharacterWaitsUntilTheMachineHasTakenEveryCodeBefore)
{
    key_queue q(50, 256);
    paste_queue paste(0);
    paste.add("ab");
    paste.poll(q);
    q.poll();
    EXPECT_EQ(tms7041.key_code, 65);
    // The machine is slow: nothing more goes while it holds the code.
    for (int i = 0; i < 20; i++) {
        paste.poll(q);
        q.poll();
    }
    EXPECT_EQ(tms7041.key_code, 65);
    EXPECT_EQ(paste.left(), 1u);
    EXPECT_EQ(machine_takes(), 65);
}

TEST(KeyMapFile, ReadsEveryFormAndNamesTheLinesItLeavesOut)
{
    std::vector<std::string> errors;
    key_map m = key_map_parse("\xEF\xBB\xBF# comment\n"
                              "F2 = 27\n"
                              "period = 0x2E   # hex\n"
                              "Minus = \"-\"\n"
                              "Hash = 1\n"
                              "Pause = none\n"
                              "Slash = 300\n"
                              "Pad.Button3 = 134, 4, 65\n"
                              "Comma = \"#\"\n"
                              "no equals here\n"
                              "F2 = 13\n",
                              errors);
    EXPECT_EQ(*m.find(HOST_KEY_F1 + 1), std::vector<unsigned char>({13}));  // the later line wins
    EXPECT_EQ(*m.find(HOST_KEY_PERIOD), std::vector<unsigned char>({0x2E}));
    // A character's codes without its last release, which the key-up sends.
    EXPECT_EQ(*m.find(HOST_KEY_MINUS), std::vector<unsigned char>({134, R, 45}));
    EXPECT_EQ(*m.find(HOST_KEY_COMMA), std::vector<unsigned char>({35}));
    EXPECT_TRUE(m.find(HOST_KEY_PAUSE)->empty());
    EXPECT_EQ(*m.find(PAD_BUTTON_1 + 2), std::vector<unsigned char>({134, 4, 65}));
    EXPECT_EQ(m.find(HOST_KEY_SLASH), nullptr);
    EXPECT_EQ(errors, (std::vector<std::string>{"line 5: 'Hash' is not a key name",
                                                 "line 7: '300' is not a machine key code (0 to 255)",
                                                 "line 10: no '=' (KEY = CODES)"}));
}

TEST(KeyMapFile, NamesGoBothWays)
{
    for (int key = HOST_KEY_A; key < HOST_KEY_COUNT; key++) {
        ASSERT_FALSE(host_key_name(key).empty()) << key;
        EXPECT_EQ(host_key_from_name(host_key_name(key)), key) << host_key_name(key);
    }
    EXPECT_EQ(host_key_from_name("pad.button16"), PAD_BUTTON_1 + 15);
    EXPECT_EQ(host_key_from_name("Pad.Button17"), HOST_KEY_NONE);
    EXPECT_EQ(host_key_from_name("keypad5"), HOST_KEY_KEYPAD_0 + 5);
}

TEST_F(KeyQueueTest, TheKeyMapGoesOverTheProgramsTableAndTheGamepadIsKeys)
{
    std::vector<std::string> errors;
    key_map m = key_map_parse("A = 66\nSlash = none\nPad.Button1 = 13\n", errors);
    ASSERT_TRUE(errors.empty());
    wx_key_translator wx;
    // wx codes 65 (A) and 47 (/) are the host keys A and Slash.
    auto own = [](int wx_code) { return wx_code == 65 ? int(HOST_KEY_A) : wx_code == 47 ? int(HOST_KEY_SLASH) : 0; };
    key_map_translator t(&m, &wx, own);
    key_queue q(50, 256, &t);
    q.key_down(65);
    q.key_up(65);
    q.key_down(47);
    q.key_up(47);
    q.key_down(66);  // not in the map: the wx table
    q.key_up(66);
    EXPECT_EQ(drain(q), codes({66, R, 66, R}));

    gamepad pad;
    pad.set_button(0, true);
    pad.set_axis(0, 20000);  // right
    pad.poll(q);
    EXPECT_EQ(drain(q), codes({129, 13}));
    pad.set_axis(0, 12000);  // still past the release point: held
    pad.poll(q);
    EXPECT_EQ(drain(q), codes({}));
    pad.set_axis(0, 0);
    pad.set_button(0, false);
    pad.poll(q);
    // Right was not the last key sent: only the button's release goes.
    EXPECT_EQ(drain(q), codes({R}));
    pad.set_hat(true, false, false, false);
    pad.poll(q);
    pad.disconnect();
    pad.poll(q);
    EXPECT_EQ(drain(q), codes({128, R}));
}

} // namespace
