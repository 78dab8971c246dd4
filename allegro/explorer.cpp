// The memory explorer: a listing of machine memory and video RAM, and dumps
// of a range of machine memory to numbered files. Everything is read with
// tracing suppressed and through the bus's quiet read, so that looking at
// the video processor's ports does not move its pointers.
#include "app.h"

#include "core/dasm7000.h"
#include "core/memory.h"
#include "core/tms3556.h"
#include "core/trace.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr size_t LISTING_SIZE = 256 * 1024;
constexpr unsigned long LAST_MACHINE = 0xFFFF;
constexpr unsigned long LAST_VRAM = 0x17FFF;  // video RAM shown at 0x10000 on

char listing[LISTING_SIZE];
char start_text[8] = "0";
char end_text[8];
int dump_counter;  // the number the next dump tries first

// A byte of the explorer's address space.
unsigned char explorer_byte(unsigned long address)
{
    if (address <= LAST_MACHINE)
        return static_cast<unsigned char>(program_peek_byte_8(static_cast<long>(address)));
    return get_vram(static_cast<int>(address & 0xFFFF));
}

// Sixteen bytes a line: the address, eight big-endian words, the bytes as
// characters. A line whose data repeats the line before becomes "*" once.
void build_listing(unsigned long start)
{
    if (start < 0x200)
        start = 0x200;  // never the register file or the peripheral file
    no_trace();
    size_t used = 0;
    listing[0] = 0;
    char prev[128] = "", line[128];
    bool starred = false;
    for (unsigned long a = start; a - start < 0x20000 && a <= LAST_VRAM; a += 16) {
        unsigned char b[16];
        for (int i = 0; i < 16; i++)
            b[i] = a + i <= LAST_VRAM ? explorer_byte(a + i) : 0;
        int n = std::snprintf(line, sizeof line, "%04lx ", a);
        int data_at = n;
        for (int i = 0; i < 16; i += 2)
            n += std::snprintf(line + n, sizeof line - n, "%04x ", b[i] << 8 | b[i + 1]);
        for (int i = 0; i < 16; i++)
            line[n++] = b[i] >= 0x20 && b[i] <= 0x7F ? static_cast<char>(b[i]) : '.';
        line[n++] = '\n';
        line[n] = 0;
        // Compared from after the address, so that a difference in the
        // first byte is never hidden.
        const char *text = line;
        if (std::strcmp(line + data_at, prev) == 0) {
            if (starred)
                continue;
            text = "*\n";
            starred = true;
        } else {
            starred = false;
            std::strcpy(prev, line + data_at);
        }
        size_t len = std::strlen(text);
        if (used + len + 1 > LISTING_SIZE)
            break;
        std::memcpy(listing + used, text, len + 1);
        used += len;
    }
    restore_trace();
}

int explorer_redraw()
{
    unsigned long start;
    if (!app_parse_hex(start_text, start)) {
        app_alert("Start Address: no hexadecimal address", "The listing is unchanged.", "", "OK");
        return D_REDRAW;
    }
    build_listing(start);
    return D_REDRAW;
}

// The next dump number not used by a file of either kind, from the counter
// on: a dump never overwrites an earlier one, from this run or another.
int next_dump_number()
{
    char bin[32], asm_[32];
    for (int n = dump_counter; n < 100000; n++) {
        std::snprintf(bin, sizeof bin, "FILE%03d.bin", n);
        std::snprintf(asm_, sizeof asm_, "FILE%03d.asm", n);
        if (access(bin, F_OK) != 0 && access(asm_, F_OK) != 0)
            return n;
    }
    return -1;
}

enum dump_kind { DUMP_BIN, DUMP_HEX, DUMP_DASM };

// Machine addresses from start to end inclusive, never beyond 0xFFFF; a
// start above the end still writes one byte or one instruction.
void dump_range(FILE *f, dump_kind kind, unsigned long start, unsigned long end)
{
    unsigned long a = start;
    int column = 0;
    do {
        if (kind == DUMP_DASM) {
            char text[128];
            int len = Dasm7000(text, static_cast<unsigned>(a));
            std::fprintf(f, "%04lx   ", a);
            for (int i = 0; i < 6; i++) {
                if (i < len)
                    std::fprintf(f, "%02X ", explorer_byte((a + i) & 0xFFFF));
                else
                    std::fputs("   ", f);
            }
            std::fprintf(f, "%s\n", text);
            a += static_cast<unsigned long>(len > 0 ? len : 1);
            continue;
        }
        unsigned char b = explorer_byte(a);
        if (kind == DUMP_BIN) {
            std::fputc(b, f);
        } else {
            if (column == 0)
                std::fprintf(f, "%04lx   ", a);
            std::fprintf(f, "%02x ", b);
            if (++column == 16) {
                std::fputc('\n', f);
                column = 0;
            }
        }
        a++;
    } while (a <= end && a <= LAST_MACHINE);
    if (column)
        std::fputc('\n', f);
}

int dump(dump_kind kind)
{
    unsigned long start, end;
    if (!app_parse_hex(start_text, start) || !app_parse_hex(end_text, end)) {
        app_alert("Dump: Start and End Address need", "hexadecimal addresses.", "Nothing was written.", "OK");
        return D_REDRAW;
    }
    if (start > LAST_MACHINE) {
        app_alert("Dump: the start lies beyond FFFF,", "outside machine memory.", "Nothing was written.", "OK");
        return D_REDRAW;
    }
    int n = next_dump_number();
    char name[32];
    std::snprintf(name, sizeof name, kind == DUMP_BIN ? "FILE%03d.bin" : "FILE%03d.asm", n);
    FILE *f = n >= 0 ? std::fopen(name, kind == DUMP_BIN ? "wb" : "w") : nullptr;
    if (!f) {
        app_alert("Dump: cannot create", n >= 0 ? name : "a file: FILE000 to FILE99999 all exist", "", "OK");
        return D_REDRAW;
    }
    dump_counter = n + 1;
    no_trace();
    dump_range(f, kind, start, end);
    restore_trace();
    bool ok = std::fclose(f) == 0;
    app_alert(ok ? "Dump written to" : "Dump: write error in", name, "", "OK");
    return D_REDRAW;
}

int dump_bin() { return dump(DUMP_BIN); }
int dump_hex() { return dump(DUMP_HEX); }
int dump_dasm() { return dump(DUMP_DASM); }
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
