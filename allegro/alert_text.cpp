#include "alert_text.h"

namespace {

void wrap_line(const std::string &line, size_t width, std::vector<std::string> &out)
{
    std::string current;
    size_t at = 0;
    while (at < line.size()) {
        size_t blank = line.find(' ', at);
        std::string word = line.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
        at = blank == std::string::npos ? line.size() : blank + 1;
        if (word.empty())
            continue;
        while (word.size() > width) {
            if (!current.empty()) {
                out.push_back(current);
                current.clear();
            }
            out.push_back(word.substr(0, width));
            word.erase(0, width);
        }
        if (current.empty())
            current = word;
        else if (current.size() + 1 + word.size() <= width)
            current += " " + word;
        else {
            out.push_back(current);
            current = word;
        }
    }
    if (!current.empty())
        out.push_back(current);
}

} // namespace

std::vector<std::string> alert_wrap(const std::string &text, size_t width)
{
    std::vector<std::string> out;
    if (width == 0)
        return out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t nl = text.find('\n', at);
        wrap_line(text.substr(at, nl == std::string::npos ? std::string::npos : nl - at), width, out);
        if (nl == std::string::npos)
            break;
        at = nl + 1;
    }
    return out;
}

std::vector<std::string> alert_lines(const std::string &text, size_t count, size_t width)
{
    std::vector<std::string> lines = alert_wrap(text, width);
    if (lines.size() > count && count > 0) {
        lines.resize(count);
        std::string &last = lines.back();
        if (last.size() + 3 > width)
            last.resize(width > 3 ? width - 3 : 0);
        last += "...";
    }
    lines.resize(count);
    return lines;
}
