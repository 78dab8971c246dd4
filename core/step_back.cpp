// The step-back history: what was run since a saved state, and running it
// again.
//
// Written down: each call of the frame loop (its stop address and style, the
// keys the host sent and the pictures it wanted during it, and where it
// stopped), each run of debugger steps (how many), and each change made
// between runs that the history can make again (a key, a video RAM watch, a
// reset). The machine is saved at the start of a call about once a second of
// machine time; a call that runs until a stop is cut into pieces of about a
// second at the ends of its frames, each written down as a call of its own
// with its save, so that a long run is never made again from its start. Where a call stopped is kept as the event clock at that
// point with the kind of point (before an instruction, after one, between
// frames): within one call the clock grows with every instruction, so the
// two name one place.
//
// Running again: the saved state is loaded and each call is made again with
// the history in the host's place (no sound, no window: the keys and
// pictures written down), on the reference path, stopping where the call
// stopped. Before a place is shown, the run from the save up to the next
// save, or to the present, is compared with it byte for byte: a difference
// means something changed the machine that the history did not see, and the
// step back is refused.
#include "step_back.h"

#include "breakpoints.h"
#include "debug_engine.h"
#include "debug_hooks.h"
#include "host.h"
#include "iocpu.h"
#include "state.h"
#include "timers.h"
#include "tms7000.h"
#include "trace.h"

#include <deque>
#include <string>
#include <vector>

bool orv_history_recording;
bool dbg_history_replaying;

