// orvane's window decisions that need no window: where the picture goes,
// what the title says, tape times typed and shown, and the key list that
// --help, F9, the manual page and the README share.
#include "allegro/key_list.h"
#include "allegro/window_layout.h"
#include "frontend/picture_fit.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void expect_place(const picture_rect &p, int x, int y, int w, int h)
{
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.w, w);
    EXPECT_EQ(p.h, h);
}

std::string read(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Whether `word` stands in `text` as a word of its own ("F1" is not in "F10").
bool has_word(const std::string &text, const std::string &word)
{
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        size_t end = at + word.size();
        bool alnum_after = end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]));
        bool alnum_before = at > 0 && std::isalnum(static_cast<unsigned char>(text[at - 1]));
        if (!alnum_after && !alnum_before)
            return true;
    }
    return false;
}

} // namespace

// The sizes orvane's window and screens take.
TEST(OrvaneScreen, WindowsAreWholeMultiplesAndScreensKeepTheShapeWithBorders)
{
    expect_place(picture_fit(640, 500, false), 0, 0, 640, 500);
    expect_place(picture_fit(1280, 1000, true), 0, 0, 1280, 1000);
    // 4:3 screen: the height decides, borders left and right.
    expect_place(picture_fit(1024, 768, false), 20, 0, 983, 768);
    expect_place(picture_fit(1024, 768, true), 32, 9, 960, 750);
    // A wide screen with whole multiples: 4x fits 1920 x 1080.
    expect_place(picture_fit(1920, 1080, true), 320, 40, 1280, 1000);
}

TEST(OrvaneTitle, NamesCartridgeTapeSpeedAndMessage)
{
    title_facts f;
    f.base = "Orvane";
    EXPECT_EQ(window_title(f), "Orvane");
    f.percent = 99.6;
    EXPECT_EQ(window_title(f), "Orvane - 100%");
    f.cartridge = "/home/me/carts/game.rom";
    f.tape = "tapes/prog.wav";
    f.tape_now = tape_state::playing;
    f.tape_position = 12.9;
    f.tape_length = 90;
    EXPECT_EQ(window_title(f), "Orvane - game.rom - prog.wav 0:12/1:30 - 100%");
    f.tape_now = tape_state::stopped;
    f.speed_status = "Fast forward 4x";
    f.percent = 396;
    f.message = "saved orvane-000.png";
    EXPECT_EQ(window_title(f), "Orvane - game.rom - prog.wav 0:12/1:30 stopped - Fast forward 4x 396% - "
                             "saved orvane-000.png");
    // Paused: no speed figure; a tape taken out is not named.
    f.speed_status = "Paused";
    f.message.clear();
    f.tape_now = tape_state::empty;
    EXPECT_EQ(window_title(f), "Orvane - game.rom - Paused");
    f.speed_status.clear();
    f.tape_now = tape_state::ended;
    f.percent = -1;
    EXPECT_EQ(window_title(f), "Orvane - game.rom - prog.wav 0:12/1:30 at the end");
}

TEST(TapeTime, ShownAndTyped)
{
    EXPECT_EQ(tape_time_text(0), "0:00");
    EXPECT_EQ(tape_time_text(-3), "0:00");
    EXPECT_EQ(tape_time_text(75.9), "1:15");
    EXPECT_EQ(tape_time_text(3725), "1:02:05");
    double s = -1;
    EXPECT_TRUE(tape_time_parse("75", s));
    EXPECT_EQ(s, 75);
    EXPECT_TRUE(tape_time_parse(" 1:15 ", s));
    EXPECT_EQ(s, 75);
    EXPECT_TRUE(tape_time_parse("1:02:05", s));
    EXPECT_EQ(s, 3725);
    EXPECT_TRUE(tape_time_parse("0:12.5", s));
    EXPECT_EQ(s, 12.5);
    s = -1;
    for (const char *bad : {"", " ", "1:60", "a", "-5", "1:2:3:4", "1.5:00", ":30", "1:", "1..5", ".", "1:-1"})
        EXPECT_FALSE(tape_time_parse(bad, s)) << bad;
    EXPECT_EQ(s, -1);
}

TEST(KeyList, FitsATerminalAndEveryProgramKeyIsInTheManualPageAndTheReadme)
{
    std::string columns = key_list_columns(24);
    std::istringstream lines(columns);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;

    std::string lines_text = key_list_lines();
    // The manual page as a reader sees its words (minus signs unescaped).
    std::string source = read(ORVANE_DOCS "/../packaging/man/orvane.1");
    std::string man;
    for (size_t i = 0; i < source.size(); i++)
        if (!(source[i] == '\\' && i + 1 < source.size() && source[i + 1] == '-'))
            man += source[i];
    std::string readme = read(ORVANE_DOCS "/../README.md");
    readme = readme.substr(readme.find("## The `orvane` window"));
    readme = readme.substr(0, readme.find("\n## ", 1));
    ASSERT_FALSE(man.empty());
    ASSERT_FALSE(readme.empty());

    int keys = 0;
    for (int g = 0; g < key_help_group_count; g++) {
        const key_help_group &group = key_help_groups[g];
        ASSERT_GT(group.count, 0);
        if (std::string(group.title) != "Emulator keys")
            continue;
        for (int i = 0; i < group.count; i++) {
            if (!group.keys[i].keys || !*group.keys[i].keys)
                continue;
            EXPECT_NE(lines_text.find(group.keys[i].keys), std::string::npos) << group.keys[i].keys;
            // "F5, F7" and "F1 (hold)": each key by itself.
            std::string all = group.keys[i].keys;
            all = all.substr(0, all.find(" ("));
            for (size_t at = 0; at <= all.size();) {
                size_t comma = all.find(", ", at);
                std::string key = all.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
                EXPECT_TRUE(has_word(man, key)) << key << " is not in the manual page";
                EXPECT_TRUE(has_word(readme, key)) << key << " is not in the README's orvane section";
                keys++;
                if (comma == std::string::npos)
                    break;
                at = comma + 2;
            }
        }
    }
    EXPECT_GE(keys, 19);
}
