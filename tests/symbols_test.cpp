// Symbols: the file orvane-asm writes and the debugger reads, where they are
// found, labels typed for addresses, and the labelled listing.
#include "test_support.h"

#include "asm_support.h"
#include "core/dasm_listing.h"
#include "core/debugger.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/symbols.h"
#include "core/tms7000.h"
#include "firmware/builtin.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

int run_asm(const std::string &arguments)
{
    std::string command = std::string(ORVANE_ASM_COMMAND) + " " + arguments + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char *const PROGRAM = R"(
COUNTER EQU $C010
SIZE    EQU 7
        ORG $F800
RESET   MOV #$40,B
        LDSP
LOOP    CALL ADD16
        STA @COUNTER
        JMP LOOP
ADD16   INC A
        RETS
        ORG $FFFE
        WORD RESET
)";

} // namespace

TEST_F(CoreTest, SymbolFilesReadWhatTheyCanAndSayWhatTheySkipped)
{
    std::vector<orv_symbol> symbols;
    std::vector<std::string> problems;
    orv_symbols_parse("; comment\n# another\n\nF800 RESET\n  $c010 counter EQU \n0x0007 SIZE equ\n"
                      "F80G BAD\n10000 HIGH\nF810 9LIVES\nF811 TWO WORDS\nF812 ONLY\n"
                      "F813 reset\nF814\n",
                      "prog.sym", symbols, problems);
    ASSERT_EQ(symbols.size(), 4u);
    EXPECT_EQ(symbols[0].name, "RESET");
    EXPECT_TRUE(symbols[0].label);
    EXPECT_EQ(symbols[1].address, 0xC010);
    EXPECT_EQ(symbols[1].name, "COUNTER");
    EXPECT_FALSE(symbols[1].label);
    EXPECT_EQ(symbols[2].address, 7);
    EXPECT_EQ(symbols[3].name, "ONLY");
    const std::vector<std::string> expected = {
        "prog.sym:7: 'F80G' is not an address from 0 to FFFF",
        "prog.sym:8: '10000' is not an address from 0 to FFFF",
        "prog.sym:9: '9LIVES' is not a name (letters, digits and _, at most 63)",
        "prog.sym:10: 'WORDS' after the name: only 'equ' may stand there",
        "prog.sym:12: 'reset' is named twice (first on line 4)",
        "prog.sym:13: expected an address and a name (and 'equ' for a value)",
    };
    EXPECT_EQ(problems, expected);

    // What is written reads back the same, in address order.
    std::vector<orv_symbol> again;
    problems.clear();
    orv_symbols_parse(orv_symbols_text(symbols), "again", again, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again[0].name, "SIZE");
    EXPECT_EQ(again[1].name, "COUNTER");
    EXPECT_EQ(again[3].name, "ONLY");
    const std::string text = orv_symbols_text(symbols);
    EXPECT_EQ(text.substr(text.find('\n') + 1), "0007 SIZE equ\nC010 COUNTER equ\nF800 RESET\nF812 ONLY\n");
}

TEST_F(CoreTest, TheAssemblerWritesItsSymbolsForTheDebugger)
{
    write_file("prog.asm", PROGRAM);
    ASSERT_EQ(run_asm("--base '$F800' --size 2K --symbols prog.sym prog.asm"), 0) << read_file("err.txt");
    EXPECT_EQ(read_file("prog.sym"), "; orvane symbols: ADDRESS NAME, or ADDRESS NAME equ for a value given by EQU\n"
                                     "0007 SIZE equ\n"
                                     "C010 COUNTER equ\n"
                                     "F800 RESET\n"
                                     "F803 LOOP\n"
                                     "F80B ADD16\n");
    // Its own outputs and the source are kept apart, as for the others.
    EXPECT_EQ(run_asm("--symbols prog.asm prog.asm"), 2);
    EXPECT_EQ(run_asm("-o prog.bin --symbols prog.bin prog.asm"), 2);
    std::string note;
    ASSERT_EQ(orv_symbols_load_file(ORV_SYMBOLS_USER, "prog.sym", note), "");
    EXPECT_EQ(note, "");
    EXPECT_EQ(orv_symbols_count(ORV_SYMBOLS_USER), 5);
    EXPECT_EQ(orv_symbols_load_file(ORV_SYMBOLS_USER, "none.sym", note), "none.sym: No such file or directory");
    EXPECT_EQ(orv_symbols_count(ORV_SYMBOLS_USER), 5);  // left as it was
}

