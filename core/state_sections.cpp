// The sections of the state file, one per part (components.h): each lists
// its fields in file order with their width and the range a loaded value
// must lie in.
// docs/state-format.md describes the same layout for readers of the file.
#include "state_image.h"

namespace {

void time_fields(state_fields &f, const char *name, veld_time &t)
{
    f.num(name, t.seconds);
    f.num(name, t.cycles, 0, VELD_CYCLES_PER_SECOND);
}

} // namespace

// What the machine was started with.
void identity_section(state_fields &f, orv_state_image &m)
{
    f.hash("bios7020.bin hash", m.bios7020_hash);
    f.hash("7041b.bin hash", m.iop_rom_hash);
    f.hash("cartridge area hash", m.cart_hash);
}

void cpu_section(state_fields &f, orv_state_image &m)
{
    tms7000_state &c = m.cpu;
    f.num("program counter", c.pc.w);
    f.num("stack pointer", c.sp);
    f.num("status register", c.sr);
    f.nums("interrupt line", c.irq_state, 0, 1);
    f.bytes("register file", c.rf, sizeof c.rf);
    f.bytes("peripheral file", c.pf, sizeof c.pf);
    f.num("idle", c.idle_state, 0, 1);
    f.num("timer 1 capture latch", c.t1_capture_latch);
    f.num("timer 1 prescaler", c.t1_prescaler);
    f.num("timer 1 decrementer", c.t1_decrementer);
    // Between two instructions the budget is spent and the tick mark lies
    // at most one tick below it.
    f.num("cycle budget", m.cpu_icount, 0, 0);
    f.num("timer 1 tick mark", m.cpu_div_by_16_trigger, -16, 0);
    f.num("timer 1 period", m.cpu_cycles_per_INT2);
}

void memory_section(state_fields &f, orv_state_image &m)
{
    f.bytes("RAM", m.ram, sizeof m.ram);
    f.bytes("ports", m.ports, sizeof m.ports);
    f.num("instruction address", m.p_pc);
    f.words("write-watch", m.pc_on_write, 65536);
}

void cartridge_section(state_fields &f, orv_state_image &m)
{
    f.bytes("cartridge area", m.cart, sizeof m.cart);
}

void timers_section(state_fields &f, orv_state_image &m)
{
    time_fields(f, "clock", m.clock);
    f.num("live timers", m.timer_num, 0, VELD_TIMER_MAX);
    for (int i = 0; i < VELD_TIMER_MAX; i++) {
        veld_timer &t = m.timers[i];
        bool live = i < m.timer_num;
        // A timer is saved as what it is: the owner's tag names the function
        // it calls. Unused entries are all zero.
        f.num("timer tag", t.tag, 0, live ? 0x7FFFFFFF : 0);
        f.num("timer parameter", t.param, live ? -0x7FFFFFFF - 1 : 0, live ? 0x7FFFFFFF : 0);
        time_fields(f, "timer start", t.start);
        time_fields(f, "timer due", t.due);
        if (!f.reading() || !f.error().empty())
            continue;
        if (!live) {
            if (t.start.seconds || t.start.cycles || t.due.seconds || t.due.cycles)
                f.fail("an unused timer entry is not zero");
            t.callback = nullptr;
            continue;
        }
        const state_timer_kind *kind = nullptr;
        for (int k = 0; k < state_timer_kind_count; k++)
            if (state_timer_kinds[k].tag == t.tag)
                kind = &state_timer_kinds[k];
        if (!kind)
            f.fail("timer tag " + std::to_string(t.tag) + " is not one of this machine's");
        else if (t.param < kind->param_lo || t.param > kind->param_hi)
            f.fail("timer " + std::to_string(t.tag) + " has parameter " + std::to_string(t.param));
        else
            t.callback = kind->callback;
    }
}

void loop_section(state_fields &f, orv_state_image &m)
{
    orv_loop_state &l = m.loop;
    f.num("instruction cycles", l.instr_cycles, 0, 1000);
    time_fields(f, "clock step", l.delta);
    f.num("line cycles", l.cycle_line, 0, ORV_CYCLES_PER_LINE + 1000);
    f.num("scan line", l.scanline, 0, ORV_LINES_PER_FRAME);
    if (f.version() >= 2) {
        // 64 bits, and a loaded count leaves room for 2^62 frames (some
        // three thousand million years of machine time) before it could
        // overflow.
        f.num("frames", l.vblnum, 0, ORV_MAX_LOADED_FRAMES);
    } else {
        // Format 1 kept the count in 32 bits: a negative one had passed
        // 2^31 and wrapped, once.
        int32_t frames = static_cast<int32_t>(l.vblnum);
        f.num("frames", frames);
        l.vblnum = static_cast<uint32_t>(frames);
    }
    f.num("cycles since start", l.g_time);
    f.num("break request", l.ask_bkpt, 0, 1);
    f.nums("program counter history", l.pc_debug);
    f.num("history slot", l.last_pc_debug, 0, 7);
}

void iop_section(state_fields &f, orv_state_image &m)
{
    tms7041_state &p = m.iop;
    f.num("pending reports", p.flags);
    f.num("key code", p.key_code);
    f.num("speech status", p.speech_status);
    f.num("command", p.command, 0, IO_REPORT_SERIAL);
    f.num("byte index", p.byte_index, 0, 0xFFFF);
    f.num("speech bytes expected", p.data_count, 0, 0xFF);
    f.num("state", m.iop_state, 0, IO_CPU_STATE_COUNT - 1);
    f.num("mailbox", m.mailbox);
}

