// The host contract of this program: frames until a stop, the keyboard
// polled every second frame, the picture stretched into the window, the
// state keys, the emulator's keys, Esc, the pause and the pacing after each
// frame, F1 as the stop key, speech through Allegro
// samples, the debugger's questions as alerts.
#include "app.h"
#include "break_menu.h"
#include "stop_reason.h"

#include "core/debugger.h"
#include "core/host.h"

#include <allegro.h>

bool app_menu_break;

namespace {

void host_frame_end()
{
    // The close button or a signal: the frame is complete, the program ends.
    app_quit_if_asked();
    screen_frame_end();
    states_frame_end();
    ui_frame_end();
    if (key[KEY_ESC]) {
        // The menu opens once the key is up: a held Esc would close it again.
        app_wait_release(KEY_ESC);
        menu_run();
    }
    ui_pause_hold();
    pacing_frame_done();
}

void host_stopped()
{
    sound_set_pacing(false);
    std::string reason = stop_reason_text(stop_facts_now(app_menu_break, key[KEY_F1] != 0));
    app_menu_break = false;
    app_wait_release(KEY_F1);
    break_say_traces_ended();
    stop_reason_log(reason);
    screen_set_title_message(reason);
    refresh_debugger();
    pacing_restart();
}

int host_ask(const char *question)
{
    app_modal_begin();
    int answer = alert(question, nullptr, nullptr, "&Yes", "&No", 'y', 'n');
    app_modal_end();
    return answer == 1;
}

void host_message(const char *text)
{
    app_modal_begin();
    alert(text, nullptr, nullptr, "&Yes", "&Yes", 'y', 'y');
    app_modal_end();
}

int host_interrupt_held()
{
    return key[KEY_SPACE] || key[KEY_ESC] || app_close_asked();
}

} // namespace

void host_install()
{
    orv_host = {};
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    orv_host.key_poll = keys_poll;
    orv_host.picture_wanted = screen_picture_wanted;
    orv_host.frame_ready = screen_show_frame;
    orv_host.frame_end = host_frame_end;
    orv_host.stopped = host_stopped;
    orv_host.stop_key = &key[KEY_F1];
    orv_host.sound_block = sound_block;
    orv_host.ask = host_ask;
    orv_host.message = host_message;
    orv_host.interrupt_held = host_interrupt_held;
}
