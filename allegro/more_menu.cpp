// The More... box of the emulator menu and the boxes it opens: pause and
// speed, picture, keyboard, tape, sound, recent files and the key list. They
// have the emulator menu's geometry (a box of 280 x 180 at (20, 10),
// buttons of 260 x 16 at x = 30, "Return" at (164, 170)); a button that
// changes a setting keeps its box open and shows the new value.
#include "app.h"
#include "window_layout.h"

#include "frontend/pacing.h"
#include "frontend/settings.h"
#include "frontend/tape_deck.h"

#include <allegro.h>

#include <functional>
#include <vector>

namespace {

struct box_item {
    std::string text;
    int y;
    // Returns true when the box should close (the machine runs on).
    std::function<bool()> action;
    bool short_button = false;  // 126 wide, beside "Return"
};

// Builds the box's buttons; may change its heading.
using box_builder = std::function<std::vector<box_item>(std::string &heading)>;

// Shows the box built by `build` until "Return", Esc or an action that
// closes it; the box is built again after each action.
void settings_box(const std::string &title, const box_builder &build)
{
    screen_room_begin(false);  // one size for the whole time the box is open
    int focus = -1;
    for (;;) {
        std::string heading = title;
        std::vector<box_item> items = build(heading);
        std::vector<DIALOG> d;
        d.push_back({d_box_proc, 20, 10, 280, 180, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
        d.push_back({d_ctext_proc, 160, 16, 0, 8, 0, 0, 0, 0, 0, 0, heading.data(), nullptr, nullptr});
        const int first = static_cast<int>(d.size());
        for (box_item &it : items)
            d.push_back({d_button_proc, 30, it.y, it.short_button ? 126 : 260, 16, 0, 0, 0, D_EXIT, 0, 0,
                         it.text.data(), nullptr, nullptr});
        const int ret = static_cast<int>(d.size());
        d.push_back({d_button_proc, 164, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Return"),
                     nullptr, nullptr});
        d.push_back({app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
        d.push_back({nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr});
        set_dialog_color(d.data(), gui_fg_color, gui_bg_color);

        app_modal_begin();
        int chosen = do_dialog(d.data(), focus >= first && focus < ret ? focus : ret);
        app_modal_end();
        if (chosen < first || chosen >= ret)
            break;
        focus = chosen;
        if (items[static_cast<size_t>(chosen - first)].action())
            break;
    }
    screen_room_end();
}

// A box whose buttons show the kept settings as they are when it is built.
using prefs_builder = std::function<std::vector<box_item>(const settings &)>;

void prefs_box(const std::string &title, const prefs_builder &build)
{
    settings_box(title, [&build](std::string &) { return build(prefs()); });
}

// Changes the kept settings with `change` and keeps them; returns the new ones.
settings prefs_change(const std::function<void(settings &)> &change)
{
    settings n = prefs();
    change(n);
    prefs_set(n);
    return n;
}

std::string on_off(bool on)
{
    return on ? "on" : "off";
}

void speed_box()
{
    prefs_box("Speed", [](const settings &s) {
        pacer &p = app_pacer();
        return std::vector<box_item>{
            {p.paused() ? "Resume  (F2)" : "Pause  (F2)", 30, [] { ui_toggle_pause(); return true; }},
            {"Fast forward: " + on_off(p.fast_forward()) + "  (F3)", 50, [] {
                 app_pacer().toggle_fast_forward();
                 return true;
             }},
            {std::string("Fast forward speed: ") + fast_forward_speed_name(s.fast_forward), 70, [] {
                 settings n = prefs_change([](settings &c) {
                     c.fast_forward = c.fast_forward == fast_forward_speed::x2   ? fast_forward_speed::x4
                                      : c.fast_forward == fast_forward_speed::x4 ? fast_forward_speed::unlimited
                                                                                 : fast_forward_speed::x2;
                 });
                 app_pacer().set_fast_forward_speed(n.fast_forward);
                 return false;
             }},
            {"Fast loading of tapes: " + on_off(s.fast_loading), 90, [] {
                 settings n = prefs_change([](settings &c) { c.fast_loading = !c.fast_loading; });
                 app_pacer().set_fast_loading(n.fast_loading);
                 return false;
             }},
        };
    });
}

void picture_box()
{
    prefs_box("Picture", [](const settings &s) {
        return std::vector<box_item>{
            {"Window scale: " + std::to_string(s.scale) + "x  (PgUp/PgDn)", 30, [] {
                 int next = prefs().scale % 4 + 1;
                 ui_scale(next);
                 return false;
             }},
            {"Fullscreen: " + on_off(s.fullscreen) + "  (F11)", 50, [] {
                 ui_toggle_fullscreen();
                 return true;
             }},
            {"Whole-number scaling: " + on_off(s.integer_scaling), 70, [] {
                 prefs_change([](settings &c) { c.integer_scaling = !c.integer_scaling; });
                 return false;
             }},
        };
    });
}

void keyboard_box()
{
    prefs_box("Keyboard", [](const settings &s) {
        std::string map = s.key_map.empty() ? "none" : s.key_map.substr(s.key_map.find_last_of('/') + 1);
        return std::vector<box_item>{
            {"Type what the key says: " + on_off(s.keyboard == keyboard_mode::character), 30, [] {
                 ui_set_keyboard_mode(prefs().keyboard != keyboard_mode::character);
                 return false;
             }},
            {"Paste the clipboard  (Insert)", 50, [] { ui_paste(); return true; }},
            {"Key map: " + map, 70, [] {
                 static std::string path;
                 if (path.empty())
                     path = prefs().key_map;
                 std::string dir;
                 if (app_select_file("Load a key map", path, dir, nullptr))
                     ui_load_key_map(path);
                 return false;
             }},
            {"No key map", 90, [] { ui_load_key_map(""); return false; }},
            {keys_gamepad() ? "Gamepad: found" : "Gamepad: none found", 110, [] { return false; }},
        };
    });
}

// "Go to a time": an edit field for m:ss or seconds.
void tape_go_to()
{
    char field[16] = "0:00";
    DIALOG d[] = {
        {d_box_proc, 20, 10, 280, 180, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_ctext_proc, 160, 16, 0, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>("Tape: go to (m:ss or seconds)"),
         nullptr, nullptr},
        {d_edit_proc, 30, 50, 260, 8, 0, 0, 0, 0, 10, 0, field, nullptr, nullptr},
        {d_button_proc, 30, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Go"), nullptr, nullptr},
        {d_button_proc, 164, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Return"), nullptr, nullptr},
        {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(d, gui_fg_color, gui_bg_color);
    app_modal_begin();
    int chosen = do_dialog(d, 2);
    app_modal_end();
    if (chosen != 2 && chosen != 3)  // Return in the field, or "Go"
        return;
    double seconds;
    if (!tape_time_parse(field, seconds)) {
        screen_set_title_message(std::string("not a time: ") + field);
        return;
    }
    app_tape().seek(seconds);
    screen_set_title_message("tape at " + tape_time_text(app_tape().position()));
}

void tape_box()
{
    settings_box("Tape", [](std::string &heading) {
        tape_deck &deck = app_tape();
        heading = "Tape: none";
        if (deck.loaded()) {
            std::string name = deck.path().substr(deck.path().find_last_of('/') + 1);
            if (name.size() > 16)
                name = name.substr(0, 13) + "...";
            heading = name + " " + tape_time_text(deck.position()) + "/" + tape_time_text(deck.length()) +
                      (deck.reading() ? " playing" : " stopped");
        }
        auto seek_by = [](double by) {
            tape_deck &t = app_tape();
            if (t.loaded())
                t.seek(t.position() + by > 0 ? t.position() + by : 0);
            return false;
        };
        return std::vector<box_item>{
            {std::string(deck.reading() ? "Stop" : "Play") + "  (End)", 30, [] {
                 ui_tape_play_stop();
                 return false;
             }},
            {"Rewind to the start  (F8)", 50, [] { ui_tape_rewind(); return false; }},
            {"Back 10 seconds", 70, [seek_by] { return seek_by(-10); }},
            {"On 10 seconds", 90, [seek_by] { return seek_by(10); }},
            {"Go to a time...", 110, [] { tape_go_to(); return false; }},
            {"Load a tape...", 130, [] { menu_load_cassette(); return false; }},
            {"Eject", 150, [] {
                 app_tape().eject();
                 screen_title_update();
                 return false;
             }},
        };
    });
}

void sound_box()
{
    prefs_box("Sound", [](const settings &s) {
        return std::vector<box_item>{
            {"Volume up  (keypad +): " + std::to_string(s.volume) + "%", 30, [] {
                 ui_volume(prefs().volume + 10);
                 return false;
             }},
            {"Volume down  (keypad - or /)", 50, [] { ui_volume(prefs().volume - 10); return false; }},
            {std::string("Sound: ") + (s.mute ? "off" : "on") + "  (keypad *)", 70, [] {
                 ui_toggle_mute();
                 return false;
             }},
        };
    });
}

// The recent files, cartridges first, for the list box.
std::vector<std::string> recent_paths;
std::vector<std::string> recent_lines;
std::vector<bool> recent_is_tape;

char *recent_getter(int index, int *size)
{
    if (index < 0) {
        *size = static_cast<int>(recent_lines.size());
        return nullptr;
    }
    return recent_lines[static_cast<size_t>(index)].data();
}

void recent_box()
{
    recent_paths.clear();
    recent_lines.clear();
    recent_is_tape.clear();
    const settings &s = prefs();
    auto add = [](const std::string &path, bool tape) {
        std::string name = path.substr(path.find_last_of('/') + 1);
        recent_paths.push_back(path);
        recent_lines.push_back((tape ? "tape: " : "") + name);
        recent_is_tape.push_back(tape);
    };
    for (const std::string &p : s.recent_cartridges.items())
        add(p, false);
    for (const std::string &p : s.recent_tapes.items())
        add(p, true);
    if (recent_paths.empty()) {
        app_alert("No recent files yet", "", "", "OK");
        return;
    }
    DIALOG d[] = {
        {d_box_proc, 20, 10, 280, 180, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_ctext_proc, 160, 16, 0, 8, 0, 0, 0, 0, 0, 0, const_cast<char *>("Recent files"), nullptr, nullptr},
        {d_list_proc, 30, 30, 260, 132, 0, 0, 0, D_EXIT, 0, 0, reinterpret_cast<void *>(recent_getter), nullptr,
         nullptr},
        {d_button_proc, 30, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Load"), nullptr, nullptr},
        {d_button_proc, 164, 170, 126, 16, 0, 0, 0, D_EXIT, 0, 0, const_cast<char *>("Return"), nullptr, nullptr},
        {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(d, gui_fg_color, gui_bg_color);
    app_modal_begin();
    int chosen = do_dialog(d, 2);
    app_modal_end();
    if (chosen != 2 && chosen != 3)
        return;
    size_t i = static_cast<size_t>(d[2].d1);
    if (i >= recent_paths.size())
        return;
    std::string path = recent_paths[i];
    if (recent_is_tape[i])
        app_load_cassette(path);
    else
        app_load_rom(path);
}

} // namespace

void menu_more()
{
    settings_box("More", [](std::string &) {
        return std::vector<box_item>{
            {app_pacer().paused() ? "Resume  (F2)" : "Pause  (F2)", 30, [] { ui_toggle_pause(); return true; }},
            {"Speed...", 50, [] { speed_box(); return false; }},
            {"Picture...", 70, [] { picture_box(); return false; }},
            {"Keyboard...", 90, [] { keyboard_box(); return false; }},
            {"Tape...", 110, [] { tape_box(); return false; }},
            {"Sound...", 130, [] { sound_box(); return false; }},
            {"Recent files...", 150, [] { recent_box(); return false; }},
            {"Keys  (F9)", 170, [] { ui_key_list(); return false; }, true},
        };
    });
}
