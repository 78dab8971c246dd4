// Orvane's open firmware and demo cartridge, end to end through the
// headless runner: what the screen shows (read cell by cell through the
// character set in the I/O processor image), typed keys, the spoken phrase
// in the sound file, the handshake over a long run, repeatable files.
#include "test_support.h"

#include "core/memory.h"
#include "firmware/builtin.h"
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

class OpenFirmwareTest : public CoreTest {
protected:
    int run(std::vector<std::string> args)
    {
        return run_headless(std::move(args), out, err);
    }

    // The text set as the I/O processor image file holds it: its 1 KB
    // blocks at 0x400 and 0x800 exchanged against the order the block reply
    // of command 0x0B reads, which starts at 0x722; ten slices of 96 codes
    // from 0x20, the bottom pattern line first.
    void load_glyphs()
    {
        std::string file = read_file(ORVANE_FIRMWARE_DIR "/7041b.bin");
        ASSERT_EQ(file.size(), 4096u);
        auto rom = [&](int a) {
            if (a >= 0x400 && a < 0x800)
                a += 0x400;
            else if (a >= 0x800 && a < 0xC00)
                a -= 0x400;
            return static_cast<uint8_t>(file[a]);
        };
        for (int code = 0x20; code < 0x80; code++)
            for (int slice = 0; slice < 10; slice++)
                glyph[code][9 - slice] = rom(0x722 + slice * 96 + code - 0x20);
    }

    // Runs with a screenshot and reads its dots back as colour numbers.
    int run_and_look(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--screenshot", "screen.png"});
        int status = run(args);
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, "screen.png"))
            return -1;
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
        bool read = image.width == 320 && image.height == 250 &&
                    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
        png_image_free(&image);
        if (!read)
            return -1;
        for (int y = 0; y < 250; y++)
            for (int x = 0; x < 320; x++) {
                const uint8_t *p = &rgb[(y * 320 + x) * 3];
                s[y][x] = (p[0] ? 1 : 0) | (p[1] ? 2 : 0) | (p[2] ? 4 : 0);
            }
        return status;
    }

    // The character in a text cell of the last picture: the code whose
    // pattern marks exactly the dots of one of the cell's two colours; a
    // cell of one colour is a space; '?' if nothing fits.
    char cell(int row, int col)
    {
        int x0 = col * 8, y0 = row * 10;
        std::vector<int> colours;
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 8; x++)
                if (std::find(colours.begin(), colours.end(), s[y0 + y][x0 + x]) == colours.end())
                    colours.push_back(s[y0 + y][x0 + x]);
        if (colours.size() == 1)
            return ' ';
        if (colours.size() != 2)
            return '?';
        for (int code = 0x21; code < 0x7F; code++)
            for (int fg : colours) {
                bool same = true;
                for (int y = 0; y < 10 && same; y++)
                    for (int x = 0; x < 8 && same; x++)
                        same = ((glyph[code][y] >> (7 - x)) & 1) == (s[y0 + y][x0 + x] == fg);
                if (same)
                    return static_cast<char>(code);
            }
        return '?';
    }

    std::string row_text(int row, int from, int length)
    {
        std::string text;
        for (int col = from; col < from + length; col++)
            text += cell(row, col);
        return text;
    }

    // Lines of the trace log that hold `what`, with their cycle stamps.
    std::vector<unsigned long> stamps(const std::string &what)
    {
        std::vector<unsigned long> found;
        size_t at = 0;
        while ((at = out.find(what, at)) != std::string::npos) {
            size_t line = out.rfind('\n', at);
            line = line == std::string::npos ? 0 : line + 1;
            found.push_back(std::strtoul(out.c_str() + line, nullptr, 16));
            at += what.size();
        }
        return found;
    }

    std::string out, err;
    uint8_t glyph[128][10] = {};
    int s[250][320] = {};  // the last screenshot's dots
};

} // namespace

