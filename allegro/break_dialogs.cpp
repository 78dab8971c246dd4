// The Break menu's forms: add a breakpoint, add a watchpoint, step back N
// instructions, trace to a file. Each is a small box of edit fields and
// buttons; Return in a field is the first button, Esc the last (Cancel).
#include "app.h"
#include "break_menu.h"
#include "break_text.h"

#include "core/debugger.h"
#include "core/trace.h"

#include <allegro.h>

#include <cstdio>
#include <vector>

namespace {

// A field's text: at most FIELD_CHARS characters, each up to four bytes.
constexpr int FIELD_CHARS = 63;
using field_text = char[4 * (FIELD_CHARS + 1)];

struct form_field {
    const char *label;
    char *text;
};

// Runs a form over the debugger. Returns the button chosen (0 for Return
// in a field), or -1 for Esc or the last button.
int run_form(const char *title, const std::vector<form_field> &fields, const std::vector<const char *> &hints,
             const std::vector<const char *> &buttons)
{
    constexpr int W = 560, ROW = 20, HINT = 12;
    const int buttons_y = 26 + ROW * static_cast<int>(fields.size()) + HINT * static_cast<int>(hints.size()) + 8;
    const int h = buttons_y + 26;
    std::vector<DIALOG> d;
    d.push_back({d_box_proc, 0, 0, W, h, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    d.push_back({d_ctext_proc, W / 2, 6, 0, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>(title), nullptr, nullptr});
    const int first_field = static_cast<int>(d.size());
    int y = 26;
    for (const form_field &f : fields) {
        d.push_back({d_text_proc, 10, y, 150, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>(f.label), nullptr, nullptr});
        d.push_back({d_edit_proc, 170, y, W - 180, 8, 0, 0, 0, D_EXIT, FIELD_CHARS, 0, f.text, nullptr, nullptr});
        y += ROW;
    }
    for (const char *hint : hints) {
        d.push_back({d_text_proc, 10, y, W - 20, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>(hint), nullptr, nullptr});
        y += HINT;
    }
    const int first_button = static_cast<int>(d.size());
    const int n = static_cast<int>(buttons.size());
    const int bw = (W - 10) / n;
    for (int i = 0; i < n; i++)
        d.push_back({d_button_proc, 10 + i * bw, buttons_y, bw - 10, 16, 0, 0, 0, D_EXIT, 0, 0,
                     const_cast<char *>(buttons[static_cast<size_t>(i)]), nullptr, nullptr});
    d.push_back({app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    d.push_back({nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    set_dialog_color(d.data(), gui_fg_color, gui_bg_color);
    centre_dialog(d.data());
    app_modal_begin();
    int chosen = do_dialog(d.data(), first_field + 1);
    app_modal_end();
    if (chosen >= first_field && chosen < first_button)
        return 0;
    if (chosen >= first_button && chosen < first_button + n - 1)
        return chosen - first_button;
    return -1;
}

} // namespace

int break_add_dialog()
{
    static field_text address, condition, from_hit;
    // The address typed in the debugger's own field comes along.
    if (!address[0])
        std::snprintf(address, sizeof address, "%s", breakpoint_str);
    if (run_form("Add breakpoint",
                 {{"Address or label", address}, {"If (condition)", condition}, {"From hit", from_hit}},
                 {"Address: hexadecimal or a label (NAME, NAME+N).",
                  "Condition: A == 0x41, R10 != 0, [C123] >= 80 (may be empty).",
                  "From hit: stop from the Nth hit on (empty: every hit)."},
                 {"Add", "Cancel"}) != 0)
        return D_REDRAW;
    std::string added;
    std::string why = break_add_fields(address, condition, from_hit, added);
    if (!why.empty())
        break_refusal("Add breakpoint: none was added.", why);
    else
        break_say(added);
    return D_REDRAW;
}

int watch_add_dialog()
{
    static field_text range;
    if (!range[0])
        std::snprintf(range, sizeof range, "%s", breakpoint_str);
    int chosen = run_form("Add watchpoint", {{"Addresses", range}},
                          {"ADDR or FIRST..LAST (hexadecimal or labels),",
                           "Pn: a peripheral register (P6 is 0106), Rn: a register.",
                           "Stops after the instruction that reads or writes them."},
                          {"Write", "Read", "Read+Write", "Cancel"});
    if (chosen < 0)
        return D_REDRAW;
    std::string added;
    std::string why = watch_add_fields(range, chosen != 0, chosen != 1, added);
    if (!why.empty())
        break_refusal("Add watchpoint: none was added.", why);
    else
        break_say(added);
    return D_REDRAW;
}

int step_back_dialog()
{
    static field_text count = "1";
    char reach[80];
    std::snprintf(reach, sizeof reach, "The history reaches %.1f seconds of machine time back.",
                  orv_history_seconds());
    if (run_form("Step back", {{"Instructions", count}},
                 {orv_history_enabled() ? reach : "No history is kept (Break, Keep history)."},
                 {"Back", "Cancel"}) != 0)
        return D_REDRAW;
    long n = 0;
    std::string why = break_count_read(count, "Step back", 1, ORV_STEP_BACK_MAX, 1, n);
    if (!why.empty()) {
        break_refusal("Step back: the machine did not move.", why);
        return D_REDRAW;
    }
    std::string line = break_step_back(n);
    refresh_debugger();
    break_say(line);
    return D_REDRAW;
}

int trace_dialog()
{
    static field_text file = "trace.txt", frames;
    std::string running = break_traces_running();
    int chosen = run_form("Trace to file", {{"File", file}, {"Frames", frames}},
                          {"Frames: how many to run it for (empty: until a stop).",
                           "Log: the trace log's lines; Instructions: each one",
                           "run, with its bytes and the registers after it.",
                           running.empty() ? "No trace is being written." : running.c_str()},
                          {"Log", "Instructions", "Cancel"});
    if (chosen < 0)
        return D_REDRAW;
    const orv_trace_kind kind = chosen == 0 ? ORV_TRACE_LOG : ORV_TRACE_INSTRUCTIONS;
    std::string why = break_trace_start(kind, file, frames);
    if (!why.empty())
        break_refusal("Trace to file: no trace was started.", why);
    else
        break_say(break_traces_running());
    return D_REDRAW;
}
