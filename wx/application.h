// The application: SDL sound, the host contract, the main window and the
// command line  wxOrvane [CARTRIDGE] [--cassette FILE.wav] [--bios DIR].
#pragma once

#include <wx/app.h>

#include <string>

// What the command line asks for.
struct wxo_options {
    std::string bios = "bios";
    bool bios_named = false;  // --bios given: the directory must be there
    std::string cartridge;
    std::string cassette;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. Returns an empty string, or
// the error to report.
std::string wxo_parse_args(int argc, const char *const *argv, wxo_options &opt);

extern const char *const wxo_usage;

class MyApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

};

wxDECLARE_APP(MyApp);
