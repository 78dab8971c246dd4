// The machine's picture in the window, and screenshots (F12).
#include "app.h"

#include "core/file_replace.h"
#include "core/host.h"
#include "core/tms3556.h"
#include "tools/png/picture_png.h"

#include <allegro.h>

#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

BITMAP *picture;       // 320 x 250, one pixel a dot, in the screen's depth
int colours[8];        // Allegro colour of each colour number
bool f12_was_down;
bool frame_drawn;      // the frame being finished was drawn
int drawn_tick = -1;   // pacing tick of the last frame drawn at fastest speed
int title_until = -1;  // pacing tick at which the title returns to its plain text
volatile int screen_ticks;  // 10 Hz, for the title's messages

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

// The next orvane-NNN.png that is not there, not even as a link to nothing,
// or an empty string.
std::string screenshot_name()
{
    char name[32];
    struct stat st;
    for (int n = 0; n < 1000; n++) {
        std::snprintf(name, sizeof name, "orvane-%03d.png", n);
        if (lstat(name, &st) != 0)
            return name;
    }
    return "";
}

void screenshot()
{
    std::string name = screenshot_name();
    if (name.empty()) {
        screen_set_title_message("no free name: orvane-000.png to orvane-999.png all exist");
        return;
    }
    // What the window shows: every dot 2 x 2 pixels.
    std::vector<uint8_t> png;
    std::string error = orv_png_encode(tms3556_screen, 2, png);
    if (error.empty())
        error = orv_replace_file(name, png.data(), png.size());
    screen_set_title_message(error.empty() ? "saved " + name : "screenshot failed: " + name + ": " + error);
}

} // namespace

bool screen_init()
{
    picture = create_bitmap(TMS3556_WIDTH, TMS3556_HEIGHT);
    for (int i = 0; i < 8; i++)
        colours[i] = makecol(orv_col[i].r, orv_col[i].g, orv_col[i].b);
    LOCK_VARIABLE(screen_ticks);
    LOCK_FUNCTION(screen_tick);
    install_int_ex(screen_tick, BPS_TO_TIMER(10));
    return picture != nullptr;
}

int screen_picture_wanted()
{
    // In real time every frame is shown; at fastest speed drawing them all
    // would cost more than running the machine, so one a tick is enough.
    frame_drawn = app_real_time || pacing_now() != drawn_tick;
    if (frame_drawn && !app_real_time)
        drawn_tick = pacing_now();
    return frame_drawn;
}

void screen_show_frame()
{
    if (!picture || !frame_drawn)
        return;
    picture_update();
    stretch_blit(picture, screen, 0, 0, TMS3556_WIDTH, TMS3556_HEIGHT, 0, 0, 2 * TMS3556_WIDTH,
                 2 * TMS3556_HEIGHT);
}

void screen_show_preview()
{
    if (!picture)
        return;
    orv_host_hooks saved = orv_host;
    orv_host.picture_wanted = nullptr;  // drawn whatever the speed
    tms3556_redraw();
    orv_host = saved;
    picture_update();
    blit(picture, screen, 0, 0, 0, 0, TMS3556_WIDTH, TMS3556_HEIGHT);
}

void screen_set_title_message(const std::string &text)
{
    set_window_title((app_title + " - " + text).c_str());
    title_until = screen_ticks + 30;  // three seconds
}

void screen_frame_end()
{
    bool f12 = key[KEY_F12];
    if (f12 && !f12_was_down)
        screenshot();
    f12_was_down = f12;
    if (title_until >= 0 && screen_ticks - title_until >= 0) {
        set_window_title(app_title.c_str());
        title_until = -1;
    }
}
