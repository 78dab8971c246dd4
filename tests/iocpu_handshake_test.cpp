// The I/O processor's handshake, driven by port B writes and the event clock.
#include "iocpu_support.h"

#include "core/iocpu.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/trace.h"

namespace {

const veld_timer *find_timer(int tag)
{
    for (int i = 0; i < g_timer_num; i++)
        if (timer_tab[i].tag == tag)
            return &timer_tab[i];
    return nullptr;
}

// Cycles between a timer's creation and its due time.
uint32_t timer_delay(int tag)
{
    const veld_timer *t = find_timer(tag);
    return t ? t->due.cycles - t->start.cycles : 0;
}

} // namespace

TEST_F(IoCpuTest, StartUpRaisesA0AndStartsOnlyTheSpeechClock)
{
    tms7041 = {0x64, 0x41, SPEECH_END, 0x0B, 7, 3};
    io_cpu_callback(0);
    EXPECT_EQ(cur_state, IO_STATE_RESET);
    EXPECT_TRUE(a0());
    EXPECT_EQ(find_timer(IO_STATE_TIMER), nullptr);
    ASSERT_NE(find_timer(SPEECH_TIMER), nullptr);
    EXPECT_EQ(timer_delay(SPEECH_TIMER), 306u);
    // The key code and the current command survive the reset state.
    EXPECT_EQ(tms7041.flags, 0);
    EXPECT_EQ(tms7041.speech_status, 0);
    EXPECT_EQ(tms7041.data_count, 0);
    EXPECT_EQ(tms7041.key_code, 0x41);
    EXPECT_EQ(tms7041.command, 0x0B);
    EXPECT_EQ(tms7041.byte_index, 7);
}

TEST_F(IoCpuTest, GreetingTimingMailboxAndLines)
{
    io_cpu_callback(0);
    portb(0x01);
    EXPECT_EQ(cur_state, IO_STATE_INIT1_WAIT);
    EXPECT_EQ(timer_delay(IO_STATE_TIMER), 29u);
    // A timer fires once the clock is past its due time.
    step(29);
    EXPECT_EQ(cur_state, IO_STATE_INIT1_WAIT);
    step(1);
    EXPECT_EQ(cur_state, IO_STATE_INIT1);
    EXPECT_EQ(read_mailbox(), 0x08);
    EXPECT_FALSE(a0());
    EXPECT_EQ(timer_delay(IO_STATE_TIMER), 9u);
    step(10);
    EXPECT_EQ(cur_state, IO_STATE_INIT2);
    EXPECT_EQ(find_timer(IO_STATE_TIMER), nullptr);

    portb(0x03);
    EXPECT_EQ(cur_state, IO_STATE_INIT3);
    EXPECT_TRUE(a0());
    portb(0x01);
    EXPECT_EQ(cur_state, IO_STATE_INIT4);
    EXPECT_FALSE(a0());
    portb(0x00);
    EXPECT_EQ(cur_state, IO_STATE_READY);
    EXPECT_EQ(timer_delay(IO_STATE_TIMER), 29u);
}

TEST_F(IoCpuTest, EdgesLostInWaitingStatesAreMadeUpFromLevels)
{
    trace_iocpu();
    io_cpu_callback(0);
    portb(0x01);
    // B1 rises while nothing listens: the edge is dropped.
    portb(0x03);
    EXPECT_EQ(log_lines("transitionnal").size(), 1u);
    step(40);
    // init2 finds B1 high and moves on, raising A0 on the way into init3.
    EXPECT_EQ(cur_state, IO_STATE_INIT3);
    EXPECT_TRUE(a0());
    EXPECT_EQ(log_lines("B1 was already high"),
              std::vector<std::string>{"io_cpu_state_init2():B1 was already high"});

    // A command byte: B0 falls while comm_rd_mb waits on its timer.
    portb(0x01);
    portb(0x00);
    write_mailbox(0x03);
    portb(0x01);
    EXPECT_EQ(cur_state, IO_STATE_COMM_RD_MB);
    EXPECT_TRUE(a0());
    EXPECT_EQ(read_mailbox(), 0xFF);
    portb(0x00);
    EXPECT_EQ(log_lines("transitionnal").size(), 2u);
    step(100);
    EXPECT_EQ(log_lines("io_cpu_state_comm_rd_ack():B0 was already low").size(), 1u);
    EXPECT_EQ(tms7041.command, 0x03);
    EXPECT_EQ(cur_state, IO_STATE_READY);
    EXPECT_FALSE(a0());
}

TEST_F(IoCpuTest, ReadyAndPollAlternateOnTheirTimers)
{
    io_cpu_callback(0);
    greet();
    for (int pass = 0; pass < 3; pass++) {
        step(29);
        EXPECT_EQ(cur_state, IO_STATE_READY);
        step(1);
        EXPECT_EQ(cur_state, IO_STATE_POLL);
        EXPECT_EQ(timer_delay(IO_STATE_TIMER), 99u);
        step(99);
        EXPECT_EQ(cur_state, IO_STATE_POLL);
        step(1);
        EXPECT_EQ(cur_state, IO_STATE_READY);
    }
    // A request in poll is taken as in ready.
    step(30);
    ASSERT_EQ(cur_state, IO_STATE_POLL);
    portb(0x01);
    EXPECT_EQ(cur_state, IO_STATE_COMM_RD_MB);
}

