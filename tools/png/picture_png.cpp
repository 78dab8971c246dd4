#include "picture_png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string orv_png_encode(const tms3556_picture &picture, int scale, std::vector<uint8_t> &png)
{
    if (scale < 1)
        return "bad scale";
    int width = TMS3556_WIDTH * scale, height = TMS3556_HEIGHT * scale;
    std::vector<uint8_t> rgb(3UL * width * height);
    tms3556_to_rgb24(picture, rgb.data(), 3 * width, scale);

    // The simplified writer stores no time stamp.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    bool ok = png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 3 * width, nullptr);
    if (ok) {
        png.resize(size);
        ok = png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 3 * width, nullptr);
    }
    if (!ok) {
        std::string why = image.message[0] ? image.message : "cannot encode the picture";
        png_image_free(&image);
        png.clear();
        return why;
    }
    png.resize(size);
    return "";
}

std::string orv_write_new_png(const std::string &path, const tms3556_picture &picture, int scale)
{
    std::vector<uint8_t> png;
    std::string why = orv_png_encode(picture, scale, png);
    if (!why.empty())
        return path + ": " + why;
    FILE *f = std::fopen(path.c_str(), "wbx");  // never over an existing file
    if (!f)
        return path + ": " + std::strerror(errno);
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        std::remove(path.c_str());
        return path + ": write error";
    }
    return "";
}
