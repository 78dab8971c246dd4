// The machine's picture in the window: the window's size (1x to 4x of the
// 320 x 250 picture) or the whole screen, the picture drawn into it with
// nearest-neighbour pixels and black borders, the title, and screenshots
// (F12).
//
// The dialogs and the debugger are laid out for 640 x 500: while one is
// shown (`screen_room_begin`), a smaller window grows to that size, and the
// debugger always gets a 640 x 500 window; the user's size comes back when
// the last one closes.
#include "app.h"
#include "window_layout.h"

#include "core/file_replace.h"
#include "core/host.h"
#include "core/tms3556.h"
#include "frontend/file_names.h"
#include "frontend/picture_fit.h"
#include "frontend/settings.h"
#include "frontend/tape_deck.h"
#include "tools/png/picture_png.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

BITMAP *picture;       // 320 x 250, one pixel a dot, in the screen's depth
int colours[8];        // Allegro colour of each colour number
int black;
bool f12_was_down;
bool frame_drawn;      // the frame being finished was drawn
int drawn_tick = -1;   // pacing tick of the last frame drawn at a speed above real time
int title_until = -1;  // 10 Hz tick at which the title's message goes
std::string title_message;
std::string title_shown;
volatile int screen_ticks;  // 10 Hz, for the title's messages

struct screen_mode {
    int w = 0, h = 0;
    bool full = false;
    bool operator==(const screen_mode &) const = default;
};
screen_mode current;     // the mode set now
int room_depth;          // dialogs open that need 640 x 500
bool room_exact;         // one of them is the debugger: exactly 640 x 500, in a window

void screen_tick()
{
    screen_ticks = screen_ticks + 1;
}
END_OF_FUNCTION(screen_tick)

void picture_update()
{
    for (int y = 0; y < TMS3556_HEIGHT; y++)
        for (int x = 0; x < TMS3556_WIDTH; x++)
            putpixel(picture, x, y, colours[tms3556_screen[y][x] & 7]);
}

// The picture from `picture` into the screen, with the borders black.
void picture_draw()
{
    picture_rect p = picture_fit(SCREEN_W, SCREEN_H, current.full && prefs().integer_scaling);
    if (p.y > 0) {
        rectfill(screen, 0, 0, SCREEN_W - 1, p.y - 1, black);
        rectfill(screen, 0, p.y + p.h, SCREEN_W - 1, SCREEN_H - 1, black);
    }
    if (p.x > 0) {
        rectfill(screen, 0, p.y, p.x - 1, p.y + p.h - 1, black);
        rectfill(screen, p.x + p.w, p.y, SCREEN_W - 1, p.y + p.h - 1, black);
    }
    stretch_blit(picture, screen, 0, 0, TMS3556_WIDTH, TMS3556_HEIGHT, p.x, p.y, p.w, p.h);
}

void screenshot()
{
    std::string name = screenshot_free_name("");
    if (name.empty()) {
        screen_set_title_message(std::string("no free name: ") + SCREENSHOTS_ALL_TAKEN);
        return;
    }
    // Every dot 2 x 2 pixels, as the window shows it at its usual size.
    std::vector<uint8_t> png;
    std::string error = orv_png_encode(tms3556_screen, 2, png);
    if (error.empty())
        error = orv_replace_file(name, png.data(), png.size());
    screen_set_title_message(error.empty() ? "saved " + name : "screenshot failed: " + name + ": " + error);
}

screen_mode user_mode()
{
    const settings &s = prefs();
    if (s.fullscreen) {
        int w, h;
        if (get_desktop_resolution(&w, &h) == 0 && w > 0 && h > 0)
            return {w, h, true};
    }
    return {TMS3556_WIDTH * s.scale, TMS3556_HEIGHT * s.scale, false};
}

screen_mode wanted_mode()
{
    screen_mode m = user_mode();
    if (room_depth == 0)
        return m;
    if (room_exact || (!m.full && (m.w < 640 || m.h < 500)))
        return {640, 500, false};
    return m;
}

