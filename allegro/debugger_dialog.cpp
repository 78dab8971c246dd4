// The integrated debugger: one dialog over the whole window with the four
// views, the address field, the menus and the keyboard shortcuts. Every
// command is the shared debugger's; this file only shows and asks.
#include "alert_text.h"
#include "app.h"
#include "break_menu.h"
#include "stop_reason.h"

#include "core/address_text.h"
#include "core/debugger.h"
#include "core/loop.h"
#include "core/tms3556.h"
#include "core/trace.h"

#include <allegro.h>

#include <cstdio>

namespace {

// Whether the dialog closed to let the machine run on.
bool continue_asked;

// A command that runs the machine draws frames over the dialog: no pointer
// meanwhile, and no key left over for the dialog (Esc would close it). A
// run of the frame loop (`frame_loop`) polls the keyboard: the key that
// started it, still down, is not the machine's.
template <void (*command)(), bool frame_loop>
int run_machine()
{
    app_mouse(false);
    if (frame_loop)
        app_run_start();
    command();
    sound_set_pacing(false);  // also when the run was not confirmed
    app_mouse_restore();
    app_wait_release(KEY_ESC);
    clear_keybuf();
    return D_REDRAW;
}

int dbg_step()
{
    step();
    return D_REDRAW;
}

int dbg_stepover() { return run_machine<break_stepover, false>(); }
int dbg_tobreak() { return run_machine<tobreak, true>(); }
int dbg_tobreaknoconfirm() { return run_machine<tobreaknoconfirm, true>(); }

int dbg_continue()
{
    continue_asked = true;
    return D_CLOSE;
}

int dbg_reset()
{
    orv_reset();  // the views show the state from before until the next command
    return D_REDRAW;
}

int dbg_clear_log()
{
    clear_log();
    return D_REDRAW;
}

int dbg_written_by()
{
    info_address_mmu();
    return D_REDRAW;
}

int dbg_load_rom()
{
    menu_load_rom();
    return D_REDRAW;
}

int dbg_vdp_break()
{
    // The video RAM's addresses: a break beyond them would never fire.
    unsigned long address;
    std::string refusal = orv_parse_hex_address(breakpoint_str, TMS3556_VRAM_SIZE - 1, address);
    if (!refusal.empty()) {
        std::vector<std::string> lines = alert_lines(refusal, 2);
        app_alert("Set VDP break: no break was set.", lines[0], lines[1], "OK");
        return D_REDRAW;
    }
    char question[64];
    std::snprintf(question, sizeof question, "Set VDP breakpoint %04lx ?", address);
    app_modal_begin();
    // Esc answers the last button: Cancel, which sets nothing.
    int answer = alert3(question, nullptr, nullptr, "Read", "Write", "Cancel", 'y', 'n', 0);
    app_modal_end();
    if (answer == 1)
        set_bkpt_vdpread(address);
    else if (answer == 2)
        set_bkpt_vdpwrite(address);
    get_log_str(log_box, 65536);
    return D_REDRAW;
}

int dbg_clear_vdp_break()
{
    set_bkpt_vdpread(TMS3556_NO_BKPT);
    set_bkpt_vdpwrite(TMS3556_NO_BKPT);
    return D_REDRAW;
}

int dbg_preview()
{
    app_mouse(false);
    screen_show_preview();
    while (!key[KEY_SPACE]) {
        app_quit_if_asked();
        rest(10);
    }
    app_wait_release(KEY_SPACE);
    clear_keybuf();
    app_mouse_restore();
    return D_REDRAW;
}

int dbg_explorer()
{
    explorer_run();
    app_gui_colours(128, 128, 128, 200, 200, 200);
    return D_REDRAW;
}

int dbg_quit()
{
    // From Esc: the key is up before the question, so that it cannot answer it.
    app_wait_release(KEY_ESC);
    app_modal_begin();
    int answer = alert("Really Quit?", nullptr, nullptr, "&Yes", "&No", 'y', 'n');
    app_modal_end();
    return answer == 1 ? D_CLOSE : D_REDRAW;
}

int dbg_about()
{
    app_alert("Orvane integrated debugger: F7 step, F8 step over,",
              "B run to the address, R reset, C clear log, P written by,",
              "F4 load ROM, F9 continue, Esc quit; Break menu: A W L O U N H T S D", "OK");
    return D_REDRAW;
}

MENU commands_menu[] = {
    {const_cast<char *>("RESET"), dbg_reset, nullptr, 0, nullptr},
    {const_cast<char *>("Step \tF7"), dbg_step, nullptr, 0, nullptr},
    {const_cast<char *>("Step over\tF8"), dbg_stepover, nullptr, 0, nullptr},
    {const_cast<char *>("Go to breakpoint"), dbg_tobreak, nullptr, 0, nullptr},
    {const_cast<char *>("Set VDP break"), dbg_vdp_break, nullptr, 0, nullptr},
    {const_cast<char *>("Clear VDP break"), dbg_clear_vdp_break, nullptr, 0, nullptr},
    {const_cast<char *>("screen preview"), dbg_preview, nullptr, 0, nullptr},
    {const_cast<char *>("Load ROM\tF4"), dbg_load_rom, nullptr, 0, nullptr},
    {const_cast<char *>("Continue\tF9"), dbg_continue, nullptr, 0, nullptr},
    {const_cast<char *>("&Quit debugger\tESC"), dbg_quit, nullptr, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

MENU memory_menu[] = {
    {const_cast<char *>("memory explorer"), dbg_explorer, nullptr, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

MENU help_menu[] = {
    {const_cast<char *>("&About \tF1"), dbg_about, nullptr, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

MENU debugger_bar[] = {
    {const_cast<char *>("&Commands"), nullptr, commands_menu, 0, nullptr},
    {const_cast<char *>("Memory"), nullptr, memory_menu, 0, nullptr},
    {const_cast<char *>("&Break"), nullptr, nullptr, 0, nullptr},  // its entries: break_menu_items()
    {const_cast<char *>("&Help"), nullptr, help_menu, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

// A keyboard shortcut: an ASCII key or a scancode, and its command.
DIALOG shortcut(int ascii, int scancode, int (*command)())
{
    return {d_keyboard_proc, 0, 0, 0, 0, 0, 0, ascii, 0, scancode, 0, reinterpret_cast<void *>(command),
            nullptr, nullptr};
}

} // namespace

int app_close_watch_proc(int msg, DIALOG *, int)
{
    return msg == MSG_IDLE && app_close_asked() ? D_CLOSE : D_O_K;
}

bool debugger_dialog_run()
{
    app_gui_colours(128, 128, 128, 200, 200, 200);
    debugger_bar[2].child = break_menu_items();
    char title[] = "Orvane integrated debugger";
    DIALOG d[] = {
        {d_clear_proc, 0, 0, 640, 500, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_menu_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, debugger_bar, nullptr, nullptr},
        {d_text_proc, 0, 20, 480, 8, 0, 0, 0, 0, 0, 0, title, nullptr, nullptr},
        {break_disass_proc, 0, 30, 480, 160, 0, 0, 0, 0, 0, 0, disass_box, nullptr, nullptr},
        {d_textbox_proc, 0, 200, 480, 292, 0, 0, 0, 0, 0, 0, log_box, nullptr, nullptr},
        {d_textbox_proc, 488, 30, 144, 320, 0, 0, 0, 0, 0, 0, registers_box, nullptr, nullptr},
        {d_edit_proc, 488, 358, 144, 8, 0, 0, 0, 0, 6, 0, breakpoint_str, nullptr, nullptr},
        {d_textbox_proc, 488, 374, 144, 118, 0, 0, 0, 0, 0, 0, periph_box, nullptr, nullptr},
        shortcut(0, KEY_F7, dbg_step),
        shortcut(0, KEY_F8, dbg_stepover),
        shortcut('b', 0, dbg_tobreaknoconfirm),
        shortcut('r', 0, dbg_reset),
        shortcut('c', 0, dbg_clear_log),
        shortcut('p', 0, dbg_written_by),
        shortcut(0, KEY_F4, dbg_load_rom),
        shortcut(0, KEY_F1, dbg_about),
        shortcut(0, KEY_F9, dbg_continue),
        {break_keys_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        // Esc asks before it ends the program (the dialog manager would
        // close the dialog at once).
        shortcut(27, 0, dbg_quit),
        {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_yield_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(d, gui_fg_color, gui_bg_color);
    d[2].bg = app_white();
    position_dialog(d, 2, 2);

    refresh_debugger();
    continue_asked = false;
    // The debugger is laid out for a 640 x 500 window, whatever the
    // machine's window is; that comes back when the machine runs on.
    screen_room_begin(true);
    app_modal_begin();
    do_dialog(d, 3);
    app_mouse_restore();
    screen_room_end();
    screen_room_end();
    app_quit_if_asked();
    return continue_asked;
}