TEST_F(OpenFirmwareTest, WithoutAFirmwareDirectoryTheBuiltInFirmwareShowsItsTitleScreen)
{
    load_glyphs();
    // Two seconds in: the title, before the demo cartridge starts.
    ASSERT_EQ(run_and_look({"--frames", "100"}), 0);
    EXPECT_EQ(err, "orvane-headless: no firmware directory 'bios': running the built-in open firmware and "
                   "its demo cartridge\n");
    EXPECT_EQ(row_text(3, 11, 17), "open firmware 1.0");
    EXPECT_EQ(row_text(7, 2, 36), "Processor  TMS7020, 2 KB RAM at C000");
    EXPECT_EQ(row_text(8, 2, 35), "Video      TMS3556, 32 KB video RAM");
    EXPECT_EQ(row_text(9, 2, 18), "Speech     TMS5220");
    EXPECT_EQ(row_text(10, 2, 32), "Keyboard   TMS7041 I/O processor");
    EXPECT_EQ(row_text(14, 1, 20), "Cartridge: Demo tour");
    EXPECT_EQ(row_text(15, 1, 36), "Starts in 3 seconds, or press a key.");
    // The big title: double width and height, each letter across two cells
    // and two rows, in its own colour on the blue band.
    EXPECT_EQ(s[0][0], 4);
    std::vector<int> letter_colours;
    for (int col = 13; col < 25; col += 2) {
        int fg = -1;
        for (int y = 10; y < 30 && fg < 0; y++)
            for (int x = col * 8; x < col * 8 + 16 && fg < 0; x++)
                if (s[y][x] != 4)
                    fg = s[y][x];
        letter_colours.push_back(fg);
    }
    EXPECT_EQ(letter_colours, (std::vector<int>{3, 6, 7, 2, 5, 1}));

    // A key starts the cartridge at once: its first page is a bitmap.
    ASSERT_EQ(run_and_look({"--frames", "280", "--key", "100:32,4"}), 0);
    EXPECT_EQ(s[10][10], 4);    // sky
    EXPECT_EQ(s[50][240], 3);   // sun
    EXPECT_EQ(s[240][10], 2);   // shore
}

TEST_F(OpenFirmwareTest, BuiltInImagesLoadAsTheirFilesDo)
{
    ASSERT_EQ(run({"--frames", "0"}), 0);
    std::vector<uint8_t> cart(rom_cart, rom_cart + sizeof rom_cart), io(rom_7041, rom_7041 + 4096),
        boot(rom_7020, rom_7020 + 2048);
    ASSERT_EQ(run({"--frames", "0", "--bios", ORVANE_FIRMWARE_DIR, "--rom", ORVANE_FIRMWARE_DIR "/demo.rom"}), 0);
    EXPECT_EQ(err, "");
    EXPECT_TRUE(std::equal(cart.begin(), cart.end(), rom_cart));
    EXPECT_TRUE(std::equal(io.begin(), io.end(), rom_7041));
    EXPECT_TRUE(std::equal(boot.begin(), boot.end(), rom_7020));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(rom_cart + 0x6000), 4), "ORVN");

    // A cartridge given replaces the demo; a firmware directory that is
    // named must be there.
    write_file("blank.rom", std::string(8192, '\xFF'));
    ASSERT_EQ(run({"--frames", "0", "--rom", "blank.rom"}), 0);
    EXPECT_EQ(err, "orvane-headless: no firmware directory 'bios': running the built-in open firmware\n");
    EXPECT_EQ(rom_cart[0x6000], 0xFF);
    EXPECT_EQ(run({"--frames", "0", "--bios", "bios"}), 1);
    EXPECT_EQ(err, "orvane-headless: fatal error needs file bios/bios7020.bin (firmware directory 'bios'): "
                   "No such file or directory\n");
}

