// The debugger window: four read-only views (disassembly, registers,
// peripheral, log) over the shared debugger, its commands on menus and keys,
// and a field for the address that "Go to breakpoint" and the write-watch
// query use. The machine keeps running beside it; each command runs to its
// end inside its handler.
#pragma once

#include <wx/frame.h>

class wxPanel;
class wxTextCtrl;

class DebugFrame : public wxFrame {
public:
    DebugFrame(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size);

    static const long ID_PANEL1;
    static const long ID_LISTBOX1;
    static const long ID_LISTBOX2;
    static const long ID_LISTBOX3;
    static const long ID_LISTBOX4;

    void DoRedraw();

    void OnReset(wxCommandEvent &event);
    void OnStep(wxCommandEvent &event);
    void OnStepOver(wxCommandEvent &event);
    void OnBreakpoint(wxCommandEvent &event);
    void OnBreakpointNoConfirm(wxCommandEvent &event);
    void OnInfoAdress(wxCommandEvent &event);
    void OnClearLog(wxCommandEvent &event);
    void OnQuit(wxCommandEvent &event);
    void OnAbout(wxCommandEvent &event);

private:
    void OnAddressText(wxCommandEvent &event);
    void OnCharHook(wxKeyEvent &event);
    // False (and the user told) when the address field holds no hexadecimal digit.
    bool have_address();

    wxPanel *Panel1 = nullptr;
    wxTextCtrl *ListBox1 = nullptr;
    wxTextCtrl *ListBox2 = nullptr;
    wxTextCtrl *ListBox3 = nullptr;
    wxTextCtrl *ListBox4 = nullptr;
    wxTextCtrl *address_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
