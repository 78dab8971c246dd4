// Requests to end the program that come from outside it: the window's close
// button, Ctrl+C (SIGINT) and SIGTERM. Each only sets a flag, on whatever
// thread it arrives; the main thread ends the program cleanly when it next
// looks: at the end of the frame being run, or from inside whatever dialog,
// alert, file selector or menu it shows, all of which read the mouse buttons
// through `gui_mouse_b` on every pass. The exit status is 0 for the close
// button, 128 plus the signal's number for a signal (130, 143).
#include "app.h"

#include <allegro.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t quit_signal;
volatile int close_asked;
int (*library_mouse_b)();

void close_button()
{
    close_asked = 1;
}
END_OF_FUNCTION(close_button)

// A second signal, when the first has not ended the program (its main
// thread stuck in the library, say after the display has gone), ends it at once.
void on_signal(int number)
{
    if (quit_signal) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    quit_signal = number;
}

int mouse_b_or_quit()
{
    app_quit_if_asked();
    return library_mouse_b();
}

} // namespace

void app_quit_requests_install()
{
    LOCK_VARIABLE(close_asked);
    LOCK_FUNCTION(close_button);
    set_close_button_callback(close_button);
    // In place of the library's own handlers, which shut the library down
    // inside the handler while the main thread may still be drawing.
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (gui_mouse_b != mouse_b_or_quit) {
        library_mouse_b = gui_mouse_b;
        gui_mouse_b = mouse_b_or_quit;
    }
}

bool app_close_asked()
{
    return close_asked != 0 || quit_signal != 0;
}

int app_quit_status()
{
    int number = quit_signal;
    return number ? 128 + number : 0;
}

void app_quit_if_asked()
{
    if (app_close_asked())
        app_quit(app_quit_status());
}
