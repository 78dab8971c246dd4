// orvane: the machine in an Allegro window, with the emulator menu (Esc) and
// the integrated debugger (F1). The units of the program share this header;
// only the program's own files include allegro.h.
#pragma once

#include <string>

// Command line.
struct app_options {
    std::string cartridge;        // empty: none
    std::string cassette;         // empty: none
    std::string bios = "bios/";   // firmware directory
    bool bios_named = false;      // --bios given: the directory must hold the firmware
    bool fast = false;            // start at fastest speed
    bool help = false;
    bool version = false;
};
// Reads the command line. Returns an empty string, or the error to report.
std::string app_parse_args(int argc, const char *const *argv, app_options &opt);
std::string app_usage_text();   // --help: the options and every key
// A file name ending in .wav (any case): a tape given where a cartridge goes.
bool app_is_wav_name(const std::string &name);

// What the program was started with and loaded since: a power cycle reloads
// the same files.
extern app_options app_opt;
extern std::string app_cartridge;   // the cartridge now loaded, empty: none
extern bool app_real_time;          // real-time pacing (off: fastest speed)
extern std::string app_title;       // the window's title between messages

// GUI colours (set once the graphics mode is known).
void app_gui_colours(int r_mg, int g_mg, int b_mg, int r_bg, int g_bg, int b_bg);
void app_gui_colours_again();      // after a new graphics mode, which sets the library's own
int app_white();
// Requests to end the program from outside (quit.cpp): the window's close
// button, SIGINT, SIGTERM. Installed once the library has started.
void app_quit_requests_install();
// One has come: the program ends at the next frame, or from the dialog it shows.
bool app_close_asked();
int app_quit_status();              // 0, or 128 plus the signal's number
void app_quit_if_asked();           // ends the program if one has come
// A dialog object that closes its dialog once that has happened.
struct DIALOG;
int app_close_watch_proc(int msg, DIALOG *d, int c);
// Waits until the host key is released (a held key must not reach the next
// dialog or reopen a menu).
void app_wait_release(int scancode);
// The mouse pointer shown (dialogs) or hidden (frames drawn), then as it was.
void app_mouse(bool shown);
void app_mouse_restore();
void app_mouse_refresh();           // shown again as it was, on a new screen
// Around every dialog and alert: an empty key buffer and the pointer shown
// before; after it, the pointer as it was and Esc released.
void app_modal_begin();
void app_modal_end();
// Alerts with one button; the lines may be empty.
void app_alert(const std::string &l1, const std::string &l2, const std::string &l3, const char *button);

// Settings kept between runs (frontend/settings.h): read at start-up (a
// damaged file reported once), each change written at once.
struct settings;
void prefs_load();
const settings &prefs();
void prefs_set(const settings &s);       // the user changed a setting
void prefs_remember(const settings &s);  // recent files, last directories

// Screen: the machine's picture in the window (1x to 4x, or the whole screen).
bool screen_init();                 // after the graphics mode is set
std::string screen_apply();         // the window as the settings say; "" or why not
// A dialog laid out for 640 x 500 opens (the debugger: exactly that, in a
// window) and closes: the window grows for it and comes back after.
void screen_room_begin(bool debugger);
void screen_room_end();
bool screen_fullscreen();
int screen_picture_wanted();        // faster than real time about 50 pictures a second are drawn
void screen_show_frame();           // stretches `tms3556_screen` into the window
void screen_redraw();               // the last picture again (after a dialog, while paused)
void screen_show_preview();         // redraws the picture, unscaled at the top left corner
void screen_frame_end();            // F12 screenshots and the title
void screen_set_title_message(const std::string &text);
void screen_title_update();         // cartridge, tape, speed and message, when they change

// Save states (F5 save, F6 next slot, F7 load) and rewind (Backspace held),
// after every frame; `states_keys` only the keys (while paused).
void states_init();                 // the slot kept in the settings
void states_frame_end();
void states_keys();