namespace {

struct hist_input {
    enum kind_t : uint8_t { KEY, PICTURE } kind;
    uint8_t value;
    veld_time at;
};

struct hist_op {
    enum kind_t : uint8_t { LOOP, STEPS, CALL } kind = LOOP;
    // LOOP: the call, and where it ended (`complete`: a frame-style call
    // that ran its frame to the end, or a piece of a run until a stop that
    // ran to `last_frame`; otherwise the stop's point, clock, answer
    // and the break request then).
    unsigned short stop_pc = 0;
    orv_loop_style style = ORV_LOOP_FRAME;
    // A run until a stop is written down in pieces of about a second, each
    // closed at the end of a frame: the frames of the call it runs.
    int first_frame = 0;
    int last_frame = -1;
    bool complete = false;
    orv_stop why = ORV_STOP_FRAME;
    orv_stop_point point = ORV_POINT_AFTER;
    veld_time end = {0, 0};
    int ask_bkpt = 0;
    std::vector<hist_input> inputs;
    // STEPS
    long steps = 0;
    // CALL
    void (*apply)(unsigned long) = nullptr;
    unsigned long value = 0;
};

struct hist_checkpoint {
    size_t op;  // the call it was taken before (absolute index)
    std::vector<uint8_t> state;
    orv_loop_resume resume;
    veld_time clock;
};

// An instruction boundary of the history: before an instruction of a call
// (`clock`), or before step `step` of a run of steps.
struct hist_place {
    size_t op;
    veld_time clock;
    long step;
};

bool dbg_history_on;
std::deque<hist_op> dbg_history_ops;
size_t dbg_history_base;  // absolute index of the first op kept
std::deque<hist_checkpoint> dbg_history_saves;
bool dbg_history_in_loop;
bool dbg_history_loading;  // the history loads a state itself

// Running again.
struct replay_state {
    enum mode_t { COUNT, HITS, GO } mode = GO;
    size_t op = 0;
    const hist_op *cur = nullptr;
    size_t input = 0;
    long step = 0;
    bool diverged = false;
    hist_place target = {};
    // COUNT: the places of the last `ring.size()` instructions run; HITS:
    // the last place a breakpoint or watchpoint would have stopped.
    std::vector<hist_place> ring;
    long executed = 0;
    bool hit = false;
    hist_place last_hit = {};
};
replay_state dbg_replay;

constexpr uint32_t SAVE_EVERY_CYCLES = VELD_CYCLES_PER_SECOND;
// The longest stretch between two saves that is run again (a single call
// can run for hours of machine time).
constexpr double REPLAY_MAX_SECONDS = 300;

bool same_time(veld_time a, veld_time b) { return a.seconds == b.seconds && a.cycles == b.cycles; }

double seconds_between(veld_time a, veld_time b)
{
    return (static_cast<double>(b.seconds) - a.seconds) +
           (static_cast<double>(b.cycles) - a.cycles) / VELD_CYCLES_PER_SECOND;
}

size_t ops_end() { return dbg_history_base + dbg_history_ops.size(); }
hist_op &op_at(size_t index) { return dbg_history_ops[index - dbg_history_base]; }

void set_recording()
{
    orv_history_recording = dbg_history_on && !dbg_history_replaying;
}

void forget()
{
    dbg_history_ops.clear();
    dbg_history_saves.clear();
    dbg_history_base = 0;
    dbg_history_in_loop = false;
}

// Before a call or a change: a save, when the last is a second old (or there
// is none); the oldest go once there are enough.
bool save_due()
{
    return dbg_history_saves.empty() ||
           seconds_between(dbg_history_saves.back().clock, g_timer_clock) * VELD_CYCLES_PER_SECOND >= SAVE_EVERY_CYCLES;
}

void maybe_save()
{
    if (!save_due())
        return;
    dbg_history_saves.push_back({ops_end(), orv_state_save(), orv_resume, g_timer_clock});
    dbg_history_saves.back().state.shrink_to_fit();
    while (dbg_history_saves.size() > static_cast<size_t>(ORV_HISTORY_SECONDS)) {
        dbg_history_saves.pop_front();
        while (dbg_history_base < dbg_history_saves.front().op) {
            dbg_history_ops.pop_front();
            dbg_history_base++;
        }
    }
}

hist_op &new_op(hist_op::kind_t kind)
{
    maybe_save();
    dbg_history_ops.emplace_back();
    dbg_history_ops.back().kind = kind;
    return dbg_history_ops.back();
}

// ---- Running again ----------------------------------------------------------

void replay_inject_keys()
{
    replay_state &r = dbg_replay;
    while (r.cur && r.input < r.cur->inputs.size() && r.cur->inputs[r.input].kind == hist_input::KEY &&
           same_time(r.cur->inputs[r.input].at, g_timer_clock))
        send_key(r.cur->inputs[r.input++].value);
}

// The state as it stands, to compare or to come back to.
struct machine_now {
    std::vector<uint8_t> state;
    orv_loop_resume resume;
};

machine_now take_now() { return {orv_state_save(), orv_resume}; }

bool matches(const machine_now &m) { return m.state == orv_state_save() && m.resume.open == orv_resume.open && (!m.resume.open || m.resume.frame == orv_resume.frame); }

bool load(const std::vector<uint8_t> &state, orv_loop_resume resume)
{
    dbg_history_loading = true;
    std::string note;
    bool ok = orv_state_load(state.data(), state.size(), note).empty();
    dbg_history_loading = false;
    orv_resume = resume;
    return ok;
}

// What the machine looks at while the history runs again: no host.
struct replay_scope {
    orv_host_hooks host;
    int notrace;
    replay_scope() : host(orv_host), notrace(g_notrace)
    {
        orv_host = {};
        orv_host.key_poll = replay_inject_keys;
        orv_host.frame_end = replay_inject_keys;
        no_trace();
        dbg_history_replaying = true;
        dbg_watch_counting = false;
        set_recording();
        orv_debug_arm_update();
    }
    ~replay_scope()
    {
        dbg_history_replaying = false;
        dbg_watch_counting = true;
        set_recording();
        orv_debug_arm_update();
        orv_host = host;
        if (!notrace)
            restore_trace();
        orv_watch_forget();
    }
};

// Makes op `index` again, up to the target when it is there.
void replay_op(size_t index)
{
    replay_state &r = dbg_replay;
    const hist_op &op = op_at(index);
    const bool target_here = r.mode == replay_state::GO && r.target.op == index;
    r.op = index;
    r.cur = &op;
    r.input = 0;
    switch (op.kind) {
    case hist_op::CALL:
        op.apply(op.value);
        break;
    case hist_op::STEPS: {
        const long n = target_here ? r.target.step : op.steps;
        for (r.step = 0; r.step < n; r.step++)
            orv_step();
        break;
    }
    case hist_op::LOOP: {
        orv_host.style = op.style;
        const orv_stop why = orv_loop_span(op.stop_pc, op.first_frame, op.complete ? op.last_frame : -1);
        if (target_here)
            break;
        bool same = op.complete ? why == ORV_STOP_FRAME
                                : why == op.why && orv_last_stop_point == op.point && same_time(g_timer_clock, op.end);
        if (!same || r.input != op.inputs.size())
            r.diverged = true;
        break;
    }
    }
}

// Loads save `k` and runs the ops from it up to `end` (absolute, not
// included). False when the run parted from what was written down.
bool replay(size_t k, size_t end)
{
    const hist_checkpoint &save = dbg_history_saves[k];
    if (!load(save.state, save.resume))
        return false;
    replay_state &r = dbg_replay;
    r.diverged = false;
    replay_scope scope;
    for (size_t i = save.op; i < end && !r.diverged; i++)
        replay_op(i);
    return !r.diverged;
}

// The end of stretch `k`: the next save's call, or the present.
size_t stretch_end(size_t k)
{
    return k + 1 < dbg_history_saves.size() ? dbg_history_saves[k + 1].op : ops_end();
}

// Runs stretch `k` again (COUNT or HITS) and compares its end with the next
// save or the present. "" or why the history cannot be run again.
std::string scan(size_t k, const machine_now &present)
{
    const double length = seconds_between(dbg_history_saves[k].clock,
                                          k + 1 < dbg_history_saves.size() ? dbg_history_saves[k + 1].clock
                                                                           : g_timer_clock);
    if (length > REPLAY_MAX_SECONDS)
        return "too long";
    const size_t end = stretch_end(k);
    bool ok = replay(k, end);
    if (ok) {
        if (k + 1 < dbg_history_saves.size())
            ok = matches({dbg_history_saves[k + 1].state, dbg_history_saves[k + 1].resume});
        else
            ok = matches(present);
    }
    return ok ? "" : "differs";
}

// Puts the machine at `target` (reached from save `k`) and forgets what came
// after it. False (nothing forgotten) if the run parted from the one just
// compared, which a deterministic machine never does.
bool go_to(size_t k, const hist_place &target)
{
    replay_state &r = dbg_replay;
    r.mode = replay_state::GO;
    r.target = target;
    if (!replay(k, target.op + 1))
        return false;
    hist_op &op = op_at(target.op);
    if (op.kind == hist_op::STEPS) {
        op.steps = target.step;
    } else {
        op.complete = false;
        op.why = ORV_STOP_DEBUG;
        op.point = ORV_POINT_BEFORE;
        op.end = target.clock;
        op.ask_bkpt = ask_bkpt;
        op.inputs.resize(r.input);
    }
    while (ops_end() > target.op + 1)
        dbg_history_ops.pop_back();
    if (op.kind == hist_op::STEPS && op.steps == 0)
        dbg_history_ops.pop_back();
    while (!dbg_history_saves.empty() && dbg_history_saves.back().op > target.op)
        dbg_history_saves.pop_back();
    orv_debug_note_back();
    return true;
}

std::string cannot_run_again(const machine_now &present)
{
    load(present.state, present.resume);
    forget();
    return "The history cannot be run again exactly: something changed the machine that it did not see "
           "(a memory edit, say). It starts afresh from here.";
}

std::string too_long()
{
    return "The history does not reach: a run in it is longer than " +
           std::to_string(static_cast<int>(REPLAY_MAX_SECONDS)) + " seconds of machine time";
}

} // namespace

