// Helpers for the processor tests: direct access to the machine's storage by
// bus address (no bus side effects, no log lines) and program loading.
#pragma once

#include "core/memory.h"
#include "core/tms7000.h"

#include <cstdint>
#include <vector>

// Status register bits, short.
constexpr uint8_t fC = SR_C, fN = SR_N, fZ = SR_Z, fI = SR_I;
// Register and peripheral addresses on the bus.
constexpr uint16_t RA = 0x00, RB = 0x01;
constexpr uint16_t P(int n) { return static_cast<uint16_t>(0x100 + n); }

// The byte that stores bus address `a`: the register file, the peripheral
// file as stored, the cartridge, RAM or the internal ROM; null elsewhere.
inline uint8_t *cell(uint16_t a)
{
    if (a < 0x80)
        return &tms7000.rf[a];
    if (a >= 0x100 && a < 0x200)
        return &tms7000.pf[a - 0x100];
    if (a >= 0x200 && a < 0x8000)
        return &rom_cart[a];
    if (a >= 0xC000 && a < 0xC800)
        return &ram_2k[a - 0xC000];
    if (a >= 0xF800)
        return &rom_7020[a - 0xF800];
    return nullptr;
}

inline void poke(uint16_t a, uint8_t v) { *cell(a) = v; }
inline uint8_t peek(uint16_t a) { return *cell(a); }

inline void load(uint16_t a, const std::vector<uint8_t> &bytes)
{
    for (uint8_t b : bytes)
        poke(a++, b);
}

inline void set_vector(uint16_t vector, uint16_t target)
{
    poke(vector, static_cast<uint8_t>(target >> 8));
    poke(static_cast<uint16_t>(vector + 1), static_cast<uint8_t>(target));
}
