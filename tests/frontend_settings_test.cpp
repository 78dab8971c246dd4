// Settings kept between runs, and the recent files they hold.
#include "test_support.h"

#include "frontend/recent.h"
#include "frontend/settings.h"
#include "frontend/text_file.h"
#include "frontend/wav_file.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using SettingsTest = CoreTest;

settings unusual()
{
    settings s;
    s.scale = 4;
    s.fullscreen = true;
    s.integer_scaling = true;
    s.keyboard = keyboard_mode::character;
    s.key_map = "/home/me/my keys.map";
    s.fast_forward = fast_forward_speed::unlimited;
    s.volume = 0;
    s.mute = true;
    s.fast_loading = false;
    s.cartridge_dir = " leading and trailing ";
    s.tape_dir = "quote\" back\\slash tab\t new\nline \x01 caf\xC3\xA9";
    s.state_slot = 9;
    s.recent_cartridges.add("/b.rom");
    s.recent_cartridges.add("/a.rom");
    s.recent_tapes.add("\"quoted\".wav");
    return s;
}

TEST_F(SettingsTest, EveryValueSurvivesTheFileAndUnknownKeysAreKept)
{
    settings s = unusual();
    std::string text = settings_text(s, {"future_option = 3", "  indented = x # not a comment"});
    std::vector<std::string> errors, kept;
    settings back = settings_parse(text, errors, kept);
    EXPECT_TRUE(errors.empty()) << errors[0];
    EXPECT_TRUE(back == s);
    EXPECT_EQ(back.recent_cartridges.items(), (std::vector<std::string>{"/a.rom", "/b.rom"}));
    EXPECT_EQ(kept, (std::vector<std::string>{"future_option = 3", "  indented = x # not a comment"}));
    // Written again, the text is the same: nothing drifts from run to run.
    EXPECT_EQ(settings_text(back, kept), text);
}

TEST_F(SettingsTest, ADamagedFileIsReportedOnceAndLeftAloneUntilASettingChanges)
{
    std::string damaged = "scale = 3\nscale = 9\nvolume = loud\nthis is not a setting\nmute = yes\nnew_key = 1\n";
    write_file("s.conf", damaged);
    settings_store store(dir + "/s.conf");
    store.load();
    std::string message = store.take_message();
    EXPECT_NE(message.find("line 2: scale must be 1 to 4, not '9'"), std::string::npos) << message;
    EXPECT_NE(message.find("line 3: volume must be 0 to 100"), std::string::npos) << message;
    EXPECT_NE(message.find("line 4: no '='"), std::string::npos) << message;
    EXPECT_EQ(store.take_message(), "");
    // What could be read applies; the rest keeps its default.
    EXPECT_EQ(store.get().scale, 3);
    EXPECT_EQ(store.get().volume, 100);
    EXPECT_TRUE(store.get().mute);

    EXPECT_EQ(store.save(), "");
    settings same = store.get();
    store.set(same);
    EXPECT_EQ(store.save(), "");
    EXPECT_EQ(read_file("s.conf"), damaged);

    settings changed = store.get();
    changed.state_slot = 4;
    store.set(changed);
    EXPECT_EQ(store.save(), "");
    std::string now = read_file("s.conf");
    EXPECT_NE(now.find("state_slot = 4\n"), std::string::npos);
    EXPECT_NE(now.find("scale = 3\n"), std::string::npos);
    EXPECT_NE(now.find("new_key = 1\n"), std::string::npos);
    EXPECT_EQ(now.find("not a setting"), std::string::npos);
}

TEST_F(SettingsTest, AFileThatCannotBeReadGivesTheDefaultsAndIsNeverWrittenUnasked)
{
    fs::create_directory(dir + "/dir.conf");
    settings_store unreadable(dir + "/dir.conf");
    unreadable.load();
    EXPECT_NE(unreadable.take_message().find("cannot be read (Is a directory)"), std::string::npos);
    EXPECT_TRUE(unreadable.get() == settings());

    write_file("binary.conf", std::string("scale = 2\0\x01", 11));
    settings_store binary(dir + "/binary.conf");
    binary.load();
    EXPECT_NE(binary.take_message().find("NUL byte"), std::string::npos);
    EXPECT_EQ(binary.save(), "");
    EXPECT_EQ(read_file("binary.conf").size(), 11u);

    // No file yet: no message, and none is made until a setting changes.
    settings_store fresh(dir + "/new/sub/orvane.conf");
    fresh.load();
    EXPECT_EQ(fresh.take_message(), "");
    EXPECT_EQ(fresh.save(), "");
    EXPECT_FALSE(fs::exists(dir + "/new"));
    settings s = fresh.get();
    s.volume = 55;
    fresh.set(s);
    EXPECT_EQ(fresh.save(), "");
    settings_store again(dir + "/new/sub/orvane.conf");
    again.load();
    EXPECT_EQ(again.get().volume, 55);
}

