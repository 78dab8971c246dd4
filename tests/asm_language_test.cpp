#include "test_support.h"

#include "asm_support.h"
#include "core/memory.h"

#include <sys/stat.h>

TEST_F(CoreTest, AsmLabelsForwardAndBackward)
{
    EXPECT_TRUE(assembles_to("        ORG $C000\n"
                             "BACK:   NOP\n"                // C000
                             "        JMP BACK\n"           // C001, ends C003: -3
                             "        DJNZ R3,BACK\n"       // C003, ends C006: -6
                             "        JEQ FWD\n"            // C006, ends C008: +6
                             "        CALL FWD\n"           // C008
                             "        BR FWD\n"             // C00B
                             "FWD     BTJO #80,A,BACK\n"    // C00E, ends C011: -17
                             "        MOVD #FWD,R5\n"       // C011
                             "        LDA @FWD(B)\n",       // C015
                             {0x00, 0xE0, 0xFD, 0xDA, 0x03, 0xFA, 0xE2, 0x06, 0x8E, 0xC0, 0x0E,
                              0x8C, 0xC0, 0x0E, 0x26, 0x80, 0xEF, 0x88, 0xC0, 0x0E, 0x05,
                              0xAA, 0xC0, 0x0E}));

    // The disassembler's relative form counts from the end of the
    // instruction; "$" inside any other expression is the line's address.
    EXPECT_TRUE(assembles_to("        JMP $\n"
                             "        JMP $-2\n"
                             "        JMP $+127\n"
                             "        JMP ($)\n"
                             "        BTJZ #1,R4,$-4\n",
                             {0xE0, 0x00, 0xE0, 0xFE, 0xE0, 0x7F, 0xE0, 0xFE, 0x77, 0x01, 0x04, 0xFC}));

    // A label on an ORG line names the new address.
    EXPECT_TRUE(assembles_to("        ORG $C000\n"
                             "        NOP\n"
                             "THERE   ORG $C004\n"
                             "        WORD THERE\n",
                             {0x00, 0xFF, 0xFF, 0xFF, 0xC0, 0x04}));

    // A jump across the top of the address space wraps as the program counter does.
    EXPECT_TRUE(assembles_to("        ORG $FFFC\n"
                             "        JMP $0002\n",
                             {0xE0, 0x04}));
}

TEST_F(CoreTest, AsmNumbersFollowTheDisassemblersRadix)
{
    EXPECT_TRUE(assembles_to("COUNT   EQU 12\n"
                             "        MOV #10,A\n"        // hexadecimal after #
                             "        MOV #10.,A\n"       // a trailing dot makes it decimal
                             "        MOV #$10,A\n"
                             "        MOV #0x1f,A\n"
                             "        MOV #'A',A\n"
                             "        MOV #-1,A\n"
                             "        MOV #FF,R(COUNT-2)\n"
                             "        MOV R10,A\n"        // register numbers are decimal
                             "        MOVP A,P10\n"
                             "        LDA @F000\n"        // @# may be written @
                             "        BR @#F000\n"        // BR and CALL take @# as well as $
                             "        CALL $F000\n"
                             "        MOVD #1234(B),R3\n",
                             {0x22, 0x10, 0x22, 0x0A, 0x22, 0x10, 0x22, 0x1F, 0x22, 0x41, 0x22, 0xFF,
                              0x72, 0xFF, 0x0A, 0x12, 0x0A, 0x82, 0x0A, 0x8A, 0xF0, 0x00,
                              0x8C, 0xF0, 0x00, 0x8E, 0xF0, 0x00, 0xA8, 0x12, 0x34, 0x03}));

    // Elsewhere numbers are decimal.
    EXPECT_TRUE(assembles_to("        BYTE 10, $10, 0x10, 'a', '\\n', -1, 255\n",
                             {0x0A, 0x10, 0x10, 0x61, 0x0A, 0xFF, 0xFF}));

    // A symbol spelt in hexadecimal digits only is a symbol where operands
    // are decimal.
    EXPECT_TRUE(assembles_to("        ORG $C000\n"
                             "BEEF    NOP\n"
                             "        JMP BEEF\n"
                             "        BYTE LOW(BEEF)+1\n",
                             {0x00, 0xE0, 0xFD, 0x01}));
}

TEST_F(CoreTest, AsmSynonymsAndRegisterNames)
{
    EXPECT_TRUE(assembles_to("        TSTA\n"
                             "        CLRC\n"
                             "        JC $\n"
                             "        JZ $\n"
                             "        JNE $\n"
                             "        JPZ $\n"
                             "        JNC $\n"
                             "        ADD A,R5\n"      // A is R0 where no A form exists
                             "        MOV A,R5\n"      // ... but its own form wins
                             "        DJNZ B,$\n"
                             "        PUSH ST\n",
                             {0xB0, 0xB0, 0xE3, 0x00, 0xE2, 0x00, 0xE6, 0x00, 0xE5, 0x00, 0xE7, 0x00,
                              0x48, 0x00, 0x05, 0xD0, 0x05, 0xCA, 0x00, 0x0E}));
}

