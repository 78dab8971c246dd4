// orvane-headless --debug: the commands of the debugger's engine, on
// tests/programs/sum.asm with its symbols.
#include "test_support.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

class HeadlessEngineTest : public CoreTest {
protected:
    // bios/: sum.asm as the internal ROM with its symbols beside it (the
    // firmware's own, bios7020.sym), and a blank I/O processor image.
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(std::system("mkdir -p bios"), 0);
        std::string cmd = std::string(ORVANE_ASM_COMMAND) + " --base 0xF800 --size 2K -o bios/bios7020.bin" +
                          " --symbols bios/bios7020.sym " ORVANE_TEST_SOURCES "/sum.asm";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        write_file("bios/7041b.bin", std::string(4096, '\0'));
    }

    int script(const std::string &text, std::vector<std::string> more = {})
    {
        write_file("script.txt", text);
        std::vector<std::string> args = {"--bios", "bios", "--debug", "script.txt"};
        args.insert(args.end(), more.begin(), more.end());
        return run_headless(args, out, err);
    }

    // The text a command printed: from its echo to the next.
    std::string after(const std::string &command) const
    {
        size_t at = out.find("> " + command + "\n");
        if (at == std::string::npos)
            return "(no '" + command + "')";
        at += command.size() + 3;
        size_t end = out.find("\n> ", at);
        return out.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    }

    std::string out, err;
};

std::string first_line(const std::string &text) { return text.substr(0, text.find('\n')); }

} // namespace

TEST_F(HeadlessEngineTest, EveryEngineCommandInAScript)
{
    write_file("extra.sym", "F811 STORE\n");
    write_file("debug.lst", "program_write_byte_8()\n");
    ASSERT_EQ(script("symbols extra.sym\n"
                     "list RESET 3\n"
                     "break ADD16 if A == 0x41\n"
                     "watch w RESULT..RESULT+1\n"
                     "breaks\n"
                     "run 10\n"
                     "out\n"
                     "back 2\n"
                     "back hit\n"
                     "disable break 1\n"
                     "run\n"
                     "delete watch all\n"
                     "enable break 1\n"
                     "breaks\n"
                     "delete break 7\n"
                     "tracelog log.txt 1\n"
                     "traceinsn insn.txt\n"
                     "step 3\n"
                     "traceinsn off\n"
                     "go DONE\n"
                     "list STORE 1\n"),
              0)
        << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(after("symbols extra.sym"), "1 symbol from extra.sym\n");
    EXPECT_EQ(after("list RESET 3"), "RESET:\nF800 5240        MOV #40,B\nF802 0D          LDSP\nF803 D50A        CLR R10\n");
    EXPECT_EQ(after("break ADD16 if A == 0x41"), "Breakpoint 1  F81D (ADD16)  if A == 0x41  hits 0\n");
    EXPECT_EQ(after("watch w RESULT..RESULT+1"), "Watchpoint 1  C000..C001 (RESULT)  write  hits 0\n");
    EXPECT_EQ(after("breaks"), "Breakpoint 1  F81D (ADD16)  if A == 0x41  hits 0\n"
                               "Watchpoint 1  C000..C001 (RESULT)  write  hits 0\n");
    // 'A' is the fifth byte of the table, counted down from the seventh.
    EXPECT_EQ(first_line(after("run 10")), "Breakpoint 1 at F81D (ADD16), hit 1: A == 0x41");
    EXPECT_EQ(first_line(after("out")), "Stepped out: RETS at F823 returned to F80F");
    EXPECT_EQ(first_line(after("back 2")), "Back at F820");  // before the RETS and the ADC
    EXPECT_EQ(first_line(after("back hit")), "Back at F81D (ADD16)");
    EXPECT_EQ(first_line(after("run")),
              "Watchpoint 1: write of 02 to C000 (RESULT) by the instruction at F813; now at F816");
    EXPECT_EQ(after("delete break 7"), "No breakpoint 7\n");
    EXPECT_EQ(after("traceinsn off"), "traceinsn: 3 lines\n");
    EXPECT_EQ(read_file("insn.txt").substr(9), "F816 120B     MOV R11,A                A=87 B=00 SP=40 ST=cNzixxxx\n"
                                                "000001C8 F818 8BC001   STA @#C001               A=87 B=00 SP=40 ST=cNzixxxx\n"
                                                "000001C8 F81B E0FE     JMP DONE                 A=87 B=00 SP=40 ST=cNzixxxx\n");
    // The log trace ends with the run that stops (go), with every line.
    EXPECT_EQ(first_line(after("go DONE")), "Reached f81b");
    EXPECT_NE(after("go DONE").find("tracelog ended: log.txt: "), std::string::npos) << after("go DONE");
    EXPECT_EQ(read_file("log.txt").find("program_write_byte_8():"), 14u);
    EXPECT_EQ(after("list STORE 1"), "STORE:\nF811 120A        MOV R10,A\n");
}

