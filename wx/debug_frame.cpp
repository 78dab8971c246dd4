#include "debug_frame.h"

#include "break_tools.h"
#include "events.h"
#include "main_frame.h"
#include "run_control.h"

#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/symbols.h"
#include "core/tms7000.h"

#include <wx/accel.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

const long DebugFrame::ID_PANEL1 = wxNewId();
const long DebugFrame::ID_LISTBOX1 = wxNewId();
const long DebugFrame::ID_LISTBOX2 = wxNewId();
const long DebugFrame::ID_LISTBOX3 = wxNewId();
const long DebugFrame::ID_LISTBOX4 = wxNewId();
std::vector<DebugFrame *> DebugFrame::open_;

namespace {

enum {
    ID_DBG_RESET = 6009,
    ID_DBG_STEP = 6010,
    ID_DBG_STEP_OVER = 6011,
    ID_DBG_BREAKPOINT = 6012,
    ID_DBG_BREAKPOINT_NO_CONFIRM = 6013,
    ID_DBG_CLEAR_LOG = 6014,
    ID_DBG_INFO_ADDRESS = 6015,
    ID_DBG_ADDRESS = 6016,
    ID_DBG_CONTINUE = 6017,
};

constexpr const char *ABOUT_TEXT =
    "wxOrvane debugger\n\n"
    "F7: step one instruction\n"
    "F8: step over a call\n"
    "Go to breakpoint (or Return in the Address field): run to the address\n"
    "F9: continue running\n"
    "Esc: close the debugger (the machine runs on)\n\n"
    "With the focus on the views:\n"
    "b: run to the address without asking\n"
    "p: which instruction last wrote the address\n"
    "r: reset the machine\n"
    "c: clear the log\n\n"
    "Break menu:\n"
    "Ctrl+B, Ctrl+W: add a breakpoint, a watchpoint\n"
    "Ctrl+K: the breakpoint list\n"
    "Shift+F8: step out of the subroutine\n"
    "Shift+F7: step back one instruction\n"
    "Ctrl+Shift+F7: step back N instructions\n"
    "Shift+F9: back to the previous hit\n"
    "Ctrl+T, Ctrl+Shift+T: trace to a file, stop tracing\n"
    "Ctrl+L: load symbols\n"
    "Ctrl+D: labelled disassembly\n\n"
    "An address may be typed as a label.\n"
    "A step, a step over, a run to an address, a breakpoint or a watchpoint\n"
    "stops the machine there.";

wxTextCtrl *view(wxPanel *panel, long id, const char *name, int x, int y, int w, int h, const wxFont &font)
{
    auto *text = new wxTextCtrl(panel, static_cast<wxWindowID>(id), "", wxPoint(x, y), wxSize(w, h),
                                wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL, wxDefaultValidator, name);
    text->SetFont(font);
    return text;
}

} // namespace

wxBEGIN_EVENT_TABLE(DebugFrame, wxFrame)
    EVT_MENU(ID_DBG_RESET, DebugFrame::OnReset)
    EVT_MENU(ID_DBG_STEP, DebugFrame::OnStep)
    EVT_MENU(ID_DBG_STEP_OVER, DebugFrame::OnStepOver)
    EVT_MENU(ID_DBG_BREAKPOINT, DebugFrame::OnBreakpoint)
    EVT_MENU(ID_DBG_BREAKPOINT_NO_CONFIRM, DebugFrame::OnBreakpointNoConfirm)
    EVT_MENU(ID_DBG_CLEAR_LOG, DebugFrame::OnClearLog)
    EVT_MENU(ID_DBG_INFO_ADDRESS, DebugFrame::OnInfoAdress)
    EVT_MENU(ID_DBG_CONTINUE, DebugFrame::OnContinue)
    EVT_MENU(wxID_EXIT, DebugFrame::OnQuit)
    EVT_MENU(wxID_ABOUT, DebugFrame::OnAbout)
    EVT_TEXT(ID_DBG_ADDRESS, DebugFrame::OnAddressText)
    EVT_TEXT_ENTER(ID_DBG_ADDRESS, DebugFrame::OnBreakpoint)
    EVT_CHAR_HOOK(DebugFrame::OnCharHook)
    EVT_CLOSE(DebugFrame::OnClose)
