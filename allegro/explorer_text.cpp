#include "explorer_text.h"

#include "core/dasm7000.h"
#include "core/memory.h"
#include "core/tms3556.h"
#include "core/trace.h"

#include <cstring>
#include <sys/stat.h>

namespace {

unsigned char explorer_byte(unsigned long address)
{
    if (address <= EXPLORER_LAST_MACHINE)
        return static_cast<unsigned char>(program_peek_byte_8(static_cast<long>(address)));
    return get_vram(static_cast<int>(address & 0xFFFF));
}

} // namespace

void explorer_listing(unsigned long start, char *out, size_t size)
{
    if (start < 0x200)
        start = 0x200;
    no_trace();
    size_t used = 0;
    out[0] = 0;
    char prev[128] = "", line[128];
    bool starred = false;
    for (unsigned long a = start; a - start < 0x20000 && a <= EXPLORER_LAST_VRAM; a += 16) {
        unsigned char b[16];
        for (int i = 0; i < 16; i++)
            b[i] = a + i <= EXPLORER_LAST_VRAM ? explorer_byte(a + i) : 0;
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
        if (used + len + 1 > size)
            break;
        std::memcpy(out + used, text, len + 1);
        used += len;
    }
    restore_trace();
}

void explorer_dump(FILE *f, explorer_dump_kind kind, unsigned long start, unsigned long end)
{
    no_trace();
    unsigned long a = start;
    int column = 0;
    do {
        if (kind == EXPLORER_DUMP_DASM) {
            char text[128];
            int len = dasm7000_peek(text, static_cast<unsigned>(a));
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
        if (kind == EXPLORER_DUMP_BIN) {
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
    } while (a <= end && a <= EXPLORER_LAST_MACHINE);
    if (column)
        std::fputc('\n', f);
    restore_trace();
}

int explorer_next_dump_number(int from)
{
    char bin[32], asm_[32];
    for (int n = from < 0 ? 0 : from; n < 100000; n++) {
        std::snprintf(bin, sizeof bin, "FILE%03d.bin", n);
        std::snprintf(asm_, sizeof asm_, "FILE%03d.asm", n);
        struct stat st;
        if (lstat(bin, &st) != 0 && lstat(asm_, &st) != 0)
            return n;
    }
    return -1;
}