TEST_F(OpenFirmwareTest, TypedKeysAppearWithACursorAndAClick)
{
    load_glyphs();
    // The firmware files without a cartridge: the title screen's console.
    ASSERT_EQ(run_and_look({"--bios", ORVANE_FIRMWARE_DIR, "--frames", "160", "--audio", "a.wav", "--type",
                   "60:Hello, 42", "--key", "100:8,4", "--type", "104:!\\nok"}),
              0);
    EXPECT_EQ(row_text(14, 1, 13), "No cartridge.");
    EXPECT_EQ(row_text(17, 0, 12), " HELLO, 4!  ");
    EXPECT_EQ(row_text(18, 0, 4), " OK ");
    // The cursor: a block after the text that comes and goes.
    int cursor = s[18 * 10 + 5][3 * 8 + 3];
    ASSERT_EQ(run_and_look({"--bios", ORVANE_FIRMWARE_DIR, "--frames", "185", "--type", "60:Hello, 42", "--key",
                   "100:8,4", "--type", "104:!\\nok"}),
              0);
    EXPECT_NE(s[18 * 10 + 5][3 * 8 + 3], cursor);
    EXPECT_TRUE(cursor == 7 || s[18 * 10 + 5][3 * 8 + 3] == 7);

    // Each key clicks: port B bit 3 lifts the one-bit sound off its rest
    // level (49) for a moment, and only after the first key.
    std::string wav = read_file("a.wav");
    ASSERT_GT(wav.size(), 44u);
    std::vector<uint8_t> sound(wav.begin() + 44, wav.end());
    auto first_click = std::find_if(sound.begin(), sound.end(), [](uint8_t v) { return v > 128; });
    ASSERT_NE(first_click, sound.end());
    double seconds = (first_click - sound.begin()) / 8000.0;
    EXPECT_GT(seconds, 60 / 49.3);
    long high = std::count_if(sound.begin(), sound.end(), [](uint8_t v) { return v > 128; });
    EXPECT_GE(high, 11 * 8);  // eleven keys, at least a millisecond each
}

TEST_F(OpenFirmwareTest, ThePhraseSoundsBetweenItsStartAndItsEnd)
{
    write_file("debug.lst", "speech_buffer_start()\nspeech_buffer_end()\n");
    ASSERT_EQ(run({"--frames", "900", "--trace", "--audio", "a.wav"}), 0);
    std::vector<unsigned long> start = stamps("speech_buffer_start():called");
    std::vector<unsigned long> end = stamps("speech_buffer_end():called");
    ASSERT_EQ(start.size(), 1u) << out;
    ASSERT_EQ(end.size(), 1u) << out;
    // Within its first 30 seconds the demo speaks, for over a second.
    EXPECT_LT(start[0], 30 * 2455000ul);
    EXPECT_GT(end[0] - start[0], 2455000ul);

    // Sound blocks, found by time (the sample clock runs a little slower
    // than 8000 Hz of machine time): before the start the one-bit sound
    // rests; between the start and the end most blocks carry speech (the
    // phrase has pauses).
    std::string wav = read_file("a.wav");
    std::vector<uint8_t> sound(wav.begin() + 44, wav.end());
    double cycles_per_sample = 900.0 * 178 * 280 / static_cast<double>(sound.size());
    auto spread = [&](size_t block) {
        auto b = sound.begin() + static_cast<long>(block * 200);
        auto [lo, hi] = std::minmax_element(b, b + 200);
        return *hi - *lo;
    };
    size_t first = static_cast<size_t>(start[0] / cycles_per_sample / 200);
    size_t last = static_cast<size_t>(end[0] / cycles_per_sample / 200);
    ASSERT_LT(last, sound.size() / 200);
    for (size_t b = first - 100; b < first - 2; b++)
        EXPECT_EQ(spread(b), 0) << b;
    int speaking = 0, blocks = 0;
    for (size_t b = first + 2; b < last - 2; b++, blocks++)
        speaking += spread(b) > 40;
    EXPECT_GT(speaking, blocks * 2 / 3) << speaking << " of " << blocks;
}

