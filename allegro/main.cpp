// Start-up: host set-up, firmware, cold start, the run, the debugger.
#include "app.h"
#include "break_menu.h"

#include <allegro.h>
// Allegro's own TRACE macro gives way to the core's trace facility.
#undef TRACE

#include "alert_text.h"

#include "core/cassette.h"
#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/rom_files.h"
#include "core/trace.h"
#include "firmware/builtin.h"
#include "orvane_version.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

app_options app_opt;
std::string app_cartridge;
bool app_real_time = true;
std::string app_title = "Orvane";

namespace {

int gui_white;
bool sound_driver;

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
    app_quit_requests_install();
    install_timer();
    install_mouse();
    pacing_init();
    return true;
}

} // namespace

namespace {
int gui_rgb[6] = {128, 128, 128, 200, 200, 200};
}

void app_gui_colours_again()
{
    app_gui_colours(gui_rgb[0], gui_rgb[1], gui_rgb[2], gui_rgb[3], gui_rgb[4], gui_rgb[5]);
}

void app_gui_colours(int r_mg, int g_mg, int b_mg, int r_bg, int g_bg, int b_bg)
{
    int rgb[6] = {r_mg, g_mg, b_mg, r_bg, g_bg, b_bg};
    std::copy(rgb, rgb + 6, gui_rgb);
    gui_fg_color = makecol(0, 0, 0);
    gui_mg_color = makecol(r_mg, g_mg, b_mg);
    gui_bg_color = makecol(r_bg, g_bg, b_bg);
    gui_white = makecol(255, 255, 255);
}

int app_white()
{
    return gui_white;
}

void app_wait_release(int scancode)
{
    while (key[scancode]) {
        app_quit_if_asked();
        rest(10);
    }
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

void app_mouse_refresh()
{
    set_mouse(mouse_shown);
}

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
    // A held F3 does not outlast the dialog.
    pacing_keys_lost();
    screen_room_begin(false);
    clear_keybuf();
    app_mouse(true);
}

void app_modal_end()
{
    app_mouse_restore();
    screen_room_end();
    app_wait_release(KEY_ESC);
    app_quit_if_asked();
    // What was typed into the dialog is not the machine's.
    keys_run_start();
}

void app_firmware_warnings()
{
    std::string warnings = orv_firmware_warnings(app_opt.bios.c_str());
    for (const std::string &warning : alert_wrap(warnings, 1000)) {
        std::fprintf(stderr, "orvane: warning: %s\n", warning.c_str());
        std::vector<std::string> lines = alert_lines(warning, 2);
        app_alert("Firmware warning: the machine starts anyway", lines[0], lines[1], "OK");
    }
}

void app_run_start()
{
    keys_run_start();
    sound_set_pacing(app_speed() == 1);
    pacing_restart();
}

void app_run()
{
    app_run_start();
    orv_loop(0xFFFF);
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
        std::fputs(app_usage_text().c_str(), stdout);
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
    keys_init();
    sound_init(sound_driver);
    host_install();
    prefs_load();
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
    } else {
        app_firmware_warnings();
    }
    break_symbols_note();
    orv_cold_start();
    if (!app_opt.cartridge.empty())
        app_load_rom(app_opt.cartridge);
    if (!app_opt.cassette.empty())
        app_load_cassette(app_opt.cassette);
    app_apply_settings();
    // Step back works from the first stop: the runs are written down from here.
    orv_history_enable(true);

    // The machine runs until it stops, then the debugger: its "Continue"
    // runs the machine on, anything else ends the program.
    do
        app_run();
    while (debugger_dialog_run());
    app_quit(app_quit_status());
}
END_OF_MAIN()
