// The picture: each display mode, both colour rules, flashing, double size,
// and whole screens compared with pictures built here from their description.
#include "test_support.h"

#include "core/host.h"
#include "core/tms3556.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A character pattern, top line first; 'X' is a foreground dot.
using glyph = std::array<std::string_view, 10>;

const glyph GLYPH_H = {"X.....X.", "X.....X.", "X.....X.", "X.....X.", "XXXXXXX.",
                       "X.....X.", "X.....X.", "X.....X.", "X.....X.", "........"};
const glyph GLYPH_O = {"..XXX...", ".X...X..", "X.....X.", "X.....X.", "X.....X.",
                       "X.....X.", "X.....X.", ".X...X..", "..XXX...", "........"};
// Every line different, so that the line shown can be told apart.
const glyph GLYPH_STEPS = {"X.......", "XX......", "XXX.....", "XXXX....", "XXXXX...",
                           "XXXXXX..", "XXXXXXX.", "XXXXXXXX", ".XXXXXXX", "..XXXXXX"};
const glyph GLYPH_WIDE = {"XX.X..X.", "X.X.XX.X", "XXX...X.", ".X.XX..X", "X..X.XX.",
                          "..XX.X.X", "XX..XX..", ".XX..XX.", "X.X.X.X.", ".X.X.X.X"};
const glyph GLYPH_FULL = {"XXXXXXXX", "XXXXXXXX", "XXXXXXXX", "XXXXXXXX", "XXXXXXXX",
                          "XXXXXXXX", "XXXXXXXX", "XXXXXXXX", "XXXXXXXX", "XXXXXXXX"};

uint8_t bits_of(std::string_view s)
{
    uint8_t b = 0;
    for (int i = 0; i < 8; i++)
        if (s[i] == 'X')
            b |= static_cast<uint8_t>(0x80 >> i);
    return b;
}

// A generator holds ten slices of 128 bytes; the top line is in the last slice.
void store_glyph(unsigned base, int code, const glyph &g)
{
    for (int line = 0; line < 10; line++)
        tms3556.vram[(base + (9 - line) * 128 + code) & 0x7FFF] = bits_of(g[line]);
}

void set16(int n, unsigned value) { tms3556.vdp_regs16[n - 8] = static_cast<uint16_t>(value); }

void put_cell(unsigned row_start, int n, int attr, int ch)
{
    tms3556.vram[(row_start + 2 * n) & 0x7FFF] = static_cast<uint8_t>(attr);
    tms3556.vram[(row_start + 2 * n + 1) & 0x7FFF] = static_cast<uint8_t>(ch);
}

// Text in the mode 0x40 layout: 80 bytes a row from BAPA.
void text_cell(int row, int n, int attr, int ch) { put_cell(tms3556.vdp_regs16[VDP_BAPA - 8] + 80 * row, n, attr, ch); }

// The left or right half of a pattern line, each dot shown twice.
std::string widen(std::string_view s, int half)
{
    std::string out;
    for (int i = 0; i < 4; i++)
        out += std::string(2, s[4 * half + i]);
    return out;
}

struct expected_screen {
    std::vector<uint8_t> dot = std::vector<uint8_t>(TMS3556_WIDTH * TMS3556_HEIGHT, 0xFF);

    void cell_line(int n, int y, std::string_view pattern, int fg, int bg)
    {
        if (y >= TMS3556_HEIGHT)
            return;  // a row cut at the bottom of the picture
        for (int i = 0; i < 8; i++)
            dot[y * TMS3556_WIDTH + 8 * n + i] = static_cast<uint8_t>(pattern[i] == 'X' ? fg : bg);
    }
    // A text row's cell from its top line at `y0`.
    void cell(int n, int y0, const glyph &g, int fg, int bg)
    {
        for (int k = 0; k < 10; k++)
            cell_line(n, y0 + k, g[k], fg, bg);
    }
};

void expect_screen(const expected_screen &want)
{
    int bad = 0;
    for (int y = 0; y < TMS3556_HEIGHT; y++)
        for (int x = 0; x < TMS3556_WIDTH; x++) {
            int w = want.dot[y * TMS3556_WIDTH + x];
            if (tms3556_screen[y][x] != w) {
                ADD_FAILURE() << "dot (" << x << ", " << y << ") is " << int{tms3556_screen[y][x]} << ", want " << w;
                if (++bad == 8)
                    return;
            }
        }
}

// Does cell n of line y show `pattern` in fg on bg?
bool cell_shows(int n, int y, std::string_view pattern, int fg, int bg)
{
    for (int i = 0; i < 8; i++)
        if (tms3556_screen[y][8 * n + i] != (pattern[i] == 'X' ? fg : bg))
            return false;
    return true;
}

