// Writing outputs: regular files are replaced whole, devices and FIFOs are
// written into and never replaced, links and everything else are refused.
// The device cases use nodes made in the test's own directory, so that a
// fault can never touch the system's /dev.
#include "test_support.h"

#include "core/file_replace.h"
#include "tools/headless/headless.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

mode_t kind_of(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

class FileReplaceTest : public CoreTest {
protected:
    // A null and a full device of our own (the system's /dev/null and
    // /dev/full, major 1, minors 3 and 7).
    static bool make_devices()
    {
        return mknod("null", S_IFCHR | 0666, makedev(1, 3)) == 0 && mknod("full", S_IFCHR | 0666, makedev(1, 7)) == 0;
    }

    // Reads everything a FIFO gets, in another thread, until its writer closes it.
    struct fifo_reader {
        std::string got;
        std::thread thread;
        explicit fifo_reader(const std::string &path)
            : thread([this, path] {
                  int fd = open(path.c_str(), O_RDONLY);
                  char buffer[4096];
                  for (ssize_t n; fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0;)
                      got.append(buffer, static_cast<size_t>(n));
                  if (fd >= 0)
                      close(fd);
              })
        {
        }
        std::string wait()
        {
            thread.join();
            return got;
        }
    };

    int command(const std::string &args)
    {
        std::string cmd = std::string(ORVANE_HEADLESS_COMMAND) + " " + args + " >out.txt 2>err.txt";
        int rc = std::system(cmd.c_str());
        err = read_file("err.txt");
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::string err;
};

} // namespace

TEST_F(FileReplaceTest, RegularFilesAreReplacedWholeAndMissingOnesMade)
{
    EXPECT_EQ(orv_replace_file("new.bin", "abc", 3), "");
    EXPECT_EQ(read_file("new.bin"), "abc");
    write_file("old.bin", "a much longer old content");
    EXPECT_EQ(orv_replace_file("old.bin", "xy", 2), "");
    EXPECT_EQ(read_file("old.bin"), "xy");
    EXPECT_EQ(orv_replace_file("no/dir/x.bin", "xy", 2), "No such file or directory");
    write_file("plain", "keep");
    EXPECT_EQ(orv_replace_file("plain/x.bin", "xy", 2), "Not a directory");
    EXPECT_EQ(read_file("plain"), "keep");
    EXPECT_EQ(std::system("ls -a | grep -q '^\\.orvane-'"), 256);  // no temporary file left
}

TEST_F(FileReplaceTest, LinksDirectoriesSocketsAndBlockDevicesAreRefused)
{
    write_file("target", "user data");
    ASSERT_EQ(symlink("target", "link"), 0);
    ASSERT_EQ(symlink("nowhere", "dangling"), 0);
    EXPECT_EQ(orv_replace_file("link", "x", 1), "Is a symbolic link");
    EXPECT_EQ(orv_replace_file("dangling", "x", 1), "Is a symbolic link");
    EXPECT_EQ(read_file("target"), "user data");
    EXPECT_EQ(kind_of("link"), S_IFLNK);
    EXPECT_EQ(kind_of("nowhere"), 0u);  // not created through the link

    ASSERT_EQ(mkdir("dir", 0755), 0);
    EXPECT_EQ(orv_replace_file("dir", "x", 1), "Is a directory");
    EXPECT_EQ(kind_of("dir"), S_IFDIR);

    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "sock");
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    EXPECT_EQ(orv_replace_file("sock", "x", 1), "Is a socket");
    EXPECT_EQ(kind_of("sock"), S_IFSOCK);
    close(s);

    // A loop device's node, never opened.
    if (mknod("block", S_IFBLK | 0600, makedev(7, 0)) == 0) {
        EXPECT_EQ(orv_replace_file("block", "x", 1), "Is a block device");
        EXPECT_EQ(kind_of("block"), S_IFBLK);
    }

    orv_output o;
    EXPECT_EQ(orv_output_begin(o, "link"), "Is a symbolic link");
    EXPECT_EQ(o.f, nullptr);
    EXPECT_EQ(std::system("ls -a | grep -q '^\\.orvane-'"), 256);
}

TEST_F(FileReplaceTest, DevicesAreWrittenIntoAndStayDevices)
{
    if (!make_devices())
        GTEST_SKIP() << "device nodes cannot be made here: " << std::strerror(errno);
    EXPECT_EQ(orv_replace_file("null", "abc", 3), "");
    EXPECT_EQ(kind_of("null"), S_IFCHR);
    EXPECT_EQ(orv_replace_file("full", "abc", 3), "No space left on device");
    EXPECT_EQ(kind_of("full"), S_IFCHR);
    bool into = false;
    EXPECT_EQ(orv_output_check("null", into), "");
    EXPECT_TRUE(into);

    // Written piece by piece, then copied in at the end.
    orv_output o;
    ASSERT_EQ(orv_output_begin(o, "full"), "");
    EXPECT_TRUE(o.into);
    EXPECT_TRUE(orv_output_write(o, "header", 6));
    EXPECT_EQ(orv_output_commit(o), "No space left on device");
    ASSERT_EQ(orv_output_begin(o, "null"), "");
    EXPECT_TRUE(orv_output_write(o, "header", 6));
    EXPECT_EQ(orv_output_commit(o), "");
    EXPECT_EQ(kind_of("null"), S_IFCHR);
    EXPECT_EQ(kind_of("full"), S_IFCHR);
    EXPECT_EQ(std::system("ls -a | grep -q '^\\.orvane-'"), 256);
}

