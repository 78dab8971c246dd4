#include "text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

regular_file open_regular_file(const std::string &path, uint64_t max_bytes)
{
    regular_file f;
    f.fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (f.fd < 0) {
        f.why = std::strerror(errno);
        return f;
    }
    struct stat st;
    if (fstat(f.fd, &st) != 0) {
        f.why = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        f.why = std::strerror(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        f.not_regular = true;
        f.why = "not a regular file";
    } else {
        f.size = static_cast<uint64_t>(st.st_size);
        if (f.size > max_bytes) {
            f.too_large = true;
            f.why = "larger than " + std::to_string(max_bytes) + " bytes";
        }
    }
    if (!f.why.empty()) {
        close(f.fd);
        f.fd = -1;
    }
    return f;
}

std::string text_file_read(const std::string &path, size_t max_bytes, std::string &text)
{
    text.clear();
    regular_file f = open_regular_file(path, max_bytes);
    if (!f.why.empty())
        return f.not_regular || f.too_large ? "is " + f.why : f.why;
    int fd = f.fd;
    std::string why;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            break;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > max_bytes) {
            why = "is larger than " + std::to_string(max_bytes) + " bytes";
            break;
        }
    }
    close(fd);
    if (why.empty() && text.find('\0') != std::string::npos)
        why = "holds a NUL byte: not a text file";
    if (!why.empty())
        text.clear();
    return why;
}

std::string text_trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

void text_assignments(const std::string &text, const char *form, std::vector<std::string> &errors,
                      const std::function<void(const text_assignment &)> &each)
{
    size_t start = 0;
    for (int line_no = 1; start < text.size(); line_no++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        text_assignment a;
        a.raw = text.substr(start, end - start);
        start = end + 1;
        if (!a.raw.empty() && a.raw.back() == '\r')
            a.raw.pop_back();
        if (line_no == 1 && a.raw.rfind("\xEF\xBB\xBF", 0) == 0)
            a.raw = a.raw.substr(3);  // a byte-order mark
        std::string line = text_trim(a.raw);
        if (line.empty() || line[0] == '#')
            continue;
        a.where = "line " + std::to_string(line_no) + ": ";
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            errors.push_back(a.where + "no '=' (KEY = " + form + ")");
            continue;
        }
        a.key = text_trim(line.substr(0, eq));
        a.value = line.substr(eq + 1);
        each(a);
    }
}
