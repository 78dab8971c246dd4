// wxOrvane's keyboard table: wx key codes (those of wxWidgets 2.8, which 3.2
// keeps) and the machine code each sends, plain and after the machine's
// Shift. Letters are their own codes and ignore Shift. Shift is one-shot: a
// press of Shift (host code 306, machine code 134) makes the next
// translated key send its shifted code; a second press of Shift before any
// other key cancels it.
//
// The table is also the machine's character set as its keyboard types it:
// the character mode (char_keys.h) is worked out from it.
#pragma once

#include "key_queue.h"

#include <cstddef>

constexpr int WX_HOST_SHIFT = 306;
constexpr unsigned char MACHINE_SHIFT = 134;

struct wx_key_row {
    int host;             // wx key code
    unsigned char plain;  // machine code
    unsigned char shifted;
};
extern const wx_key_row wx_key_rows[];
extern const size_t wx_key_row_count;

// The machine code of a host key code (shifted column when `shifted`), or
// -1 for a key the machine does not have.
int wx_translate_key(int host_code, bool shifted);

// The table with its one-shot Shift, for the key queue.
class wx_key_translator : public key_translator {
public:
    void press(int host, std::vector<unsigned char> &codes) override;
    void reset() override { shift = 0; }

    // The one-shot state: 0 off; 1 just pressed; 2 the next key is shifted.
    int shift = 0;
};
