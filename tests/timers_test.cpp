#include "test_support.h"

#include "core/timers.h"
#include "core/trace.h"

#include <vector>

namespace {

std::vector<int> fired;
void record(int param) { fired.push_back(param); }

veld_time cycles(uint32_t n) { return {0, n}; }

// Fires every due timer, one check at a time.
void check_all()
{
    for (int i = 0; i < VELD_TIMER_MAX; i++)
        veld_check_timers();
}

// A periodic timer: re-arms itself with the same delay.
void periodic(int param)
{
    fired.push_back(param);
    veld_timer_remove(5);
    veld_timer_create(periodic, param, 5, cycles(100));
}

class TimerTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        fired.clear();
    }
};

} // namespace

TEST_F(TimerTest, ClockAdditionCarriesOnlyBeyondOneSecond)
{
    veld_timer_update_clock(cycles(2));
    veld_timer_update_clock(cycles(2454998));
    EXPECT_EQ(veld_get_time().seconds, 0u);
    EXPECT_EQ(veld_get_time().cycles, 2455000u);
    veld_timer_update_clock(cycles(1));
    EXPECT_EQ(veld_get_time().seconds, 1u);
    EXPECT_EQ(veld_get_time().cycles, 1u);

    timers_clear_state();
    veld_timer_update_clock(cycles(2));
    veld_timer_update_clock(cycles(2454999));
    EXPECT_EQ(veld_get_time().seconds, 1u);
    EXPECT_EQ(veld_get_time().cycles, 1u);
}

TEST_F(TimerTest, TimerFiresOnlyWhenClockIsStrictlyLater)
{
    veld_timer_create(record, 7, 16, cycles(0));
    veld_check_timers();
    EXPECT_TRUE(fired.empty());
    veld_timer_update_clock(cycles(1));
    veld_check_timers();
    EXPECT_EQ(fired, std::vector<int>{7});
    EXPECT_EQ(g_timer_num, 0);

    timers_clear_state();
    veld_timer_create(record, 8, 16, {1, 0});
    veld_timer_update_clock({1, 0});  // clock reads {1, 0}
    veld_check_timers();
    EXPECT_EQ(fired.size(), 1u);
    veld_timer_update_clock(cycles(1));
    veld_check_timers();
    EXPECT_EQ(fired, (std::vector<int>{7, 8}));
}

TEST_F(TimerTest, OneCheckFiresAtMostOneTimer)
{
    veld_timer_create(record, 1, 16, cycles(10));
    veld_timer_create(record, 2, 32, cycles(10));
    veld_timer_create(record, 3, 64, cycles(50));
    veld_timer_update_clock(cycles(11));
    veld_check_timers();
    EXPECT_EQ(fired, std::vector<int>{1});
    veld_check_timers();
    veld_check_timers();
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
    EXPECT_EQ(g_timer_num, 1);
}

TEST_F(TimerTest, TableHoldsThirtyTwoTimers)
{
    for (int i = 0; i < 32; i++)
        EXPECT_EQ(veld_timer_create(record, i, 100 + i, cycles(5)), 0);
    EXPECT_EQ(veld_timer_create(record, 99, 99, cycles(1)), 1);
    EXPECT_EQ(g_timer_num, 32);
    EXPECT_EQ(log_text(), "00000000 0000 veld_timer_create():Cannot allocate timer !!!\n");
    veld_timer_update_clock(cycles(6));
    check_all();
    EXPECT_EQ(fired.size(), 32u);
}

TEST_F(TimerTest, RemoveTakesEveryTimerOfTheTag)
{
    veld_timer_create(record, 1, 64, cycles(10));
    veld_timer_create(record, 2, 32, cycles(10));
    veld_timer_create(record, 3, 64, cycles(10));
    EXPECT_EQ(veld_timer_remove(64), 2);
    EXPECT_EQ(g_timer_num, 1);
    EXPECT_EQ(timer_tab[0].param, 2);
    EXPECT_EQ(veld_timer_remove(64), 0);
    veld_timer_update_clock(cycles(20));
    check_all();
    EXPECT_EQ(fired, std::vector<int>{2});
}

