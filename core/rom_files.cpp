#include "rom_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

std::string rom_file_warning(const std::string &path, long long want)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return "";
    if (S_ISDIR(st.st_mode))
        return path + " is a directory, not a " + std::to_string(want) + "-byte image; it loads as all 0xFF\n";
    long long size = st.st_size;
    if (size == want)
        return "";
    if (size < want)
        return path + " holds " + std::to_string(size) + " bytes, not " + std::to_string(want) +
               "; the rest of the image reads as 0xFF\n";
    return path + " holds " + std::to_string(size) + " bytes, not " + std::to_string(want) +
           "; only the first " + std::to_string(want) + " are loaded\n";
}

} // namespace

std::string orv_firmware_warnings(const char *directory)
{
    std::string dir = directory ? directory : "";
    return rom_file_warning(dir + "/bios7020.bin", 2048) + rom_file_warning(dir + "/7041b.bin", 4096);
}

std::string orv_open_reason(const char *path)
{
    FILE *f = std::fopen(path ? path : "", "rb");
    if (!f)
        return std::strerror(errno);
    std::fclose(f);
    return "";
}
