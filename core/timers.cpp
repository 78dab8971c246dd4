#include "timers.h"

#include "trace.h"

#include <cstring>

veld_timer timer_tab[VELD_TIMER_MAX];
int g_timer_num;
veld_time g_timer_clock;
veld_time g_timer_next_due = VELD_NEVER;
trace_fn tf_check_timers = {"veld_check_timers()", 0};

namespace {

// The timer whose callback is running: its tag and due time.
struct fired_timer {
    bool firing;
    int tag;
    veld_time due;
};
fired_timer g_timer_fired;

trace_fn tf_create = {"veld_timer_create()", 0};
trace_fn tf_double2time = {"double2time", 0};

} // namespace

// The earliest due time of the live timers, exactly.
static veld_time earliest_due()
{
    veld_time next = VELD_NEVER;
    for (int i = 0; i < g_timer_num; i++)
        if (veld_later_than(next, timer_tab[i].due))
            next = timer_tab[i].due;
    return next;
}

void veld_timers_table_loaded()
{
    g_timer_next_due = earliest_due();
    g_timer_fired = {};
}

static int timer_add(veld_callback callback, int param, int tag, veld_time start, veld_time due)
{
    trace_fn &tf = tf_create;
    trace_enter(tf);
    if (g_timer_num >= VELD_TIMER_MAX) {
        TRACE_ALWAYS(tf, "Cannot allocate timer !!!");
        return 1;
    }
    TRACE(tf, "Create timer %d", tag);
    veld_timer &t = timer_tab[g_timer_num++];
    t.tag = tag;
    t.callback = callback;
    t.param = param;
    t.start = start;
    t.due = due;
    if (veld_later_than(g_timer_next_due, due))
        g_timer_next_due = due;
    return 0;
}

int veld_timer_create(veld_callback callback, int param, int tag, veld_time delay)
{
    return timer_add(callback, param, tag, g_timer_clock, veld_time_add(g_timer_clock, delay));
}

int veld_timer_create_next(veld_callback callback, int param, int tag, veld_time period)
{
    if (!g_timer_fired.firing || g_timer_fired.tag != tag)
        return veld_timer_create(callback, param, tag, period);
    veld_time start = g_timer_fired.due;
    return timer_add(callback, param, tag, start, veld_time_add(start, period));
}

int veld_timer_remove(int tag)
{
    static trace_fn tf = {"veld_timer_remove()", 0};
    trace_enter(tf);
    int removed = 0;
    int i = 0;
    while (i < g_timer_num) {
        if (timer_tab[i].tag == tag) {
            // The last entry moves into the slot and is examined in its turn.
            timer_tab[i] = timer_tab[g_timer_num - 1];
            g_timer_num--;
            removed++;
        } else {
            i++;
        }
    }
    if (removed)
        TRACE(tf, "removed %d timers tag 0x%x", removed, tag);
    return removed;
}

void veld_check_timers_due()
{
    trace_fn &tf = tf_check_timers;
    for (int i = 0; i < g_timer_num; i++) {
        if (!veld_later_than(g_timer_clock, timer_tab[i].due))
            continue;
        TRACE(tf, "Timer %d elapsed", timer_tab[i].tag);
        veld_callback callback = timer_tab[i].callback;
        int param = timer_tab[i].param;
        fired_timer fired = {true, timer_tab[i].tag, timer_tab[i].due};
        // The entry is gone before the callback runs, so that it may re-arm its tag.
        if (i != g_timer_num - 1)
            timer_tab[i] = timer_tab[g_timer_num - 1];
        g_timer_num--;
        g_timer_next_due = earliest_due();
        g_timer_fired = fired;
        callback(param);
        g_timer_fired.firing = false;
        return;
    }
    // Nothing was due after all (a timer removed since): no scan again
    // before the earliest live one is.
    g_timer_next_due = earliest_due();
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
        if (m.used && m.d == d)
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

veld_time veld_delay_time(veld_delay &delay)
{
    if (delay.converted && tf_double2time.flag == -1) {
        g_func_name = tf_double2time.name;
        return delay.time;
    }
    delay.time = double2time(delay.seconds);
    delay.converted = true;
    return delay.time;
}

void timers_clear_state()
{
    std::memset(timer_tab, 0, sizeof timer_tab);
    g_timer_num = 0;
    g_timer_clock = {0, 0};
    g_timer_next_due = VELD_NEVER;
    g_timer_fired = {};
    for (double2time_memo &m : d2t_memo)
        m = {};
    d2t_memo_next = 0;
}