void vdp_section(state_fields &f, orv_state_image &m)
{
    tms3556_state &v = m.vdp;
    f.bytes("video RAM", v.vram, sizeof v.vram);
    f.bytes("registers 0-7", v.vdp_regs8, sizeof v.vdp_regs8);
    f.nums("registers 8-15", v.vdp_regs16);
    f.num("bamp pointer", v.vdp_acmp);
    f.num("col/row pointer", v.vdp_acmpxy);
    f.num("pointer choice", v.vdp_acmpxy_mode, 0, 1);
    f.num("BAMP loaded", v.bamp_written, 0, 1);
    f.num("COL/ROW written", v.row_col_written, 0, 1);
    f.num("COL/ROW latch", v.colrow);
    f.num("register port phase", v.sel, 0, 2);
    f.num("register", v.reg, 0, 15);
    f.num("queued register", v.reg2, 0, 15);
    f.num("read prepared", v.init_read, 0, 1);
    f.num("write watch", m.vdp_bkpt_write);
    f.num("read watch", m.vdp_bkpt_read);
    f.num("waiting background colour", m.render.next_col, -1, 7);
    f.num("serial background colour", m.render.cur_alpha_col, 0, 7);
    f.num("flash count", m.render.flash_count, 0, 49);
    // The picture last drawn, two dots a byte (the left one in the low half):
    // a loaded machine shows what it showed.
    static_assert(TMS3556_WIDTH % 2 == 0);
    uint8_t packed[TMS3556_HEIGHT * TMS3556_WIDTH / 2];
    uint8_t *dots = &m.picture[0][0];
    for (size_t i = 0; i < sizeof packed; i++)
        packed[i] = static_cast<uint8_t>((dots[2 * i] & 0x0F) | dots[2 * i + 1] << 4);
    f.bytes("picture", packed, sizeof packed);
    if (f.randomising())
        for (uint8_t &b : packed)
            b &= 0x77;  // colour numbers
    uint8_t stray = 0;
    for (size_t i = 0; i < sizeof packed; i++) {
        stray |= packed[i];
        dots[2 * i] = packed[i] & 0x0F;
        dots[2 * i + 1] = packed[i] >> 4;
    }
    if (f.reading() && (stray & 0x88))
        f.fail("a picture dot is not a colour number");
}

void speech_section(state_fields &f, orv_state_image &m)
{
    tms5220_input &in = m.speech_in;
    f.bytes("FIFO", in.fifo, sizeof in.fifo);
    f.num("FIFO head", in.fifo_head, 0, TMS5220_FIFO_SIZE - 1);
    f.num("FIFO count", in.fifo_count, 0, TMS5220_FIFO_SIZE);
    f.num("bit position", in.bit_pos, 0, 7);
    f.num("speaking", in.speak_state, 0, 2);
    f.num("low reported", in.low_reported, 0, 1);

    tms5220_synth &s = m.speech;
    const int K_LO = -32768, K_HI = 32767;
    f.num("old energy", s.old_energy, 0, 511);
    f.num("old pitch", s.old_pitch, 0, 160);
    f.num("new energy", s.new_energy, 0, 511);
    f.num("new pitch", s.new_pitch, 0, 160);
    f.nums("new K", s.new_k, K_LO, K_HI);
    f.num("current energy", s.current_energy, 0, 511);
    f.num("current pitch", s.current_pitch, 0, 160);
    f.nums("current K", s.current_k, K_LO, K_HI);
    f.num("target energy", s.target_energy, 0, 511);
    f.num("target pitch", s.target_pitch, 0, 160);
    f.nums("target K", s.target_k, K_LO, K_HI);
    f.num("previous energy", s.previous_energy, 0, 511);
    f.num("pitch count", s.pitch_count, 0, 160);
    f.nums("lattice forward", s.u);
    f.nums("lattice backward", s.x);
    f.num("noise generator", s.rng, 0, 0x1FFF);
    f.num("excitation", s.excitation);

    f.bytes("frame bits", in.current_frame, sizeof in.current_frame);
    f.num("frame type", s.current_frame_t, NO_FRAME, VOICED);
    f.num("frame sample", m.speech_blocks.tick, 0, TMS5220_BLOCK_SAMPLES - 1);
    f.nums("speech block", m.speech_blocks.buffer);
    f.nums("one-bit block", m.speech_blocks.buffer1bit);
    f.num("one-bit sample", m.speech_blocks.tick1bit, 0, TMS5220_BLOCK_SAMPLES - 1);
}

// The tape is named by its hash; the recording itself stays with the program.
void tape_section(state_fields &f, orv_state_image &m)
{
    f.num("playing", m.tape_playing, 0, 1);
    f.hash("recording hash", m.tape_hash);
    f.num("recording size", m.tape_size);
    f.num("position", m.tape_where, 0, m.tape_size);
    time_fields(f, "sample period", m.tape_period);
}

const state_timer_kind state_timer_kinds[] = {
    {IO_STATE_TIMER, io_cpu_callback, 0, IO_CPU_STATE_COUNT - 1},
    {SPEECH_TIMER, speech_buffer_do, 0, 0},
    {K7_TIMER, K7_callback, 0, 0},
};
const int state_timer_kind_count = sizeof state_timer_kinds / sizeof state_timer_kinds[0];
