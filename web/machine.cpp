// The machine in the page: start-up, power, files, frames, picture, sound,
// keys and states, over the same host contract as the desktop programs.
#include "web.h"
#include "wav.h"

#include "core/cassette.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/rom_files.h"
#include "core/state.h"
#include "core/tms3556.h"
#include "firmware/builtin.h"
#include "wx/keys.h"

#include <cstring>
#include <vector>

namespace {

std::string message_text;

// What a power cycle loads.
bool user_firmware;         // the files in WEB_BIOS_DIR, else the built-in firmware
enum class cartridge { none, demo, file };
cartridge cart = cartridge::demo;
std::string cart_path, cart_name;

// The picture as the canvas takes it: red, green, blue, alpha bytes, and
// the colour numbers it was made from.
uint8_t rgba[TMS3556_HEIGHT * TMS3556_WIDTH * 4];
tms3556_picture shown;
bool shown_valid;

// Sound blocks waiting for the script, at most a second of them: a page
// that stops collecting (muted, hidden) must not make the list grow.
constexpr size_t SOUND_KEPT = 8000;
std::vector<uint8_t> sound;
bool sound_on;

bool draw_frame = true;  // whether the frame running now is shown

int web_picture_wanted() { return draw_frame ? 1 : 0; }

void web_sound_block(const unsigned char *block, int length)
{
    if (!sound_on || length <= 0)
        return;
    if (sound.size() + static_cast<size_t>(length) > SOUND_KEPT)
        sound.erase(sound.begin(), sound.begin() + static_cast<long>(length));
    sound.insert(sound.end(), block, block + length);
}

// The core's questions are answered yes (the page asks before it runs a
// command), its messages kept for the page to show.
int web_ask(const char *) { return 1; }
void web_message_hook(const char *text) { web_say(text ? text : ""); }

std::vector<uint8_t> state_bytes;

} // namespace

void web_say(const std::string &text) { message_text = text; }

const char *web_message() { return message_text.c_str(); }

int web_start()
{
    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    orv_host.key_poll = orv_key_poll;
    orv_host.picture_wanted = web_picture_wanted;
    orv_host.sound_block = web_sound_block;
    orv_host.ask = web_ask;
    orv_host.message = web_message_hook;
    return web_power_cycle();
}

int web_use_firmware(int user)
{
    user_firmware = user != 0;
    return 0;
}

const char *web_firmware_name() { return user_firmware ? "your firmware" : orv_builtin_notice; }

// Switches the machine off and on: every chip back to its start, the
// firmware and the cartridge loaded again, the tape taken out.
int web_power_cycle()
{
    orv_clear_globals();
    keys_clear_state();
    sound.clear();
    std::string said;
    int status = 0;
    if (user_firmware) {
        if (const char *message = MemInit(WEB_BIOS_DIR)) {
            said = std::string("Fatal error at init\n") + message + "\n";
            user_firmware = false;
            status = 1;
        } else {
            said = orv_firmware_warnings(WEB_BIOS_DIR);
        }
    }
    if (!user_firmware) {
        orv_clear_globals();
        MemInitImages(orv_builtin_bios7020, orv_builtin_bios7020_size, orv_builtin_7041b, orv_builtin_7041b_size);
    }
    // The demo needs the built-in firmware's calls: it goes with it only.
    if (cart == cartridge::demo && !user_firmware)
        orv_load_demo_cartridge();
    if (cart == cartridge::file) {
        if (const char *message = RomLoad(cart_path.c_str())) {
            said += cart_name + " is not a valid ROM\n" + message;
            cart = cartridge::none;
        }
    }
    orv_cold_start();
    web_say(said);
    return status;
}

void web_reset()
{
    orv_reset();
}

// As the desktop programs load a cartridge: the machine restarts with it,
// and restarts on the old cartridge area when the file does not load.
int web_load_cartridge(const char *path, const char *name)
{
    const char *message = RomLoad(path);
    orv_reset();
    if (message) {
        web_say(std::string(name) + " is not a valid ROM\n" + message);
        return 1;
    }
    cart = cartridge::file;
    cart_path = path;
    cart_name = name;
    web_say("");
    return 0;
}

void web_eject_cartridge()
{
    cart = cartridge::none;
}

int web_load_tape(const uint8_t *bytes, int size, const char *name)
{
    std::string warning;
    std::string error = web_tape_load(bytes, size > 0 ? static_cast<size_t>(size) : 0, name, warning);
    web_say(error.empty() ? warning : error);
    return error.empty() ? 0 : 1;
}

// Runs `count` frames; only the last is drawn when `draw_last` asks for it.
int web_run_frames(int count, int draw_last)
{
    int done = 0;
    for (int i = 0; i < count; i++) {
        draw_frame = draw_last && i == count - 1;
        int before = vblnum;
        orv_loop(0xFFFF);
        // A break request of the video watches stops a frame short; the
        // page has no watch to answer and runs on, as the headless runner does.
        if (vblnum != before)
            done++;
    }
    draw_frame = true;
    return done;
}

int web_frame_count() { return vblnum; }

// The picture in canvas form, or null when it is the one the last call
// returned (`force` 0): a screen that stands still costs the page nothing.
const uint8_t *web_picture(int force)
{
    if (!force && shown_valid && std::memcmp(shown, tms3556_screen, sizeof shown) == 0)
        return nullptr;
    std::memcpy(shown, tms3556_screen, sizeof shown);
    shown_valid = true;
    uint8_t *out = rgba;
    for (int y = 0; y < TMS3556_HEIGHT; y++)
        for (int x = 0; x < TMS3556_WIDTH; x++) {
            const orv_rgb &c = orv_col[tms3556_screen[y][x] & 7];
            *out++ = c.r;
            *out++ = c.g;
            *out++ = c.b;
            *out++ = 255;
        }
    return rgba;
}

void web_sound_enable(int on)
{
    sound_on = on != 0;
    if (!sound_on)
        sound.clear();
}

int web_sound_count() { return static_cast<int>(sound.size()); }
const uint8_t *web_sound_data() { return sound.data(); }
void web_sound_clear() { sound.clear(); }

// The tape playing, in seconds; -1 when none plays.
double web_tape_position()
{
    if (!K7_buffer || K7.freq <= 0)
        return -1;
    return K7where / (static_cast<double>(K7.sample_bytes) * K7.channels) / K7.freq;
}

double web_tape_length()
{
    if (!K7_buffer || K7.freq <= 0)
        return -1;
    return K7_size / (static_cast<double>(K7.sample_bytes) * K7.channels) / K7.freq;
}

void web_key_down(int code) { orv_key_down(code); }
void web_key_up(int code) { orv_key_up(code); }

// The page lost the keyboard: the key last sent will never come up there,
// so the machine is told it did.
void web_keys_lost() { orv_keys_lost(); }

int web_state_save()
{
    state_bytes = orv_state_save();
    return static_cast<int>(state_bytes.size());
}

const uint8_t *web_state_data() { return state_bytes.data(); }

// On success the machine and the picture are the state's; otherwise the
// machine runs on unchanged and the message says why.
int web_state_load(const uint8_t *bytes, int size)
{
    std::string note;
    std::string error = orv_state_load(bytes, size > 0 ? static_cast<size_t>(size) : 0, note);
    web_say(error.empty() ? note : error);
    if (error.empty())
        keys_clear_state();
    return error.empty() ? 0 : 1;
}
