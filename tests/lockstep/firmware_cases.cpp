// Our own firmware and test programs as cases of the lockstep oracle, each
// with what it answers to: keys, a tape, commands written to its RAM.
#include "lockstep.h"

#include "firmware/builtin.h"
#include "tools/asm/asm7000.h"

namespace {

std::vector<uint8_t> assemble(const std::string &relative)
{
    asm_options options;
    options.base = 0xF800;
    options.size = 2048;
    asm_result r = asm7000_assemble_file(std::string(ORVANE_SOURCE_DIR) + "/" + relative, options);
    return r.ok ? r.image : std::vector<uint8_t>();
}

int label(const std::string &relative, const std::string &name)
{
    asm_options options;
    options.base = 0xF800;
    options.size = 2048;
    asm_result r = asm7000_assemble_file(std::string(ORVANE_SOURCE_DIR) + "/" + relative, options);
    return r.ok && r.symbols.count(name) ? static_cast<int>(r.symbols[name]) : 0;
}

std::vector<uint8_t> pattern(size_t n, unsigned multiplier)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; i++)
        v[i] = static_cast<uint8_t>(i * multiplier + 3);
    return v;
}

std::vector<uint8_t> square_tape(int half, size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; i++)
        v[i] = (i / static_cast<size_t>(half)) % 2 ? 200 : 50;
    return v;
}

lockstep_case program(const std::string &name, const std::string &relative, int frames)
{
    lockstep_case c;
    c.name = name;
    c.source = relative;
    c.bios7020 = assemble(relative);
    c.rom7041 = pattern(4096, 7);
    c.calls.resize(static_cast<size_t>(frames));
    return c;
}

void key(lockstep_case &c, size_t call, int code)
{
    if (call < c.calls.size())
        c.calls[call].before.push_back({lockstep_action::KEY, code});
}

} // namespace

