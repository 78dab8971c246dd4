// TMS7020 instruction set: one handler per opcode and the opcode table.
//
// Each handler reads its operands at pc, works through the program bus (A is
// register 0, B register 1, Pn is bus address 0x100 + n), sets the status
// flags and charges its own cycles. Handlers that write the peripheral file
// set their flags after the write: a write there can start an interrupt in
// the middle of the instruction, and the flags then land in the interrupt
// routine's fresh status register.
#include "tms7000_ops.h"

#include "loop.h"
#include "trace.h"

namespace {

trace_fn tf_illegal = {"illegal()", 0};
trace_fn tf_idle = {"idle()", 0};
trace_fn tf_bcd_add = {"bcd_add()", 0};
trace_fn tf_bcd_sub = {"bcd_sub()", 0};
trace_fn tf_decd_a = {"decd_a()", 0};

constexpr uint16_t A = 0;
constexpr uint16_t B = 1;
constexpr uint16_t PF = 0x100;

tms7000_state &c = tms7000;

[[gnu::always_inline]] inline uint8_t rd(uint16_t address) { return tms7000_rd(address); }
[[gnu::always_inline]] inline void wr(uint16_t address, uint8_t value) { tms7000_wr(address, value); }
[[gnu::always_inline]] inline uint8_t fetch() { return tms7000_fetch(); }
[[gnu::always_inline]] inline void charge(int cycles) { tms7000_icount -= cycles; }

// ---- Status flags -------------------------------------------------------

// N and Z of each byte value.
constexpr struct nz_table {
    uint8_t flags[256];
    constexpr nz_table() : flags{}
    {
        for (int v = 0; v < 256; v++)
            flags[v] = static_cast<uint8_t>((v & 0x80 ? SR_N : 0) | (v ? 0 : SR_Z));
    }
} nz_of;

[[gnu::always_inline]] inline uint8_t nz(uint8_t v) { return nz_of.flags[v]; }
[[gnu::always_inline]] inline uint8_t carry() { return c.sr >> 7; }
[[gnu::always_inline]] inline void flags(bool cy, uint8_t v) { c.sr = static_cast<uint8_t>((c.sr & 0x1F) | (cy ? SR_C : 0) | nz(v)); }
[[gnu::always_inline]] inline void logic(uint8_t v) { flags(false, v); }

// Skips the displacement, or adds it to pc; true when taken.
[[gnu::always_inline]] inline bool jump_if(bool cond)
{
    int8_t e = static_cast<int8_t>(fetch());
    if (cond)
        c.pc.w = static_cast<uint16_t>(c.pc.w + e);
    return cond;
}

// ---- Arithmetic ---------------------------------------------------------

[[gnu::always_inline]] inline uint8_t add_with(uint8_t d, uint8_t s, int cin)
{
    int t = d + s + cin;
    flags(t > 0xFF, static_cast<uint8_t>(t));
    return static_cast<uint8_t>(t);
}

// C = 1 means no borrow, on the way in (SBB) as on the way out.
[[gnu::always_inline]] inline uint8_t sub_with(uint8_t d, uint8_t s, int borrow)
{
    int t = d - s - borrow;
    flags(t >= 0, static_cast<uint8_t>(t));
    return static_cast<uint8_t>(t);
}

uint8_t op_and(uint8_t d, uint8_t s) { logic(d & s); return d & s; }
uint8_t op_or(uint8_t d, uint8_t s) { logic(d | s); return d | s; }
uint8_t op_xor(uint8_t d, uint8_t s) { logic(d ^ s); return d ^ s; }
uint8_t op_add(uint8_t d, uint8_t s) { return add_with(d, s, 0); }
uint8_t op_adc(uint8_t d, uint8_t s) { return add_with(d, s, carry()); }
uint8_t op_sub(uint8_t d, uint8_t s) { return sub_with(d, s, 0); }
uint8_t op_sbb(uint8_t d, uint8_t s) { return sub_with(d, s, 1 - carry()); }

uint8_t op_dac(uint8_t d, uint8_t s)
{
    uint16_t r = bcd_add(d, s, carry());
    flags(r & 0x100, static_cast<uint8_t>(r));
    return static_cast<uint8_t>(r);
}

uint8_t op_dsb(uint8_t d, uint8_t s)
{
    uint16_t r = bcd_sub(d, s, carry());
    flags(r & 0x100, static_cast<uint8_t>(r));
    return static_cast<uint8_t>(r);
}

// ---- Two-operand group ----------------------------------------------------
// Operands: the source value and the destination's register number.

struct operands {
    uint8_t s;
    uint8_t d;
};

[[gnu::always_inline]] inline operands opnd_b2a() { return {rd(B), A}; }
[[gnu::always_inline]] inline operands opnd_r2a() { return {rd(fetch()), A}; }
[[gnu::always_inline]] inline operands opnd_r2b() { return {rd(fetch()), B}; }
[[gnu::always_inline]] inline operands opnd_r2r()
{
    uint8_t s = fetch();
    uint8_t d = fetch();
    return {rd(s), d};
}
[[gnu::always_inline]] inline operands opnd_i2a() { return {fetch(), A}; }
[[gnu::always_inline]] inline operands opnd_i2b() { return {fetch(), B}; }
[[gnu::always_inline]] inline operands opnd_i2r()
{
    uint8_t s = fetch();
    uint8_t d = fetch();
    return {s, d};
}

typedef operands (*operand_fn)();
typedef uint8_t (*alu_fn)(uint8_t, uint8_t);

template <operand_fn OPND, alu_fn OP>
[[gnu::always_inline]] inline void alu(int cycles)
{
    operands o = OPND();
    wr(o.d, OP(rd(o.d), o.s));
    charge(cycles);
}

template <operand_fn OPND>
[[gnu::always_inline]] inline void move(int cycles)
{
    operands o = OPND();
    wr(o.d, o.s);
    logic(o.s);
    charge(cycles);
}

template <operand_fn OPND>
[[gnu::always_inline]] inline void compare(int cycles)
{
    operands o = OPND();
    sub_with(rd(o.d), o.s, 0);
    charge(cycles);
}

// The product always goes to A:B, whatever destination the opcode names.
template <operand_fn OPND>
[[gnu::always_inline]] inline void multiply(int cycles)
{
    operands o = OPND();
    unsigned p = rd(o.d) * o.s;
    uint8_t hi = static_cast<uint8_t>(p >> 8);
    wr(A, hi);
    wr(B, static_cast<uint8_t>(p));
    logic(hi);
    charge(cycles);
}

// BTJO jumps when a masked bit is one, BTJZ when one is zero.
template <operand_fn OPND, bool ZERO>
[[gnu::always_inline]] inline void bit_test(int cycles)
{
    operands o = OPND();
    uint8_t d = rd(o.d);
    uint8_t t = static_cast<uint8_t>((ZERO ? ~d : d) & o.s);
    logic(t);
    charge(jump_if(t != 0) ? cycles + 2 : cycles);
}

void mov_b2a() { move<opnd_b2a>(5); }
void mov_r2a() { move<opnd_r2a>(8); }
void mov_r2b() { move<opnd_r2b>(8); }
void mov_r2r() { move<opnd_r2r>(10); }
void mov_i2a() { move<opnd_i2a>(7); }
void mov_i2b() { move<opnd_i2b>(7); }
void mov_i2r() { move<opnd_i2r>(9); }

void and_b2a() { alu<opnd_b2a, op_and>(5); }
void and_r2a() { alu<opnd_r2a, op_and>(8); }
void and_r2b() { alu<opnd_r2b, op_and>(8); }
void and_r2r() { alu<opnd_r2r, op_and>(10); }
void and_i2a() { alu<opnd_i2a, op_and>(7); }
void and_i2b() { alu<opnd_i2b, op_and>(7); }
void and_i2r() { alu<opnd_i2r, op_and>(9); }

void or_b2a() { alu<opnd_b2a, op_or>(5); }
void or_r2a() { alu<opnd_r2a, op_or>(8); }
void or_r2b() { alu<opnd_r2b, op_or>(8); }
void or_r2r() { alu<opnd_r2r, op_or>(10); }
void or_i2a() { alu<opnd_i2a, op_or>(7); }
void or_i2b() { alu<opnd_i2b, op_or>(7); }
void or_i2r() { alu<opnd_i2r, op_or>(9); }

void xor_b2a() { alu<opnd_b2a, op_xor>(5); }
void xor_r2a() { alu<opnd_r2a, op_xor>(8); }
void xor_r2b() { alu<opnd_r2b, op_xor>(8); }
void xor_r2r() { alu<opnd_r2r, op_xor>(10); }
void xor_i2a() { alu<opnd_i2a, op_xor>(7); }
void xor_i2b() { alu<opnd_i2b, op_xor>(7); }
void xor_i2r() { alu<opnd_i2r, op_xor>(9); }

void btjo_b2a() { bit_test<opnd_b2a, false>(7); }
void btjo_r2a() { bit_test<opnd_r2a, false>(7); }
void btjo_r2b() { bit_test<opnd_r2b, false>(10); }
void btjo_r2r() { bit_test<opnd_r2r, false>(12); }
void btjo_i2a() { bit_test<opnd_i2a, false>(9); }
void btjo_i2b() { bit_test<opnd_i2b, false>(9); }
void btjo_i2r() { bit_test<opnd_i2r, false>(11); }

void btjz_b2a() { bit_test<opnd_b2a, true>(7); }
void btjz_r2a() { bit_test<opnd_r2a, true>(7); }
void btjz_r2b() { bit_test<opnd_r2b, true>(10); }
void btjz_r2r() { bit_test<opnd_r2r, true>(12); }
void btjz_i2a() { bit_test<opnd_i2a, true>(9); }
void btjz_i2b() { bit_test<opnd_i2b, true>(9); }
void btjz_i2r() { bit_test<opnd_i2r, true>(11); }

void add_b2a() { alu<opnd_b2a, op_add>(5); }
void add_r2a() { alu<opnd_r2a, op_add>(8); }
void add_r2b() { alu<opnd_r2b, op_add>(8); }
void add_r2r() { alu<opnd_r2r, op_add>(10); }
void add_i2a() { alu<opnd_i2a, op_add>(7); }
void add_i2b() { alu<opnd_i2b, op_add>(7); }
void add_i2r() { alu<opnd_i2r, op_add>(9); }

void adc_b2a() { alu<opnd_b2a, op_adc>(5); }
void adc_r2a() { alu<opnd_r2a, op_adc>(8); }
void adc_r2b() { alu<opnd_r2b, op_adc>(8); }
void adc_r2r() { alu<opnd_r2r, op_adc>(10); }
void adc_i2a() { alu<opnd_i2a, op_adc>(7); }
void adc_i2b() { alu<opnd_i2b, op_adc>(7); }
void adc_i2r() { alu<opnd_i2r, op_adc>(9); }

void sub_ba() { alu<opnd_b2a, op_sub>(5); }
void sub_ra() { alu<opnd_r2a, op_sub>(8); }
void sub_rb() { alu<opnd_r2b, op_sub>(8); }
void sub_rr() { alu<opnd_r2r, op_sub>(10); }
void sub_ia() { alu<opnd_i2a, op_sub>(7); }
void sub_ib() { alu<opnd_i2b, op_sub>(7); }
void sub_ir() { alu<opnd_i2r, op_sub>(9); }

void sbb_ba() { alu<opnd_b2a, op_sbb>(5); }
void sbb_ra() { alu<opnd_r2a, op_sbb>(8); }
void sbb_rb() { alu<opnd_r2b, op_sbb>(8); }
void sbb_rr() { alu<opnd_r2r, op_sbb>(10); }
void sbb_ia() { alu<opnd_i2a, op_sbb>(7); }
void sbb_ib() { alu<opnd_i2b, op_sbb>(7); }
void sbb_ir() { alu<opnd_i2r, op_sbb>(9); }

void mpy_ba() { multiply<opnd_b2a>(43); }
void mpy_ra() { multiply<opnd_r2a>(46); }
void mpy_rb() { multiply<opnd_r2b>(46); }
void mpy_rr() { multiply<opnd_r2r>(48); }
void mpy_ia() { multiply<opnd_i2a>(45); }
void mpy_ib() { multiply<opnd_i2b>(45); }
void mpy_ir() { multiply<opnd_i2r>(47); }

void cmp_ba() { compare<opnd_b2a>(5); }
void cmp_ra() { compare<opnd_r2a>(8); }
void cmp_rb() { compare<opnd_r2b>(8); }
void cmp_rr() { compare<opnd_r2r>(10); }
void cmp_ia() { compare<opnd_i2a>(7); }
void cmp_ib() { compare<opnd_i2b>(7); }
void cmp_ir() { compare<opnd_i2r>(9); }

void dac_b2a() { alu<opnd_b2a, op_dac>(7); }
void dac_r2a() { alu<opnd_r2a, op_dac>(10); }
void dac_r2b() { alu<opnd_r2b, op_dac>(10); }
void dac_r2r() { alu<opnd_r2r, op_dac>(12); }
void dac_i2a() { alu<opnd_i2a, op_dac>(9); }
void dac_i2b() { alu<opnd_i2b, op_dac>(9); }
void dac_i2r() { alu<opnd_i2r, op_dac>(11); }

void dsb_b2a() { alu<opnd_b2a, op_dsb>(7); }
void dsb_r2a() { alu<opnd_r2a, op_dsb>(10); }
void dsb_r2b() { alu<opnd_r2b, op_dsb>(10); }
void dsb_r2r() { alu<opnd_r2r, op_dsb>(12); }
void dsb_i2a() { alu<opnd_i2a, op_dsb>(9); }
void dsb_i2b() { alu<opnd_i2b, op_dsb>(9); }
void dsb_i2r() { alu<opnd_i2r, op_dsb>(11); }

// ---- Peripheral group -----------------------------------------------------
// Any peripheral number reaches bus address 0x100 + n, so these also drive
// the devices beyond P11 (video processor, mailbox).

[[gnu::always_inline]] inline void movp_out(uint8_t v, uint8_t p, int cycles)
{
    wr(PF + p, v);
    logic(v);
    charge(cycles);
}

void movp_a2p() { uint8_t p = fetch(); movp_out(rd(A), p, 10); }
void movp_b2p() { uint8_t p = fetch(); movp_out(rd(B), p, 10); }
void movp_i2p() { uint8_t v = fetch(); movp_out(v, fetch(), 11); }

[[gnu::always_inline]] inline void movp_in(uint16_t reg, int cycles)
{
    uint8_t v = rd(PF + fetch());
    wr(reg, v);
    logic(v);
    charge(cycles);
}

void movp_p2a() { movp_in(A, 9); }
void movp_p2b() { movp_in(B, 8); }

[[gnu::always_inline]] inline uint8_t bits_and(uint8_t d, uint8_t s) { return d & s; }
[[gnu::always_inline]] inline uint8_t bits_or(uint8_t d, uint8_t s) { return d | s; }
[[gnu::always_inline]] inline uint8_t bits_xor(uint8_t d, uint8_t s) { return d ^ s; }

// Read Pn, combine with the source, write Pn back; the flags only after the
// write.
template <alu_fn OP>
[[gnu::always_inline]] inline void periph_logic(uint8_t s, uint8_t p, int cycles)
{
    uint8_t v = OP(rd(PF + p), s);
    wr(PF + p, v);
    logic(v);
    charge(cycles);
}

void andp_a2p() { uint8_t p = fetch(); periph_logic<bits_and>(rd(A), p, 10); }
void andp_b2p() { uint8_t p = fetch(); periph_logic<bits_and>(rd(B), p, 9); }
void andp_i2p() { uint8_t s = fetch(); periph_logic<bits_and>(s, fetch(), 11); }
void orp_a2p() { uint8_t p = fetch(); periph_logic<bits_or>(rd(A), p, 10); }
void orp_b2p() { uint8_t p = fetch(); periph_logic<bits_or>(rd(B), p, 9); }
void orp_i2p() { uint8_t s = fetch(); periph_logic<bits_or>(s, fetch(), 11); }
void xorp_a2p() { uint8_t p = fetch(); periph_logic<bits_xor>(rd(A), p, 10); }
void xorp_b2p() { uint8_t p = fetch(); periph_logic<bits_xor>(rd(B), p, 9); }
void xorp_i2p() { uint8_t s = fetch(); periph_logic<bits_xor>(s, fetch(), 11); }

[[gnu::always_inline]] inline void periph_bit_test(uint8_t d, uint8_t mask, bool zero, int cycles)
{
    uint8_t t = static_cast<uint8_t>((zero ? ~d : d) & mask);
    logic(t);
    charge(jump_if(t != 0) ? cycles + 2 : cycles);
}

// BTJOP reads the peripheral before the register, BTJZP after it.
void btjop_ap() { uint8_t d = rd(PF + fetch()); periph_bit_test(d, rd(A), false, 11); }
void btjop_bp() { uint8_t d = rd(PF + fetch()); periph_bit_test(d, rd(B), false, 10); }
void btjop_ip() { uint8_t s = fetch(); periph_bit_test(rd(PF + fetch()), s, false, 12); }
void btjzp_ap() { uint8_t p = fetch(); uint8_t s = rd(A); periph_bit_test(rd(PF + p), s, true, 11); }
void btjzp_bp() { uint8_t p = fetch(); uint8_t s = rd(B); periph_bit_test(rd(PF + p), s, true, 10); }
void btjzp_ip() { uint8_t s = fetch(); periph_bit_test(rd(PF + fetch()), s, true, 12); }

// ---- Extended group -------------------------------------------------------

[[gnu::always_inline]] inline uint16_t fetch16()
{
    uint8_t hi = fetch();
    uint8_t lo = fetch();
    return static_cast<uint16_t>(hi << 8 | lo);
}

[[gnu::always_inline]] inline uint16_t ea_dir() { return fetch16(); }
[[gnu::always_inline]] inline uint16_t ea_inx()
{
    uint16_t a = fetch16();
    return static_cast<uint16_t>(a + rd(B));
}
[[gnu::always_inline]] inline uint16_t ea_ind() { return RRF16(fetch()); }

// LDA, STA and CMPA take the pointer's register number as a signed byte: for
// 0x80-0xFF the low byte of the pointer comes from the top page of the ROM.
[[gnu::always_inline]] inline uint16_t ea_ind_signed()
{
    uint8_t n = fetch();
    if (n < 0x80)
        return RRF16(n);
    uint8_t hi = rd((n - 1) & 0x7F);
    uint8_t lo = rd(static_cast<uint16_t>(0xFF00 + n));
    return static_cast<uint16_t>(hi << 8 | lo);
}

[[gnu::always_inline]] inline void movd_to(uint8_t d, uint16_t v, int cycles)
{
    PAIR p;
    p.w = v;
    WRF16(d, p);
    logic(p.b.h);
    charge(cycles);
}

void movd_imm() { uint16_t v = fetch16(); movd_to(fetch(), v, 15); }
void movd_r() { uint8_t s = fetch(); uint8_t d = fetch(); movd_to(d, RRF16(s), 14); }
void movd_inx()
{
    uint16_t a = fetch16();
    uint8_t d = fetch();
    movd_to(d, static_cast<uint16_t>(a + rd(B)), 17);
}

[[gnu::always_inline]] inline void lda(uint16_t ea, int cycles)
{
    uint8_t v = rd(ea);
    wr(A, v);
    logic(v);
    charge(cycles);
}

[[gnu::always_inline]] inline void sta(uint16_t ea, int cycles)
{
    uint8_t v = rd(A);
    wr(ea, v);
    logic(v);
    charge(cycles);
}

[[gnu::always_inline]] inline void cmpa(uint16_t ea, int cycles)
{
    uint8_t v = rd(ea);
    sub_with(rd(A), v, 0);
    charge(cycles);
}

[[gnu::always_inline]] inline void br(uint16_t ea, int cycles)
{
    c.pc.w = ea;
    charge(cycles);
}

[[gnu::always_inline]] inline void call(uint16_t ea, int cycles)
{
    tms7000_push(c.pc.b.h);
    tms7000_push(c.pc.b.l);
    c.pc.w = ea;
    charge(cycles);
}

void lda_dir() { lda(ea_dir(), 11); }
void lda_ind() { lda(ea_ind_signed(), 10); }
void lda_inx() { lda(ea_inx(), 13); }
void sta_dir() { sta(ea_dir(), 11); }
void sta_ind() { sta(ea_ind_signed(), 10); }
void sta_inx() { sta(ea_inx(), 13); }
void br_dir() { br(ea_dir(), 10); }
void br_ind() { br(ea_ind(), 9); }
void br_inx() { br(ea_inx(), 12); }
void cmpa_dir() { cmpa(ea_dir(), 12); }
void cmpa_ind() { cmpa(ea_ind_signed(), 11); }
void cmpa_inx() { cmpa(ea_inx(), 14); }
void call_dir() { call(ea_dir(), 14); }
void call_ind() { call(ea_ind(), 13); }
void call_inx() { call(ea_inx(), 16); }

// ---- Single-register group ----------------------------------------------
// The register is A, B or a register number fetched from the operand.

[[gnu::always_inline]] inline uint16_t reg_a() { return A; }
[[gnu::always_inline]] inline uint16_t reg_b() { return B; }
[[gnu::always_inline]] inline uint16_t reg_n() { return fetch(); }

typedef uint16_t (*reg_fn)();

template <reg_fn R>
[[gnu::always_inline]] inline void dec(int cycles)
{
    uint16_t r = R();
    uint8_t v = rd(r);
    uint8_t t = static_cast<uint8_t>(v - 1);
    wr(r, t);
    flags(v != 0, t);
    charge(cycles);
}

template <reg_fn R>
[[gnu::always_inline]] inline void inc(int cycles)
{
    uint16_t r = R();
    uint8_t v = rd(r);
    uint8_t t = static_cast<uint8_t>(v + 1);
    wr(r, t);
    flags(v == 0xFF, t);
    charge(cycles);
}

template <reg_fn R>
[[gnu::always_inline]] inline void inv(int cycles)
{
    uint16_t r = R();
    uint8_t t = static_cast<uint8_t>(~rd(r));
    wr(r, t);
    logic(t);
    charge(cycles);
}

template <reg_fn R>
[[gnu::always_inline]] inline void clr(int cycles)
{
    wr(R(), 0);
    logic(0);
    charge(cycles);
}

template <reg_fn R>
[[gnu::always_inline]] inline void pop(int cycles)
{
    uint16_t r = R();
    uint8_t v = tms7000_pop();
    wr(r, v);
    logic(v);
    charge(cycles);
}

[[gnu::always_inline]] inline void push_value(uint8_t v, int cycles)
{
    tms7000_push(v);
    logic(v);
    charge(cycles);
}

template <reg_fn R, int NOT_TAKEN, int TAKEN>
[[gnu::always_inline]] inline void djnz()
{
    uint16_t r = R();
    uint8_t v = static_cast<uint8_t>(rd(r) - 1);
    wr(r, v);
    charge(jump_if(v != 0) ? TAKEN : NOT_TAKEN);
}

// Pair minus one. The pair of A is (0, A), so DECD A only ever writes A.
[[gnu::always_inline]] inline void decd(uint8_t n, int cycles)
{
    uint16_t old = RRF16(n);
    PAIR v;
    v.w = static_cast<uint16_t>(old - 1);
    WRF16(n, v);
    c.sr = static_cast<uint8_t>((c.sr & 0x1F) | (old != 0 ? SR_C : 0) | (v.b.h & 0x80 ? SR_N : 0) |
                                (v.b.h == 0 ? SR_Z : 0));
    charge(cycles);
}

enum rotate_kind { ROT_RR, ROT_RRC, ROT_RL, ROT_RLC };

template <reg_fn R, rotate_kind K>
[[gnu::always_inline]] inline void rotate(int cycles)
{
    uint16_t r = R();
    uint8_t v = rd(r);
    uint8_t t;
    bool out;
    switch (K) {
    case ROT_RR: t = static_cast<uint8_t>(v >> 1 | v << 7); out = v & 1; break;
    case ROT_RRC: t = static_cast<uint8_t>(v >> 1 | carry() << 7); out = v & 1; break;
    case ROT_RL: t = static_cast<uint8_t>(v << 1 | v >> 7); out = v & 0x80; break;
    default: t = static_cast<uint8_t>(v << 1 | carry()); out = v & 0x80; break;
    }
    wr(r, t);
    flags(out, t);
    charge(cycles);
}

void clrc() { logic(rd(A)); charge(6); }  // also TSTA
void tstb() { logic(rd(B)); charge(6); }
void mov_a2b() { uint8_t v = rd(A); wr(B, v); logic(v); charge(6); }
void mov_a2r() { uint8_t n = fetch(); uint8_t v = rd(A); wr(n, v); logic(v); charge(8); }
void mov_b2r() { uint8_t n = fetch(); uint8_t v = rd(B); wr(n, v); logic(v); charge(7); }

void dec_a() { dec<reg_a>(5); }
void dec_b() { dec<reg_b>(5); }
void dec_r() { dec<reg_n>(7); }
void inc_a() { inc<reg_a>(5); }
void inc_b() { inc<reg_b>(5); }
void inc_r() { inc<reg_n>(7); }
void inv_a() { inv<reg_a>(5); }
void inv_b() { inv<reg_b>(5); }
void inv_r() { inv<reg_n>(7); }
void clr_a() { clr<reg_a>(5); }
void clr_b() { clr<reg_b>(5); }
void clr_r() { clr<reg_n>(7); }

// XCHB swaps with B; the flags follow the byte that came from B.
void xchb_a()
{
    uint8_t a = rd(A);
    uint8_t b = rd(B);
    wr(A, b);
    wr(B, a);
    logic(b);
    charge(6);
}
void xchb_b() { logic(rd(B)); charge(6); }
void xchb_r()
{
    uint8_t n = fetch();
    uint8_t v = rd(n);
    uint8_t b = rd(B);
    wr(n, b);
    wr(B, v);
    logic(b);
    charge(8);
}

// LDVDP: the machine's own opcode for reading video memory. Its operand is
// not used; it prepares the video processor's read pointer (P40) and loads
// the data port (P36) into A.
void swap_r_orv()
{
    fetch();
    rd(PF + 40);
    uint8_t v = rd(PF + 36);
    wr(A, v);
    logic(v);
    charge(9);
}

void push_a() { push_value(rd(A), 6); }
void push_b() { push_value(rd(B), 6); }
// The register number is taken as signed: 0x80-0xFF push from the ROM's top page.
void push_r()
{
    uint8_t n = fetch();
    push_value(rd(n < 0x80 ? n : static_cast<uint16_t>(0xFF00 + n)), 8);
}
void pop_a() { pop<reg_a>(6); }
void pop_b() { pop<reg_b>(6); }
void pop_r() { pop<reg_n>(8); }

void djnz_a() { djnz<reg_a, 2, 7>(); }
void djnz_b() { djnz<reg_b, 2, 7>(); }
void djnz_r() { djnz<reg_n, 3, 9>(); }

void decd_a()
{
    trace_fn &tf = tf_decd_a;
    trace_enter(tf);
    TRACE_ALWAYS(tf, "Called !");
    decd(0, 9);
}
void decd_b() { decd(1, 9); }
void decd_r() { decd(fetch(), 11); }

void rr_a() { rotate<reg_a, ROT_RR>(5); }
void rr_b() { rotate<reg_b, ROT_RR>(5); }
void rr_r() { rotate<reg_n, ROT_RR>(7); }
void rrc_a() { rotate<reg_a, ROT_RRC>(5); }
void rrc_b() { rotate<reg_b, ROT_RRC>(5); }
void rrc_r() { rotate<reg_n, ROT_RRC>(7); }
void rl_a() { rotate<reg_a, ROT_RL>(5); }
void rl_b() { rotate<reg_b, ROT_RL>(5); }
void rl_r() { rotate<reg_n, ROT_RL>(7); }
void rlc_a() { rotate<reg_a, ROT_RLC>(5); }
void rlc_b() { rotate<reg_b, ROT_RLC>(5); }
void rlc_r() { rotate<reg_n, ROT_RLC>(7); }

// ---- Control group ------------------------------------------------------

void nop() { charge(4); }

// The processor stops fetching until an interrupt is taken; the timer runs on.
void idle()
{
    trace_fn &tf = tf_idle;
    trace_enter(tf);
    TRACE_ALWAYS(tf, "called");
    c.idle_state = 1;
    charge(6);
}

void eint()
{
    c.sr |= 0xF0;
    tms7000_check_IRQ_lines();
    charge(5);
}

void dint()
{
    c.sr &= 0x0F;
    charge(5);
}

void setc()
{
    c.sr = static_cast<uint8_t>((c.sr & 0x1F) | SR_C | SR_Z);
    charge(5);
}

void pop_st()
{
    c.sr = tms7000_pop();
    tms7000_check_IRQ_lines();
    charge(6);
}

void push_st()
{
    tms7000_push(c.sr);
    charge(6);
}

void stsp()
{
    wr(B, c.sp);
    charge(6);
}

// Not masked here; the next push or pop brings it back into R0-R127.
void ldsp()
{
    c.sp = rd(B);
    charge(5);
}

void rets()
{
    c.pc.b.l = tms7000_pop();
    c.pc.b.h = tms7000_pop();
    charge(7);
}

void reti()
{
    c.pc.b.l = tms7000_pop();
    c.pc.b.h = tms7000_pop();
    c.sr = tms7000_pop();
    tms7000_check_IRQ_lines();
    charge(9);
}

[[gnu::always_inline]] inline void jump(bool cond) { charge(jump_if(cond) ? 7 : 5); }

void jmp() { jump_if(true); charge(7); }
void jn_() { jump(c.sr & SR_N); }
void jeq() { jump(c.sr & SR_Z); }
void jc() { jump(c.sr & SR_C); }
void jp() { jump(!(c.sr & (SR_N | SR_Z))); }
void jpz() { jump(!(c.sr & SR_N)); }
void jne() { jump(!(c.sr & SR_Z)); }
void jl() { jump(!(c.sr & SR_C)); }

// TRAP n calls through the vector at 0xFFFE - 2n; the status is not saved.
[[gnu::always_inline]] inline void trap(int n)
{
    tms7000_push(c.pc.b.h);
    tms7000_push(c.pc.b.l);
    c.pc.w = RM16(static_cast<unsigned long>(0xFFFE - 2 * n));
    charge(14);
}

void trap_0() { trap(0); }
void trap_1() { trap(1); }
void trap_2() { trap(2); }
void trap_3() { trap(3); }
void trap_4() { trap(4); }
void trap_5() { trap(5); }
void trap_6() { trap(6); }
void trap_7() { trap(7); }
void trap_8() { trap(8); }
void trap_9() { trap(9); }
void trap_10() { trap(10); }
void trap_11() { trap(11); }
void trap_12() { trap(12); }
void trap_13() { trap(13); }
void trap_14() { trap(14); }
void trap_15() { trap(15); }
void trap_16() { trap(16); }
void trap_17() { trap(17); }
void trap_18() { trap(18); }
void trap_19() { trap(19); }
void trap_20() { trap(20); }
void trap_21() { trap(21); }
void trap_22() { trap(22); }
void trap_23() { trap(23); }

} // namespace

