// The host contract of this program: frames until a stop, the keyboard
// polled every second frame, the picture stretched into the window, the
// state keys, Esc and the pacing after each frame, F1 as the stop key, speech through Allegro
// samples, the debugger's questions as alerts.
#include "app.h"

#include "core/debugger.h"
#include "core/host.h"

#include <allegro.h>

namespace {

void host_frame_end()
{
    if (app_close_asked())
        app_quit(0);
    screen_frame_end();
    states_frame_end();
    if (key[KEY_ESC]) {
        // The menu opens once the key is up: a held Esc would close it again.
        app_wait_release(KEY_ESC);
        menu_run();
    }
    if (app_real_time)
        pacing_wait();
}

void host_stopped()
{
    app_wait_release(KEY_F1);
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
    return key[KEY_SPACE] || key[KEY_ESC];
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
