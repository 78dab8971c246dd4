// The main window: the screen panel, the File and Help menus, the render
// timer and a status bar (messages, frame rate, sound, tape).
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <string>

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
    MyFrame(const std::string &bios, bool bios_named, const std::string &sound_note);
    ~MyFrame() override;

    BasicDrawPane *getPanel() { return panel_; }

    // The commands behind the menus, for the command line as well.
    bool load_rom(const wxString &path);
    bool load_tape(const wxString &path);

    // A message in the status bar's first field.
    void show_status(const std::string &text);

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
    void place_gauge(wxSizeEvent &event);

    RenderTimer *timer_ = nullptr;
    BasicDrawPane *panel_ = nullptr;
    DebugFrame *debug_ = nullptr;   // the debugger window last opened
    wxTimer status_timer_;
    wxGauge *tape_gauge_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
