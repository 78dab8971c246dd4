#include "test_support.h"

#include "asm_support.h"

#include <random>

namespace {

struct ErrorCase {
    std::string source;
    int line;
    const char *message;  // the error must start with this text
};

// True when one error reads "test.asm:<line>: <message...>".
bool has_error(const asm_result &r, int line, const std::string &message)
{
    std::string want = "test.asm:" + std::to_string(line) + ": " + message;
    for (const std::string &e : r.errors)
        if (e.compare(0, want.size(), want) == 0)
            return true;
    return false;
}

} // namespace

TEST_F(CoreTest, AsmErrorMessages)
{
    const ErrorCase cases[] = {
        // Instructions.
        {"        FOO A", 1, "unknown instruction 'FOO'"},
        {"        MOV", 1, "MOV needs operands"},
        {"        MOV A,P5", 1, "no form of MOV takes the operands 'A,P5'"},
        {"        NOP A", 1, "no form of NOP takes the operands 'A'"},
        {"        MOV #100,A", 1, "value 256 does not fit in a byte"},
        {"        MOV R256,A", 1, "register number 256 out of range 0 to 255"},
        {"        MOVD #10000,R5", 1, "value 65536 does not fit in 16 bits"},
        {"        JMP $+128", 1, "displacement 128 out of range -128 to 127"},
        {"        ORG $C000\n        JMP $C100", 2, "jump target out of range (254 bytes, -128 to 127 allowed)"},
        {"        JMP NOWHERE", 1, "undefined symbol 'NOWHERE'"},
        {"        MOVD #BEEF,R5\nBEEF    NOP", 1, "'BEEF' is both a hexadecimal number and a symbol"},
        // Expressions and constants.
        {"        BYTE FF", 1, "undefined symbol 'FF' (hexadecimal is written $FF or 0xFF)"},
        {"        BYTE 1F", 1, "bad number '1F' (hexadecimal is written $1F or 0x1F)"},
        {"        BYTE $1G", 1, "bad hexadecimal number '$1G'"},
        {"        BYTE 0x1G", 1, "bad hexadecimal number '0X1G'"},
        {"        MOV #1G,A", 1, "bad hexadecimal number '1G'"},
        {"        BYTE 1+", 1, "expression expected"},
        {"        BYTE (1", 1, "')' expected"},
        {"        BYTE 1)", 1, "unexpected ')' in expression"},
        {"        BYTE @", 1, "unexpected '@' in expression"},
        {"        BYTE 'AB'", 1, "a character constant holds one character"},
        {"        BYTE HIGH 5", 1, "HIGH needs an operand in parentheses"},
        {"        BYTE 1/0", 1, "division by zero"},
        {"        BYTE 1<<33", 1, "shift count out of range"},
        {"        WORD 99999999999", 1, "number too large"},
        {"        WORD $FFFFFFFF*2", 1, "value out of range"},
        {"        BYTE " + std::string(100, '(') + "1" + std::string(100, ')'), 1,
         "expression nested too deeply"},
        {"        TEXT \"a\\x4\"", 1, "\\x needs two hexadecimal digits"},
        {"        TEXT \"a\\q\"", 1, "unknown escape '\\q'"},
        {"        TEXT \"abc", 1, "unterminated string"},
        {"        BYTE 'a", 1, "unterminated character constant"},
        {"X       EQU Y\nY       EQU X", 1, "symbol 'Y' has no value"},
        // Lines, labels and symbols.
        {"\x01", 1, "unexpected character (byte 0x01)"},
        {"        NOP \xC3\xA9", 1, "unexpected character (byte 0xC3)"},
        {"        123", 1, "expected a label, an instruction or a directive"},
        {"        EQU 5", 1, "EQU needs a name: NAME EQU value"},
        {"R5      NOP", 1, "'R5' cannot name a symbol: it reads as a register"},
        {"B:      NOP", 1, "'B' cannot name a symbol: it reads as a register"},
        {"HIGH:   NOP", 1, "'HIGH' cannot name a symbol: it is an operator"},
        {"NOP:    NOP", 1, "'NOP' cannot name a symbol: it is an instruction or directive"},
        {"SUB     RETS", 1, "'SUB' cannot name a symbol: it is an instruction or directive"},
        {"X       NOP\nX       NOP", 2, "symbol 'X' is already defined at test.asm:1"},
        // Directives.
        {"        ORG LATER\nLATER   NOP", 1, "ORG needs a value defined above this line"},
        {"        ORG $10000", 1, "ORG address 65536 out of range 0 to $FFFF"},
        {"        FILL", 1, "FILL takes a count and an optional byte value"},
        {"        ALIGN 1,2,3", 1, "ALIGN takes a boundary and an optional byte value"},
        {"        FILL 70000", 1, "FILL count 70000 out of range 0 to 65536"},
        {"        ALIGN 0", 1, "ALIGN boundary 0 out of range 1 to 65536"},
        {"        FILL 2,256", 1, "value 256 does not fit in a byte"},
        {"        BYTE 300", 1, "value 300 does not fit in a byte"},
        {"        WORD 70000", 1, "value 70000 does not fit in 16 bits"},
        {"        ORG $FFFF\n        NOP\n        NOP", 3, "code runs past address $FFFF"},
        {"        ORG $FFFF\n        FILL 2", 2, "code runs past address $FFFF"},
        {"        BYTE", 1, "BYTE needs at least one value"},
        {"        TEXT", 1, "TEXT needs at least one string"},
        {"        BYTE 1,,2", 1, "empty item in BYTE"},
        {"        TEXT \"ab\"x", 1, "unexpected text after a string"},
        {"        TEXT 5", 1, "TEXT takes strings in double quotes; use BYTE for values"},
        {"        INCLUDE nofile", 1, "INCLUDE takes a file name in double quotes"},
        {"\n        INCLUDE \"missing.asm\"", 2, "cannot open 'missing.asm'"},
        {"        ORG $C000\n        BYTE 1\n        ORG $C000\n        BYTE 2", 4,
         "address $C000 is already written by test.asm:2"},
    };
    for (const ErrorCase &c : cases) {
        asm_result r = assemble(c.source);
        EXPECT_FALSE(r.ok) << c.source;
        EXPECT_TRUE(r.image.empty()) << c.source;
        EXPECT_TRUE(r.listing.empty()) << c.source;
        EXPECT_TRUE(has_error(r, c.line, c.message)) << c.source << "\ngave:\n" << errors_of(r);
    }
}

