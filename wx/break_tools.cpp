#include "break_tools.h"

#include "break_dialogs.h"
#include "break_panel.h"
#include "debug_frame.h"
#include "debug_show.h"
#include "events.h"
#include "main_frame.h"
#include "run_control.h"

#include "core/dasm_listing.h"
#include "core/debug_engine.h"
#include "core/symbols.h"
#include "core/tms7000.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/numdlg.h>
#include <wx/stattext.h>
#include <wx/timer.h>

namespace {

enum {
    ID_BRK_ADD = 6100,
    ID_BRK_WATCH,
    ID_BRK_REMOVE,
    ID_BRK_TOGGLE,
    ID_BRK_CLEAR,
    ID_BRK_LIST,
    ID_BRK_STEP_OUT,
    ID_BRK_BACK,
    ID_BRK_BACK_N,
    ID_BRK_BACK_HIT,
    ID_BRK_TRACE,
    ID_BRK_TRACE_STOP,
    ID_BRK_SYMBOLS,
    ID_BRK_LABELS,
};

// Options shared by every debugger window, kept while the program runs.
bool labelled_view = false;
bool list_shown = false;
// The last message, shown by windows opened later too.
std::string last_message;

// Created with the first debugger window: no breakpoint can exist before it.
stop_news &engine_news()
{
    static stop_news news;
    return news;
}

MyFrame *main_of(DebugFrame *frame)
{
    return dynamic_cast<MyFrame *>(frame->GetParent());
}

// Polls the traces that end by themselves (after their frames) while one
// is written, so that the user hears of it without a command.
class TraceTimer : public wxTimer {
public:
    explicit TraceTimer(DebugFrame *frame) : frame_(frame) {}
    void Notify() override
    {
        BreakTools::show_news(main_of(frame_));
        if (!orv_trace_file_active(ORV_TRACE_LOG) && !orv_trace_file_active(ORV_TRACE_INSTRUCTIONS))
            Stop();
    }

private:
    DebugFrame *frame_;
};

} // namespace

BreakTools::BreakTools(DebugFrame *frame, const wxFont &font) : frame_(frame)
{
    engine_news();
    // Step back reaches back to the first debugger window (at most
    // ORV_HISTORY_SECONDS): the history is kept from then on.
    if (!orv_history_enabled()) {
        orv_history_enable(true);
        event_log("debugger history on");
    }
    build_menu();
    line_ = new wxStaticText(frame_, wxID_ANY, "", wxPoint(176, 452), wxSize(240, -1),
                             wxST_ELLIPSIZE_END | wxST_NO_AUTORESIZE, "BreakLine");
    line_->SetFont(font);
    panel_ = new BreakPanel(frame_, wxPoint(424, 0), 480, [this] { frame_->finish(); });
    trace_timer_ = new TraceTimer(frame_);
    // The window opens at the size its creator gave, the list hidden,
    // unless the user showed it in a window before.
    panel_->Hide();
    show_list(list_shown);
}

BreakTools::~BreakTools()
{
    delete trace_timer_;
}

void BreakTools::build_menu()
{
    menu_ = new wxMenu;
    menu_->Append(ID_BRK_ADD, "Add &breakpoint...\tCtrl+B");
    menu_->Append(ID_BRK_WATCH, "Add &watchpoint...\tCtrl+W");
    menu_->Append(ID_BRK_REMOVE, "&Remove the selected one");
    menu_->Append(ID_BRK_TOGGLE, "&Enable or disable the selected one");
    menu_->Append(ID_BRK_CLEAR, "Remove &all");
    menu_->AppendCheckItem(ID_BRK_LIST, "Breakpoint &list\tCtrl+K");
    menu_->AppendSeparator();
    menu_->Append(ID_BRK_STEP_OUT, "Step o&ut\tShift+F8");
    menu_->Append(ID_BRK_BACK, "Step &back\tShift+F7");
    menu_->Append(ID_BRK_BACK_N, "Step back &N instructions...\tCtrl+Shift+F7");
    menu_->Append(ID_BRK_BACK_HIT, "Back to the previous &hit\tShift+F9");
    menu_->AppendSeparator();
    menu_->Append(ID_BRK_TRACE, "&Trace to file...\tCtrl+T");
    menu_->Append(ID_BRK_TRACE_STOP, "&Stop traces\tCtrl+Shift+T");
    menu_->AppendSeparator();
    menu_->Append(ID_BRK_SYMBOLS, "Load s&ymbols...\tCtrl+L");
    menu_->AppendCheckItem(ID_BRK_LABELS, "Labelled &disassembly\tCtrl+D");
    menu_->Check(ID_BRK_LABELS, labelled_view);
    // Next to the specified menus, before Help.
    wxMenuBar *bar = frame_->GetMenuBar();
    bar->Insert(bar->GetMenuCount() - 1, menu_, "&Break");

    auto on = [this](int id, auto action) {
        frame_->Bind(wxEVT_MENU, [action](wxCommandEvent &) { action(); }, id);
    };
    on(ID_BRK_ADD, [this] {
        if (!break_add_dialog(frame_).empty())
            list_shown = true;
        after("");
    });
    on(ID_BRK_WATCH, [this] {
        if (!watch_add_dialog(frame_).empty())
            list_shown = true;
        after("");
    });
    on(ID_BRK_REMOVE, [this] {
        list_shown = true;
        after(panel_->remove_selected() ? "" : "Select a breakpoint or watchpoint in the list first");
    });
    on(ID_BRK_TOGGLE, [this] {
        list_shown = true;
        after(panel_->toggle_selected() ? "" : "Select a breakpoint or watchpoint in the list first");
    });
    on(ID_BRK_CLEAR, [this] {
        orv_break_clear();
        orv_watch_clear();
        event_log("debugger cleared breakpoints and watchpoints");
        after("");
    });
    on(ID_BRK_LIST, [this] {
        list_shown = !list_shown;
        after("");
    });
    on(ID_BRK_STEP_OUT, [this] { step_out(); });
    on(ID_BRK_BACK, [this] { step_back(1, false); });
    on(ID_BRK_BACK_N, [this] {
        long n = wxGetNumberFromUser("Instructions to undo:", "", "Step back", 100, 1, ORV_STEP_BACK_MAX, frame_);
        if (n > 0)
            step_back(n, false);
    });
    on(ID_BRK_BACK_HIT, [this] { step_back(0, true); });
    on(ID_BRK_TRACE, [this] {
        std::string done = trace_start_dialog(frame_);
        if (!done.empty())
            trace_timer_->Start(500);
        after(done);
    });
    on(ID_BRK_TRACE_STOP, [this] {
        std::string report = traces_close();
        if (!report.empty())
            report.pop_back();
        after(report.empty() ? "No trace is being written" : report);
    });
    on(ID_BRK_SYMBOLS, [this] { load_symbols(); });
    on(ID_BRK_LABELS, [this] {
        labelled_view = !labelled_view;
        event_log("debugger labelled view %s", labelled_view ? "on" : "off");
        after("");
    });
}

