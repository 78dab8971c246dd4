// The headless runner, end to end: firmware of our own (TMS7000 assembly
// in tests/programs), the runner's own start-up and frame loop, and the files
// it writes, read back with independent decoders.
#include "test_support.h"

#include "core/memory.h"
#include "tools/headless/headless.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

// Firmware of our own, assembled from tests/programs at build time.
// fill_bitmap: bitmap mode, video RAM byte a = a mod 256 over the whole page,
// then a wait at 0xF816 with A = 30500 mod 256.
// wait_tape: waits until port A bit 4 is high, then loops at 0xF806.
// illegal_loop: two undefined opcodes at 0xF800 and 0xF801, over and over.

// A WAV file: the 44-byte header of plain PCM, then the data.
std::string wav_file(int channels, int bits, int rate, const bytes &data)
{
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; i++)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    uint32_t n = static_cast<uint32_t>(data.size());
    int align = channels * bits / 8;
    return "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) +
           le(rate, 4) + le(rate * align, 4) + le(align, 2) + le(bits, 2) + "data" + le(n, 4) +
           std::string(data.begin(), data.end());
}

struct picture {
    unsigned width = 0, height = 0;
    bytes rgb;
};

// Decodes a PNG into red, green, blue bytes.
bool read_png(const std::string &path, picture &p)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    p.width = image.width;
    p.height = image.height;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

class HeadlessTest : public CoreTest {
protected:
    // Firmware in bios/: a program of tests/programs as the processor's
    // internal ROM, and a blank I/O processor image.
    void firmware(const std::string &program)
    {
        ASSERT_EQ(std::system("mkdir -p bios"), 0);
        std::string rom = read_file(ORVANE_TEST_PROGRAMS "/" + program + ".bin");
        ASSERT_EQ(rom.size(), 2048u) << program;
        write_file("bios/bios7020.bin", rom);
        write_file("bios/7041b.bin", std::string(4096, '\0'));
    }

    // Runs the program in this process; `out` and `err` get what it printed.
    int run(std::vector<std::string> args)
    {
        return run_headless(std::move(args), out, err);
    }

    // Runs the built command; returns its exit status.
    int command(const std::string &args)
    {
        std::string cmd = std::string(ORVANE_HEADLESS_COMMAND) + " " + args + " >out.txt 2>err.txt";
        int rc = std::system(cmd.c_str());
        out = read_file("out.txt");
        err = read_file("err.txt");
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }

    std::string out, err;
};

// The colour of dot (x, y) of the bitmap page filled by `fill_bitmap`: byte
// a of video RAM holds a mod 256, and dot i of a group of three bytes takes
// 4 x bit (7 - i) of the first + 2 x that of the second + that of the third.
int expected_fill_colour(int x, int y)
{
    int base = 122 * y + 3 * (x / 8), bit = 7 - x % 8;
    auto b = [&](int k) { return ((base + k) & 0xFF) >> bit & 1; };
    return 4 * b(0) + 2 * b(1) + b(2);
}

const uint8_t shown[8][3] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                             {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

} // namespace

TEST_F(HeadlessTest, OptionsAndTheirDefaults)
{
    hl_options o;
    const char *none[] = {"x"};
    ASSERT_EQ(hl_parse_args(1, none, o), "");
    EXPECT_EQ(o.bios, "bios");
    EXPECT_EQ(o.frames, 50);
    EXPECT_EQ(o.scale, 1);
    EXPECT_EQ(o.break_addr, -1);

    const char *all[] = {"x", "--bios", "fw", "--rom=c.bin", "--cassette", "t.wav", "--frames", "7",
                         "--screenshot", "s.png", "--scale", "2", "--audio", "a.wav", "--trace",
                         "--break", "$f806", "--key", "9:0x41,4", "--type", "2:a\\nZ", "--key", "0:13"};
    ASSERT_EQ(hl_parse_args(static_cast<int>(std::size(all)), all, o), "");
    EXPECT_EQ(o.bios, "fw");
    EXPECT_EQ(o.rom, "c.bin");
    EXPECT_EQ(o.cassette, "t.wav");
    EXPECT_EQ(o.frames, 7);
    EXPECT_EQ(o.screenshot, "s.png");
    EXPECT_EQ(o.scale, 2);
    EXPECT_EQ(o.audio, "a.wav");
    EXPECT_TRUE(o.trace);
    EXPECT_EQ(o.break_addr, 0xF806);
    // In frame order, keys of the same frame in the order given; typed
    // letters are capitals, each followed by its release.
    std::vector<std::pair<long, int>> keys;
    for (auto &k : o.keys)
        keys.push_back({k.frame, k.code});
    EXPECT_EQ(keys, (std::vector<std::pair<long, int>>{
                        {0, 13}, {2, 65}, {2, 4}, {2, 13}, {2, 4}, {2, 90}, {2, 4}, {9, 0x41}, {9, 4}}));

    // Seconds of machine time become whole frames of 49840 cycles.
    const char *secs[] = {"x", "--seconds", "1"};
    ASSERT_EQ(hl_parse_args(3, secs, o), "");
    EXPECT_EQ(o.frames, 50);
    const char *tenth[] = {"x", "--seconds=0.1"};
    ASSERT_EQ(hl_parse_args(2, tenth, o), "");
    EXPECT_EQ(o.frames, 5);
}

