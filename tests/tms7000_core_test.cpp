// Processor core: reset, the execute loop's budget, interrupt arbitration,
// timer 1, the peripheral file and the log lines.
#include "test_support.h"
#include "tms7000_test_support.h"

#include "core/trace.h"

namespace {

constexpr uint16_t INT1_AT = 0xC100, INT2_AT = 0xC200, INT3_AT = 0xC300;

// Vectors of the three interrupts into RAM, reset to 0xC000.
void set_vectors()
{
    set_vector(0xFFFE, 0xC000);
    set_vector(0xFFFC, INT1_AT);
    set_vector(0xFFFA, INT2_AT);
    set_vector(0xFFF8, INT3_AT);
}

// Runs instructions one at a time, as the frame loop does; returns the cycles.
long run(int instructions)
{
    long total = 0;
    for (int i = 0; i < instructions; i++)
        total += tms7000_orv_execute(1);
    return total;
}

} // namespace

TEST_F(CoreTest, ResetStartsFromTheVectorAndKeepsTheTimer)
{
    set_vector(0xFFFE, 0xF000);
    tms7000.pc.w = 0x1234;
    tms7000.sp = 0x20;
    tms7000.sr = 0xFF;
    tms7000.idle_state = 1;
    tms7000.irq_state[0] = tms7000.irq_state[1] = tms7000.irq_state[2] = 1;
    poke(P(0), 0x3F);
    poke(P(8), 0x55);
    poke(P(9), 0xFF);
    poke(P(2), 5);
    poke(P(3), 0x81);
    portc_val = portd_val = 0x55;
    tms7000.t1_decrementer = 3;
    tms7000.t1_prescaler = 1;
    tms7000.t1_capture_latch = 7;

    tms7000_reset(nullptr);

    EXPECT_EQ(tms7000.pc.w, 0xF000);
    EXPECT_EQ(tms7000.sp, 1);
    EXPECT_EQ(tms7000.sr, 0);
    EXPECT_EQ(peek(RA), 0x12);  // the old pc
    EXPECT_EQ(peek(RB), 0x34);
    EXPECT_EQ(tms7000_div_by_16_trigger, -16);
    EXPECT_EQ(tms7000.idle_state, 0);
    EXPECT_EQ(tms7000.irq_state[0] | tms7000.irq_state[1] | tms7000.irq_state[2], 0);
    EXPECT_EQ(peek(P(0)), 0x2A);  // enables cleared, latched flags kept
    EXPECT_EQ(peek(P(8)), 0);
    EXPECT_EQ(peek(P(9)), 0);
    EXPECT_EQ(peek(P(10)), 0);
    EXPECT_EQ(peek(P(11)), 0);
    EXPECT_EQ(portc_val, 0);
    EXPECT_EQ(portd_val, 0);
    EXPECT_EQ(peek(P(2)), 5);
    EXPECT_EQ(peek(P(3)), 0x81);
    EXPECT_EQ(tms7000.t1_decrementer, 3);
    EXPECT_EQ(tms7000.t1_prescaler, 1);
    EXPECT_EQ(tms7000.t1_capture_latch, 7);
}

TEST_F(CoreTest, ExecuteRunsWholeInstructionsWithinTheBudget)
{
    tms7000.pc.w = 0xC000;  // RAM is all NOPs
    EXPECT_EQ(tms7000_orv_execute(1), 4);
    EXPECT_EQ(tms7000.pc.w, 0xC001);
    EXPECT_EQ(tms7000_orv_execute(10), 12);  // 10 -> 6 -> 2 -> -2
    EXPECT_EQ(tms7000.pc.w, 0xC004);
    // Undefined opcodes are skipped one byte at a time.
    load(0xC004, {0x02, 0xAF});
    EXPECT_EQ(run(2), 8);
    EXPECT_EQ(tms7000.pc.w, 0xC006);
}