TEST_F(CoreTest, AsmErrorsAboutFilesAndImages)
{
    // A file that includes itself.
    write_file("test.asm", "        INCLUDE \"test.asm\"\n");
    asm_result r = asm7000_assemble_file("test.asm", {});
    EXPECT_TRUE(has_error(r, 1, "INCLUDE nested too deeply")) << errors_of(r);

    // One that includes itself many times over runs out of lines instead.
    std::string loop;
    for (int i = 0; i < 20; i++)
        loop += "        INCLUDE \"test.asm\"\n";
    write_file("test.asm", loop);
    r = asm7000_assemble_file("test.asm", {});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(errors_of(r).find("more than 250000 source lines"), std::string::npos) << errors_of(r);

    r = asm7000_assemble_file("nothing.asm", {});
    EXPECT_EQ(errors_of(r), "nothing.asm: cannot open 'nothing.asm': No such file or directory\n");

    // A byte outside the image names the line that wrote it.
    asm_options o;
    o.base = 0xC000;
    o.size = 4;
    r = assemble("        ORG $C000\n        BYTE 1,2,3,4,5\n", o);
    EXPECT_EQ(errors_of(r), "test.asm:2: address $C004 lies outside the image ($C000 to $C003)\n");
    EXPECT_TRUE(r.image.empty());

    o.base = 0xFFFF;
    o.size = 2;
    r = assemble("        NOP\n", o);
    EXPECT_EQ(errors_of(r), "test.asm: the image's base, size or fill is out of range\n");

    // Errors stop being collected after a hundred.
    std::string many;
    for (int i = 0; i < 150; i++)
        many += "        FOO\n";
    r = assemble(many);
    ASSERT_EQ(r.errors.size(), 101u);
    EXPECT_EQ(r.errors.back(), "test.asm:100: too many errors, giving up");
}

// Whatever the input, the assembler answers with either an image or errors
// that name the file and line; it never crashes (the suite also runs under
// the address and undefined-behaviour sanitizers).
TEST_F(CoreTest, AsmSurvivesGarbage)
{
    const char *words[] = {
        "MOV", "BTJZP", "DJNZ", "TRAP", "LDA", "BR", "MOVD", "ORG", "EQU", "BYTE", "WORD", "TEXT",
        "FILL", "ALIGN", "INCLUDE", "HIGH", "LOW", "A", "B", "ST", "R", "P", "*R", "#", "@#", "@",
        "$", "$+", "$-", ",", "(", ")", "(B)", "'", "\"", "\\", ";", ":", "+", "-", "*", "/", "&",
        "|", "<<", ">>", "~", "^", "0x", "0", "1", "127", "128", "255", "256", "65535", "FF",
        "F000", "99999999999999999999", "LABEL", "X", "\t", " ", "  ", "\n", "\r\n", ".",
    };
    std::mt19937 rng(12345);
    int passed = 0, failed = 0;
    auto check = [&](const std::string &source) {
        asm_result r = assemble(source);
        (r.ok ? passed : failed)++;
        EXPECT_EQ(r.ok, r.errors.empty());
        if (!r.ok) {
            EXPECT_TRUE(r.image.empty());
            for (const std::string &e : r.errors)
                EXPECT_EQ(e.compare(0, 9, "test.asm:"), 0) << e;
        }
    };
    for (int n = 0; n < 1500; n++) {
        std::string source;
        int tokens = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < tokens; i++) {
            if (rng() % 8 == 0)
                source += static_cast<char>(rng() & 0xFF);
            else
                source += words[rng() % (sizeof words / sizeof words[0])];
            if (rng() % 3 == 0)
                source += ' ';
        }
        check(source);
    }

    // Mutations of a valid program.
    const std::string program = "        ORG $F800\n"
                                "START   MOV #3F,A\n"
                                "LOOP:   DJNZ B,LOOP\n"
                                "        BTJZ #1,R4,$-4\n"
                                "        LDA @TABLE(B)\n"
                                "        MOVD #TABLE+2,R5\n"
                                "        CALL START\n"
                                "TABLE   BYTE 1,'x',\"text\",HIGH(START)\n"
                                "SIZE    EQU $-TABLE\n"
                                "        ALIGN 4,$FF\n"
                                "        WORD START\n";
    ASSERT_TRUE(assemble(program).ok);
    for (int n = 0; n < 1500; n++) {
        std::string source = program;
        int edits = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < edits; i++) {
            size_t at = rng() % source.size();
            switch (rng() % 3) {
            case 0: source[at] = static_cast<char>(rng() & 0xFF); break;
            case 1: source.erase(at, 1 + rng() % 4); break;
            default: {
                const std::string inserts = "#@$(),'\":;*R0F9 \n";
                source.insert(at, 1, inserts[rng() % inserts.size()]);
                break;
            }
            }
            if (source.empty())
                source.assign(1, ' ');
        }
        check(source);
    }
    // Both outcomes were explored.
    EXPECT_GT(passed, 20);
    EXPECT_GT(failed, 20);
}
