#include "test_support.h"

#include "asm_support.h"
#include "core/address_text.h"
#include "core/debugger.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> questions, messages;
int answer = 1;
int held_calls;

int note_question(const char *q)
{
    questions.push_back(q);
    return answer;
}
void note_message(const char *m) { messages.push_back(m); }
int hold_key() { return ++held_calls; }

class DebuggerTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        questions.clear();
        messages.clear();
        answer = 1;
        held_calls = 0;
        orv_host = {};
        orv_host.ask = note_question;
        orv_host.message = note_message;
    }
    void TearDown() override
    {
        orv_host = {};
        CoreTest::TearDown();
    }

    // Assembles a program into the internal ROM (reset vector: RESET) and
    // starts the machine as the programs do.
    void boot(const std::string &source)
    {
        asm_options o;
        o.base = 0xF800;
        o.size = 2048;
        asm_result r = assemble(source + "\n ORG $FFFE\n WORD RESET\n", o);
        ASSERT_TRUE(r.ok) << errors_of(r);
        std::memcpy(rom_7020, r.image.data(), sizeof rom_7020);
        orv_cold_start();
    }
    void set_address(const char *text) { std::strcpy(breakpoint_str, text); }
};

const char *const CALL_PROGRAM = R"(
        ORG $F800
RESET   MOV #$40,B
        LDSP
        CALL ROUTINE
        MOV #3,R3
LOOP    DJNZ R3,LOOP
        MOVP A,P39
        STA @$C010
HERE    JMP HERE
ROUTINE INC A
        RETS
)";

} // namespace

// Right after start-up: no instruction has run, so the history is all zero.
TEST_F(DebuggerTest, RegisterViewAfterStartUp)
{
    boot(CALL_PROGRAM);
    tms7000.rf[5] = 0xA5;
    regs_debugger();
    std::string view = registers_box;
    const std::string head = "PC=f800\nSP=01\nSR=cnzixxxx\n"
                             "[n-1 = x0000]\n[n-2 = x0000]\n[n-3 = x0000]\n[n-4 = x0000]\n"
                             "[n-5 = x0000]\n[n-6 = x0000]\n[n-7 = x0000]\n[n-8 = x0000]\n"
                             "R000=$00\nR001=$00\nR002=$00\nR003=$00\nR004=$00\nR005=$A5\nR006=$00\n";
    EXPECT_EQ(view.substr(0, head.size()), head);
    char vdp[2048] = "";
    get_vdp_debug(vdp);
    std::string tail = std::string("R127=$00\n") + vdp;
    ASSERT_GE(view.size(), tail.size());
    EXPECT_EQ(view.substr(view.size() - tail.size()), tail);
}

TEST_F(DebuggerTest, DisassemblyViewHasAddressBytesAndText)
{
    boot(CALL_PROGRAM);
    disass_debugger();
    std::string view = disass_box;
    const std::string head = "F800 5240        MOV #40,B\n"
                             "F802 0D          LDSP\n"
                             "F803 8EF813      CALL $F813\n"
                             "F806 720303      MOV #3,R3\n";
    EXPECT_EQ(view.substr(0, head.size()), head);
    EXPECT_EQ(std::count(view.begin(), view.end(), '\n'), 20);
}

// Showing code that lies on the peripheral file changes nothing: no video
// processor reset (0x0127), no break request (0x0125), no log line.
TEST_F(DebuggerTest, ViewsLeaveTheMachineAsItWas)
{
    boot(CALL_PROGRAM);
    tms3556.vdp_regs16[VDP_BAMP - 8] = 0x1234;
    tms3556.vdp_acmp = 0x0042;
    tms7000.pc.w = 0x0120;
    clear_log_str();
    refresh_debugger();
    EXPECT_EQ(tms3556.vdp_regs16[VDP_BAMP - 8], 0x1234);
    EXPECT_EQ(tms3556.vdp_acmp, 0x0042);
    EXPECT_EQ(ask_bkpt, 0);
    EXPECT_EQ(log_text(), "");
    EXPECT_EQ(std::string(disass_box).substr(0, 5), "0120 ");

    // The quiet read gives what the bus gives, here and across the map.
    tms3556.vram[0x42] = 0x77;
    ram_2k[0x10] = 0x99;
    for (long a : {0x0005L, 0x0090L, 0x0104L, 0x0124L, 0x0130L, 0x6000L, 0x9000L, 0xC010L, 0xF800L}) {
        int quiet = program_peek_byte_8(a);
        EXPECT_EQ(quiet, program_read_byte_8(a)) << std::hex << a;
    }
    EXPECT_EQ(program_peek_byte_8(0x0127), 0);
    EXPECT_EQ(tms3556.vdp_regs16[VDP_BAMP - 8], 0x1234);
    program_read_byte_8(0x0127);
    EXPECT_EQ(tms3556.vdp_regs16[VDP_BAMP - 8], 0);
}

TEST_F(DebuggerTest, StepOverACallAndABackwardJump)
{
    boot(CALL_PROGRAM);
    step();  // moves the event clock, and only it
    EXPECT_EQ(get_pc(), 0xF802);
    EXPECT_EQ(veld_get_time().cycles, 7u);
    EXPECT_EQ(g_time + scanline + last_pc_debug, 0);
    EXPECT_EQ(std::string(registers_box).substr(0, 8), "PC=f802\n");
    step();
    stepover();  // the call runs its routine and comes back
    EXPECT_EQ(get_pc(), 0xF806);
    EXPECT_EQ(tms7000.rf[0], 1);
    stepover();
    stepover();  // DJNZ jumps back twice, then falls through
    EXPECT_EQ(get_pc(), 0xF80C);
    EXPECT_EQ(tms7000.rf[3], 0);
    EXPECT_TRUE(messages.empty());
}

