#include "test_support.h"

#include "core/memory.h"
#include "core/trace.h"

#include <string>
#include <vector>

namespace {

trace_fn tf_probe = {"probe()", 0};

// A traced function with one gated and one ungated line.
void probe(const char *message)
{
    trace_enter(tf_probe);
    TRACE(tf_probe, "gated %s", message);
    TRACE_ALWAYS(tf_probe, "always %s", message);
}

std::vector<std::string> log_lines()
{
    std::vector<std::string> lines;
    std::string text = log_text();
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

} // namespace

TEST_F(CoreTest, TraceStartsEmpty) { EXPECT_EQ(log_text(), ""); }

TEST_F(CoreTest, TraceWithoutListWritesOnlyUngatedLines)
{
    probe("one");
    EXPECT_EQ(tf_probe.flag, -1);
    EXPECT_EQ(log_text(), "00000000 0000 probe():always one\n");
}

TEST_F(CoreTest, TraceListedNameTurnsGatedLinesOn)
{
    write_file("debug.lst", "program_read_byte_8\n  probe()\tother()\n");
    s_trace_time = 0x1F40;
    p_pc = 0xF812;
    probe("two");
    EXPECT_EQ(log_text(), "00001F40 F812 probe():gated two\n00001F40 F812 probe():always two\n");
    EXPECT_EQ(debug_func_list_size, 3);
    // A name without its parentheses matches nothing.
    EXPECT_EQ(check_debug("program_read_byte_8()"), -1);
}

TEST_F(CoreTest, TraceListIsReadOnceAndLongWordsAreCut)
{
    std::string list;
    for (int i = 0; i < 105; i++)
        list += "name" + std::to_string(i) + " ";
    list = std::string(70, 'x') + " " + list;
    write_file("debug.lst", list);
    EXPECT_EQ(check_debug(std::string(63, 'x').c_str()), 1);
    EXPECT_EQ(debug_func_list_size, 100);
    EXPECT_EQ(check_debug("name98"), 1);
    EXPECT_EQ(check_debug("name99"), -1);  // the 101st word
    write_file("debug.lst", "name99");
    EXPECT_EQ(check_debug("name99"), -1);  // edits after the first read have no effect
}

TEST_F(CoreTest, TraceFlagIsDecidedAtFirstUnsuppressedCall)
{
    write_file("debug.lst", "probe()");
    no_trace();
    no_trace();
    probe("hidden");
    EXPECT_EQ(tf_probe.flag, 0);
    EXPECT_EQ(trace_init_flag, 0);  // suppressed calls do not even read the list
    restore_trace();                 // one restore ends any number of suppressions
    probe("shown");
    EXPECT_EQ(tf_probe.flag, 1);
    EXPECT_EQ(log_lines().size(), 2u);
}

TEST_F(CoreTest, TraceRingKeepsTheNewestThousandLines)
{
    for (int i = 1; i <= 1001; i++)
        probe(std::to_string(i).c_str());  // two lines each
    EXPECT_EQ(trace_log_size, 1000);
    std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.front(), "00000000 0000 probe():always 2");
    EXPECT_EQ(lines.back(), "00000000 0000 probe():always 1001");
    clear_log_str();
    EXPECT_EQ(log_text(), "");
}

TEST_F(CoreTest, TraceLinesAreCutAt255Characters)
{
    std::string long_text(5000, 'a');
    probe(long_text.c_str());
    std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[0].substr(0, 28), "00000000 0000 probe():always");
}

TEST_F(CoreTest, TraceLogCopyTakesTheNewestLinesThatFit)
{
    probe("a");  // "00000000 0000 probe():always a" is 30 characters
    probe("b");
    std::vector<char> buffer(64, 'z');
    get_log_str(buffer.data(), 32);  // one line, its newline and the terminator
    EXPECT_STREQ(buffer.data(), "00000000 0000 probe():always b\n");
    get_log_str(buffer.data(), 31);  // too small for even the newest line
    EXPECT_STREQ(buffer.data(), "");
    get_log_str(buffer.data(), 63);
    EXPECT_STREQ(buffer.data(), "00000000 0000 probe():always a\n00000000 0000 probe():always b\n");
}