TEST_F(HeadlessEngineTest, ABreakpointStopsFramesAndATraceEndsAfterItsFrames)
{
    ASSERT_EQ(script("break NEXT if B == 3\n"
                     "frames 5\n"
                     "regs\n"
                     "step 4\n"
                     "back 4\n"
                     "frames 1\n"
                     "traceinsn /dev/null 1\n"
                     "frames 1\n"),
              0)
        << err;
    EXPECT_EQ(after("frames 5").substr(0, 77), "frames stopped in frame 1 of 5\n"
                                               "Breakpoint 1 at F809 (NEXT), hit 1: B == 0x03\n");
    EXPECT_EQ(after("regs").substr(0, 8), "PC=f809\n");
    EXPECT_EQ(first_line(after("back 4")), "Back at F809 (NEXT)");
    EXPECT_NE(out.find("> frames 1\ntraceinsn ended: /dev/null: "), std::string::npos) << out;
}

TEST_F(HeadlessEngineTest, LabelsAreReadOnceTheSymbolsAreLoaded)
{
    // Before any frame runs: the firmware's symbols are there.
    EXPECT_EQ(script("go NOWHERE\n"), 2);
    EXPECT_EQ(err, "orvane-headless: script.txt:1: No label 'NOWHERE': load the program's symbols first, or type "
                   "a hexadecimal address\n");
    EXPECT_EQ(out, "");
    // After a `symbols` command: when the command runs, which ends the script.
    EXPECT_EQ(script("symbols bios/bios7020.sym\nbreak NOWHERE\nregs\n"), 1);
    EXPECT_EQ(err, "orvane-headless: script.txt:2: No label 'NOWHERE': load the program's symbols first, or type "
                   "a hexadecimal address\n");
    EXPECT_EQ(out.find("> regs"), std::string::npos);
    // --break takes a label.
    ASSERT_EQ(run_headless({"--bios", "bios", "--frames", "5", "--break", "DONE"}, out, err), 0) << err;
    EXPECT_EQ(first_line(out), "Break at f81b in frame 0");
    EXPECT_EQ(run_headless({"--bios", "bios", "--frames", "5", "--break", "NOPE"}, out, err), 2);
    EXPECT_EQ(err, "orvane-headless: --break: No label 'NOPE': load the program's symbols first, or type a "
                   "hexadecimal address\nTry 'orvane-headless --help'.\n");
}

