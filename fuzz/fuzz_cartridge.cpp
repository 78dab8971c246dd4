// A random cartridge image, loaded as the programs load one, run from $6000
// for several frames while random key codes reach the I/O processor.
//
// Input: byte 0 picks the image size (8, 16, 31.5 or 32 KB), byte 1 the
// number of keys (0 to 15), then the key codes, then the image bytes, repeated
// to fill the image.
#include "fuzz_support.h"

#include "core/iocpu.h"
#include "core/loop.h"
#include "core/memory.h"

#include <cstdlib>
#include <vector>

namespace {

std::vector<uint8_t> keys;
size_t next_key;

void poll_key()
{
    if (next_key < keys.size())
        send_key(keys[next_key++]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    static const size_t sizes[] = {8192, 16384, 32256, 32768};
    size_t image_size = sizes[data[0] & 3];
    size_t key_count = data[1] & 15;
    if (size < 2 + key_count + 1)
        return 0;
    keys.assign(data + 2, data + 2 + key_count);
    next_key = 0;
    const uint8_t *code = data + 2 + key_count;
    size_t code_size = size - 2 - key_count;
    std::vector<uint8_t> image(image_size);
    for (size_t i = 0; i < image_size; i++)
        image[i] = code[i % code_size];

    fuzz_start_machine(poll_key);
    fuzz_write_file("cart.bin", image.data(), image.size());
    if (RomLoad("cart.bin"))
        std::abort();  // every size offered is one the machine loads
    orv_reset();
    fuzz_run_frames(6);
    return 0;
}
