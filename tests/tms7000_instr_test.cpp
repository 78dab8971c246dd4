// Instruction set: one row per case (state before, instruction bytes at
// 0xC000, state after, cycles), checked by one driver; then every opcode's
// length and cycles; then the seven operand forms of each operation against
// each other.
#include "test_support.h"
#include "tms7000_test_support.h"

#include "core/tms7000_ops.h"
#include "core/trace.h"

#include <array>
#include <cstring>

namespace {

struct Cell {
    uint16_t addr;
    uint8_t value;
};

struct Row {
    const char *name;
    std::vector<uint8_t> code;  // at 0xC000
    std::vector<Cell> before;
    uint8_t sr;
    std::vector<Cell> after;  // every byte that must change (or hold) a value
    uint8_t sr_after;
    uint16_t pc_after;
    int cycles;
    uint8_t sp = 1;
    int sp_after = -1;  // -1: unchanged
};

constexpr uint16_t R(int n) { return static_cast<uint16_t>(n); }

// clang-format off
const Row rows[] = {
    // Moves and logic: C = 0, N and Z from the value; I and bits 3-0 kept.
    {"MOV B,A", {0x62}, {{RB, 0x80}}, fC | fI | 0x05, {{RA, 0x80}}, fN | fI | 0x05, 0xC001, 5},
    {"MOV R5,A zero", {0x12, 0x05}, {{RA, 0x33}}, 0, {{RA, 0x00}}, fZ, 0xC002, 8},
    {"MOV R5,B", {0x32, 0x05}, {{R(5), 0x7F}}, fZ, {{RB, 0x7F}}, 0, 0xC002, 8},
    {"MOV R5,R6", {0x42, 0x05, 0x06}, {{R(5), 0x42}}, 0, {{R(6), 0x42}}, 0, 0xC003, 10},
    {"MOV #n,A", {0x22, 0xFF}, {}, 0, {{RA, 0xFF}}, fN, 0xC002, 7},
    {"MOV #n,B", {0x52, 0x00}, {{RB, 9}}, 0, {{RB, 0}}, fZ, 0xC002, 7},
    {"MOV #n,R7", {0x72, 0x12, 0x07}, {}, 0, {{R(7), 0x12}}, 0, 0xC003, 9},
    {"MOV R128,A reads the gap", {0x12, 0x80}, {}, 0, {{RA, 0xFF}}, fN, 0xC002, 8},
    {"MOV #n,R128 is dropped", {0x72, 0x55, 0x80}, {}, fZ, {}, 0, 0xC003, 9},
    {"AND #n,A", {0x23, 0x0F}, {{RA, 0x5A}}, fC, {{RA, 0x0A}}, 0, 0xC002, 7},
    {"AND #n,R7 zero", {0x73, 0x01, 0x07}, {{R(7), 0x02}}, 0, {{R(7), 0}}, fZ, 0xC003, 9},
    {"OR B,A", {0x64}, {{RA, 0x01}, {RB, 0x80}}, 0, {{RA, 0x81}}, fN, 0xC001, 5},
    {"XOR R5,R6", {0x45, 0x05, 0x06}, {{R(5), 0xFF}, {R(6), 0xFF}}, 0, {{R(6), 0}}, fZ, 0xC003, 10},

    // Add and subtract: C is the carry out, or 1 when nothing was borrowed.
    {"ADD #1,A carries out", {0x28, 0x01}, {{RA, 0xFF}}, 0, {{RA, 0}}, fC | fZ, 0xC002, 7},
    {"ADD R5,B", {0x38, 0x05}, {{R(5), 1}, {RB, 0x7F}}, fC, {{RB, 0x80}}, fN, 0xC002, 8},
    {"ADC #0,A adds the carry", {0x29, 0x00}, {{RA, 0x41}}, fC, {{RA, 0x42}}, 0, 0xC002, 7},
    {"ADC B,A carry through FF", {0x69}, {{RA, 0xFF}}, fC, {{RA, 0}}, fC | fZ, 0xC001, 5},
    {"SUB #1,A borrows", {0x2A, 0x01}, {}, 0, {{RA, 0xFF}}, fN, 0xC002, 7},
    {"SUB R5,R6", {0x4A, 0x05, 0x06}, {{R(5), 1}, {R(6), 0x10}}, 0, {{R(6), 0x0F}}, fC, 0xC003, 10},
    {"SBB #1,A with C = 0", {0x2B, 0x01}, {{RA, 5}}, 0, {{RA, 3}}, fC, 0xC002, 7},
    {"SBB #1,A with C = 1", {0x2B, 0x01}, {{RA, 5}}, fC, {{RA, 4}}, fC, 0xC002, 7},
    {"SBB B,A borrow in from 0", {0x6B}, {}, 0, {{RA, 0xFF}}, fN, 0xC001, 5},
    {"SBB B,A borrow in, no borrow out", {0x6B}, {{RA, 1}}, 0, {{RA, 0}}, fC | fZ, 0xC001, 5},
    {"CMP #5,A equal", {0x2D, 0x05}, {{RA, 5}}, 0, {}, fC | fZ, 0xC002, 7},
    {"CMP R5,R6 is R6 - R5", {0x4D, 0x05, 0x06}, {{R(5), 0x20}, {R(6), 0x10}}, fC, {}, fN, 0xC003, 10},
    {"CMP B,A", {0x6D}, {{RA, 0x80}, {RB, 0x01}}, 0, {}, fC, 0xC001, 5},

    // Multiply: the product always lands in A:B.
    {"MPY #10,A", {0x2C, 0x10}, {{RA, 0x20}}, fC | fZ, {{RA, 0x02}, {RB, 0x00}}, 0, 0xC002, 45},
    {"MPY R5,R6 leaves R6", {0x4C, 0x05, 0x06}, {{R(5), 0xFF}, {R(6), 0xFF}}, 0,
     {{RA, 0xFE}, {RB, 0x01}}, fN, 0xC003, 48},
    {"MPY B,A zero", {0x6C}, {{RB, 0x33}}, 0, {{RB, 0}}, fZ, 0xC001, 43},
    {"MPY R5,B", {0x3C, 0x05}, {{R(5), 3}, {RB, 4}}, 0, {{RB, 12}}, fZ, 0xC002, 46},
    {"MPY #n,R7", {0x7C, 0x80, 0x07}, {{R(7), 2}}, 0, {{RA, 1}, {RB, 0}}, 0, 0xC003, 47},

    // Decimal: DAC adds digit by digit, DSB subtracts with C = 1 for no borrow.
    {"DAC B,A", {0x6E}, {{RA, 0x19}, {RB, 0x28}}, 0, {{RA, 0x47}}, 0, 0xC001, 7},
    {"DAC B,A carries out", {0x6E}, {{RA, 0x99}, {RB, 0x01}}, 0, {{RA, 0x00}}, fC | fZ, 0xC001, 7},
    {"DAC #n,A adds the carry", {0x2E, 0x54}, {{RA, 0x45}}, fC, {{RA, 0x00}}, fC | fZ, 0xC002, 9},
    {"DAC R5,R6", {0x4E, 0x05, 0x06}, {{R(5), 0x38}, {R(6), 0x45}}, 0, {{R(6), 0x83}}, fN, 0xC003, 12},
    {"DSB B,A", {0x6F}, {{RA, 0x47}, {RB, 0x28}}, fC, {{RA, 0x19}}, fC, 0xC001, 7},
    {"DSB #1,A borrows", {0x2F, 0x01}, {}, fC, {{RA, 0x99}}, fN, 0xC002, 9},
    {"DSB #0,A borrow in", {0x2F, 0x00}, {{RA, 0x10}}, 0, {{RA, 0x09}}, fC, 0xC002, 9},
    {"DSB R5,B equal", {0x3F, 0x05}, {{R(5), 0x28}, {RB, 0x28}}, fC, {{RB, 0x00}}, fC | fZ, 0xC002, 10},

    // Bit test and jump: flags on the masked value; the displacement is last.
    {"BTJZ #01,A jumps", {0x27, 0x01, 0x04}, {{RA, 0xFE}}, 0, {}, 0, 0xC007, 11},
    {"BTJZ #01,A falls through", {0x27, 0x01, 0x04}, {{RA, 0xFF}}, 0, {}, fZ, 0xC003, 9},
    {"BTJO B,A jumps back", {0x66, 0xFE}, {{RA, 0x81}, {RB, 0x80}}, 0, {}, fN, 0xC000, 9},
    {"BTJO R5,R6 falls through", {0x46, 0x05, 0x06, 0x10}, {{R(5), 1}, {R(6), 2}}, 0, {}, fZ, 0xC004, 12},
    {"BTJO R5,B jumps", {0x36, 0x05, 0x10}, {{R(5), 3}, {RB, 2}}, 0, {}, 0, 0xC013, 12},
    {"BTJO #n,R7 jumps back across a page", {0x76, 0x01, 0x07, 0x80}, {{R(7), 1}}, 0, {}, 0, 0xBF84, 13},
    {"BTJZ R5,A jumps", {0x17, 0x05, 0x02}, {{R(5), 0x0F}, {RA, 0x0E}}, 0, {}, 0, 0xC005, 9},

    // Peripheral file.
    {"MOVP A,P6", {0x82, 0x06}, {{RA, 0x5A}}, 0, {{P(6), 0x5A}}, 0, 0xC002, 10},
    {"MOVP B,P9", {0x92, 0x09}, {{RB, 0x0F}}, 0, {{P(9), 0x0F}}, 0, 0xC002, 10},
    {"MOVP #n,P11", {0xA2, 0xF0, 0x0B}, {}, 0, {{P(11), 0xF0}}, fN, 0xC003, 11},
    {"MOVP P6,A", {0x80, 0x06}, {{RA, 0x12}}, 0, {{RA, 0x00}}, fZ, 0xC002, 9},
    {"MOVP P9,B", {0x91, 0x09}, {{P(9), 0x81}}, 0, {{RB, 0x81}}, fN, 0xC002, 8},
    {"ANDP A,P6", {0x83, 0x06}, {{RA, 0x0F}, {P(6), 0x3C}}, 0, {{P(6), 0x0C}}, 0, 0xC002, 10},
    {"ORP B,P6", {0x94, 0x06}, {{RB, 0x80}, {P(6), 0x01}}, 0, {{P(6), 0x81}}, fN, 0xC002, 9},
    {"XORP #n,P6", {0xA5, 0xFF, 0x06}, {{P(6), 0xFF}}, 0, {{P(6), 0x00}}, fZ, 0xC003, 11},
    {"BTJOP A,P6 jumps", {0x86, 0x06, 0x02}, {{RA, 0x10}, {P(6), 0x10}}, 0, {}, 0, 0xC005, 13},
    {"BTJOP B,P6 falls through", {0x96, 0x06, 0x02}, {{RB, 0x01}, {P(6), 0x10}}, 0, {}, fZ, 0xC003, 10},
    {"BTJOP #n,P6 jumps", {0xA6, 0x80, 0x06, 0x02}, {{P(6), 0x80}}, 0, {}, fN, 0xC006, 14},
    {"BTJZP A,P6 falls through", {0x87, 0x06, 0x02}, {{RA, 0x01}, {P(6), 0x01}}, 0, {}, fZ, 0xC003, 11},
    {"BTJZP B,P6 jumps", {0x97, 0x06, 0x02}, {{RB, 0x03}, {P(6), 0x01}}, 0, {}, 0, 0xC005, 12},
    {"BTJZP #n,P6 falls through", {0xA7, 0x0F, 0x06, 0x02}, {{P(6), 0x0F}}, 0, {}, fZ, 0xC004, 12},

    // Double-register moves: (R(n-1), Rn); the pair of R0 is (0, R0).
    {"MOVD #1234,R5", {0x88, 0x12, 0x34, 0x05}, {}, 0, {{R(4), 0x12}, {R(5), 0x34}}, 0, 0xC004, 15},
    {"MOVD #0080,R0 writes R0 only", {0x88, 0x00, 0x80, 0x00}, {{R(0x7F), 0x66}}, 0, {{RA, 0x80}}, fZ, 0xC004, 15},
    {"MOVD R5,R7", {0x98, 0x05, 0x07}, {{R(4), 0x80}, {R(5), 0x01}}, 0, {{R(6), 0x80}, {R(7), 0x01}}, fN, 0xC003, 14},
    {"MOVD R0,R3 takes (0, R0)", {0x98, 0x00, 0x03}, {{RA, 0x44}, {R(0x7F), 0x99}}, 0, {{R(2), 0}, {R(3), 0x44}}, fZ, 0xC003, 14},
    {"MOVD #a(B),R3", {0xA8, 0xC0, 0xF0, 0x03}, {{RB, 0x20}}, 0, {{R(2), 0xC1}, {R(3), 0x10}}, fN, 0xC004, 17},
    {"MOVD #a(B),R3 wraps", {0xA8, 0xFF, 0xF0, 0x03}, {{RB, 0x20}}, 0, {{R(2), 0x00}, {R(3), 0x10}}, fZ, 0xC004, 17},

    // Extended addressing.
    {"LDA @a", {0x8A, 0xC0, 0x10}, {{RA, 1}}, 0, {{RA, 0}}, fZ, 0xC003, 11},
    {"LDA *R3", {0x9A, 0x03}, {{R(2), 0xC0}, {R(3), 0x10}, {0xC010, 0x80}}, 0, {{RA, 0x80}}, fN, 0xC002, 10},
    {"LDA @a(B)", {0xAA, 0xC0, 0x0F}, {{RB, 1}, {0xC010, 0x22}}, 0, {{RA, 0x22}}, 0, 0xC003, 13},
    {"LDA *R129 takes the low byte from FF81", {0x9A, 0x81}, {{RA, 0xC0}, {0xFF81, 0x10}, {0xC010, 0x42}}, 0,
     {{RA, 0x42}}, 0, 0xC002, 10},
    {"STA @a", {0x8B, 0xC0, 0x20}, {{RA, 0x7E}}, fC, {{0xC020, 0x7E}}, 0, 0xC003, 11},
    {"STA *R3", {0x9B, 0x03}, {{RA, 0x81}, {R(2), 0xC0}, {R(3), 0x30}}, 0, {{0xC030, 0x81}}, fN, 0xC002, 10},
    {"STA @a(B)", {0xAB, 0xC0, 0x00}, {{RB, 0x05}}, 0, {{0xC005, 0x00}}, fZ, 0xC003, 13},
    {"STA *R255 takes the low byte from FFFF", {0x9B, 0xFF}, {{RA, 0x11}, {R(0x7E), 0xC0}, {0xFFFF, 0x30}}, 0,
     {{0xC030, 0x11}}, 0, 0xC002, 10},
    {"CMPA @a equal", {0x8D, 0xC0, 0x10}, {{RA, 0x10}, {0xC010, 0x10}}, 0, {}, fC | fZ, 0xC003, 12},
    {"CMPA *R3 borrows", {0x9D, 0x03}, {{R(2), 0xC0}, {R(3), 0x10}, {0xC010, 0x01}}, 0, {}, fN, 0xC002, 11},
    {"CMPA @a(B)", {0xAD, 0xC0, 0x00}, {{RA, 0x30}, {RB, 0x10}, {0xC010, 0x20}}, 0, {}, fC, 0xC003, 14},
    {"CMPA *R130 signed", {0x9D, 0x82}, {{RA, 0x05}, {R(1), 0xC0}, {0xFF82, 0x10}, {0xC010, 0x05}}, 0, {},
     fC | fZ, 0xC002, 11},
    {"BR @a", {0x8C, 0x12, 0x34}, {}, 0xFF, {}, 0xFF, 0x1234, 10},
    {"BR *R3", {0x9C, 0x03}, {{R(2), 0xC0}, {R(3), 0x80}}, 0, {}, 0, 0xC080, 9},
    {"BR *R0 goes to (0, A)", {0x9C, 0x00}, {{RA, 0x42}, {R(0x7F), 0xC0}}, 0, {}, 0, 0x0042, 9},
    {"BR *R130 is unsigned", {0x9C, 0x82}, {{R(1), 0x12}}, 0, {}, 0, 0x12FF, 9},
    {"BR @a(B)", {0xAC, 0xC0, 0x00}, {{RB, 0xFF}}, 0, {}, 0, 0xC0FF, 12},
    {"CALL @a", {0x8E, 0xC1, 0x00}, {}, fC, {{R(2), 0xC0}, {R(3), 0x03}}, fC, 0xC100, 14, 1, 3},
    {"CALL *R5 from sp 7F wraps to R0", {0x9E, 0x05}, {{R(4), 0xC1}, {R(5), 0x00}}, 0,
     {{RA, 0xC0}, {RB, 0x02}}, 0, 0xC100, 13, 0x7F, 1},
    {"CALL @a(B)", {0xAE, 0xC1, 0x00}, {{RB, 0x10}}, 0, {{R(2), 0xC0}, {R(3), 0x03}}, 0, 0xC110, 16, 1, 3},

    // Single-register group.
    {"CLRC tests A", {0xB0}, {{RA, 0x80}}, fC | fZ, {}, fN, 0xC001, 6},
    {"TSTB", {0xC1}, {}, fC, {}, fZ, 0xC001, 6},
    {"MOV A,B", {0xC0}, {{RA, 0x91}}, 0, {{RB, 0x91}}, fN, 0xC001, 6},
    {"MOV A,R9", {0xD0, 0x09}, {{RA, 0x01}}, 0, {{R(9), 0x01}}, 0, 0xC002, 8},
    {"MOV B,R9", {0xD1, 0x09}, {{RB, 0x00}, {R(9), 5}}, 0, {{R(9), 0x00}}, fZ, 0xC002, 7},
    {"DEC A borrows", {0xB2}, {}, fC, {{RA, 0xFF}}, fN, 0xC001, 5},
    {"DEC B to zero", {0xC2}, {{RB, 1}}, 0, {{RB, 0}}, fC | fZ, 0xC001, 5},
    {"DEC R5", {0xD2, 0x05}, {{R(5), 0x81}}, 0, {{R(5), 0x80}}, fC | fN, 0xC002, 7},
    {"INC A carries out", {0xB3}, {{RA, 0xFF}}, 0, {{RA, 0}}, fC | fZ, 0xC001, 5},
    {"INC B", {0xC3}, {{RB, 0x7F}}, fC, {{RB, 0x80}}, fN, 0xC001, 5},
    {"INC R5", {0xD3, 0x05}, {}, 0, {{R(5), 1}}, 0, 0xC002, 7},
    {"INV A", {0xB4}, {{RA, 0x0F}}, fC, {{RA, 0xF0}}, fN, 0xC001, 5},
    {"INV B", {0xC4}, {{RB, 0xFF}}, 0, {{RB, 0}}, fZ, 0xC001, 5},
    {"INV R5", {0xD4, 0x05}, {{R(5), 0x80}}, 0, {{R(5), 0x7F}}, 0, 0xC002, 7},
    {"CLR A", {0xB5}, {{RA, 0x55}}, fC | fN | fI, {{RA, 0}}, fZ | fI, 0xC001, 5},
    {"CLR B", {0xC5}, {{RB, 0x55}}, 0, {{RB, 0}}, fZ, 0xC001, 5},
    {"CLR R5", {0xD5, 0x05}, {{R(5), 0x55}}, 0, {{R(5), 0}}, fZ, 0xC002, 7},
    {"XCHB A", {0xB6}, {{RA, 0x12}}, 0, {{RA, 0}, {RB, 0x12}}, fZ, 0xC001, 6},
    {"XCHB B tests B", {0xC6}, {{RB, 0x80}}, 0, {}, fN, 0xC001, 6},
    {"XCHB R5", {0xD6, 0x05}, {{R(5), 0x34}, {RB, 0x80}}, 0, {{R(5), 0x80}, {RB, 0x34}}, fN, 0xC002, 8},
    {"LDVDP reads the video data port into A", {0xD7, 0x7A}, {{RA, 0x33}}, 0, {{RA, 0}}, fZ, 0xC002, 9},
    {"PUSH A", {0xB8}, {{RA, 0x80}}, 0, {{R(2), 0x80}}, fN, 0xC001, 6, 1, 2},
    {"PUSH B from sp 7F wraps to R0", {0xC8}, {{RB, 0x77}}, 0, {{RA, 0x77}}, 0, 0xC001, 6, 0x7F, 0},
    {"PUSH R5", {0xD8, 0x05}, {{R(5), 0x00}}, 0, {{R(2), 0x00}}, fZ, 0xC002, 8, 1, 2},
    {"PUSH R128 pushes the byte at FF80", {0xD8, 0x80}, {{0xFF80, 0x5A}}, 0, {{R(2), 0x5A}}, 0, 0xC002, 8, 1, 2},
    {"POP A", {0xB9}, {{R(5), 0x00}, {RA, 3}}, 0, {{RA, 0}}, fZ, 0xC001, 6, 5, 4},
    {"POP B from sp 0 wraps", {0xC9}, {{RA, 0x90}}, 0, {{RB, 0x90}}, fN, 0xC001, 6, 0, 0x7F},
    {"POP R9", {0xD9, 0x09}, {{R(3), 0x21}}, 0, {{R(9), 0x21}}, 0, 0xC002, 8, 3, 2},
    {"DJNZ A falls through at 1", {0xBA, 0x10}, {{RA, 1}}, fZ, {{RA, 0}}, fZ, 0xC002, 2},
    {"DJNZ B jumps", {0xCA, 0xFE}, {{RB, 2}}, 0, {{RB, 1}}, 0, 0xC000, 7},
    {"DJNZ R5 falls through at 1", {0xDA, 0x05, 0x10}, {{R(5), 1}}, 0, {{R(5), 0}}, 0, 0xC003, 3},
    {"DJNZ R5 at 0 wraps and jumps", {0xDA, 0x05, 0x10}, {}, 0, {{R(5), 0xFF}}, 0, 0xC013, 9},
    {"DECD A", {0xBB}, {{RA, 5}}, 0, {{RA, 4}}, fC | fZ, 0xC001, 9},
    {"DECD A from 0", {0xBB}, {{R(0x7F), 0x12}}, 0, {{RA, 0xFF}}, fN, 0xC001, 9},
    {"DECD B works on A:B", {0xCB}, {{RA, 1}, {RB, 0}}, 0, {{RA, 0}, {RB, 0xFF}}, fC | fZ, 0xC001, 9},
    {"DECD R3", {0xDB, 0x03}, {{R(2), 1}, {R(3), 0}}, 0, {{R(2), 0}, {R(3), 0xFF}}, fC | fZ, 0xC002, 11},
    {"DECD R3 from 0", {0xDB, 0x03}, {}, 0, {{R(2), 0xFF}, {R(3), 0xFF}}, fN, 0xC002, 11},
    {"DECD R3 high half", {0xDB, 0x03}, {{R(2), 0x80}, {R(3), 1}}, 0, {{R(3), 0}}, fC | fN, 0xC002, 11},
    {"RR A", {0xBC}, {{RA, 0x01}}, 0, {{RA, 0x80}}, fC | fN, 0xC001, 5},
    {"RR R5", {0xDC, 0x05}, {{R(5), 0x02}}, fC, {{R(5), 0x01}}, 0, 0xC002, 7},
    {"RRC A", {0xBD}, {{RA, 0x01}}, 0, {{RA, 0x00}}, fC | fZ, 0xC001, 5},
    {"RRC B shifts C in", {0xCD}, {}, fC, {{RB, 0x80}}, fN, 0xC001, 5},
    {"RL A", {0xBE}, {{RA, 0x80}}, 0, {{RA, 0x01}}, fC, 0xC001, 5},
    {"RL R5", {0xDE, 0x05}, {{R(5), 0x40}}, 0, {{R(5), 0x80}}, fN, 0xC002, 7},
    {"RLC A", {0xBF}, {{RA, 0x80}}, 0, {{RA, 0x00}}, fC | fZ, 0xC001, 5},
    {"RLC B shifts C in", {0xCF}, {{RB, 0x01}}, fC, {{RB, 0x03}}, 0, 0xC001, 5},

    // Control.
    {"NOP", {0x00}, {}, fC | fN | fZ | 0x0F, {}, fC | fN | fZ | 0x0F, 0xC001, 4},
    {"EINT sets C N Z I", {0x05}, {}, 0x05, {}, 0xF5, 0xC001, 5},
    {"DINT clears C N Z I", {0x06}, {}, 0xFF, {}, 0x0F, 0xC001, 5},
    {"SETC", {0x07}, {}, fN | fI, {}, fC | fZ | fI, 0xC001, 5},
    {"POP ST", {0x08}, {{R(2), 0x85}}, 0, {}, 0x85, 0xC001, 6, 2, 1},
    {"PUSH ST", {0x0E}, {}, 0xC3, {{R(2), 0xC3}}, 0xC3, 0xC001, 6, 1, 2},
    {"STSP", {0x09}, {}, fC, {{RB, 0x23}}, fC, 0xC001, 6, 0x23},
    {"LDSP does not mask", {0x0D}, {{RB, 0x90}}, 0, {}, 0, 0xC001, 5, 1, 0x90},
    {"RETS pops low then high", {0x0A}, {{R(2), 0xC1}, {R(3), 0x23}}, fC, {}, fC, 0xC123, 7, 3, 1},
    {"RETI pops pc then sr", {0x0B}, {{R(2), 0x0C}, {R(3), 0xC1}, {R(4), 0x23}}, 0, {}, 0x0C, 0xC123, 9, 4, 1},
    {"JMP", {0xE0, 0x05}, {}, 0, {}, 0, 0xC007, 7},
    {"JN taken", {0xE1, 0x05}, {}, fN, {}, fN, 0xC007, 7},
    {"JN not taken", {0xE1, 0x05}, {}, fC | fZ, {}, fC | fZ, 0xC002, 5},
    {"JEQ taken", {0xE2, 0xFE}, {}, fZ, {}, fZ, 0xC000, 7},
    {"JEQ not taken", {0xE2, 0xFE}, {}, fN, {}, fN, 0xC002, 5},
    {"JHS taken", {0xE3, 0x01}, {}, fC, {}, fC, 0xC003, 7},
    {"JHS not taken", {0xE3, 0x01}, {}, fZ, {}, fZ, 0xC002, 5},
    {"JP taken", {0xE4, 0x01}, {}, fC, {}, fC, 0xC003, 7},
    {"JP not on zero", {0xE4, 0x01}, {}, fZ, {}, fZ, 0xC002, 5},
    {"JP not on negative", {0xE4, 0x01}, {}, fN, {}, fN, 0xC002, 5},
    {"JPZ taken on zero", {0xE5, 0x01}, {}, fZ, {}, fZ, 0xC003, 7},
    {"JPZ not on negative", {0xE5, 0x01}, {}, fN, {}, fN, 0xC002, 5},
    {"JNZ taken", {0xE6, 0x01}, {}, fN, {}, fN, 0xC003, 7},
    {"JNZ not taken", {0xE6, 0x01}, {}, fZ, {}, fZ, 0xC002, 5},
    {"JL taken", {0xE7, 0x01}, {}, fZ, {}, fZ, 0xC003, 7},
    {"JL not taken", {0xE7, 0x01}, {}, fC, {}, fC, 0xC002, 5},
    {"TRAP 0 through the reset vector", {0xFF}, {{0xFFFE, 0xF0}, {0xFFFF, 0x00}}, fC, {{R(2), 0xC0}, {R(3), 0x01}},
     fC, 0xF000, 14, 1, 3},
    {"TRAP 1 through the INT1 vector", {0xFE}, {{0xFFFC, 0xF1}, {0xFFFD, 0x23}}, 0, {{R(2), 0xC0}, {R(3), 0x01}},
     0, 0xF123, 14, 1, 3},
    {"TRAP 23 through FFD0", {0xE8}, {{0xFFD0, 0xF2}, {0xFFD1, 0x34}}, 0, {{R(2), 0xC0}, {R(3), 0x01}}, 0,
     0xF234, 14, 1, 3},
    {"B7 is undefined", {0xB7}, {{RA, 0x12}}, fC, {}, fC, 0xC001, 4},
    {"C7 is undefined", {0xC7}, {{RB, 0x12}}, fZ, {}, fZ, 0xC001, 4},
};
// clang-format on

// The storage an instruction may change.
struct Machine {
    std::array<uint8_t, 128> rf;
    std::array<uint8_t, 16> pf;
    std::array<uint8_t, 2048> ram;