bool cell_rows_show(int n, int y0, const glyph &g, int fg, int bg)
{
    for (int k = 0; k < 10; k++)
        if (!cell_shows(n, y0 + k, g[k], fg, bg))
            return false;
    return true;
}

class VideoTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        tms3556_init(0);
        // Generators apart from the page and from each other.
        set16(VDP_BAGC0, 0x4000);
        set16(VDP_BAGC1, 0x4800);
        set16(VDP_BAGC2, 0x5000);
        set16(VDP_BAGC3, 0x5800);
        set16(VDP_BAPA, 0x1000);
        tms3556.vdp_regs8[VDP_CM4] = 0x60;  // text background 3
    }
    void mode(int cm3) { tms3556.vdp_regs8[VDP_CM3] = static_cast<uint8_t>(cm3); }
};

} // namespace

TEST_F(VideoTest, BlankModeIsBlack)
{
    write_file("debug.lst", "tms3556_redraw()");
    for (auto &b : tms3556.vram)
        b = 0xA5;
    for (auto &line : tms3556_screen)
        for (auto &d : line)
            d = 7;
    mode(0x3F);
    tms3556.vdp_regs8[VDP_CM4] = 0xFF;
    tms3556_redraw();
    expected_screen want;
    std::fill(want.dot.begin(), want.dot.end(), 0);
    expect_screen(want);
    EXPECT_EQ(log_text(), "00000000 0000 tms3556_redraw():Called for mode x0\n");
}

TEST_F(VideoTest, TextModeScreen)
{
    // Character set 00 (serial rule) draws an H from generator 0; set 01
    // (plain rule) an O from generator 2 under the same code. The generators'
    // pattern for the space is solid, and the text mode must not show it.
    store_glyph(0x4000, 'H', GLYPH_H);
    store_glyph(0x5000, 'H', GLYPH_O);
    store_glyph(0x4000, ' ', GLYPH_FULL);
    store_glyph(0x5000, ' ', GLYPH_FULL);
    mode(0x40);
    expected_screen want;
    for (int row = 0; row < 25; row++)
        for (int n = 0; n < 40; n++) {
            int fg = n % 8;
            if (row % 2 == 0) {
                // Plain: each cell its own background.
                text_cell(row, n, fg << 5 | 0x08 | row % 8, 'H');
                want.cell(n, 10 * row, GLYPH_O, fg, row % 8);
            } else if (row == 3 && n == 10) {
                // A serial space: drawn in its first colour, and its second
                // colour becomes the background of the rest of the line.
                text_cell(row, n, 2 << 5 | 5, 0xA0);  // bit 7 set: still a space
                want.cell(n, 10 * row, GLYPH_FULL, 2, 2);
            } else {
                // Serial: the background of CM4 until a space changes it.
                text_cell(row, n, fg << 5, 'H');
                want.cell(n, 10 * row, GLYPH_H, fg, row == 3 && n > 10 ? 5 : 3);
            }
        }
    tms3556_redraw();
    expect_screen(want);
}

TEST_F(VideoTest, SerialSpaceColoursTextAndMixed)
{
    // A space (attribute: colours 1 and 4) then a letter in white.
    store_glyph(0x4000, ' ', GLYPH_STEPS);
    store_glyph(0x4000, 'H', GLYPH_H);
    text_cell(0, 0, 0x24, ' ');
    text_cell(0, 1, 0xE0, 'H');
    mode(0x40);
    tms3556_redraw();
    EXPECT_TRUE(cell_rows_show(0, 0, GLYPH_FULL, 1, 1));
    EXPECT_TRUE(cell_rows_show(1, 0, GLYPH_H, 7, 4));

    // The mixed mode reads the two colours the other way round and draws
    // the generator's pattern for the space.
    mode(0xC0);
    tms3556_redraw();
    EXPECT_TRUE(cell_rows_show(0, 0, GLYPH_STEPS, 1, 4));
    EXPECT_TRUE(cell_rows_show(1, 0, GLYPH_H, 7, 1));
}

