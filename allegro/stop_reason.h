// Why the machine stopped, in words, for the debugger's log view and the
// window's title: F1, the emulator menu's "Call Debugger", a VDP read or
// write break (with the instruction that hit it), a read of the video
// processor's status, the address a run was asked to reach, or a breakpoint
// or watchpoint of the debugger's engine (in the engine's own words).
#pragma once

#include <string>

struct stop_facts {
    bool menu_break;          // the emulator menu asked for the debugger
    bool break_request;       // the break request was set when the run stopped
    bool stop_key;            // F1 is held
    bool wrote_vdp_data;      // the instruction that stopped it wrote the video data port
    unsigned long vdp_read_break;   // as set; one with bit 15 set never fires
    unsigned long vdp_write_break;
    unsigned pc;              // where the machine stands
    unsigned instruction_pc;  // the instruction executed last
    bool engine_stop;         // the engine stopped the run before an instruction
    std::string engine_text;  // and says why (orv_debug_stop_text)
};

// The facts as the machine holds them now, right after a run stopped.
stop_facts stop_facts_now(bool menu_break, bool stop_key);

// "Stopped: ..." in one line.
std::string stop_reason_text(const stop_facts &f);

// Writes the line into the trace log, where the log view shows it.
void stop_reason_log(const std::string &text);

// Whether a VDP break at this address can fire (the watches compare the low
// 15 bits of the video address with the low 16 bits of the break).
inline bool vdp_break_armed(unsigned long address)
{
    return (address & 0x8000) == 0;
}
