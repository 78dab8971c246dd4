// The settings kept between runs (frontend/settings.h), in orvane.conf of
// the user's configuration directory. Read once at start-up; a file that is
// damaged or cannot be read is reported once (an alert and stderr) and left
// as it is until the user changes a setting; every change is written at once.
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

} // namespace

void prefs_load()
{
    store().load();
    std::string message = store().take_message();
    if (message.empty())
        return;
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
    std::string why = store().save();
    if (!why.empty()) {
        std::fprintf(stderr, "orvane: settings not saved: %s\n", why.c_str());
        screen_set_title_message("settings not saved: " + why);
    }
}
