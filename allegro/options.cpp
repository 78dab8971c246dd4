// The command line: orvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR] [--fast]
#include "app.h"
#include "key_list.h"

#include <strings.h>

std::string app_usage_text()
{
    return "Usage: orvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR] [--fast]\n"
           "\n"
           "Runs the machine in a window at 50 frames a second: 640 x 500 unless the\n"
           "settings say otherwise (Page Up, Page Down, F11; kept in\n"
           "$XDG_CONFIG_HOME/orvane/orvane.conf, else ~/.config/orvane/orvane.conf).\n"
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
           "\n" +
           key_list_columns(24);
}

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
