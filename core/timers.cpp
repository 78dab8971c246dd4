#include "timers.h"

#include "trace.h"

#include <cstring>

veld_timer timer_tab[VELD_TIMER_MAX];
unsigned veld_timer_edits;
int g_timer_num;
veld_time g_timer_clock;
veld_time g_timer_next_due = VELD_NEVER;
trace_fn tf_check_timers = {"veld_check_timers()", 0};

veld_fired_timer g_timer_fired;
trace_fn tf_timer_create = {"veld_timer_create()", 0};
trace_fn tf_timer_remove = {"veld_timer_remove()", 0};
trace_fn tf_double2time = {"double2time", 0};

void veld_timers_table_loaded()
{
    g_timer_next_due = veld_earliest_due();
    g_timer_fired = {};
}

int veld_timer_table_full()
{
    TRACE_ALWAYS(tf_timer_create, "Cannot allocate timer !!!");
    return 1;
}

void veld_check_timers_due()
{
    trace_fn &tf = tf_check_timers;
    const int due = veld_first_due(g_timer_clock);
    if (due == g_timer_num) {
        // Nothing was due after all (a timer removed since): no scan again
        // before the earliest live one is.
        g_timer_next_due = veld_earliest_due();
        return;
    }
    const veld_timer &t = timer_tab[due];
    TRACE(tf, "Timer %d elapsed", t.tag);
    const veld_callback callback = t.callback;
    const int param = t.param;
    const veld_fired_timer fired = {true, t.tag, t.due};
    // The entry is gone before the callback runs, so that it may re-arm its
    // tag; the earliest due time is that of the entries left.
    veld_timer_take(due);
    g_timer_next_due = veld_earliest_due();
    g_timer_fired = fired;
    callback(param);
    g_timer_fired.firing = false;
}

static double seconds_of(veld_time t)
{
    return t.seconds + t.cycles / static_cast<double>(VELD_CYCLES_PER_SECOND);
}

static const veld_timer *find_timer(int tag)
{
    for (int i = 0; i < g_timer_num; i++)
        if (timer_tab[i].tag == tag)
            return &timer_tab[i];
    return nullptr;
}

double veld_timer_get_elapsed_time(int tag)
{
    static trace_fn tf = {"veld_timer_get_elapsed_time()", 0};
    trace_enter(tf);
    const veld_timer *t = find_timer(tag);
    if (!t)
        return 0.0;
    return seconds_of(g_timer_clock) - seconds_of(t->start);
}

double veld_timer_get_left_time(int tag)
{
    static trace_fn tf = {"veld_timer_get_left_time()", 0};
    trace_enter(tf);
    const veld_timer *t = find_timer(tag);
    if (!t)
        return 0.0;
    double left = seconds_of(t->due) - seconds_of(g_timer_clock);
    return left < 0.0 ? 0.0 : left;
}

veld_time veld_get_time() { return g_timer_clock; }
double veld_get_time_double() { return seconds_of(g_timer_clock); }
double veld_time2double(veld_time t) { return seconds_of(t); }

namespace {

// The I/O processor and the speech clock convert the same few delays tens
// of thousands of times per emulated second; the extended-precision
// conversion is remembered for the last few of them.
struct double2time_memo {
    double d;
    veld_time t;
    bool used;
};
double2time_memo d2t_memo[4];
int d2t_memo_next;

} // namespace

veld_time double2time(double d)
{
    trace_fn &tf = tf_double2time;
    trace_enter(tf);
    veld_time t;
    const double2time_memo *hit = nullptr;
    for (const double2time_memo &m : d2t_memo)
        if (m.used && m.d == d && orv_fast.delays)
            hit = &m;
    if (hit) {
        t = hit->t;
    } else {
        t.seconds = static_cast<uint32_t>(d);
        // The fraction times the clock rate is formed in extended precision and
        // truncated: a delay such as 12/982000 s, whose double lies just below the
        // exact value, gives 29 cycles, not 30.
        long double fraction = static_cast<long double>(d) - t.seconds;
        t.cycles = static_cast<uint32_t>(fraction * static_cast<long double>(VELD_CYCLES_PER_SECOND));
        d2t_memo[d2t_memo_next] = {d, t, true};
        d2t_memo_next = (d2t_memo_next + 1) % 4;
    }
    TRACE(tf, "double %f = %d %d", d, static_cast<int>(t.seconds), static_cast<int>(t.cycles));
    return t;
}

veld_time veld_delay_convert(veld_delay &delay)
{
    delay.time = double2time(delay.seconds);
    delay.converted = true;
    return delay.time;
}

void timers_clear_state()
{
    std::memset(timer_tab, 0, sizeof timer_tab);
    g_timer_num = 0;
    veld_timer_edits = 0;
    g_timer_clock = {0, 0};
    g_timer_next_due = VELD_NEVER;
    g_timer_fired = {};
    for (double2time_memo &m : d2t_memo)
        m = {};
    d2t_memo_next = 0;
}
