#include "keys.h"

#include "frontend/char_keys.h"
#include "frontend/host_keys.h"
#include "frontend/paste.h"
#include "frontend/wx_key_table.h"

namespace {

// The host key a key map names for a program code (host_key_codes.h in the
// window); none until a map is set.
int (*key_name_of)(int) = nullptr;

int own_key(int code)
{
    return key_name_of ? key_name_of(code) : HOST_KEY_NONE;
}

wx_key_translator translator;
key_map_translator mapped(nullptr, &translator, own_key);
key_queue keys(KEY_WAIT_POLLS, KEY_QUEUE_MAX, &mapped);
// A pasted character goes two polls after the machine took the one before:
// the firmware's own buffer empties meanwhile.
paste_queue pasting(2);
gamepad pad;
bool character_mode;
const key_map *current_map;

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
    pasting.poll(queue());
    pad.poll(queue());
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
    pasting.cancel();
}

void keys_set_character_mode(bool on)
{
    character_mode = on;
    // A one-shot Shift pressed before the change would shift a later key.
    translator.reset();
}

bool keys_character_mode()
{
    return character_mode;
}

bool keys_positional_in_character_mode(int host_code, bool typed)
{
    // The host's Shift and Caps Lock are already in the character typed.
    if (host_code == WX_HOST_SHIFT || host_code == 311)
        return false;
    // A key the key map names sends what the map says.
    if (current_map && current_map->find(own_key(host_code)))
        return true;
    return !typed;
}

bool orv_key_char(char32_t c)
{
    std::vector<unsigned char> codes;
    if (!char_key_codes(c, codes))
        return false;
    queue().push_sequence(codes);
    return true;
}

size_t keys_paste(const std::string &utf8)
{
    return pasting.add(utf8);
}

size_t keys_paste_left()
{
    return pasting.left();
}

void keys_set_map(const key_map *map, int (*key_name)(int))
{
    key_name_of = key_name;
    current_map = map;
    mapped.set_map(map);
}

gamepad &keys_pad()
{
    return pad;
}
