#include "memory.h"

#include "board.h"
#include "debug_hooks.h"
#include "file_replace.h"
#include "loop.h"
#include "slice.h"
#include "symbols.h"
#include "tms7000.h"
#include "trace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

uint8_t rom_cart[32768];
uint8_t rom_7020[2048];
uint8_t ram_2k[2048];

// The 256-byte pages of the cartridge area, RAM and the internal ROM.
const program_page_table program_pages = [] {
    program_page_table t = {};
    for (unsigned page = 0x02; page < 0x80; page++)
        t.page[page] = rom_cart + page * 256;
    for (unsigned page = 0xC0; page < 0xC8; page++)
        t.page[page] = ram_2k + (page - 0xC0) * 256;
    for (unsigned page = 0xF8; page <= 0xFF; page++)
        t.page[page] = rom_7020 + (page - 0xF8) * 256;
    return t;
}();
uint8_t rom_7041[4096];
uint16_t p_pc;
uint16_t PC_ON_WRITE[65536];
trace_fn tf_program_read = {program_read_name, 0};
trace_fn tf_program_write = {program_write_name, 0};

namespace {

// Reads up to `max` bytes of a file; returns false when it cannot be opened.
bool read_file(const std::string &path, uint8_t *buffer, size_t max, size_t *got)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    *got = std::fread(buffer, 1, max, f);
    std::fclose(f);
    return true;
}

// Writes the rearranged I/O processor image to orvane_7041.bin in the
// current directory, by the rule of every output (file_replace.h): a
// regular file is replaced whole, a device written into, a symbolic link
// or anything else left alone. Any failure only means no copy.
void write_7041_copy()
{
    orv_replace_file("orvane_7041.bin", rom_7041, sizeof rom_7041);
}

} // namespace

namespace {

int program_read(long address)
{
    trace_fn &tf = tf_program_read;
    unsigned a = static_cast<unsigned>(address) & 0xFFFF;
    trace_enter(tf);
    if (a < 0x100)
        TRACE(tf, "Reading internal");

    if (a < 0x80)
        return tms7000_internal_r(a);
    if (a < 0x100) {
        TRACE_ALWAYS(tf, "Reading out of bound internal %04x", a);
        return 0xFF;
    }
    if (a < 0x200)
        return board_peripheral_read(tf, a);
    if (a < 0x8000) {
        int v = rom_cart[a];
        TRACE(tf, "Reading ROM1 %04x, got %02x", a, v);
        return v;
    }
    if (a >= 0xC000 && a < 0xC800) {
        int v = ram_2k[a - 0xC000];
        TRACE(tf, "Reading RAM %04x, got %02x", a, v);
        return v;
    }
    if (a >= 0xF800) {
        int v = rom_7020[a - 0xF800];
        TRACE(tf, "Reading ROM2 %04x, got %02x", a, v);
        return v;
    }
    TRACE_ALWAYS(tf, "Reading out of bound %x", a);
    return 0xFF;
}

void program_write(long address, unsigned char value)
{
    trace_fn &tf = tf_program_write;
    unsigned a = static_cast<unsigned>(address) & 0xFFFF;
    trace_enter(tf);
    TRACE(tf, "Called %04x=%02x", static_cast<unsigned>(address), value);
    PC_ON_WRITE[a] = p_pc;
    if (a < 0x100)
        TRACE(tf, "Writing internal");

    if (a < 0x80) {
        tms7000_internal_w(a, value);
    } else if (a < 0x100) {
        TRACE_ALWAYS(tf, "Writing out of bound internal");
    } else if (a < 0x200) {
        board_peripheral_write(tf, a, value);
    } else if (a < 0x8000) {
        TRACE_ALWAYS(tf, "Writing ROM1 %04x", a);
    } else if (program_is_ram(a)) {
        ram_w(a, value);
        TRACE(tf, "writing RAM %04x = %02x", a, value);
    } else if (a >= 0xF800) {
        TRACE_ALWAYS(tf, "writing ROM2 %04x", a);
    } else {
        TRACE_ALWAYS(tf, "Writing out of bound %x", a);
    }
}

} // namespace

// The port accesses of the fast path (memory.h) are taken first, in or out of a slice:
// they look at no counter and arm no timer, and only a break that a write
// watch requests ends a slice. Otherwise, inside a slice of the frame loop,
// devices and log lines see the loop's counters as they are, and the slice
// learns what the access changed.
int program_read_byte_8(long address)
{
    if (program_fast_port_a(static_cast<unsigned>(address) & 0xFFFF))
        return program_port_a_read_fast();
    if (!orv_slice_live) {
        const int v = program_read(address);
        if (orv_watch_armed)
            orv_watch_access(static_cast<unsigned>(address) & 0xFFFF, static_cast<unsigned>(v), false);
        return v;
    }
    orv_slice_sync();
    int v = program_read(address);
    orv_slice_check();
    return v;
}

void program_write_byte_8(long address, unsigned char value)
{
    const unsigned a = static_cast<unsigned>(address) & 0xFFFF;
    if (program_fast_port_write(a, value, orv_slice_live))
        return;
    if (!orv_slice_live) {
        program_write(address, value);
        if (orv_watch_armed)
            orv_watch_access(a, value, true);
        return;
    }
    orv_slice_sync();
    program_write(address, value);
    orv_slice_check();
}

