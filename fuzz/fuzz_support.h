// What the fuzz targets share: a working directory of their own, the boot
// firmware, and a machine started as the programs start it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Moves into a new directory below /tmp (once): the machine writes
// orvane_7041.bin and reads debug.lst in the current directory, and the
// targets write their files there.
void fuzz_enter_workdir();

// Writes `bytes` to the file `path`.
void fuzz_write_file(const std::string &path, const uint8_t *data, size_t size);

// Clears every core global, installs a host with the given key poll (may be
// null) and no other hook, loads the boot firmware (fuzz/cart_boot.asm:
// reset and traps lead to $6000) from ./bios and cold-starts the machine.
void fuzz_start_machine(void (*key_poll)());

// Runs `frames` frames in the frame style; a stop at a break request of the
// video watches runs on, as the headless runner does.
void fuzz_run_frames(int frames);