TEST_F(HeadlessTest, BadCommandLinesAreRefusedWithStatus2)
{
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--frames", "-1"}, {"--frames", "ten"}, {"--frames"}, {"--seconds", "x"},
             {"--frames", "3", "--seconds", "1"}, {"--scale", "0"}, {"--scale", "9"},
             {"--key", "65"}, {"--key", "1:256"}, {"--key", "1:65,"}, {"--type", "1:\x01"},
             {"--break", "10000"}, {"--break", "zz"}, {"--colour"}, {"stray"}, {"--audio="}, {"--rom="},
             {"--frames", "10000001"}, {"--seconds", "203015"}}) {
        std::string line;
        for (auto &a : args)
            line += a + " ";
        EXPECT_EQ(run(args), 2) << line;
        EXPECT_NE(err.find("Try 'orvane-headless --help'"), std::string::npos) << line;
    }
    EXPECT_EQ(run({"--bogus"}), 2);
    EXPECT_EQ(err, "orvane-headless: unknown option '--bogus'\nTry 'orvane-headless --help'.\n");
    // Addresses too large are refused, never wrapped.
    EXPECT_EQ(run({"--break", "0x123456"}), 2);
    EXPECT_EQ(err.rfind("orvane-headless: --break: 123456 is above FFFF: type an address from 0 to FFFF\n", 0), 0u)
        << err;
    hl_options o;
    const char *top[] = {"x", "--break=$00FFFF"};
    ASSERT_EQ(hl_parse_args(2, top, o), "");
    EXPECT_EQ(o.break_addr, 0xFFFF);
}

TEST_F(HeadlessTest, FilesThatDoNotLoadEndTheRunWithTheirMessage)
{
    EXPECT_EQ(run({"--bios", "bios", "--frames", "1"}), 1);
    EXPECT_EQ(err, "orvane-headless: fatal error needs file bios/bios7020.bin (firmware directory 'bios'): "
                   "No such file or directory\n");

    ASSERT_EQ(std::system("mkdir -p half && head -c 2048 /dev/zero > half/bios7020.bin"), 0);
    EXPECT_EQ(run({"--bios", "half"}), 1);
    EXPECT_EQ(err, "orvane-headless: fatal error needs file bios/7041b.bin (firmware directory 'half'): "
                   "No such file or directory\n");

    firmware("wait_tape");
    EXPECT_EQ(run({"--rom", "missing.bin"}), 1);
    EXPECT_EQ(err, "orvane-headless: missing.bin: fatal error cannot open rom: No such file or directory\n");
    write_file("odd.bin", std::string(20000, '\x55'));
    EXPECT_EQ(run({"--rom", "odd.bin"}), 1);
    EXPECT_EQ(err, "orvane-headless: odd.bin: Sorry, unknown rom size\n");

    write_file("tape.wav", "RIFF this is not a recording");
    EXPECT_EQ(run({"--cassette", "tape.wav"}), 1);
    EXPECT_EQ(err, "orvane-headless: tape.wav is not a valid WAV\n");
    EXPECT_EQ(run({"--cassette", "none.wav"}), 1);
    EXPECT_EQ(err, "orvane-headless: none.wav is not a valid WAV: No such file or directory\n");

    EXPECT_EQ(run({"--frames", "1", "--screenshot", "no/such/dir/s.png"}), 1);
    EXPECT_EQ(err.rfind("orvane-headless: no/such/dir/s.png: ", 0), 0u) << err;
    EXPECT_EQ(run({"--frames", "1", "--audio", "no/such/dir/a.wav"}), 1);
    EXPECT_EQ(err, "orvane-headless: no/such/dir/a.wav: No such file or directory\n");

    // A good cartridge loads and the run succeeds.
    write_file("cart.bin", std::string(8192, '\x00'));
    EXPECT_EQ(run({"--frames", "1", "--rom", "cart.bin"}), 0);
    EXPECT_EQ(err, "");
}