TEST_F(TimerTest, CallbackMayRearmItsOwnTag)
{
    veld_timer_create(periodic, 4, 5, cycles(100));
    for (int i = 0; i < 1000; i++) {
        veld_timer_update_clock(cycles(1));
        veld_check_timers();
    }
    // Due after 101, 202, ... cycles: the clock must pass the due time.
    EXPECT_EQ(fired.size(), 9u);
    EXPECT_EQ(g_timer_num, 1);
}

TEST_F(TimerTest, ElapsedAndLeftTime)
{
    EXPECT_EQ(veld_timer_get_elapsed_time(16), 0.0);
    EXPECT_EQ(veld_timer_get_left_time(16), 0.0);
    veld_timer_update_clock({2, 0});
    veld_timer_create(record, 0, 16, {0, 1227500});
    veld_timer_update_clock({0, 491000});
    EXPECT_NEAR(veld_timer_get_elapsed_time(16), 0.2, 1e-9);
    EXPECT_NEAR(veld_timer_get_left_time(16), 0.3, 1e-9);
    veld_timer_update_clock({1, 0});
    EXPECT_EQ(veld_timer_get_left_time(16), 0.0);  // overdue
    EXPECT_NEAR(veld_get_time_double(), 3.2, 1e-9);
}

TEST_F(TimerTest, SecondsConvertWithExtendedPrecision)
{
    // The I/O processor's delays fall just below whole cycle counts and are truncated.
    EXPECT_EQ(double2time(12.0 / 982000.0).cycles, 29u);
    EXPECT_EQ(double2time(4.0 / 982000.0).cycles, 9u);
    EXPECT_EQ(double2time(40.0 / 982000.0).cycles, 99u);
    EXPECT_EQ(double2time(0.000125).cycles, 306u);
    veld_time t = double2time(2.5);
    EXPECT_EQ(t.seconds, 2u);
    EXPECT_EQ(t.cycles, 1227500u);
    EXPECT_DOUBLE_EQ(veld_time2double(t), 2.5);
}

TEST_F(TimerTest, RepeatedConversionsStayExactAndLogged)
{
    write_file("debug.lst", "double2time");
    // More distinct delays than conversions remembered, in a rotating order.
    const double d[] = {12.0 / 982000.0, 40.0 / 982000.0, 0.000125, 4.0 / 982000.0, 2.5, 0.5};
    const uint32_t want[] = {29, 99, 306, 9, 1227500, 1227500};
    for (int round = 0; round < 3; round++)
        for (int i = 0; i < 6; i++) {
            int k = (i * 5 + round) % 6;
            EXPECT_EQ(double2time(d[k]).cycles, want[k]) << k;
        }
    EXPECT_EQ(double2time(2.5).seconds, 2u);
    EXPECT_EQ(double2time(0.5).seconds, 0u);
    EXPECT_EQ(trace_log_size, 20);
}

TEST_F(TimerTest, GatedLines)
{
    write_file("debug.lst", "veld_timer_create() veld_check_timers() veld_timer_remove() double2time");
    veld_timer_create(record, 0, 16, double2time(0.5));
    veld_timer_create(record, 0, 16, cycles(1));
    veld_timer_remove(16);
    veld_timer_create(record, 0, 32, cycles(0));
    veld_timer_update_clock(cycles(1));
    veld_check_timers();
    EXPECT_EQ(log_text(),
              "00000000 0000 double2time:double 0.500000 = 0 1227500\n"
              "00000000 0000 veld_timer_create():Create timer 16\n"
              "00000000 0000 veld_timer_create():Create timer 16\n"
              "00000000 0000 veld_timer_remove():removed 2 timers tag 0x10\n"
              "00000000 0000 veld_timer_create():Create timer 32\n"
              "00000000 0000 veld_check_timers():Timer 32 elapsed\n");
}
