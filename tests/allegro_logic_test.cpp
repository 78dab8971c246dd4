// orvane's decisions that need no window: the keyboard poll, the words for
// why the machine stopped, texts cut for alerts.
#include "test_support.h"

#include "allegro/alert_text.h"
#include "allegro/key_poll.h"
#include "allegro/stop_reason.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/tms3556.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

// A small keyboard: scancodes 1 (A), 2 (B), 3 (the 2 key), 10 (Shift),
// 11 (Ctrl).
const key_poll_entry TABLE[] = {
    {1, 65, 0, KEY_PLAIN}, {2, 66, 0, KEY_PLAIN}, {3, 50, 34, KEY_PLAIN},
    {10, 134, 0, KEY_SHIFT}, {11, 137, 0, KEY_MODIFIER},
};
constexpr int A = 1, B = 2, TWO = 3, SHIFT = 10, CTRL = 11;

std::vector<int> sent;
void record(unsigned char code) { sent.push_back(code); }

// The host's keyboard as the program sees it: keys held, presses recorded.
struct keyboard {
    volatile char down[KEY_POLL_SCANCODES] = {};
    std::atomic<unsigned char> pressed[KEY_POLL_SCANCODES] = {};
    bool busy = false;
    key_poller poller{TABLE, sizeof TABLE / sizeof TABLE[0]};

    key_poll_input input() { return {down, pressed, busy}; }
    void press(int sc) { down[sc] = 1; pressed[sc] = 1; }
    void release(int sc) { down[sc] = 0; }
    void tap(int sc) { pressed[sc] = 1; }  // pressed and released between two polls
    std::vector<int> poll()
    {
        sent.clear();
        poller.poll(input(), record);
        return sent;
    }
};

using codes = std::vector<int>;

TEST(KeyPollTest, OneKeyAtATimeWithItsRelease)
{
    keyboard k;
    k.press(A);
    EXPECT_EQ(k.poll(), codes({65}));
    k.press(B);
    EXPECT_EQ(k.poll(), codes({}));  // A still held: B waits
    k.release(A);
    EXPECT_EQ(k.poll(), codes({4, 66}));
    k.release(B);
    EXPECT_EQ(k.poll(), codes({4}));
    EXPECT_EQ(k.poll(), codes({}));
}

TEST(KeyPollTest, APressShorterThanAPollIsSentAndThenReleased)
{
    keyboard k;
    k.tap(A);
    EXPECT_EQ(k.poll(), codes({65}));
    EXPECT_EQ(k.poll(), codes({4}));
    // Released and pressed again between two polls while it was held.
    k.press(B);
    EXPECT_EQ(k.poll(), codes({66}));
    k.release(B);
    k.tap(B);
    EXPECT_EQ(k.poll(), codes({4, 66}));
    EXPECT_EQ(k.poll(), codes({4}));
}

TEST(KeyPollTest, NothingGoesWhileTheMachineHoldsTheLastCodeForAWhile)
{
    keyboard k;
    k.tap(A);
    EXPECT_EQ(k.poll(), codes({65}));
    k.busy = true;
    k.tap(B);
    for (int i = 0; i < KEY_POLL_PATIENCE; i++)
        ASSERT_EQ(k.poll(), codes({})) << "poll " << i;
    // A firmware that never takes its keys holds the keyboard up no longer.
    EXPECT_EQ(k.poll(), codes({4, 66}));
    k.busy = false;
    EXPECT_EQ(k.poll(), codes({4}));
}

TEST(KeyPollTest, ShiftFlipsWhatTheTwoKeySends)
{
    keyboard k;
    k.tap(TWO);
    EXPECT_EQ(k.poll(), codes({50}));
    k.tap(SHIFT);
    EXPECT_EQ(k.poll(), codes({4, 134}));
    EXPECT_TRUE(k.poller.shift_toggle());
    k.tap(TWO);
    EXPECT_EQ(k.poll(), codes({4, 34}));
    k.tap(SHIFT);
    EXPECT_EQ(k.poll(), codes({4, 134}));
    k.tap(TWO);
    EXPECT_EQ(k.poll(), codes({4, 50}));
}

