#include "main_frame.h"

#include "debug_frame.h"
#include "events.h"
#include "keys.h"
#include "pane.h"
#include "render_timer.h"
#include "run_control.h"
#include "screen.h"
#include "screenshot.h"
#include "sound_ring.h"
#include "startup.h"
#include "states.h"
#include "status_layout.h"
#include "tape.h"

#include "core/loop.h"
#include "core/memory.h"
#include "core/rom_files.h"
#include "core/tms3556.h"
#include "firmware/builtin.h"

#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/time.h>
#include <wx/utils.h>

#include <algorithm>
#include <array>

namespace {

constexpr const char *VERSION = "0.1";
constexpr int ID_STATUS_TIMER = 6100;
constexpr int ID_NOTICE_TIMER = 6101;

void show_message(const wxString &text, wxWindow *parent)
{
    wxMessageBox(text, "wxOrvane", wxOK | wxICON_INFORMATION, parent);
}

wxString minutes(double seconds)
{
    int s = static_cast<int>(seconds);
    return wxString::Format("%d:%02d", s / 60, s % 60);
}

// The modifiers of an accelerator as the menu key set counts them.
int menu_key_modifiers(int flags)
{
    return (flags & wxACCEL_ALT ? MENU_KEY_ALT : 0) | (flags & wxACCEL_CTRL ? MENU_KEY_CTRL : 0) |
           (flags & wxACCEL_SHIFT ? MENU_KEY_SHIFT : 0);
}

// Every key of the menu bar: the titles' letters and the entries' accelerators.
void collect_menu_keys(wxMenuBar *bar, menu_key_set &keys)
{
    for (size_t i = 0; i < bar->GetMenuCount(); i++) {
        keys.add_title(std::string(bar->GetMenuLabel(i).utf8_str()));
        for (wxMenuItem *item : bar->GetMenu(i)->GetMenuItems()) {
            wxAcceleratorEntry *accel = item->GetAccel();
            if (accel)
                keys.add_accelerator(menu_key_modifiers(accel->GetFlags()), accel->GetKeyCode());
            delete accel;
        }
    }
    // GTK opens the menu bar with F10.
    keys.add_accelerator(0, WXK_F10);
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
    EVT_MENU_OPEN(MyFrame::on_menu_open)
    EVT_TIMER(ID_STATUS_TIMER, MyFrame::update_status)
    EVT_TIMER(ID_NOTICE_TIMER, MyFrame::show_notices)
wxEND_EVENT_TABLE()

MyFrame::MyFrame(const std::string &bios, bool bios_named, const std::string &sound_note)
    : wxFrame(nullptr, wxID_ANY, "wxOrvane", wxPoint(50, 50), wxSize(640, 550)),
      status_timer_(this, ID_STATUS_TIMER), notice_timer_(this, ID_NOTICE_TIMER)
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
    collect_menu_keys(bar, menu_keys_);

    CreateStatusBar(FIELD_COUNT);
    tape_gauge_ = new wxGauge(GetStatusBar(), wxID_ANY, 1000);
    tape_gauge_->Hide();
    lay_out_status();
    GetStatusBar()->Bind(wxEVT_SIZE, &MyFrame::place_gauge, this);
    set_field(sound_note.empty() ? "Sound on" : "No sound", FIELD_SOUND);

    bool builtin = false;
    const char *message = orv_load_firmware(bios.c_str(), bios_named, &builtin);
    if (builtin)
        SetTitle(wxString("wxOrvane (") + orv_builtin_notice + ")");
    if (message) {
        std::string text = firmware_failure_text(bios, message);
        event_log("fatal %s", text.c_str());
        wxMessageBox(wxString::Format("Fatal error at init\n%s\n", wxString::FromUTF8(text)), "wxOrvane",
                     wxOK | wxICON_INFORMATION, this);
        init_failed_ = true;
        return;
    }
    if (!builtin)
        firmware_warnings_ = orv_firmware_warnings(bios.c_str());
    orv_cold_start();
    screen_create();

    panel_ = new BasicDrawPane(this);
    panel_->SetSize(SCREEN_WIDTH, SCREEN_HEIGHT);
    // Room for the whole picture between the menu bar and the status bar.
    wxSize client = GetClientSize();
    if (client.GetWidth() < SCREEN_WIDTH || client.GetHeight() < SCREEN_HEIGHT)
        SetClientSize(SCREEN_WIDTH, SCREEN_HEIGHT);
    panel_->set_menu_keys(&menu_keys_);
    panel_->SetFocus();
    debug_ = nullptr;

    timer_ = new RenderTimer(panel_);
    timer_->start();
    status_timer_.Start(500);
}

MyFrame::~MyFrame()
{
    if (timer_)
        timer_->Stop();
    delete timer_;
}

bool MyFrame::load_rom(const wxString &path)
{
    // A rejected image changes nothing: the machine runs on as it was, with
    // the cartridge it had, and no reset.
    bool ok = RomLoad(path.utf8_str()) == nullptr;
    event_log("rom %s %s", static_cast<const char *>(path.utf8_str()), ok ? "loaded" : "rejected");
    if (!ok) {
        show_message(wxString::Format("%s is not a valid ROM", path), this);
        return false;
    }
    states_set_cartridge(std::string(path.utf8_str()));
    orv_reset();
    machine_changed();
    return true;
}

bool MyFrame::load_tape(const wxString &path)
{
    std::string warning;
    std::string error = tape_load(std::string(path.utf8_str()), warning);
    if (!error.empty())
        show_message(wxString::FromUTF8(error), this);
    else if (!warning.empty())
        show_status(warning);
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
    machine_changed();
}

void MyFrame::OnCallDebug(wxCommandEvent &)
{
    debug_ = new DebugFrame(this, wxID_ANY, wxDefaultPosition, wxSize(420, 520));
    debug_->Show();
    event_log("debugger open");
}

void MyFrame::OnScreenshot(wxCommandEvent &)
{
    std::string name;
    std::string error = screenshot_save(tms3556_screen, name);
    if (error.empty()) {
        show_status("Saved " + name);
        event_log("screenshot %s", name.c_str());
    } else {
        event_log("screenshot failed: %s", error.c_str());
        show_message(wxString::FromUTF8(error), this);
    }
}

void MyFrame::show_status(const std::string &text)
{
    message_ = wxString::FromUTF8(text);
    message_wide_until_ = wxGetLocalTimeMillis() + 1000 * MESSAGE_WIDE_SECONDS;
    set_field(message_, FIELD_HELP);
    lay_out_status();
}

void MyFrame::set_field(const wxString &text, int field)
{
    if (GetStatusBar()->GetStatusText(field) == text)
        return;
    SetStatusText(text, field);
    if (field != FIELD_RATE || !text.EndsWith(" fps"))
        event_log("status %d %s", field, static_cast<const char *>(text.utf8_str()));
}

void MyFrame::lay_out_status()
{
    wxStatusBar *bar = GetStatusBar();
    int text_width = message_.empty() ? 0 : bar->GetTextExtent(message_).GetWidth();
    bool widen = !message_.empty() && wxGetLocalTimeMillis() < message_wide_until_;
    std::array<int, FIELD_COUNT> widths = status_widths(bar->GetClientSize().GetWidth(), text_width, tape_shown_, widen);
    int now[FIELD_COUNT];
    for (int field = 0; field < FIELD_COUNT; field++)
        now[field] = bar->GetStatusWidth(field);
    if (std::equal(widths.begin(), widths.end(), now))
        return;
    bar->SetStatusWidths(FIELD_COUNT, widths.data());
    wxRect rect;
    if (bar->GetFieldRect(FIELD_HELP, rect))
        event_log("status width %d for a text of %d", rect.GetWidth(), text_width);
    wxSizeEvent size;
    place_gauge(size);
}

void MyFrame::machine_changed()
{
    DebugFrame::redraw_all();
}

void MyFrame::show_run_status()
{
    std::string text = run_status_text();
    if (!text.empty())
        set_field(wxString::FromUTF8(text), FIELD_RATE);
    else if (timer_)
        set_field(wxString::Format("%.1f/50 fps", timer_->frame_rate()), FIELD_RATE);
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
        machine_changed();
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
    if (timer_)
        timer_->Stop();
    status_timer_.Stop();
    notice_timer_.Stop();
    event.Skip();
}

void MyFrame::show_later(const std::string &log_line, const std::string &text, long icon)
{
    notices_.push_back({log_line, text, icon});
    notice_timer_.StartOnce(1);
}

void MyFrame::show_notices(wxTimerEvent &)
{
    // One at a time: a box's own event loop may bring this handler back.
    while (!notices_.empty()) {
        notice n = notices_.front();
        notices_.erase(notices_.begin());
        event_log("%s", n.log_line.c_str());
        wxMessageBox(wxString::FromUTF8(n.text), "wxOrvane", wxOK | n.icon, this);
    }
}

void MyFrame::on_menu_open(wxMenuEvent &event)
{
    // The menu takes the keyboard: the key held for Alt+F comes up there.
    orv_keys_lost();
    event.Skip();
}

void MyFrame::update_status(wxTimerEvent &)
{
    show_run_status();
    double position, length;
    tape_shown_ = tape_position(position, length);
    if (tape_shown_) {
        set_field("Tape " + minutes(position) + "/" + minutes(length), FIELD_TAPE);
        tape_gauge_->SetValue(length > 0 ? static_cast<int>(1000 * position / length) : 0);
    } else {
        set_field("", FIELD_TAPE);
    }
    lay_out_status();
}

void MyFrame::place_gauge(wxSizeEvent &event)
{
    wxRect rect;
    bool shown = tape_shown_ && GetStatusBar()->GetFieldRect(FIELD_GAUGE, rect) && rect.GetWidth() > 4;
    if (shown)
        tape_gauge_->SetSize(rect.Deflate(2));
    tape_gauge_->Show(shown);
    event.Skip();
}
