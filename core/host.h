// The host contract: every call the emulation core makes into the program
// that runs it. A program (window, headless runner, test) fills `orv_host`
// once at start-up; the core never includes a host library and calls nothing
// else of the program. Any hook may be left null: the core then does without
// it (no key poll, no picture shown, sound blocks dropped, questions answered
// yes, messages dropped).
#pragma once

// How `orv_loop` runs the machine.
enum orv_loop_style {
    // One frame per call; the keyboard is polled when `vblnum` is even.
    ORV_LOOP_FRAME,
    // Frames until a stop; the keyboard is polled on every second frame of
    // the call, the last eight program counters are kept in `pc_debug`, and
    // the host's stop key ends the run.
    ORV_LOOP_UNTIL_STOP,
};

struct orv_host_hooks {
    orv_loop_style style;

    // Frame loop.
    void (*key_poll)();             // poll the host keyboard (every second frame)
    void (*frame_ready)();          // `tms3556_screen` has just been redrawn: show it
    // Asked at the start of each frame's redraw: nonzero when the picture will
    // be looked at. On 0 the frame is not drawn (`tms3556_screen` keeps the
    // last picture drawn) but the renderer's state moves on as if it had
    // been. Null: every frame is drawn.
    int (*picture_wanted)();
    void (*frame_end)();            // until-stop style: after showing (menu, pacing)
    void (*stopped)();              // until-stop style: the run has stopped
    const volatile char *stop_key;  // until-stop style: nonzero while held (F1)

    // Sound: a finished block of `length` (200) unsigned 8-bit mono samples at
    // 8000 Hz, 128 the rest level. Valid only during the call: copy what you
    // keep. Runs on the emulation thread.
    void (*sound_block)(const unsigned char *block, int length);

    // Debugger dialogue. `ask` shows a yes/no question and returns nonzero
    // for yes; `message` shows a text to acknowledge.
    int (*ask)(const char *question);
    void (*message)(const char *text);
    // Step over: nonzero while the user asks a long run to give up (orvane:
    // Space or Esc held). Polled between instructions once the program
    // counter has moved past the starting address.
    int (*interrupt_held)();

    // Trace log: a line has just gone into the ring (`line` as the log
    // holds it, valid only during the call). For tools and tests that want
    // every line, however many a frame writes.
    void (*log_line)(const char *line);
};

// The one contract in use. Tests and the headless runner set it as a whole;
// `orv_clear_globals` leaves it as the program set it.
extern orv_host_hooks orv_host;