TEST(KeyPollTest, AHeldModifierGivesWayToAKeyPressedMeanwhileAndIsNotSentAgain)
{
    keyboard k;
    k.press(SHIFT);
    EXPECT_EQ(k.poll(), codes({134}));
    k.press(A);
    EXPECT_EQ(k.poll(), codes({65}));
    k.release(A);
    EXPECT_EQ(k.poll(), codes({4}));  // Shift still down, but already sent
    k.tap(B);
    EXPECT_EQ(k.poll(), codes({66}));
    EXPECT_EQ(k.poll(), codes({4}));
    k.release(SHIFT);
    EXPECT_EQ(k.poll(), codes({}));
    EXPECT_TRUE(k.poller.shift_toggle());  // flipped once, by the one press
    // Ctrl gives way too; a plain key held does not give way to it.
    k.press(CTRL);
    EXPECT_EQ(k.poll(), codes({137}));
    k.press(B);
    EXPECT_EQ(k.poll(), codes({66}));
    k.release(B);
    k.release(CTRL);
    EXPECT_EQ(k.poll(), codes({4}));
    k.press(A);
    EXPECT_EQ(k.poll(), codes({65}));
    k.press(CTRL);
    EXPECT_EQ(k.poll(), codes({}));
}

TEST(KeyPollTest, KeysDownWhenARunStartsWaitForTheirRelease)
{
    keyboard k;
    k.press(B);   // the debugger's B, still down as the run starts
    k.tap(A);     // typed into a dialog before
    k.poller.run_start(k.input());
    EXPECT_EQ(k.poll(), codes({}));
    EXPECT_EQ(k.poll(), codes({}));
    k.release(B);
    EXPECT_EQ(k.poll(), codes({}));
    k.press(B);
    EXPECT_EQ(k.poll(), codes({66}));
    // Pressed again before it was seen up: a new press counts.
    k.poller.run_start(k.input());
    k.tap(B);
    EXPECT_EQ(k.poll(), codes({4, 66}));
}

using StopReasonTest = CoreTest;

TEST_F(StopReasonTest, SaysWhyTheMachineStopped)
{
    stop_facts f = {};
    f.vdp_read_break = f.vdp_write_break = TMS3556_NO_BKPT;
    f.pc = 0xF812;
    f.instruction_pc = 0xF810;
    EXPECT_EQ(stop_reason_text(f), "Stopped: reached F812");
    f.stop_key = true;
    EXPECT_EQ(stop_reason_text(f), "Stopped: F1, at PC=F812");
    f.break_request = true;
    EXPECT_EQ(stop_reason_text(f), "Stopped: the video processor's status was read, at F810");
    f.vdp_write_break = 0x1310;
    EXPECT_EQ(stop_reason_text(f), "Stopped: the video processor's status was read, at F810");
    f.wrote_vdp_data = true;
    EXPECT_EQ(stop_reason_text(f), "Stopped: VDP write break at 1310, by the instruction at F810");
    f.wrote_vdp_data = false;
    f.vdp_read_break = 0x0042;
    EXPECT_EQ(stop_reason_text(f), "Stopped: VDP read break at 0042, by the instruction at F810");
    f.menu_break = true;
    EXPECT_EQ(stop_reason_text(f), "Stopped: Call Debugger, at PC=F812");
}

TEST_F(StopReasonTest, TheFactsComeFromTheMachineAndTheLineGoesToTheLog)
{
    // The instruction at F810 wrote the video data port and hit the break.
    p_pc = 0xF810;
    PC_ON_WRITE[0x12E] = 0xF810;
    ask_bkpt = 1;
    set_bkpt_vdpwrite(0x0123);
    stop_facts f = stop_facts_now(false, false);
    EXPECT_TRUE(f.break_request);
    EXPECT_TRUE(f.wrote_vdp_data);
    EXPECT_EQ(stop_reason_text(f), "Stopped: VDP write break at 0123, by the instruction at F810");
    PC_ON_WRITE[0x12E] = 0xF900;
    EXPECT_FALSE(stop_facts_now(false, false).wrote_vdp_data);

    stop_reason_log(stop_reason_text(f));
    EXPECT_NE(log_text().find("debugger:Stopped: VDP write break at 0123"), std::string::npos) << log_text();
}

TEST(AlertTextTest, WrapsAtBlanksCutsLongWordsAndEndsWhatDoesNotFit)
{
    EXPECT_EQ(alert_wrap("one two three\n\nfour", 8), std::vector<std::string>({"one two", "three", "four"}));
    EXPECT_EQ(alert_wrap("abcdefghij xy", 4), std::vector<std::string>({"abcd", "efgh", "ij", "xy"}));
    EXPECT_EQ(alert_lines("short", 2, 10), std::vector<std::string>({"short", ""}));
    EXPECT_EQ(alert_lines("aaaa bbbb cccc dddd eeee", 2, 9), std::vector<std::string>({"aaaa bbbb", "cccc d..."}));
    std::string warning = "bios/bios7020.bin holds 100 bytes, not 2048; the rest of the image reads as 0xFF";
    std::vector<std::string> lines = alert_lines(warning, 2);
    EXPECT_EQ(lines[0] + " " + lines[1], warning);
    for (const std::string &line : lines)
        EXPECT_LE(line.size(), ALERT_LINE_CHARS);
}

} // namespace