TEST_F(FileReplaceTest, AFifoGetsTheBytesAndStaysAFifo)
{
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    {
        fifo_reader reader("pipe");
        EXPECT_EQ(orv_replace_file("pipe", "one shot", 8), "");
        EXPECT_EQ(reader.wait(), "one shot");
    }
    {
        // A file whose start is written last, as a WAV header is.
        fifo_reader reader("pipe");
        orv_output o;
        ASSERT_EQ(orv_output_begin(o, "pipe"), "");
        std::string body(100000, 'b');
        EXPECT_TRUE(orv_output_write(o, "....", 4));
        EXPECT_TRUE(orv_output_write(o, body.data(), body.size()));
        ASSERT_EQ(std::fseek(o.f, 0, SEEK_SET), 0);
        EXPECT_TRUE(orv_output_write(o, "HEAD", 4));
        EXPECT_EQ(orv_output_commit(o), "");
        EXPECT_EQ(reader.wait(), "HEAD" + body);
    }
    EXPECT_EQ(kind_of("pipe"), S_IFIFO);
}

TEST_F(FileReplaceTest, AStreamedOutputReplacesOnlyWhenCommitted)
{
    write_file("out.wav", "old");
    orv_output o;
    ASSERT_EQ(orv_output_begin(o, "out.wav"), "");
    EXPECT_FALSE(o.into);
    EXPECT_TRUE(orv_output_write(o, "new", 3));
    orv_output_discard(o);
    EXPECT_EQ(read_file("out.wav"), "old");
    ASSERT_EQ(orv_output_begin(o, "out.wav"), "");
    EXPECT_TRUE(orv_output_write(o, "new!", 4));
    EXPECT_EQ(orv_output_commit(o), "");
    EXPECT_EQ(read_file("out.wav"), "new!");
    EXPECT_EQ(std::system("ls -a | grep -q '^\\.orvane-'"), 256);
}

TEST_F(FileReplaceTest, TheRunnersOutputsFollowTheRule)
{
    if (!make_devices())
        GTEST_SKIP() << "device nodes cannot be made here: " << std::strerror(errno);
    struct stat before;
    ASSERT_EQ(stat("/dev/null", &before), 0);
    EXPECT_EQ(command("--frames 2 --audio null --screenshot null --save-state null"), 0) << err;
    EXPECT_EQ(kind_of("null"), S_IFCHR);
    EXPECT_EQ(command("--frames 2 --screenshot full"), 1);
    EXPECT_NE(err.find("orvane-headless: full: No space left on device\n"), std::string::npos) << err;
    EXPECT_EQ(command("--frames 2 --audio full"), 1);
    EXPECT_NE(err.find("orvane-headless: full: No space left on device\n"), std::string::npos) << err;
    EXPECT_EQ(kind_of("full"), S_IFCHR);

    write_file("kept.state", "user data");
    ASSERT_EQ(symlink("kept.state", "link.state"), 0);
    EXPECT_EQ(command("--frames 2 --save-state link.state"), 1);
    EXPECT_NE(err.find("orvane-headless: link.state: Is a symbolic link\n"), std::string::npos) << err;
    EXPECT_EQ(read_file("kept.state"), "user data");

    // The script's screenshot too.
    write_file("shot.dbg", "screenshot full\n");
    EXPECT_EQ(command("--debug shot.dbg"), 1);
    EXPECT_NE(err.find("orvane-headless: full: No space left on device\n"), std::string::npos) << err;

    // The system's own node was never touched by any of this.
    struct stat after;
    ASSERT_EQ(stat("/dev/null", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
}

TEST_F(FileReplaceTest, TheAssemblersOutputsFollowTheRule)
{
    if (!make_devices())
        GTEST_SKIP() << "device nodes cannot be made here: " << std::strerror(errno);
    write_file("prog.asm", "        ORG $F800\n        NOP\n");
    auto assemble = [&](const std::string &args) {
        std::string cmd = std::string(ORVANE_ASM_COMMAND) + " " + args + " prog.asm >out.txt 2>err.txt";
        int rc = std::system(cmd.c_str());
        err = read_file("err.txt");
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    EXPECT_EQ(assemble("-o null"), 0) << err;
    write_file("prog.bin", "old");
    EXPECT_EQ(assemble("-o prog.bin -l full"), 1);
    EXPECT_NE(err.find("cannot write 'full': No space left on device"), std::string::npos) << err;
    EXPECT_EQ(read_file("prog.bin"), "old");  // nothing replaced when one output fails
    write_file("kept", "user data");
    ASSERT_EQ(symlink("kept", "link.bin"), 0);
    EXPECT_EQ(assemble("-o link.bin"), 1);
    EXPECT_NE(err.find("cannot write 'link.bin': Is a symbolic link"), std::string::npos) << err;
    EXPECT_EQ(read_file("kept"), "user data");
    EXPECT_EQ(kind_of("null"), S_IFCHR);
    EXPECT_EQ(kind_of("full"), S_IFCHR);
}
