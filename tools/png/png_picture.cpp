#include "png_picture.h"

#include <png.h>

#include <cstring>
#include <vector>

std::string orv_write_png(const std::string &path, const tms3556_picture &picture, int scale)
{
    if (scale < 1)
        return "bad scale";
    int width = TMS3556_WIDTH * scale, height = TMS3556_HEIGHT * scale;
    std::vector<uint8_t> rgb(3UL * width * height);
    tms3556_to_rgb24(picture, rgb.data(), 3 * width, scale);

    // The simplified writer stores no time stamp: the same picture gives the
    // same file.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 3 * width, nullptr)) {
        std::string why = image.message[0] ? image.message : "cannot write";
        png_image_free(&image);
        return path + ": " + why;
    }
    return "";
}