TEST_F(IoCpuTest, UnexpectedEventLeavesStateAndTimer)
{
    trace_iocpu();
    io_cpu_callback(0);
    greet();
    step(10);
    veld_time due = find_timer(IO_STATE_TIMER)->due;
    clear_log_str();
    portb(0x02);
    EXPECT_EQ(cur_state, IO_STATE_READY);
    EXPECT_EQ(find_timer(IO_STATE_TIMER)->due.cycles, due.cycles);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "io_cpu_event():called phase=7 ready event=<B1 is high>",
                               "io_cpu_event_ready():called event <B1 is high>",
                               "io_cpu_event_ready():Got unexpected event <B1 is high>",
                               "io_cpu_event():Event not handled for this state...",
                           }));
}

TEST_F(IoCpuTest, PortBEdgesArriveBitZeroFirst)
{
    trace_iocpu();
    io_cpu_callback(0);
    auto events = [] { return log_lines("io_cpu_event():called phase"); };
    portb(0x00);
    portb(0x03);
    ASSERT_EQ(events().size(), 2u);
    EXPECT_NE(events()[0].find("event=<B0 is high>"), std::string::npos);
    EXPECT_NE(events()[1].find("event=<B1 is high>"), std::string::npos);
    portb(0x03);
    portb(0x0B);  // other bits raise nothing
    EXPECT_EQ(events().size(), 2u);
    portb(0x00);
    ASSERT_EQ(events().size(), 4u);
    EXPECT_NE(events()[2].find("event=<B0 is low>"), std::string::npos);
    EXPECT_NE(events()[3].find("event=<B1 is low>"), std::string::npos);
    portb(0x02);
    portb(0x01);
    ASSERT_EQ(events().size(), 7u);
    EXPECT_NE(events()[5].find("event=<B0 is high>"), std::string::npos);
    EXPECT_NE(events()[6].find("event=<B1 is low>"), std::string::npos);
}

TEST_F(IoCpuTest, StateEntryAndEventLogLines)
{
    trace_iocpu();
    io_cpu_callback(0);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "io_cpu_callback():called phase=0 reset",
                               "io_cpu_state_reset():called",
                           }));
    clear_log_str();
    portb(0x01);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "io_cpu_event():called phase=0 reset event=<B0 is high>",
                               "io_cpu_event_reset():called event <B0 is high>",
                               "io_cpu_event():recall new state init1_wait",
                               "io_cpu_callback():called phase=1 init1_wait",
                               "io_cpu_callback():Created a timer of 0.000012",
                               "io_cpu_event():new state init1_wait",
                           }));
    clear_log_str();
    step(40);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "io_cpu_callback():called phase=2 init1",
                               "io_cpu_state_init1():called",
                               "set_mailbox():set 8",
                               "io_cpu_callback():Created a timer of 0.000004",
                               "io_cpu_callback():called phase=3 init1_IE",
                               "io_cpu_state_init1_IE():called",
                               "io_cpu_callback():called phase=4 init2",
                               "io_cpu_state_init2():called",
                           }));
}

TEST_F(IoCpuTest, ResetInTheMiddleOfAReplyKeepsLinesAndMailbox)
{
    io_cpu_callback(0);
    greet();
    send_key(0x41);
    ASSERT_TRUE(step_until([] { return cur_state == IO_STATE_COMM_SEND2; }));
    ASSERT_FALSE(a0());
    tms7041.flags = KEY_PENDING | SPEECH_LOW;
    tms7041.speech_status = SPEECH_END;
    tms7041.data_count = 5;
    reset_iocpu();
    EXPECT_EQ(cur_state, IO_STATE_RESET);
    EXPECT_FALSE(a0());
    EXPECT_EQ(read_mailbox(), 0x01);
    EXPECT_EQ(find_timer(IO_STATE_TIMER), nullptr);
    EXPECT_NE(find_timer(SPEECH_TIMER), nullptr);
    EXPECT_EQ(tms7041.flags, 0);
    EXPECT_EQ(tms7041.key_code, 0);
    EXPECT_EQ(tms7041.speech_status, 0);
    EXPECT_EQ(tms7041.data_count, 0);
    EXPECT_EQ(tms7041.command, IO_REPORT_KEY);

    portb(0x00);
    portb(0x01);
    EXPECT_EQ(cur_state, IO_STATE_INIT1_WAIT);
}

TEST_F(IoCpuTest, StateNamesAndEventTexts)
{
    for (int i = 0; i < IO_CPU_STATE_COUNT; i++)
        EXPECT_EQ(get_state_num(io_cpu_auto[i].name), i) << io_cpu_auto[i].name;
    EXPECT_EQ(io_cpu_auto[IO_CPU_STATE_COUNT].name, nullptr);
    EXPECT_EQ(get_state_num("void"), 22);
    EXPECT_EQ(get_state_num("comm_F1C8"), 14);
    EXPECT_EQ(get_state_num("Ready"), -1);
    EXPECT_EQ(get_state_num("ready "), -1);
    EXPECT_EQ(get_state_num(nullptr), -1);
    EXPECT_STREQ(get_event_str(B0_LOW), "<B0 is low>");
    EXPECT_STREQ(get_event_str(B1_HIGH), "<B1 is high>");
    EXPECT_STREQ(get_event_str(static_cast<io_cpu_event>(4)), "???");
}