TEST_F(CoreTest, AddressesMayBeTypedAsLabels)
{
    orv_symbols_put(ORV_SYMBOLS_USER,
                    {{0xF81D, "ADD16", true}, {0xF800, "RESET", true}, {0xC010, "COUNTER", false}, {0x1234, "BEEF", true}},
                    "test");
    auto read = [](const std::string &text) {
        unsigned long v = 0;
        std::string why = orv_parse_address(text, 0xFFFF, v);
        return why.empty() ? std::to_string(v) : why;
    };
    EXPECT_EQ(read("ADD16"), std::to_string(0xF81D));  // a label spelt like a number: the label
    EXPECT_EQ(read(" add16+3 "), std::to_string(0xF820));
    EXPECT_EQ(read("RESET-1"), std::to_string(0xF7FF));
    EXPECT_EQ(read("COUNTER"), std::to_string(0xC010));
    EXPECT_EQ(read("BEEF"), std::to_string(0x1234));
    EXPECT_EQ(read("$BEEF"), std::to_string(0xBEEF));  // "$" or "0x": the number
    EXPECT_EQ(read("0xBEEF"), std::to_string(0xBEEF));
    EXPECT_EQ(read("F800"), std::to_string(0xF800));
    EXPECT_EQ(read("NOPE"), "No label 'NOPE': load the program's symbols first, or type a hexadecimal address");
    EXPECT_EQ(read("RESET+1000"), "RESET+1000 is outside 0 to FFFF");
    EXPECT_EQ(read("12 34"), "'12 34' is not an address: type it in hexadecimal (F800) or as a label (START, START+4)");
    EXPECT_EQ(read("10000"), "10000 is above FFFF: type an address from 0 to FFFF");
    EXPECT_EQ(read(""), "No address: type a hexadecimal address first (for example F800)");

    // The debugger's address field: a label, or hexadecimal as far as it goes.
    unsigned long v = 0;
    EXPECT_EQ(orv_read_address_field("F800 and more", 0xFFFF, v), "");
    EXPECT_EQ(v, 0xF800u);
    EXPECT_EQ(orv_read_address_field("ADD16", 0xFFFF, v), "");
    EXPECT_EQ(v, 0xF81Du);
    EXPECT_EQ(orv_read_address_field("DONE", 0xFFFF, v), "");
    EXPECT_EQ(v, 0xDu);

    // The user's set comes before the cartridge's, which comes before the firmware's.
    orv_symbols_put(ORV_SYMBOLS_FIRMWARE, {{0x0100, "SHARED", true}, {0xF81D, "FIRM", true}}, "f");
    orv_symbols_put(ORV_SYMBOLS_CARTRIDGE, {{0x0200, "SHARED", true}}, "c");
    EXPECT_EQ(read("SHARED"), std::to_string(0x0200));
    EXPECT_STREQ(orv_symbol_label_at(0xF81D), "ADD16");
    EXPECT_EQ(orv_symbol_labels_at(0xF81D), (std::vector<std::string>{"ADD16", "FIRM"}));
    EXPECT_EQ(orv_symbol_label_at(0xC010), nullptr);  // an EQU name is no label...
    EXPECT_STREQ(orv_symbol_name_at(0xC010), "COUNTER");  // ...but names an operand
    EXPECT_EQ(orv_symbol_describe(0xC010), "C010 (COUNTER)");
    EXPECT_EQ(orv_symbol_describe(0xC011), "C011");
}