// Undefined opcodes cost 4 cycles and do nothing else.
void illegal()
{
    trace_fn &tf = tf_illegal;
    trace_enter(tf);
    TRACE_ALWAYS(tf, "called");
    charge(4);
}

// Each digit is corrected once only, so digits above 9 in the operands give
// results outside decimal.
uint16_t bcd_add(uint16_t d, uint16_t s, uint16_t cy)
{
    trace_fn &tf = tf_bcd_add;
    trace_enter(tf);
    int lo = (d & 0x0F) + (s & 0x0F) + cy;
    int hi = ((d >> 4) & 0x0F) + ((s >> 4) & 0x0F) + (lo > 9 ? 1 : 0);
    if (lo >= 10)
        lo -= 10;
    int out = 0;
    if (hi > 9) {
        hi -= 10;
        out = 1;
    }
    uint16_t r = static_cast<uint16_t>((out * 256 + hi * 16 + lo) & 0x1FF);
    TRACE(tf, "called %x %x %x = %x", d, s, cy, r);
    return r;
}

// The counterpart of bcd_add, digit by digit. The carry in and bit 8 out
// both mean "no borrow", as for SUB and SBB.
uint16_t bcd_sub(uint16_t d, uint16_t s, uint16_t cy)
{
    trace_fn &tf = tf_bcd_sub;
    trace_enter(tf);
    TRACE_ALWAYS(tf, "called %x %x %x", d, s, cy);
    int lo = (d & 0x0F) - (s & 0x0F) - (cy ? 0 : 1);
    int hi = ((d >> 4) & 0x0F) - ((s >> 4) & 0x0F) - (lo < 0 ? 1 : 0);
    if (lo < 0)
        lo += 10;
    int no_borrow = 1;
    if (hi < 0) {
        hi += 10;
        no_borrow = 0;
    }
    return static_cast<uint16_t>(static_cast<unsigned>(no_borrow * 256 + hi * 16 + lo) & 0x1FF);
}

