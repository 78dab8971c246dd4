#include "title_text.h"

namespace {

std::string file_part(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string title_text(const std::string &program, const std::string &cartridge, const std::string &tape)
{
    std::string title = program;
    for (const std::string *path : {&cartridge, &tape})
        if (!file_part(*path).empty())
            title += " - " + file_part(*path);
    return title;
}
