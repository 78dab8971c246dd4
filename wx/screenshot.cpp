#include "screenshot.h"

#include "core/file_replace.h"
#include "tools/png/picture_png.h"

std::string screenshot_save(const tms3556_picture &picture, std::string &name)
{
    name = screenshot_free_name("");
    if (name.empty())
        return SCREENSHOTS_ALL_TAKEN;
    std::vector<uint8_t> png;
    std::string why = orv_png_encode(picture, 2, png);
    if (why.empty())
        why = orv_replace_file(name, png.data(), png.size());
    return why.empty() ? "" : name + ": " + why;
}
