#include "main_frame.h"

#include "debug_frame.h"
#include "events.h"
#include "pane.h"
#include "render_timer.h"
#include "screen.h"
#include "sound_ring.h"
#include "states.h"
#include "tape.h"

#include "core/loop.h"
#include "core/memory.h"
#include "firmware/builtin.h"
#include "core/tms3556.h"
#include "tools/png/picture_png.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char *VERSION = "0.1";
constexpr int ID_STATUS_TIMER = 6100;

// Status bar fields: menu help, frame rate, sound, tape time, tape gauge.
enum { FIELD_HELP, FIELD_RATE, FIELD_SOUND, FIELD_TAPE, FIELD_GAUGE, FIELD_COUNT };

void show_message(const wxString &text, wxWindow *parent)
{
    wxMessageBox(text, "wxOrvane", wxOK | wxICON_INFORMATION, parent);
}

wxString minutes(double seconds)
{
    int s = static_cast<int>(seconds);
    return wxString::Format("%d:%02d", s / 60, s % 60);
}

} // namespace

wxBEGIN_EVENT_TABLE(MyFrame, wxFrame)
    EVT_MENU(ID_LOAD_ROM, MyFrame::OnLoadROM)
    EVT_MENU(ID_LOAD_K7, MyFrame::OnLoadK7)
    EVT_MENU(ID_CALL_DEBUG, MyFrame::OnCallDebug)
    EVT_MENU(ID_RESET, MyFrame::OnReset)
    EVT_MENU(ID_SCREENSHOT, MyFrame::OnScreenshot)
    EVT_MENU(ID_SAVE_STATE, MyFrame::OnSaveState)
    EVT_MENU(ID_LOAD_STATE, MyFrame::OnLoadState)
    EVT_MENU(ID_NEXT_SLOT, MyFrame::OnNextSlot)
    EVT_MENU(wxID_EXIT, MyFrame::OnQuit)
    EVT_MENU(wxID_ABOUT, MyFrame::OnAbout)
    EVT_CLOSE(MyFrame::onClose)
    EVT_TIMER(ID_STATUS_TIMER, MyFrame::update_status)
wxEND_EVENT_TABLE()

MyFrame::MyFrame(const std::string &bios, bool bios_named, const std::string &sound_note)
    : wxFrame(nullptr, wxID_ANY, "wxOrvane", wxPoint(50, 50), wxSize(640, 550)),
      status_timer_(this, ID_STATUS_TIMER)
{
    auto *file = new wxMenu;
    file->Append(ID_LOAD_ROM, "&Load ROM", "Load a ROM");
    file->Append(ID_LOAD_K7, "&Load K7 (wav)", "Load a K7(wav)");
    file->Append(ID_CALL_DEBUG, "Call &Debugger", "Call the debugger");
    file->Append(ID_RESET, "&Reset", "Reset");
    file->Append(ID_SCREENSHOT, "&Screenshot\tF12", "Save the screen as orvane-NNN.png");
    file->AppendSeparator();
    file->Append(ID_SAVE_STATE, "Sa&ve state\tF5", "Save the machine's state to the current slot");
    file->Append(ID_LOAD_STATE, "Load s&tate\tF7", "Load the machine's state from the current slot");
    file->Append(ID_NEXT_SLOT, "&Next state slot\tF6", "Pick the next of the nine state slots");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "E&xit\tAlt-X", "Quit this program");
    auto *help = new wxMenu;
    help->Append(wxID_ABOUT, "&About...\tF1", "Show about dialog");
    auto *bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(help, "&Help");
    SetMenuBar(bar);

    CreateStatusBar(FIELD_COUNT);
    const int widths[FIELD_COUNT] = {-1, 100, 80, 120, 90};
    SetStatusWidths(FIELD_COUNT, widths);
    SetStatusText(sound_note.empty() ? "Sound on" : "No sound", FIELD_SOUND);
    tape_gauge_ = new wxGauge(GetStatusBar(), wxID_ANY, 1000);
    tape_gauge_->Hide();
    GetStatusBar()->Bind(wxEVT_SIZE, &MyFrame::place_gauge, this);

    bool builtin = false;
    const char *message = orv_load_firmware(bios.c_str(), bios_named, &builtin);
    if (builtin)
        SetTitle(wxString("wxOrvane (") + orv_builtin_notice + ")");
    if (message) {
        wxMessageBox(wxString::Format("Fatal error at init\n%s\n", message), "wxOrvane",
                     wxOK | wxICON_INFORMATION, this);
        std::exit(0);
    }
    orv_cold_start();
    screen_create();

    panel_ = new BasicDrawPane(this);
    panel_->SetSize(SCREEN_WIDTH, SCREEN_HEIGHT);
    // Room for the whole picture between the menu bar and the status bar.
    wxSize client = GetClientSize();
    if (client.GetWidth() < SCREEN_WIDTH || client.GetHeight() < SCREEN_HEIGHT)
        SetClientSize(SCREEN_WIDTH, SCREEN_HEIGHT);
    panel_->SetFocus();
    debug_ = nullptr;

    timer_ = new RenderTimer(panel_);
    timer_->start();
    status_timer_.Start(500);
}