// A counting loop of 75201 instructions: 100 x 250 passes of a 16-bit
// increment, with every DJNZ taken but the last of each loop.
TEST_F(CoreTest, CountingLoopCycles)
{
    set_vectors();
    load(0xC000, {
                     0x52, 0x64,        // C000 MOV #100,B        7
                     0x72, 0xFA, 0x05,  // C002 MOV #250,R5       9
                     0xD3, 0x0A,        // C005 INC R10           7
                     0x79, 0x00, 0x0B,  // C007 ADC #0,R11        9
                     0xDA, 0x05, 0xF8,  // C00A DJNZ R5,C005      9 / 3
                     0xCA, 0xF3,        // C00D DJNZ B,C002       7 / 2
                     0xE0, 0xFE,        // C00F JMP C00F
                 });
    tms7000_reset(nullptr);
    long cycles = 0;
    int instructions = 0;
    while (tms7000.pc.w != 0xC00F && instructions < 100000) {
        cycles += tms7000_orv_execute(1);
        instructions++;
    }
    EXPECT_EQ(instructions, 75201);
    EXPECT_EQ(cycles, 7 + 100 * (9 + 250 * 16 + 249 * 9 + 3) + 99 * 7 + 2);
    EXPECT_EQ(peek(11) << 8 | peek(10), 25000);
    EXPECT_EQ(peek(RB), 0);

    // The cycle count and the tick mark stay near zero however long it runs.
    run(200000);
    EXPECT_GE(tms7000_icount, -64);
    EXPECT_LE(tms7000_icount, 0);
    EXPECT_GE(tms7000_icount - tms7000_div_by_16_trigger, 0);
    EXPECT_LE(tms7000_icount - tms7000_div_by_16_trigger, 16);
}

TEST_F(CoreTest, InterruptPriorityAndLineRules)
{
    set_vectors();
    tms7000.sp = 1;
    poke(P(0), 0x15);  // all three enabled, I = 0
    tms7000_set_irq_line(0, 1);
    tms7000_set_irq_line(1, 1);
    tms7000.t1_decrementer = 0x17B;
    tms7000_set_irq_line(2, 1);
    EXPECT_EQ(peek(P(0)), 0x3F);  // latched, nothing taken
    EXPECT_EQ(tms7000.t1_capture_latch, 0x7B);
    EXPECT_EQ(program_read_byte_8(P(3)), 0x7B);

    // INT1 first; a line still held is served again at every arbitration.
    tms7000.sr = fI | fC;
    tms7000.pc.w = 0xC000;
    tms7000_check_IRQ_lines();
    EXPECT_EQ(tms7000.pc.w, INT1_AT);
    EXPECT_EQ(tms7000.sr, 0);
    EXPECT_EQ(tms7000.sp, 4);
    EXPECT_EQ(peek(2), fI | fC);  // sr, then pc high, then pc low
    EXPECT_EQ(peek(3), 0xC0);
    EXPECT_EQ(peek(4), 0x00);
    EXPECT_EQ(peek(P(0)) & 0x02, 0);
    tms7000.sr = fI;
    tms7000_check_IRQ_lines();
    EXPECT_EQ(tms7000.sp, 7);
    EXPECT_EQ(tms7000.pc.w, INT1_AT);

    // INT2 next; taking it drops its line, so it is served once.
    tms7000_set_irq_line(0, 0);
    tms7000.sr = fI;
    tms7000_check_IRQ_lines();
    EXPECT_EQ(tms7000.pc.w, INT2_AT);
    EXPECT_EQ(tms7000.irq_state[1], 0);
    EXPECT_EQ(peek(P(0)) & 0x08, 0x08);  // its flag stays

    // Then INT3, served from its line until it drops.
    tms7000.sr = fI;
    tms7000_check_IRQ_lines();
    EXPECT_EQ(tms7000.pc.w, INT3_AT);
    EXPECT_EQ(peek(P(0)) & 0x20, 0);
    tms7000_set_irq_line(2, 0);
    tms7000.pc.w = 0xC000;
    tms7000.sr = fI;
    tms7000_check_IRQ_lines();
    EXPECT_EQ(tms7000.pc.w, 0xC000);
    EXPECT_EQ(tms7000.sr, fI);
}

TEST_F(CoreTest, DisabledInterruptIsNotTakenButLatched)
{
    set_vectors();
    tms7000.sr = fI;
    tms7000.pc.w = 0xC000;
    tms7000_set_irq_line(2, 1);  // INT3 not enabled
    tms7000_set_irq_line(2, 0);
    EXPECT_EQ(tms7000.pc.w, 0xC000);
    EXPECT_EQ(peek(P(0)), 0x20);
    // Enabling it later serves the latched pulse at once, inside the write.
    load(0xC000, {0xA2, 0x10, 0x00});  // MOVP #10,P0
    EXPECT_EQ(tms7000_orv_execute(1), 11 + 19);
    EXPECT_EQ(tms7000.pc.w, INT3_AT);
    EXPECT_EQ(peek(P(0)), 0x10);
}