TEST_F(VideoTest, SpaceColourCarriesToTheNextLineAndFrame)
{
    // The last cell of the page is a space with background colour 6: its
    // colour waits for the next character, the first one of the next frame.
    store_glyph(0x4000, 'H', GLYPH_H);
    for (int row = 0; row < 25; row++)
        text_cell(row, 0, 0xE0, 'H');
    text_cell(24, 39, 0x06, ' ');
    text_cell(10, 39, 0x02, ' ');
    mode(0x40);
    tms3556_redraw();
    EXPECT_TRUE(cell_shows(0, 0, GLYPH_H[0], 7, 3));
    // Row 10 ends with a space: row 10's own lines 1-9 and row 11's line 0
    // start in its colour.
    EXPECT_TRUE(cell_shows(0, 100, GLYPH_H[0], 7, 3));
    for (int y = 101; y <= 110; y++)
        EXPECT_TRUE(cell_shows(0, y, GLYPH_H[(y - 100) % 10], 7, 2)) << y;
    EXPECT_TRUE(cell_shows(0, 111, GLYPH_H[1], 7, 3));
    tms3556_redraw();
    EXPECT_TRUE(cell_shows(0, 0, GLYPH_H[0], 7, 6));
    EXPECT_TRUE(cell_shows(0, 1, GLYPH_H[1], 7, 3));
}

TEST_F(VideoTest, FlashingCharacters)
{
    store_glyph(0x4000, 'H', GLYPH_H);
    store_glyph(0x5000, 'H', GLYPH_H);
    text_cell(0, 0, 0xE8 | 1, 'H' | 0x80);  // plain, white on red, flashing
    text_cell(0, 1, 0x40, 'H' | 0x80);      // serial, green, flashing
    text_cell(0, 2, 0xE8 | 1, 'H');         // plain, not flashing
    mode(0x40);
    // From program start: 24 frames shown, then 25 hidden, 25 shown...
    for (int frame = 1; frame <= 100; frame++) {
        tms3556_redraw();
        bool hidden = (frame >= 25 && frame <= 49) || (frame >= 75 && frame <= 99);
        ASSERT_EQ(cell_rows_show(0, 0, hidden ? GLYPH_FULL : GLYPH_H, hidden ? 1 : 7, 1), true) << frame;
        ASSERT_EQ(cell_rows_show(1, 0, hidden ? GLYPH_FULL : GLYPH_H, 2, 3), true) << frame;
        ASSERT_TRUE(cell_rows_show(2, 0, GLYPH_H, 7, 1)) << frame;
    }

    // In a mixed-mode text row only the serial rule flashes.
    for (int frame = 0; frame < 25; frame++)
        tms3556_redraw();
    mode(0xC0);
    tms3556_redraw();
    EXPECT_TRUE(cell_rows_show(0, 0, GLYPH_H, 7, 1));
    EXPECT_TRUE(cell_rows_show(1, 0, GLYPH_FULL, 2, 2));
}

TEST_F(VideoTest, DoubleWidthHalves)
{
    store_glyph(0x4000, 'W', GLYPH_WIDE);
    for (int n : {0, 1, 2, 4, 5})
        text_cell(0, n, 0xE2, 'W');
    text_cell(0, 3, 0xE0, 'W');
    mode(0x40);
    tms3556_redraw();
    for (int k = 0; k < 10; k++) {
        std::string left = widen(GLYPH_WIDE[k], 0), right = widen(GLYPH_WIDE[k], 1);
        EXPECT_TRUE(cell_shows(0, k, left, 7, 3)) << k;
        EXPECT_TRUE(cell_shows(1, k, right, 7, 3)) << k;
        EXPECT_TRUE(cell_shows(2, k, left, 7, 3)) << k;
        EXPECT_TRUE(cell_shows(3, k, GLYPH_WIDE[k], 7, 3)) << k;
        EXPECT_TRUE(cell_shows(4, k, left, 7, 3)) << k;
        EXPECT_TRUE(cell_shows(5, k, right, 7, 3)) << k;
    }
}

TEST_F(VideoTest, DoubleHeightHalves)
{
    // Line k of a double-height row shows these pattern lines.
    const int upper[10] = {0, 0, 0, 1, 1, 2, 2, 3, 3, 4};
    const int lower[10] = {4, 5, 5, 6, 6, 7, 7, 8, 8, 9};
    store_glyph(0x4000, 'S', GLYPH_STEPS);
    for (int row : {0, 1, 2, 4})
        text_cell(row, 5, 0xE1, 'S');
    for (int row = 0; row < 5; row++)
        text_cell(row, 6, 0xE0, 'S');
    text_cell(3, 5, 0xE0, 'S');
    mode(0x40);
    tms3556_redraw();
    for (int k = 0; k < 10; k++) {
        EXPECT_TRUE(cell_shows(5, k, GLYPH_STEPS[upper[k]], 7, 3)) << k;
        EXPECT_TRUE(cell_shows(5, 10 + k, GLYPH_STEPS[lower[k]], 7, 3)) << k;
        EXPECT_TRUE(cell_shows(5, 20 + k, GLYPH_STEPS[upper[k]], 7, 3)) << k;
        EXPECT_TRUE(cell_shows(5, 30 + k, GLYPH_STEPS[k], 7, 3)) << k;
        EXPECT_TRUE(cell_shows(5, 40 + k, GLYPH_STEPS[upper[k]], 7, 3)) << k;
        for (int row = 0; row < 5; row++)
            EXPECT_TRUE(cell_shows(6, 10 * row + k, GLYPH_STEPS[k], 7, 3)) << row << k;
    }
}

