// A two-pass TMS7000 assembler whose instruction syntax is the
// disassembler's own: every line Dasm7000 prints assembles back to the same
// bytes. See docs/assembler.md for the language.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct asm_options {
    long base = -1;  // first address of the image; -1: the lowest address written
    long size = -1;  // image size in bytes; -1: up to the highest address written
    int fill = 0xFF; // value of the bytes no line writes
};

struct asm_result {
    bool ok = false;
    std::vector<std::string> errors;  // "file:line: message", first found first
    std::vector<std::string> warnings;  // "file:line: warning: message"; do not stop the image
    std::vector<uint8_t> image;       // the raw image, empty on error
    unsigned base = 0;                // machine address of image[0]
    std::string listing;              // address, bytes and source of every line
    std::vector<std::string> files;   // every source file read, the main one first
    std::map<std::string, int64_t> symbols;  // labels and EQU values (upper case)
    std::set<std::string> labels;            // which of them are labels
};

// Assembles a source file; INCLUDE names are relative to the including file.
asm_result asm7000_assemble_file(const std::string &path, const asm_options &options);

// Assembles source text; `name` stands for its file name in messages and
// for the directory INCLUDE names are relative to.
asm_result asm7000_assemble_text(const std::string &name, const std::string &text,
                                 const asm_options &options);

// A make-style dependency line: `target` depends on every file read.
std::string asm7000_depfile(const std::string &target, const asm_result &result);