// ---- Writing down ---------------------------------------------------------------

void orv_history_loop_begin(unsigned short stop_pc)
{
    hist_op &op = new_op(hist_op::LOOP);
    op.stop_pc = stop_pc;
    op.style = orv_host.style;
    dbg_history_in_loop = true;
}

void orv_history_loop_end(orv_stop why)
{
    dbg_history_in_loop = false;
    if (dbg_history_ops.empty())
        return;
    hist_op &op = dbg_history_ops.back();
    op.complete = why == ORV_STOP_FRAME;
    op.why = why;
    op.point = orv_last_stop_point;
    op.end = g_timer_clock;
    op.ask_bkpt = ask_bkpt;
}

void orv_history_frame_done(int frame)
{
    if (!dbg_history_in_loop || dbg_history_ops.empty() || !save_due())
        return;
    hist_op &piece = dbg_history_ops.back();
    if (piece.kind != hist_op::LOOP)
        return;
    piece.complete = true;
    piece.why = ORV_STOP_FRAME;
    piece.last_frame = frame;
    piece.end = g_timer_clock;
    piece.ask_bkpt = ask_bkpt;
    const unsigned short stop_pc = piece.stop_pc;
    const orv_loop_style style = piece.style;
    hist_op &next = new_op(hist_op::LOOP);  // the save is taken here
    next.stop_pc = stop_pc;
    next.style = style;
    next.first_frame = frame + 1;
}

