// Command line of orvane-headless.
#include "headless.h"

#include "core/address_text.h"
#include "core/loop.h"
#include "core/symbols.h"
#include "core/timers.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

const char *const hl_usage =
    "Usage: orvane-headless [options]\n"
    "Runs the machine without a window for a number of frames (about 49.3 a\n"
    "second of machine time) and writes what it showed and played.\n"
    "\n"
    "Machine:\n"
    "  --bios DIR            firmware directory holding bios7020.bin and 7041b.bin\n"
    "                        (default: bios, when it exists; without it the\n"
    "                        built-in open firmware runs, with its demo cartridge\n"
    "                        unless --rom gives one); orvane_7041.bin is written\n"
    "                        to the current directory\n"
    "  --rom FILE            cartridge image (8, 16, 31.5 or 32 KB), loaded before\n"
    "                        the run, followed by a reset\n"
    "  --cassette FILE.wav   tape recording, played into the cassette input from\n"
    "                        the first frame at its own sample rate\n"
    "  --load-state FILE     start from a saved state (made with the same firmware;\n"
    "                        it brings its own cartridge area); a tape it was\n"
    "                        playing goes on if --cassette gives the same recording\n"
    "\n"
    "Length of the run (default: 50 frames):\n"
    "  --frames N            run N frames, at most 10,000,000 (about 56 hours)\n"
    "  --seconds S           run S seconds of machine time (rounded up to whole\n"
    "                        frames); S may have decimals\n"
    "\n"
    "Output:\n"
    "  --screenshot FILE.png the last picture drawn, 320 x 250\n"
    "  --scale N             screenshot dots per machine dot each way, 1 to 8\n"
    "                        (2 gives 640 x 500)\n"
    "  --audio FILE.wav      every sound block of the run, 8000 Hz unsigned 8-bit mono\n"
    "  --save-state FILE     the machine's state at the end of the run\n"
    "  --trace               print the trace log at the end (lines of the functions\n"
    "                        named in ./debug.lst, and every unconditional line)\n"
    "\n"
    "Keys (may be repeated; reach the machine at the key polls, which come at the\n"
    "end of every second frame, 0, 2, 4 ..., one code per poll, in the order\n"
    "given, none before its frame; frames count from 0):\n"
    "  --key FRAME:CODE[,CODE...]  machine key codes, decimal or 0x hexadecimal;\n"
    "                        4 is the key release, which is not added for you\n"
    "  --type FRAME:TEXT     plain text, each character pressed then released:\n"
    "                        letters give capitals, \\n or a newline gives Enter\n"
    "                        (13), \\\\ a backslash; other characters their ASCII code\n"
    "\n"
    "Debugging:\n"
    "  --break ADDR          stop when the processor is about to execute ADDR\n"
    "                        (hexadecimal, 0x or $ allowed, or a label of the\n"
    "                        firmware's or cartridge's symbols) and print the\n"
    "                        debugger's register view; the run ends there (a\n"
    "                        --debug script still runs): the screenshot is the last\n"
    "                        whole frame, the sound what was made up to the stop\n"
    "  --debug FILE          after start-up (and any --frames), run the debugger\n"
    "                        commands in FILE ('-': standard input), one a line,\n"
    "                        '#' starts a comment; each is echoed after '> ':\n"
    "      step [N]          N instructions (default 1); prints the disassembly\n"
    "      over [N]          step over N times (a call runs until it returns);\n"
    "                        gives up after 5 s of machine time and says so\n"
    "      go ADDR [FRAMES]  run until ADDR, a break request, or FRAMES frames\n"
    "                        (default 500); says which, prints the disassembly\n"
    "      regs, dasm, periph, log   print that view\n"
    "      who ADDR          which instruction last wrote ADDR\n"
    "      clear             empty the trace log\n"
    "      frames N          run N frames (keys are polled as in a plain run)\n"
    "      key CODE          press a machine key now (4 releases it)\n"
    "      screenshot FILE   the last frame drawn, as PNG (--scale applies)\n"
    "      symbols FILE      load symbols; labels then stand for addresses\n"
    "      list [ADDR] [N]   N instructions (default 20) with their labels\n"
    "      break ADDR [if COND] [from N]   add a breakpoint (COND: A == 0x41,\n"
    "                        R10 != 0, [C123] >= 80, ...)\n"
    "      watch r|w|rw ADDR[..LAST]   add a watchpoint (Pn, Rn allowed)\n"
    "      breaks            list them; enable, disable, delete break|watch N\n"
    "      run [FRAMES]      run until a breakpoint or watchpoint (default 500)\n"
    "      out               run until the current subroutine returns\n"
    "      back [N|hit]      step back N instructions, or to the last hit\n"
    "      tracelog FILE [FRAMES], traceinsn FILE [FRAMES]   write the trace\n"
    "                        log, or every instruction, to FILE; 'off' ends it\n"
    "                        An unknown command or a bad value stops before the\n"
    "                        run with FILE:LINE and status 2. Without --frames or\n"
    "                        --seconds, no frame runs before the script. See\n"
    "                        docs/debugging.md.\n"
    "  -h, --help            show this text\n"
    "  --version             show the program's version\n"
    "\n"
    "Options take their value as the next argument or after '=' (--frames=100).\n"
    "Output files are written under a temporary name beside them and renamed when\n"
    "complete; a device or FIFO (/dev/null, a pipe) is written into, a symbolic\n"
    "link, directory, socket or block device refused. An output may not name an\n"
    "input or another output (a character device such as /dev/null excepted).\n"
    "On Ctrl-C (SIGINT) or SIGTERM the run ends after the current frame, writes\n"
    "its files and says how far it got. Tape recordings larger than 700,000,000\n"
    "bytes (about an hour of 48 kHz stereo 16-bit sound) are refused.\n"
    "\n"
    "Exit status: 0 done, 1 a firmware, cartridge, tape or state that does not load\n"
    "or an output file that cannot be written, 2 a bad command line, 130 or 143 a\n"
    "run ended by SIGINT or SIGTERM.\n";

