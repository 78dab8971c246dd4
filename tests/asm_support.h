// Helpers for the assembler tests.
#pragma once

#include "tools/asm/asm7000.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// Assembles source text under the name "test.asm" (INCLUDE names are then
// relative to the current directory, the test's own).
inline asm_result assemble(const std::string &source, const asm_options &options = {})
{
    return asm7000_assemble_text("test.asm", source, options);
}

inline std::string errors_of(const asm_result &r)
{
    std::string all;
    for (const std::string &e : r.errors)
        all += e + "\n";
    return all;
}

inline std::string hex_bytes(const std::vector<uint8_t> &bytes)
{
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X ", v);
        s += b;
    }
    return s;
}

// Checks that a source assembles to exactly these bytes.
inline ::testing::AssertionResult assembles_to(const std::string &source, const std::vector<uint8_t> &want,
                                               const asm_options &options = {})
{
    asm_result r = assemble(source, options);
    if (!r.ok)
        return ::testing::AssertionFailure() << "errors:\n" << errors_of(r);
    if (r.image != want)
        return ::testing::AssertionFailure() << "got  " << hex_bytes(r.image) << "\nwant " << hex_bytes(want);
    return ::testing::AssertionSuccess();
}
