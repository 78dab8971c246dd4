#include "file_replace.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool writable_in_place(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode); }

// Every byte of `size` to `fd`; 0 or the errno of the failure.
int write_all(int fd, const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Opens the device or FIFO at `path` for writing as it stands: no creation,
// no truncation, no link followed. -1 with `why` set on failure.
int open_in_place(const std::string &path, std::string &why)
{
    int fd;
    do
        fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    // The name may have been replaced since it was looked at.
    struct stat st;
    if (fstat(fd, &st) != 0)
        why = std::strerror(errno);
    else if (!writable_in_place(st.st_mode))
        why = "Is no longer a device or FIFO";
    else
        return fd;
    close(fd);
    return -1;
}

// A new private temporary file beside `path`, with the mode a new file gets.
// The name is short whatever the target's: a legal long name stays legal.
int make_temp(const std::string &path, std::string &temp)
{
    size_t slash = path.rfind('/');
    temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".orvane-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return -1;
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0) {
        int e = errno;
        close(fd);
        std::remove(temp.c_str());
        errno = e;
        return -1;
    }
    return fd;
}

} // namespace

std::string orv_output_check(const std::string &path, bool &into)
{
    into = false;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        // A missing name is created; any other failure is the reason.
        return errno == ENOENT ? "" : std::strerror(errno);
    }
    if (S_ISREG(st.st_mode))
        return "";
    if (writable_in_place(st.st_mode)) {
        into = true;
        return "";
    }
    if (S_ISLNK(st.st_mode))
        return "Is a symbolic link";
    if (S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    if (S_ISSOCK(st.st_mode))
        return "Is a socket";
    if (S_ISBLK(st.st_mode))
        return "Is a block device";
    return "Is not a regular file";
}

std::string orv_replace_file(const std::string &path, const void *data, size_t size)
{
    bool into;
    std::string why = orv_output_check(path, into);
    if (!why.empty())
        return why;
    if (into) {
        int fd = open_in_place(path, why);
        if (fd < 0)
            return why;
        int error = write_all(fd, data, size);
        if (close(fd) != 0 && !error)
            error = errno;
        return error ? std::strerror(error) : "";
    }
    std::string temp;
    int fd = make_temp(path, temp);
    if (fd < 0)
        return std::strerror(errno);
    int error = write_all(fd, data, size);
    if (close(fd) != 0 && !error)
        error = errno;
    if (!error && std::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error) {
        std::remove(temp.c_str());
        return std::strerror(error);
    }
    return "";
}

std::string orv_output_begin(orv_output &o, const std::string &path)
{
    orv_output_discard(o);
    o = orv_output();
    o.path = path;
    std::string why = orv_output_check(path, o.into);
    if (!why.empty())
        return why;
    if (o.into) {
        // Unnamed: nothing is left behind whatever happens.
        o.f = std::tmpfile();
        return o.f ? "" : std::strerror(errno);
    }
    int fd = make_temp(path, o.temp);
    if (fd < 0)
        return std::strerror(errno);
    o.f = fdopen(fd, "wb+");
    if (!o.f) {
        int e = errno;
        close(fd);
        std::remove(o.temp.c_str());
        o.temp.clear();
        return std::strerror(e);
    }
    return "";
}

bool orv_output_write(orv_output &o, const void *data, size_t size)
{
    if (!o.f || o.error || std::ferror(o.f))
        return false;
    if (size && std::fwrite(data, 1, size, o.f) != size) {
        o.error = errno ? errno : EIO;
        return false;
    }
    return true;
}

std::string orv_output_commit(orv_output &o)
{
    if (!o.f)
        return std::strerror(EBADF);
    int error = o.error ? o.error : std::ferror(o.f) ? EIO : 0;
    if (std::fflush(o.f) != 0 && !error)
        error = errno;
    std::string why;
    if (!error && o.into) {
        // The bytes, from the start, into the device or FIFO.
        int fd = open_in_place(o.path, why);
        std::rewind(o.f);
        std::vector<char> block(1 << 16);
        while (fd >= 0 && !error) {
            size_t n = std::fread(block.data(), 1, block.size(), o.f);
            if (n == 0) {
                if (std::ferror(o.f))
                    error = EIO;
                break;
            }
            error = write_all(fd, block.data(), n);
        }
        if (fd >= 0 && close(fd) != 0 && !error)
            error = errno;
    }
    if (std::fclose(o.f) != 0 && !error)
        error = errno;
    o.f = nullptr;
    if (!error && !o.into && std::rename(o.temp.c_str(), o.path.c_str()) != 0)
        error = errno;
    if (error && !o.into)
        std::remove(o.temp.c_str());
    o.temp.clear();
    return error ? std::strerror(error) : why;
}

void orv_output_discard(orv_output &o)
{
    if (!o.f)
        return;
    std::fclose(o.f);
    o.f = nullptr;
    if (!o.temp.empty())
        std::remove(o.temp.c_str());
    o.temp.clear();
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