MyFrame::~MyFrame()
{
    delete timer_;
}

bool MyFrame::load_rom(const wxString &path)
{
    bool ok = RomLoad(path.utf8_str()) == nullptr;
    // A rejected image leaves the cartridge area empty.
    states_set_cartridge(ok ? std::string(path.utf8_str()) : "");
    if (!ok)
        show_message(wxString::Format("%s is not a valid ROM", path), this);
    orv_reset();
    event_log("rom %s %s", static_cast<const char *>(path.utf8_str()), ok ? "loaded" : "rejected");
    return ok;
}

bool MyFrame::load_tape(const wxString &path)
{
    std::string warning;
    std::string error = tape_load(std::string(path.utf8_str()), warning);
    if (!error.empty())
        show_message(wxString::FromUTF8(error), this);
    else if (!warning.empty())
        SetStatusText(wxString::FromUTF8(warning), FIELD_HELP);
    event_log("tape %s %s", static_cast<const char *>(path.utf8_str()), error.empty() ? "loaded" : "rejected");
    return error.empty();
}

void MyFrame::OnLoadROM(wxCommandEvent &)
{
    wxFileDialog dialog(this, "Load ROM", "", "", "ROM files (*.bin;*.rom)|*.bin;*.rom",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dialog.Centre();
    if (dialog.ShowModal() == wxID_OK)
        load_rom(dialog.GetPath());
}

void MyFrame::OnLoadK7(wxCommandEvent &)
{
    wxFileDialog dialog(this, "Load K7 (wav)", "", "", "WAV files (*.wav)|*.wav|All files|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dialog.Centre();
    if (dialog.ShowModal() == wxID_OK)
        load_tape(dialog.GetPath());
}

void MyFrame::OnReset(wxCommandEvent &)
{
    orv_reset();
    event_log("reset");
}

void MyFrame::OnCallDebug(wxCommandEvent &)
{
    debug_ = new DebugFrame(this, wxID_ANY, wxDefaultPosition, wxSize(420, 520));
    debug_->Show();
    event_log("debugger open");
}

void MyFrame::OnScreenshot(wxCommandEvent &)
{
    // The next name not taken in the current directory.
    for (int n = 0; n < 1000; n++) {
        wxString name = wxString::Format("orvane-%03d.png", n);
        if (wxFileName::Exists(name))
            continue;
        std::string error = orv_write_new_png(std::string(name.utf8_str()), tms3556_screen, 2);
        if (error.empty()) {
            SetStatusText("Saved " + name, FIELD_HELP);
            event_log("screenshot %s", static_cast<const char *>(name.utf8_str()));
        } else {
            show_message(wxString::FromUTF8(error), this);
        }
        return;
    }
    show_message("orvane-000.png to orvane-999.png all exist", this);
}

void MyFrame::show_status(const std::string &text)
{
    SetStatusText(wxString::FromUTF8(text), FIELD_HELP);
}

void MyFrame::OnSaveState(wxCommandEvent &)
{
    show_status(states_save());
}

void MyFrame::OnLoadState(wxCommandEvent &)
{
    bool loaded = false;
    show_status(states_load(loaded));
    if (loaded) {
        // The state holds its picture: show it now, not at the next frame.
        screen_frame_ready();
        panel_->Refresh(true);
    }
}

void MyFrame::OnNextSlot(wxCommandEvent &)
{
    show_status(states_next_slot());
}

void MyFrame::OnQuit(wxCommandEvent &)
{
    Close(true);
}

void MyFrame::OnAbout(wxCommandEvent &)
{
    wxMessageBox(wxString::Format("wxOrvane %s\n%s", VERSION, wxGetOsDescription()), "About wxOrvane",
                 wxOK | wxICON_INFORMATION, this);
}

void MyFrame::onClose(wxCloseEvent &event)
{
    timer_->Stop();
    status_timer_.Stop();
    event.Skip();
}

void MyFrame::update_status(wxTimerEvent &)
{
    SetStatusText(wxString::Format("%.1f/50 fps", timer_->frame_rate()), FIELD_RATE);
    double position, length;
    if (tape_position(position, length)) {
        SetStatusText("Tape " + minutes(position) + "/" + minutes(length), FIELD_TAPE);
        tape_gauge_->SetValue(length > 0 ? static_cast<int>(1000 * position / length) : 0);
        tape_gauge_->Show();
    } else {
        SetStatusText("", FIELD_TAPE);
        tape_gauge_->Hide();
    }
}

void MyFrame::place_gauge(wxSizeEvent &event)
{
    wxRect rect;
    if (GetStatusBar()->GetFieldRect(FIELD_GAUGE, rect))
        tape_gauge_->SetSize(rect.Deflate(2));
    event.Skip();
}
