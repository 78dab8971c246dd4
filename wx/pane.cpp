#include "pane.h"

#include "keys.h"
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

// Backspace is the rewind key and F5 to F7 the state keys (menu
// accelerators): none of them is the machine's.
void BasicDrawPane::OnKeyDown(wxKeyEvent &event)
{
    int code = event.GetKeyCode();
    if (code == WXK_BACK) {
        rewind_key_down();
        return;
    }
    if (code != WXK_F5 && code != WXK_F6 && code != WXK_F7)
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
    orv_key_up(code);
    event.Skip();
}

void BasicDrawPane::OnKillFocus(wxFocusEvent &event)
{
    // A key-up that goes to another window must not leave the rewind running.
    rewind_key_up();
    event.Skip();
}
