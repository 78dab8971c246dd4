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
extern const char *const app_usage;
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
// Around every dialog and alert: an empty key buffer and the pointer shown
// before; after it, the pointer as it was and Esc released.
void app_modal_begin();
void app_modal_end();
// Alerts with one button; the lines may be empty.
void app_alert(const std::string &l1, const std::string &l2, const std::string &l3, const char *button);

// Screen: the machine's picture in the window.
bool screen_init();                 // after the graphics mode is set
int screen_picture_wanted();        // at fastest speed about 50 pictures a second are drawn
void screen_show_frame();           // stretches `tms3556_screen` to 640 x 500
void screen_show_preview();         // redraws the picture, unscaled at the top left corner
void screen_frame_end();            // F12 screenshots and the title's messages
void screen_set_title_message(const std::string &text);

// Save states (F5 save, F6 next slot, F7 load) and rewind (Backspace held),
// after every frame.
void states_frame_end();

// Keyboard: the poll run every second frame (key_poll.h); every press is
// recorded as it happens, so that a short one is not lost.
void keys_init();
void keys_poll();
void keys_run_start();              // keys down now reach the machine only once released

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

// Pacing: the 50 Hz tick.
void pacing_init();
void pacing_wait();                 // after each frame when real-time speed is on
void pacing_restart();              // a new run: the first frame does not wait
int pacing_now();                   // ticks since start

// Emulator menu and the loading commands it shares with the debugger.
void menu_run();                    // the Esc menu
void menu_load_rom();               // file selector, RomLoad, warm reset
void menu_load_cassette();          // file selector, Allegro's sample loader
bool app_load_rom(const std::string &path);          // alert on failure; the machine unchanged
bool app_load_cassette(const std::string &path);     // alert on failure
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
