#include "keys.h"

#include "frontend/wx_key_table.h"

namespace {

wx_key_translator translator;
key_queue keys(KEY_WAIT_POLLS, KEY_QUEUE_MAX, &translator);

key_queue &queue()
{
    return keys;
}

} // namespace

int &shift = translator.shift;

int last_pressed()
{
    return queue().last_pressed();
}

int orv_translate_key(int host_code, bool shifted)
{
    return wx_translate_key(host_code, shifted);
}

void orv_key_poll()
{
    queue().poll();
}

void orv_key_down(int host_code)
{
    queue().key_down(host_code);
}

void orv_key_up(int host_code)
{
    queue().key_up(host_code);
}

void orv_keys_lost()
{
    queue().keys_lost();
}

int keys_waiting()
{
    return queue().waiting();
}

void keys_clear_state()
{
    queue().clear();
}
