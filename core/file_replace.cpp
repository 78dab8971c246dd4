#include "file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string orv_replace_file(const std::string &path, const void *data, size_t size)
{
    // A short temporary name beside the file: a legal long name stays legal.
    size_t slash = path.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".orvane-XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return std::strerror(errno);
    // mkstemp makes the file private; give it the mode of a new file.
    mode_t mask = umask(0);
    umask(mask);
    int error = 0;
    if (fchmod(fd, 0666 & ~mask) != 0)
        error = errno;
    const char *p = static_cast<const char *>(data);
    for (size_t left = size; !error && left > 0;) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (close(fd) != 0 && !error)
        error = errno;
    if (!error && std::rename(name.data(), path.c_str()) != 0)
        error = errno;
    if (error) {
        std::remove(name.data());
        return std::strerror(error);
    }
    return "";
}

bool orv_same_file(const std::string &a, const std::string &b)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    auto where = [](const std::string &path) {
        size_t slash = path.rfind('/');
        std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        char *real = realpath(dir.c_str(), nullptr);
        std::string full = (real ? std::string(real) : dir) + "/" + name;
        std::free(real);
        return full;
    };
    return a == b || where(a) == where(b);
}
