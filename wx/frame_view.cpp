// The picture's size: the window's scale (1x to 4x of 320 x 250) and
// fullscreen. The panel fills the window and fits the picture into itself
// (frontend/picture_fit.h), so a window resized by hand works too.
#include "main_frame.h"

#include "events.h"
#include "kept_settings.h"
#include "pane.h"

#include "frontend/picture_fit.h"

void MyFrame::set_scale(int scale)
{
    settings s = kept();
    s.scale = picture_scale_step(scale, 0);
    choose(s);
    if (IsFullScreen()) {
        // Kept for the window to come back to.
        show_status("Window size " + std::to_string(s.scale) + "x when fullscreen ends");
        return;
    }
    SetClientSize(s.scale * PICTURE_WIDTH, s.scale * PICTURE_HEIGHT);
    event_log("scale %d: %d x %d", s.scale, s.scale * PICTURE_WIDTH, s.scale * PICTURE_HEIGHT);
    sync_menus();
}

void MyFrame::set_fullscreen(bool on)
{
    settings s = kept();
    s.fullscreen = on;
    choose(s);
    ShowFullScreen(on, wxFULLSCREEN_ALL);
    if (!on)
        SetClientSize(s.scale * PICTURE_WIDTH, s.scale * PICTURE_HEIGHT);
    event_log("fullscreen %s", on ? "on" : "off");
    panel_->SetFocus();
    panel_->Refresh(true);
    sync_menus();
}