TEST_F(HeadlessTest, TheCommandItself)
{
    EXPECT_EQ(command("--help"), 0);
    EXPECT_EQ(out.rfind("Usage: orvane-headless [options]", 0), 0u);
    for (const char *option : {"--bios", "--rom", "--cassette", "--frames", "--seconds", "--screenshot",
                               "--scale", "--audio", "--key", "--type", "--trace", "--break"})
        EXPECT_NE(out.find(option), std::string::npos) << option;
    EXPECT_EQ(command("--bios bios --frames 1"), 1);
    EXPECT_NE(err.find("fatal error needs file bios/bios7020.bin"), std::string::npos);
    EXPECT_EQ(command("--scale 3x"), 2);
    EXPECT_NE(err.find("--scale takes 1 to 8"), std::string::npos);
}

TEST_F(HeadlessTest, ScreenshotShowsWhatTheFirmwareDrew)
{
    firmware("fill_bitmap");
    // The fill takes about 15 frames.
    ASSERT_EQ(run({"--frames", "20", "--screenshot", "s1.png"}), 0) << err;
    picture p;
    ASSERT_TRUE(read_png("s1.png", p));
    ASSERT_EQ(p.width, 320u);
    ASSERT_EQ(p.height, 250u);
    int wrong = 0;
    for (int y = 0; y < 250; y++)
        for (int x = 0; x < 320; x++) {
            const uint8_t *px = &p.rgb[3 * (y * 320 + x)];
            const uint8_t *want = shown[expected_fill_colour(x, y)];
            if (std::memcmp(px, want, 3) != 0 && wrong++ < 5)
                ADD_FAILURE() << "dot " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);

    ASSERT_EQ(run({"--frames", "20", "--screenshot", "s2.png", "--scale", "2"}), 0);
    picture q;
    ASSERT_TRUE(read_png("s2.png", q));
    ASSERT_EQ(q.width, 640u);
    ASSERT_EQ(q.height, 500u);
    for (int y = 0; y < 500; y += 7)
        for (int x = 0; x < 640; x += 3)
            ASSERT_EQ(std::memcmp(&q.rgb[3 * (y * 640 + x)], &p.rgb[3 * (y / 2 * 320 + x / 2)], 3), 0)
                << x << "," << y;
}

TEST_F(HeadlessTest, BreakStopsAndPrintsTheRegisters)
{
    firmware("fill_bitmap");
    ASSERT_EQ(run({"--frames", "40", "--break", "0xF816"}), 0);
    EXPECT_EQ(hl_last.break_reached, true);
    // About 736,500 cycles of filling: the stop comes in frame 14.
    EXPECT_EQ(hl_last.frames_run, 15);
    EXPECT_EQ(out.rfind("Break at f816 in frame 14\nPC=f816\nSP=", 0), 0u) << out;
    // A = 30500 mod 256, B untouched by the program, both counters run down.
    // The debugger's register view.
    EXPECT_NE(out.find("\n[n-8 = x0000]\nR000=$24\nR001=$00\nR002=$00\nR003=$00\n"), std::string::npos) << out;

    ASSERT_EQ(run({"--frames", "3", "--break", "f816"}), 0);
    EXPECT_FALSE(hl_last.break_reached);
    EXPECT_EQ(out, "Break at f816 not reached in 3 frames\n");
}