// Sets a graphics mode. On failure the mode before comes back and the
// library's reason is returned; a program without any mode cannot go on.
std::string set_mode(const screen_mode &m)
{
    if (m == current)
        return "";
    show_mouse(nullptr);
    std::string why;
    if (set_gfx_mode(m.full ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED, m.w, m.h, 0, 0) != 0) {
        why = allegro_error[0] ? allegro_error : "the mode cannot be set";
        if (set_gfx_mode(current.full ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED, current.w,
                         current.h, 0, 0) != 0) {
            std::fprintf(stderr, "orvane: no window any more: %s\n", allegro_error);
            std::exit(1);
        }
    } else {
        current = m;
    }
    app_gui_colours_again();
    clear_to_color(screen, black);
    // The last picture at once: the machine may be paused, or a dialog
    // about to open over it.
    if (picture)
        picture_draw();
    title_shown.clear();  // set again on the new window
    screen_title_update();
    app_mouse_refresh();
    return why;
}

} // namespace

bool screen_init()
{
    current = {SCREEN_W, SCREEN_H, false};
    picture = create_bitmap(TMS3556_WIDTH, TMS3556_HEIGHT);
    for (int i = 0; i < 8; i++)
        colours[i] = makecol(orv_col[i].r, orv_col[i].g, orv_col[i].b);
    black = makecol(0, 0, 0);
    if (picture)
        clear_to_color(picture, black);
    LOCK_VARIABLE(screen_ticks);
    LOCK_FUNCTION(screen_tick);
    install_int_ex(screen_tick, BPS_TO_TIMER(10));
    return picture != nullptr;
}

std::string screen_apply()
{
    std::string why = set_mode(wanted_mode());
    if (!why.empty())
        return why;
    if (picture && room_depth == 0)
        picture_draw();
    return "";
}

void screen_room_begin(bool debugger)
{
    if (room_depth++ == 0)
        room_exact = debugger;
    else
        room_exact = room_exact || debugger;
    set_mode(wanted_mode());
}

void screen_room_end()
{
    if (room_depth == 0)
        return;
    if (--room_depth == 0) {
        room_exact = false;
        set_mode(wanted_mode());
    }
    screen_redraw();
}

bool screen_fullscreen()
{
    return current.full;
}

void screen_size(int &w, int &h)
{
    w = SCREEN_W;
    h = SCREEN_H;
}

int screen_picture_wanted()
{
    // In real time every frame is shown; faster, drawing them all would cost
    // more than running the machine, so one a tick is enough.
    bool real_time = app_speed() == 1;
    frame_drawn = real_time || pacing_now() != drawn_tick;
    if (frame_drawn && !real_time)
        drawn_tick = pacing_now();
    return frame_drawn;
}

void screen_show_frame()
{
    if (!picture || !frame_drawn)
        return;
    picture_update();
    picture_draw();
}

void screen_redraw()
{
    if (picture && room_depth == 0)
        picture_draw();
}

void screen_show_preview()
{
    if (!picture)
        return;
    // Looking changes nothing: the picture and the renderer's state (its
    // blink count) are put back, so that the machine is the one the step-back
    // history wrote down.
    static tms3556_picture kept;
    std::memcpy(kept, tms3556_screen, sizeof kept);
    const tms3556_render_state render = tms3556_render;
    orv_host_hooks saved = orv_host;
    orv_host.picture_wanted = nullptr;  // drawn whatever the speed
    tms3556_redraw();
    orv_host = saved;
    picture_update();
    blit(picture, screen, 0, 0, 0, 0, TMS3556_WIDTH, TMS3556_HEIGHT);
    tms3556_render = render;
    std::memcpy(tms3556_screen, kept, sizeof kept);
    picture_update();
}

void screen_set_title_message(const std::string &text)
{
    title_message = text;
    title_until = screen_ticks + 30;  // three seconds
    screen_title_update();
}

void screen_title_update()
{
    if (title_until >= 0 && screen_ticks - title_until >= 0) {
        title_message.clear();
        title_until = -1;
    }
    title_facts f;
    f.base = app_title;
    f.cartridge = app_cartridge;
    const tape_deck &deck = app_tape();
    f.tape = deck.path();
    f.tape_now = deck.state();
    if (f.tape_now != tape_state::empty) {
        f.tape_position = deck.position();
        f.tape_length = deck.length();
    }
    f.speed_status = app_speed_status();
    f.percent = app_speed_percent();
    f.message = title_message;
    std::string t = window_title(f);
    if (t != title_shown) {
        title_shown = t;
        set_window_title(t.c_str());
    }
}

void screen_frame_end()
{
    bool f12 = key[KEY_F12];
    if (f12 && !f12_was_down)
        screenshot();
    f12_was_down = f12;
    screen_title_update();
}
