// The settings kept between runs (frontend/settings.h), in orvane.conf of
// the user's configuration directory. Read once at start-up; a file that is
// damaged or cannot be read is reported once (an alert and stderr) and left
// as it is until the user changes a setting; every change is written at once.
// What the program only remembers (recent files, the selectors' last
// directories) does not count as a change to a damaged file: it is kept in
// memory and written with the user's next change.
#include "alert_text.h"
#include "app.h"

#include "frontend/settings.h"

#include <cstdio>

namespace {

settings_store &store()
{
    static settings_store s(settings_path("orvane"));
    return s;
}

// The file as read was damaged, and the user has changed nothing since.
bool hold_writes;

void save()
{
    std::string why = store().save();
    if (!why.empty()) {
        std::fprintf(stderr, "orvane: settings not saved: %s\n", why.c_str());
        screen_set_title_message("settings not saved: " + why);
    }
}

} // namespace

void prefs_load()
{
    store().load();
    std::string message = store().take_message();
    if (message.empty())
        return;
    hold_writes = true;
    std::fprintf(stderr, "orvane: %s\n", message.c_str());
    std::vector<std::string> lines = alert_lines(message, 2);
    app_alert("The settings file was not read in full", lines[0], lines[1], "OK");
}

const settings &prefs()
{
    return store().get();
}

void prefs_set(const settings &s)
{
    if (s == store().get())
        return;
    store().set(s);
    hold_writes = false;
    save();
}

void prefs_remember(const settings &s)
{
    if (s == store().get())
        return;
    store().set(s);
    if (!hold_writes)
        save();
}