TEST_F(VideoTest, CharacterSetsAndTheirRules)
{
    const glyph *by_generator[4] = {&GLYPH_H, &GLYPH_O, &GLYPH_STEPS, &GLYPH_WIDE};
    for (int g = 0; g < 4; g++)
        store_glyph(0x4000 + 0x800 * g, 'C', *by_generator[g]);
    // Attribute bits 4-3: 00 generator 0, 01 generator 2, 10 generator 1, 11 generator 3.
    for (int set = 0; set < 4; set++)
        text_cell(0, set, 0xE0 | set << 3 | 4, 'C');
    mode(0x40);
    tms3556_redraw();
    EXPECT_TRUE(cell_rows_show(0, 0, GLYPH_H, 7, 3));
    EXPECT_TRUE(cell_rows_show(1, 0, GLYPH_STEPS, 7, 4));
    EXPECT_TRUE(cell_rows_show(2, 0, GLYPH_O, 7, 3));
    EXPECT_TRUE(cell_rows_show(3, 0, GLYPH_WIDE, 7, 3));
    // CM2 bit 3 puts set 11 under the plain rule.
    tms3556.vdp_regs8[VDP_CM2] = 0x08;
    tms3556_redraw();
    EXPECT_TRUE(cell_rows_show(3, 0, GLYPH_WIDE, 7, 4));
}

