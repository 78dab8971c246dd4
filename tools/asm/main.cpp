// orvane-asm: assembles a TMS7000 source file into a raw binary image.
#include "asm7000.h"
#include "core/file_replace.h"
#include "core/symbols.h"
#include "orvane_version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char usage[] =
    "usage: orvane-asm [options] SOURCE\n"
    "  -o FILE              binary image (default: SOURCE with the extension .bin)\n"
    "  -l FILE              listing: address, bytes and source of every line\n"
    "  -M FILE              dependency file (make syntax) naming every source read\n"
    "  --symbols FILE       the labels and EQU values with their addresses, for the\n"
    "                       debugger (one ADDRESS NAME a line, docs/debugging.md)\n"
    "  --base ADDRESS       machine address of the image's first byte\n"
    "  --size BYTES         image size; a K suffix counts kilobytes (2K, 8K)\n"
    "  --fill BYTE          value of the bytes no line writes (default $FF)\n"
    "  --cartridge 8|16|32  a cartridge image of that many kilobytes, placed\n"
    "                       as the emulator loads it (at $6000, $4000 or $0000)\n"
    "  -h, --help           shows this text\n"
    "  --version            shows the program's version\n"
    "Numbers are decimal, or hexadecimal after $ or 0x.\n";

// Reads a command-line number: decimal, $hex or 0xhex, optional K suffix.
bool parse_number(const char *text, long *out)
{
    std::string s = text;
    long scale = 1;
    if (!s.empty() && (s.back() == 'K' || s.back() == 'k')) {
        scale = 1024;
        s.pop_back();
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s = s.substr(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s = s.substr(2);
    }
    if (s.empty() || s.size() > 8)
        return false;
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, base);
    if (*end != '\0' || v < 0)
        return false;
    *out = v * scale;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    asm_options options;
    std::string source, output, listing, depfile, symbols;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool has_value = i + 1 < argc;
        long v = 0;
        if (a == "-h" || a == "--help") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--version") {
            std::puts("orvane-asm " ORVANE_VERSION);
            return 0;
        } else if ((a == "-o" || a == "-l" || a == "-M" || a == "--symbols") && has_value) {
            std::string &target = a == "-o" ? output : a == "-l" ? listing : a == "-M" ? depfile : symbols;
            target = argv[++i];
        } else if ((a == "--base" || a == "--size" || a == "--fill" || a == "--cartridge") && has_value) {
            if (!parse_number(argv[++i], &v)) {
                std::fprintf(stderr, "orvane-asm: bad number '%s' for %s\n", argv[i], a.c_str());
                return 2;
            }
            if (a == "--base" && v <= 0xFFFF) {
                options.base = v;
            } else if (a == "--size" && v <= 0x10000) {
                options.size = v;
            } else if (a == "--fill" && v <= 0xFF) {
                options.fill = static_cast<int>(v);
            } else if (a == "--cartridge" && (v == 8 || v == 16 || v == 32)) {
                // An 8 or 16 KB image ends at $7FFF; of a 32 KB image the
                // first 512 bytes are never loaded (the register and
                // peripheral files answer there).
                options.size = v * 1024;
                options.base = 0x8000 - options.size;
            } else {
                std::fprintf(stderr, "orvane-asm: %s %s is out of range\n", a.c_str(), argv[i]);
                return 2;
            }
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "orvane-asm: unknown or incomplete option '%s'\n%s", a.c_str(), usage);
            return 2;
        } else if (source.empty()) {
            source = a;
        } else {
            std::fprintf(stderr, "orvane-asm: one source file only\n%s", usage);
            return 2;
        }
    }
    if (source.empty()) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (output.empty()) {
        size_t dot = source.rfind('.');
        size_t slash = source.rfind('/');
        output = (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? source.substr(0, dot)
                                                                                          : source) +
                 ".bin";
    }
    // Outputs must differ from the source and from each other.
    const std::pair<const char *, const std::string *> named[] = {
        {"-o", &output}, {"-l", &listing}, {"-M", &depfile}, {"--symbols", &symbols}};
    for (size_t i = 0; i < 4; i++) {
        const std::string &path = *named[i].second;
        if (path.empty())
            continue;
        if (orv_same_file(path, source)) {
            std::fprintf(stderr, "orvane-asm: the output '%s' (%s) would replace the source; name another\n",
                         path.c_str(), named[i].first);
            return 2;
        }
        for (size_t j = 0; j < i; j++)
            if (!named[j].second->empty() && orv_same_file(path, *named[j].second)) {
                std::fprintf(stderr, "orvane-asm: %s and %s name the same file '%s'\n", named[j].first,
                             named[i].first, path.c_str());
                return 2;
            }
    }
    if (options.base >= 0 && options.size >= 0 && options.base + options.size > 0x10000) {
        std::fprintf(stderr, "orvane-asm: an image of %ld bytes at $%04lX would pass $FFFF\n", options.size,
                     options.base);
        return 2;
    }

    asm_result r = asm7000_assemble_file(source, options);
    for (const std::string &w : r.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());
    for (const std::string &e : r.errors)
        std::fprintf(stderr, "%s\n", e.c_str());
    if (!r.ok) {
        std::fprintf(stderr, "orvane-asm: %zu error%s, no output written\n", r.errors.size(),
                     r.errors.size() == 1 ? "" : "s");
        return 1;
    }

    // No output may replace a source file read.
    for (const std::string &path : {output, listing, depfile, symbols})
        for (const std::string &read : r.files)
            if (!path.empty() && orv_same_file(path, read)) {
                std::fprintf(stderr, "orvane-asm: the output '%s' is the source file '%s'; no output written\n",
                             path.c_str(), read.c_str());
                return 1;
            }

    std::string deps = asm7000_depfile(output, r);
    // Labels are addresses; an EQU value is written when it can be one.
    std::vector<orv_symbol> named_addresses;
    for (const auto &[name, value] : r.symbols)
        if (value >= 0 && value <= 0xFFFF)
            named_addresses.push_back({static_cast<uint16_t>(value), name, r.labels.count(name) != 0});
    std::string symbol_text = orv_symbols_text(named_addresses);
    struct {
        const std::string &path;
        const void *data;
        size_t size;
    } outputs[] = {
        {output, r.image.data(), r.image.size()},
        {listing, r.listing.data(), r.listing.size()},
        {depfile, deps.data(), deps.size()},
        {symbols, symbol_text.data(), symbol_text.size()},
    };
    // Every output is written aside first (core/file_replace.h); only when
    // all are complete do they take their places, so a failure replaces
    // nothing.
    orv_output files[4];
    bool ok = true;
    for (size_t i = 0; i < 4 && ok; i++) {
        const auto &o = outputs[i];
        if (o.path.empty())
            continue;
        std::string why = orv_output_begin(files[i], o.path);
        if (why.empty() && !orv_output_write(files[i], o.data, o.size))
            why = std::strerror(files[i].error);
        if (!why.empty()) {
            std::fprintf(stderr, "orvane-asm: cannot write '%s': %s\n", o.path.c_str(), why.c_str());
            ok = false;
        }
    }
    // Devices and FIFOs first: writing into them is what may still fail.
    for (bool into : {true, false})
        for (orv_output &f : files) {
            if (!f.f || f.into != into)
                continue;
            std::string why = ok ? orv_output_commit(f) : "";
            if (!why.empty()) {
                std::fprintf(stderr, "orvane-asm: cannot write '%s': %s\n", f.path.c_str(), why.c_str());
                ok = false;
            }
            orv_output_discard(f);
        }
    if (!ok)
        std::fprintf(stderr, "orvane-asm: no output written\n");
    return ok ? 0 : 1;
}
