#include "debugger.h"

#include "address_text.h"
#include "dasm7000.h"
#include "debug_engine.h"
#include "host.h"
#include "loop.h"
#include "memory.h"
#include "symbols.h"
#include "tms3556.h"
#include "tms7000.h"
#include "timers.h"
#include "trace.h"

#include <cstdio>
#include <cstring>
#include <string>

char disass_box[4800];
char registers_box[2400];
char breakpoint_str[32];

namespace {

constexpr int DEBUGGER_TEXT_SIZE = 65536;
char periph_text[DEBUGGER_TEXT_SIZE];
char log_text[DEBUGGER_TEXT_SIZE];

constexpr int DISASS_LINES = 20;

void tell(const char *text)
{
    if (orv_host.message)
        orv_host.message(text);
}

bool ask_yes(const char *question)
{
    return !orv_host.ask || orv_host.ask(question) != 0;
}

// The address in `breakpoint_str` (address_text.h). Without a digit, or
// above FFFF, there is no address: the command has no effect and the user
// is told why.
bool breakpoint_value(unsigned long &value)
{
    std::string text(breakpoint_str, strnlen(breakpoint_str, sizeof breakpoint_str));
    std::string why = orv_read_address_field(text.c_str(), 0xFFFF, value);
    if (!why.empty()) {
        tell(why.c_str());
        return false;
    }
    return true;
}

void refill_log()
{
    get_log_str(log_box, DEBUGGER_TEXT_SIZE);
}

void run_to(unsigned long value)
{
    orv_loop(static_cast<unsigned short>(value & 0xFFFF));
    refresh_debugger();
}

} // namespace

char *periph_box = periph_text;
char *log_box = log_text;

void disass_debugger()
{
    no_trace();
    log_box[0] = 0;
    char *out = disass_box;
    unsigned address = get_pc();
    for (int line = 0; line < DISASS_LINES; line++) {
        char text[64];
        int length = dasm7000_peek(text, address);
        out += std::sprintf(out, "%04X ", address);
        for (int i = 0; i < 6; i++) {
            if (i < length)
                out += std::sprintf(out, "%02X", program_peek_byte_8((address + i) & 0xFFFF));
            else
                out += std::sprintf(out, "  ");
        }
        out += std::sprintf(out, "%s\n", text);
        address = (address + static_cast<unsigned>(length)) & 0xFFFF;
    }
    restore_trace();
}

void regs_debugger()
{
    char *out = registers_box;
    out += std::sprintf(out, "PC=%04x\n", get_pc());
    out += std::sprintf(out, "SP=%02x\n", get_sp());
    out += std::sprintf(out, "SR=%s\n", get_sr_str());
    for (int i = 1; i <= 8; i++)
        out += std::sprintf(out, "[n-%d = x%04x]\n", i, pc_debug[(last_pc_debug - i + 8) % 8]);
    for (int i = 0; i < 128; i++)
        out += std::sprintf(out, "R%03d=$%02X\n", i, get_rf(static_cast<unsigned char>(i)));
    get_vdp_debug(registers_box);
}

void periph_debugger()
{
    std::strcpy(periph_box, "VDP\n");
    get_vdp_debug(periph_box);
}

void refresh_debugger()
{
    disass_debugger();
    regs_debugger();
    periph_debugger();
    refill_log();
}

void step()
{
    orv_step();
    refresh_debugger();
}

orv_debug_result orv_step_over()
{
    // The window just after the instruction: p + 1 to p + 4, computed without
    // wrapping, so a step over at 0xFFFC and above never ends by itself.
    const unsigned p = get_pc();
    const long long limit = static_cast<long long>(DEBUGGER_STEPOVER_SECONDS) * VELD_CYCLES_PER_SECOND;
    long long cycles = 0;
    for (;;) {
        cycles += orv_step();
        unsigned q = get_pc();
        if (p < q && q <= p + 4)
            return ORV_DEBUG_DONE;
        if (orv_debug_step_stops())
            return ORV_DEBUG_STOPPED;
        if (orv_host.interrupt_held) {
            if (q > p && orv_host.interrupt_held())
                return ORV_DEBUG_INTERRUPTED;
        } else if (cycles >= limit) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "Step over from %04x gave up after %d seconds of machine time: now at PC=%04x",
                          p, DEBUGGER_STEPOVER_SECONDS, q);
            tell(text);
            return ORV_DEBUG_GAVE_UP;
        }
    }
}

bool stepover_run() { return orv_step_over() == ORV_DEBUG_DONE; }

void stepover()
{
    stepover_run();
    refresh_debugger();
}

void tobreak()
{
    unsigned long value;
    if (!breakpoint_value(value))
        return;
    char question[64];
    std::snprintf(question, sizeof question, "Go to %06lx ?", value);
    if (!ask_yes(question)) {
        refill_log();
        return;
    }
    run_to(value);
}

void tobreaknoconfirm()
{
    unsigned long value;
    if (breakpoint_value(value))
        run_to(value);
}

void info_address_mmu()
{
    unsigned long value;
    if (!breakpoint_value(value))
        return;
    unsigned short address = static_cast<unsigned short>(value & 0xFFFF);
    char text[64];
    std::snprintf(text, sizeof text, "Address 0x%04x was written at PC=0x%04x", address, get_pc_write(address));
    tell(text);
}

void clear_log()
{
    clear_log_str();
    refill_log();
}

void debugger_clear_state()
{
    std::memset(disass_box, 0, sizeof disass_box);
    std::memset(registers_box, 0, sizeof registers_box);
    std::memset(periph_text, 0, sizeof periph_text);
    std::memset(log_text, 0, sizeof log_text);
    std::memset(breakpoint_str, 0, sizeof breakpoint_str);
    periph_box = periph_text;
    log_box = log_text;
}
