// The debugger window's breakpoint list: every breakpoint and watchpoint of
// the engine with its enable box, where it is, its condition or access and
// its hits, above the buttons that add and remove them, and the reason of
// the engine's last stop. It shows the engine as it is whenever the window
// redraws; a change made here is made in the engine, and every debugger
// window then shows it.
#pragma once

#include "debug_show.h"

#include <wx/panel.h>

#include <functional>
#include <vector>

class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

class BreakPanel : public wxPanel {
public:
    static constexpr int WIDTH = 340;
    // `changed` runs after every change made here (the debugger refreshes).
    BreakPanel(wxWindow *parent, const wxPoint &pos, int height, std::function<void()> changed);

    // Shows the engine's breakpoints and watchpoints as they are now.
    void refresh();
    void show_reason(const wxString &text);
    // The selected row, or null.
    const break_row *selected() const;
    // Removes the selected row from the engine, or switches it on or off;
    // false when none is selected.
    bool remove_selected();
    bool toggle_selected();

private:
    void on_checked(wxListEvent &event, bool on);

    std::function<void()> changed_;
    std::vector<break_row> rows_;
    wxListCtrl *list_ = nullptr;
    wxTextCtrl *reason_ = nullptr;
    bool filling_ = false;
};