namespace {

bool parse_long(const std::string &s, long min, long max, int base, long &out)
{
    if (s.empty() || s[0] == '-' || s[0] == '+' || s[0] == ' ')
        return false;
    errno = 0;
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, base);
    if (errno || *end || v < min || v > max)
        return false;
    out = v;
    return true;
}

// A key code: decimal, or hexadecimal after 0x.
bool parse_code(const std::string &s, long &out)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return parse_long(s.substr(2), 0, 255, 16, out);
    return parse_long(s, 0, 255, 10, out);
}

// "FRAME:REST"
bool split_frame(const std::string &v, long &frame, std::string &rest)
{
    size_t colon = v.find(':');
    if (colon == std::string::npos)
        return false;
    rest = v.substr(colon + 1);
    return parse_long(v.substr(0, colon), 0, 1000000000L, 10, frame);
}

} // namespace

std::string hl_parse_address(const std::string &text, long &out)
{
    size_t digits = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 2
                    : !text.empty() && text[0] == '$'                                     ? 1
                                                                                          : 0;
    bool hex = text.size() > digits;
    for (size_t i = digits; i < text.size(); i++)
        hex = hex && std::isxdigit(static_cast<unsigned char>(text[i]));
    if (!hex)
        return "'" + text + "' is not an address (hexadecimal, 0 to FFFF)";
    unsigned long value;
    std::string why = orv_parse_hex_address(text.c_str(), 0xFFFF, value);
    if (why.empty())
        out = static_cast<long>(value);
    return why;
}

bool hl_text_keys(const std::string &text, long frame, std::vector<hl_key_event> &out)
{
    std::vector<hl_key_event> keys;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            c = text[i + 1] == 'n' ? '\n' : '\\';
            i++;
        }
        uint8_t code;
        if (c == '\n' || c == '\r')
            code = 13;
        else if (c == '\t')
            code = 9;
        else if (c >= 'a' && c <= 'z')
            code = static_cast<uint8_t>(c - 'a' + 'A');
        else if (c >= 32 && c < 127)
            code = c;
        else
            return false;
        keys.push_back({frame, code});
        keys.push_back({frame, 0x04});
    }
    out.insert(out.end(), keys.begin(), keys.end());
    return true;
}