TEST_F(CoreTest, AsmExpressions)
{
    asm_result r = assemble("        ORG $C010\n"
                            "HERE    EQU $\n"
                            "V1      EQU 2+3*4\n"
                            "V2      EQU (2+3)*4\n"
                            "V3      EQU 1<<4|1\n"
                            "V4      EQU $F0F0&$FF\n"
                            "V5      EQU -7/2\n"
                            "V6      EQU HIGH($1234)\n"
                            "V7      EQU LOW($1234)+1\n"
                            "V8      EQU $100>>4\n"
                            "V9      EQU ~0&$FF\n"
                            "V10     EQU 5^3\n"
                            "V11     EQU 10-2-3\n"
                            "V12     EQU -$8000>>4\n"
                            // EQU may name symbols defined further down, in chains.
                            "FIRST   EQU SECOND+1\n"
                            "SECOND  EQU LAST-HERE\n"
                            "        NOP\n"
                            "LAST    NOP\n");
    ASSERT_TRUE(r.ok) << errors_of(r);
    const std::pair<const char *, int64_t> want[] = {
        {"HERE", 0xC010}, {"V1", 14}, {"V2", 20}, {"V3", 17}, {"V4", 0xF0}, {"V5", -3},
        {"V6", 0x12}, {"V7", 0x35}, {"V8", 0x10}, {"V9", 0xFF}, {"V10", 6}, {"V11", 5},
        {"V12", -0x800}, {"FIRST", 2}, {"SECOND", 1}, {"LAST", 0xC011},
    };
    for (const auto &[name, value] : want)
        EXPECT_EQ(r.symbols[name], value) << name;
}

TEST_F(CoreTest, AsmDataDirectives)
{
    EXPECT_TRUE(assembles_to("        ORG $C000\n"
                             "        BYTE 1, \"AB\", 'c'\n"
                             "        WORD $1234, -1\n"         // big-endian
                             "        TEXT \"a\\\"b\\\\\\x41\\0\", \"z\"\n"
                             "        FILL 2,$EE\n"
                             "        FILL 1\n"                 // skipped: keeps the fill
                             "        ALIGN 4,$AA\n"
                             "        ALIGN 8\n"
                             "        BYTE 9\n"
                             "        ORG $C020\n"
                             "        BYTE 7\n",
                             {0x01, 0x41, 0x42, 0x63, 0x12, 0x34, 0xFF, 0xFF,
                              0x61, 0x22, 0x62, 0x5C, 0x41, 0x00, 0x7A, 0xEE,
                              0xEE, 0xFF, 0xAA, 0xAA, 0xFF, 0xFF, 0xFF, 0xFF,
                              0x09, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                              0x07}));
}

TEST_F(CoreTest, AsmIncludeIsRelativeToTheIncludingFile)
{
    ASSERT_EQ(mkdir("lib", 0755), 0);
    write_file("lib/outer.inc", "        BYTE 1\n        INCLUDE \"inner.inc\"\nOUTER   EQU 3\n");
    write_file("lib/inner.inc", "        BYTE INNER\n");
    write_file("main.asm", "INNER   EQU 2\n        INCLUDE \"lib/outer.inc\"\n        BYTE OUTER\n");
    asm_result r = asm7000_assemble_file("main.asm", {});
    ASSERT_TRUE(r.ok) << errors_of(r);
    EXPECT_EQ(hex_bytes(r.image), "01 02 03 ");
    EXPECT_EQ(r.files, (std::vector<std::string>{"main.asm", "lib/outer.inc", "lib/inner.inc"}));

    // Errors in an included file name that file and its line.
    write_file("lib/inner.inc", "        BYTE INNER\n        BOGUS\n");
    r = asm7000_assemble_file("main.asm", {});
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(errors_of(r), "lib/inner.inc:2: unknown instruction 'BOGUS'\n");
}

TEST_F(CoreTest, AsmImageBaseSizeAndFill)
{
    const char *source = "        ORG $C000\n        BYTE 1\n        ORG $C004\n        BYTE 2\n";
    // By default the image runs from the lowest to the highest byte written.
    asm_result r = assemble(source);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.base, 0xC000u);
    EXPECT_EQ(hex_bytes(r.image), "01 FF FF FF 02 ");

    asm_options o;
    o.base = 0xBFFE;
    o.size = 8;
    o.fill = 0;
    r = assemble(source, o);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.base, 0xBFFEu);
    EXPECT_EQ(hex_bytes(r.image), "00 00 01 00 00 00 02 00 ");

    // An 8 KB cartridge image ends at $7FFF, where the emulator loads it.
    o.base = 0x6000;
    o.size = 8192;
    o.fill = 0xFF;
    r = assemble("        ORG $6000\n        BYTE $11\n        ORG $7FFF\n        BYTE $22\n", o);
    ASSERT_TRUE(r.ok);
    write_file("cart.bin", std::string(r.image.begin(), r.image.end()));
    EXPECT_EQ(RomLoad("cart.bin"), nullptr);
    EXPECT_EQ(program_read_byte_8(0x6000), 0x11);
    EXPECT_EQ(program_read_byte_8(0x6001), 0xFF);
    EXPECT_EQ(program_read_byte_8(0x7FFF), 0x22);
}

TEST_F(CoreTest, AsmListing)
{
    asm_result r = assemble("; header\n"
                            "        ORG $C000\n"
                            "START   BYTE 1,2,3,4,5\n"
                            "SIX     EQU 6\n"
                            "        MOV #SIX,A\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.listing,
              "                   ; header\n"
              "C000                       ORG $C000\n"
              "C000  01 02 03 04  START   BYTE 1,2,3,4,5\n"
              "C004  05\n"
              "      =0006        SIX     EQU 6\n"
              "C005  22 06                MOV #SIX,A\n");
}
