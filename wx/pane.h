// The panel that shows the machine's screen and takes its keys. It fills
// the window: the picture is fitted into it (frontend/picture_fit.h), with
// nearest-neighbour pixels and black bands around it where the panel's
// proportions differ from the picture's.
#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <vector>

class menu_key_set;
class MyFrame;

class BasicDrawPane : public wxPanel {
public:
    explicit BasicDrawPane(wxFrame *parent);
    ~BasicDrawPane() override;

    // The keys of the window's menus, which never reach the machine.
    void set_menu_keys(const menu_key_set *keys) { menu_keys_ = keys; }

    void paintEvent(wxPaintEvent &event);
    void render();
    void onEraseBackground(wxEraseEvent &event);
    void OnKeyDown(wxKeyEvent &event);
    void OnKeyUp(wxKeyEvent &event);
    void OnChar(wxKeyEvent &event);
    void OnKillFocus(wxFocusEvent &event);
    void OnSize(wxSizeEvent &event);
    // Makes the placeholder surface of the panel's size (as the first paint does).
    void createScreen();

private:
    bool is_menu_key(const wxKeyEvent &event) const;
    MyFrame *frame() const;
    // Serves a key of the window (window_keys.h); true when it was one.
    bool window_key(const wxKeyEvent &event, bool down);

    const menu_key_set *menu_keys_ = nullptr;
    // Character mode: a key-down whose character comes next (EVT_CHAR).
    bool char_expected_ = false;
    std::vector<uint8_t> scaled_;  // the picture at the panel's size

    wxDECLARE_EVENT_TABLE();
};
