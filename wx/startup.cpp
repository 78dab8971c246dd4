#include "startup.h"

#include "core/rom_files.h"

std::string firmware_failure_text(const std::string &directory, const char *message)
{
    std::string text = message ? message : "";
    std::string name = text.find("7041b") != std::string::npos ? "7041b.bin" : "bios7020.bin";
    std::string file = directory + "/" + name;
    // The loader's message names the default directory, "bios/".
    std::string usual = "bios/" + name;
    size_t at = text.find(usual);
    if (at != std::string::npos && (at == 0 || text[at - 1] == ' '))
        text.replace(at, usual.size(), file);
    else if (text.find(file) == std::string::npos)
        text += " (" + file + ")";
    std::string reason = orv_open_reason(file.c_str());
    if (!reason.empty())
        text += ": " + reason;
    return text;
}
