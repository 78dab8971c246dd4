// The main window's commands: the dispatcher of the menus and window keys,
// the speed and the sound, and the settings they keep.
#include "main_frame.h"

#include "events.h"
#include "kept_settings.h"
#include "key_list.h"
#include "keys.h"
#include "pane.h"
#include "render_timer.h"
#include "sound_ring.h"
#include "states.h"

#include "core/loop.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {

constexpr int VOLUME_STEP = 10;

fast_forward_speed speed_of(int id)
{
    return id == ID_SPEED_2X ? fast_forward_speed::x2
           : id == ID_SPEED_4X ? fast_forward_speed::x4
                               : fast_forward_speed::unlimited;
}

int id_of(fast_forward_speed s)
{
    switch (s) {
    case fast_forward_speed::x2: return ID_SPEED_2X;
    case fast_forward_speed::x4: return ID_SPEED_4X;
    case fast_forward_speed::unlimited: return ID_SPEED_UNLIMITED;
    }
    return ID_SPEED_4X;
}

} // namespace

void MyFrame::on_command(wxCommandEvent &event)
{
    command(event.GetId());
}

void MyFrame::command(int id)
{
    if (!timer_)
        return;
    settings s = kept();
    pacer &pace = timer_->pace();
    switch (id) {
    case ID_PAUSE: toggle_pause(); break;
    case ID_FAST_FORWARD:
        pace.toggle_fast_forward();
        event_log("fast forward %s", pace.fast_forward() ? "on" : "off");
        break;
    case ID_SPEED_2X:
    case ID_SPEED_4X:
    case ID_SPEED_UNLIMITED:
        s.fast_forward = speed_of(id);
        pace.set_fast_forward_speed(s.fast_forward);
        choose(s);
        break;
    case ID_FAST_LOADING:
        s.fast_loading = !s.fast_loading;
        pace.set_fast_loading(s.fast_loading);
        choose(s);
        break;
    case ID_SCALE_UP: set_scale(s.scale + 1); break;
    case ID_SCALE_DOWN: set_scale(s.scale - 1); break;
    case ID_FULLSCREEN: set_fullscreen(!IsFullScreen()); break;
    case ID_INTEGER_SCALING:
        s.integer_scaling = !s.integer_scaling;
        choose(s);
        panel_->Refresh(true);
        break;
    case ID_VOLUME_UP: set_volume(s.volume + VOLUME_STEP); break;
    case ID_VOLUME_DOWN: set_volume(s.volume - VOLUME_STEP); break;
    case ID_MUTE:
        s.mute = !s.mute;
        sound_shaping().set_mute(s.mute);
        choose(s);
        show_status(s.mute ? "Sound muted" : "Sound on, volume " + std::to_string(s.volume) + "%");
        break;
    case ID_KEYS_POSITIONAL: set_keyboard_mode(keyboard_mode::positional); break;
    case ID_KEYS_CHARACTER: set_keyboard_mode(keyboard_mode::character); break;
    case ID_PASTE: paste(); break;
    case ID_KEY_MAP: choose_key_map(); break;
    case ID_KEY_MAP_NONE:
        s.key_map.clear();
        choose(s);
        use_key_map("", false);
        break;
    case ID_KEY_LIST: show_key_list(); break;
    default:
        if (id >= ID_SCALE_1 && id < ID_SCALE_1 + 4)
            set_scale(id - ID_SCALE_1 + 1);
        else if (id >= ID_TAPE_LOAD && id <= ID_TAPE_EJECT)
            tape_command(id);
        else if (id >= ID_RECENT_CARTRIDGE && id < ID_RECENT_END)
            open_recent(id);
        return;
    }
    sync_menus();
    show_run_status();
}

std::string MyFrame::overlay_text() const
{
    if (!IsFullScreen() || !timer_)
        return "";
    return timer_->pace().status_text();
}