void orv_history_step()
{
    if (!dbg_history_ops.empty() && dbg_history_ops.back().kind == hist_op::STEPS)
        dbg_history_ops.back().steps++;
    else
        new_op(hist_op::STEPS).steps = 1;
}

void orv_history_key(unsigned char code)
{
    if (dbg_history_in_loop && !dbg_history_ops.empty()) {
        dbg_history_ops.back().inputs.push_back({hist_input::KEY, code, g_timer_clock});
        return;
    }
    orv_history_call([](unsigned long value) { send_key(static_cast<unsigned char>(value)); }, code);
}

void orv_history_call(void (*apply)(unsigned long), unsigned long value)
{
    if (!orv_history_recording)
        return;
    hist_op &op = new_op(hist_op::CALL);
    op.apply = apply;
    op.value = value;
}

void orv_history_restart()
{
    if (dbg_history_loading)
        return;
    forget();  // the next call saves the machine first
}

bool orv_picture_wanted()
{
    if (dbg_history_replaying) {
        replay_state &r = dbg_replay;
        replay_inject_keys();
        if (r.cur && r.input < r.cur->inputs.size() && r.cur->inputs[r.input].kind == hist_input::PICTURE &&
            same_time(r.cur->inputs[r.input].at, g_timer_clock))
            return r.cur->inputs[r.input++].value != 0;
        r.diverged = true;
        return true;
    }
    const bool wanted = !orv_host.picture_wanted || orv_host.picture_wanted();
    if (orv_history_recording && dbg_history_in_loop && !dbg_history_ops.empty())
        dbg_history_ops.back().inputs.push_back({hist_input::PICTURE, static_cast<uint8_t>(wanted), g_timer_clock});
    return wanted;
}

// ---- Running again: the checks around each instruction --------------------------

orv_stop orv_history_replay_before(bool may_stop)
{
    replay_state &r = dbg_replay;
    if (!r.cur)
        return ORV_STOP_FRAME;
    const hist_op &op = *r.cur;
    const veld_time now = g_timer_clock;
    if (may_stop && op.kind == hist_op::LOOP) {
        if (r.mode == replay_state::GO && r.target.op == r.op && same_time(now, r.target.clock))
            return ORV_STOP_DEBUG;
        if (!op.complete) {
            if (op.point == ORV_POINT_BEFORE && same_time(now, op.end))
                return ORV_STOP_DEBUG;
            if (veld_later_than(now, op.end)) {  // passed where it stopped
                r.diverged = true;
                return ORV_STOP_DEBUG;
            }
        }
    }
    const hist_place here = {r.op, now, op.kind == hist_op::STEPS ? r.step : 0};
    if (r.mode == replay_state::COUNT) {
        r.ring[static_cast<size_t>(r.executed % static_cast<long>(r.ring.size()))] = here;
        r.executed++;
    } else if (r.mode == replay_state::HITS) {
        r.executed++;
        if (dbg_watch_pending.pending || orv_break_matches(tms7000.pc.w)) {
            r.hit = true;
            r.last_hit = here;
        }
    }
    orv_watch_forget();
    return ORV_STOP_FRAME;
}