int program_peek_byte_8(long address)
{
    unsigned a = static_cast<unsigned>(address) & 0xFFFF;
    if (a < 0x80)
        return tms7000.rf[a];
    if (a < 0x100)
        return 0xFF;
    if (a < 0x200)
        return board_peripheral_peek(a);
    if (a < 0x8000)
        return rom_cart[a];
    if (a >= 0xC000 && a < 0xC800)
        return ram_2k[a - 0xC000];
    if (a >= 0xF800)
        return rom_7020[a - 0xF800];
    return 0xFF;
}

unsigned short get_pc_write(unsigned short address) { return PC_ON_WRITE[address]; }

namespace {

// The cartridge area as the firmware loading leaves it: erased.
void erase_cartridge_area()
{
    std::memset(rom_cart + 0x200, 0xFF, sizeof rom_cart - 0x200);
}

// Places a cartridge image by its size. The size is checked before
// anything changes: an image that does not load leaves the cartridge area
// exactly as it was (the running program goes on). One that loads replaces
// the whole area, the bytes it does not cover erased.
const char *place_cartridge(trace_fn &tf, const uint8_t *image, size_t n)
{
    TRACE_ALWAYS(tf, "Rom size is %dKb", static_cast<int>(n / 1024));
    if (n != 8192 && n != 16384 && n != 32256 && n != 32768)
        return "Sorry, unknown rom size";
    erase_cartridge_area();
    switch (n) {
    case 8192: std::memcpy(rom_cart + 0x6000, image, 0x2000); break;
    case 16384: std::memcpy(rom_cart + 0x4000, image, 0x4000); break;
    case 32256: std::memcpy(rom_cart + 0x0200, image, 0x7E00); break;
    default: std::memcpy(rom_cart + 0x0200, image + 0x200, 0x7E00); break;
    }
    return nullptr;
}

// The processor's internal ROM. A short image is accepted; the rest of it
// reads as erased ROM.
void place_7020(const uint8_t *image, size_t n)
{
    std::memset(rom_7020, 0xFF, sizeof rom_7020);
    std::memcpy(rom_7020, image, std::min(n, sizeof rom_7020));
}

// The I/O processor's image is kept with its two middle 1 KB blocks
// exchanged, and written out in that order for whoever wants to look at it.
void place_7041(const uint8_t *data, size_t n)
{
    uint8_t image[4096];
    std::memset(image, 0xFF, sizeof image);
    std::memcpy(image, data, std::min(n, sizeof image));
    std::memcpy(rom_7041, image, 0x400);
    std::memcpy(rom_7041 + 0x400, image + 0x800, 0x400);
    std::memcpy(rom_7041 + 0x800, image + 0x400, 0x400);
    std::memcpy(rom_7041 + 0xC00, image + 0xC00, 0x400);

    write_7041_copy();
}

} // namespace

const char *RomLoad(const char *path)
{
    static trace_fn tf = {"RomLoad()", 0};
    trace_enter(tf);
    TRACE(tf, "Called");

    std::vector<uint8_t> scratch(65536);
    size_t n = 0;
    if (!path || !read_file(path, scratch.data(), 32768, &n))
        return "fatal error cannot open rom";
    const char *message = place_cartridge(tf, scratch.data(), n);
    if (!message) {
        orv_symbols_for_cartridge(path);
        orv_history_restart();
    }
    return message;
}

const char *RomLoadImage(const uint8_t *image, size_t size)
{
    static trace_fn tf = {"RomLoad()", 0};
    trace_enter(tf);
    TRACE(tf, "Called");
    // As from a file: no more than 32 KB is read.
    const char *message = place_cartridge(tf, image, std::min<size_t>(size, 32768));
    if (!message) {
        orv_symbols_clear(ORV_SYMBOLS_CARTRIDGE);
        orv_history_restart();
    }
    return message;
}

const char *MemInit(const char *directory)
{
    static trace_fn tf = {"MemInit()", 0};
    trace_enter(tf);
    TRACE(tf, "Called");
    erase_cartridge_area();
    std::string dir = directory ? directory : "";

    uint8_t image[4096];
    size_t n = 0;
    if (!read_file(dir + "/bios7020.bin", image, sizeof rom_7020, &n))
        return "fatal error needs file bios/bios7020.bin";
    place_7020(image, n);
    if (!read_file(dir + "/7041b.bin", image, sizeof rom_7041, &n))
        return "fatal error needs file bios/7041b.bin";
    place_7041(image, n);
    orv_symbols_for_firmware(dir);
    orv_symbols_clear(ORV_SYMBOLS_CARTRIDGE);
    orv_history_restart();
    return nullptr;
}

const char *MemInitImages(const uint8_t *bios7020, size_t bios7020_size, const uint8_t *rom7041,
                          size_t rom7041_size)
{
    static trace_fn tf = {"MemInit()", 0};
    trace_enter(tf);
    TRACE(tf, "Called");
    erase_cartridge_area();
    place_7020(bios7020, bios7020_size);
    place_7041(rom7041, rom7041_size);
    orv_symbols_clear(ORV_SYMBOLS_FIRMWARE);
    orv_symbols_clear(ORV_SYMBOLS_CARTRIDGE);
    orv_history_restart();
    return nullptr;
}

void memory_clear_state()
{
    std::memset(rom_cart, 0, sizeof rom_cart);
    std::memset(rom_7020, 0, sizeof rom_7020);
    std::memset(ram_2k, 0, sizeof ram_2k);
    std::memset(rom_7041, 0, sizeof rom_7041);
    p_pc = 0;
    std::memset(PC_ON_WRITE, 0, sizeof PC_ON_WRITE);
}