TEST_F(HeadlessEngineTest, BadEngineCommandsAreRefusedBeforeTheRun)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"watch x C000", "watch takes r, w or rw, then the addresses, not 'x'"},
        {"watch w C7FF..C000", "'C7FF..C000': the range ends before it starts"},
        {"break F800 if A = 1", "'A = 1': a condition is SUBJECT OP VALUE: A, B, SP, ST, PC, R0-R127 or [ADDRESS], "
                                "then ==, !=, <, <=, > or >=, then a number (for example A == 0x41)"},
        {"break F800 if", "break ... if needs a condition (for example: if A == 0x41)"},
        {"break F800 from 0", "break ... from takes a hit count from 1 to 1000000000, and nothing after it"},
        {"break F800 to 3", "break ADDR [if CONDITION] [from N]: 'to' stands where 'if' or 'from' may"},
        {"back 0", "back takes a count of instructions from 1 to 1000000, or 'hit', not '0'"},
        {"enable foo 1", "enable takes 'break' or 'watch', then a number"},
        {"delete watch x", "delete watch takes the number the list shows or 'all', not 'x'"},
        {"run 0", "run stops after a number of frames from 1 to 10000000, not '0'"},
        {"tracelog off 3", "tracelog off takes nothing after it"},
        {"traceinsn f.txt x", "traceinsn FILE [FRAMES]: FRAMES is a number of frames from 1 to 10000000, not 'x'"},
        {"list F800 0", "list takes a count of instructions from 1 to 100000, not '0'"},
        {"out 3", "too many values for out"},
    };
    for (const auto &[line, why] : cases) {
        EXPECT_EQ(script(line + "\n"), 2) << line;
        EXPECT_EQ(err, "orvane-headless: script.txt:1: " + why + "\n") << line;
        EXPECT_EQ(out, "") << line;
    }
    // A trace file is an output like the others: it may not replace an input.
    EXPECT_EQ(script("tracelog script.txt\n"), 2);
    EXPECT_EQ(err, "orvane-headless: the script's trace (line 1) 'script.txt' would replace the debugger script "
                   "(--debug); name another file\nTry 'orvane-headless --help'.\n");
    EXPECT_EQ(script("traceinsn bios/bios7020.sym\n"), 2);
    // What fails when it runs says so and ends the script with status 1.
    EXPECT_EQ(script("tracelog no-such-dir/log.txt\nregs\n"), 1);
    EXPECT_EQ(err, "orvane-headless: script.txt:1: no-such-dir/log.txt: No such file or directory\n");
    EXPECT_EQ(script("symbols missing.sym\n"), 1);
    EXPECT_EQ(err, "orvane-headless: script.txt:1: missing.sym: No such file or directory\n");
    EXPECT_EQ(script("back\n"), 0);
    EXPECT_EQ(first_line(after("back")), "The history does not reach: nothing has run since it started");
}

// The worked example of docs/debugging.md is what a run prints.
TEST_F(HeadlessEngineTest, TheWorkedExampleInTheDocsIsWhatARunPrints)
{
    const std::string doc = read_file(ORVANE_DOCS "/debugging.md");
    const std::string open = "cat > engine.dbg <<'EOF'\n";
    size_t at = doc.find(open);
    ASSERT_NE(at, std::string::npos);
    at += open.size();
    const std::string text = doc.substr(at, doc.find("EOF\n", at) - at);
    const std::string shown_open = "only the\nfirst is shown here, as in the example above):\n\n```\n";
    size_t shown_at = doc.find(shown_open);
    ASSERT_NE(shown_at, std::string::npos);
    shown_at += shown_open.size();
    const std::string shown = doc.substr(shown_at, doc.find("```\n", shown_at) - shown_at);
    const std::string insn_open = "and `insn.txt`:\n\n```\n";
    size_t insn_at = doc.find(insn_open);
    ASSERT_NE(insn_at, std::string::npos);
    insn_at += insn_open.size();
    const std::string insn = doc.substr(insn_at, doc.find("```\n", insn_at) - insn_at);

    ASSERT_EQ(script(text), 0) << err;
    // Each disassembly but the listing's is cut to its first line and "...".
    auto disassembly = [](const std::string &line) {
        if (line.size() < 18 || line[4] != ' ')
            return false;
        for (size_t i = 0; i < 17; i++)
            if (i != 4 && !std::isxdigit(static_cast<unsigned char>(line[i])) && !(i > 4 && line[i] == ' '))
                return false;
        return true;
    };
    std::string cut, command;
    bool first = true;
    for (size_t pos = 0, nl; (nl = out.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        const std::string line = out.substr(pos, nl - pos);
        if (line.rfind("> ", 0) == 0) {
            command = line.substr(2, line.find(' ', 2) - 2);
            first = true;
        } else if (command != "list" && disassembly(line)) {
            if (first)
                cut += line + "\n...\n";
            first = false;
            continue;
        }
        cut += line + "\n";
    }
    EXPECT_EQ(cut, shown);
    EXPECT_EQ(read_file("insn.txt"), insn);
}
