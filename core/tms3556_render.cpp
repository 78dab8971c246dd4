// The TMS3556 picture: 320 x 250 dots drawn once a frame from the registers
// and video RAM, in one of four display modes chosen by CM3 bits 7 and 6:
//   0x00 blank, 0x40 text (25 rows of 40 cells, 10 lines a row),
//   0x80 bitmap (3 bits a dot), 0xC0 mixed (text rows and bitmap lines
//   chained through descriptor bytes).
//
// Dots are built eight at a time: a 64-bit word holds one cell line, byte i
// being dot i from the left, and is stored with one copy.
#include "tms3556.h"

#include "debug_hooks.h"
#include "host.h"
#include "trace.h"

#include <bit>
#include <cstring>

tms3556_picture tms3556_screen;
tms3556_render_state tms3556_render;

const orv_rgb orv_col[8] = {
    {0, 0, 0},       // 0 black
    {255, 0, 0},     // 1 red
    {0, 255, 0},     // 2 green
    {255, 255, 0},   // 3 yellow
    {0, 0, 255},     // 4 blue
    {255, 0, 255},   // 5 magenta
    {0, 255, 255},   // 6 cyan
    {255, 255, 255}, // 7 white
};

namespace {

trace_fn tf_redraw = {"tms3556_redraw()", 0};

constexpr int TEXT_ROW_BYTES = 80;    // 40 cells of attribute + character
constexpr int MIXED_ROW_BYTES = 82;   // 40 cells, descriptor, one unused byte
constexpr int BITMAP_LINE_BYTES = 122; // 40 groups of 3, descriptor, one unused byte
constexpr int CELLS = 40;
constexpr int ROW_LINES = 10;

// Pattern line shown on line k of a row: a cell's own line, or on a
// double-height row the upper half of the character on the first row and the
// lower half on the row below.
constexpr int row_line_of[3][10] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
    {0, 0, 0, 1, 1, 2, 2, 3, 3, 4},
    {4, 5, 5, 6, 6, 7, 7, 8, 8, 9},
};

constexpr int byte_shift(int i) { return std::endian::native == std::endian::little ? 8 * i : 8 * (7 - i); }

struct render_tables {
    uint64_t mask[256];   // byte i is 0xFF where pattern bit 7 - i is set
    uint64_t ones[256];   // byte i is 1 where bit 7 - i is set
    uint64_t splat[8];    // the colour in all eight bytes
    uint8_t dw_left[256]; // high four bits, each doubled
    uint8_t dw_right[256];// low four bits, each doubled
    uint8_t width[3][256];// a cell's pattern as shown: whole, left half or right half doubled
};

constexpr render_tables make_tables()
{
    render_tables t{};
    for (int p = 0; p < 256; p++) {
        for (int i = 0; i < 8; i++) {
            if (p & (0x80 >> i)) {
                t.mask[p] |= uint64_t{0xFF} << byte_shift(i);
                t.ones[p] |= uint64_t{1} << byte_shift(i);
            }
        }
        int left = 0, right = 0;
        for (int b = 0; b < 4; b++) {
            if (p & (0x10 << b))
                left |= 3 << (2 * b);
            if (p & (0x01 << b))
                right |= 3 << (2 * b);
        }
        t.dw_left[p] = static_cast<uint8_t>(left);
        t.dw_right[p] = static_cast<uint8_t>(right);
        t.width[0][p] = static_cast<uint8_t>(p);
        t.width[1][p] = static_cast<uint8_t>(left);
        t.width[2][p] = static_cast<uint8_t>(right);
    }
    for (int c = 0; c < 8; c++)
        t.splat[c] = uint64_t{0x0101010101010101} * static_cast<uint64_t>(c);
    return t;
}

constexpr render_tables tables = make_tables();

inline void put8(uint8_t *out, uint64_t dots) { std::memcpy(out, &dots, 8); }

inline uint8_t vram_at(unsigned address) { return tms3556.vram[address & 0x7FFF]; }

// What one frame carries from line to line.
struct frame_state {
    bool flash_on;
    bool cm2_plain_set3;   // CM2 bit 3: character set 3 drawn by the plain rule
    uint8_t cm4_col;       // default text background, CM4 bits 7 to 5
    unsigned bagc[4];      // generator base by attribute bits 4-3
    int dh_state;          // 0 none, 1 this row has double height, 2 lower halves
    int row_line;
    unsigned mix_row;
    bool mix_text;
};