// The reading shared by the text files and the tapes: a FIFO is refused
// without waiting for a writer, a file too large before it is read, and
// each caller words the reason its own way.
TEST_F(SettingsTest, OnlyARegularFileWithinItsSizeIsRead)
{
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    std::string text = "left over";
    EXPECT_EQ(text_file_read(dir + "/fifo", 1000, text), "is not a regular file");
    EXPECT_EQ(text, "");
    wav_recording r;
    wav_failure failure;
    uint64_t size = 1;
    EXPECT_EQ(wav_read_file(dir + "/fifo", 1000, r, failure, size), "not a regular file");
    EXPECT_EQ(failure, WAV_OPEN);
    EXPECT_EQ(size, 0u);

    write_file("big.conf", std::string(1001, 'x'));
    EXPECT_EQ(text_file_read(dir + "/big.conf", 1000, text), "is larger than 1000 bytes");
    regular_file f = open_regular_file(dir + "/big.conf", 1000);
    EXPECT_TRUE(f.too_large);
    EXPECT_EQ(f.size, 1001u);
    EXPECT_EQ(f.fd, -1);
    f = open_regular_file(dir + "/big.conf", 1001);
    EXPECT_EQ(f.why, "");
    ASSERT_GE(f.fd, 0);
    close(f.fd);
    EXPECT_EQ(open_regular_file(dir + "/missing", 10).why, "No such file or directory");
}

TEST_F(SettingsTest, AssignmentLinesComeInOrderWithTheirErrorsBetween)
{
    std::vector<std::string> errors, seen;
    text_assignments("\xEF\xBB\xBF a = 1\r\n# note\n\n  no equals\n b=  \"x\" \r\nc = d = e",
                     "VALUE", errors, [&](const text_assignment &a) {
                         seen.push_back(a.where + a.key + "|" + a.value + "|" + a.raw);
                         errors.push_back("after " + a.key);
                     });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "line 1: a| 1| a = 1");  // the mark and the CR left out
    EXPECT_EQ(seen[1], "line 5: b|  \"x\"| b=  \"x\" ");
    EXPECT_EQ(seen[2], "line 6: c| d = e|c = d = e");  // the first '=' splits
    EXPECT_EQ(errors, (std::vector<std::string>{"after a", "line 4: no '=' (KEY = VALUE)", "after b", "after c"}));
    EXPECT_EQ(text_trim(" \t x y \r"), "x y");
    EXPECT_EQ(text_trim(" \t\r"), "");
}

TEST_F(SettingsTest, AFailedWriteSaysWhyAndTriesAgainLater)
{
    fs::create_symlink("elsewhere.conf", dir + "/link.conf");
    settings_store store(dir + "/link.conf");
    store.load();
    settings s = store.get();
    s.scale = 1;
    store.set(s);
    EXPECT_NE(store.save().find("Is a symbolic link"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir + "/elsewhere.conf"));
    fs::remove(dir + "/link.conf");
    EXPECT_EQ(store.save(), "");
    EXPECT_TRUE(fs::is_regular_file(dir + "/link.conf"));
}

TEST_F(SettingsTest, TheFileIsInTheUsersConfigurationDirectory)
{
    const char *old_xdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old_xdg ? old_xdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(settings_path("wxOrvane"), "/tmp/xdg/orvane/wxOrvane.conf");
    // A relative value is not valid: the home directory's .config instead.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty() && home[0] == '/') {
        EXPECT_EQ(settings_path("orvane"), home + "/.config/orvane/orvane.conf");
    }
    if (old_xdg)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingsTest, RecentFilesAreBoundedMostRecentFirstAndOneEntryPerFile)
{
    recent_list r(3);
    r.add("a.rom");
    r.add("b.rom");
    r.add("./sub/../a.rom");  // the same file: moved to the front
    EXPECT_EQ(r.items(), (std::vector<std::string>{dir + "/a.rom", dir + "/b.rom"}));
    r.add("c.rom");
    r.add("d.rom");
    EXPECT_EQ(r.items(), (std::vector<std::string>{dir + "/d.rom", dir + "/c.rom", dir + "/a.rom"}));
    r.remove(dir + "/c.rom");
    r.add("");
    EXPECT_EQ(r.items(), (std::vector<std::string>{dir + "/d.rom", dir + "/a.rom"}));
}

} // namespace
