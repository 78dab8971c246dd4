// Cassette playback of arbitrary decoded recordings: any rate, sample
// format, sample size, channel count and length, played into a running
// machine. Input: rate (4 bytes, little-endian, any value), format, sample
// size, channels (one signed byte each), then the data.
#include "fuzz_support.h"

#include "core/cassette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 7)
        return 0;
    k7_audio_spec spec;
    spec.freq = static_cast<int>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
    spec.format = static_cast<k7_sample_format>(data[4] % 6);  // 5: a format no loader gives
    spec.sample_bytes = static_cast<int8_t>(data[5]);
    spec.channels = static_cast<int8_t>(data[6]);

    fuzz_start_machine(nullptr);
    orv_load_K7(spec, data + 7, static_cast<uint32_t>(size - 7));
    fuzz_run_frames(2);
    // A second recording while the first may still play.
    orv_load_K7(spec, data + 7 + (size - 7) / 2, static_cast<uint32_t>((size - 7) - (size - 7) / 2));
    fuzz_run_frames(1);
    return 0;
}