TEST_F(HeadlessTest, TheSameInputsGiveTheSameFiles)
{
    firmware("fill_bitmap");
    bytes square(30000);
    for (size_t i = 0; i < square.size(); i++)
        square[i] = i % 40 < 20 ? 200 : 50;
    write_file("tape.wav", wav_file(1, 8, 11025, square));
    std::string args = "--frames 9 --cassette tape.wav --type 1:hello --screenshot s.png --audio a.wav";
    ASSERT_EQ(command(args), 0) << err;
    std::string png1 = read_file("s.png"), wav1 = read_file("a.wav");
    // Out of the way, so that the second run must write its own files.
    ASSERT_EQ(std::rename("s.png", "s0.png"), 0);
    ASSERT_EQ(std::rename("a.wav", "a0.wav"), 0);
    ASSERT_EQ(command(args), 0) << err;
    EXPECT_EQ(read_file("s.png"), png1);
    EXPECT_EQ(read_file("a.wav"), wav1);
    // The tape's square wave is heard; half-way through the fill, the
    // picture is not blank.
    EXPECT_NE(wav1.find('\x31', 44), std::string::npos);
    EXPECT_NE(wav1.find('\x51', 44), std::string::npos);
    picture p;
    ASSERT_TRUE(read_png("s.png", p));
    EXPECT_NE(std::count(p.rgb.begin(), p.rgb.end(), 0), static_cast<long>(p.rgb.size()));
}

TEST_F(HeadlessTest, AudioFileHoldsEverySoundBlock)
{
    firmware("wait_tape");
    ASSERT_EQ(run({"--seconds", "1", "--audio", "a.wav"}), 0);
    std::string wav = read_file("a.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(wav[at]) | static_cast<uint8_t>(wav[at + 1]) << 8 |
                                     static_cast<uint8_t>(wav[at + 2]) << 16 |
                                     static_cast<uint32_t>(static_cast<uint8_t>(wav[at + 3])) << 24);
    };
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u32(20), 0x00010001u);  // PCM, mono
    EXPECT_EQ(u32(24), 8000u);
    EXPECT_EQ(u32(28), 8000u);
    EXPECT_EQ(u32(32), 0x00080001u);  // 1 byte a frame, 8 bits
    EXPECT_EQ(wav.substr(36, 4), "data");
    uint32_t n = u32(40);
    EXPECT_EQ(u32(4), 36 + n);
    ASSERT_EQ(wav.size(), 44 + n);

    // 50 frames of 49,840 cycles or a little more, one sample every 306
    // cycles (8143 samples), in whole blocks of 200.
    EXPECT_EQ(hl_last.frames_run, 50);
    EXPECT_EQ(n, 8000u);
    // A silent machine: beeper and cassette bits both low, -20,000 a sample.
    EXPECT_EQ(wav.substr(44), std::string(n, '\x31'));
}

TEST_F(HeadlessTest, TheTapeIsHeardInTheSound)
{
    firmware("wait_tape");
    write_file("tape.wav", wav_file(1, 8, 22050, bytes(20000, 255)));
    ASSERT_EQ(run({"--frames", "5", "--cassette", "tape.wav", "--audio", "a.wav"}), 0);
    std::string wav = read_file("a.wav");
    ASSERT_GT(wav.size(), 44u + 200);
    // The cassette bit is set from the first tape sample (111 cycles), before
    // the first sound sample (306 cycles): -16,000 + 4,000 throughout.
    EXPECT_EQ(wav.substr(44), std::string(wav.size() - 44, '\x51'));
}

TEST_F(HeadlessTest, WavWriterPadsAnOddLength)
{
    ASSERT_EQ(hl_write_wav("odd.wav", {1, 2, 3}), "");
    std::string wav = read_file("odd.wav");
    ASSERT_EQ(wav.size(), 48u);
    EXPECT_EQ(static_cast<uint8_t>(wav[4]), 40);   // RIFF size counts the pad byte
    EXPECT_EQ(static_cast<uint8_t>(wav[40]), 3);   // data size does not
    EXPECT_EQ(wav.substr(44), std::string("\x01\x02\x03\x80", 4));
}