std::string BreakTools::disassembly(const char *plain)
{
    if (!labelled_view)
        return plain;
    return orv_dasm_listing(get_pc(), 20);
}

void BreakTools::show_list(bool on)
{
    menu_->Check(ID_BRK_LIST, on);
    if (panel_->IsShown() == on)
        return;
    // The window widens for the list and narrows back to the width it had.
    wxSize client = frame_->GetClientSize();
    if (on) {
        narrow_width_ = client.x;
        client.x = panel_->GetPosition().x + BreakPanel::WIDTH;
    } else {
        client.x = narrow_width_;
    }
    panel_->Show(on);
    if (client.x > 0)
        frame_->SetClientSize(client);
}

void BreakTools::refresh()
{
    menu_->Check(ID_BRK_LABELS, labelled_view);
    show_list(list_shown);
    panel_->refresh();
    const wxString text = wxString::FromUTF8(last_message);
    if (line_->GetLabel() != text) {
        line_->SetLabel(text);
        line_->SetToolTip(text);
        panel_->show_reason(text);
    }
}

void BreakTools::after(const std::string &message)
{
    if (!message.empty())
        say(main_of(frame_), message);
    frame_->finish();
}

void BreakTools::say(MyFrame *main, const std::string &text)
{
    last_message = text;
    event_log("debugger says: %s", text.c_str());
    if (main)
        main->show_status(text);
    for (DebugFrame *frame : DebugFrame::open_windows())
        frame->tools()->refresh();
}

void BreakTools::show_news(MyFrame *main)
{
    std::string text;
    if (engine_news().take(text)) {
        // Whatever stopped, the machine now stands still where it shows.
        run_stop();
        list_shown = list_shown || text.rfind("Breakpoint", 0) == 0 || text.rfind("Watchpoint", 0) == 0;
        say(main, text);
    }
    std::string traces = trace_news();
    if (!traces.empty()) {
        traces.pop_back();
        say(main, traces);
    }
}

void BreakTools::machine_stopped(MyFrame *main)
{
    // Stopped, the machine waits for a debugger's Continue: there must be one.
    if (DebugFrame::open_windows().empty() && main) {
        wxCommandEvent open;
        main->OnCallDebug(open);
    }
    DebugFrame::redraw_all();
}

void BreakTools::close_traces()
{
    std::string report = traces_close();
    if (!report.empty())
        event_log("debugger traces closed: %s", report.c_str());
}

void BreakTools::step_out()
{
    run_stop();
    orv_debug_result r = orv_step_out();
    event_log("debugger step out %d", static_cast<int>(r));
    after(r == ORV_DEBUG_INTERRUPTED ? "Step out interrupted" : "");
}

void BreakTools::step_back(long n, bool to_hit)
{
    run_stop();
    std::string why = to_hit ? orv_back_to_hit() : orv_step_back(n);
    event_log("debugger step back %s: %s", to_hit ? "to hit" : std::to_string(n).c_str(),
              why.empty() ? "done" : why.c_str());
    // The picture stays the one last drawn: drawing it again here would be
    // a change to the machine that the history has not seen.
    after(why);
}

void BreakTools::load_symbols()
{
    wxFileDialog files(frame_, "Load symbols", "", "", "Symbol files (*.sym)|*.sym;*.SYM|All files|*",
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (files.ShowModal() != wxID_OK)
        return;
    std::string note;
    std::string why = orv_symbols_load_file(ORV_SYMBOLS_USER, std::string(files.GetPath().utf8_str()), note);
    after(symbols_loaded_text(why, note));
}
