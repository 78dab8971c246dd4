#include "states.h"

namespace {

state_slots slots;
rewind_control rewind_key;

} // namespace

void states_set_cartridge(const std::string &path)
{
    slots.set_cartridge(path);
}

std::string states_save()
{
    return slots.save();
}

std::string states_load(bool &loaded)
{
    return slots.load(loaded);
}

std::string states_next_slot()
{
    return slots.next_slot();
}

int states_slot()
{
    return slots.slot();
}

void states_set_slot(int n)
{
    slots.set_slot(n);
}

void rewind_key_down()
{
    rewind_key.key_down();
}

void rewind_key_up()
{
    rewind_key.key_up();
}

rewind_action rewind_tick(std::string &message)
{
    return rewind_key.tick(message);
}
