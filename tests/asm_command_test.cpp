#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs orvane-asm in the test's directory; its output goes to out.txt and
// err.txt. Returns the exit status.
int run_asm(const std::string &arguments)
{
    std::string command = std::string(ORVANE_ASM_COMMAND) + " " + arguments + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// Names of the files in the current directory, sorted.
std::string directory_listing()
{
    std::vector<std::string> names;
    DIR *d = opendir(".");
    while (dirent *e = readdir(d))
        if (e->d_name[0] != '.')
            names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    std::string all;
    for (const std::string &n : names)
        all += n + " ";
    return all;
}

} // namespace

TEST_F(CoreTest, AsmCommandWritesImageListingAndDependencies)
{
    write_file("values.inc", "VALUE   EQU $42\n");
    write_file("prog.asm", "        INCLUDE \"values.inc\"\n"
                           "        ORG $F800\n"
                           "START   MOV #VALUE,A\n"
                           "        ORG $FFFE\n"
                           "        WORD START\n");
    ASSERT_EQ(run_asm("--base '$F800' --size 2K -l prog.lst -M prog.d prog.asm"), 0) << read_file("err.txt");
    std::string image = read_file("prog.bin");  // named after the source by default
    ASSERT_EQ(image.size(), 2048u);
    EXPECT_EQ(image.substr(0, 3), "\x22\x42\xFF");
    EXPECT_EQ(image.substr(2046), std::string("\xF8\x00", 2));
    EXPECT_NE(read_file("prog.lst").find("F800  22 42        START   MOV #VALUE,A"), std::string::npos);
    EXPECT_EQ(read_file("prog.d"), "prog.bin: prog.asm values.inc\n");

    // A 16 KB cartridge image placed where the emulator loads it, filled with 0.
    write_file("cart.asm", "        ORG $4000\n        BYTE 1\n        ORG $7FFF\n        BYTE 2\n");
    ASSERT_EQ(run_asm("--cartridge 16 --fill 0 -o cart.rom cart.asm"), 0) << read_file("err.txt");
    std::string cart = read_file("cart.rom");
    ASSERT_EQ(cart.size(), 16384u);
    EXPECT_EQ(cart[0], 1);
    EXPECT_EQ(cart[1], 0);
    EXPECT_EQ(cart[16383], 2);
}

TEST_F(CoreTest, AsmCommandFailsWithoutPartialOutput)
{
    write_file("bad.asm", "        NOP\n        MOV #1000,A\n");
    write_file("bad.bin", "old");
    EXPECT_EQ(run_asm("-l bad.lst -M bad.d bad.asm"), 1);
    EXPECT_EQ(read_file("err.txt"), "bad.asm:2: value 4096 does not fit in a byte\n"
                                    "orvane-asm: 1 error, no output written\n");
    EXPECT_EQ(read_file("bad.bin"), "old");
    EXPECT_FALSE(exists("bad.lst"));
    EXPECT_FALSE(exists("bad.d"));

    // An output that cannot be written fails too, and leaves no temporary file.
    write_file("ok.asm", "        NOP\n");
    EXPECT_EQ(run_asm("-o ok.bin -l missing/ok.lst ok.asm"), 1);
    EXPECT_NE(read_file("err.txt").find("cannot write 'missing/ok.lst'"), std::string::npos);
    EXPECT_EQ(directory_listing(), "bad.asm bad.bin err.txt ok.asm out.txt ");

    // Usage errors.
    EXPECT_EQ(run_asm(""), 2);
    EXPECT_EQ(run_asm("--size 65537 ok.asm"), 2);
    EXPECT_EQ(run_asm("--cartridge 4 ok.asm"), 2);
    EXPECT_EQ(run_asm("--base '$F800' --size 4K ok.asm"), 2);
    EXPECT_EQ(run_asm("--fill x ok.asm"), 2);
    EXPECT_EQ(run_asm("--bogus ok.asm"), 2);
    EXPECT_EQ(run_asm("ok.asm other.asm"), 2);
    EXPECT_FALSE(exists("ok.bin"));
}

TEST_F(CoreTest, AsmCommandRefusesImagesPastTheTopAndEmptyImages)
{
    // A size without a base starts at the lowest address written.
    write_file("top.asm", "        ORG $F800\n        NOP\n");
    EXPECT_EQ(run_asm("--size 64K -o top.bin top.asm"), 1);
    EXPECT_EQ(read_file("err.txt"), "top.asm: an image of 65536 bytes at $F800 would pass $FFFF\n"
                                    "orvane-asm: 1 error, no output written\n");
    write_file("empty.asm", "");
    EXPECT_EQ(run_asm("empty.asm"), 1);
    EXPECT_FALSE(exists("top.bin") || exists("empty.bin"));
    // With a size, a source that writes nothing gives an image of fill bytes.
    EXPECT_EQ(run_asm("--size 4 --base 0 empty.asm"), 0) << read_file("err.txt");
    EXPECT_EQ(read_file("empty.bin"), "\xFF\xFF\xFF\xFF");
}

TEST_F(CoreTest, AsmCommandNeverReplacesItsInputsOrOneOutputByAnother)
{
    write_file("prog.bin", "        SWAP A\n");
    EXPECT_EQ(run_asm("prog.bin"), 2);  // the default output is the source
    EXPECT_EQ(run_asm("-o ./prog.bin prog.bin"), 2);
    EXPECT_EQ(run_asm("-o out.bin -l ./out.bin prog.bin"), 2);
    EXPECT_EQ(read_file("err.txt"), "orvane-asm: -o and -l name the same file './out.bin'\n");
    write_file("main.asm", "        INCLUDE \"prog.bin\"\n");
    EXPECT_EQ(run_asm("-M prog.bin main.asm"), 1);  // an included file
    EXPECT_EQ(read_file("prog.bin"), "        SWAP A\n");

    // One output that cannot be written: the others keep their old contents.
    write_file("main.bin", "old");
    mkdir("dir", 0755);
    EXPECT_EQ(run_asm("-l dir main.asm"), 1);
    EXPECT_NE(read_file("err.txt").find("cannot write 'dir': Is a directory"), std::string::npos);
    EXPECT_EQ(read_file("main.bin"), "old");

    // A legal name of 254 characters; SWAP assembles with a warning.
    std::string name(250, 'n');
    EXPECT_EQ(run_asm("-o " + name + ".bin main.asm"), 0) << read_file("err.txt");
    EXPECT_EQ(read_file(name + ".bin"), "\xB7");
    EXPECT_EQ(read_file("err.txt"),
              "prog.bin:1: warning: SWAP A (B7) is an undefined opcode on this processor: it does not swap\n");
    EXPECT_EQ(directory_listing(), "dir err.txt main.asm main.bin " + name + ".bin out.txt prog.bin ");
}
