// The debugger window: four read-only views (disassembly, registers,
// peripheral, log) over the shared debugger, its commands on menus and keys,
// and a field for the address that "Go to breakpoint" and the write-watch
// query use. The machine keeps running beside it until a step, a step over
// or a run to an address stops it there (the main window's status bar then
// says "Stopped"); Continue (F9) lets it run again, and so does closing the
// last debugger window. Each command runs to its end inside its handler and
// leaves every open debugger window showing the machine as it is. The Break
// menu, the breakpoint list and the stop line are break_tools.h's.
#pragma once

#include <wx/frame.h>

#include <memory>
#include <vector>

class BreakTools;
class wxPanel;
class wxTextCtrl;

class DebugFrame : public wxFrame {
public:
    DebugFrame(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size);
    ~DebugFrame() override;

    static const long ID_PANEL1;
    static const long ID_LISTBOX1;
    static const long ID_LISTBOX2;
    static const long ID_LISTBOX3;
    static const long ID_LISTBOX4;

    void DoRedraw();
    // Rebuilds the views and shows them in every open debugger window.
    static void redraw_all();
    static const std::vector<DebugFrame *> &open_windows() { return open_; }
    // The engine's menu, breakpoint list and stop line (break_tools.h).
    BreakTools *tools() { return tools_.get(); }
    // After a command: the views everywhere and the main window's status.
    void finish();

    void OnReset(wxCommandEvent &event);
    void OnStep(wxCommandEvent &event);
    void OnStepOver(wxCommandEvent &event);
    void OnBreakpoint(wxCommandEvent &event);
    void OnBreakpointNoConfirm(wxCommandEvent &event);
    void OnInfoAdress(wxCommandEvent &event);
    void OnClearLog(wxCommandEvent &event);
    void OnContinue(wxCommandEvent &event);
    void OnQuit(wxCommandEvent &event);
    void OnAbout(wxCommandEvent &event);

private:
    void OnAddressText(wxCommandEvent &event);
    void OnCharHook(wxKeyEvent &event);
    void OnClose(wxCloseEvent &event);
    // The address in the field, or false (and the user told why) when it
    // holds none or one above FFFF.
    bool read_address(unsigned long &address);
    // Runs to the typed address, after asking when `confirm`.
    void go(bool confirm);

    static std::vector<DebugFrame *> open_;

    wxPanel *Panel1 = nullptr;
    wxTextCtrl *ListBox1 = nullptr;
    wxTextCtrl *ListBox2 = nullptr;
    wxTextCtrl *ListBox3 = nullptr;
    wxTextCtrl *ListBox4 = nullptr;
    wxTextCtrl *address_ = nullptr;
    std::unique_ptr<BreakTools> tools_;

    wxDECLARE_EVENT_TABLE();
};
