// Random but well-formed firmware for the lockstep oracle.
//
// A program is assembled from blocks that stay inside their own bounds:
// every loop is counted, every branch goes forward, the stack is balanced
// and waits for the I/O processor give up after a while. The blocks cover
// register and memory arithmetic (decimal and double-byte forms included),
// the undefined opcodes, timer 1 on both clock sources with reloads and
// captures, IDLE, interrupts from all three lines, the video processor's
// ports in every mode, the ports and direction registers, unmapped areas,
// and the I/O processor: either by its handshake (greeting, commands,
// speech data, replies and reports taken in the INT1 routine) or by random
// edges on its lines.
//
// Registers: R4-R15 the handshake's, R20-R27 the interrupt routines',
// R30-R89 the blocks' own, R90-R93 loop counters, the stack from R96 up.
#include "lockstep.h"

#include "tools/asm/asm7000.h"

#include <cstdio>

namespace {

constexpr int SOUP_FIRST = 30;
constexpr int SOUP_REGS = 60;
constexpr int UNDEFINED[] = {0x02, 0x03, 0x04, 0x0C, 0x0F, 0x10, 0x11, 0x20, 0x21, 0x30, 0x31,
                             0x40, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70, 0x71, 0x81, 0x89, 0x8F,
                             0x90, 0x99, 0x9F, 0xA0, 0xA1, 0xA9, 0xAF, 0xB1, 0xB7, 0xC7};
const char *const TWO_OPERAND[] = {"MOV", "AND", "OR", "XOR", "ADD", "ADC", "SUB",
                                   "SBB", "CMP", "DAC", "DSB", "MPY"};
const char *const ONE_REGISTER[] = {"INC", "DEC", "INV", "CLR", "XCHB", "RR", "RRC", "RL", "RLC", "DECD"};
const char *const JUMPS[] = {"JMP", "JN", "JEQ", "JHS", "JP", "JPI", "JNZ", "JL"};

// A name and a number ("R30", "L12"): built by snprintf, which g++ 12's
// string concatenation warnings leave alone.
std::string named(const char *prefix, int n)
{
    char text[24];
    std::snprintf(text, sizeof text, "%s%d", prefix, n);
    return text;
}

std::string hex2(int v)
{
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", v & 0xFF);
    return text;
}

std::string hex4(int v)
{
    char text[8];
    std::snprintf(text, sizeof text, "$%04X", v & 0xFFFF);
    return text;
}

struct generator {
    lockstep_random &r;
    bool protocol;  // the handshake by the rules; otherwise random edges
    int labels = 0;
    int loop_depth = 0;
    int tables = 0;
    std::string tail;  // subroutines and tables, after the main loop

    std::string fresh() { return named("L", ++labels); }
    static void line(std::string &out, const std::string &s) { out += "        " + s + "\n"; }
    static void label(std::string &out, const std::string &l) { out += l + ":\n"; }

    std::string reg() { return named("R", SOUP_FIRST + r.below(SOUP_REGS)); }
    // The low register of a pair inside the blocks' registers.
    std::string pair() { return named("R", SOUP_FIRST + 1 + r.below(SOUP_REGS - 1)); }
    std::string imm() { return "#" + hex2(r.below(256)); }
    int ram() { return 0xC600 + r.below(0x200); }

