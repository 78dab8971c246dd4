#include "test_support.h"

#include "asm_support.h"
#include "core/dasm7000.h"
#include "core/memory.h"

#include <cctype>
#include <cstring>
#include <random>

// Every line the disassembler prints assembles back to the bytes it was
// printed from: each opcode with a row, with operand bytes at the edges of
// their ranges and at random. Lines go in column 1 or indented, some in
// lower case.
TEST_F(CoreTest, AsmRoundTripOverEveryOpcode)
{
    struct printed {
        std::vector<uint8_t> bytes;
        std::string text;
    };
    std::vector<printed> all;
    std::mt19937 rng(7000);
    const uint8_t edges[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    for (int op = 0; op < 256; op++) {
        if (std::strcmp(get_opcode(static_cast<unsigned char>(op)), "ILLEGAL") == 0)
            continue;
        for (int k = 0; k < 48; k++) {
            uint8_t b[4] = {static_cast<uint8_t>(op)};
            for (int i = 1; i < 4; i++)
                b[i] = k < 6 ? edges[(k + i) % 6] : static_cast<uint8_t>(rng());
            std::memcpy(&ram_2k[0x100], b, 4);
            char line[64];
            int length = Dasm7000(line, 0xC100);
            ASSERT_LT(std::strlen(line), 40u);
            all.push_back({std::vector<uint8_t>(b, b + length), line});
        }
    }

    std::string source;
    for (size_t i = 0; i < all.size(); i++) {
        std::string text = all[i].text;
        if (i % 3 == 1)
            for (char &c : text)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        source += (i % 2 ? "        " : "") + text + "\n";
    }
    asm_result r = assemble(source);
    ASSERT_TRUE(r.ok) << errors_of(r);

    size_t at = 0;
    for (const printed &p : all) {
        ASSERT_LE(at + p.bytes.size(), r.image.size());
        std::vector<uint8_t> got(r.image.begin() + at, r.image.begin() + at + p.bytes.size());
        EXPECT_EQ(hex_bytes(got), hex_bytes(p.bytes)) << p.text;
        at += p.bytes.size();
    }
    EXPECT_EQ(at, r.image.size());
}
