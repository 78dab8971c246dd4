// The keys that belong to the window's menus: the titles' letters with
// Alt, the accelerators with exactly their modifiers.
#include "wx/menu_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuKeys, MnemonicOfALabel)
{
    EXPECT_EQ(menu_label_mnemonic("&File"), 'F');
    EXPECT_EQ(menu_label_mnemonic("E&xit\tAlt-X"), 'X');
    EXPECT_EQ(menu_label_mnemonic("Save && &quit"), 'Q');
    EXPECT_EQ(menu_label_mnemonic("Plain"), 0);
    EXPECT_EQ(menu_label_mnemonic("Trailing&"), 0);
}

TEST(MenuKeys, TitlesOpenWithAltAndAccelerators)
{
    menu_key_set keys;
    keys.add_title("&File");
    keys.add_title("&Help");
    keys.add_accelerator(MENU_KEY_ALT, 'X');
    keys.add_accelerator(0, 345);  // F6

    EXPECT_TRUE(keys.contains(MENU_KEY_ALT, 'F'));
    EXPECT_TRUE(keys.contains(MENU_KEY_ALT, 'h'));
    EXPECT_TRUE(keys.contains(MENU_KEY_ALT | MENU_KEY_SHIFT, 'F'));
    EXPECT_TRUE(keys.contains(MENU_KEY_ALT, 'x'));
    EXPECT_TRUE(keys.contains(0, 345));
    // The same letters without Alt, and other Alt letters, are the machine's.
    EXPECT_FALSE(keys.contains(0, 'F'));
    EXPECT_FALSE(keys.contains(MENU_KEY_SHIFT, 'X'));
    EXPECT_FALSE(keys.contains(MENU_KEY_ALT, 'Q'));
    EXPECT_FALSE(keys.contains(MENU_KEY_CTRL, 345));
}

} // namespace
