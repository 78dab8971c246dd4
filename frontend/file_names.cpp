#include "file_names.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

std::string in(const std::string &directory, const char *name)
{
    return directory.empty() ? name : directory + "/" + name;
}

} // namespace

bool file_name_free(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string screenshot_free_name(const std::string &directory)
{
    for (int n = 0; n < 1000; n++) {
        char name[32];
        std::snprintf(name, sizeof name, "orvane-%03d.png", n);
        std::string path = in(directory, name);
        if (file_name_free(path))
            return path;
    }
    return "";
}

int dump_free_number(const std::string &directory, int from)
{
    for (int n = from < 0 ? 0 : from; n < 100000; n++) {
        char bin[32], asm_[32];
        std::snprintf(bin, sizeof bin, "FILE%03d.bin", n);
        std::snprintf(asm_, sizeof asm_, "FILE%03d.asm", n);
        if (file_name_free(in(directory, bin)) && file_name_free(in(directory, asm_)))
            return n;
    }
    return -1;
}
