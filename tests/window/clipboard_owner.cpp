// Holds the X clipboard for the window tests: owns CLIPBOARD with the text
// of a file and answers requests for it (UTF8_STRING, STRING, TARGETS)
// until killed, or for at most 120 seconds. Prints "ready" once it owns it.
//   clipboard_owner FILE
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipboard_owner FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string data = text.str();

    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "clipboard_owner: no display\n");
        return 1;
    }
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom targets = XInternAtom(d, "TARGETS", False);
    XSetSelectionOwner(d, clipboard, w, CurrentTime);
    if (XGetSelectionOwner(d, clipboard) != w) {
        std::fprintf(stderr, "clipboard_owner: the clipboard was not taken\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    time_t end = std::time(nullptr) + 120;
    while (std::time(nullptr) < end) {
        if (!XPending(d)) {
            pollfd p = {ConnectionNumber(d), POLLIN, 0};
            poll(&p, 1, 500);
            continue;
        }
        XEvent ev;
        XNextEvent(d, &ev);
        if (ev.type == SelectionClear)
            return 0;
        if (ev.type != SelectionRequest)
            continue;
        XSelectionRequestEvent &r = ev.xselectionrequest;
        XEvent reply = {};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = r.property;
        if (r.target == targets) {
            Atom offered[] = {targets, utf8, XA_STRING};
            XChangeProperty(d, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char *>(offered), 3);
        } else if (r.target == utf8 || r.target == XA_STRING) {
            XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(data.data()), static_cast<int>(data.size()));
        } else {
            reply.xselection.property = None;
        }
        XSendEvent(d, r.requestor, False, 0, &reply);
        XFlush(d);
    }
    return 0;
}
