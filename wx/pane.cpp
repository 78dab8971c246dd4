#include "pane.h"

#include "events.h"
#include "kept_settings.h"
#include "keys.h"
#include "main_frame.h"
#include "menu_keys.h"
#include "menus.h"
#include "picture_scale.h"
#include "screen.h"
#include "sound_ring.h"
#include "states.h"
#include "window_keys.h"

#include "frontend/picture_fit.h"

#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/image.h>

static_assert(WXO_KEY_F2 == WXK_F2 && WXO_KEY_F3 == WXK_F3 && WXO_KEY_F8 == WXK_F8 && WXO_KEY_F9 == WXK_F9 &&
              WXO_KEY_F11 == WXK_F11 && WXO_KEY_END == WXK_END && WXO_KEY_INSERT == WXK_INSERT &&
              WXO_KEY_PAGE_UP == WXK_PAGEUP && WXO_KEY_PAGE_DOWN == WXK_PAGEDOWN &&
              WXO_KEY_KEYPAD_ADD == WXK_NUMPAD_ADD && WXO_KEY_KEYPAD_MULTIPLY == WXK_NUMPAD_MULTIPLY &&
              WXO_KEY_KEYPAD_DIVIDE == WXK_NUMPAD_DIVIDE);

wxBEGIN_EVENT_TABLE(BasicDrawPane, wxPanel)
    EVT_PAINT(BasicDrawPane::paintEvent)
    EVT_ERASE_BACKGROUND(BasicDrawPane::onEraseBackground)
    EVT_KEY_DOWN(BasicDrawPane::OnKeyDown)
    EVT_KEY_UP(BasicDrawPane::OnKeyUp)
    EVT_CHAR(BasicDrawPane::OnChar)
    EVT_KILL_FOCUS(BasicDrawPane::OnKillFocus)
    EVT_SIZE(BasicDrawPane::OnSize)
wxEND_EVENT_TABLE()

BasicDrawPane::BasicDrawPane(wxFrame *parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, "panel")
{
}

BasicDrawPane::~BasicDrawPane()
{
    screen_free();
}

MyFrame *BasicDrawPane::frame() const
{
    return dynamic_cast<MyFrame *>(GetParent());
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
    wxSize size = GetClientSize();
    picture_rect r = picture_fit(size.GetWidth(), size.GetHeight(), kept().integer_scaling);
    if (r == picture_rect{0, 0, surface->w, surface->h} && size.GetWidth() == surface->w &&
        size.GetHeight() == surface->h) {
        // The picture at the surface's own size: the image reads the
        // surface's bytes without a copy, as red, green, blue (the stored
        // colours have red and blue exchanged to match), and the bitmap is
        // drawn 1:1 on the panel. Drawn, not blitted from a buffered DC:
        // the blit costs 15 to 20 ms a frame under GTK 3 (0.3 ms drawn),
        // time the render timer then lacks to keep the sound ring filled.
        wxImage image(surface->w, surface->h, static_cast<unsigned char *>(surface->pixels), true);
        wxBitmap bitmap(image);
        if (locked)
            SDL_UnlockSurface(surface);
        wxPaintDC dc(this);
        dc.DrawBitmap(bitmap, 0, 0);
        return;
    }
    scale_nearest(static_cast<const uint8_t *>(surface->pixels), surface->w, surface->h, surface->pitch, scaled_, r.w,
                  r.h);
    if (locked)
        SDL_UnlockSurface(surface);
    wxPaintDC dc(this);
    if (r.w <= 0 || r.h <= 0)
        return;
    wxImage image(r.w, r.h, scaled_.data(), true);
    dc.DrawBitmap(wxBitmap(image), r.x, r.y);
    // The bands around the picture.
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    if (r.y > 0)
        dc.DrawRectangle(0, 0, size.GetWidth(), r.y);
    if (r.y + r.h < size.GetHeight())
        dc.DrawRectangle(0, r.y + r.h, size.GetWidth(), size.GetHeight() - r.y - r.h);
    if (r.x > 0)
        dc.DrawRectangle(0, r.y, r.x, r.h);
    if (r.x + r.w < size.GetWidth())
        dc.DrawRectangle(r.x + r.w, r.y, size.GetWidth() - r.x - r.w, r.h);
    MyFrame *f = frame();
    std::string note = f ? f->overlay_text() : "";
    if (!note.empty()) {
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc.SetTextBackground(*wxBLACK);
        dc.SetTextForeground(*wxWHITE);
        dc.DrawText(" " + wxString::FromUTF8(note) + " ", 8, 8);
    }
}

