// The emulator menu (Esc while the machine runs), its options dialog, and the
// loading commands it shares with the debugger.
#include "app.h"

#include "core/cassette.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/rom_files.h"
#include "firmware/builtin.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One button of a menu box: its text, its row, what it does.
struct menu_button {
    const char *text;
    int y;
    void (*action)();
};

// A box of 280 x 180 at (20, 10): buttons of 260 x 16 at x = 30, and
// "Return" (126 x 16 at 164, 170). Every button closes the box; the chosen
// one's action then runs. Returns when the box is closed.
void menu_box(const menu_button *buttons, int count)
{
    std::vector<DIALOG> d;
    d.push_back({d_box_proc, 20, 10, 280, 180, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
    for (int i = 0; i < count; i++)
        d.push_back({d_button_proc, 30, buttons[i].y, 260, 16, 0, 0, 0, D_EXIT, 0, 0,
                     const_cast<char *>(buttons[i].text), nullptr, nullptr});
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
};

// The file selector (480 x 384, a path of 1024 characters). Returns false on
// cancel. Each selector remembers its last path.
bool select_file(const char *title, char (&path)[1024])
{
    app_modal_begin();
    int ok = file_select_ex(title, path, nullptr, sizeof path, 480, 384);
    app_modal_end();
    return ok != 0;
}

// The last part of a path, short enough for an alert line.
std::string short_name(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.size() > 40 ? name.substr(0, 37) + "..." : name;
}

// Why Allegro's WAV loader refused a file.
std::string wav_refusal(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::strerror(errno);
    char head[12] = {};
    size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return "not a WAV file";
    return "only 8-bit and 16-bit PCM recordings load";
}

} // namespace

void menu_run()
{
    menu_box(emulator_buttons, 6);
}

bool app_load_rom(const std::string &path)
{
    if (const char *message = RomLoad(path.c_str())) {
        // The machine runs on exactly as it was, its cartridge included.
        std::string reason = orv_open_reason(path.c_str());
        app_alert("Not a valid ROM", reason.empty() ? message : std::string(message) + ": " + reason,
                  short_name(path), "OK");
        return false;
    }
    app_cartridge = path;
    orv_reset();
    return true;
}

void menu_load_rom()
{
    static char path[1024];
    if (select_file("Load an ORVANE ROM image", path))
        app_load_rom(path);
}

bool app_load_cassette(const std::string &path)
{
    std::string refusal;
    if (SAMPLE *s = load_wav(path.c_str())) {
        int channels = s->stereo ? 2 : 1;
        uint32_t values = static_cast<uint32_t>(s->len) * static_cast<uint32_t>(channels);
        // Allegro keeps both sizes unsigned: 8-bit as they are, 16-bit as
        // native unsigned shorts (the file's value plus 0x8000).
        std::vector<uint8_t> data;
        k7_audio_spec spec = {s->freq, K7_U8, 1, channels};
        if (s->bits == 16) {
            spec.format = K7_U16LSB;
            spec.sample_bytes = 2;
            data.resize(2UL * values);
            const unsigned short *v = static_cast<const unsigned short *>(s->data);
            for (uint32_t i = 0; i < values; i++) {
                data[2 * i] = static_cast<uint8_t>(v[i]);
                data[2 * i + 1] = static_cast<uint8_t>(v[i] >> 8);
            }
        } else {
            const uint8_t *v = static_cast<const uint8_t *>(s->data);
            data.assign(v, v + values);
        }
        if (orv_load_K7(spec, data.data(), static_cast<uint32_t>(data.size())))
            refusal = "the recording has no sample rate or no channel";
        destroy_sample(s);
    } else {
        orv_K7_load_failed();
        refusal = wav_refusal(path);
    }
    K7_log_load();
    if (!refusal.empty()) {
        app_alert("Not a valid WAV", refusal, short_name(path), "OK");
        return false;
    }
    return true;
}

void menu_load_cassette()
{
    // The tape playing now goes on if the selection is cancelled; a new
    // one replaces it only once loaded.
    static char path[1024];
    if (select_file("Load an ORVANE WAV K7", path))
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
