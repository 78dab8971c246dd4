// The keys that belong to the window's menus rather than to the machine:
// Alt with the underlined letter of a menu's title (it opens that menu),
// the menu entries' accelerators (F5, Alt+X ...) and F10, with which GTK
// opens the menu bar. The panel passes none of them to the machine.
//
// Key codes are wx's; letters are compared without case.
#pragma once

#include <string>
#include <vector>

enum menu_key_modifier {
    MENU_KEY_ALT = 1,
    MENU_KEY_CTRL = 2,
    MENU_KEY_SHIFT = 4,
};

// The underlined letter of a menu label ("&File" gives 'F', "E&xit" 'X';
// "&&" is a plain ampersand), upper case; 0 when there is none.
int menu_label_mnemonic(const std::string &label);

class menu_key_set {
public:
    // A menu title: Alt with its mnemonic opens it.
    void add_title(const std::string &label);
    // An accelerator: exactly these modifiers (MENU_KEY_*) with this key.
    void add_accelerator(int modifiers, int key_code);
    // Whether a key pressed with `modifiers` is one of the above.
    bool contains(int modifiers, int key_code) const;

private:
    struct accelerator {
        int modifiers;
        int key_code;
    };
    std::vector<int> mnemonics_;
    std::vector<accelerator> accelerators_;
};
