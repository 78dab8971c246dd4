// The headless runner's debugger script reader (--debug) on arbitrary text.
// A script it accepts then runs on the started machine when its commands
// stay short (few steps and frames); screenshots, traces and symbols are
// files of the working directory.
#include "fuzz_support.h"

#include "tools/headless/headless.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_enter_workdir();
    std::string text(reinterpret_cast<const char *>(data), size);
    hl_options opt;
    if (!hl_parse_debug_script(text, "fuzz.dbg", opt.debug_script).empty())
        return 0;
    if (opt.debug_script.size() > 16)
        return 0;
    for (hl_debug_command &c : opt.debug_script) {
        if ((c.name == "step" && c.number > 5000) || (c.name == "over" && c.number > 2) ||
            (c.name == "frames" && c.number > 3) || (c.name == "go" && c.frames > 3) ||
            (c.name == "run" && c.frames > 3) || (c.name == "list" && c.number > 200) || c.name == "out")
            return 0;
        // Files stay in the working directory.
        if (c.name == "screenshot")
            c.args = {"shot.png"};
        if ((c.name == "tracelog" || c.name == "traceinsn") && c.args[0] != "off")
            c.args[0] = c.name + ".txt";
        if (c.name == "symbols")
            c.args = {"fuzz.sym"};
    }
    static FILE *quiet = std::fopen("/dev/null", "w");
    opt.debug = "fuzz.dbg";
    opt.frames = 0;
    hl_run(opt, quiet, quiet);
    return 0;
}
