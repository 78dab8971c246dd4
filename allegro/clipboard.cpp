// The X clipboard's text, for pasting into the machine. Allegro 4 has no
// clipboard of its own, and its input thread takes every event of its own
// display connection; so this opens a connection of its own, with a small
// window that never shows, asks the clipboard's owner for its text (UTF-8,
// else Latin-1) and waits at most two seconds for the answer. Large texts
// that come in pieces (the INCR protocol) are put together.
#include "app.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <cstring>

namespace {

constexpr int WAIT_MS = 2000;

// Waits for an event of `type` on `w`, for at most WAIT_MS in all.
bool wait_event(Display *d, Window w, int type, XEvent &ev, double deadline)
{
    for (;;) {
        while (XPending(d)) {
            XNextEvent(d, &ev);
            if (ev.xany.window == w && ev.type == type)
                return true;
        }
        double left = deadline - app_host_ms();
        if (left <= 0)
            return false;
        pollfd p = {ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left) + 1);
    }
}

// Reads and deletes the property; false when it is not there.
bool take_property(Display *d, Window w, Atom prop, std::string &bytes, Atom &type)
{
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, w, prop, 0, (APP_CLIPBOARD_MAX_BYTES + 3) / 4 + 1, True, AnyPropertyType, &type,
                           &format, &items, &after, &data) != Success)
        return false;
    if (data) {
        size_t unit = format == 16 ? 2 : format == 32 ? sizeof(long) : 1;
        bytes.append(reinterpret_cast<const char *>(data), items * unit);
        XFree(data);
    }
    return true;
}

std::string latin1_to_utf8(const std::string &s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// One request for the clipboard as `target`. Returns "" with the text, or
// why there is none ("refused" when the owner does not offer that form).
std::string request(Display *d, Window w, Atom target, std::string &text)
{
    Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    Atom prop = XInternAtom(d, "ORVANE_PASTE", False);
    Atom incr = XInternAtom(d, "INCR", False);
    double deadline = app_host_ms() + WAIT_MS;
    XConvertSelection(d, clipboard, target, prop, w, CurrentTime);
    XEvent ev;
    if (!wait_event(d, w, SelectionNotify, ev, deadline))
        return "the clipboard's owner does not answer";
    if (ev.xselection.property == None)
        return "refused";
    Atom type = None;
    std::string bytes;
    if (!take_property(d, w, prop, bytes, type))
        return "the clipboard's text cannot be read";
    if (type == incr) {
        // Pieces follow, each announced by a new value of the property;
        // an empty piece ends the text.
        bytes.clear();
        for (;;) {
            if (!wait_event(d, w, PropertyNotify, ev, deadline))
                return "the clipboard's text did not come in full";
            if (ev.xproperty.atom != prop || ev.xproperty.state != PropertyNewValue)
                continue;
            size_t before = bytes.size();
            Atom piece_type;
            if (!take_property(d, w, prop, bytes, piece_type))
                return "the clipboard's text cannot be read";
            if (bytes.size() == before)
                break;
            if (bytes.size() > APP_CLIPBOARD_MAX_BYTES)
                return "the clipboard holds more text than can be typed";
            deadline = app_host_ms() + WAIT_MS;
        }
    }
    if (bytes.size() > APP_CLIPBOARD_MAX_BYTES)
        return "the clipboard holds more text than can be typed";
    text = target == XA_STRING ? latin1_to_utf8(bytes) : bytes;
    return "";
}

} // namespace

std::string app_clipboard_text(std::string &text)
{
    text.clear();
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return "no X display to read the clipboard from";
    std::string why;
    Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    if (XGetSelectionOwner(d, clipboard) == None) {
        why = "the clipboard is empty";
    } else {
        Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(d, w, PropertyChangeMask);
        why = request(d, w, XInternAtom(d, "UTF8_STRING", False), text);
        if (why == "refused")
            why = request(d, w, XA_STRING, text);
        if (why == "refused")
            why = "the clipboard holds no text";
        XDestroyWindow(d, w);
    }
    XCloseDisplay(d);
    return why;
}