// Two colour rules share the cells. The plain rule gives each cell its own
// background (attribute bits 2-0). The serial rule takes the background from
// the last space: a space sets the colour that the following characters show
// behind them, its own attribute bits 2-0 then meaning double width (bit 1)
// and double height (bit 0). The text mode and the text rows of the mixed
// mode read a space's two colours in opposite order. The text mode blanks
// spaces whatever the generator holds, and there a flashing character of the
// plain rule vanishes into its background; in both modes a flashing cell of
// the serial rule becomes a solid block of its foreground colour.
//
// The serial rule's walk over one cell: a space sets the background the
// cells after it show (`cur`) and the one waiting to take effect (`next`),
// from its attribute's bits 7-5 and 2-0 in the text mode and the other way
// round in a mixed-mode text row; any other cell takes the waiting colour,
// if there is one.
template <bool mixed>
[[gnu::always_inline]] inline void serial_step(unsigned a, bool space, int &cur, int &next)
{
    if (space) {
        cur = static_cast<int>(mixed ? a & 7 : a >> 5);
        next = static_cast<int>(mixed ? a >> 5 : a & 7);
    } else {
        if (next != -1)
            cur = next;
        next = -1;
    }
}

// One line of 40 text cells of a mixed-mode row starting at `row`, pattern
// line k. Without `draw` only the serial colours are followed, for a frame
// whose picture nobody looks at.
template <bool draw>
void mixed_text_line(uint8_t *out, unsigned row, int k, frame_state &f)
{
    tms3556_render_state &r = tms3556_render;
    int dw_count = 0;
    for (int n = 0; n < CELLS; n++, out += 8) {
        unsigned a = vram_at(row + 2 * n);
        unsigned ch = vram_at(row + 2 * n + 1);
        unsigned code = ch & 0x7F;
        serial_step<true>(a, code == 0x20, r.cur_alpha_col, r.next_col);
        if (!draw)
            continue;

        unsigned set = (a >> 3) & 3;
        unsigned base = f.bagc[set];
        bool plain = set == 1 || (set == 3 && f.cm2_plain_set3);
        bool flashing = f.flash_on && (ch & 0x80);
        unsigned fg = a >> 5;
        unsigned bg;
        unsigned p;
        if (plain) {
            bg = a & 7;
            p = vram_at(base + (9 - k) * 128 + code);
        } else {
            bg = flashing ? fg : static_cast<unsigned>(r.cur_alpha_col);
            int line = k;
            if (a & 1) {
                if (f.dh_state == 0)
                    f.dh_state = 1;
                line = row_line_of[f.dh_state == 2 ? 2 : 1][k];
            }
            p = vram_at(base + (9 - line) * 128 + code);
            // Each cell of a double-width pair shows one half of its own
            // character; the firmware puts the character in both cells.
            if (a & 2) {
                if (++dw_count == 3)
                    dw_count = 1;
                p = dw_count == 1 ? tables.dw_left[p] : tables.dw_right[p];
            } else {
                dw_count = 0;
            }
        }
        uint64_t m = tables.mask[p];
        put8(out, (m & tables.splat[fg]) | (~m & tables.splat[bg]));
    }
}

void bitmap_line(uint8_t *out, unsigned start)
{
    // Three bytes give eight dots: one bit of each dot's colour per byte,
    // blue from the first byte, red from the last. A line that does not run
    // past the end of video RAM is read straight; one that does wraps to its
    // start.
    constexpr unsigned LINE_DOT_BYTES = 3 * CELLS;
    unsigned first = start & 0x7FFF;
    if (first + LINE_DOT_BYTES <= static_cast<unsigned>(TMS3556_VRAM_SIZE)) {
        const uint8_t *v = &tms3556.vram[first];
        for (int g = 0; g < CELLS; g++, out += 8, v += 3)
            put8(out, tables.ones[v[0]] * 4 + tables.ones[v[1]] * 2 + tables.ones[v[2]]);
        return;
    }
    for (int g = 0; g < CELLS; g++, out += 8) {
        unsigned a = start + 3 * g;
        uint64_t dots = tables.ones[vram_at(a)] * 4 + tables.ones[vram_at(a + 1)] * 2 + tables.ones[vram_at(a + 2)];
        put8(out, dots);
    }
}

void end_of_row(frame_state &f)
{
    f.row_line = 0;
    f.dh_state = f.dh_state == 1 ? 2 : 0;
}