    static Machine now()
    {
        Machine m;
        std::memcpy(m.rf.data(), tms7000.rf, 128);
        std::memcpy(m.pf.data(), tms7000.pf, 16);
        std::memcpy(m.ram.data(), ram_2k, 2048);
        return m;
    }
    void set(uint16_t a, uint8_t v)
    {
        if (a < 0x80)
            rf[a] = v;
        else if (a >= 0x100 && a < 0x110)
            pf[a - 0x100] = v;
        else if (a >= 0xC000 && a < 0xC800)
            ram[a - 0xC000] = v;
    }
};

void expect_same(const char *what, const uint8_t *got, const uint8_t *want, size_t n, uint16_t base)
{
    for (size_t i = 0; i < n; i++)
        EXPECT_EQ(got[i], want[i]) << what << " at " << std::hex << base + i;
}

void run_row(const Row &r)
{
    SCOPED_TRACE(r.name);
    orv_clear_globals();
    load(0xC000, r.code);
    for (const Cell &c : r.before)
        poke(c.addr, c.value);
    tms7000.sr = r.sr;
    tms7000.sp = r.sp;
    tms7000.pc.w = 0xC000;

    Machine want = Machine::now();
    for (const Cell &c : r.after)
        want.set(c.addr, c.value);

    EXPECT_EQ(tms7000_orv_execute(1), r.cycles);
    EXPECT_EQ(tms7000.pc.w, r.pc_after);
    EXPECT_EQ(tms7000.sr, r.sr_after);
    EXPECT_EQ(tms7000.sp, r.sp_after < 0 ? r.sp : r.sp_after);
    Machine got = Machine::now();
    expect_same("register", got.rf.data(), want.rf.data(), 128, 0);
    expect_same("peripheral", got.pf.data(), want.pf.data(), 16, 0x100);
    expect_same("RAM", got.ram.data(), want.ram.data(), 2048, 0xC000);
}

} // namespace

