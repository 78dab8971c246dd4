#include "kept_settings.h"

namespace {

settings_store *store;
// The file as read was damaged: remembered things wait for a choice.
bool hold_back;

settings_store &the_store()
{
    if (!store)
        store = new settings_store("");
    return *store;
}

} // namespace

std::string kept_settings_load(const std::string &path)
{
    delete store;
    store = new settings_store(path.empty() ? settings_path("wxOrvane") : path);
    store->load();
    std::string message = store->take_message();
    hold_back = !message.empty();
    return message;
}

const settings &kept()
{
    return the_store().get();
}

std::string kept_choose(const settings &s)
{
    if (!(s == the_store().get()))
        hold_back = false;
    the_store().set(s);
    // The same value again is no choice: a damaged file stays as it is.
    return hold_back ? "" : the_store().save();
}

std::string kept_remember(const settings &s)
{
    the_store().set(s);
    return hold_back ? "" : the_store().save();
}

const std::string &kept_path()
{
    return the_store().path();
}
