#include "text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string text_file_read(const std::string &path, size_t max_bytes, std::string &text)
{
    text.clear();
    // Opened without waiting, so that a FIFO cannot hold the program up;
    // what was opened is then looked at, not the name again.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st;
    std::string why;
    if (fstat(fd, &st) != 0)
        why = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = std::strerror(EISDIR);
    else if (!S_ISREG(st.st_mode))
        why = "is not a regular file";
    else if (static_cast<unsigned long long>(st.st_size) > max_bytes)
        why = "is larger than " + std::to_string(max_bytes) + " bytes";
    if (!why.empty()) {
        close(fd);
        return why;
    }
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
