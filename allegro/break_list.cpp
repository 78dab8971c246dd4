// The list of breakpoints and watchpoints: each switched on or off, removed,
// or all removed. The list is read from the engine again after each change.
#include "app.h"
#include "break_menu.h"
#include "break_text.h"

#include <allegro.h>

#include <vector>

namespace {

std::vector<std::string> lines;

char *line_getter(int index, int *size)
{
    if (index < 0) {
        *size = static_cast<int>(lines.size());
        return nullptr;
    }
    return lines[static_cast<size_t>(index)].data();
}

} // namespace

int break_list_dialog()
{
    int selected = 0;
    for (bool first = true;; first = false) {
        std::vector<break_entry> entries = break_entries();
        if (entries.empty()) {  // none at all, or the last one removed
            if (first)
                app_alert("No breakpoints or watchpoints", "(Break, Add breakpoint or Add watchpoint)", "", "OK");
            return D_REDRAW;
        }
        lines.clear();
        for (const break_entry &e : entries)
            lines.push_back(e.text + (e.enabled ? "" : "  [off]"));
        if (selected < 0)
            selected = 0;
        if (selected >= static_cast<int>(entries.size()))
            selected = static_cast<int>(entries.size()) - 1;
        DIALOG d[] = {
            {d_box_proc, 0, 0, 620, 300, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
            {d_ctext_proc, 310, 6, 0, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>("Breakpoints and watchpoints"),
             nullptr, nullptr},
            {d_list_proc, 10, 20, 600, 244, 0, 0, 0, 0, selected, 0, reinterpret_cast<void *>(line_getter),
             nullptr, nullptr},
            {d_button_proc, 10, 274, 140, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("On / Off"), nullptr,
             nullptr},
            {d_button_proc, 160, 274, 140, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Remove"), nullptr, nullptr},
            {d_button_proc, 310, 274, 140, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Remove all"), nullptr,
             nullptr},
            {d_button_proc, 460, 274, 150, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Close"), nullptr, nullptr},
            {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
            {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        };
        set_dialog_color(d, gui_fg_color, gui_bg_color);
        centre_dialog(d);
        app_modal_begin();
        int chosen = do_dialog(d, 2);
        app_modal_end();
        selected = d[2].d1;
        if (chosen < 3 || chosen > 5)
            return D_REDRAW;
        const break_entry &e = entries[static_cast<size_t>(selected)];
        const std::string name = (e.watch ? "Watchpoint " : "Breakpoint ") + std::to_string(e.id);
        if (chosen == 3 && break_entry_toggle(e)) {
            break_say(name + (e.enabled ? " off" : " on"));
        } else if (chosen == 4 && break_entry_remove(e)) {
            break_say("Removed: " + name);
        } else if (chosen == 5) {
            orv_break_clear();
            orv_watch_clear();
            break_say("Removed: every breakpoint and watchpoint");
        }
    }
}
