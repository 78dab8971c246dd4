// The run: start-up as the desktop programs do it, frames in the wx
// program's style (one frame per loop call, keys polled on every second
// frame), then the files.
#include "headless.h"

#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/file_replace.h"
#include "core/rom_files.h"
#include "core/state.h"
#include "core/symbols.h"
#include "core/tms5220.h"
#include "core/tms7000.h"
#include "core/trace.h"
#include "firmware/builtin.h"
#include "orvane_version.h"

#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <vector>

hl_result hl_last;

namespace {

// /dev/null and its like take any number of outputs.
bool is_char_device(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

std::string hl_check_files(const hl_options &opt)
{
    // Names the run reads (the trace list is read from the current
    // directory) and those it writes (the firmware loading's copy too).
    const std::pair<std::string, std::string> inputs[] = {
        {"the cartridge (--rom)", opt.rom},
        {"the tape (--cassette)", opt.cassette},
        {"the state (--load-state)", opt.load_state},
        {"the debugger script (--debug)", opt.debug == "-" ? "" : opt.debug},
        {"a firmware file (--bios)", opt.bios + "/bios7020.bin"},
        {"a firmware file (--bios)", opt.bios + "/7041b.bin"},
        {"the trace list debug.lst", "debug.lst"},
        {"the firmware loading's copy orvane_7041.bin", "orvane_7041.bin"},
    };
    struct output {
        std::string name, path;
        // Outputs of one group may replace one another (the last one made
        // stays): the pictures, the trace files.
        const char *group;
    };
    std::vector<output> outputs = {
        {"--screenshot", opt.screenshot, "picture"},
        {"--audio", opt.audio, ""},
        {"--save-state", opt.save_state, ""},
    };
    std::vector<std::pair<std::string, std::string>> read = {std::begin(inputs), std::end(inputs)};
    read.push_back({"a firmware file (--bios)", opt.bios + "/bios7020.sym"});
    for (const hl_debug_command &c : opt.debug_script) {
        const std::string line = " (line " + std::to_string(c.line) + ")";
        if (c.name == "screenshot")
            outputs.push_back({"the script's screenshot" + line, c.args[0], "picture"});
        else if ((c.name == "tracelog" || c.name == "traceinsn") && c.args[0] != "off")
            outputs.push_back({"the script's trace" + line, c.args[0], "trace"});
        else if (c.name == "symbols")
            read.push_back({"the symbols" + line, c.args[0]});
    }
    for (size_t i = 0; i < outputs.size(); i++) {
        const output &o = outputs[i];
        if (o.path.empty())
            continue;
        for (const auto &[input, path] : read)
            if (!path.empty() && orv_same_file(o.path, path))
                return o.name + " '" + o.path + "' would replace " + input + "; name another file";
        for (size_t j = 0; j < i; j++)
            if (!outputs[j].path.empty() && !(*o.group && std::strcmp(o.group, outputs[j].group) == 0) &&
                !is_char_device(o.path) && orv_same_file(o.path, outputs[j].path))
                return outputs[j].name + " and " + o.name + " name the same file '" + o.path + "'";
    }
    return "";
}

namespace {

// Keys waiting for a poll, in delivery order.
std::vector<hl_key_event> hl_keys;
size_t hl_next_key;
// `vblnum` when the run started: a loaded state brings its own count.
int64_t hl_first_frame;

// The host keyboard of this program: at each poll, the next key code whose
// frame has come, if any. `vblnum` counts the frame just finished.
void hl_key_poll()
{
    long frame = static_cast<long>(vblnum - hl_first_frame);
    if (hl_next_key >= hl_keys.size() || hl_keys[hl_next_key].frame > frame)
        return;
    uint8_t code = hl_keys[hl_next_key++].code;
    hl_last.keys_sent.push_back({frame, code});
    send_key(code);
}

// The sound file being written, when --audio asks for one: blocks go
// straight to it, so memory stays flat however long the run.
hl_wav_writer hl_wav;
bool hl_wav_on;

// Only the last frame's picture is saved, and a run may stop anywhere in a
// frame: no frame is drawn as it ends; the video processor and the
// renderer's state are kept instead, and the last frame is drawn from them
// at the end.
struct hl_video_snapshot {
    bool taken;
    tms3556_state video;
    tms3556_render_state render;
};
hl_video_snapshot hl_last_frame;

int hl_keep_frame()
{
    hl_last_frame.taken = true;
    hl_last_frame.video = tms3556;
    hl_last_frame.render = tms3556_render;
    return 0;
}

int hl_skip_frame() { return 0; }

} // namespace

// Leaves the trace log without a line too.
void hl_draw_last_frame()
{
    if (!hl_last_frame.taken)
        return;
    static hl_video_snapshot now;
    now.video = tms3556;
    now.render = tms3556_render;
    tms3556 = hl_last_frame.video;
    tms3556_render = hl_last_frame.render;
    int (*wanted)() = orv_host.picture_wanted;
    orv_host.picture_wanted = nullptr;
    int suppressed = g_notrace;
    no_trace();
    tms3556_redraw();
    if (!suppressed)
        restore_trace();
    orv_host.picture_wanted = wanted;
    tms3556 = now.video;
    tms3556_render = now.render;
    hl_last_frame.taken = false;
}

namespace {

void hl_sound_sink(const unsigned char *block, int length)
{
    if (hl_wav_on && length > 0)
        hl_wav_add(hl_wav, block, static_cast<size_t>(length));
}

} // namespace

// SIGINT or SIGTERM received: the run ends after the current frame, with
// its files written.
volatile sig_atomic_t hl_signal;

namespace {

void hl_on_signal(int sig) { hl_signal = sig; }

// The outputs' temporary files, made before the run.
hl_out_file hl_png, hl_state_out;

void hl_discard_outputs()
{
    hl_out_discard(hl_png);
    hl_out_discard(hl_state_out);
    hl_out_discard(hl_wav.file);
    hl_wav_on = false;
}

// A load failure's fixed message, then the system's reason when the file
// does not open.
std::string hl_with_reason(const char *message, const std::string &path)
{
    std::string reason = orv_open_reason(path.c_str());
    return reason.empty() ? message : std::string(message) + ": " + reason;
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
    // Every output's directory must take it before the run starts.
    std::string e;
    if (!opt.screenshot.empty())
        e = hl_out_open(hl_png, opt.screenshot);
    if (e.empty() && !opt.audio.empty()) {
        e = hl_wav_begin(hl_wav, opt.audio);
        hl_wav_on = e.empty();
    }
    if (e.empty() && !opt.save_state.empty())
        e = hl_out_open(hl_state_out, opt.save_state);
    if (!e.empty()) {
        std::fprintf(err, "orvane-headless: %s\n", e.c_str());
        return 1;
    }

    const char *message = orv_load_firmware(opt.bios.c_str(), opt.bios_named, &hl_last.builtin_firmware);
    if (message) {
        std::string file = opt.bios + (std::strstr(message, "7041b") ? "/7041b.bin" : "/bios7020.bin");
        std::string reason = orv_open_reason(file.c_str());
        std::fprintf(err, "orvane-headless: %s (firmware directory '%s')%s%s\n", message, opt.bios.c_str(),
                     reason.empty() ? "" : ": ", reason.c_str());
        return 1;
    }
    if (hl_last.builtin_firmware)
        std::fprintf(err, "orvane-headless: no firmware directory '%s': running the %s%s\n", opt.bios.c_str(),
                     orv_builtin_notice, opt.rom.empty() ? " and its demo cartridge" : "");
    std::string warnings = hl_last.builtin_firmware ? "" : orv_firmware_warnings(opt.bios.c_str());
    for (size_t at = 0, nl; (nl = warnings.find('\n', at)) != std::string::npos; at = nl + 1)
        std::fprintf(err, "orvane-headless: warning: %s\n", warnings.substr(at, nl - at).c_str());
    orv_cold_start();
    if (!opt.rom.empty()) {
        message = RomLoad(opt.rom.c_str());
        if (message) {
            std::fprintf(err, "orvane-headless: %s: %s\n", opt.rom.c_str(), hl_with_reason(message, opt.rom).c_str());
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

    if (!opt.load_state.empty()) {
        std::string note;
        std::string error = orv_state_load_file(opt.load_state, note);
        if (!error.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", error.c_str());
            return 1;
        }
        if (!note.empty())
            std::fprintf(err, "orvane-headless: %s\n", note.c_str());
    }

    // Labels are read now that the symbols are loaded, before any frame runs.
    long break_addr = opt.break_addr;
    if (!opt.break_label.empty()) {
        unsigned long value;
        std::string why = orv_parse_address(opt.break_label, 0xFFFF, value);
        if (!why.empty()) {
            std::fprintf(err, "orvane-headless: --break: %s\nTry 'orvane-headless --help'.\n",
                         hl_printable(hl_label_message(opt.break_label, why)).c_str());
            return 2;
        }
        break_addr = static_cast<long>(value);
    }
    if (std::string why = hl_check_script_labels(opt); !why.empty()) {
        std::fprintf(err, "orvane-headless: %s\n", why.c_str());
        return 2;
    }
    if (!orv_symbols_note().empty())
        std::fprintf(err, "orvane-headless: warning: %s\n", hl_printable(orv_symbols_note()).c_str());

    hl_keys = opt.keys;
    hl_next_key = 0;
    hl_first_frame = vblnum;
    unsigned short stop_pc = break_addr >= 0 ? static_cast<unsigned short>(break_addr) : 0xFFFF;
    for (long f = 0; f < opt.frames && !hl_signal; f++) {
        int64_t frames_done = vblnum;
        orv_loop(stop_pc);
        hl_last.frames_run++;
        // A loop call that ends before its frame has stopped at the break
        // address, or at a break request of the video watches, which this
        // program has no debugger to answer: it runs on.
        if (vblnum == frames_done && break_addr >= 0 && get_pc() == stop_pc) {
            hl_last.break_reached = true;
            break;
        }
    }

    if (break_addr >= 0) {
        if (hl_last.break_reached) {
            std::fprintf(out, "Break at %04x in frame %ld\n", static_cast<unsigned>(break_addr),
                         hl_last.frames_run - 1);
            regs_debugger();
            std::fputs(registers_box, out);
        } else {
            std::fprintf(out, "Break at %04x not reached in %ld frames\n",
                         static_cast<unsigned>(break_addr), hl_last.frames_run);
        }
    }

    int status = 0;
    if (!opt.debug.empty() && !hl_signal)
        status = hl_run_debug_script(opt, out, err);
    if (hl_signal) {
        hl_last.stop_signal = hl_signal;
        std::fprintf(err, "orvane-headless: %s after %ld of %ld frames; writing the files asked for\n",
                     hl_signal == SIGINT ? "interrupted (SIGINT)" : "terminated (SIGTERM)", hl_last.frames_run,
                     opt.frames);
        status = 128 + hl_signal;
    }
    // The picture goes into the screenshot and into a saved state.
    if (!opt.screenshot.empty() || !opt.save_state.empty())
        hl_draw_last_frame();
    if (!opt.screenshot.empty()) {
        std::string e = hl_write_png(hl_png, tms3556_screen, opt.scale);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", e.c_str());
            status = status ? status : 1;
        }
    }
    if (hl_wav_on) {
        hl_wav_on = false;
        if (hl_wav.full)
            std::fprintf(err, "orvane-headless: warning: %s: the sound file is full; later sound was dropped\n",
                         opt.audio.c_str());
        std::string e = hl_wav_finish(hl_wav);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", e.c_str());
            status = status ? status : 1;
        }
    }
    if (!opt.save_state.empty()) {
        // The state shows what the machine showed: the last frame's picture.
        hl_draw_last_frame();
        std::vector<uint8_t> state = orv_state_save();
        hl_out_write(hl_state_out, state.data(), state.size());
        std::string e = hl_out_commit(hl_state_out);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", e.c_str());
            status = status ? status : 1;
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
    // The last picture goes into the screenshot, a saved state and the
    // debug script's screenshots.
    bool picture_kept = !opt.screenshot.empty() || !opt.save_state.empty() || !opt.debug.empty();
    orv_host.picture_wanted = picture_kept ? hl_keep_frame : hl_skip_frame;
    hl_last_frame.taken = false;
    // A script that steps back keeps the history from the start. Its frames
    // are drawn as they end: a picture drawn later, outside the run, would be
    // a change to the machine the history does not know.
    if (hl_script_steps_back(opt.debug_script)) {
        orv_history_enable(true);
        orv_host.picture_wanted = nullptr;
    }

    // Ctrl-C or a termination request ends the run after the current frame.
    hl_signal = 0;
    struct sigaction on_signal = {}, saved_int, saved_term;
    on_signal.sa_handler = hl_on_signal;
    sigemptyset(&on_signal.sa_mask);
    sigaction(SIGINT, &on_signal, &saved_int);
    sigaction(SIGTERM, &on_signal, &saved_term);

    int status = hl_run_machine(opt, out, err);

    sigaction(SIGINT, &saved_int, nullptr);
    sigaction(SIGTERM, &saved_term, nullptr);
    hl_discard_outputs();  // whatever a failed run left unwritten
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
    if (opt.version) {
        std::fputs("orvane-headless " ORVANE_VERSION "\n", out);
        return 0;
    }
    if (!opt.debug.empty()) {
        error = hl_load_debug_script(opt);
        if (!error.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", error.c_str());
            return 2;
        }
    }
    error = hl_check_files(opt);
    if (!error.empty()) {
        std::fprintf(err, "orvane-headless: %s\nTry 'orvane-headless --help'.\n", error.c_str());
        return 2;
    }
    return hl_run(opt, out, err);
}