// clang-format off
const tms7000_opfn opfn_orv[256] = {
/*        x0         x1         x2         x3         x4         x5         x6         x7
          x8         x9         xA         xB         xC         xD         xE         xF */
/* 0x */ nop,       idle,      illegal,   illegal,   illegal,   eint,      dint,      setc,
         pop_st,    stsp,      rets,      reti,      illegal,   ldsp,      push_st,   illegal,
/* 1x */ illegal,   illegal,   mov_r2a,   and_r2a,   or_r2a,    xor_r2a,   btjo_r2a,  btjz_r2a,
         add_r2a,   adc_r2a,   sub_ra,    sbb_ra,    mpy_ra,    cmp_ra,    dac_r2a,   dsb_r2a,
/* 2x */ illegal,   illegal,   mov_i2a,   and_i2a,   or_i2a,    xor_i2a,   btjo_i2a,  btjz_i2a,
         add_i2a,   adc_i2a,   sub_ia,    sbb_ia,    mpy_ia,    cmp_ia,    dac_i2a,   dsb_i2a,
/* 3x */ illegal,   illegal,   mov_r2b,   and_r2b,   or_r2b,    xor_r2b,   btjo_r2b,  btjz_r2b,
         add_r2b,   adc_r2b,   sub_rb,    sbb_rb,    mpy_rb,    cmp_rb,    dac_r2b,   dsb_r2b,
/* 4x */ illegal,   illegal,   mov_r2r,   and_r2r,   or_r2r,    xor_r2r,   btjo_r2r,  btjz_r2r,
         add_r2r,   adc_r2r,   sub_rr,    sbb_rr,    mpy_rr,    cmp_rr,    dac_r2r,   dsb_r2r,
/* 5x */ illegal,   illegal,   mov_i2b,   and_i2b,   or_i2b,    xor_i2b,   btjo_i2b,  btjz_i2b,
         add_i2b,   adc_i2b,   sub_ib,    sbb_ib,    mpy_ib,    cmp_ib,    dac_i2b,   dsb_i2b,
/* 6x */ illegal,   illegal,   mov_b2a,   and_b2a,   or_b2a,    xor_b2a,   btjo_b2a,  btjz_b2a,
         add_b2a,   adc_b2a,   sub_ba,    sbb_ba,    mpy_ba,    cmp_ba,    dac_b2a,   dsb_b2a,
/* 7x */ illegal,   illegal,   mov_i2r,   and_i2r,   or_i2r,    xor_i2r,   btjo_i2r,  btjz_i2r,
         add_i2r,   adc_i2r,   sub_ir,    sbb_ir,    mpy_ir,    cmp_ir,    dac_i2r,   dsb_i2r,
/* 8x */ movp_p2a,  illegal,   movp_a2p,  andp_a2p,  orp_a2p,   xorp_a2p,  btjop_ap,  btjzp_ap,
         movd_imm,  illegal,   lda_dir,   sta_dir,   br_dir,    cmpa_dir,  call_dir,  illegal,
/* 9x */ illegal,   movp_p2b,  movp_b2p,  andp_b2p,  orp_b2p,   xorp_b2p,  btjop_bp,  btjzp_bp,
         movd_r,    illegal,   lda_ind,   sta_ind,   br_ind,    cmpa_ind,  call_ind,  illegal,
/* Ax */ illegal,   illegal,   movp_i2p,  andp_i2p,  orp_i2p,   xorp_i2p,  btjop_ip,  btjzp_ip,
         movd_inx,  illegal,   lda_inx,   sta_inx,   br_inx,    cmpa_inx,  call_inx,  illegal,
/* Bx */ clrc,      illegal,   dec_a,     inc_a,     inv_a,     clr_a,     xchb_a,    illegal,
         push_a,    pop_a,     djnz_a,    decd_a,    rr_a,      rrc_a,     rl_a,      rlc_a,
/* Cx */ mov_a2b,   tstb,      dec_b,     inc_b,     inv_b,     clr_b,     xchb_b,    illegal,
         push_b,    pop_b,     djnz_b,    decd_b,    rr_b,      rrc_b,     rl_b,      rlc_b,
/* Dx */ mov_a2r,   mov_b2r,   dec_r,     inc_r,     inv_r,     clr_r,     xchb_r,    swap_r_orv,
         push_r,    pop_r,     djnz_r,    decd_r,    rr_r,      rrc_r,     rl_r,      rlc_r,
/* Ex */ jmp,       jn_,       jeq,       jc,        jp,        jpz,       jne,       jl,
         trap_23,   trap_22,   trap_21,   trap_20,   trap_19,   trap_18,   trap_17,   trap_16,
/* Fx */ trap_15,   trap_14,   trap_13,   trap_12,   trap_11,   trap_10,   trap_9,    trap_8,
         trap_7,    trap_6,    trap_5,    trap_4,    trap_3,    trap_2,    trap_1,    trap_0,
};
// clang-format on