    // One instruction (or a short balanced group) that touches only the
    // blocks' registers, RAM from $C600, and areas that read or write
    // nothing of the machine's own.
    void soup_one(std::string &out, int depth)
    {
        switch (r.below(22)) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const char *op = TWO_OPERAND[r.below(12)];
            switch (r.below(7)) {
            case 0: line(out, std::string(op) + " B,A"); break;
            case 1: line(out, std::string(op) + " " + reg() + ",A"); break;
            case 2: line(out, std::string(op) + " " + reg() + ",B"); break;
            case 3: line(out, std::string(op) + " " + reg() + "," + reg()); break;
            case 4: line(out, std::string(op) + " " + imm() + ",A"); break;
            case 5: line(out, std::string(op) + " " + imm() + ",B"); break;
            default: line(out, std::string(op) + " " + imm() + "," + reg()); break;
            }
            break;
        }
        case 4:
        case 5: {
            const char *op = ONE_REGISTER[r.below(10)];
            switch (r.below(3)) {
            case 0: line(out, std::string(op) + " A"); break;
            case 1: line(out, std::string(op) + " B"); break;
            default: line(out, std::string(op) + " " + (std::string(op) == "DECD" ? pair() : reg())); break;
            }
            break;
        }
        case 6:
            switch (r.below(6)) {
            case 0: line(out, "MOV A,B"); break;
            case 1: line(out, "MOV A," + reg()); break;
            case 2: line(out, "MOV B," + reg()); break;
            case 3: line(out, "TSTB"); break;
            case 4: line(out, "SETC"); break;
            default: line(out, "CLRC"); break;
            }
            break;
        case 7:
            switch (r.below(3)) {
            case 0: line(out, "MOVD #" + hex4(r.below(0x10000)) + "," + pair()); break;
            case 1: line(out, "MOVD " + pair() + "," + pair()); break;
            default: line(out, "MOVD #" + hex4(0xC600 + r.below(0x100)) + "(B)," + pair()); break;
            }
            break;
        case 8:
        case 9: {
            const char *op = r.chance(40) ? "STA" : r.chance(60) ? "LDA" : "CMPA";
            switch (r.below(3)) {
            case 0: line(out, std::string(op) + " @" + hex4(ram())); break;
            case 1: line(out, std::string(op) + " @" + hex4(0xC600 + r.below(0x100)) + "(B)"); break;
            default: {
                std::string p = pair();
                line(out, "MOVD #" + hex4(ram()) + "," + p);
                line(out, std::string(op) + " *" + p);
                break;
            }
            }
            break;
        }
        case 10: {
            // Peripheral reads: the timer, the ports, registers without a
            // function, unimplemented addresses, the mailbox.
            static const int readable[] = {0, 1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 9, 10, 11, 12, 20, 33, 48, 49, 63};
            int p = readable[r.below(20)];
            line(out, named("MOVP P", p) + (r.chance(50) ? ",A" : ",B"));
            break;
        }
        case 11: {
            // Peripheral writes that leave the interrupts and the
            // handshake alone.
            switch (r.below(7)) {
            case 0: line(out, "MOVP " + imm() + named(",P", r.chance(50) ? 9 : 11)); break;
            case 1: line(out, "MOVP " + imm() + named(",P", r.chance(50) ? 8 : 10)); break;
            case 2: line(out, named("MOVP A,P", r.chance(50) ? 1 : r.chance(50) ? 5 : 7)); break;
            case 3: line(out, "MOVP " + imm() + named(",P", 12 + r.below(24))); break;
            case 4: line(out, "XORP #08,P6"); break;  // the beeper
            case 5: line(out, "MOVP #" + hex2(r.below(256) | (protocol ? 0x01 : 0)) + ",P0"); break;
            default: line(out, "ORP #$2A,P0"); break;  // clears flags, keeps enables
            }
            break;
        }
        case 12: {
            // Unmapped areas and the ROMs, read and written.
            static const int addresses[] = {0x0080, 0x00FF, 0x0300, 0x7FFF, 0x8000, 0xBFFF, 0xC800, 0xF7FF, 0xF900};
            int a = addresses[r.below(9)];
            line(out, std::string(r.chance(50) ? "LDA" : "STA") + " @" + hex4(a));
            break;
        }
        case 13:
            line(out, "BYTE " + hex2(UNDEFINED[r.below(32)]));
            break;
        case 14:
            if (depth < 2) {
                std::string x = reg(), y = reg();
                line(out, r.chance(50) ? "PUSH " + x : r.chance(50) ? "PUSH A" : "PUSH ST");
                soup(out, r.range(0, 3), depth + 1);
                line(out, r.chance(70) ? "POP " + y : "POP B");
            } else {
                line(out, "NOP");
            }
            break;
        case 15:
            if (depth < 2) {
                // A branch over a few instructions.
                std::string over = fresh();
                switch (r.below(4)) {
                case 0: line(out, std::string(JUMPS[r.below(8)]) + " " + over); break;
                case 1: line(out, std::string(r.chance(50) ? "BTJO " : "BTJZ ") + imm() + "," + reg() + "," + over); break;
                case 2: line(out, std::string(r.chance(50) ? "BTJO " : "BTJZ ") + imm() + ",A," + over); break;
                default:
                    line(out, std::string(r.chance(50) ? "BTJOP " : "BTJZP ") + imm() + ",P" +
                                  named("", r.chance(60) ? 4 : r.below(12)) + "," + over);
                    break;
                }
                soup(out, r.range(1, 3), depth + 1);
                label(out, over);
            }
            break;
        case 16:
            if (depth < 2 && loop_depth < 2) {
                // A counted loop.
                std::string counter = named("R", 90 + loop_depth);
                std::string top = fresh();
                line(out, "MOV #" + hex2(r.range(1, 12)) + "," + counter);
                label(out, top);
                loop_depth++;
                soup(out, r.range(1, 4), depth + 1);
                loop_depth--;
                line(out, "DJNZ " + counter + "," + top);
            }
            break;
        case 17:
            line(out, named("TRAP ", r.range(4, 23)));
            break;
        case 18:
            if (depth < 2) {
                std::string sub = named("S", ++labels);
                line(out, "CALL " + sub);
                label(tail, sub);
                soup(tail, r.range(1, 5), 2);
                line(tail, "RETS");
            }
            break;
        case 19:
            line(out, "STSP");
            break;
        case 20:
            // Port A: the handshake output and the tape's bit.
            line(out, "BTJOP #" + hex2(r.chance(50) ? 0x10 : 0x01) + ",P4,$+2");
            line(out, "INC " + reg());
            break;
        default:
            line(out, "NOP");
            break;
        }
    }

    void soup(std::string &out, int n, int depth)
    {
        for (int i = 0; i < n; i++)
            soup_one(out, depth);
    }

    // Timer 1: reloads, the two clock sources, start, stop and adjust,
    // its count and capture latch read back.
    void timer_block(std::string &out)
    {
        if (r.chance(60))
            line(out, "MOVP " + imm() + ",P2");
        int control = r.below(32);
        if (r.chance(75))
            control |= 0x80;
        if (r.chance(20))
            control |= 0x40;
        line(out, "MOVP #" + hex2(control) + ",P3");
        if (r.chance(50))
            line(out, "MOVP P2,A");
        if (r.chance(30))
            line(out, "MOVP P3,B");
        if (r.chance(30))
            line(out, "ORP #04,P0");  // INT2 on
    }

    void idle_block(std::string &out)
    {
        if (r.chance(80))
            line(out, "EINT");
        else if (!protocol)
            line(out, "DINT");  // idles until a reset
        line(out, "IDLE");
        line(out, named("INC R", SOUP_FIRST));
    }

    // The video processor: register loads, pointers, data written and read,
    // every display mode, the reset and prepare-read ports.
    void video_block(std::string &out)
    {
        switch (r.below(7)) {
        case 0: {
            static const int modes[] = {0x00, 0x40, 0x80, 0xC0};
            line(out, "MOVP #$06,P45");
            line(out, "MOVP #" + hex2(modes[r.below(4)] | (r.chance(20) ? r.below(64) : 0)) + ",P45");
            if (r.chance(50)) {
                line(out, "MOVP #$07,P45");
                line(out, "MOVP " + imm() + ",P45");
            }
            if (r.chance(30)) {
                line(out, "MOVP #$05,P45");
                line(out, "MOVP " + imm() + ",P45");
            }
            break;
        }
        case 1:
            for (int i = r.range(1, 4); i > 0; i--) {
                line(out, "MOVP " + imm() + ",P45");
                line(out, "MOVP " + imm() + ",P45");
            }
            break;
        case 2: {
            // COL/ROW, then a 16-bit register (BAMP, BAPA, a generator base, BAMTF).
            static const int loads[] = {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x08};
            line(out, "MOVP #$21,P45");
            line(out, "MOVP " + imm() + ",P45");
            line(out, "MOVP #" + hex2(r.below(0x80)) + ",P45");
            line(out, "MOVP #" + hex2(loads[r.below(8)]) + ",P45");
            line(out, "MOVP #$00,P45");
            if (r.chance(50))
                line(out, "MOVP #$00,P45");
            break;
        }
        case 3: {
            std::string counter = named("R", 90 + loop_depth);
            std::string top = fresh();
            line(out, "MOV #" + hex2(r.range(1, 255)) + "," + counter);
            line(out, "MOV " + imm() + ",A");
            label(out, top);
            line(out, "MOVP A,P46");
            line(out, "ADD #" + hex2(r.range(1, 255)) + ",A");
            line(out, "DJNZ " + counter + "," + top);
            break;
        }
        case 4:
            if (r.chance(50))
                line(out, "MOVP P40,A");
            line(out, "MOVP P36,A");
            line(out, named("LDVDP A,P", r.below(60)));
            break;
        case 5:
            line(out, "MOVP P39,A");  // the video processor's reset
            break;
        default:
            if (r.chance(20))
                line(out, "MOVP P37,A");  // asks the debugger to take over
            else
                line(out, "MOVP A,P46");
            break;
        }
    }

    // The handshake's own lines, by the rules or at random.
    void io_block(std::string &out)
    {
        if (!protocol) {
            switch (r.below(4)) {
            case 0: line(out, "MOVP " + imm() + ",P6"); break;
            case 1: line(out, "XORP #" + hex2(r.range(1, 3)) + ",P6"); break;
            case 2: line(out, "MOVP " + imm() + ",P48"); break;
            default: line(out, "MOVP P48,A"); break;
            }
            return;
        }
        int command;
        switch (r.below(12)) {
        case 0: command = 0x01; break;
        case 1: command = 0x02; break;
        case 2: command = 0x03; break;
        case 3: command = 0x04; break;
        case 4: command = 0x05 + r.below(2); break;
        case 5: command = 0x08; break;
        case 6:
        case 7: command = 0x09; break;
        case 8: command = 0x0A; break;
        case 9: command = r.chance(25) ? (r.chance(50) ? 0x0B : 0x0D) : 0xFF; break;
        default: command = r.chance(70) ? 0x02 : r.below(256); break;  // anything else resets it
        }
        line(out, "MOV #" + hex2(command) + ",A");
        line(out, "CALL SEND");
        int data = command == 0x01 ? 1 : command == 0x09 ? 24 : command == 0x0A ? 8 : 0;
        if (data) {
            std::string table = named("T", ++tables);
            line(out, "MOVD #" + table + ",R15");
            line(out, "MOV #" + hex2(data) + ",R9");
            line(out, "CALL SENDBLK");
            tail += table + "  BYTE ";
            for (int i = 0; i < data; i++) {
                // Speech frames: mostly quiet energies, now and then a stop.
                int b = r.chance(10) ? 0xFF : r.below(256);
                tail += (i ? ", " : "") + hex2(b);
            }
            tail += "\n";
        }
    }

    void block(std::string &out)
    {
        switch (r.below(10)) {
        case 0: timer_block(out); break;
        case 1: idle_block(out); break;
        case 2:
        case 3: video_block(out); break;
        case 4:
        case 5: io_block(out); break;
        default: soup(out, r.range(2, 8), 0); break;
        }
    }

    std::string program(int blocks)
    {
        std::string out;
        out += "; generated for the lockstep oracle\n";
        out += "        ORG $F800\n";
        label(out, "RESET");
        line(out, "MOV #$60,B");
        line(out, "LDSP");
        for (int reg : {4, 8, 10, 20, 21, 22, 23})
            line(out, named("CLR R", reg));
        int enables = (protocol ? 0x01 : (r.chance(60) ? 0x01 : 0)) | (r.chance(50) ? 0x04 : 0) | (r.chance(50) ? 0x10 : 0);
        line(out, "MOVP #" + hex2(enables) + ",P0");
        if (r.chance(50))
            timer_block(out);
        if (protocol || r.chance(70))
            line(out, "EINT");
        if (protocol) {
            // The greeting: B0 high; the INT1 routine drops it when done.
            line(out, "ORP #01,P6");
            line(out, "MOV #$FF,R25");
            label(out, "GREET");
            line(out, "BTJZP #01,P6,MAIN");
            line(out, "DJNZ R25,GREET");
        }
        label(out, "MAIN");
        for (int i = 0; i < blocks; i++)
            block(out);
        line(out, "BR MAIN");
        out += tail;
        out += protocol ? protocol_routines() : chaos_routines();
        out += common_routines();
        return out;
    }

    // The handshake of the machine's firmware (see tests/firmware/iolink.asm),
    // every wait counted. Bytes received go to a ring at $C500.
    static std::string protocol_routines()
    {
        return R"(
SEND    CLR R4
        MOVP A,P48
        ORP #01,P6              ; B0 high: a byte for the I/O processor
        MOV #$FF,R25
SENDW   BTJO #1,R4,SENDD
        DJNZ R25,SENDW
SENDD   INC R8
        RETS
SENDBLK LDA *R15
        CALL SEND
        INC R15
        ADC #0,R14
        DJNZ R9,SENDBLK
        RETS
INT1    PUSH A
        PUSH B
        INC R20
        BTJOP #01,P4,I1ACK
        MOVP P48,A              ; a byte for us
        MOV R10,B
        STA @$C500(B)
        INC R10
        ORP #02,P6              ; B1 high: seen
        MOV #$40,R26
I1W1    BTJOP #01,P4,I1W1D
        DJNZ R26,I1W1
I1W1D   ANDP #$FD,P6
        ANDP #$FE,P6
        POP B
        POP A
        RETI
I1ACK   ANDP #$FE,P6            ; our byte was taken
        MOV #$40,R26
I1W2    BTJZP #01,P4,I1W2D
        DJNZ R26,I1W2
I1W2D   MOV #1,R4
        POP B
        POP A
        RETI
)";
    }

    std::string chaos_routines()
    {
        std::string out = "INT1    PUSH A\n        INC R20\n        MOVP P48,A\n        STA @$C4F0\n";
        switch (r.below(4)) {
        case 0: line(out, "ORP #02,P6"); break;
        case 1: line(out, "ANDP #$FC,P6"); break;
        case 2: line(out, "XORP #01,P6"); break;
        default: break;
        }
        out += "        POP A\n        RETI\n";
        return out;
    }

    std::string common_routines()
    {
        std::string out = "INT2    PUSH A\n        INC R21\n        MOVP P2,A\n        STA @$C4F1\n";
        if (r.chance(30))
            line(out, "MOVP #" + hex2((r.chance(70) ? 0x80 : 0) | r.below(32)) + ",P3");
        out += "        POP A\n        RETI\n";
        out += "INT3    PUSH A\n        INC R22\n        MOVP P3,A\n        STA @$C4F2\n        POP A\n        RETI\n";
        out += "TRAPS   INC R23\n        RETS\n";
        out += "        ORG $FFD0\n        WORD ";
        for (int n = 23; n >= 4; n--)
            out += std::string("TRAPS") + (n > 4 ? ", " : "\n");
        out += "        WORD INT3, INT2, INT1, RESET\n";
        return out;
    }
};

