// The emulator's own keys while the machine runs, the pause, and the
// commands they share with the More... box: each changes a setting (kept at
// once, frontend/settings.h) or the tape deck and says what it did in the
// title.
//
//   F2 pause / resume          F3 fast-forward (tap: toggle, hold: while held)
//   F8 tape rewind             End tape play / stop
//   F9 the key list            keypad * sound off / on
//   F11 fullscreen / window    Page Up / Page Down window scale
//   Insert paste / stop        keypad +, - and / volume
#include "alert_text.h"
#include "app.h"
#include "key_list.h"
#include "window_layout.h"

#include "core/loop.h"
#include "frontend/key_map.h"
#include "frontend/pacing.h"
#include "frontend/picture_fit.h"
#include "frontend/settings.h"
#include "frontend/tape_deck.h"

#include <allegro.h>

#include <cstdio>

namespace {

constexpr int VOLUME_STEP = 10;

void scale_up() { ui_scale(prefs().scale + 1); }
void scale_down() { ui_scale(prefs().scale - 1); }
void volume_up() { ui_volume(prefs().volume + VOLUME_STEP); }
void volume_down() { ui_volume(prefs().volume - VOLUME_STEP); }

struct own_key {
    int scancode;
    void (*action)();
};

const own_key own_keys[] = {
    {KEY_F2, ui_toggle_pause},     {KEY_F8, ui_tape_rewind},   {KEY_F9, ui_key_list},
    {KEY_ASTERISK, ui_toggle_mute}, {KEY_F11, ui_toggle_fullscreen}, {KEY_SLASH_PAD, volume_down},
    {KEY_PGUP, scale_up},          {KEY_PGDN, scale_down},     {KEY_INSERT, ui_paste},
    {KEY_END, ui_tape_play_stop},  {KEY_PLUS_PAD, volume_up},  {KEY_MINUS_PAD, volume_down},
};

bool was_pasting;

void own_keys_check()
{
    for (const own_key &k : own_keys)
        if (keys_take_press(k.scancode))
            k.action();
    if (!keys_claimed(KEY_F3)) {
        if (keys_take_press(KEY_F3)) {
            // A new press while the last one is still down here: its
            // release came between two looks.
            if (pacing_fast_forward_key_down())
                pacing_fast_forward_key(false);
            pacing_fast_forward_key(true);
        }
        if (pacing_fast_forward_key_down() && !key[KEY_F3])
            pacing_fast_forward_key(false);
    }
    if (was_pasting && !keys_pasting())
        screen_set_title_message("paste done");
    was_pasting = keys_pasting();
}

std::string percent_text(int percent)
{
    return std::to_string(percent) + "%";
}

void change(const settings &s)
{
    prefs_set(s);
}

// The key map file: its errors shown once; returns false when it cannot be read.
bool load_map(const std::string &path, bool tell_errors)
{
    key_map map;
    std::vector<std::string> errors;
    std::string why = key_map_load(path, map, errors);
    if (!why.empty()) {
        std::fprintf(stderr, "orvane: key map %s: %s\n", path.c_str(), why.c_str());
        std::vector<std::string> lines = alert_lines(why, 1);
        app_alert("The key map was not loaded", lines[0], path, "OK");
        return false;
    }
    if (!errors.empty() && tell_errors) {
        std::string all;
        for (const std::string &e : errors) {
            std::fprintf(stderr, "orvane: key map %s: %s\n", path.c_str(), e.c_str());
            all += (all.empty() ? "" : "; ") + e;
        }
        std::vector<std::string> lines = alert_lines(all, 2);
        app_alert("Key map: these lines are left out", lines[0], lines[1], "OK");
    }
    keys_set_map(map);
    return true;
}

} // namespace

void ui_frame_end()
{
    own_keys_check();
}

void ui_pause_hold()
{
    if (!app_pacer().paused())
        return;
    screen_title_update();
    while (app_pacer().paused()) {
        app_quit_if_asked();
        own_keys_check();
        states_keys();
        if (key[KEY_ESC]) {
            app_wait_release(KEY_ESC);
            menu_run();
        }
        // F1, or the menu's "Call Debugger": the machine goes on to stop.
        if (key[KEY_F1] || ask_bkpt) {
            app_pacer().set_paused(false);
            break;
        }
        screen_title_update();
        rest(10);
    }
    // What was typed while paused is not the machine's.
    keys_run_start();
    pacing_restart();
    screen_title_update();
}

void ui_toggle_pause()
{
    app_pacer().toggle_pause();
    screen_title_update();
}

void ui_scale(int scale)
{
    if (scale < PICTURE_SCALE_MIN || scale > PICTURE_SCALE_MAX) {
        screen_set_title_message(scale < 1 ? "the window is at its smallest (1x)" : "the window is at its largest (4x)");
        return;
    }
    settings s = prefs();
    int old = s.scale;
    s.scale = scale;
    if (s.fullscreen) {
        change(s);
        screen_set_title_message("window scale " + std::to_string(scale) + "x, once out of fullscreen");
        return;
    }
    int w, h;
    if (get_desktop_resolution(&w, &h) == 0 && (PICTURE_WIDTH * scale > w || PICTURE_HEIGHT * scale > h)) {
        screen_set_title_message(std::to_string(scale) + "x does not fit the screen (" + std::to_string(w) +
                                 " x " + std::to_string(h) + ")");
        return;
    }
    change(s);
    std::string why = screen_apply();
    if (!why.empty()) {
        s.scale = old;
        change(s);
        screen_set_title_message(std::to_string(scale) + "x: " + why);
        return;
    }
    screen_set_title_message("window scale " + std::to_string(scale) + "x");
}