// The text mode draws a row's ten lines from one pass over its cells: what a
// cell shows (colours, generator address, double width and height) is the
// same on every line of the row. Only the serial background can differ, and
// only between the first line and the others: each line starts afresh from
// CM4 with the colour the line before left pending, and what a line leaves
// pending depends on its last cell alone. The lines differ only up to the
// row's first space (which sets both colours): the cells before it show the
// colour the line started with.
struct text_cell {
    unsigned glyph;   // generator address of the character: pattern line l
                      // is at glyph + (9 - l) * 128
    uint8_t fg;
    uint8_t bg;       // the cell's own background (plain rule, flashing), or
                      // the serial rule's from the row's first space on
    bool serial;      // background from the serial rule
    bool space;       // a space shows no pattern
    uint8_t height;   // line map: 0 own line, 1 upper half, 2 lower half
    uint8_t width;    // 0 whole pattern, 1 left half doubled, 2 right half doubled
};

// Generator offsets of the pattern lines a row's ten lines show, by line map.
constexpr struct line_offsets {
    int of[3][ROW_LINES];
    constexpr line_offsets() : of{}
    {
        for (int h = 0; h < 3; h++)
            for (int k = 0; k < ROW_LINES; k++)
                of[h][k] = (9 - row_line_of[h][k]) * 128;
    }
} line_offset;

// A cell's ten lines at dot `x`, line k from the generator byte at
// g[offset[k]] (at g[(9 - k) * 128] for a cell of `plain_lines`), its
// pattern as shown through `shape` unless `whole`. A dot shows the
// foreground where the pattern has a one: bg ^ (mask & (fg ^ bg)).
template <bool plain_lines, bool whole>
[[gnu::always_inline]] inline void cell_lines(uint8_t (*out)[TMS3556_WIDTH], int x, const uint8_t *g, const int *offset,
                                              const uint8_t *shape, uint64_t fg, uint64_t first_bg,
                                              uint64_t other_bg)
{
    const uint64_t other_fg = fg ^ other_bg;
    for (int k = 0; k < ROW_LINES; k++) {
        unsigned p = g[plain_lines ? (9 - k) * 128 : offset[k]];
        if (!whole)
            p = shape[p];
        const uint64_t m = tables.mask[p];
        put8(out[k] + x, k == 0 ? first_bg ^ (m & (fg ^ first_bg)) : other_bg ^ (m & other_fg));
    }
}

void text_row(uint8_t (*out)[TMS3556_WIDTH], unsigned row, frame_state &f)
{
    tms3556_render_state &r = tms3556_render;
    text_cell cells[CELLS];
    int dw_count = 0;
    bool lower = f.dh_state == 2;
    // The serial walk, from the row's first space on (before it: -1).
    int next_col = -1;
    int cur_col = f.cm4_col;
    int first_space = CELLS;
    for (int n = 0; n < CELLS; n++) {
        text_cell &c = cells[n];
        unsigned a = vram_at(row + 2 * n);
        unsigned ch = vram_at(row + 2 * n + 1);
        unsigned code = ch & 0x7F;
        unsigned set = (a >> 3) & 3;
        bool plain = set == 1 || (set == 3 && f.cm2_plain_set3);
        bool flashing = f.flash_on && (ch & 0x80);
        c.space = code == 0x20;
        serial_step<false>(a, c.space, cur_col, next_col);
        if (c.space && first_space == CELLS)
            first_space = n;
        c.glyph = f.bagc[set] + code;
        c.fg = static_cast<uint8_t>(a >> 5);
        c.height = 0;
        c.width = 0;
        if (plain) {
            c.bg = static_cast<uint8_t>(a & 7);
            if (flashing)
                c.fg = c.bg;
            c.serial = false;
        } else {
            c.bg = flashing ? c.fg : static_cast<uint8_t>(cur_col);
            c.serial = !flashing;
            if (a & 1) {
                if (f.dh_state == 0)
                    f.dh_state = 1;
                c.height = lower ? 2 : 1;
            }
            if (a & 2) {
                if (++dw_count == 3)
                    dw_count = 1;
                c.width = static_cast<uint8_t>(dw_count);
            } else {
                dw_count = 0;
            }
        }
    }
    // Before the first space: the first line starts with the colour the row
    // above left pending, the others with what a line of this row leaves.
    const int first_start = r.next_col != -1 ? r.next_col : f.cm4_col;
    const int other_start = next_col != -1 ? next_col : f.cm4_col;
    r.next_col = next_col;
    r.cur_alpha_col = f.cm4_col;

    // A cell at a time, down its ten lines.
    for (int n = 0; n < CELLS; n++) {
        const text_cell &c = cells[n];
        const bool starting = c.serial && n < first_space;
        uint64_t fg = tables.splat[c.fg];
        uint64_t first_bg = tables.splat[starting ? first_start : c.bg];
        uint64_t other_bg = tables.splat[starting ? other_start : c.bg];
        const uint8_t *shape = tables.width[c.width];
        const int *offset = line_offset.of[c.height];
        // A space shows its background; a generator that does not run past
        // the end of video RAM is read straight.
        if (c.space) {
            put8(out[0] + 8 * n, first_bg);
            for (int k = 1; k < ROW_LINES; k++)
                put8(out[k] + 8 * n, other_bg);
            continue;
        }
        if (c.glyph + (ROW_LINES - 1) * 128 < TMS3556_VRAM_SIZE) {
            const uint8_t *g = &tms3556.vram[c.glyph];
            if (c.height == 0 && c.width == 0)
                cell_lines<true, true>(out, 8 * n, g, offset, shape, fg, first_bg, other_bg);
            else if (c.width == 0)
                cell_lines<false, true>(out, 8 * n, g, offset, shape, fg, first_bg, other_bg);
            else
                cell_lines<false, false>(out, 8 * n, g, offset, shape, fg, first_bg, other_bg);
            continue;
        }
        for (int k = 0; k < ROW_LINES; k++) {
            unsigned p = shape[vram_at(c.glyph + static_cast<unsigned>(offset[k]))];
            uint64_t m = tables.mask[p];
            put8(out[k] + 8 * n, (m & fg) | (~m & (k == 0 ? first_bg : other_bg)));
        }
    }
}

