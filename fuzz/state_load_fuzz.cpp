// Fuzz target for the state loader: whatever the bytes, a state is either
// refused (and the machine left as it was) or loads into a machine that
// runs. Built with clang's libFuzzer (see fuzz/CMakeLists.txt).
//
// The first input byte picks how the rest is used, so that the fuzzer gets
// past the checksum to the checks behind it:
//   0: the bytes are the file as is;
//   1: the bytes are the file, its checksum made right;
//   2: the bytes are patches to a good state, four bytes each (a 24-bit
//      offset and the byte to put there), the checksum then made right.
#include "core/host.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/state.h"
#include "core/state_hash.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> good_state;

void start_machine()
{
    orv_clear_globals();
    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    // Firmware of one instruction, a jump to itself, at 0xF800, where every
    // vector points: it runs, and its hashes are fixed.
    std::memset(rom_7020, 0x00, sizeof rom_7020);
    rom_7020[0] = 0xE0;  // JMP $
    rom_7020[1] = 0xFE;
    for (int v = 0x7F8; v < 0x800; v += 2) {
        rom_7020[v] = 0xF8;
        rom_7020[v + 1] = 0x00;
    }
    orv_cold_start();
    for (int i = 0; i < 3; i++)
        orv_loop(0xFFFF);
    good_state = orv_state_save();
}

void fix_checksum(std::vector<uint8_t> &file)
{
    if (file.size() < 4)
        return;
    uint32_t crc = orv_crc32(file.data(), file.size() - 4);
    for (int i = 0; i < 4; i++)
        file[file.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = (start_machine(), true);
    (void)started;
    if (size == 0)
        return 0;

    std::vector<uint8_t> file;
    switch (data[0] % 3) {
    case 0:
        file.assign(data + 1, data + size);
        break;
    case 1:
        file.assign(data + 1, data + size);
        fix_checksum(file);
        break;
    default:
        file = good_state;
        for (size_t at = 1; at + 4 <= size; at += 4) {
            size_t offset = (data[at] | data[at + 1] << 8 | data[at + 2] << 16) % file.size();
            file[offset] = data[at + 3];
        }
        fix_checksum(file);
        break;
    }

    // Every input starts from the good state.
    std::string note;
    if (!orv_state_load(file.data(), file.size(), note).empty()) {
        // Refused: not a byte of the machine may have changed.
        if (orv_state_save() != good_state)
            std::abort();
        return 0;
    }
    // Accepted: the machine runs from it, then goes back to the good state.
    orv_loop(0xFFFF);
    if (!orv_state_load(good_state.data(), good_state.size(), note).empty())
        std::abort();
    return 0;
}
