// The panel that shows the machine's screen and takes its keys.
#pragma once

#include <wx/panel.h>

class BasicDrawPane : public wxPanel {
public:
    explicit BasicDrawPane(wxFrame *parent);
    ~BasicDrawPane() override;

    void paintEvent(wxPaintEvent &event);
    void render();
    void onEraseBackground(wxEraseEvent &event);
    void OnKeyDown(wxKeyEvent &event);
    void OnKeyUp(wxKeyEvent &event);
    void OnKillFocus(wxFocusEvent &event);
    // Makes the placeholder surface of the panel's size (as the first paint does).
    void createScreen();

private:
    wxDECLARE_EVENT_TABLE();
};
