#include "screenshot.h"

#include "core/file_replace.h"
#include "tools/png/picture_png.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

std::string screenshot_free_name(const std::string &directory)
{
    for (int n = 0; n < 1000; n++) {
        char name[32];
        std::snprintf(name, sizeof name, "orvane-%03d.png", n);
        std::string path = directory.empty() ? name : directory + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 && errno == ENOENT)
            return path;
    }
    return "";
}

std::string screenshot_save(const tms3556_picture &picture, std::string &name)
{
    name = screenshot_free_name("");
    if (name.empty())
        return "orvane-000.png to orvane-999.png all exist";
    std::vector<uint8_t> png;
    std::string why = orv_png_encode(picture, 2, png);
    if (why.empty())
        why = orv_replace_file(name, png.data(), png.size());
    return why.empty() ? "" : name + ": " + why;
}
