// Drops a file on a window for the window tests, as a file manager would
// through the X drag-and-drop protocol (XDND): it owns XdndSelection, sends
// XdndEnter with the type text/uri-list and XdndPosition at the window's
// centre, waits for XdndStatus to accept, sends XdndDrop, answers the
// target's request for the selection with the file's URI, and waits for
// XdndFinished. Every wait has a deadline (DEADLINE_S seconds).
//   xdnd_source WINDOW FILE
// WINDOW is an X window id (decimal or 0x hex), the target's top-level
// window or one inside it. Prints "dropped" and exits 0 once the target
// says it took the drop; exits 1 with the reason otherwise.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int DEADLINE_S = 20;
constexpr long XDND_VERSION = 5;

Display *d;
Window source;
Atom xdnd_aware, xdnd_enter, xdnd_position, xdnd_status, xdnd_drop, xdnd_finished, xdnd_selection,
    xdnd_action_copy, uri_list, targets;
std::string uri;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "xdnd_source: %s\n", what);
    std::exit(1);
}

// The window itself or its nearest ancestor that takes drops, and the
// protocol version it speaks; 0 when none does.
Window drop_target(Window w, long &version)
{
    Window root = DefaultRootWindow(d);
    while (w && w != root) {
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(d, w, xdnd_aware, 0, 1, False, XA_ATOM, &type, &format, &n, &after, &data) ==
                Success &&
            data && n == 1) {
            version = static_cast<long>(*reinterpret_cast<unsigned long *>(data));
            XFree(data);
            return w;
        }
        if (data)
            XFree(data);
        Window parent, *children = nullptr;
        unsigned int count;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        w = parent;
    }
    return 0;
}

void send(Window target, Atom message, long l1, long l2, long l3, long l4)
{
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = target;
    e.xclient.message_type = message;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(source);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, target, False, NoEventMask, &e);
    XFlush(d);
}

// Answers a request for the dropped file's URI (or for the types offered).
void answer(const XSelectionRequestEvent &r)
{
    XEvent reply = {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = None;
    Atom property = r.property != None ? r.property : r.target;
    if (r.selection == xdnd_selection && r.target == uri_list) {
        XChangeProperty(d, r.requestor, property, uri_list, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(uri.data()), static_cast<int>(uri.size()));
        reply.xselection.property = property;
    } else if (r.selection == xdnd_selection && r.target == targets) {
        Atom offered[] = {targets, uri_list};
        XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(offered), 2);
        reply.xselection.property = property;
    }
    XSendEvent(d, r.requestor, False, NoEventMask, &reply);
    XFlush(d);
}

// Waits for a client message of `type` sent to the source, answering
// selection requests meanwhile; fails after the deadline.
XClientMessageEvent wait_for(Atom type, const char *what)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(DEADLINE_S);
    while (std::chrono::steady_clock::now() < end) {
        if (!XPending(d)) {
            pollfd p = {ConnectionNumber(d), POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == SelectionRequest)
            answer(e.xselectionrequest);
        else if (e.type == ClientMessage && e.xclient.message_type == type)
            return e.xclient;
    }
    fail(what);
}

// "file://" and the absolute path, bytes outside the unreserved set escaped.
std::string file_uri(const char *path)
{
    char *absolute = realpath(path, nullptr);
    if (!absolute)
        fail("the file to drop does not exist");
    std::string out = "file://";
    for (const char *c = absolute; *c; c++) {
        unsigned char b = static_cast<unsigned char>(*c);
        if (std::isalnum(b) || std::strchr("/-_.~", b)) {
            out += static_cast<char>(b);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        }
    }
    std::free(absolute);
    return out + "\r\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xdnd_source WINDOW FILE\n");
        return 2;
    }
    Window given = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    uri = file_uri(argv[2]);
    d = XOpenDisplay(nullptr);
    if (!d)
        fail("no display");
    xdnd_aware = XInternAtom(d, "XdndAware", False);
    xdnd_enter = XInternAtom(d, "XdndEnter", False);
    xdnd_position = XInternAtom(d, "XdndPosition", False);
    xdnd_status = XInternAtom(d, "XdndStatus", False);
    xdnd_drop = XInternAtom(d, "XdndDrop", False);
    xdnd_finished = XInternAtom(d, "XdndFinished", False);
    xdnd_selection = XInternAtom(d, "XdndSelection", False);
    xdnd_action_copy = XInternAtom(d, "XdndActionCopy", False);
    uri_list = XInternAtom(d, "text/uri-list", False);
    targets = XInternAtom(d, "TARGETS", False);

    long version = 0;
    Window target = drop_target(given, version);
    if (!target)
        fail("the window takes no drops (no XdndAware)");
    if (version < 3)
        fail("the window speaks too old a version of the protocol");
    if (version > XDND_VERSION)
        version = XDND_VERSION;

    // The drop goes at the centre of the given window, in root coordinates.
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, given, &a))
        fail("the window is gone");
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, given, DefaultRootWindow(d), a.width / 2, a.height / 2, &x, &y, &child);

    source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, xdnd_selection, source, CurrentTime);
    if (XGetSelectionOwner(d, xdnd_selection) != source)
        fail("XdndSelection was not taken");

    send(target, xdnd_enter, version << 24, static_cast<long>(uri_list), None, None);
    send(target, xdnd_position, 0, (static_cast<long>(x) << 16) | (y & 0xFFFF), CurrentTime,
         static_cast<long>(xdnd_action_copy));
    XClientMessageEvent status = wait_for(xdnd_status, "no XdndStatus from the window");
    if (!(status.data.l[1] & 1))
        fail("the window refused the drop (XdndStatus without accept)");
    send(target, xdnd_drop, 0, CurrentTime, 0, 0);
    XClientMessageEvent finished = wait_for(xdnd_finished, "no XdndFinished from the window");
    // Version 5 says whether the drop was taken.
    if (version >= 5 && !(finished.data.l[1] & 1))
        fail("the window says the drop failed (XdndFinished)");
    std::printf("dropped\n");
    XCloseDisplay(d);
    return 0;
}