TEST_F(OpenFirmwareTest, TheHandshakeNeverFallsBackToResetInALongRun)
{
    // A minute of the tour, keys typed now and then (during the character
    // set fetches, the phrase, the pages): the I/O processor's reset state is
    // entered once, at power on.
    write_file("debug.lst", "io_cpu_state_reset()\n");
    std::vector<std::string> args = {"--frames", "3000", "--trace"};
    size_t codes = 0;
    for (int frame = 40; frame < 3000; frame += 173, codes += 4)
        args.insert(args.end(), {"--type", std::to_string(frame) + ":ab"});
    ASSERT_EQ(run(args), 0);
    EXPECT_EQ(stamps("io_cpu_state_reset():called").size(), 1u);
    // And every key went out to the firmware.
    EXPECT_EQ(hl_last.keys_sent.size(), codes);
}

TEST_F(OpenFirmwareTest, TheSameRunTwiceGivesTheSameFiles)
{
    std::string args = " --frames 700 --type 200:x --screenshot s.png --audio a.wav >/dev/null 2>&1";
    ASSERT_EQ(std::system((ORVANE_HEADLESS_COMMAND + args).c_str()), 0);
    std::string png = read_file("s.png"), wav = read_file("a.wav");
    ASSERT_GT(png.size(), 100u);
    ASSERT_GT(wav.size(), 700u * 150);
    ASSERT_EQ(std::system((ORVANE_HEADLESS_COMMAND + args).c_str()), 0);
    EXPECT_TRUE(read_file("s.png") == png);
    EXPECT_TRUE(read_file("a.wav") == wav);
}

TEST_F(OpenFirmwareTest, CartridgesWithOurHeaderStartAtEachSize)
{
    load_glyphs();
    // The hello-world cartridge of the developer's guide, placed where an 8,
    // 16 or 32 KB image lies; the header is found at its first byte.
    for (const char *size : {"8", "16", "32"}) {
        std::string cmd = std::string(ORVANE_ASM_COMMAND) + " --cartridge " + size +
                          " -o hello.rom " ORVANE_DOCS "/hello.asm";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << size;
        ASSERT_EQ(run_and_look({"--frames", "220", "--rom", "hello.rom", "--type", "200:hi"}), 0) << size;
        EXPECT_EQ(row_text(10, 13, 13), "Hello, world!") << size;
        EXPECT_EQ(row_text(12, 13, 3), "HI ") << size;
    }
    // A cartridge without it is left alone: the title screen's console.
    write_file("other.rom", std::string(16384, '\x00'));
    ASSERT_EQ(run_and_look({"--frames", "220", "--rom", "other.rom"}), 0);
    EXPECT_EQ(row_text(14, 1, 13), "No cartridge.");
}

TEST_F(OpenFirmwareTest, KeysMoveTheTourOnAtOnceToTheCassettePage)
{
    load_glyphs();
    // A tape of a 500 Hz square wave from the start; four keys start the
    // demo and skip the picture, the phrase and the mixed page.
    std::string tape(8000 * 20, '\0');
    for (size_t i = 0; i < tape.size(); i++)
        tape[i] = static_cast<char>((i / 8) % 2 ? 56 : 200);
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; i++)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    uint32_t n = static_cast<uint32_t>(tape.size());
    write_file("tape.wav", "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
                               le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(n, 4) + tape);
    ASSERT_EQ(run_and_look({"--frames", "450", "--cassette", "tape.wav", "--key", "160:32,4,32,4,32,4,32,4"}), 0);
    EXPECT_EQ(row_text(5, 1, 34), "Play a tape and watch the cassette");
    // The changes of the input bit, counted while the page shows: some
    // hundreds a second.
    std::string count = row_text(11, 16, 5);
    ASSERT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
    EXPECT_GT(std::stoi(count), 300);
}