void MyFrame::toggle_pause()
{
    pacer &pace = timer_->pace();
    pace.toggle_pause();
    event_log("%s at frame %lld", pace.paused() ? "paused" : "running", static_cast<long long>(vblnum));
    // The keys held when the machine stopped come up: none is left down.
    if (pace.paused())
        orv_keys_lost();
}

void MyFrame::fast_forward_key(bool down, bool lost)
{
    if (!timer_)
        return;
    bool was = timer_->pace().fast_forward();
    timer_->fast_forward_key(down, lost);
    if (timer_->pace().fast_forward() != was)
        event_log("fast forward %s", timer_->pace().fast_forward() ? "on" : "off");
    if (IsFullScreen())
        panel_->Refresh(true);
    sync_menus();
    show_run_status();
}

void MyFrame::set_volume(int percent)
{
    settings s = kept();
    s.volume = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    sound_shaping().set_volume(s.volume);
    // Changing the volume is meant to be heard.
    s.mute = false;
    sound_shaping().set_mute(false);
    choose(s);
    show_status("Volume " + std::to_string(s.volume) + "%");
}

void MyFrame::choose(const settings &s)
{
    std::string error = kept_choose(s);
    if (!error.empty())
        show_status("Settings not saved: " + error);
}

void MyFrame::remember(const settings &s)
{
    std::string error = kept_remember(s);
    if (!error.empty())
        show_status("Settings not saved: " + error);
}

void MyFrame::apply_settings()
{
    const settings &s = kept();
    pacer &pace = timer_->pace();
    pace.set_fast_forward_speed(s.fast_forward);
    pace.set_fast_loading(s.fast_loading);
    sound_shaping().set_volume(s.volume);
    sound_shaping().set_mute(s.mute);
    states_set_slot(s.state_slot);
    if (!s.key_map.empty())
        use_key_map(s.key_map, true);
    keys_set_character_mode(s.keyboard == keyboard_mode::character);
    set_scale(s.scale);
    if (s.fullscreen)
        set_fullscreen(true);
    sync_menus();
}

void MyFrame::sync_menus()
{
    wxMenuBar *bar = GetMenuBar();
    if (!bar || !timer_)
        return;
    const settings &s = kept();
    pacer &pace = timer_->pace();
    bar->Check(ID_PAUSE, pace.paused());
    bar->Check(ID_FAST_FORWARD, pace.fast_forward());
    bar->Check(id_of(s.fast_forward), true);
    bar->Check(ID_FAST_LOADING, s.fast_loading);
    bar->Check(ID_SCALE_1 + s.scale - 1, true);
    bar->Check(ID_FULLSCREEN, IsFullScreen());
    bar->Check(ID_INTEGER_SCALING, s.integer_scaling);
    bar->Check(ID_MUTE, s.mute);
    bar->Check(s.keyboard == keyboard_mode::character ? ID_KEYS_CHARACTER : ID_KEYS_POSITIONAL, true);
    bar->Enable(ID_KEY_MAP_NONE, !s.key_map.empty());
    fill_recent(ID_RECENT_CARTRIDGE, s.recent_cartridges, "Recent &cartridges");
    fill_recent(ID_RECENT_TAPE, s.recent_tapes, "Recent ta&pes");
}

void MyFrame::show_key_list()
{
    // A fixed-pitch font keeps the list's columns.
    wxDialog dialog(this, wxID_ANY, "wxOrvane keys", wxDefaultPosition, wxDefaultSize,
                    wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    auto *text = new wxTextCtrl(&dialog, wxID_ANY, wxString::FromUTF8(wxo_key_list), wxDefaultPosition,
                                wxSize(640, 640), wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP);
    text->SetFont(wxFont(9, wxFONTFAMILY_TELETYPE, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    auto *sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(text, 1, wxEXPAND | wxALL, 8);
    sizer->Add(dialog.CreateButtonSizer(wxOK), 0, wxEXPAND | wxBOTTOM | wxLEFT | wxRIGHT, 8);
    dialog.SetSizerAndFit(sizer);
    event_log("key list shown");
    dialog.ShowModal();
    panel_->SetFocus();
}
