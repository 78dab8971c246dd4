// The built-in firmware: Orvane's own open firmware and demo cartridge,
// assembled from firmware/*.asm and compiled into every program, so that a
// machine starts when the user has no firmware of the real machine.
#pragma once

// The images, as the files bios7020.bin, 7041b.bin and demo.rom hold them.
extern const unsigned char orv_builtin_bios7020[];
extern const unsigned long orv_builtin_bios7020_size;
extern const unsigned char orv_builtin_7041b[];
extern const unsigned long orv_builtin_7041b_size;
extern const unsigned char orv_builtin_demo[];
extern const unsigned long orv_builtin_demo_size;
// Their symbols, as `orvane-asm --symbols` writes them (core/symbols.h).
extern const unsigned char orv_builtin_bios7020_symbols[];
extern const unsigned long orv_builtin_bios7020_symbols_size;
extern const unsigned char orv_builtin_demo_symbols[];
extern const unsigned long orv_builtin_demo_symbols_size;

// What a program says once when it runs the built-in firmware (a line on
// standard error, or added to the window title).
extern const char *const orv_builtin_notice;

// Loads the firmware at start-up, in place of MemInit. The user's firmware
// directory is used when it exists, or whenever `named` says the user asked
// for it (a named directory that is missing is an error, as with MemInit);
// otherwise the built-in firmware is loaded, with the demo cartridge in the
// cartridge area, and `*builtin` (if given) becomes true. Returns null on
// success or MemInit's message. The firmware's symbols are loaded with it:
// the built-in ones, or bios7020.sym from the directory when it holds one.
const char *orv_load_firmware(const char *directory, bool named, bool *builtin);

// Loads the demo cartridge by the rules of RomLoad, with its symbols.
// Returns null or the message.
const char *orv_load_demo_cartridge();