TEST_F(CoreTest, TheListingShowsLabelsAndTheDebuggersViewStaysAsItWas)
{
    asm_options o;
    o.base = 0xF800;
    o.size = 2048;
    asm_result r = assemble(PROGRAM, o);
    ASSERT_TRUE(r.ok) << errors_of(r);
    std::memcpy(rom_7020, r.image.data(), sizeof rom_7020);
    orv_cold_start();
    disass_debugger();
    const std::string plain = disass_box;
    std::vector<orv_symbol> symbols;
    for (const auto &[name, value] : r.symbols)
        symbols.push_back({static_cast<uint16_t>(value), name, r.labels.count(name) != 0});
    orv_symbols_put(ORV_SYMBOLS_USER, symbols, "test.asm");
    disass_debugger();
    EXPECT_EQ(disass_box, plain);
    EXPECT_EQ(plain.substr(0, plain.find("F806")),
              "F800 5240        MOV #40,B\nF802 0D          LDSP\nF803 8EF80B      CALL $F80B\n");
    EXPECT_EQ(orv_dasm_listing(0xF800, 5), "RESET:\n"
                                            "F800 5240        MOV #40,B\n"
                                            "F802 0D          LDSP\n"
                                            "LOOP:\n"
                                            "F803 8EF80B      CALL ADD16\n"
                                            "F806 8BC010      STA @#COUNTER\n"
                                            "F809 E0F8        JMP LOOP\n");
    EXPECT_EQ(orv_dasm_listing_range(0xF809, 0xF80B), "F809 E0F8        JMP LOOP\nADD16:\nF80B B3          INC A\n");
}

TEST_F(CoreTest, SymbolsAreFoundBesideTheCartridgeAndTheFirmware)
{
    write_file("game.rom", std::string(8192, '\xFF'));
    write_file("game.sym", "6000 START\n6010 LOOP\nbad\n");
    write_file("plain.bin", std::string(8192, '\xFF'));
    ASSERT_EQ(RomLoad("game.rom"), nullptr);
    uint16_t a = 0;
    EXPECT_TRUE(orv_symbol_value("start", a));
    EXPECT_EQ(a, 0x6000);
    EXPECT_EQ(orv_symbols_note(), "Symbols of game.sym: 1 line skipped: game.sym:3: expected an address and a name "
                                  "(and 'equ' for a value)");
    ASSERT_EQ(RomLoad("plain.bin"), nullptr);  // no symbols beside it: the cartridge's are gone
    EXPECT_FALSE(orv_symbol_value("START", a));
    EXPECT_EQ(orv_symbols_note(), "");
    EXPECT_EQ(orv_symbols_beside("dir.x/GAME.ROM"), "dir.x/GAME.sym");
    EXPECT_EQ(orv_symbols_beside("dir.x/game"), "");

    ASSERT_EQ(std::system("mkdir -p bios"), 0);
    write_file("bios/bios7020.bin", std::string(2048, '\xFF'));
    write_file("bios/7041b.bin", std::string(4096, '\0'));
    write_file("bios/bios7020.sym", "F800 COLD\n");
    ASSERT_EQ(MemInit("bios"), nullptr);
    EXPECT_TRUE(orv_symbol_value("COLD", a));
    EXPECT_EQ(orv_symbols_source(ORV_SYMBOLS_FIRMWARE), "bios/bios7020.sym");

    // The built-in firmware brings its own, and the demo cartridge's.
    bool builtin = false;
    ASSERT_EQ(orv_load_firmware("no-such-directory", false, &builtin), nullptr);
    ASSERT_TRUE(builtin);
    EXPECT_TRUE(orv_symbol_value("COLD", a));
    EXPECT_GE(a, 0xF800);
    EXPECT_TRUE(orv_symbol_value("TOUR", a));
    EXPECT_LT(a, 0x8000);
    EXPECT_EQ(orv_symbols_source(ORV_SYMBOLS_CARTRIDGE), "built-in demo.sym");
}