TEST_F(CoreTest, InstructionTable)
{
    for (const Row &r : rows)
        run_row(r);
}

// Every opcode from a machine whose registers, flags and operand bytes are
// all zero: its cycles there, and its length (0 where it transfers control).
TEST_F(CoreTest, EveryOpcodeLengthAndCycles)
{
    // clang-format off
    static const int cycles[256] = {
    /* 0x */  4,  6,  4,  4,  4,  5,  5,  5,  6,  6,  7,  9,  4,  5,  6,  4,
    /* 1x */  4,  4,  8,  8,  8,  8,  7,  7,  8,  8,  8,  8, 46,  8, 10, 10,
    /* 2x */  4,  4,  7,  7,  7,  7,  9,  9,  7,  7,  7,  7, 45,  7,  9,  9,
    /* 3x */  4,  4,  8,  8,  8,  8, 10, 10,  8,  8,  8,  8, 46,  8, 10, 10,
    /* 4x */  4,  4, 10, 10, 10, 10, 12, 12, 10, 10, 10, 10, 48, 10, 12, 12,
    /* 5x */  4,  4,  7,  7,  7,  7,  9,  9,  7,  7,  7,  7, 45,  7,  9,  9,
    /* 6x */  4,  4,  5,  5,  5,  5,  7,  7,  5,  5,  5,  5, 43,  5,  7,  7,
    /* 7x */  4,  4,  9,  9,  9,  9, 11, 11,  9,  9,  9,  9, 47,  9, 11, 11,
    /* 8x */  9,  4, 10, 10, 10, 10, 11, 11, 15,  4, 11, 11, 10, 12, 14,  4,
    /* 9x */  4,  8, 10,  9,  9,  9, 10, 10, 14,  4, 10, 10,  9, 11, 13,  4,
    /* Ax */  4,  4, 11, 11, 11, 11, 12, 12, 17,  4, 13, 13, 12, 14, 16,  4,
    /* Bx */  6,  4,  5,  5,  5,  5,  6,  4,  6,  6,  7,  9,  5,  5,  5,  5,
    /* Cx */  6,  6,  5,  5,  5,  5,  6,  4,  6,  6,  7,  9,  5,  5,  5,  5,
    /* Dx */  8,  7,  7,  7,  7,  7,  8,  9,  8,  8,  9, 11,  7,  7,  7,  7,
    /* Ex */  7,  5,  5,  5,  7,  7,  7,  7, 14, 14, 14, 14, 14, 14, 14, 14,
    /* Fx */ 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14,
    };
    static const int length[256] = {
    /* 0x */  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  0,  0,  1,  1,  1,  1,
    /* 1x */  1,  1,  2,  2,  2,  2,  3,  3,  2,  2,  2,  2,  2,  2,  2,  2,
    /* 2x */  1,  1,  2,  2,  2,  2,  3,  3,  2,  2,  2,  2,  2,  2,  2,  2,
    /* 3x */  1,  1,  2,  2,  2,  2,  3,  3,  2,  2,  2,  2,  2,  2,  2,  2,
    /* 4x */  1,  1,  3,  3,  3,  3,  4,  4,  3,  3,  3,  3,  3,  3,  3,  3,
    /* 5x */  1,  1,  2,  2,  2,  2,  3,  3,  2,  2,  2,  2,  2,  2,  2,  2,
    /* 6x */  1,  1,  1,  1,  1,  1,  2,  2,  1,  1,  1,  1,  1,  1,  1,  1,
    /* 7x */  1,  1,  3,  3,  3,  3,  4,  4,  3,  3,  3,  3,  3,  3,  3,  3,
    /* 8x */  2,  1,  2,  2,  2,  2,  3,  3,  4,  1,  3,  3,  0,  3,  0,  1,
    /* 9x */  1,  2,  2,  2,  2,  2,  3,  3,  3,  1,  2,  2,  0,  2,  0,  1,
    /* Ax */  1,  1,  3,  3,  3,  3,  4,  4,  4,  1,  3,  3,  0,  3,  0,  1,
    /* Bx */  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  2,  1,  1,  1,  1,  1,
    /* Cx */  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  2,  1,  1,  1,  1,  1,
    /* Dx */  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  3,  2,  2,  2,  2,  2,
    /* Ex */  2,  2,  2,  2,  2,  2,  2,  2,  0,  0,  0,  0,  0,  0,  0,  0,
    /* Fx */  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    };
    // clang-format on
    for (int op = 0; op < 256; op++) {
        orv_clear_globals();
        tms7000.sp = 1;
        tms7000.pc.w = 0xC000;
        poke(0xC000, static_cast<uint8_t>(op));
        EXPECT_EQ(tms7000_orv_execute(1), cycles[op]) << "opcode " << std::hex << op;
        if (length[op]) {
            EXPECT_EQ(tms7000.pc.w, 0xC000 + length[op]) << "opcode " << std::hex << op;
        }
    }
}