TEST_F(HeadlessTest, ATapeReachesTheCassetteInputBit)
{
    firmware("wait_tape");
    // Silence (the zero level) never sets the bit.
    write_file("quiet.wav", wav_file(1, 8, 22050, bytes(4000, 128)));
    ASSERT_EQ(run({"--frames", "3", "--cassette", "quiet.wav", "--break", "f806"}), 0) << err;
    EXPECT_FALSE(hl_last.break_reached);

    // A tone that rises above the zero level after 100 samples: the firmware
    // sees it once the hundred-and-first sample has played (about 11,300
    // cycles at 22050 Hz), in the first frame.
    bytes tone(4000, 0);
    for (size_t i = 100; i < tone.size(); i++)
        tone[i] = 255;
    write_file("tone.wav", wav_file(1, 8, 22050, tone));
    ASSERT_EQ(run({"--frames", "3", "--cassette", "tone.wav", "--break", "f806"}), 0) << err;
    EXPECT_TRUE(hl_last.break_reached);
    EXPECT_EQ(hl_last.frames_run, 1);
    EXPECT_EQ(err, "");

    // Stereo 16-bit: the left channel plays (here positive from the start),
    // the right one (negative throughout) is not looked at.
    bytes stereo;
    for (int i = 0; i < 1000; i++)
        stereo.insert(stereo.end(), {0x00, 0x10, 0x00, 0xF0});
    write_file("stereo.wav", wav_file(2, 16, 44100, stereo));
    ASSERT_EQ(run({"--frames", "1", "--cassette", "stereo.wav", "--break", "f806"}), 0) << err;
    EXPECT_TRUE(hl_last.break_reached);
    EXPECT_EQ(hl_last.frames_run, 1);
    // 24-bit samples decode, but cannot reach the bit: the user is told.
    write_file("deep.wav", wav_file(1, 24, 8000, bytes(300, 0x40)));
    ASSERT_EQ(run({"--frames", "1", "--cassette", "deep.wav"}), 0);
    EXPECT_NE(err.find("warning: deep.wav: 24-bit samples play without reaching the cassette input"), std::string::npos) << err;
}

TEST_F(HeadlessTest, KeysGoOutOnePerPollOnEverySecondFrame)
{
    firmware("wait_tape");
    ASSERT_EQ(run({"--frames", "14", "--type", "3:ab", "--key", "0:0x86", "--key", "1:7,8"}), 0);
    std::vector<std::pair<long, int>> sent;
    for (auto &k : hl_last.keys_sent)
        sent.push_back({k.frame, k.code});
    // Polls come at the end of frames 0, 2, 4 ...; a key waits for the first
    // poll at or after its frame and for the keys before it.
    EXPECT_EQ(sent, (std::vector<std::pair<long, int>>{
                        {0, 0x86}, {2, 7}, {4, 8}, {6, 65}, {8, 4}, {10, 66}, {12, 4}}));
}

TEST_F(HeadlessTest, TraceLogIsPrintedAtTheEnd)
{
    firmware("illegal_loop");
    ASSERT_EQ(run({"--frames", "1", "--trace"}), 0);
    EXPECT_NE(out.find("F800 illegal():called\n"), std::string::npos) << out.substr(0, 200);
    EXPECT_NE(out.find("F801 illegal():called\n"), std::string::npos);
    ASSERT_EQ(run({"--frames", "1"}), 0);
    EXPECT_EQ(out, "");
}

TEST_F(HeadlessTest, TypedKeysReachTheFirmware)
{
    // iolink greets the I/O processor, runs three commands (done by frame 5)
    // and then appends every report byte it receives to a log in RAM.
    ASSERT_EQ(std::system("mkdir -p bios"), 0);
    write_file("bios/bios7020.bin", read_file(ORVANE_TEST_FIRMWARE "/iolink.bin"));
    write_file("bios/7041b.bin", std::string(4096, '\0'));
    ASSERT_EQ(run({"--frames", "16", "--type", "6:aB"}), 0) << err;
    EXPECT_EQ(ram_2k[2], 2);  // start-up commands done
    // After the greeting and the replies to the start-up commands (1, 1, 2
    // and 1274 bytes), a key report 01 code for every key press and release.
    const uint8_t *log = ram_2k + 0x10 + 1 + 1 + 2 + 1274;
    EXPECT_EQ(bytes(log, log + 10), (bytes{0x01, 0x41, 0x01, 0x04, 0x01, 0x42, 0x01, 0x04, 0x00, 0x00}));
}