// The frame loop's slice, dispatched as threaded code: every handler is
// inlined here and followed by its own copy of the step to the next
// instruction, so that each has its own indirect jump and the processor's
// branch prediction learns which opcode tends to follow which.
// clang-format off
#define TMS7000_ROW(h) X(h##0) X(h##1) X(h##2) X(h##3) X(h##4) X(h##5) X(h##6) X(h##7) \
                       X(h##8) X(h##9) X(h##A) X(h##B) X(h##C) X(h##D) X(h##E) X(h##F)
#define TMS7000_ALL TMS7000_ROW(0) TMS7000_ROW(1) TMS7000_ROW(2) TMS7000_ROW(3) \
                    TMS7000_ROW(4) TMS7000_ROW(5) TMS7000_ROW(6) TMS7000_ROW(7) \
                    TMS7000_ROW(8) TMS7000_ROW(9) TMS7000_ROW(A) TMS7000_ROW(B) \
                    TMS7000_ROW(C) TMS7000_ROW(D) TMS7000_ROW(E) TMS7000_ROW(F)
// clang-format on

// With the address sanitizer on, inlining every handler here takes the
// compilers minutes: those builds call the handlers from the same code.
#if defined(__SANITIZE_ADDRESS__)
#define TMS7000_SLICE_INLINING
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TMS7000_SLICE_INLINING
#endif
#endif
#ifndef TMS7000_SLICE_INLINING
#define TMS7000_SLICE_INLINING [[gnu::flatten]]
#endif

template <bool until_stop>
TMS7000_SLICE_INLINING orv_stop tms7000_run_slice(unsigned short stop_pc)
{
#define X(n) &&op_##n,
    static const void *const dispatch[256] = {TMS7000_ALL};
#undef X
    trace_fn &tf = tf_tms7000_execute;
    orv_slice_state &sl = orv_slice;

    // Before an instruction: the history ring, p_pc and the slice's marks;
    // then its handler (or an idle slice).
#define TMS7000_START                                                                   \
    do {                                                                                \
        if (until_stop)                                                                 \
            orv_note_pc();                                                              \
        p_pc = c.pc.w;                                                                  \
        /* Slices open only once the bus functions' flags are decided off. */          \
        if (tf_program_read.flag != -1 || tf_program_write.flag != -1)                  \
            __builtin_unreachable();                                                    \
        sl.prev = sl.cur;                                                               \
        sl.cur = tms7000_icount;                                                        \
        if (c.idle_state) {                                                             \
            g_func_name = tf.name; /* its flag is decided; fetch names the read */      \
            tms7000_icount -= 16;                                                       \
            goto idle_done;                                                             \
        }                                                                               \
        goto *dispatch[fetch()];                                                        \
    } while (0)

    // After it: timer 1, the stop test and the end of the slice, where the
    // next one opens; then the next instruction. A break request comes only
    // with a full bus access, which also ends the slice: the whole stop test
    // is needed only there.
#define TMS7000_NEXT                                                                    \
    do {                                                                                \
        tms7000_count_timer1(tf);                                                       \
        if (c.pc.w == stop_pc || (until_stop && orv_host.stop_key && *orv_host.stop_key) || \
            tms7000_icount <= sl.end) {                                                 \
            orv_stop why = orv_stop_test<until_stop>(stop_pc);                          \
            if (why != ORV_STOP_FRAME)                                                  \
                return why;                                                             \
            if (tms7000_icount <= sl.end && !orv_slice_boundary())                      \
                return ORV_STOP_FRAME;                                                  \
        }                                                                               \
        TMS7000_START;                                                                  \
    } while (0)

    TMS7000_START;
idle_done:
    TMS7000_NEXT;
#define X(n)                                                                            \
    op_##n:                                                                             \
    opfn_orv[0x##n]();                                                                  \
    TMS7000_NEXT;
    TMS7000_ALL
#undef X
#undef TMS7000_NEXT
#undef TMS7000_START
}

template orv_stop tms7000_run_slice<false>(unsigned short stop_pc);
template orv_stop tms7000_run_slice<true>(unsigned short stop_pc);