// The seven operand forms of one operation must agree: the same operands
// give the same result in the form's own destination and the same flags.
TEST_F(CoreTest, OperandFormsAgree)
{
    struct Form {
        uint8_t row;  // high nibble of the opcode
        std::vector<uint8_t> operands;
        uint16_t src;  // 0xFFFF: immediate
        uint16_t dst;
    };
    const Form forms[] = {
        {0x60, {}, RB, RA},          {0x10, {0x05}, 5, RA},       {0x30, {0x05}, 5, RB},
        {0x40, {0x05, 0x06}, 5, 6},  {0x20, {}, 0xFFFF, RA},      {0x50, {}, 0xFFFF, RB},
        {0x70, {0x06}, 0xFFFF, 6},
    };
    struct Case {
        uint8_t d, s, sr;
    };
    const Case cases[] = {{0x5A, 0x3C, 0}, {0x99, 0x01, fC}, {0x00, 0x01, 0}, {0xFF, 0xFF, fC}, {0x80, 0x80, fC}};
    // MOV AND OR XOR ADD ADC SUB SBB CMP DAC DSB
    for (uint8_t op : {0x2, 0x3, 0x4, 0x5, 0x8, 0x9, 0xA, 0xB, 0xD, 0xE, 0xF}) {
        for (const Case &k : cases) {
            int first_result = -1, first_sr = -1;
            for (const Form &f : forms) {
                orv_clear_globals();
                std::vector<uint8_t> code = {static_cast<uint8_t>(f.row | op)};
                if (f.src == 0xFFFF)
                    code.push_back(k.s);
                code.insert(code.end(), f.operands.begin(), f.operands.end());
                load(0xC000, code);
                if (f.src != 0xFFFF)
                    poke(f.src, k.s);
                poke(f.dst, k.d);
                tms7000.sr = k.sr;
                tms7000.pc.w = 0xC000;
                tms7000_orv_execute(1);
                SCOPED_TRACE(testing::Message() << "opcode " << std::hex << int(code[0]) << " d " << int(k.d)
                                                << " s " << int(k.s));
                EXPECT_EQ(tms7000.pc.w, 0xC000 + code.size());
                if (first_result < 0) {
                    first_result = peek(f.dst);
                    first_sr = tms7000.sr;
                } else {
                    EXPECT_EQ(peek(f.dst), first_result);
                    EXPECT_EQ(tms7000.sr, first_sr);
                }
            }
        }
    }
}

// Over every pair of two-digit decimal operands, DAC and DSB agree with
// decimal arithmetic; bit 8 is the carry out, or "no borrow" for DSB.
TEST_F(CoreTest, DecimalArithmeticOverAllDigitPairs)
{
    auto bcd = [](int v) { return static_cast<uint16_t>((v / 10) << 4 | v % 10); };
    no_trace();  // DSB logs every call
    for (int d = 0; d < 100; d++) {
        for (int s = 0; s < 100; s++) {
            for (int cy = 0; cy < 2; cy++) {
                int sum = d + s + cy;
                EXPECT_EQ(bcd_add(bcd(d), bcd(s), cy), (sum >= 100 ? 0x100 : 0) | bcd(sum % 100))
                    << d << " + " << s << " + " << cy;
                int diff = d - s - (1 - cy);
                EXPECT_EQ(bcd_sub(bcd(d), bcd(s), cy), (diff >= 0 ? 0x100 : 0) | bcd((diff + 100) % 100))
                    << d << " - " << s << " with carry " << cy;
            }
        }
    }
    restore_trace();
    // A digit above 9 is corrected once only.
    EXPECT_EQ(bcd_add(0x0F, 0x00, 0), 0x15);
}
