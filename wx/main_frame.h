// The main window: the screen panel, the menus (menus.h), the render timer
// and a status bar (messages, speed, sound, tape). Its commands are spread
// over files by subject: main_frame.cpp (files, states, the debugger, the
// status bar), frame_commands.cpp (speed, sound, settings), frame_view.cpp
// (scale, fullscreen), frame_tape.cpp (the tape deck), frame_input.cpp
// (keyboard modes, paste, key map, gamepad), frame_files.cpp (recent files,
// dropped files, the title).
#pragma once

#include "menu_keys.h"
#include "menus.h"

#include "frontend/settings.h"

#include <wx/frame.h>
#include <wx/longlong.h>
#include <wx/timer.h>

#include <string>
#include <vector>

class BasicDrawPane;
class DebugFrame;
class RenderTimer;
class wxGauge;


class MyFrame : public wxFrame {
public:
    // `bios` is the firmware directory (`bios_named`: the user named it, so
    // it must be there; otherwise the built-in firmware stands in when it is
    // missing); `sound_note` says why there is no sound (empty when there is).
    // When the firmware cannot be loaded the window says so and is left
    // without a machine: `init_failed` is then true and nothing runs.
    MyFrame(const std::string &bios, bool bios_named, const std::string &sound_note);
    ~MyFrame() override;

    bool init_failed() const { return init_failed_; }
    // What is wrong with the firmware files that did load (wrong sizes),
    // one line each; empty when nothing is.
    const std::string &firmware_warnings() const { return firmware_warnings_; }

    BasicDrawPane *getPanel() { return panel_; }

    // The commands behind the menus, for the command line as well.
    bool load_rom(const wxString &path);
    bool load_tape(const wxString &path);
    // A file dropped on the window: a tape (.wav), a state file (.st1 to
    // .st9), or a cartridge.
    bool load_dropped(const wxString &path);

    // A command of the menus (menus.h), from a menu or from a window key.
    void command(int id);
    // The fast-forward key (F3) went down or up (`lost`: the window lost
    // the keyboard while it was down).
    void fast_forward_key(bool down, bool lost = false);
    // What the picture shows over itself in fullscreen, where the status
    // bar is hidden: "Paused", the fast speeds; "" otherwise.
    std::string overlay_text() const;
    // The settings kept from the last run, applied once the window is up.
    void apply_settings();

    // A message in the status bar's first field.
    void show_status(const std::string &text);
    // The machine's state changed outside the frame loop (reset, ROM, state
    // load): the open debugger windows show it.
    void machine_changed();
    // Shows at once whether the debugger holds the machine.
    void show_run_status();
    // A message box (caption "wxOrvane") shown as soon as the window is up,
    // the machine running behind it; `log_line` goes to the event log then.
    void show_later(const std::string &log_line, const std::string &text, long icon);

    void OnLoadROM(wxCommandEvent &event);
    void OnLoadK7(wxCommandEvent &event);
    void OnCallDebug(wxCommandEvent &event);
    void OnReset(wxCommandEvent &event);
    void OnScreenshot(wxCommandEvent &event);
    void OnSaveState(wxCommandEvent &event);
    void OnLoadState(wxCommandEvent &event);
    void OnNextSlot(wxCommandEvent &event);
    void OnQuit(wxCommandEvent &event);
    void OnAbout(wxCommandEvent &event);
    void onClose(wxCloseEvent &event);

private:
    void on_command(wxCommandEvent &event);
    // The menus' check marks and Recent lists as things are now.
    void sync_menus();
    void fill_recent(int first_id, const recent_list &list, const wxString &title);
    // A setting the user chose, or one the program remembers (kept_settings.h).
    void choose(const settings &s);
    void remember(const settings &s);
    void update_title();
    // Files dropped on the window load (frame_files.cpp).
    void accept_drops();
    // speed and sound
    void toggle_pause();
    void set_volume(int percent);
    // picture
    void set_scale(int scale);
    void set_fullscreen(bool on);
    // tape
    void tape_command(int id);
    void seek_dialog();
    // keyboard
    void set_keyboard_mode(keyboard_mode mode);
    void paste();
    void choose_key_map();
    bool use_key_map(const std::string &path, bool tell);
    void show_key_list();
    void open_recent(int id);

    void update_status(wxTimerEvent &event);
    // The status bar's speed and tape fields as things are now.
    void refresh_status();
    void on_menu_open(wxMenuEvent &event);
    void show_notices(wxTimerEvent &event);
    void place_gauge(wxSizeEvent &event);
    // Sets the status bar's field widths for the message shown and the tape.
    void lay_out_status();
    void set_field(const wxString &text, int field);

    bool init_failed_ = false;
    std::string firmware_warnings_;
    menu_key_set menu_keys_;
    wxString message_;                // the message field's text
    wxLongLong message_wide_until_;   // until when it may take the whole bar (ms)
    bool tape_shown_ = false;
    long onsets_seen_ = 0;            // sound onsets logged
    std::string cartridge_;           // the cartridge loaded, for the title
    std::string title_base_ = "wxOrvane";
    std::string speed_shown_;         // the speed's text as last logged
    RenderTimer *timer_ = nullptr;
    BasicDrawPane *panel_ = nullptr;
    DebugFrame *debug_ = nullptr;   // the debugger window last opened
    wxTimer status_timer_;
    // Messages for show_later. A timer shows them rather than an idle-time
    // call, which a busy render timer could put off for long.
    struct notice {
        std::string log_line, text;
        long icon;
    };
    std::vector<notice> notices_;
    wxTimer notice_timer_;
    wxGauge *tape_gauge_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
