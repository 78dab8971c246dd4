// The lockstep oracle on programs chosen by the fuzzer: the input's bytes
// are the generator's choices (tests/lockstep/generator.cpp), and the
// program runs on the fast path and on the reference path. Any difference
// between the two is a fault: the target stops with it and its program.
#include "fuzz_support.h"

#include "tests/lockstep/lockstep.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    lockstep_random r(data, size);
    lockstep_case c = lockstep_generate(r);
    std::string difference = lockstep_compare(c);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n%s\n", difference.c_str(), c.source.c_str());
        std::abort();
    }
    return 0;
}
