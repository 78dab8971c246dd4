// The headless runner's WAV path: an arbitrary file given as --cassette,
// decoded, checked and played for two frames.
#include "fuzz_support.h"

#include "tools/headless/headless.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    fuzz_write_file("tape.wav", data, size);
    static FILE *quiet = std::fopen("/dev/null", "w");
    hl_options opt;
    opt.cassette = "tape.wav";
    opt.frames = 2;
    hl_run(opt, quiet, quiet);
    return 0;
}