// A step over that never comes back: the program's key ends it once the
// program counter is past the start; without that hook it gives up.
TEST_F(DebuggerTest, StepOverThatNeverComesBack)
{
    boot(R"(
        ORG $F800
RESET   MOV #$40,B
        LDSP
        CALL AWAY
        NOP
        NOP
        NOP
        NOP
AWAY    JMP AWAY
)");
    step();
    step();
    orv_host.interrupt_held = hold_key;
    stepover();
    EXPECT_EQ(get_pc(), 0xF80A);
    EXPECT_EQ(held_calls, 1);
    EXPECT_TRUE(messages.empty());

    orv_host.interrupt_held = nullptr;
    veld_time before = veld_get_time();
    stepover();
    EXPECT_EQ(get_pc(), 0xF80A);
    EXPECT_EQ(veld_get_time().seconds - before.seconds, 5u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Step over from f80a gave up after 5 seconds of machine time: now at PC=f80a");
}

TEST_F(DebuggerTest, GoToAskFirstAndRunsToTheAddress)
{
    boot(CALL_PROGRAM);
    set_address("f80c");
    answer = 0;
    tobreak();
    EXPECT_EQ(questions, std::vector<std::string>{"Go to 00f80c ?"});
    EXPECT_EQ(get_pc(), 0xF800);

    answer = 1;
    tobreak();
    EXPECT_EQ(get_pc(), 0xF80C);
    EXPECT_EQ(std::string(disass_box).substr(0, 5), "F80C ");

    // An address never reached: the frame loop's own end stops the run.
    set_address("$1234");
    tobreaknoconfirm();
    EXPECT_EQ(get_pc(), 0xF811);
    EXPECT_EQ(vblnum, 1);
    EXPECT_EQ(questions.size(), 2u);
}

// The write-watch message; text without a hexadecimal digit does nothing
// and says so.
TEST_F(DebuggerTest, WriteWatchMessageAndAddressesWithoutDigits)
{
    boot(CALL_PROGRAM);
    orv_loop(0xF811);
    set_address("0xC010");
    info_address_mmu();
    set_address("c011 and more");
    info_address_mmu();
    set_address(" xyz");
    tobreak();
    tobreaknoconfirm();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(get_pc(), 0xF811);
    const std::string no_address = "No address: type a hexadecimal address first (for example F800)";
    EXPECT_EQ(messages, (std::vector<std::string>{"Address 0xc010 was written at PC=0xf80e",
                                                  "Address 0xc011 was written at PC=0x0000", no_address,
                                                  no_address}));
}

// Typed addresses: one reading everywhere, and a value too large is refused
// with the limit, never wrapped.
TEST(AddressText, ReadsHexadecimalAndRefusesValuesAboveTheLimit)
{
    unsigned long v = 7;
    EXPECT_EQ(orv_parse_hex_address("  f800 and more", 0xFFFF, v), "");
    EXPECT_EQ(v, 0xF800u);
    EXPECT_EQ(orv_parse_hex_address("\t0XfFfF", 0xFFFF, v), "");
    EXPECT_EQ(v, 0xFFFFu);
    EXPECT_EQ(orv_parse_hex_address("$0000000012", 0xFFFF, v), "");
    EXPECT_EQ(v, 0x12u);
    EXPECT_EQ(orv_parse_hex_address("0xyz", 0xFFFF, v), "");  // "0", then other text
    EXPECT_EQ(v, 0u);

    const std::string none = "No address: type a hexadecimal address first (for example F800)";
    v = 7;
    for (const char *text : {"", "   ", "$", "xyz", "-1", "$$1"})
        EXPECT_EQ(orv_parse_hex_address(text, 0xFFFF, v), none) << text;
    EXPECT_EQ(orv_parse_hex_address(nullptr, 0xFFFF, v), none);
    EXPECT_EQ(v, 7u);  // untouched on failure

    EXPECT_EQ(orv_parse_hex_address("10000", 0xFFFF, v), "10000 is above FFFF: type an address from 0 to FFFF");
    EXPECT_EQ(orv_parse_hex_address("$123456", 0xFFFF, v), "123456 is above FFFF: type an address from 0 to FFFF");
    // However many digits: nothing wraps back into range.
    EXPECT_EQ(orv_parse_hex_address("100000000000000000000F800", 0xFFFF, v),
              "1000000000000000... is above FFFF: type an address from 0 to FFFF");
    EXPECT_EQ(v, 7u);
    EXPECT_EQ(orv_parse_hex_address("800", 0x7FF, v), "800 is above 7FF: type an address from 0 to 7FF");
    // The widest limit still refuses a value one digit too long.
    EXPECT_EQ(orv_parse_hex_address("FFFFFFFFFFFFFFFF", ~0ul, v), "");
    EXPECT_EQ(v, ~0ul);
    EXPECT_NE(orv_parse_hex_address("FFFFFFFFFFFFFFFF0", ~0ul, v), "");
}

TEST_F(DebuggerTest, AnAddressAboveFFFFRunsNothingAndSaysWhy)
{
    boot(CALL_PROGRAM);
    set_address("1F80C");  // once read as F80C
    tobreak();
    tobreaknoconfirm();
    info_address_mmu();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(get_pc(), 0xF800);
    const std::string above = "1F80C is above FFFF: type an address from 0 to FFFF";
    EXPECT_EQ(messages, (std::vector<std::string>{above, above, above}));
}