void BasicDrawPane::onEraseBackground(wxEraseEvent &)
{
    // Never cleared: the picture and its bands cover the panel.
}

void BasicDrawPane::OnSize(wxSizeEvent &event)
{
    Refresh(false);
    event.Skip();
}

bool BasicDrawPane::is_menu_key(const wxKeyEvent &event) const
{
    if (!menu_keys_)
        return false;
    int modifiers = (event.AltDown() ? MENU_KEY_ALT : 0) | (event.ControlDown() ? MENU_KEY_CTRL : 0) |
                    (event.ShiftDown() ? MENU_KEY_SHIFT : 0);
    return menu_keys_->contains(modifiers, event.GetKeyCode());
}

bool BasicDrawPane::window_key(const wxKeyEvent &event, bool down)
{
    int id = window_key_command(event.GetKeyCode());
    if (!id || event.AltDown() || event.ControlDown())
        return false;
    MyFrame *f = frame();
    if (!f)
        return false;
    if (id == ID_FAST_FORWARD) {
        f->fast_forward_key(down);
        return true;
    }
    // The others act as they go down (auto-repeat included for the scale
    // and the volume, as a menu's key would).
    if (down) {
        event_log("window key %d", event.GetKeyCode());
        f->command(id);
    }
    return true;
}

// Backspace is the rewind key, and the window's keys (F2, F11 ...) and the
// menus' keys (Alt+F, F5 ...) are the window's: none of them reaches the
// machine.
void BasicDrawPane::OnKeyDown(wxKeyEvent &event)
{
    int code = event.GetKeyCode();
    if (event_log_on())
        event_log("host key %d down at %lld, sample %lld", code, static_cast<long long>(event_clock_ms()),
                  static_cast<long long>(sound_device_samples()));
    char_expected_ = false;
    if (code == WXK_BACK) {
        rewind_key_down();
        return;
    }
    if (window_key(event, true))
        return;
    if (is_menu_key(event)) {
        event_log("menu key %d", code);
    } else if (!keys_character_mode()) {
        orv_key_down(code);
    } else {
        bool typed = event.GetUnicodeKey() != WXK_NONE && !event.AltDown() && !event.ControlDown();
        if (keys_positional_in_character_mode(code, typed))
            orv_key_down(code);
        else
            char_expected_ = typed;
    }
    event.Skip();
}

void BasicDrawPane::OnChar(wxKeyEvent &event)
{
    if (!char_expected_) {
        event.Skip();
        return;
    }
    char_expected_ = false;
    wxChar c = event.GetUnicodeKey();
    if (c == WXK_NONE)
        return;
    char32_t ch = static_cast<char32_t>(c);
    if (!orv_key_char(ch))
        event_log("character %u: not on the machine", static_cast<unsigned>(ch));
}

void BasicDrawPane::OnKeyUp(wxKeyEvent &event)
{
    int code = event.GetKeyCode();
    if (code == WXK_BACK) {
        rewind_key_up();
        return;
    }
    if (window_key(event, false))
        return;
    if (!is_menu_key(event))
        orv_key_up(code);
    event.Skip();
}

void BasicDrawPane::OnKillFocus(wxFocusEvent &event)
{
    // A key-up that goes to another window must not leave the rewind or
    // fast-forward running, nor the machine's key held down.
    rewind_key_up();
    if (MyFrame *f = frame())
        f->fast_forward_key(false, true);
    orv_keys_lost();
    event.Skip();
}