// An interrupt that a peripheral write starts is taken before the writing
// instruction ends: the saved status is the one from before the instruction,
// and the instruction's own flags land in the routine's status.
TEST_F(CoreTest, InterruptTakenInsideAPeripheralWrite)
{
    set_vectors();
    tms7000.sp = 1;
    tms7000.sr = fI | fC | fZ;
    tms7000.pc.w = 0xC000;
    tms7000_set_irq_line(0, 1);  // held, not yet enabled
    load(0xC000, {0xA4, 0x81, 0x00});  // ORP #81,P0: enables INT1, result 0x83
    EXPECT_EQ(tms7000_orv_execute(1), 11 + 19);
    EXPECT_EQ(tms7000.pc.w, INT1_AT);
    EXPECT_EQ(peek(2), fI | fC | fZ);
    EXPECT_EQ(peek(3), 0xC0);
    EXPECT_EQ(peek(4), 0x03);  // returns after the ORP
    EXPECT_EQ(tms7000.sr, fN);
}

TEST_F(CoreTest, EintTakesADelayedInt1AndReturnsItsCycles)
{
    write_file("debug.lst", "tms7000_check_IRQ_lines() tms7000_set_irq_line() tms7000_do_interrupt()");
    set_vectors();
    tms7000.pc.w = 0xC000;
    poke(P(0), 0x01);
    tms7000_set_irq_line(0, 1);  // I = 0: only the flag is left
    tms7000_set_irq_line(0, 0);
    load(0xC000, {0x05});  // EINT
    EXPECT_EQ(tms7000_orv_execute(1), 5 + 19);
    EXPECT_EQ(tms7000.pc.w, INT1_AT);
    EXPECT_EQ(peek(P(0)), 0x01);
    EXPECT_EQ(log_text(), "00000000 0000 tms7000_set_irq_line():tms7000: set_irq_line (INT1, state 1)\n\n"
                          "00000000 0000 tms7000_set_irq_line():tms7000: set_irq_line (INT1, state 0)\n\n"
                          "00000000 0000 tms7000_check_IRQ_lines():IRQ1 was delayed\n"
                          "00000000 0000 tms7000_do_interrupt():called\n"
                          "00000000 0000 tms7000_do_interrupt():void interrupt handle\n");
}

TEST_F(CoreTest, RetiTakesAPendingInterrupt)
{
    set_vectors();
    poke(P(0), 0x04);
    tms7000_set_irq_line(1, 1);  // I = 0: waits on its line
    tms7000.sp = 4;
    load(0x0002, {fI, 0xC1, 0x23});  // saved sr, pc high, pc low
    load(0xC000, {0x0B});            // RETI
    tms7000.pc.w = 0xC000;
    EXPECT_EQ(tms7000_orv_execute(1), 9 + 19);
    EXPECT_EQ(tms7000.pc.w, INT2_AT);
    EXPECT_EQ(tms7000.sp, 4);
    EXPECT_EQ(peek(4), 0x23);  // the restored pc was saved again
}

TEST_F(CoreTest, Iocnt0WritesAndReads)
{
    poke(P(0), 0x2A);
    program_write_byte_8(P(0), 0x00);
    EXPECT_EQ(peek(P(0)), 0x2A);  // writing 0 clears no flag
    program_write_byte_8(P(0), 0xD5);
    EXPECT_EQ(peek(P(0)), 0xFF);
    program_write_byte_8(P(0), 0x2A);
    EXPECT_EQ(peek(P(0)), 0x00);  // flags and enables all cleared
    program_write_byte_8(P(0), 0x08);
    EXPECT_EQ(peek(P(0)), 0x00);

    // A held line shows as its flag even after the program cleared it.
    tms7000_set_irq_line(2, 1);
    tms7000_set_irq_line(0, 1);
    program_write_byte_8(P(0), 0x22);
    EXPECT_EQ(peek(P(0)), 0x00);
    EXPECT_EQ(program_read_byte_8(P(0)), 0x22);
    tms7000_set_irq_line(0, 0);
    EXPECT_EQ(program_read_byte_8(P(0)), 0x20);
}

namespace {

// Cycle totals at which INT2 is raised while NOPs run; the line is dropped
// again after each so that every raise is seen.
std::vector<long> int2_times(int instructions)
{
    std::vector<long> times;
    long total = 0;
    tms7000.pc.w = 0xC000;
    for (int i = 0; i < instructions; i++) {
        total += tms7000_orv_execute(1);
        if (tms7000.irq_state[1]) {
            times.push_back(total);
            tms7000_set_irq_line(1, 0);
        }
    }
    return times;
}

void expect_period(const std::vector<long> &times, long period)
{
    ASSERT_GE(times.size(), 3u);
    for (size_t i = 1; i < times.size(); i++)
        EXPECT_EQ(times[i] - times[i - 1], period) << "interval " << i;
}

} // namespace

