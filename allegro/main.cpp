// Start-up: host set-up, firmware, cold start, the run, the debugger.
#include "app.h"

#include <allegro.h>
// Allegro's own TRACE macro gives way to the core's trace facility.
#undef TRACE

#include "core/cassette.h"
#include "core/debugger.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/trace.h"
#include "firmware/builtin.h"
#include "orvane_version.h"

#include <cstdio>
#include <cstdlib>

app_options app_opt;
std::string app_cartridge;
bool app_real_time = true;
std::string app_title = "Orvane";

namespace {

int gui_white;
bool sound_driver;
volatile int close_asked;

// The window's close button (called on another thread: only a flag).
void close_button()
{
    close_asked = 1;
}
END_OF_FUNCTION(close_button)

// The graphics mode and the host devices. Returns false when the window
// cannot be opened (the library's reason has been shown).
bool app_host_setup()
{
    // Without a display the library does not start at all (its keyboard
    // would then crash): the same failure as a window that cannot open.
    if (allegro_init() != 0) {
        std::fprintf(stderr, "orvane: %s\n", allegro_error[0] ? allegro_error : "Allegro cannot start (no display?)");
        return false;
    }
    install_keyboard();
    // Without a sound card this still succeeds; samples then play silently.
    sound_driver = install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr) == 0;
    int depth = desktop_color_depth();
    set_color_depth(depth ? depth : 16);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 500, 0, 0) != 0) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        allegro_message("%s\n", allegro_error);
        return false;
    }
    set_window_title("Orvane");
    LOCK_FUNCTION(close_button);
    set_close_button_callback(close_button);
    install_timer();
    install_mouse();
    pacing_init();
    return true;
}

} // namespace

void app_gui_colours(int r_mg, int g_mg, int b_mg, int r_bg, int g_bg, int b_bg)
{
    gui_fg_color = makecol(0, 0, 0);
    gui_mg_color = makecol(r_mg, g_mg, b_mg);
    gui_bg_color = makecol(r_bg, g_bg, b_bg);
    gui_white = makecol(255, 255, 255);
}

bool app_close_asked()
{
    return close_asked != 0;
}

int app_white()
{
    return gui_white;
}

void app_wait_release(int scancode)
{
    while (key[scancode])
        rest(10);
}

void app_alert(const std::string &l1, const std::string &l2, const std::string &l3, const char *button)
{
    app_modal_begin();
    alert(l1.c_str(), l2.empty() ? nullptr : l2.c_str(), l3.empty() ? nullptr : l3.c_str(), button,
          nullptr, 0, 0);
    app_modal_end();
}

// Allegro draws its own pointer into the screen: it is shown only while a
// dialog runs, since the running machine's frames would draw over it.
namespace {
bool mouse_stack[16];
int mouse_depth;
bool mouse_shown;

void set_mouse(bool shown)
{
    mouse_shown = shown;
    show_mouse(shown ? screen : nullptr);
}
} // namespace

void app_mouse(bool shown)
{
    if (mouse_depth < 16)
        mouse_stack[mouse_depth] = mouse_shown;
    mouse_depth++;
    set_mouse(shown);
}

void app_mouse_restore()
{
    if (mouse_depth > 0 && --mouse_depth < 16)
        set_mouse(mouse_stack[mouse_depth]);
}

void app_modal_begin()
{
    clear_keybuf();
    app_mouse(true);
}

void app_modal_end()
{
    app_mouse_restore();
    app_wait_release(KEY_ESC);
}

void app_quit(int status)
{
    sound_shutdown();
    clear_keybuf();
    std::exit(status);
}

int main(int argc, char **argv)
{
    std::string error = app_parse_args(argc, argv, app_opt);
    if (!error.empty()) {
        std::fprintf(stderr, "orvane: %s\nTry 'orvane --help'.\n", error.c_str());
        return 2;
    }
    if (app_opt.help) {
        std::fputs(app_usage, stdout);
        return 0;
    }
    if (app_opt.version) {
        std::puts("orvane " ORVANE_VERSION);
        return 0;
    }
    app_real_time = !app_opt.fast;

    static trace_fn tf = {"main()", 0};
    trace_enter(tf);
    if (!app_host_setup())
        return -1;
    app_gui_colours(128, 128, 128, 200, 200, 200);
    screen_init();
    sound_init(sound_driver);
    host_install();
    get_log_str(log_box, 65536);

    TRACE(tf, "Init mem");
    bool builtin = false;
    if (const char *message = orv_load_firmware(app_opt.bios.c_str(), app_opt.bios_named, &builtin)) {
        clear_keybuf();
        alert("Memory initialization failed", message, ("Firmware directory: " + app_opt.bios).c_str(),
              "&Abort", nullptr, 'a', 0);
        app_quit(1);
    }
    if (builtin) {
        app_title = std::string("Orvane (") + orv_builtin_notice + ")";
        set_window_title(app_title.c_str());
    }
    orv_cold_start();
    if (!app_opt.cartridge.empty())
        app_load_rom(app_opt.cartridge);
    if (!app_opt.cassette.empty())
        app_load_cassette(app_opt.cassette);

    orv_loop(0xFFFF);
    debugger_dialog_run();
    app_quit(0);
}
END_OF_MAIN()
