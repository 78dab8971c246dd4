#include "fuzz_support.h"

#include "core/host.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

void fuzz_write_file(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

namespace {

void fuzz_copy_firmware()
{
    FILE *in = std::fopen(FUZZ_BOOT_FIRMWARE, "rb");
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", FUZZ_BOOT_FIRMWARE);
        std::abort();
    }
    uint8_t image[2048];
    size_t n = std::fread(image, 1, sizeof image, in);
    std::fclose(in);
    mkdir("bios", 0755);
    fuzz_write_file("bios/bios7020.bin", image, n);
    uint8_t io[4096] = {};
    fuzz_write_file("bios/7041b.bin", io, sizeof io);
}

} // namespace

void fuzz_enter_workdir()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    char dir[] = "/tmp/orvane-fuzz-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        std::abort();
    fuzz_copy_firmware();
}

void fuzz_start_machine(void (*key_poll)())
{
    fuzz_enter_workdir();
    orv_clear_globals();
    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    orv_host.key_poll = key_poll;
    if (MemInit("bios"))
        std::abort();
    orv_cold_start();
}

void fuzz_run_frames(int frames)
{
    for (int i = 0; i < frames; i++)
        orv_loop(0xFFFF);
}
