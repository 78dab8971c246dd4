// The main window: the screen panel, the File and Help menus, the render
// timer and a status bar (messages, frame rate, sound, tape).
#pragma once

#include "menu_keys.h"

#include <wx/frame.h>
#include <wx/longlong.h>
#include <wx/timer.h>

#include <string>
#include <vector>

class BasicDrawPane;
class DebugFrame;
class RenderTimer;
class wxGauge;

enum {
    ID_LOAD_ROM = 6000,
    ID_CALL_DEBUG = 6001,
    ID_RESET = 6002,
    ID_LOAD_K7 = 6003,
    ID_SCREENSHOT = 6004,
    ID_SAVE_STATE = 6005,
    ID_LOAD_STATE = 6006,
    ID_NEXT_SLOT = 6007,
};

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
    void update_status(wxTimerEvent &event);
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
