// The memory explorer's texts and files, apart from its dialog: the listing
// of machine memory and video RAM, the three dumps and their file numbers.
// Everything is read through the bus's quiet read with tracing suppressed,
// so that looking at memory changes nothing (the video processor's ports
// keep their pointers).
#pragma once

#include <cstddef>
#include <cstdio>

constexpr size_t EXPLORER_LISTING_SIZE = 256 * 1024;
constexpr unsigned long EXPLORER_LAST_MACHINE = 0xFFFF;
constexpr unsigned long EXPLORER_LAST_VRAM = 0x17FFF;  // video RAM shown from 0x10000 on

// Sixteen bytes a line from `start` (raised to 0x200: the register and
// peripheral files are never read): "%04x " address, eight big-endian words
// "%04x ", the bytes as characters (0x20 to 0x7F as themselves, others "."). A
// line whose data repeats the line before becomes "*" once, further repeats
// are left out. Ends after 0x20000 bytes, after 0x17FFF, or when the next
// line would not fit into `size` bytes (NUL included).
void explorer_listing(unsigned long start, char *out, size_t size);

enum explorer_dump_kind { EXPLORER_DUMP_BIN, EXPLORER_DUMP_HEX, EXPLORER_DUMP_DASM };

// Machine addresses from `start` to `end` inclusive, never beyond 0xFFFF; a
// start above the end still gives one byte or one instruction. Binary: the
// bytes. Hexadecimal: lines of "%04x   " and 16 "%02x ". Disassembly:
// "%04x   ", the instruction's bytes "%02X " in six columns, its text.
void explorer_dump(FILE *f, explorer_dump_kind kind, unsigned long start, unsigned long end);

// The first number from `from` on for which neither FILE%03d.bin nor
// FILE%03d.asm is in the current directory (a link to nothing counts as
// there); -1 when none is free below 100000.
int explorer_next_dump_number(int from);
