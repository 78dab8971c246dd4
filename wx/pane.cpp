#include "pane.h"

#include "events.h"
#include "keys.h"
#include "menu_keys.h"
#include "screen.h"
#include "states.h"

#include <wx/bitmap.h>
#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/image.h>

wxBEGIN_EVENT_TABLE(BasicDrawPane, wxPanel)
    EVT_PAINT(BasicDrawPane::paintEvent)
    EVT_ERASE_BACKGROUND(BasicDrawPane::onEraseBackground)
    EVT_KEY_DOWN(BasicDrawPane::OnKeyDown)
    EVT_KEY_UP(BasicDrawPane::OnKeyUp)
    EVT_KILL_FOCUS(BasicDrawPane::OnKillFocus)
wxEND_EVENT_TABLE()

BasicDrawPane::BasicDrawPane(wxFrame *parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, "panel")
{
}

BasicDrawPane::~BasicDrawPane()
{
    screen_free();
}

void BasicDrawPane::createScreen()
{
    if (ScreenBuffer)
        return;
    wxSize size = GetClientSize();
    ScreenBuffer = SDL_CreateRGBSurface(0, size.GetWidth(), size.GetHeight(), 32, 0, 0, 0, 0);
}

void BasicDrawPane::paintEvent(wxPaintEvent &)
{
    render();
}

void BasicDrawPane::render()
{
    screen_update();
    SDL_Surface *surface = ScreenBuffer;
    bool locked = false;
    if (surface && surface->format->BytesPerPixel == 3 && SDL_MUSTLOCK(surface))
        locked = SDL_LockSurface(surface) == 0;
    if (!surface || surface->format->BytesPerPixel != 3 || (SDL_MUSTLOCK(surface) && !locked)) {
        // Before the first frame (a placeholder surface), or no lock: nothing to show.
        wxPaintDC dc(this);
        if (!surface)
            createScreen();
        return;
    }
    // The image reads the surface's bytes, without a copy, as red, green,
    // blue; the stored colours have red and blue exchanged to match.
    wxImage image(surface->w, surface->h, static_cast<unsigned char *>(surface->pixels), true);
    wxBitmap bitmap(image);
    if (locked)
        SDL_UnlockSurface(surface);
    // The buffer is the picture itself: it is copied 1:1 to the panel.
    wxBufferedPaintDC dc(this, bitmap);
}

void BasicDrawPane::onEraseBackground(wxEraseEvent &)
{
    // Never cleared: the picture covers the panel.
}

bool BasicDrawPane::is_menu_key(const wxKeyEvent &event) const
{
    if (!menu_keys_)
        return false;
    int modifiers = (event.AltDown() ? MENU_KEY_ALT : 0) | (event.ControlDown() ? MENU_KEY_CTRL : 0) |
                    (event.ShiftDown() ? MENU_KEY_SHIFT : 0);
    return menu_keys_->contains(modifiers, event.GetKeyCode());
}

// Backspace is the rewind key, and the menus' keys (Alt+F, F5 ...) are the
// window's: none of them reaches the machine.
void BasicDrawPane::OnKeyDown(wxKeyEvent &event)
{
    int code = event.GetKeyCode();
    if (code == WXK_BACK) {
        rewind_key_down();
        return;
    }
    if (is_menu_key(event))
        event_log("menu key %d", code);
    else
        orv_key_down(code);
    event.Skip();
}

void BasicDrawPane::OnKeyUp(wxKeyEvent &event)
{
    int code = event.GetKeyCode();
    if (code == WXK_BACK) {
        rewind_key_up();
        return;
    }
    if (!is_menu_key(event))
        orv_key_up(code);
    event.Skip();
}

void BasicDrawPane::OnKillFocus(wxFocusEvent &event)
{
    // A key-up that goes to another window must not leave the rewind
    // running, nor the machine's key held down.
    rewind_key_up();
    orv_keys_lost();
    event.Skip();
}