// Every trace name of the core (the names `debug.lst` may list).
const char *const TRACE_NAMES[] = {
    "program_read_byte_8()", "program_write_byte_8()", "io_read_byte_8()", "io_write_byte_8()",
    "veld_timer_create()", "veld_check_timers()", "veld_timer_remove()", "double2time",
    "tms7000_orv_execute()", "tms7000_do_interrupt()", "tms7000_check_IRQ_lines()", "tms7000_set_irq_line()",
    "tms7000_service_timer1()", "tms70x0_pf_r()", "tms70x0_pf_w()", "bcd_add()",
    "io_cpu_callback()", "io_cpu_event()", "io_cpu_event_ready()", "io_cpu_state_ready()",
    "io_cpu_state_poll()", "io_cpu_state_comm_F1C8()", "io_cpu_state_comm_push()", "set_mailbox()",
    "speech_buffer_do()", "speech_buffer_low()", "speech_buffer_end()", "speech_write_data()",
    "speech_do()", "tms3556_reg_w()", "tms3556_vram_r()", "tms3556_vram_w()",
    "tms3556_initptr_r()", "tms3556_redraw()", "io_cpu_state_comm_rd_mb()", "io_cpu_dispatch_comm_send2()",
};

} // namespace

lockstep_case lockstep_generate(lockstep_random &r)
{
    lockstep_case c;
    generator g{r, r.chance(60), 0, 0, 0, ""};
    int blocks = r.range(4, 24);
    // Assembled until it fits the 2 KB ROM, with fewer blocks each time.
    const uint32_t layout = r.next();
    asm_result built;
    for (;;) {
        lockstep_random again(layout);
        generator attempt{again, g.protocol, 0, 0, 0, ""};
        c.source = attempt.program(blocks);
        asm_options options;
        options.base = 0xF800;
        options.size = 2048;
        built = asm7000_assemble_text("generated.asm", c.source, options);
        if (built.ok || blocks == 0)
            break;
        blocks = blocks * 2 / 3;
    }
    if (!built.ok) {
        c.name = "generated program that does not assemble";
        for (const std::string &e : built.errors)
            c.source += "; " + e + "\n";
        return c;
    }
    c.name = std::string("generated, ") + (g.protocol ? "handshake" : "random edges") + ", " +
             std::to_string(blocks) + " blocks";
    c.bios7020 = built.image;
    c.rom7041.resize(4096);
    for (size_t i = 0; i < c.rom7041.size(); i++)
        c.rom7041[i] = static_cast<uint8_t>(r.next());

    if (r.chance(15)) {
        static const size_t sizes[] = {8192, 16384, 32256, 32768};
        c.cartridge.resize(sizes[r.below(4)]);
        for (uint8_t &b : c.cartridge)
            b = static_cast<uint8_t>(r.next());
    }
    if (r.chance(35)) {
        int names = r.range(1, 4);
        for (int i = 0; i < names; i++)
            c.debug_lst += std::string(TRACE_NAMES[r.below(sizeof TRACE_NAMES / sizeof TRACE_NAMES[0])]) + "\n";
    }
    c.until_stop = r.chance(15);
    c.frames_per_stop = r.range(1, 3);
    c.skip_picture_every = r.chance(20) ? r.range(2, 4) : 0;
    if (r.chance(30)) {
        int half = r.range(3, 60);
        c.tape.resize(static_cast<size_t>(r.range(2000, 40000)));
        for (size_t i = 0; i < c.tape.size(); i++)
            c.tape[i] = (i / static_cast<size_t>(half)) % 2 ? 200 : 50;
        c.tape_rate = r.chance(50) ? 11025 : 22050;
    }

    // The labels of the program are where a run may be asked to stop.
    std::vector<unsigned> stops;
    for (const auto &[name, value] : built.symbols)
        if (name[0] == 'L' || name == "MAIN")
            stops.push_back(static_cast<unsigned>(value));
    int calls = r.range(4, 14);
    bool int3 = false;
    for (int i = 0; i < calls; i++) {
        lockstep_call call;
        if (r.chance(20))
            call.before.push_back({lockstep_action::KEY, r.chance(20) ? 0x04 : r.below(256)});
        if (r.chance(12)) {
            int3 = !int3;
            call.before.push_back({lockstep_action::INT3, int3 ? 1 : 0});
        }
        if (r.chance(10))
            call.before.push_back({lockstep_action::EXT_CLOCK, r.range(1, 40)});
        if (r.chance(10))
            call.before.push_back({lockstep_action::STEPS, r.range(1, 30)});
        if (r.chance(6))
            call.before.push_back({lockstep_action::WATCH_WRITE, r.chance(30) ? -1 : r.below(0x8000)});
        if (r.chance(3))
            call.before.push_back({lockstep_action::RESET, 0});
        if (r.chance(6))
            call.before.push_back({lockstep_action::SAVE_LOAD, 0});
        if (r.chance(5))
            call.before.push_back({lockstep_action::POKE, (0xC600 + r.below(0x200)) << 8 | r.below(256)});
        if (!stops.empty() && r.chance(12))
            call.stop_pc = static_cast<unsigned short>(stops[static_cast<size_t>(r.below(static_cast<int>(stops.size())))]);
        c.calls.push_back(call);
    }
    // Breakpoints and watchpoints, chosen after everything else so that the
    // rest of a seed's case stays as it was: while any is set the machine
    // runs on the reference path whatever the mode, and each stop of theirs
    // leaves its frame open for the next call.
    if (!stops.empty() && r.chance(30)) {
        for (int n = r.range(1, 3); n > 0; n--) {
            lockstep_call &call = c.calls[static_cast<size_t>(r.below(static_cast<int>(c.calls.size())))];
            if (r.chance(50))
                call.before.push_back({lockstep_action::BREAK, static_cast<int>(stops[static_cast<size_t>(r.below(static_cast<int>(stops.size())))])});
            else
                call.before.push_back({lockstep_action::WATCH, r.range(1, 3) << 16 | (r.chance(50) ? 0xC600 + r.below(0x200) : r.below(0x80))});
        }
        c.calls[static_cast<size_t>(r.below(static_cast<int>(c.calls.size())))].before.push_back({lockstep_action::BREAK, -1});
    }
    return c;
}

// ---- choices ------------------------------------------------------------

lockstep_random::lockstep_random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}

lockstep_random::lockstep_random(const uint8_t *data, size_t size) : data_(data), left_(size)
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size; i++)
        h = (h ^ data[i]) * 0x100000001B3ull;
    state_ = h;
}

uint32_t lockstep_random::next()
{
    if (left_ >= 4) {
        uint32_t v = static_cast<uint32_t>(data_[0]) | data_[1] << 8 | data_[2] << 16 |
                     static_cast<uint32_t>(data_[3]) << 24;
        data_ += 4;
        left_ -= 4;
        return v;
    }
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
}

int lockstep_random::below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint32_t>(n)); }
int lockstep_random::range(int lo, int hi) { return lo + below(hi - lo + 1); }
bool lockstep_random::chance(int percent) { return below(100) < percent; }