TEST_F(HeadlessTest, OutputsNeverReplaceInputsOrEachOther)
{
    firmware("wait_tape");
    write_file("tape.wav", wav_file(1, 8, 8000, bytes(100, 200)));
    EXPECT_EQ(run({"--cassette", "tape.wav", "--audio", "./tape.wav"}), 2);
    EXPECT_NE(err.find("--audio './tape.wav' would replace the tape (--cassette)"), std::string::npos) << err;
    EXPECT_EQ(run({"--screenshot", "o", "--audio", "o"}), 2);
    EXPECT_EQ(run({"--screenshot", "bios/bios7020.bin"}), 2);
    write_file("script.dbg", "screenshot tape.wav\n");
    EXPECT_EQ(run({"--cassette", "tape.wav", "--debug", "script.dbg"}), 2);
    EXPECT_NE(err.find("the script's screenshot (line 1) 'tape.wav' would replace the tape"), std::string::npos)
        << err;
    EXPECT_EQ(read_file("tape.wav"), wav_file(1, 8, 8000, bytes(100, 200)));

    // A directory that cannot take an output is found before the run; an
    // older file survives a run that fails.
    write_file("old.png", "old");
    EXPECT_EQ(run({"--frames", "5", "--screenshot", "old.png", "--audio", "none/a.wav"}), 1);
    EXPECT_EQ(hl_last.frames_run, 0);
    EXPECT_EQ(run({"--frames", "5", "--screenshot", "old.png", "--rom", "missing.rom"}), 1);
    EXPECT_EQ(read_file("old.png"), "old");
    EXPECT_EQ(std::system("ls -a | grep -q '^\\.orvane-'"), 256);  // no temporary file left
}

TEST_F(HeadlessTest, WrongSizedFirmwareAndUnreadableTapesAreNamed)
{
    firmware("wait_tape");
    write_file("bios/7041b.bin", std::string(100, '\0'));
    EXPECT_EQ(run({"--frames", "1"}), 0);
    EXPECT_EQ(err, "orvane-headless: warning: bios/7041b.bin holds 100 bytes, not 4096; "
                   "the rest of the image reads as 0xFF\n");

    ASSERT_EQ(std::system("mkdir -p dir.wav && truncate -s 700000001 big.wav"), 0);
    EXPECT_EQ(run({"--cassette", "dir.wav"}), 1);
    EXPECT_NE(err.find("dir.wav is not a valid WAV: Is a directory"), std::string::npos) << err;
    EXPECT_EQ(run({"--cassette", "big.wav"}), 1);
    EXPECT_NE(err.find("big.wav: 700000001 bytes is more than a tape recording may hold"), std::string::npos)
        << err;
}

TEST_F(HeadlessTest, AnInterruptedRunWritesItsFiles)
{
    firmware("wait_tape");
    // Long enough to be still running when the signal comes.
    ASSERT_EQ(std::system(("(" ORVANE_HEADLESS_COMMAND " --frames 10000000 --audio a.wav --screenshot s.png "
                           "2>err.txt & pid=$!; sleep 1; kill -INT $pid; wait $pid; echo $? >rc.txt)")),
              0);
    EXPECT_EQ(read_file("rc.txt"), "130\n");
    std::string message = read_file("err.txt");
    EXPECT_EQ(message.rfind("orvane-headless: interrupted (SIGINT) after ", 0), 0u) << message;
    long frames = std::atol(message.c_str() + 44);
    EXPECT_GT(frames, 0);
    EXPECT_NE(message.find(" of 10000000 frames; writing the files asked for"), std::string::npos);
    std::string wav = read_file("a.wav");
    ASSERT_GT(wav.size(), 44u);
    size_t n = static_cast<uint8_t>(wav[40]) | static_cast<uint8_t>(wav[41]) << 8 |
               static_cast<uint8_t>(wav[42]) << 16 | static_cast<size_t>(static_cast<uint8_t>(wav[43])) << 24;
    EXPECT_EQ(n % 200, 0u);  // whole sound blocks, the header's size filled in
    EXPECT_EQ(wav.size(), 44 + n);
    picture p;
    EXPECT_TRUE(read_png("s.png", p));
}

TEST_F(HeadlessTest, ATapeClaimingMoreThanItHoldsPlaysWhatItHolds)
{
    // A recorder that never finished its file leaves huge chunk sizes; the
    // decoder must not allocate what they claim (found by the wav fuzz target).
    firmware("wait_tape");
    std::string wav = wav_file(1, 8, 22050, bytes(4000, 255));
    wav.replace(4, 4, "\xFF\xFF\xFF\xFF");
    wav.replace(40, 4, "\xB0\x04\x00\xFF");
    write_file("unfinished.wav", wav);
    ASSERT_EQ(run({"--frames", "1", "--cassette", "unfinished.wav", "--break", "f806"}), 0) << err;
    EXPECT_TRUE(hl_last.break_reached);
}