std::string hl_parse_args(int argc, const char *const *argv, hl_options &opt)
{
    opt = hl_options();
    bool have_frames = false, have_seconds = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            opt.help = true;
            continue;
        }
        if (arg == "--version") {
            opt.version = true;
            continue;
        }
        if (arg == "--trace") {
            opt.trace = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0)
            return "unexpected argument '" + arg + "'";

        std::string name = arg, value;
        bool inline_value = false;
        if (size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inline_value = true;
        }
        static const char *const with_value[] = {
            "--bios", "--rom", "--cassette", "--frames", "--seconds", "--screenshot",
            "--scale", "--audio", "--key", "--type", "--break", "--load-state", "--save-state", "--debug"};
        if (std::find_if(std::begin(with_value), std::end(with_value),
                         [&](const char *n) { return name == n; }) == std::end(with_value))
            return "unknown option '" + name + "'";
        if (!inline_value) {
            if (i + 1 >= argc)
                return "option " + name + " needs a value";
            value = argv[++i];
        }
        if (value.empty())
            return "option " + name + " needs a value, not an empty one";

        if (name == "--bios") {
            opt.bios = value;
            opt.bios_named = true;
        } else if (name == "--rom") {
            opt.rom = value;
        } else if (name == "--cassette") {
            opt.cassette = value;
        } else if (name == "--load-state") {
            opt.load_state = value;
        } else if (name == "--save-state") {
            opt.save_state = value;
        } else if (name == "--screenshot") {
            opt.screenshot = value;
        } else if (name == "--audio") {
            opt.audio = value;
        } else if (name == "--frames") {
            if (!parse_long(value, 0, HL_MAX_FRAMES, 10, opt.frames))
                return "--frames takes a whole number of frames up to " + std::to_string(HL_MAX_FRAMES) +
                       ", not '" + value + "'";
            have_frames = true;
        } else if (name == "--seconds") {
            char *end = nullptr;
            errno = 0;
            double s = std::strtod(value.c_str(), &end);
            // Whole frames, enough to cover the time asked for.
            double frames = std::ceil(s * VELD_CYCLES_PER_SECOND / ORV_CYCLES_PER_FRAME);
            if (value.empty() || *end || errno || !(s >= 0) || !(frames <= HL_MAX_FRAMES))
                return "--seconds takes a number of seconds up to " +
                       std::to_string(HL_MAX_FRAMES * ORV_CYCLES_PER_FRAME / VELD_CYCLES_PER_SECOND) + ", not '" +
                       value + "'";
            opt.frames = static_cast<long>(frames);
            have_seconds = true;
        } else if (name == "--scale") {
            long scale;
            if (!parse_long(value, 1, 8, 10, scale))
                return "--scale takes 1 to 8, not '" + value + "'";
            opt.scale = static_cast<int>(scale);
        } else if (name == "--key") {
            long frame;
            std::string codes;
            if (!split_frame(value, frame, codes))
                return "--key takes FRAME:CODE[,CODE...], not '" + value + "'";
            size_t start = 0;
            for (;;) {
                size_t comma = codes.find(',', start);
                std::string one = codes.substr(start, comma - start);
                long code;
                if (!parse_code(one, code))
                    return "--key: '" + one + "' is not a key code from 0 to 255";
                opt.keys.push_back({frame, static_cast<uint8_t>(code)});
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (name == "--type") {
            long frame;
            std::string text;
            if (!split_frame(value, frame, text))
                return "--type takes FRAME:TEXT, not '" + value + "'";
            if (!hl_text_keys(text, frame, opt.keys))
                return "--type: the text holds a character the keyboard cannot type";
        } else if (name == "--break") {
            // A label is read once the firmware and the cartridge (and their
            // symbols) are loaded.
            opt.break_label.clear();
            if (std::string why = hl_parse_address(value, opt.break_addr); !why.empty()) {
                if (!orv_looks_like_name(value))
                    return "--break: " + why;
                opt.break_label = value;
                opt.break_addr = 0;
            }
        } else if (name == "--debug") {
            opt.debug = value;
        }
    }
    if (have_frames && have_seconds)
        return "--frames and --seconds cannot be used together";
    // A script runs the machine itself: no frame before it unless asked.
    if (!opt.debug.empty() && !have_frames && !have_seconds)
        opt.frames = 0;
    // Keys go out in frame order; those due at the same frame in the order given.
    std::stable_sort(opt.keys.begin(), opt.keys.end(),
                     [](const hl_key_event &a, const hl_key_event &b) { return a.frame < b.frame; });
    return "";
}
