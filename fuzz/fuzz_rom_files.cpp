// MemInit and RomLoad on random files: firmware images and a cartridge of
// any size and content. Input: two bytes give the first firmware file's
// length, two more the second's; the rest is the cartridge.
#include "fuzz_support.h"

#include "core/machine.h"
#include "core/memory.h"
#include "core/rom_files.h"

#include <algorithm>
#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    if (size < 4)
        return 0;
    size_t n7020 = std::min<size_t>(data[0] | data[1] << 8, size - 4);
    size_t n7041 = std::min<size_t>(data[2] | data[3] << 8, size - 4 - n7020);
    const uint8_t *p = data + 4;
    mkdir("fw", 0755);
    fuzz_write_file("fw/bios7020.bin", p, n7020);
    fuzz_write_file("fw/7041b.bin", p + n7020, n7041);
    fuzz_write_file("cart.bin", p + n7020 + n7041, size - 4 - n7020 - n7041);

    orv_clear_globals();
    MemInit("fw");
    orv_firmware_warnings("fw");
    RomLoad("cart.bin");
    // Every byte of the cartridge area through the bus.
    int sum = 0;
    for (long a = 0x200; a < 0x8000; a++)
        sum += program_read_byte_8(a);
    return sum < 0;
}
