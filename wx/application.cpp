#include "application.h"

#include "break_tools.h"
#include "debug_frame.h"
#include "events.h"
#include "gamepad_sdl.h"
#include "kept_settings.h"
#include "key_list.h"
#include "keys.h"
#include "main_frame.h"
#include "run_control.h"
#include "screen.h"
#include "sound_ring.h"

#include "core/host.h"
#include "core/loop.h"
#include "frontend/log.h"

#include "orvane_version.h"

#include <wx/msgdlg.h>

#include <cstdio>
#include <cstring>
#include <strings.h>

wxIMPLEMENT_APP_NO_MAIN(MyApp);

namespace {

// The command line, read before the toolkit starts: --help and mistakes
// need no display.
wxo_options options;
// The status the process ends with when the machine could not start.
int init_exit_code;

} // namespace

int main(int argc, char **argv)
{
    fe_log_sink = event_log_line;
    std::string error = wxo_parse_args(argc - 1, argv + 1, options);
    if (!error.empty()) {
        std::fprintf(stderr, "wxOrvane: %s\n%s", error.c_str(), wxo_usage);
        return 2;
    }
    if (options.help) {
        std::fputs(wxo_usage, stdout);
        std::fputs("\n", stdout);
        std::fputs(wxo_key_list, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("wxOrvane " ORVANE_VERSION);
        return 0;
    }
    int status = wxEntry(argc, argv);
    return init_exit_code ? init_exit_code : status;
}

const char *const wxo_usage =
    "Usage: wxOrvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR]\n"
    "Runs the machine in a window: the firmware from DIR (default: bios),\n"
    "a cartridge image (.bin, .rom) and a tape (WAV file) if given.\n"
    "\n"
    "  CARTRIDGE          cartridge image; a file whose name ends in .wav is\n"
    "                     taken as the tape instead\n"
    "  --cassette FILE    plays a WAV recording into the cassette input\n"
    "  --bios DIR         firmware directory holding bios7020.bin and 7041b.bin\n"
    "  -h, --help         shows this text\n"
    "  --version          shows the program's version\n";

std::string wxo_parse_args(int argc, const char *const *argv, wxo_options &opt)
{
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        std::string *value = nullptr;
        std::string name = arg.substr(0, arg.find('='));
        if (name == "--cassette")
            value = &opt.cassette;
        else if (name == "--bios") {
            value = &opt.bios;
            opt.bios_named = true;
        }
        if (value) {
            if (arg.size() > name.size())
                *value = arg.substr(name.size() + 1);
            else if (i + 1 < argc)
                *value = argv[++i];
            else
                return name + " needs a value";
        } else if (arg == "--help" || arg == "-h") {
            opt.help = true;
        } else if (arg == "--version") {
            opt.version = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (arg.size() > 4 && strcasecmp(arg.c_str() + arg.size() - 4, ".wav") == 0) {
            // A tape opened from the desktop comes where a cartridge goes.
            if (!opt.cassette.empty())
                return "one tape only: " + arg;
            opt.cassette = arg;
        } else if (opt.cartridge.empty()) {
            opt.cartridge = arg;
        } else {
            return "one cartridge only: " + arg;
        }
    }
    return "";
}

namespace {

int wx_ask(const char *question)
{
    return wxMessageBox(wxString::FromUTF8(question), "", wxYES_NO) == wxYES;
}

void wx_message(const char *text)
{
    event_log("debugger message: %s", text);
    wxMessageBox(wxString::FromUTF8(text), "", wxYES_NO);
}

// The frame loop's key poll: the game controller's changes first.
void wx_key_poll()
{
    gamepad_sdl_poll(keys_pad());
    orv_key_poll();
}

// A run to an address got there, or a breakpoint or watchpoint stopped the
// machine: the debugger shows where (a window opens if none is), the status
// bar that the machine is stopped.
void machine_stopped_by_itself()
{
    auto *frame = dynamic_cast<MyFrame *>(wxTheApp->GetTopWindow());
    BreakTools::machine_stopped(frame);
    if (frame)
        frame->show_run_status();
}

} // namespace

bool MyApp::OnInit()
{
    const wxo_options &opt = options;

    // Without SDL or an audio device the machine still runs, silently; the
    // window comes first and the message after it, while the machine runs.
    bool init_failed = false;
    std::string sound_error = sound_open(init_failed);

    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    orv_host.key_poll = wx_key_poll;
    orv_host.frame_ready = screen_frame_ready;
    orv_host.sound_block = acd_sound_block;
    orv_host.ask = wx_ask;
    orv_host.message = wx_message;
    run_stopped_hook = machine_stopped_by_itself;

    std::string settings_message = kept_settings_load();
    if (!settings_message.empty())
        event_log("settings: %s", settings_message.c_str());
    gamepad_sdl_open();

    auto *frame = new MyFrame(opt.bios, opt.bios_named, sound_error);
    if (frame->init_failed()) {
        frame->Destroy();
        gamepad_sdl_close();
        sound_close();
        orv_host = {};
        init_exit_code = 1;
        return false;
    }
    frame->Show(true);
    if (!sound_error.empty())
        frame->show_later("sound message", sound_error, wxICON_INFORMATION);
    // A damaged settings file is told once, and left as it is.
    if (!settings_message.empty())
        frame->show_later("settings message", settings_message, wxICON_WARNING);
    // Firmware files of the wrong size load by the machine's rules (padded
    // with 0xFF, or cut): the machine runs, and the user is told.
    std::string warnings = frame->firmware_warnings();
    if (!warnings.empty())
        frame->show_later("firmware warnings: " + warnings, warnings, wxICON_WARNING);
    if (!opt.cartridge.empty())
        frame->load_rom(wxString::FromUTF8(opt.cartridge));
    if (!opt.cassette.empty())
        frame->load_tape(wxString::FromUTF8(opt.cassette));
    event_log("ready%s", sound_error.empty() ? "" : " without sound");
    return true;
}

int MyApp::OnRun()
{
    return wxApp::OnRun();
}

int MyApp::OnExit()
{
    if (acd)
        event_log("sound played=%ld underruns=%ld dropped=%ld frames=%lld", acd->played.load(),
                  acd->underruns.load(), acd->dropped.load(), static_cast<long long>(vblnum));
    BreakTools::close_traces();
    gamepad_sdl_close();
    sound_close();
    orv_host = {};
    return wxApp::OnExit();
}