// Serial colours start each line afresh from CM4; a space's pending colour
// is carried on.
void draw_text_mode(unsigned bapa, frame_state &f)
{
    for (int y = 0; y < TMS3556_HEIGHT; y += ROW_LINES) {
        text_row(&tms3556_screen[y], bapa + TEXT_ROW_BYTES * (y / ROW_LINES), f);
        end_of_row(f);
    }
}

// What the text mode leaves for the next frame without drawing: every line
// starts its serial colour afresh from CM4, and a line's last cell decides
// the pending colour (a space sets it, anything else clears it), so only the
// last cell of the last line counts.
void follow_text_mode(unsigned bapa, frame_state &f)
{
    tms3556_render_state &r = tms3556_render;
    unsigned last = bapa + TEXT_ROW_BYTES * ((TMS3556_HEIGHT - 1) / ROW_LINES) + 2 * (CELLS - 1);
    int cur = f.cm4_col, next = -1;
    serial_step<false>(vram_at(last), (vram_at(last + 1) & 0x7F) == 0x20, cur, next);
    r.next_col = next;
    r.cur_alpha_col = f.cm4_col;
}

// The mixed mode walks a chain from BAPA: a text row (ten lines) or a bitmap
// line, each ending with a descriptor whose bit 4 says that a bitmap line
// follows and whose bits 7-5 carry a background colour for the serial rule.
template <bool draw>
void draw_mixed_mode(frame_state &f)
{
    tms3556_render_state &r = tms3556_render;
    for (int y = 0; y < TMS3556_HEIGHT; y++) {
        uint8_t *out = tms3556_screen[y];
        if (f.mix_text) {
            mixed_text_line<draw>(out, f.mix_row, f.row_line, f);
            if (++f.row_line == ROW_LINES) {
                end_of_row(f);
                unsigned desc = vram_at(f.mix_row + 80);
                f.mix_row += MIXED_ROW_BYTES;
                f.mix_text = !(desc & 0x10);
                if (f.mix_text)
                    r.cur_alpha_col = vram_at(f.mix_row + 80) >> 5;
            }
            if (y == TMS3556_HEIGHT - 1)
                r.cur_alpha_col = vram_at(f.mix_row + 80) >> 5;
        } else {
            if (draw)
                bitmap_line(out, f.mix_row);
            unsigned desc = vram_at(f.mix_row + 120);
            f.row_line = 0;
            f.mix_text = !(desc & 0x10);
            if (f.mix_text || y == TMS3556_HEIGHT - 1)
                r.cur_alpha_col = desc >> 5;
            f.mix_row += BITMAP_LINE_BYTES;
        }
    }
}

} // namespace

