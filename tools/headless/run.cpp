// The run: start-up as the desktop programs do it, frames in the wx
// program's style (one frame per loop call, keys polled on every second
// frame), then the files.
#include "headless.h"

#include "core/iocpu.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/tms5220.h"
#include "core/tms7000.h"
#include "core/trace.h"
#include "tools/png/png_picture.h"

#include <vector>

hl_result hl_last;

namespace {

// Keys waiting for a poll, in delivery order.
std::vector<hl_key_event> hl_keys;
size_t hl_next_key;

// The host keyboard of this program: at each poll, the next key code whose
// frame has come, if any. `vblnum` is the frame just finished.
void hl_key_poll()
{
    if (hl_next_key >= hl_keys.size() || hl_keys[hl_next_key].frame > vblnum)
        return;
    uint8_t code = hl_keys[hl_next_key++].code;
    hl_last.keys_sent.push_back({vblnum, code});
    send_key(code);
}

void hl_sound_sink(const unsigned char *block, int length)
{
    hl_last.audio.insert(hl_last.audio.end(), block, block + length);
}

void hl_print_registers(FILE *out)
{
    std::fprintf(out, "PC=%04x\nSP=%02x\nSR=%s\n", get_pc(), get_sp(), get_sr_str());
    for (int row = 0; row < 128; row += 16) {
        std::fprintf(out, "R%03d:", row);
        for (int i = row; i < row + 16; i++)
            std::fprintf(out, " %02X", get_rf(static_cast<unsigned char>(i)));
        std::fprintf(out, "\n");
    }
}

void hl_print_trace(FILE *out)
{
    // Room for the whole ring: 1000 lines of at most 255 characters.
    std::vector<char> text(1000 * 256 + 1);
    get_log_str(text.data(), static_cast<int>(text.size()));
    std::fputs(text.data(), out);
}

int hl_run_machine(const hl_options &opt, FILE *out, FILE *err)
{
    const char *message = MemInit(opt.bios.c_str());
    if (message) {
        std::fprintf(err, "orvane-headless: %s (firmware directory '%s')\n", message, opt.bios.c_str());
        return 1;
    }
    orv_cold_start();
    if (!opt.rom.empty()) {
        message = RomLoad(opt.rom.c_str());
        if (message) {
            std::fprintf(err, "orvane-headless: %s: %s\n", opt.rom.c_str(), message);
            return 1;
        }
        orv_reset();
    }
    if (!opt.cassette.empty()) {
        std::string warning;
        std::string error = hl_load_cassette(opt.cassette, warning);
        if (!error.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", error.c_str());
            return 1;
        }
        if (!warning.empty())
            std::fprintf(err, "orvane-headless: warning: %s\n", warning.c_str());
    }

    hl_keys = opt.keys;
    hl_next_key = 0;
    unsigned short stop_pc = opt.break_addr >= 0 ? static_cast<unsigned short>(opt.break_addr) : 0xFFFF;
    for (long f = 0; f < opt.frames; f++) {
        int frames_done = vblnum;
        orv_loop(stop_pc);
        hl_last.frames_run++;
        // A loop call that ends before its frame has stopped at the break
        // address, or at a break request of the video watches, which this
        // program has no debugger to answer: it runs on.
        if (vblnum == frames_done && opt.break_addr >= 0 && get_pc() == stop_pc) {
            hl_last.break_reached = true;
            break;
        }
    }

    if (opt.break_addr >= 0) {
        if (hl_last.break_reached) {
            std::fprintf(out, "Break at %04x in frame %ld\n", static_cast<unsigned>(opt.break_addr),
                         hl_last.frames_run - 1);
            hl_print_registers(out);
        } else {
            std::fprintf(out, "Break at %04x not reached in %ld frames\n",
                         static_cast<unsigned>(opt.break_addr), hl_last.frames_run);
        }
    }

    int status = 0;
    if (!opt.screenshot.empty()) {
        std::string e = orv_write_png(opt.screenshot, tms3556_screen, opt.scale);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", e.c_str());
            status = 1;
        }
    }
    if (!opt.audio.empty()) {
        std::string e = hl_write_wav(opt.audio, hl_last.audio);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", e.c_str());
            status = 1;
        }
    }
    if (opt.trace)
        hl_print_trace(out);
    return status;
}

} // namespace

int hl_run(const hl_options &opt, FILE *out, FILE *err)
{
    orv_clear_globals();
    hl_last = hl_result();

    orv_host_hooks saved_host = orv_host;
    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    orv_host.key_poll = hl_key_poll;
    orv_host.sound_block = hl_sound_sink;

    int status = hl_run_machine(opt, out, err);

    orv_host = saved_host;
    hl_keys.clear();
    hl_next_key = 0;
    return status;
}

int hl_main(int argc, const char *const *argv, FILE *out, FILE *err)
{
    hl_options opt;
    std::string error = hl_parse_args(argc, argv, opt);
    if (!error.empty()) {
        std::fprintf(err, "orvane-headless: %s\nTry 'orvane-headless --help'.\n", error.c_str());
        return 2;
    }
    if (opt.help) {
        std::fputs(hl_usage, out);
        return 0;
    }
    return hl_run(opt, out, err);
}