TEST_F(VideoTest, BitmapModeScreen)
{
    // The page starts near the top of video RAM and wraps to address 0.
    set16(VDP_BAPA, 0x7FF0);
    mode(0x80);
    expected_screen want;
    for (int y = 0; y < TMS3556_HEIGHT; y++) {
        unsigned line = 0x7FF0 + 122 * y;
        for (int x = 0; x < TMS3556_WIDTH; x++) {
            int colour = (x / 3 + y) % 8;
            want.dot[y * TMS3556_WIDTH + x] = static_cast<uint8_t>(colour);
            // Byte 0 holds the blue bits, byte 1 green, byte 2 red.
            for (int b = 0; b < 3; b++)
                if (colour & (4 >> b))
                    tms3556.vram[(line + 3 * (x / 8) + b) & 0x7FFF] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        tms3556.vram[(line + 120) & 0x7FFF] = 0xFF;
        tms3556.vram[(line + 121) & 0x7FFF] = 0xFF;
    }
    tms3556_redraw();
    expect_screen(want);

    set16(VDP_BAPA, 0x0000);
    tms3556.vram[0] = 0xFF;
    tms3556.vram[1] = 0x00;
    tms3556.vram[2] = 0x00;
    tms3556_redraw();
    EXPECT_TRUE(cell_shows(0, 0, "XXXXXXXX", 4, 0));
}

TEST_F(VideoTest, MixedModeChain)
{
    // From BAPA: a text row (plain), five bitmap lines, two text rows (serial),
    // then plain text rows to the bottom. A descriptor's bit 4 announces a
    // bitmap line; its bits 7-5 carry the serial background.
    store_glyph(0x5000, 'O', GLYPH_O);
    store_glyph(0x4000, 'H', GLYPH_H);
    enum kind { PLAIN, SERIAL, BITMAP };
    std::vector<kind> chain = {PLAIN, BITMAP, BITMAP, BITMAP, BITMAP, BITMAP, SERIAL, SERIAL};
    while (chain.size() < 30)
        chain.push_back(PLAIN);
    const int desc_colour[] = {1, 2, 3, 4, 5, 6, 7, 2};
    mode(0xC0);
    expected_screen want;
    unsigned at = 0x1000;
    int y = 0, serial_bg = -1;
    for (size_t i = 0; i < chain.size() && y < TMS3556_HEIGHT; i++) {
        bool next_bitmap = i + 1 < chain.size() && chain[i + 1] == BITMAP;
        int colour = desc_colour[i % 8];
        if (chain[i] == BITMAP) {
            for (int g = 0; g < 40; g++)
                tms3556.vram[at + 3 * g + (g % 3)] = 0xF0;  // left half blue, green or red
            for (int g = 0; g < 40; g++)
                want.cell_line(g, y, "XXXX....", 4 >> (g % 3), 0);
            tms3556.vram[at + 120] = static_cast<uint8_t>(colour << 5 | (next_bitmap ? 0x10 : 0));
            // A bitmap line that leads to text hands it its own colour.
            serial_bg = colour;
            at += 122;
            y++;
        } else {
            for (int n = 0; n < 40; n++) {
                if (chain[i] == PLAIN) {
                    put_cell(at, n, (n % 8) << 5 | 0x08 | 6, 'O');
                    want.cell(n, y, GLYPH_O, n % 8, 6);
                } else {
                    put_cell(at, n, (n % 8) << 5, 'H');
                    want.cell(n, y, GLYPH_H, n % 8, serial_bg);
                }
            }
            tms3556.vram[at + 80] = static_cast<uint8_t>(colour << 5 | (next_bitmap ? 0x10 : 0));
            at += 82;
            y += 10;
            // A text row leading to text hands over the colour of the new row.
            serial_bg = desc_colour[(i + 1) % 8];
        }
    }
    ASSERT_EQ(y, 255);  // the last row is cut after five lines
    tms3556_redraw();
    expect_screen(want);
}

TEST_F(VideoTest, HostPictures)
{
    tms3556_screen[0][0] = 1;
    tms3556_screen[249][319] = 6;
    std::vector<uint32_t> rgb32(640 * 500);
    tms3556_to_rgb32(tms3556_screen, rgb32.data(), 640, 2);
    for (int i : {0, 1, 640, 641})
        EXPECT_EQ(rgb32[i], 0xFF0000u);
    EXPECT_EQ(rgb32[2], 0u);
    EXPECT_EQ(rgb32[499 * 640 + 639], 0x00FFFFu);
    EXPECT_EQ(rgb32[498 * 640 + 638], 0x00FFFFu);

    std::vector<uint8_t> rgb24(320 * 3 * 250);
    tms3556_to_rgb24(tms3556_screen, rgb24.data(), 320 * 3, 1);
    EXPECT_EQ(rgb24[0], 255);
    EXPECT_EQ(rgb24[1], 0);
    EXPECT_EQ(rgb24[2], 0);
    size_t last = 249 * 960 + 319 * 3;
    EXPECT_EQ(rgb24[last], 0);
    EXPECT_EQ(rgb24[last + 1], 255);
    EXPECT_EQ(rgb24[last + 2], 255);
}

namespace {
int picture_unwanted() { return 0; }
}

// A frame the host does not want drawn leaves the picture as it was, and the
// renderer's state (serial colours, flash count) as drawing it would have:
// the next picture drawn is the same either way.
TEST_F(VideoTest, FramesNotWantedAreFollowedNotDrawn)
{
    orv_host_hooks saved = orv_host;
    for (int cm3 : {0x00, 0x40, 0x80, 0xC0}) {
        mode(cm3);
        uint32_t seed = 12345u + cm3;
        for (int frame = 0; frame < 60; frame++) {
            // Cells of every kind: spaces with both colour orders, flashing
            // and double-size attributes, descriptors of both kinds.
            for (unsigned a = 0; a < 0x4000; a++) {
                seed = seed * 1103515245u + 12345u;
                uint8_t v = static_cast<uint8_t>(seed >> 16);
                tms3556.vram[a] = (a & 1) && (seed >> 28) < 5 ? (0x20 | (v & 0x80)) : v;
            }
            tms3556_render_state before = tms3556_render;
            orv_host.picture_wanted = nullptr;
            tms3556_redraw();
            tms3556_render_state drawn = tms3556_render;
            std::vector<uint8_t> picture(&tms3556_screen[0][0], &tms3556_screen[0][0] + sizeof tms3556_screen);

            tms3556_render = before;
            tms3556_screen[0][0] ^= 7;
            orv_host.picture_wanted = picture_unwanted;
            tms3556_redraw();
            EXPECT_EQ(tms3556_render.next_col, drawn.next_col) << cm3 << " frame " << frame;
            EXPECT_EQ(tms3556_render.cur_alpha_col, drawn.cur_alpha_col) << cm3 << " frame " << frame;
            EXPECT_EQ(tms3556_render.flash_count, drawn.flash_count);
            EXPECT_EQ(tms3556_screen[0][0], picture[0] ^ 7);  // not drawn
            tms3556_screen[0][0] ^= 7;
        }
    }
    orv_host = saved;
}
