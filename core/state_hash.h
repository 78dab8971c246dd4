// Checksums of the state file: CRC-32 over a whole file (catches damage),
// and a 64-bit FNV-1a hash that names an image (firmware, cartridge area,
// tape recording, a chip's saved bytes) without holding it.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 of the IEEE 802.3 polynomial (the one of zip and PNG).
uint32_t orv_crc32(const uint8_t *data, size_t size);

// FNV-1a, 64 bits. `seed` continues an earlier hash (pass its result).
constexpr uint64_t ORV_HASH_SEED = 0xcbf29ce484222325ULL;
uint64_t orv_hash64(const uint8_t *data, size_t size, uint64_t seed = ORV_HASH_SEED);
