// The assembler on arbitrary source. Input: one byte of options (base,
// size and fill given or not), then the source text.
#include "fuzz_support.h"

#include "tools/asm/asm7000.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    if (size < 1)
        return 0;
    asm_options opt;
    if (data[0] & 1)
        opt.base = 0xF800;
    if (data[0] & 2)
        opt.size = (data[0] & 4) ? 2048 : 64;
    if (data[0] & 8)
        opt.fill = 0;
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    asm_result r = asm7000_assemble_text("fuzz.asm", text, opt);
    asm7000_depfile("fuzz.bin", r);
    // A result is either an image or errors, never both, never neither.
    if (r.ok != r.errors.empty() || r.ok == r.image.empty())
        __builtin_trap();
    return 0;
}