TEST_F(CoreTest, Timer1Periods)
{
    program_write_byte_8(P(2), 0);
    program_write_byte_8(P(3), 0x80);
    expect_period(int2_times(100), 16);
    EXPECT_EQ(tms7000_cycles_per_INT2, 16);

    program_write_byte_8(P(2), 2);
    program_write_byte_8(P(3), 0x81);
    expect_period(int2_times(400), 96);
    EXPECT_EQ(tms7000_cycles_per_INT2, 96);

    program_write_byte_8(P(2), 0xFF);
    program_write_byte_8(P(3), 0x9F);
    EXPECT_EQ(tms7000_cycles_per_INT2, 16 * 32 * 256);

    // Stopped, nothing counts.
    program_write_byte_8(P(2), 0);
    program_write_byte_8(P(3), 0x00);
    EXPECT_TRUE(int2_times(100).empty());
}

TEST_F(CoreTest, Timer1CountsIdleSlicesAndWakesTheProcessor)
{
    set_vectors();
    load(0xC000, {0x01});  // IDLE
    tms7000_reset(nullptr);
    program_write_byte_8(P(2), 0);
    program_write_byte_8(P(3), 0x80);
    program_write_byte_8(P(0), 0x04);
    tms7000.sr = fI;
    EXPECT_EQ(tms7000_orv_execute(1), 6);
    EXPECT_EQ(tms7000.idle_state, 1);
    // One idle pass; the first tick raises INT2, taken from idle for 17.
    EXPECT_EQ(tms7000_orv_execute(1), 16 + 17);
    EXPECT_EQ(tms7000.idle_state, 0);
    EXPECT_EQ(tms7000.pc.w, INT2_AT);
    EXPECT_EQ(peek(4), 0x01);  // resumes after the IDLE
}

TEST_F(CoreTest, Timer1ExternalClockAndRegisters)
{
    program_write_byte_8(P(2), 2);
    program_write_byte_8(P(3), 0xC1);
    EXPECT_TRUE(int2_times(100).empty());  // the internal tick does not count it
    for (int i = 0; i < 5; i++)
        tms7000_A6EC1();
    EXPECT_EQ(tms7000.irq_state[1], 0);
    EXPECT_EQ(program_read_byte_8(P(2)), 0);  // decrementer counted 2, 1, 0
    tms7000_A6EC1();
    EXPECT_EQ(tms7000.irq_state[1], 1);
    EXPECT_EQ(peek(P(0)), 0x08);
    EXPECT_EQ(program_read_byte_8(P(2)), 2);  // reloaded

    // Stopping and starting again reloads the prescaler, not the decrementer.
    tms7000_A6EC1();
    tms7000_A6EC1();
    EXPECT_EQ(program_read_byte_8(P(2)), 1);
    program_write_byte_8(P(3), 0x41);
    tms7000_A6EC1();  // stopped: ignored
    program_write_byte_8(P(3), 0xC3);
    EXPECT_EQ(tms7000.t1_prescaler, 3);
    EXPECT_EQ(program_read_byte_8(P(2)), 1);
}

TEST_F(CoreTest, PortsAndDirectionRegisters)
{
    program_write_byte_8(P(9), 0x0F);
    program_write_byte_8(P(8), 0xFF);
    EXPECT_EQ(portc_val, 0x0F);
    EXPECT_EQ(peek(P(8)), 0x0F);
    program_write_byte_8(P(11), 0xF0);
    program_write_byte_8(P(10), 0x5A);
    EXPECT_EQ(portd_val, 0x50);
    EXPECT_EQ(peek(P(10)), 0x50);

    // Reads mix the driven bits with the port's input on the others.
    poke(P(8), 0x03);
    portc_val = 0xA5;
    EXPECT_EQ(program_read_byte_8(P(8)), 0xA3);
    poke(P(10), 0xF0);
    portd_val = 0x0C;
    EXPECT_EQ(program_read_byte_8(P(10)), 0xFC);

    program_write_byte_8(P(6), 0x81);
    EXPECT_EQ(portb_val, 0x81);
    EXPECT_EQ(program_read_byte_8(P(6)), 0x81);
    porta_val = 0x11;
    program_write_byte_8(P(4), 0x22);
    EXPECT_EQ(peek(P(4)), 0);
    EXPECT_EQ(program_read_byte_8(P(4)), 0x11);
    program_write_byte_8(P(5), 0x44);
    EXPECT_EQ(program_read_byte_8(P(5)), 0x44);
}