void ui_toggle_fullscreen()
{
    settings s = prefs();
    s.fullscreen = !s.fullscreen;
    change(s);
    std::string why = screen_apply();
    if (!why.empty() || screen_fullscreen() != s.fullscreen) {
        s.fullscreen = !s.fullscreen;
        change(s);
        screen_apply();
        screen_set_title_message("fullscreen is not available: " + (why.empty() ? "no screen size" : why));
    }
}

void ui_paste()
{
    if (keys_pasting()) {
        size_t left = keys_paste_left();
        keys_paste_cancel();
        was_pasting = false;
        screen_set_title_message("paste stopped, " + std::to_string(left) + " characters not typed");
        return;
    }
    std::string text;
    std::string why = app_clipboard_text(text);
    if (!why.empty()) {
        screen_set_title_message("nothing to paste: " + why);
        return;
    }
    size_t skipped = keys_paste(text);
    size_t queued = keys_paste_left();
    std::string message = "pasting " + std::to_string(queued) + " characters";
    if (skipped)
        message += ", " + std::to_string(skipped) + " the machine lacks left out";
    std::fprintf(stderr, "orvane: %s\n", message.c_str());
    screen_set_title_message(message + " (Insert stops)");
    was_pasting = keys_pasting();
}

void ui_tape_play_stop()
{
    tape_deck &deck = app_tape();
    switch (deck.state()) {
    case tape_state::empty:
        screen_set_title_message("no tape: Esc, LOAD K7 loads one");
        return;
    case tape_state::playing:
        deck.stop();
        screen_set_title_message("tape stopped at " + tape_time_text(deck.position()));
        return;
    case tape_state::stopped:
    case tape_state::ended:
        deck.play();
        screen_set_title_message("tape plays from " + tape_time_text(deck.position()));
        return;
    }
}

void ui_tape_rewind()
{
    tape_deck &deck = app_tape();
    if (!deck.loaded()) {
        screen_set_title_message("no tape: Esc, LOAD K7 loads one");
        return;
    }
    deck.rewind();
    screen_set_title_message("tape rewound");
}

void ui_volume(int percent)
{
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    settings s = prefs();
    s.volume = percent;
    change(s);
    screen_set_title_message("volume " + percent_text(percent) + (s.mute ? " (sound off: keypad *)" : ""));
}

void ui_toggle_mute()
{
    settings s = prefs();
    s.mute = !s.mute;
    change(s);
    screen_set_title_message(s.mute ? "sound off" : "sound on");
}

void ui_key_list()
{
    static std::string text;
    text = key_list_lines();
    DIALOG d[] = {
        {d_clear_proc, 0, 0, 640, 500, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_ctext_proc, 320, 6, 0, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>("Orvane: every key"), nullptr, nullptr},
        {d_textbox_proc, 8, 20, 624, 448, 0, 0, 0, 0, 0, 0, text.data(), nullptr, nullptr},
        {d_button_proc, 264, 476, 112, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("OK"), nullptr, nullptr},
        {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_yield_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(d, gui_fg_color, gui_bg_color);
    d[2].bg = app_white();
    app_modal_begin();
    do_dialog(d, 3);
    app_modal_end();
}

void ui_set_keyboard_mode(bool character)
{
    settings s = prefs();
    s.keyboard = character ? keyboard_mode::character : keyboard_mode::positional;
    change(s);
    keys_set_character_mode(character);
    screen_set_title_message(character ? "keys type what they say" : "keys as the machine's keyboard");
}

bool ui_load_key_map(const std::string &path)
{
    settings s = prefs();
    if (path.empty()) {
        keys_set_map(key_map());
        s.key_map.clear();
        change(s);
        screen_set_title_message("no key map");
        return true;
    }
    if (!load_map(path, true))
        return false;
    s.key_map = recent_path_form(path);
    change(s);
    screen_set_title_message("key map " + path.substr(path.find_last_of('/') + 1));
    return true;
}

void app_apply_settings()
{
    const settings &s = prefs();
    app_pacer().set_fast_forward_speed(s.fast_forward);
    app_pacer().set_fast_loading(s.fast_loading);
    keys_set_character_mode(s.keyboard == keyboard_mode::character);
    // A key map that no longer loads is reported; the setting stays until
    // the user changes it.
    if (!s.key_map.empty())
        load_map(s.key_map, true);
    states_init();
    std::string why = screen_apply();
    if (!why.empty()) {
        std::fprintf(stderr, "orvane: the window as set cannot open: %s\n", why.c_str());
        screen_set_title_message("the window as set cannot open: " + why);
    }
}
