// The memory explorer's dialog: the Start and End fields, the listing, the
// menu of dumps (the texts and files are explorer_text's).
#include "alert_text.h"
#include "app.h"
#include "explorer_text.h"

#include "core/address_text.h"
#include "core/file_replace.h"
#include "core/symbols.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char listing[EXPLORER_LISTING_SIZE];
char start_text[8] = "0";
char end_text[8];
int dump_counter;  // the number the next dump tries first

void build_listing(unsigned long start)
{
    explorer_listing(start, listing, sizeof listing);
}

// An address of the Start or End field (hexadecimal, or a label of the
// symbols loaded), within the explorer's range (machine memory, then the
// video RAM from 10000 to 17FFF); on refusal an alert says why.
bool field_address(const char *field, const char *text, const char *outcome, unsigned long &value)
{
    std::string refusal = orv_read_address_field(text, EXPLORER_LAST_VRAM, value);
    if (refusal.empty())
        return true;
    std::vector<std::string> lines = alert_lines(refusal, 2);
    app_alert(std::string(field) + ": " + outcome, lines[0], lines[1], "OK");
    return false;
}

int explorer_redraw()
{
    unsigned long start;
    if (field_address("Start Address", start_text, "the listing is unchanged.", start))
        build_listing(start);
    return D_REDRAW;
}

int dump(explorer_dump_kind kind)
{
    unsigned long start, end;
    if (!field_address("Start Address", start_text, "nothing was written.", start) ||
        !field_address("End Address", end_text, "nothing was written.", end))
        return D_REDRAW;
    if (start > EXPLORER_LAST_MACHINE) {
        app_alert("Dump: the start lies beyond FFFF,", "outside machine memory.", "Nothing was written.", "OK");
        return D_REDRAW;
    }
    int n = explorer_next_dump_number(dump_counter);
    if (n < 0) {
        app_alert("Dump: cannot create", "a file: FILE000 to FILE99999 all exist", "", "OK");
        return D_REDRAW;
    }
    char name[32];
    std::snprintf(name, sizeof name, kind == EXPLORER_DUMP_BIN ? "FILE%03d.bin" : "FILE%03d.asm", n);
    // The dump is made in memory, then written as a whole.
    char *bytes = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&bytes, &size);
    if (!f) {
        app_alert("Dump: cannot create", name, std::strerror(errno), "OK");
        return D_REDRAW;
    }
    explorer_dump(f, kind, start, end);
    std::string error = std::fclose(f) == 0 ? orv_replace_file(name, bytes, size) : std::strerror(errno);
    std::free(bytes);
    if (!error.empty()) {
        std::vector<std::string> lines = alert_lines(error, 2);
        app_alert(std::string("Dump: cannot write ") + name, lines[0], lines[1], "OK");
        return D_REDRAW;
    }
    dump_counter = n + 1;
    app_alert("Dump written to", name, "", "OK");
    return D_REDRAW;
}

int dump_bin() { return dump(EXPLORER_DUMP_BIN); }
int dump_hex() { return dump(EXPLORER_DUMP_HEX); }
int dump_dasm() { return dump(EXPLORER_DUMP_DASM); }
int explorer_quit() { return D_CLOSE; }

MENU command_menu[] = {
    {const_cast<char *>("redraw"), explorer_redraw, nullptr, 0, nullptr},
    {const_cast<char *>("Dump BIN to disk"), dump_bin, nullptr, 0, nullptr},
    {const_cast<char *>("Dump HEX to disk"), dump_hex, nullptr, 0, nullptr},
    {const_cast<char *>("DASM to disk"), dump_dasm, nullptr, 0, nullptr},
    {const_cast<char *>("Quit"), explorer_quit, nullptr, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

MENU explorer_bar[] = {
    {const_cast<char *>("command"), nullptr, command_menu, 0, nullptr},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

} // namespace

void explorer_run()
{
    app_gui_colours(128, 200, 128, 200, 255, 200);
    char title[] = "VELD Memory explorer";
    char start_label[] = "Start Address:";
    char end_label[] = "End Address:";
    std::strcpy(start_text, "0");
    end_text[0] = 0;
    DIALOG d[] = {
        {d_clear_proc, 0, 0, 640, 500, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_menu_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, explorer_bar, nullptr, nullptr},
        {d_text_proc, 0, 20, 200, 8, 0, 0, 0, 0, 0, 0, title, nullptr, nullptr},
        {d_text_proc, 0, 30, 112, 8, 0, 0, 0, 0, 0, 0, start_label, nullptr, nullptr},
        {d_edit_proc, 112, 30, 56, 8, 0, 0, 0, 0, 6, 0, start_text, nullptr, nullptr},
        {d_text_proc, 200, 30, 112, 8, 0, 0, 0, 0, 0, 0, end_label, nullptr, nullptr},
        {d_edit_proc, 312, 30, 56, 8, 0, 0, 0, 0, 6, 0, end_text, nullptr, nullptr},
        {d_textbox_proc, 0, 40, 600, 310, 0, 0, 0, 0, 0, 0, listing, nullptr, nullptr},
        {app_close_watch_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_yield_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(d, gui_fg_color, gui_bg_color);
    for (int i : {2, 3, 5})
        d[i].bg = app_white();

    build_listing(0);
    app_modal_begin();
    do_dialog(d, 4);
    app_modal_end();
}
