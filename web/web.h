// The browser's host of the machine: what the page's script calls in the
// WebAssembly module. Every function here runs on the page's one thread,
// between frames; the script reads the texts and buffers they return at
// once, before the next call.
//
// Files the user gives the page (firmware, cartridges) are written by the
// script into the module's in-memory file system, so that the core loads
// them by the same rules and with the same messages as the desktop
// programs; tapes and states arrive as bytes.
#pragma once

#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>

#define WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

// Where the script puts the user's firmware files.
inline constexpr char WEB_BIOS_DIR[] = "/bios";

// The text the last call left for the user (an error, a warning or a
// note), "" for none. Every exported function that can say something
// replaces it.
void web_say(const std::string &text);

// Machine: start-up and power.
WEB_EXPORT int web_start();
WEB_EXPORT int web_use_firmware(int user);   // 1: the files in WEB_BIOS_DIR
WEB_EXPORT int web_power_cycle();            // 0, or 1 when the user's firmware failed
WEB_EXPORT void web_reset();
WEB_EXPORT int web_load_cartridge(const char *path, const char *name);
WEB_EXPORT void web_eject_cartridge();
WEB_EXPORT int web_load_tape(const uint8_t *bytes, int size, const char *name);
WEB_EXPORT const char *web_message();
WEB_EXPORT const char *web_firmware_name();

// Running.
WEB_EXPORT int web_run_frames(int count, int draw_last);
WEB_EXPORT int web_frame_count();
WEB_EXPORT const uint8_t *web_picture(int force);
WEB_EXPORT void web_sound_enable(int on);
WEB_EXPORT int web_sound_count();
WEB_EXPORT const uint8_t *web_sound_data();
WEB_EXPORT void web_sound_clear();
WEB_EXPORT double web_tape_position();
WEB_EXPORT double web_tape_length();

// Keys, as wx key codes.
WEB_EXPORT void web_key_down(int code);
WEB_EXPORT void web_key_up(int code);
WEB_EXPORT void web_keys_lost();

// States.
WEB_EXPORT int web_state_save();
WEB_EXPORT const uint8_t *web_state_data();
WEB_EXPORT int web_state_load(const uint8_t *bytes, int size);

// Debugger.
WEB_EXPORT void web_debug_refresh();
WEB_EXPORT const char *web_debug_view(int which);  // 0 registers, 1 disassembly, 2 video, 3 log
WEB_EXPORT void web_debug_step();
WEB_EXPORT void web_debug_step_over();
WEB_EXPORT int web_debug_go(const char *address, int max_frames);
WEB_EXPORT void web_debug_who(const char *address);
WEB_EXPORT void web_debug_clear_log();
WEB_EXPORT int web_pc();
