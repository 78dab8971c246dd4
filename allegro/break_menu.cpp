// The Break menu of the debugger, its keys, the commands that run the
// machine (step out, step back, back to a hit), and the disassembly view
// that shows labels when asked.
#include "alert_text.h"
#include "app.h"
#include "break_menu.h"
#include "break_text.h"
#include "stop_reason.h"

#include "core/dasm_listing.h"
#include "core/debugger.h"
#include "core/symbols.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <allegro.h>

#include <cstdio>

namespace {

bool labelled_view;
std::string labelled_text;

// The machine runs (a step out may take a while): no pointer meanwhile, and
// the key that gave up (Space, Esc) does not reach the dialog.
template <typename F>
int run_machine(F command)
{
    app_mouse(false);
    command();
    app_mouse_restore();
    app_wait_release(KEY_ESC);
    app_wait_release(KEY_SPACE);
    clear_keybuf();
    return D_REDRAW;
}

// How a step over or step out ended, in the log view and the title.
void say_result(orv_debug_result r, unsigned long serial)
{
    if (r == ORV_DEBUG_STOPPED || (r == ORV_DEBUG_DONE && orv_debug_last_stop().serial != serial))
        break_say((r == ORV_DEBUG_STOPPED ? "Stopped: " : "") + orv_debug_stop_text(orv_debug_last_stop()));
    else if (r == ORV_DEBUG_INTERRUPTED)
        break_say("Given up (Space or Esc), at PC=" + orv_symbol_describe(get_pc()));
    break_say_traces_ended();
}

int step_out()
{
    return run_machine([] {
        const unsigned long serial = orv_debug_last_stop().serial;
        orv_debug_result r = orv_step_out();
        refresh_debugger();
        say_result(r, serial);
    });
}

// The machine put back: its views and the picture as they were there.
int after_back(const std::string &line)
{
    refresh_debugger();
    break_say(line);
    return D_REDRAW;
}

int step_back_one() { return after_back(break_step_back(1)); }
int back_to_hit() { return after_back(break_back_to_hit()); }

int toggle_history();
int toggle_labelled();

int stop_traces()
{
    std::vector<std::string> lines = break_traces_stop();
    if (lines.empty())
        lines.push_back("No trace is being written");
    for (const std::string &line : lines)
        break_say(line);
    return D_REDRAW;
}

int load_symbols()
{
    static std::string path;
    std::string dir = app_cartridge.empty() ? std::string() : app_cartridge.substr(0, app_cartridge.find_last_of('/') + 1);
    if (!app_select_file("Load symbols", path, dir, nullptr))
        return D_REDRAW;
    std::string note;
    std::string why = orv_symbols_load_file(ORV_SYMBOLS_USER, path, note);
    if (!why.empty()) {
        break_refusal("Load symbols: nothing was loaded.", why);
        return D_REDRAW;
    }
    const int n = orv_symbols_count(ORV_SYMBOLS_USER);
    break_say(std::to_string(n) + (n == 1 ? " symbol from " : " symbols from ") + path);
    if (!note.empty())
        break_say(note);
    refresh_debugger();
    return D_REDRAW;
}

MENU items[] = {
    {const_cast<char *>("Add breakpoint...\tA"), break_add_dialog, nullptr, 0, nullptr},
    {const_cast<char *>("Add watchpoint...\tW"), watch_add_dialog, nullptr, 0, nullptr},
    {const_cast<char *>("Breakpoints and watchpoints...\tL"), break_list_dialog, nullptr, 0, nullptr},
    {const_cast<char *>("Step out\tO"), step_out, nullptr, 0, nullptr},
    {const_cast<char *>("Step back\tU"), step_back_one, nullptr, 0, nullptr},
    {const_cast<char *>("Step back N...\tN"), step_back_dialog, nullptr, 0, nullptr},
    {const_cast<char *>("Back to previous hit\tH"), back_to_hit, nullptr, 0, nullptr},
    {const_cast<char *>("Keep history for step back"), toggle_history, nullptr, 0, nullptr},
    {const_cast<char *>("Trace to file...\tT"), trace_dialog, nullptr, 0, nullptr},
    {const_cast<char *>("Stop traces"), stop_traces, nullptr, 0, nullptr},
    {const_cast<char *>("Load symbols...\tS"), load_symbols, nullptr, 0, nullptr},
    {const_cast<char *>("Labelled disassembly\tD"), toggle_labelled, nullptr, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};
constexpr int ITEM_HISTORY = 7;
constexpr int ITEM_LABELLED = 11;

void update_checks()
{
    items[ITEM_HISTORY].flags = orv_history_enabled() ? D_SELECTED : 0;
    items[ITEM_LABELLED].flags = labelled_view ? D_SELECTED : 0;
}

int toggle_history()
{
    orv_history_enable(!orv_history_enabled());
    update_checks();
    break_say(orv_history_enabled() ? "Step back: the history is kept from here"
                                    : "Step back: no history is kept");
    return D_REDRAW;
}

int toggle_labelled()
{
    labelled_view = !labelled_view;
    update_checks();
    return D_REDRAW;
}

struct break_key {
    int ascii;
    int (*command)();
};
const break_key keys[] = {
    {'a', break_add_dialog}, {'w', watch_add_dialog}, {'l', break_list_dialog}, {'o', step_out},
    {'u', step_back_one},    {'n', step_back_dialog}, {'h', back_to_hit},       {'t', trace_dialog},
    {'s', load_symbols},     {'d', toggle_labelled},
};

} // namespace

MENU *break_menu_items()
{
    update_checks();
    return items;
}

int break_keys_proc(int msg, DIALOG *d, int c)
{
    if (msg == MSG_START)
        d->w = d->h = 0;
    if (msg != MSG_XCHAR)
        return D_O_K;
    for (const break_key &k : keys)
        if ((c & 0xFF) == k.ascii)
            return k.command() | D_USED_CHAR;
    return D_O_K;
}

int break_disass_proc(int msg, DIALOG *d, int c)
{
    if (msg == MSG_START || msg == MSG_DRAW) {
        void *shown = disass_box;
        if (labelled_view) {
            // The same 20 instructions from the program counter, with their labels.
            labelled_text = orv_dasm_listing(get_pc(), 20);
            shown = labelled_text.data();
        }
        if ((d->dp == disass_box) != (shown == disass_box))
            d->d2 = 0;  // the other view: from its top
        d->dp = shown;
    }
    return d_textbox_proc(msg, d, c);
}

void break_stepover()
{
    const unsigned long serial = orv_debug_last_stop().serial;
    orv_debug_result r = orv_step_over();
    refresh_debugger();
    if (r == ORV_DEBUG_STOPPED)
        say_result(r, serial);
    else
        break_say_traces_ended();
}

void break_say(const std::string &line)
{
    stop_reason_log(line);
    get_log_str(log_box, 65536);
    screen_set_title_message(line);
}

void break_say_traces_ended()
{
    for (const std::string &line : break_traces_ended())
        break_say(line);
}

void break_symbols_note()
{
    const std::string &note = orv_symbols_note();
    if (note.empty())
        return;
    std::fprintf(stderr, "orvane: warning: %s\n", note.c_str());
    stop_reason_log(note);
    get_log_str(log_box, 65536);
}

void break_refusal(const std::string &heading, const std::string &why)
{
    std::vector<std::string> lines = alert_lines(why, 2);
    app_alert(heading, lines[0], lines[1], "OK");
}