// Keyboard: the poll run every second frame (key_poll.h); every press is
// recorded as it happens, so that a short one is not lost.
void keys_init();
void keys_poll();
void keys_run_start();              // keys down now reach the machine only once released
// The program's own keys: whether `scancode` was pressed since last asked
// (never for a key the key map gives to the machine).
bool keys_take_press(int scancode);
bool keys_claimed(int scancode);    // the key map gives the key to the machine
void keys_set_character_mode(bool on);
struct key_map;
void keys_set_map(const key_map &map);
size_t keys_paste(const std::string &utf8);   // returns the characters left out
bool keys_pasting();
size_t keys_paste_left();
void keys_paste_cancel();
bool keys_gamepad();                // a joystick was found
double keys_last_press_ms();        // host time of the last key press, -1 none
int app_host_key(int scancode);     // Allegro scancode to frontend/host_keys.h
// The X clipboard's text: "" with the text, or why there is none.
constexpr size_t APP_CLIPBOARD_MAX_BYTES = 1 << 20;
std::string app_clipboard_text(std::string &text);

// The emulator's keys (F2, F3, F8 to F11, Page Up/Down, Insert, End, keypad
// + and -) after each frame, and the pause: while paused the machine waits
// here, the picture stays and those keys, Esc and F1 still work.
void ui_frame_end();
void ui_pause_hold();
void app_apply_settings();          // at start-up: window, keyboard, key map, speed, tape

void ui_toggle_pause();
void ui_scale(int scale);           // 1 to 4
void ui_toggle_fullscreen();
void ui_paste();                    // the clipboard typed into the machine, or stopped
void ui_tape_play_stop();
void ui_tape_rewind();
void ui_volume(int percent);
void ui_toggle_mute();
void ui_key_list();                 // F9: every key of the program
void ui_set_keyboard_mode(bool character);
bool ui_load_key_map(const std::string &path);   // "" takes the map out

// A run of the frame loop starts: keys, sound pacing and the 50 Hz tick
// made ready; `app_run` runs the machine until it stops.
void app_run_start();
void app_run();
// The emulator menu asked for the debugger (the log view then says so).
extern bool app_menu_break;

// Sound: one Allegro sample per block, started back to back by a timer.
// While the machine runs in real time with sound, the sound paces it: a
// block waits while the queue is full.
void sound_init(bool driver);      // driver: install_sound succeeded
void sound_block(const unsigned char *block, int length);
void sound_set_pacing(bool on);    // on: real-time runs of the frame loop
bool sound_paced_frame();          // after each frame: sound paced it, no tick wait
void sound_shutdown();

// Pacing: the 50 Hz tick, and the speed (frontend/pacing.h).
void pacing_init();
void pacing_wait();                 // after each frame when real-time speed is on
void pacing_restart();              // a new run: the first frame does not wait
int pacing_now();                   // ticks since start
void pacing_frame_done();           // after each frame: waits as the speed asks
class pacer;
pacer &app_pacer();
// 0 paused, 1 real time, 2, 4, or PACING_UNLIMITED (fast-forward, fast
// loading, the options dialog's fastest speed).
double app_speed();
bool app_sound_muted();             // paused or faster than real time
std::string app_speed_status();     // "Paused", "Fast forward 4x" ... "" at real time
double app_speed_percent();         // of real time, measured; -1 not known
void pacing_fast_forward_key(bool down);
bool pacing_fast_forward_key_down();
void pacing_keys_lost();            // a dialog took the keyboard: a held F3 ends
double app_host_ms();               // a monotonic clock, milliseconds

// Emulator menu and the loading commands it shares with the debugger.
void menu_run();                    // the Esc menu
void menu_load_rom();               // file selector, RomLoad, warm reset
void menu_load_cassette();          // file selector, Allegro's sample loader
bool app_load_rom(const std::string &path);          // alert on failure; the machine unchanged
bool app_load_cassette(const std::string &path);     // alert on failure
// A file selector that starts in `dir` (remembered in the settings) and
// fits the window. Returns false on cancel.
bool app_select_file(const char *title, std::string &path, const std::string &dir, const char *ext);
void menu_more();                   // the More... box: the settings of this program
class tape_deck;
tape_deck &app_tape();              // the cassette recorder (frontend/tape_deck.h)
void app_power_cycle();             // every global back, firmware and cartridge reloaded
[[noreturn]] void app_quit(int status);

// The integrated debugger and its memory explorer. The debugger returns true
// for "Continue" (the machine runs on), false to end the program.
bool debugger_dialog_run();
void explorer_run();
// Firmware files of the wrong size: an alert for each, and the program goes on.
void app_firmware_warnings();

// Host contract.
void host_install();
