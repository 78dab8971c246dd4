// The command line: orvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR] [--fast]
#include "app.h"

#include <strings.h>

const char *const app_usage =
    "Usage: orvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR] [--fast]\n"
    "\n"
    "Runs the machine in a 640 x 500 window at 50 frames a second.\n"
    "\n"
    "  CARTRIDGE           cartridge image of 8, 16, 32256 or 32768 bytes; a file\n"
    "                      whose name ends in .wav is taken as the tape instead\n"
    "  --cassette FILE     plays a WAV recording into the cassette input\n"
    "  --bios DIR          firmware directory holding bios7020.bin and 7041b.bin\n"
    "                      (default: bios/ in the current directory; without it\n"
    "                      the built-in open firmware runs, with its demo\n"
    "                      cartridge when no CARTRIDGE is given)\n"
    "  --fast              starts at fastest speed instead of real time\n"
    "  -h, --help          shows this text\n"
    "  --version           shows the program's version\n"
    "\n"
    "Keys while the machine runs:\n"
    "  A-Z, 0-9, - = .     the machine's keys (- and = type 0, . types *)\n"
    "  Enter Space Tab     Enter, Space, Tab\n"
    "  arrows Home         cursor keys, Home\n"
    "  Delete F4           Delete (8), Escape of the machine (27)\n"
    "  left Shift          machine Shift; each press also flips what 2 types (2 or \")\n"
    "  Caps Lock, left Ctrl, Alt   the machine's Caps Lock, Control, Alt\n"
    "  Esc                 emulator menu: load a cartridge or a tape, debugger,\n"
    "                      speed, reset or power off, quit\n"
    "  F1 (hold)           stops the machine and opens the debugger\n"
    "  F12                 saves the picture to the next free orvane-NNN.png\n"
    "  F5, F7              saves the machine to the state slot, loads it back\n"
    "  F6                  picks the next slot (1 to 9): files CARTRIDGE.st1 ...\n"
    "                      beside the cartridge, or orvane.st1 ... without one\n"
    "  Backspace (hold)    steps back a second at a time (the last minute is kept)\n"
    "\n"
    "Keys in the debugger:\n"
    "  F7 step   F8 step over   B run to the address typed   R reset\n"
    "  C clear the log   P who last wrote the address typed   F4 load a cartridge\n"
    "  F9 continue (the machine runs on)   Esc quits the program (asks first)\n";

bool app_is_wav_name(const std::string &name)
{
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".wav") == 0;
}

std::string app_parse_args(int argc, const char *const *argv, app_options &opt)
{
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&](std::string &into) -> std::string {
            if (i + 1 >= argc)
                return a + " needs a value";
            into = argv[++i];
            return "";
        };
        std::string error;
        if (a == "--help" || a == "-h")
            opt.help = true;
        else if (a == "--version")
            opt.version = true;
        else if (a == "--fast")
            opt.fast = true;
        else if (a == "--cassette")
            error = value(opt.cassette);
        else if (a == "--bios") {
            error = value(opt.bios);
            opt.bios_named = true;
        }
        else if (a.size() > 1 && a[0] == '-')
            error = "unknown option " + a;
        else if (app_is_wav_name(a)) {
            // A tape opened from the desktop comes where a cartridge goes.
            if (!opt.cassette.empty())
                error = "only one tape: " + a;
            else
                opt.cassette = a;
        }
        else if (!opt.cartridge.empty())
            error = "only one cartridge: " + a;
        else
            opt.cartridge = a;
        if (!error.empty())
            return error;
    }
    if (opt.bios.empty())
        return "--bios needs a directory";
    return "";
}