TEST_F(CoreTest, TimerAndIocnt0LogLines)
{
    write_file("debug.lst", "tms70x0_pf_w()\ntms70x0_pf_r()\n");
    program_write_byte_8(P(2), 2);
    program_write_byte_8(P(3), 0x81);
    program_write_byte_8(P(3), 0x83);
    program_write_byte_8(P(3), 0x1F);
    program_write_byte_8(P(0), 0x2A);
    program_read_byte_8(P(0));
    EXPECT_EQ(log_text(),
              "00000000 0000 tms70x0_pf_w():tms7000: Timer adjusted. Decrementer: 0x 2 (Cycles per interrupt: 48)\n"
              "00000000 0000 tms70x0_pf_w():tms7000: Timer started. Prescaler: 0x 1 (Cycles per interrupt: 96)\n\n"
              "00000000 0000 tms70x0_pf_w():tms7000: Timer adjusted. Prescaler: 0x 3 (Cycles per interrupt: 192)\n"
              "00000000 0000 tms70x0_pf_w():tms7000: Timer stopped. Prescaler: 0x1f (Cycles per interrupt: 1536)\n"
              "00000000 0000 tms70x0_pf_w():IOCNT0 write 2a\n"
              "00000000 0000 tms70x0_pf_w():IOCNT0 write result 00\n"
              "00000000 0000 tms70x0_pf_r():reading IOCNT0 00\n");
}

TEST_F(CoreTest, TimerTickLogLines)
{
    write_file("debug.lst", "tms7000_orv_execute() tms7000_service_timer1() tms7000_set_irq_line()");
    poke(P(3), 0x80);  // running, reload 0, decrementer 0
    tms7000.pc.w = 0xC000;
    tms7000_div_by_16_trigger = -1;
    tms7000_orv_execute(1);  // one NOP crosses one tick
    EXPECT_EQ(log_text(), "00000000 0000 tms7000_orv_execute():service timer\n"
                          "00000000 0000 tms7000_set_irq_line():tms7000: set_irq_line (INT2, state 1)\n\n"
                          "00000000 0000 tms7000_service_timer1():tms7000: trigger int2\n");
}

TEST_F(CoreTest, UngatedLogLines)
{
    load(0xC000, {0xB7, 0x01});  // undefined, IDLE
    load(0xC002, {0xBB, 0x6F});  // DECD A, DSB B,A
    tms7000.pc.w = 0xC000;
    run(2);
    tms7000.idle_state = 0;
    poke(RA, 0x47);
    poke(RB, 0x28);
    tms7000.sr = fC;
    run(2);
    program_read_byte_8(P(1));
    program_write_byte_8(P(7), 3);
    EXPECT_EQ(log_text(), "00000000 0000 illegal():called\n"
                          "00000000 0000 idle():called\n"
                          "00000000 0000 decd_a():Called !\n"
                          "00000000 0000 bcd_sub():called 46 28 1\n"
                          "00000000 0000 tms70x0_pf_r():Other io port P1\n"
                          "00000000 0000 tms70x0_pf_w():Other io port P7\n");
}

TEST_F(CoreTest, Accessors)
{
    tms7000.sr = 0x90;
    EXPECT_STREQ(get_sr_str(), "CnzIxxxx");
    tms7000.sr = 0x6F;
    EXPECT_STREQ(get_sr_str(), "cNZiXXXX");
    set_vector(0xFFFE, 0xF000);
    poke(0xFFFF, 0xAB);
    poke(RA, 0xCD);
    EXPECT_EQ(RM16(0xFFFF), 0xABCD);  // wraps to R0
    poke(0x7F, 0x12);
    EXPECT_EQ(RRF16(0), 0x00CD);
    EXPECT_EQ(RRF16(0x80), 0x12FF);  // low byte from the gap
    PAIR v;
    v.w = 0x3456;
    WRF16(0, v);
    EXPECT_EQ(peek(RA), 0x56);
    EXPECT_EQ(peek(0x7F), 0x12);
    WRF16(0x10, v);
    EXPECT_EQ(get_rf(0x0F), 0x34);
    EXPECT_EQ(get_rf(0x10), 0x56);
}
