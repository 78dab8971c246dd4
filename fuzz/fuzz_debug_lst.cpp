// Arbitrary debug.lst contents: the list is read, traced functions decide
// their flags against it, and the log is read back into buffers of every
// kind of size.
#include "fuzz_support.h"

#include "core/machine.h"
#include "core/memory.h"
#include "core/trace.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    fuzz_write_file("debug.lst", data, size);
    orv_clear_globals();
    // Gated and ungated lines of the bus, the ports and the loader.
    MemInit("bios");
    for (int i = 0; i < 40; i++) {
        program_write_byte_8(0xC000 + i, static_cast<unsigned char>(i));
        program_read_byte_8(0xC000 + i);
        program_read_byte_8(0x8000 + i);
        io_write_byte_8(1, static_cast<unsigned char>(i));
    }
    static std::vector<char> buffer(65536);
    for (int room : {1, 2, 40, 300, 65536})
        get_log_str(buffer.data(), room);
    clear_log_str();
    return 0;
}
