// The speech synthesizer on arbitrary data bytes: each byte goes into the
// FIFO and the synthesizer makes samples in between, as the I/O processor's
// speech clock would. Input: one byte, the samples made after each data byte
// (0 to 255), then the data bytes.
#include "fuzz_support.h"

#include "core/host.h"
#include "core/tms5220.h"

namespace {

long heard;

void listen(const unsigned char *block, int length)
{
    for (int i = 0; i < length; i++)
        heard += block[i];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    tms5220_clear_state();
    orv_host = {};
    orv_host.sound_block = listen;
    int per_byte = data[0];
    for (size_t i = 1; i < size; i++) {
        speech_write_data(data[i]);
        for (int s = 0; s < per_byte; s++)
            speech_do();
    }
    // Play out what the FIFO still holds.
    for (int s = 0; s < 40 * TMS5220_BLOCK_SAMPLES; s++)
        speech_do();
    return 0;
}