std::vector<lockstep_case> lockstep_firmware_cases()
{
    std::vector<lockstep_case> cases;

    lockstep_case talker = program("talker, text mode, keys", "tests/firmware/talker.asm", 40);
    key(talker, 5, 0x41);
    key(talker, 9, 0x04);
    key(talker, 20, 0x86);
    cases.push_back(talker);

    lockstep_case traced = talker;
    traced.name = "talker, text mode, timers and the I/O processor traced";
    traced.debug_lst = "veld_check_timers() veld_timer_create() io_cpu_callback() speech_buffer_do() "
                       "tms7000_orv_execute() tms3556_vram_w() io_read_byte_8()";
    traced.calls.resize(12);
    cases.push_back(traced);

    lockstep_case bitmap = program("talker, bitmap mode, tape", "tests/firmware/talker.asm", 30);
    bitmap.cartridge.assign(16384, 0xFF);
    bitmap.cartridge[0] = 0x80;
    bitmap.tape = square_tape(20, 30000);
    cases.push_back(bitmap);

    lockstep_case iolink = program("iolink, commands and speech", "tests/firmware/iolink.asm", 60);
    iolink.cartridge = pattern(32768, 13);
    iolink.cartridge[0x4000] = 3;  // groups of the phrase after its first 24 bytes
    iolink.calls[20].before.push_back({lockstep_action::POKE, 0xC000 << 8 | 2});  // speak
    iolink.calls[40].before.push_back({lockstep_action::POKE, 0xC000 << 8 | 1});  // a speech feed
    key(iolink, 10, 0x33);
    cases.push_back(iolink);

    lockstep_case keyshow = program("keyshow, keys and tape", "tests/firmware/keyshow.asm", 20);
    keyshow.tape = square_tape(7, 20000);
    key(keyshow, 3, 0x52);
    key(keyshow, 8, 0x04);
    cases.push_back(keyshow);

    lockstep_case until_stop = program("keyshow, until-stop style", "tests/firmware/keyshow.asm", 8);
    until_stop.until_stop = true;
    key(until_stop, 2, 0x45);
    cases.push_back(until_stop);

    cases.push_back(program("port B edges", "tests/firmware/portb_edges.asm", 3));
    cases.push_back(program("sum", "tests/programs/sum.asm", 3));
    cases.push_back(program("forms", "tests/programs/forms.asm", 3));
    cases.push_back(program("bitmap fill", "tests/programs/fill_bitmap.asm", 20));
    // Breakpoints and watchpoints set, hit and removed between calls, in both
    // styles of the loop: the fast path gives way to the reference path while
    // any is set and comes back after; a stop of theirs leaves its frame open.
    for (bool until_stop : {false, true}) {
        lockstep_case stopped = program(until_stop ? "talker stopped by breakpoints, until-stop style"
                                                   : "talker stopped by breakpoints",
                                        "tests/firmware/talker.asm", 60);
        stopped.until_stop = until_stop;
        key(stopped, 5, 0x41);
        key(stopped, 9, 0x04);
        stopped.calls[2].before.push_back({lockstep_action::BREAK, label("tests/firmware/talker.asm", "BUSY")});
        stopped.calls[12].before.push_back({lockstep_action::BREAK, -1});
        stopped.calls[14].before.push_back({lockstep_action::WATCH, 2 << 16 | 0x12E});  // video data written
        stopped.calls[24].before.push_back({lockstep_action::BREAK, -1});
        stopped.calls[30].before.push_back({lockstep_action::WATCH, 3 << 16 | 0x104});  // P4
        stopped.calls[31].before.push_back({lockstep_action::BREAK, label("tests/firmware/talker.asm", "INT1")});
        stopped.calls[45].before.push_back({lockstep_action::BREAK, -1});
        cases.push_back(stopped);
    }
    lockstep_case wait_tape = program("wait for the tape", "tests/programs/wait_tape.asm", 6);
    wait_tape.tape = square_tape(400, 20000);
    cases.push_back(wait_tape);
    cases.push_back(program("undefined opcodes", "tests/programs/illegal_loop.asm", 3));
    // Unconditional lines inside slices while timer 1 counts.
    cases.push_back(program("timer 1 and IDLE", "tests/programs/timer_idle.asm", 6));
    lockstep_case timer_traced = program("timer 1 and IDLE, traced", "tests/programs/timer_idle.asm", 3);
    timer_traced.debug_lst = "tms7000_service_timer1() tms7000_do_interrupt() bcd_sub() tms70x0_pf_r()";
    cases.push_back(timer_traced);

    // Interrupts taken between instructions (the host pulsing INT3 between
    // runs): their timer-1 counts belong to the next instruction, traced or
    // not, and the INT2 they may bring is not lost.
    for (const char *traced : {"", "tms7000_orv_execute() tms7000_service_timer1()"}) {
        lockstep_case between = program("interrupt between instructions", "tests/programs/int_between.asm", 40);
        between.debug_lst = traced;
        for (size_t i = 0; i < between.calls.size(); i++) {
            between.calls[i].before.push_back({lockstep_action::INT3, 1});
            between.calls[i].before.push_back({lockstep_action::INT3, 0});
            between.calls[i].stop_pc = static_cast<unsigned short>(i % 3 == 0 ? 0xF80D + i % 2 : 0xFFFF);
        }
        cases.push_back(between);
    }

    lockstep_case builtin;
    builtin.name = "built-in firmware and demo cartridge, keys";
    builtin.source = "firmware/bios7020.asm";
    builtin.bios7020.assign(orv_builtin_bios7020, orv_builtin_bios7020 + orv_builtin_bios7020_size);
    builtin.rom7041.assign(orv_builtin_7041b, orv_builtin_7041b + orv_builtin_7041b_size);
    builtin.cartridge.assign(orv_builtin_demo, orv_builtin_demo + orv_builtin_demo_size);
    builtin.calls.resize(200);
    key(builtin, 30, 0x48);
    key(builtin, 34, 0x04);
    key(builtin, 170, 0x20);
    key(builtin, 174, 0x04);
    cases.push_back(builtin);
    return cases;
}