int tms3556_init(int)
{
    // The picture buffer is part of the core and always exists.
    clear_vram();
    for (auto &reg : tms3556.vdp_regs16)
        reg = 0;
    tms3556.vdp_acmp = 0;
    tms3556.vdp_acmpxy = 0;
    return 0;
}

const tms3556_picture *tms3556_redraw()
{
    // A frame nobody will look at is followed, not drawn: the renderer's
    // state moves on exactly as if it had been, the picture stays as it was.
    bool draw = orv_picture_wanted();
    trace_enter(tf_redraw);
    const tms3556_state &v = tms3556;
    unsigned m = v.vdp_regs8[VDP_CM3] & 0xC0;
    unsigned bapa = v.vdp_regs16[VDP_BAPA - 8];
    TRACE(tf_redraw, "Called for mode x%x", m);

    tms3556_render_state &r = tms3556_render;
    r.flash_count = (r.flash_count + 1) % 50;

    frame_state f{};
    f.flash_on = r.flash_count >= 25;
    f.cm2_plain_set3 = (v.vdp_regs8[VDP_CM2] & 0x08) != 0;
    f.cm4_col = static_cast<uint8_t>(v.vdp_regs8[VDP_CM4] >> 5);
    // Attribute bits 4-3: 00 generator 0, 01 generator 2, 10 generator 1, 11 generator 3.
    f.bagc[0] = v.vdp_regs16[VDP_BAGC0 - 8];
    f.bagc[1] = v.vdp_regs16[VDP_BAGC2 - 8];
    f.bagc[2] = v.vdp_regs16[VDP_BAGC1 - 8];
    f.bagc[3] = v.vdp_regs16[VDP_BAGC3 - 8];
    f.dh_state = 0;
    f.row_line = 0;
    f.mix_row = bapa;
    f.mix_text = true;

    // The mixed mode keeps the serial colour the previous frame left.
    if (m != 0xC0)
        r.cur_alpha_col = f.cm4_col;

    if (!draw) {
        if (m == 0x40)
            follow_text_mode(bapa, f);
        else if (m == 0xC0)
            draw_mixed_mode<false>(f);
        return &tms3556_screen;
    }
    switch (m) {
    case 0x00:
        std::memset(tms3556_screen, 0, sizeof tms3556_screen);
        break;
    case 0x40:
        draw_text_mode(bapa, f);
        break;
    case 0x80:
        for (int y = 0; y < TMS3556_HEIGHT; y++)
            bitmap_line(tms3556_screen[y], bapa + BITMAP_LINE_BYTES * y);
        break;
    default:
        draw_mixed_mode<true>(f);
        break;
    }
    return &tms3556_screen;
}

void tms3556_to_rgb32(const tms3556_picture &picture, uint32_t *out, int pitch, int scale)
{
    if (scale < 1)
        return;
    uint32_t colour[8];
    for (int c = 0; c < 8; c++)
        colour[c] = uint32_t{orv_col[c].r} << 16 | uint32_t{orv_col[c].g} << 8 | orv_col[c].b;
    for (int y = 0; y < TMS3556_HEIGHT; y++) {
        uint32_t *first = out + static_cast<long>(y) * scale * pitch;
        uint32_t *px = first;
        for (int x = 0; x < TMS3556_WIDTH; x++)
            for (int sx = 0; sx < scale; sx++)
                *px++ = colour[picture[y][x] & 7];
        for (int sy = 1; sy < scale; sy++)
            std::memcpy(first + static_cast<long>(sy) * pitch, first, sizeof(uint32_t) * TMS3556_WIDTH * scale);
    }
}

void tms3556_to_rgb24(const tms3556_picture &picture, uint8_t *out, int pitch, int scale)
{
    if (scale < 1)
        return;
    for (int y = 0; y < TMS3556_HEIGHT; y++) {
        uint8_t *first = out + static_cast<long>(y) * scale * pitch;
        uint8_t *px = first;
        for (int x = 0; x < TMS3556_WIDTH; x++)
            for (int sx = 0; sx < scale; sx++) {
                const orv_rgb &c = orv_col[picture[y][x] & 7];
                *px++ = c.r;
                *px++ = c.g;
                *px++ = c.b;
            }
        for (int sy = 1; sy < scale; sy++)
            std::memcpy(first + static_cast<long>(sy) * pitch, first, 3UL * TMS3556_WIDTH * scale);
    }
}