// A script of debugger commands, read from standard input: the sum program
// steps, steps over its subroutine call, runs to its end and is asked who
// stored the total.
TEST_F(HeadlessTest, DebugScriptDrivesTheSharedDebugger)
{
    firmware("sum");
    write_file("script.txt", "step 5   # to the table loop\n"
                             "over\n"
                             "\n"
                             "over     # CALL ADD16 comes back at F80F\n"
                             "go $F81B\n"
                             "who C001\n"
                             "frames 1\n"
                             "screenshot shot.png\n");
    ASSERT_EQ(command("--bios bios --debug - <script.txt"), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.rfind("> step 5\nF809 AAF823      LDA @#F823(B)\n", 0), 0u) << out;
    size_t first_over = out.find("> over\nF80C 8EF81D      CALL $F81D\n");
    EXPECT_NE(first_over, std::string::npos) << out;
    EXPECT_NE(out.find("> over\nF80F CAF8        DJNZ B,$-8\n", first_over + 1), std::string::npos) << out;
    EXPECT_NE(out.find("> go $F81B\nReached f81b\nF81B E0FE        JMP $-2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("> who C001\nAddress 0xc001 was written at PC=0xf818\n> frames 1\n> screenshot shot.png\n"),
              std::string::npos) << out;
    EXPECT_EQ(read_file("shot.png").substr(1, 3), "PNG");

    // Mistakes are found before anything runs, with their line.
    write_file("bad.txt", "step\nregs\ngo 12345\n");
    EXPECT_EQ(command("--bios bios --debug bad.txt"), 2);
    EXPECT_EQ(err, "orvane-headless: bad.txt:3: 12345 is above FFFF: type an address from 0 to FFFF\n");
    EXPECT_EQ(out, "");
    write_file("bad.txt", "who $00010000\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "bad.txt"}), 2);
    EXPECT_EQ(err, "orvane-headless: bad.txt:1: 00010000 is above FFFF: type an address from 0 to FFFF\n");
    write_file("bad.txt", "who F80G\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "bad.txt"}), 2);
    EXPECT_EQ(err, "orvane-headless: bad.txt:1: 'F80G' is not an address (hexadecimal, 0 to FFFF)\n");
    write_file("bad.txt", "# nothing\nstepp 2\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "bad.txt"}), 2);
    EXPECT_EQ(err, "orvane-headless: bad.txt:2: unknown command 'stepp'\n");
}

TEST_F(HeadlessTest, ADebuggerScriptWithATapeGivesTheSameOutputInEveryProcess)
{
    firmware("fill_bitmap");
    bytes square(30000);
    for (size_t i = 0; i < square.size(); i++)
        square[i] = i % 30 < 15 ? 220 : 30;
    write_file("tape.wav", wav_file(1, 8, 22050, square));
    write_file("script.dbg", "frames 3\nstep 40\nover\ngo F816 20\nregs\nwho C000\nlog\nscreenshot mid.png\n"
                             "frames 2\ndasm\n");
    std::string args = "--cassette tape.wav --debug script.dbg --audio a.wav --screenshot s.png --trace";
    ASSERT_EQ(command(args), 0) << err;
    std::string out1 = out, wav1 = read_file("a.wav"), png1 = read_file("s.png"), mid1 = read_file("mid.png");
    ASSERT_GT(out1.size(), 1000u);
    for (const char *f : {"a.wav", "s.png", "mid.png"})
        ASSERT_EQ(std::rename(f, (std::string("old-") + f).c_str()), 0);
    // Another process, in another time zone and locale.
    setenv("TZ", "Asia/Tokyo", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    int status = command(args);
    unsetenv("TZ");
    unsetenv("LC_ALL");
    ASSERT_EQ(status, 0) << err;
    EXPECT_EQ(out, out1);
    EXPECT_EQ(read_file("a.wav"), wav1);
    EXPECT_EQ(read_file("s.png"), png1);
    EXPECT_EQ(read_file("mid.png"), mid1);
}

// A script is text of a bounded size: an endless or binary input is
// refused with a message and status 2, never read until memory runs out;
// what is echoed of it cannot drive the terminal.
TEST_F(HeadlessTest, DebugScriptsAreBoundedTextAndEchoedSafely)
{
    firmware("sum");
    EXPECT_EQ(command("--bios bios --debug /dev/zero"), 2);
    EXPECT_EQ(err, "orvane-headless: /dev/zero: longer than 4194304 bytes, the most a script may hold\n");
    std::string cmd = std::string("yes regs | ") + ORVANE_HEADLESS_COMMAND + " --bios bios --debug - >out.txt 2>err.txt";
    int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 2);
    EXPECT_EQ(read_file("err.txt"), "orvane-headless: stdin: longer than 4194304 bytes, the most a script may hold\n");
    EXPECT_EQ(read_file("out.txt"), "");

    // The limit itself is allowed: blank lines up to it.
    write_file("blank.dbg", "regs\n" + std::string(HL_MAX_SCRIPT_BYTES - 5, '\n'));
    EXPECT_EQ(run({"--bios", "bios", "--debug", "blank.dbg"}), 0) << err;
    write_file("blank.dbg", "regs\n" + std::string(HL_MAX_SCRIPT_BYTES - 4, '\n'));
    EXPECT_EQ(run({"--bios", "bios", "--debug", "blank.dbg"}), 2);

    ASSERT_EQ(std::system("mkdir -p dir.dbg"), 0);
    EXPECT_EQ(run({"--bios", "bios", "--debug", "dir.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: --debug: cannot read 'dir.dbg': Is a directory\n");

    write_file("long.dbg", "regs\nstep" + std::string(HL_MAX_SCRIPT_LINE - 4, ' ') + "\nstep" +
                               std::string(HL_MAX_SCRIPT_LINE - 3, ' ') + "\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "long.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: long.dbg:3: the line is longer than 1000 characters\n");

    write_file("nul.dbg", std::string("frames 1\0" "999\n", 13));
    EXPECT_EQ(run({"--bios", "bios", "--debug", "nul.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: nul.dbg:1: the line holds a NUL byte: a script is text\n");
    EXPECT_EQ(hl_last.frames_run, 0);

    // Control bytes, C1 ones in UTF-8 included, are shown as \xHH.
    write_file("esc.dbg", "clear\x1B]0;title\x07\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "esc.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: esc.dbg:1: unknown command 'clear\\x1B]0;title\\x07'\n");
    write_file("esc.dbg", "clear\xC2\x9B" "2J\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "esc.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: esc.dbg:1: unknown command 'clear\\xC2\\x9B2J'\n");
    write_file("esc.dbg", "\xEF\xBB\xBF" "clear\f\r\nwho \xC3\xA9\n");  // a BOM first; é is no control
    EXPECT_EQ(run({"--bios", "bios", "--debug", "esc.dbg"}), 2);
    EXPECT_EQ(err, "orvane-headless: esc.dbg:2: '\xC3\xA9' is not an address (hexadecimal, 0 to FFFF)\n");
    write_file("esc.dbg", "\xEF\xBB\xBF" "clear\f\r\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "esc.dbg"}), 0) << err;
    EXPECT_EQ(out, "> clear\\x0C\n");
}

// A repeated step over ends at the first that gives up, and says so; a
// repeated step shows where the last one left the machine.
TEST_F(HeadlessTest, RepeatedStepsStopAtAStepOverThatGivesUp)
{
    firmware("sum");
    write_file("loop.dbg", "go F81B\nover 1000000\nstep 1000\nover 3\n");
    EXPECT_EQ(run({"--bios", "bios", "--debug", "loop.dbg"}), 0) << err;
    const std::string gave_up = "Step over from f81b gave up after 5 seconds of machine time: now at PC=f81b\n";
    size_t at = out.find("> over 1000000\n" + gave_up + "over stopped after 1 of 1000000\nF81B E0FE        JMP $-2\n");
    EXPECT_NE(at, std::string::npos) << out;
    EXPECT_NE(out.find("> step 1000\nF81B E0FE        JMP $-2\n", at), std::string::npos) << out;
    EXPECT_NE(out.find("> over 3\n" + gave_up + "over stopped after 1 of 3\n", at), std::string::npos) << out;
    // Each gave up once: ten seconds of machine time, not days.
    size_t count = 0;
    for (size_t p = out.find(gave_up); p != std::string::npos; p = out.find(gave_up, p + 1))
        count++;
    EXPECT_EQ(count, 2u);
}
