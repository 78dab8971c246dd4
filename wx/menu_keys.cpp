#include "menu_keys.h"

#include <cctype>

namespace {

int fold(int key_code)
{
    return key_code >= 'a' && key_code <= 'z' ? key_code - 'a' + 'A' : key_code;
}

} // namespace

int menu_label_mnemonic(const std::string &label)
{
    for (size_t i = 0; i + 1 < label.size(); i++) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] == '&') {
            i++;  // "&&": an ampersand shown as such
            continue;
        }
        return fold(static_cast<unsigned char>(label[i + 1]));
    }
    return 0;
}

void menu_key_set::add_title(const std::string &label)
{
    int mnemonic = menu_label_mnemonic(label);
    if (mnemonic)
        mnemonics_.push_back(mnemonic);
}

void menu_key_set::add_accelerator(int modifiers, int key_code)
{
    accelerators_.push_back({modifiers, fold(key_code)});
}

bool menu_key_set::contains(int modifiers, int key_code) const
{
    int key = fold(key_code);
    // Alt and a title's letter opens that menu; with Shift or Control held
    // as well the key is still the window's, never the machine's.
    if (modifiers & MENU_KEY_ALT)
        for (int mnemonic : mnemonics_)
            if (mnemonic == key)
                return true;
    for (const accelerator &a : accelerators_)
        if (a.modifiers == modifiers && a.key_code == key)
            return true;
    return false;
}
