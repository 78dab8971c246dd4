// The panel that shows the machine's screen and takes its keys.
#pragma once

#include <wx/panel.h>

class menu_key_set;

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
    void OnKillFocus(wxFocusEvent &event);
    // Makes the placeholder surface of the panel's size (as the first paint does).
    void createScreen();

private:
    bool is_menu_key(const wxKeyEvent &event) const;

    const menu_key_set *menu_keys_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