wxEND_EVENT_TABLE()

DebugFrame::DebugFrame(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
    : wxFrame(parent, id, "", pos, size)
{
    // Keys typed here stay here: none reach the main window's keyboard.
    SetExtraStyle(GetExtraStyle() | wxWS_EX_BLOCK_EVENTS);

    auto *commands = new wxMenu;
    commands->Append(ID_DBG_RESET, "&RESET");
    commands->Append(ID_DBG_STEP, "&Step\tF7");
    commands->Append(ID_DBG_STEP_OVER, "Step &Over\tF8");
    commands->Append(ID_DBG_BREAKPOINT, "&Go to breakpoint");
    commands->Append(ID_DBG_CONTINUE, "&Continue\tF9");
    commands->Append(wxID_EXIT, "&Quit debugger\tESC");
    auto *help = new wxMenu;
    help->Append(wxID_ABOUT, "&About...\tF1");
    auto *bar = new wxMenuBar;
    bar->Append(commands, "&Commands");
    bar->Append(help, "&Help");
    SetMenuBar(bar);

    Panel1 = new wxPanel(this, static_cast<wxWindowID>(ID_PANEL1), wxPoint(0, 0), wxSize(420, 444),
                         wxTAB_TRAVERSAL, "ID_PANEL1");
    wxFont font(8, wxFONTFAMILY_TELETYPE, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    ListBox1 = view(Panel1, ID_LISTBOX1, "ID_LISTBOX1", 0, 8, 246, 160, font);
    ListBox2 = view(Panel1, ID_LISTBOX2, "ID_LISTBOX2", 250, 8, 160, 296, font);
    ListBox3 = view(Panel1, ID_LISTBOX3, "ID_LISTBOX3", 250, 312, 160, 128, font);
    ListBox4 = view(Panel1, ID_LISTBOX4, "ID_LISTBOX4", 0, 176, 246, 263, font);

    // The single-letter keys belong to the views' panel. The address field
    // sits outside it, on the window itself, so that typing b or c there
    // enters hexadecimal digits instead of running commands.
    wxAcceleratorEntry keys[] = {
        {wxACCEL_NORMAL, 0x62, ID_DBG_BREAKPOINT_NO_CONFIRM},
        {wxACCEL_NORMAL, 0x72, ID_DBG_RESET},
        {wxACCEL_NORMAL, 0x63, ID_DBG_CLEAR_LOG},
        {wxACCEL_NORMAL, 0x70, ID_DBG_INFO_ADDRESS},
    };
    Panel1->SetAcceleratorTable(wxAcceleratorTable(4, keys));
    new wxStaticText(this, wxID_ANY, "Address:", wxPoint(4, 452));
    address_ = new wxTextCtrl(this, ID_DBG_ADDRESS, "", wxPoint(70, 446), wxSize(100, -1), wxTE_PROCESS_ENTER);
    address_->SetFont(font);
    address_->SetMaxLength(sizeof breakpoint_str - 1);
    tools_ = std::make_unique<BreakTools>(this, font);

    breakpoint_str[0] = '\0';
    if (periph_box)
        periph_box[0] = '\0';
    disass_debugger();
    regs_debugger();
    periph_debugger();
    DoRedraw();
    ListBox1->SetFocus();
    open_.push_back(this);
}

DebugFrame::~DebugFrame()
{
    // Also when the main window takes its children with it.
    open_.erase(std::remove(open_.begin(), open_.end(), this), open_.end());
}

void DebugFrame::redraw_all()
{
    if (open_.empty())
        return;
    BreakTools::show_news(dynamic_cast<MyFrame *>(open_.front()->GetParent()));
    refresh_debugger();
    for (DebugFrame *frame : open_)
        frame->DoRedraw();
}

void DebugFrame::finish()
{
    redraw_all();
    if (auto *main = dynamic_cast<MyFrame *>(GetParent()))
        main->show_run_status();
}

void DebugFrame::DoRedraw()
{
    ListBox1->ChangeValue(wxString::FromUTF8(BreakTools::disassembly(disass_box)));
    ListBox2->ChangeValue(wxString::FromUTF8(registers_box));
    ListBox3->ChangeValue(periph_box ? wxString::FromUTF8(periph_box) : wxString());
    ListBox4->ChangeValue(log_box ? wxString::FromUTF8(log_box) : wxString());
    tools_->refresh();
    event_log("debugger pc=%04X", static_cast<unsigned>(get_pc()));
}

bool DebugFrame::read_address(unsigned long &address)
{
    std::string why = orv_read_address_field(breakpoint_str, 0xFFFF, address);
    if (why.empty())
        return true;
    event_log("address refused: %s", why.c_str());
    wxMessageBox(wxString::FromUTF8(why), "", wxOK, this);
    address_->SetFocus();
    return false;
}

void DebugFrame::OnCharHook(wxKeyEvent &event)
{
    // GTK's text views take F7 for themselves (caret browsing) before the
    // menu's accelerator sees it: Step must work wherever the focus is.
    if (event.GetKeyCode() == WXK_F7 && event.GetModifiers() == wxMOD_NONE) {
        wxCommandEvent command(wxEVT_MENU, ID_DBG_STEP);
        OnStep(command);
        return;
    }
    event.Skip();
}

void DebugFrame::OnClose(wxCloseEvent &event)
{
    open_.erase(std::remove(open_.begin(), open_.end(), this), open_.end());
    event_log("debugger closed");
    // With no debugger left to continue from, the machine runs again.
    if (open_.empty()) {
        run_continue();
        if (auto *main = dynamic_cast<MyFrame *>(GetParent()))
            main->show_run_status();
    }
    event.Skip();
}

void DebugFrame::OnAddressText(wxCommandEvent &)
{
    std::string text(address_->GetValue().utf8_str());
    std::strncpy(breakpoint_str, text.c_str(), sizeof breakpoint_str - 1);
    breakpoint_str[sizeof breakpoint_str - 1] = '\0';
}

void DebugFrame::OnReset(wxCommandEvent &)
{
    orv_reset();
    event_log("debugger reset");
    finish();
}

void DebugFrame::OnStep(wxCommandEvent &)
{
    // Stopped first: nothing runs while a message box of the command is open.
    run_stop();
    step();
    finish();
}

void DebugFrame::OnStepOver(wxCommandEvent &)
{
    run_stop();
    stepover();
    finish();
}

void DebugFrame::go(bool confirm)
{
    unsigned long address;
    if (!read_address(address)) {
        finish();
        return;
    }
    if (confirm) {
        char question[64];
        std::snprintf(question, sizeof question, "Go to %06lx ?", address);
        if (orv_host.ask && !orv_host.ask(question)) {
            finish();
            return;
        }
    }
    // The debugger's run ends at the address or at the end of the frame;
    // in the second case the frames go on until the machine gets there.
    run_stop();
    const unsigned long stops = orv_debug_last_stop().serial;
    tobreaknoconfirm();
    // A breakpoint or watchpoint on the way ends the run there.
    if (get_pc() != address && orv_debug_last_stop().serial == stops)
        run_to(static_cast<unsigned short>(address));
    finish();
}

void DebugFrame::OnBreakpoint(wxCommandEvent &)
{
    go(true);
}

void DebugFrame::OnBreakpointNoConfirm(wxCommandEvent &)
{
    go(false);
}

void DebugFrame::OnInfoAdress(wxCommandEvent &)
{
    unsigned long address;
    if (read_address(address))
        info_address_mmu();
    finish();
}

void DebugFrame::OnClearLog(wxCommandEvent &)
{
    clear_log();
    finish();
}

void DebugFrame::OnContinue(wxCommandEvent &)
{
    run_continue();
    finish();
}

void DebugFrame::OnQuit(wxCommandEvent &)
{
    Close();
}

void DebugFrame::OnAbout(wxCommandEvent &)
{
    event_log("debugger about");
    wxMessageBox(ABOUT_TEXT, "About the debugger", wxOK | wxICON_INFORMATION, this);
}
