// The emulator menu (Esc while the machine runs), its options dialog, and the
// loading commands it shares with the debugger.
#include "app.h"
#include "break_menu.h"

#include "core/cassette.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/rom_files.h"
#include "firmware/builtin.h"
#include "frontend/settings.h"
#include "frontend/tape_deck.h"

#include <allegro.h>

#include <cstring>
#include <vector>

namespace {

// One button of a menu box: its text, its row, what it does; a short one
// (126 wide) sits beside "Return".
struct menu_button {
    const char *text;
    int y;
    void (*action)();
    bool short_button = false;
};

// A box of 280 x 180 at (20, 10): buttons of 260 x 16 at x = 30, and
// "Return" (126 x 16 at 164, 170). Every button closes the box; the chosen
// one's action then runs. Returns when the box is closed.
void menu_box(const menu_button *buttons, int count)
{
    std::vector<DIALOG> d;
    d.push_back({d_box_proc, 20, 10, 280, 180, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    for (int i = 0; i < count; i++)
        d.push_back({d_button_proc, 30, buttons[i].y, buttons[i].short_button ? 126 : 260, 16, 0, 0, 0, D_EXIT, 0,
                     0, const_cast<char *>(buttons[i].text), nullptr, nullptr});
    int ret = static_cast<int>(d.size());
    d.push_back({d_button_proc, 164, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Return"),
                 nullptr, nullptr});
    d.push_back({nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    set_dialog_color(d.data(), gui_fg_color, gui_bg_color);

    app_modal_begin();
    int chosen = do_dialog(d.data(), ret);
    // Esc closes the box; it must not reopen it at the next frame.
    app_modal_end();
    if (chosen >= 1 && chosen < ret && buttons[chosen - 1].action)
        buttons[chosen - 1].action();
}

void menu_call_debugger()
{
    ask_bkpt = 1;  // the run stops at the end of this frame
    app_menu_break = true;
}

void menu_fastest() { app_real_time = false; }
void menu_real_time() { app_real_time = true; }

const menu_button option_buttons[] = {
    {"Set fastest speed", 30, menu_fastest},
    {"Set 5MHz speed", 50, menu_real_time},
    // No profiling exists: these two only close the dialog.
    {"Turn Profile ON", 70, nullptr},
    {"Turn Profile OFF", 90, nullptr},
};

void menu_options()
{
    menu_box(option_buttons, 4);
}

void menu_reset()
{
    app_modal_begin();
    // A third button, so that Esc (which answers the last button) does not
    // switch the machine off.
    int answer = alert3("What to do?", nullptr, nullptr, "&RESET", "&Turn Off", "Cancel", 'r', 't', 0);
    app_modal_end();
    if (answer == 1)
        orv_reset();
    else if (answer == 2)
        app_power_cycle();
}

void menu_exit()
{
    app_modal_begin();
    int answer = alert("Really Quit?", nullptr, nullptr, "&Yes", "&No", 'y', 'n');
    app_modal_end();
    if (answer == 1)
        app_quit(0);
}

const menu_button emulator_buttons[] = {
    {"LOAD ROM", 30, menu_load_rom},
    {"LOAD K7 (test)", 50, menu_load_cassette},
    {"Call Debugger", 80, menu_call_debugger},
    {"Set options", 100, menu_options},
    {"RESET", 120, menu_reset},
    {"EXIT", 140, menu_exit},
    // Beside "Return": this program's settings.
    {"More...", 170, menu_more, true},
};

// The last part of a path, short enough for an alert line.
std::string short_name(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.size() > 40 ? name.substr(0, 37) + "..." : name;
}

// The directory of a file chosen, absolute, for the next selector.
std::string directory_of(const std::string &path)
{
    std::string full = recent_path_form(path);
    size_t slash = full.find_last_of('/');
    return slash == std::string::npos ? "" : full.substr(0, slash + 1);
}

// Why a tape was refused, as the alert's second line.
std::string tape_refusal(const tape_load_result &r)
{
    if (r.loaded)
        return "only 8-bit and 16-bit PCM recordings load";  // samples the cassette bit cannot follow
    if (r.failure != WAV_READ || r.reason == "not a WAV file")
        return r.reason;
    if (r.reason.find(" is not read") != std::string::npos || r.reason.find(" are not read") != std::string::npos)
        return "only 8-bit and 16-bit PCM recordings load";
    return r.reason;
}

} // namespace

void menu_run()
{
    menu_box(emulator_buttons, 7);
}

// The file selector (480 x 384, a path of 1024 characters). Returns false on
// cancel. It starts at `path` (the last file chosen), else in `dir`.
bool app_select_file(const char *title, std::string &path, const std::string &dir, const char *ext)
{
    char buffer[1024] = {};
    std::string start = path;
    if (start.empty() && !dir.empty())
        start = dir.back() == '/' ? dir : dir + "/";
    if (start.size() < sizeof buffer)
        std::memcpy(buffer, start.data(), start.size());
    app_modal_begin();
    int ok = file_select_ex(title, buffer, ext, sizeof buffer, 480, 384);
    app_modal_end();
    if (ok)
        path = buffer;
    return ok != 0;
}

bool app_load_rom(const std::string &path)
{
    settings s = prefs();
    if (const char *message = RomLoad(path.c_str())) {
        // The machine runs on exactly as it was, its cartridge included.
        std::string reason = orv_open_reason(path.c_str());
        app_alert("Not a valid ROM", reason.empty() ? message : std::string(message) + ": " + reason,
                  short_name(path), "OK");
        s.recent_cartridges.remove(path);
        prefs_remember(s);
        return false;
    }
    app_cartridge = path;
    break_symbols_note();
    orv_reset();
    s.recent_cartridges.add(path);
    prefs_remember(s);
    screen_title_update();
    return true;
}

void menu_load_rom()
{
    static std::string path;
    if (!app_select_file("Load an ORVANE ROM image", path, prefs().cartridge_dir, nullptr))
        return;
    settings s = prefs();
    s.cartridge_dir = directory_of(path);
    prefs_remember(s);
    app_load_rom(path);
}

tape_deck &app_tape()
{
    static tape_deck deck;
    return deck;
}

bool app_load_cassette(const std::string &path)
{
    tape_load_result r = app_tape().load(path);
    std::string refusal;
    if (!r.loaded || !r.unplayable.empty()) {
        // Samples the cassette bit cannot follow are refused here.
        refusal = tape_refusal(r);
        app_tape().eject();
    }
    K7_log_load();
    settings s = prefs();
    if (!refusal.empty()) {
        s.recent_tapes.remove(path);
        prefs_remember(s);
        app_alert("Not a valid WAV", refusal, short_name(path), "OK");
        return false;
    }
    s.recent_tapes.add(path);
    prefs_remember(s);
    screen_title_update();
    return true;
}

void menu_load_cassette()
{
    // The tape playing now goes on if the selection is cancelled; a new
    // one replaces it only once loaded.
    static std::string path;
    if (!app_select_file("Load an ORVANE WAV K7", path, prefs().tape_dir, nullptr))
        return;
    settings s = prefs();
    s.tape_dir = directory_of(path);
    prefs_remember(s);
    app_load_cassette(path);
}

void app_power_cycle()
{
    orv_clear_globals();
    if (const char *message = orv_load_firmware(app_opt.bios.c_str(), app_opt.bios_named, nullptr)) {
        app_alert("Memory initialization failed", message, "Firmware directory: " + app_opt.bios, "&Abort");
        app_quit(1);
    }
    if (!app_cartridge.empty()) {
        if (const char *message = RomLoad(app_cartridge.c_str())) {
            app_alert("Not a valid ROM", message, short_name(app_cartridge), "OK");
            app_cartridge.clear();
        }
    }
    orv_cold_start();
}