namespace {

// A call made again ends where the written-down one stopped: at this kind of
// point, at the same clock, with the same answer and break request.
orv_stop replay_stop_at(orv_stop_point point, orv_stop why)
{
    const replay_state &r = dbg_replay;
    if (why != ORV_STOP_FRAME || !r.cur)
        return why;
    const hist_op &op = *r.cur;
    if (op.kind == hist_op::LOOP && !op.complete && op.point == point && same_time(g_timer_clock, op.end)) {
        ask_bkpt = op.ask_bkpt;
        return op.why;
    }
    return why;
}

} // namespace

orv_stop orv_history_replay_after(orv_stop why) { return replay_stop_at(ORV_POINT_AFTER, why); }

orv_stop orv_history_replay_frame_end(orv_stop why) { return replay_stop_at(ORV_POINT_FRAME_END, why); }

// ---- What programs call -------------------------------------------------------

void orv_history_enable(bool on)
{
    dbg_history_on = on;
    forget();
    set_recording();
}

bool orv_history_enabled() { return dbg_history_on; }

double orv_history_seconds()
{
    if (!dbg_history_on || dbg_history_saves.empty())
        return 0;
    return seconds_between(dbg_history_saves.front().clock, g_timer_clock);
}

std::string orv_step_back(long n)
{
    if (n < 1 || n > ORV_STEP_BACK_MAX)
        return "Step back takes a count from 1 to " + std::to_string(ORV_STEP_BACK_MAX);
    if (!dbg_history_on)
        return "There is no history to step back in: it is not kept";
    if (dbg_history_saves.empty())
        return "The history does not reach: nothing has run since it started";
    const machine_now present = take_now();
    replay_state &r = dbg_replay;
    long later = 0;  // instructions run after the stretch being looked at
    for (size_t k = dbg_history_saves.size(); k-- > 0;) {
        r = replay_state{};
        r.mode = replay_state::COUNT;
        r.ring.assign(static_cast<size_t>(n), hist_place{});
        std::string why = scan(k, present);
        if (why == "differs")
            return cannot_run_again(present);
        if (!why.empty()) {
            load(present.state, present.resume);
            return too_long();
        }
        if (r.executed + later >= n) {
            const long index = r.executed - (n - later);
            const hist_place target = r.ring[static_cast<size_t>(index % n)];
            return go_to(k, target) ? "" : cannot_run_again(present);
        }
        later += r.executed;
    }
    load(present.state, present.resume);
    return "The history does not reach " + std::to_string(n) + " instructions back: it holds " +
           std::to_string(later);
}

std::string orv_back_to_hit()
{
    if (!dbg_history_on)
        return "There is no history to step back in: it is not kept";
    if (!orv_break_any_enabled() && !orv_watch_any_enabled())
        return "No breakpoint or watchpoint is enabled: there is no hit to go back to";
    if (dbg_history_saves.empty())
        return "The history does not reach: nothing has run since it started";
    const machine_now present = take_now();
    replay_state &r = dbg_replay;
    long searched = 0;
    for (size_t k = dbg_history_saves.size(); k-- > 0;) {
        r = replay_state{};
        r.mode = replay_state::HITS;
        std::string why = scan(k, present);
        if (why == "differs")
            return cannot_run_again(present);
        if (!why.empty()) {
            load(present.state, present.resume);
            return too_long();
        }
        if (r.hit) {
            const hist_place target = r.last_hit;
            return go_to(k, target) ? "" : cannot_run_again(present);
        }
        searched += r.executed;
    }
    load(present.state, present.resume);
    return "No breakpoint or watchpoint was hit in the history (it reaches " + std::to_string(searched) +
           (searched == 1 ? " instruction back)" : " instructions back)");
}

void step_back_clear_state()
{
    dbg_history_on = false;
    forget();
    dbg_history_loading = false;
    dbg_history_replaying = false;
    dbg_replay = replay_state{};
    orv_history_recording = false;
}
