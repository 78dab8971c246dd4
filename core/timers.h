// One-shot event timers on the emulated clock. The clock advances only by
// the main processor's cycles, 2455000 a second.
#pragma once

#include <cstdint>

constexpr uint32_t VELD_CYCLES_PER_SECOND = 2455000;

struct veld_time {
    uint32_t seconds;
    uint32_t cycles;  // 0 to 2455000 inclusive
};

// Owners of the timers; each keeps at most one live timer under its tag.
constexpr int IO_STATE_TIMER = 16;
constexpr int SPEECH_TIMER = 32;
constexpr int K7_TIMER = 64;

typedef void (*veld_callback)(int param);

struct veld_timer {
    int tag;
    veld_callback callback;
    int param;
    veld_time start;
    veld_time due;
};

constexpr int VELD_TIMER_MAX = 32;
extern veld_timer timer_tab[VELD_TIMER_MAX];
extern int g_timer_num;
extern veld_time g_timer_clock;

int veld_timer_create(veld_callback callback, int param, int tag, veld_time delay);
// A periodic timer's next period. Called from the callback of the timer with
// the same tag, the new timer starts at the due time of the one firing, so
// that the lateness of a check (up to one instruction) is not added to every
// period; called from anywhere else it is `veld_timer_create`.
int veld_timer_create_next(veld_callback callback, int param, int tag, veld_time period);
int veld_timer_remove(int tag);
void veld_timer_update_clock(veld_time delta);
void veld_check_timers();
double veld_timer_get_elapsed_time(int tag);
double veld_timer_get_left_time(int tag);
veld_time veld_get_time();
double veld_get_time_double();
veld_time double2time(double seconds);
double veld_time2double(veld_time t);
veld_time veld_time_add(veld_time a, veld_time b);

void timers_clear_state();
