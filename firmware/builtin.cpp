#include "firmware/builtin.h"

#include "core/memory.h"
#include "core/symbols.h"

#include <filesystem>
#include <string>
#include <vector>
#include <system_error>

const char *const orv_builtin_notice = "built-in open firmware";

namespace {

void put_builtin_symbols(orv_symbol_set set, const unsigned char *text, unsigned long size, const char *name)
{
    std::vector<orv_symbol> symbols;
    std::vector<std::string> problems;
    orv_symbols_parse(std::string(reinterpret_cast<const char *>(text), size), name, symbols, problems);
    orv_symbols_put(set, std::move(symbols), name);
}

} // namespace

const char *orv_load_firmware(const char *directory, bool named, bool *builtin)
{
    if (builtin)
        *builtin = false;
    std::error_code error;
    if (named || (directory && std::filesystem::is_directory(directory, error)))
        return MemInit(directory);

    const char *message = MemInitImages(orv_builtin_bios7020, orv_builtin_bios7020_size, orv_builtin_7041b,
                                        orv_builtin_7041b_size);
    if (!message) {
        put_builtin_symbols(ORV_SYMBOLS_FIRMWARE, orv_builtin_bios7020_symbols, orv_builtin_bios7020_symbols_size,
                            "built-in bios7020.sym");
        message = orv_load_demo_cartridge();
    }
    if (!message && builtin)
        *builtin = true;
    return message;
}

const char *orv_load_demo_cartridge()
{
    const char *message = RomLoadImage(orv_builtin_demo, orv_builtin_demo_size);
    if (!message)
        put_builtin_symbols(ORV_SYMBOLS_CARTRIDGE, orv_builtin_demo_symbols, orv_builtin_demo_symbols_size,
                            "built-in demo.sym");
    return message;
}
