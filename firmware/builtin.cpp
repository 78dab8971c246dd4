#include "firmware/builtin.h"

#include "core/memory.h"

#include <filesystem>
#include <system_error>

const char *const orv_builtin_notice = "built-in open firmware";

const char *orv_load_firmware(const char *directory, bool named, bool *builtin)
{
    if (builtin)
        *builtin = false;
    std::error_code error;
    if (named || (directory && std::filesystem::is_directory(directory, error)))
        return MemInit(directory);

    const char *message = MemInitImages(orv_builtin_bios7020, orv_builtin_bios7020_size, orv_builtin_7041b,
                                        orv_builtin_7041b_size);
    if (!message)
        message = orv_load_demo_cartridge();
    if (!message && builtin)
        *builtin = true;
    return message;
}

const char *orv_load_demo_cartridge()
{
    return RomLoadImage(orv_builtin_demo, orv_builtin_demo_size);
}
