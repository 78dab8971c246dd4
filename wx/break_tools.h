// The debugger window's share of the debugger's engine: the "&Break" menu
// (breakpoints, watchpoints, step out, step back, traces to files,
// symbols, the labelled disassembly), the breakpoint list beside the four
// views, and the line under them that says why the machine stopped. One
// BreakTools belongs to each debugger window; what they show is the
// engine's, so every open window shows the same.
//
// Keys (none of the debugger window's own, none of the main window's):
//   Shift+F7        step back one instruction
//   Ctrl+Shift+F7   step back N instructions
//   Shift+F9        back to the previous breakpoint or watchpoint hit
//   Shift+F8        step out of the subroutine
//   Ctrl+B, Ctrl+W  add a breakpoint, a watchpoint
//   Ctrl+T          trace to a file; Ctrl+Shift+T stops the traces
//   Ctrl+L          load symbols
//   Ctrl+D          the labelled disassembly, or the plain one
//   Ctrl+K          the breakpoint list shown or hidden
#pragma once

#include <string>

class DebugFrame;
class BreakPanel;
class MyFrame;
class wxFont;
class wxMenu;
class wxStaticText;
class wxTimer;

class BreakTools {
public:
    // Adds the menu to the window's menu bar, the list and the stop line.
    BreakTools(DebugFrame *frame, const wxFont &font);
    ~BreakTools();

    // The disassembly view's text: the debugger's own view, or the
    // labelled listing when that option is on.
    static std::string disassembly(const char *plain);
    // Shows the engine's list and the last message in this window.
    void refresh();

    // After any command or stop: a new stop of the engine's, a trace that
    // ended, shown in every debugger window and the main status bar.
    static void show_news(MyFrame *main);
    // The machine stopped by itself during the frames: when no debugger
    // window is open (the last one closed after setting a breakpoint), one
    // opens; every window shows where and why.
    static void machine_stopped(MyFrame *main);
    // At the program's exit: the traces being written are put in place.
    static void close_traces();
    // A message for every debugger window's stop line and the main status bar.
    static void say(MyFrame *main, const std::string &text);

private:
    void build_menu();
    void show_list(bool on);
    void step_back(long n, bool to_hit);
    void step_out();
    void load_symbols();
    void after(const std::string &message);

    DebugFrame *frame_;
    wxMenu *menu_ = nullptr;
    BreakPanel *panel_ = nullptr;
    wxStaticText *line_ = nullptr;
    wxTimer *trace_timer_ = nullptr;
    int narrow_width_ = 0;  // the window's width without the list
};
