#include "asm7000.h"

#include "asm_expr.h"
#include "asm_insn.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr size_t MAX_ERRORS = 100;
constexpr int MAX_INCLUDE_DEPTH = 16;
constexpr long MAX_LINES = 250000;        // source lines per pass, includes counted
constexpr long MAX_FILE_SIZE = 16L << 20;
constexpr int64_t ADDRESS_SPACE = 0x10000;

const char *const directives[] = {"ORG", "EQU", "BYTE", "WORD", "TEXT", "FILL", "ALIGN", "INCLUDE"};

bool is_directive(const std::string &w)
{
    for (const char *d : directives)
        if (w == d)
            return true;
    return false;
}

bool is_keyword(const std::string &w) { return is_directive(w) || asm_is_mnemonic(w); }

std::string hex4(int64_t v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(v & 0xFFFF));
    return b;
}

std::string directory_of(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Lines end at "\n"; a "\r" before it goes too.
std::vector<std::string> split_lines(const std::string &content)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        lines.push_back(content.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r')
            lines.back().pop_back();
        start = end + 1;
    }
    return lines;
}

struct symbol {
    int64_t value = 0;
    bool known = false;
    bool label = false;  // a label (an address of the program), not an EQU value
    std::string where;  // file:line of the definition
};

struct pending_equ {
    std::string name;
    std::string expr;
    int64_t here;
};

struct source_file {
    bool ok = false;
    std::string message;
    std::vector<std::string> lines;
};

class assembler {
public:
    explicit assembler(const asm_options &options)
        : opt(options), mem(ADDRESS_SPACE), origin(ADDRESS_SPACE, -1)
    {
    }

    asm_result run(const std::string &main_path, const std::string *main_text);

private:
    asm_options opt;
    asm_result res;
    std::map<std::string, symbol> symbols;
    std::vector<pending_equ> pending;
    std::map<std::string, source_file> cache;
    std::set<std::string> reported;
    std::vector<uint8_t> mem;
    std::vector<int> origin;            // index into `places` of the line that wrote each byte
    std::vector<std::string> places;    // "file:line" of lines that wrote bytes
    asm_lookup lookup;
    int pass = 1;
    int64_t pc = 0;
    long lines_done = 0;
    bool stop = false;
    int depth = 0;

    // The line being assembled.
    std::string file;
    int line_no = 0;
    int64_t line_start = 0;
    std::vector<uint8_t> line_bytes;
    bool line_overflow = false;
    bool line_addressed = false;  // the listing shows an address
    bool line_listed = false;
    std::string line_raw;
    std::string list_value;

    void error(const std::string &message) { error_at(file + ":" + std::to_string(line_no), message); }

    void error_at(const std::string &where, const std::string &message)
    {
        if (stop)
            return;
        std::string text = where + ": " + message;
        if (!reported.insert(text).second)
            return;
        res.errors.push_back(text);
        if (res.errors.size() >= MAX_ERRORS) {
            res.errors.push_back(where + ": too many errors, giving up");
            stop = true;
        }
    }

    asm_eval context(asm_radix radix = ASM_DEC) const
    {
        asm_eval c;
        c.radix = radix;
        c.here = line_start;
        c.strict = pass == 2;
        c.lookup = &lookup;
        return c;
    }

    // Evaluates and reports; false on any error or, when `need_known`, on
    // a value the first pass cannot know yet.
    bool value(const std::string &text, int64_t *out, bool need_known, const char *what)
    {
        asm_value v;
        std::string message;
        asm_status s = asm_evaluate(text, context(), &v, &message);
        if (s != ASM_OK) {
            error(message);
            return false;
        }
        if (!v.known) {
            if (need_known) {
                error(std::string(what) + " needs a value defined above this line");
                return false;
            }
            v.v = 0;
        }
        *out = v.v;
        return true;
    }

    const source_file &load(const std::string &path);
    void assemble_file(const std::string &path, const std::string *text);
    void assemble_line(const std::string &raw);
    bool prepare(const std::string &raw, std::string *text);
    void statement(const std::string &label, const std::string &mnemonic, const std::string &rest);
    void define(const std::string &name, int64_t v, bool known, bool label = false);
    bool name_ok(const std::string &name);
    void equ(const std::string &name, const std::string &expr);
    void data(const std::string &directive, const std::string &rest);
    void include(const std::string &rest);
    void emit(uint8_t b);
    void resolve_pending();
    void list_line();
    void build_image();
};

const source_file &assembler::load(const std::string &path)
{
    auto found = cache.find(path);
    if (found != cache.end())
        return found->second;
    source_file &f = cache[path];
    FILE *in = std::fopen(path.c_str(), "rb");
    if (!in) {
        f.message = "cannot open '" + path + "': " + std::strerror(errno);
        return f;
    }
    std::string content;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        content.append(buffer, n);
        if (static_cast<long>(content.size()) > MAX_FILE_SIZE)
            break;
    }
    bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        f.message = "cannot read '" + path + "': " + std::strerror(errno);
        return f;
    }
    if (static_cast<long>(content.size()) > MAX_FILE_SIZE) {
        f.message = "'" + path + "' is too large for a source file";
        return f;
    }
    f.lines = split_lines(content);
    f.ok = true;
    res.files.push_back(path);
    return f;
}

void assembler::assemble_file(const std::string &path, const std::string *text)
{
    std::vector<std::string> text_lines;
    const std::vector<std::string> *lines = &text_lines;
    if (text) {
        text_lines = split_lines(*text);
    } else {
        const source_file &f = load(path);
        if (!f.ok) {
            if (depth == 0)
                error_at(path, f.message);
            else
                error(f.message);
            return;
        }
        lines = &f.lines;
    }

    std::string saved_file = file;
    int saved_line = line_no;
    depth++;
    for (size_t i = 0; i < lines->size() && !stop; i++) {
        if (++lines_done > MAX_LINES) {
            error_at(path + ":" + std::to_string(i + 1),
                     "more than " + std::to_string(MAX_LINES) +
                         " source lines, included files counted each time (does a file include itself?)");
            stop = true;
            break;
        }
        file = path;
        line_no = static_cast<int>(i + 1);
        assemble_line((*lines)[i]);
    }
    depth--;
    file = saved_file;
    line_no = saved_line;
}

// Removes the comment and puts everything outside quotes in upper case;
// rejects bytes that have no place in source text.
bool assembler::prepare(const std::string &raw, std::string *text)
{
    char quote = 0;
    for (size_t i = 0; i < raw.size(); i++) {
        char c = raw[i];
        if (quote) {
            text->push_back(c);
            if (c == '\\' && i + 1 < raw.size())
                text->push_back(raw[++i]);
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == ';')
            break;
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '\t') {
            c = ' ';
        } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            char b[64];
            std::snprintf(b, sizeof b, "unexpected character (byte 0x%02X)", static_cast<unsigned char>(c));
            error(b);
            return false;
        }
        text->push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (quote) {
        error(quote == '"' ? "unterminated string" : "unterminated character constant");
        return false;
    }
    return true;
}

void assembler::assemble_line(const std::string &raw)
{
    line_start = pc;
    line_bytes.clear();
    line_overflow = false;
    line_addressed = false;
    line_listed = false;
    line_raw = raw;
    list_value.clear();

    std::string t;
    if (!prepare(raw, &t)) {
        list_line();
        return;
    }

    // A label is a word followed by a colon, or a word in the first column
    // that is no instruction or directive; "NAME EQU value" names a value
    // wherever NAME stands.
    size_t p = 0;
    std::string label;
    bool first_column = !t.empty() && t[0] != ' ';
    while (p < t.size() && t[p] == ' ')
        p++;
    if (p < t.size() && asm_ident_start(t[p])) {
        size_t q = p;
        while (q < t.size() && asm_ident_char(t[q]))
            q++;
        std::string w = t.substr(p, q - p);
        size_t r = q;
        while (r < t.size() && t[r] == ' ')
            r++;
        size_t r2 = r;
        while (r2 < t.size() && asm_ident_char(t[r2]))
            r2++;
        std::string next = t.substr(r, r2 - r);
        if (q < t.size() && t[q] == ':') {
            label = w;
            p = q + 1;
        } else if (first_column && is_keyword(w) && is_keyword(next)) {
            error("'" + w + "' cannot name a symbol: it is an instruction or directive");
            list_line();
            return;
        } else if ((first_column && !is_keyword(w)) || next == "EQU") {
            label = w;
            p = q;
        }
    }
    while (p < t.size() && t[p] == ' ')
        p++;
    line_addressed = !label.empty() || p < t.size();

    if (p >= t.size()) {
        if (!label.empty())
            define(label, pc, true, true);
        list_line();
        return;
    }
    if (!asm_ident_start(t[p])) {
        error("expected a label, an instruction or a directive");
        list_line();
        return;
    }
    size_t q = p;
    while (q < t.size() && asm_ident_char(t[q]))
        q++;
    statement(label, t.substr(p, q - p), t.substr(q));
    list_line();
}

void assembler::statement(const std::string &label, const std::string &mnemonic, const std::string &rest)
{
    if (mnemonic == "EQU") {
        if (label.empty())
            error("EQU needs a name: NAME EQU value");
        else
            equ(label, asm_trim(rest));
        return;
    }
    if (mnemonic == "ORG") {
        // A label on an ORG line names the new address.
        int64_t v;
        if (value(rest, &v, true, "ORG")) {
            if (v >= 0 && v <= 0xFFFF) {
                pc = v;
                line_start = pc;
            } else {
                error("ORG address " + std::to_string(v) + " out of range 0 to $FFFF");
            }
        }
        if (!label.empty())
            define(label, pc, true, true);
        return;
    }
    if (!label.empty())
        define(label, pc, true, true);

    if (mnemonic == "BYTE" || mnemonic == "WORD" || mnemonic == "TEXT" || mnemonic == "FILL" ||
        mnemonic == "ALIGN") {
        data(mnemonic, rest);
        return;
    }
    if (mnemonic == "INCLUDE") {
        include(rest);
        return;
    }

    asm_encoded e = asm_encode(mnemonic, rest, context());
    if (e.status == ASM_SYNTAX_ERROR) {
        error(e.message);
        return;
    }
    if (e.status == ASM_VALUE_ERROR)
        error(e.message);
    // The disassembler names B7 and C7, but this processor runs them as
    // undefined opcodes: they assemble, for the round trip, with a warning.
    if (pass == 2 && e.bytes.size() == 1 && (e.bytes[0] == 0xB7 || e.bytes[0] == 0xC7))
        res.warnings.push_back(file + ":" + std::to_string(line_no) + ": warning: " +
                               (e.bytes[0] == 0xB7 ? "SWAP A (B7)" : "SWAP B (C7)") +
                               " is an undefined opcode on this processor: it does not swap");
    for (uint8_t b : e.bytes)
        emit(b);
}

bool assembler::name_ok(const std::string &name)
{
    std::string why;
    bool reg = name.size() > 1 && (name[0] == 'R' || name[0] == 'P');
    for (size_t i = 1; reg && i < name.size(); i++)
        reg = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (reg || name == "A" || name == "B" || name == "ST")
        why = "it reads as a register";
    else if (name == "HIGH" || name == "LOW")
        why = "it is an operator";
    else if (is_keyword(name))
        why = "it is an instruction or directive";
    if (why.empty())
        return true;
    error("'" + name + "' cannot name a symbol: " + why);
    return false;
}

void assembler::define(const std::string &name, int64_t v, bool known, bool label)
{
    if (pass != 1)
        return;
    if (!name_ok(name))
        return;
    auto found = symbols.find(name);
    if (found != symbols.end()) {
        error("symbol '" + name + "' is already defined at " + found->second.where);
        return;
    }
    symbol &s = symbols[name];
    s.value = v;
    s.known = known;
    s.label = label;
    s.where = file + ":" + std::to_string(line_no);
}

void assembler::equ(const std::string &name, const std::string &expr)
{
    asm_value v;
    std::string message;
    asm_status s = asm_evaluate(expr, context(), &v, &message);
    if (s != ASM_OK) {
        error(message);
        v = {0, false};
    }
    if (pass == 1) {
        bool had = symbols.count(name) != 0;
        define(name, v.v, s == ASM_OK && v.known);
        if (!had && symbols.count(name) && s == ASM_OK && !v.known)
            pending.push_back({name, expr, line_start});
        return;
    }
    auto found = symbols.find(name);
    if (found != symbols.end() && found->second.known) {
        int64_t x = found->second.value;
        list_value = x < 0 ? "-" + hex4(-x) : hex4(x);
        list_value = "=" + list_value;
    }
}

// EQUs that name later symbols get their values once the first pass has
// defined every label; chains resolve in any order.
void assembler::resolve_pending()
{
    bool progress = true;
    while (progress) {
        progress = false;
        for (const pending_equ &p : pending) {
            symbol &s = symbols[p.name];
            if (s.known)
                continue;
            asm_eval c;
            c.here = p.here;
            c.lookup = &lookup;
            asm_value v;
            std::string message;
            if (asm_evaluate(p.expr, c, &v, &message) == ASM_OK && v.known) {
                s.value = v.v;
                s.known = true;
                progress = true;
            }
        }
    }
}

void assembler::data(const std::string &directive, const std::string &rest)
{
    std::vector<std::string> items = asm_split_operands(rest);
    if (directive == "FILL" || directive == "ALIGN") {
        if (items.empty() || items.size() > 2) {
            error(directive + " takes a " + (directive == "FILL" ? "count" : "boundary") +
                  " and an optional byte value");
            return;
        }
        int64_t n;
        if (!value(items[0], &n, true, directive.c_str()))
            return;
        if (directive == "FILL" && (n < 0 || n > ADDRESS_SPACE)) {
            error("FILL count " + std::to_string(n) + " out of range 0 to 65536");
            return;
        }
        if (directive == "ALIGN") {
            if (n < 1 || n > ADDRESS_SPACE) {
                error("ALIGN boundary " + std::to_string(n) + " out of range 1 to 65536");
                return;
            }
            n = (n - pc % n) % n;
        }
        if (items.size() == 1) {
            // No value: the space is skipped and keeps the image's fill.
            pc += n;
            if (pc > ADDRESS_SPACE) {
                error("code runs past address $FFFF");
                pc = ADDRESS_SPACE;
            }
            return;
        }
        int64_t v;
        if (!value(items[1], &v, false, directive.c_str()))
            return;
        if (v < -128 || v > 255) {
            error("value " + std::to_string(v) + " does not fit in a byte");
            return;
        }
        for (int64_t i = 0; i < n && !line_overflow; i++)
            emit(static_cast<uint8_t>(v & 0xFF));
        return;
    }

    if (items.empty()) {
        error(directive + " needs at least one " + (directive == "TEXT" ? "string" : "value"));
        return;
    }
    for (const std::string &item : items) {
        if (item.empty()) {
            error("empty item in " + directive);
            return;
        }
        if (item[0] == '"' && directive != "WORD") {
            std::string bytes, message;
            size_t pos = 1;
            if (!asm_unquote(item, &pos, '"', &bytes, &message)) {
                error(message);
                return;
            }
            if (pos != item.size()) {
                error("unexpected text after a string");
                return;
            }
            for (char c : bytes)
                emit(static_cast<uint8_t>(c));
            continue;
        }
        if (directive == "TEXT") {
            error("TEXT takes strings in double quotes; use BYTE for values");
            return;
        }
        int64_t v;
        if (!value(item, &v, false, directive.c_str()))
            return;
        if (directive == "BYTE") {
            if (v < -128 || v > 255) {
                error("value " + std::to_string(v) + " does not fit in a byte");
                return;
            }
            emit(static_cast<uint8_t>(v & 0xFF));
        } else {
            if (v < -32768 || v > 65535) {
                error("value " + std::to_string(v) + " does not fit in 16 bits");
                return;
            }
            emit(static_cast<uint8_t>((v >> 8) & 0xFF));  // big-endian, as the processor reads words
            emit(static_cast<uint8_t>(v & 0xFF));
        }
    }
}

void assembler::include(const std::string &rest)
{
    std::string arg = asm_trim(rest);
    std::string name, message;
    size_t pos = 1;
    if (arg.empty() || arg[0] != '"' || !asm_unquote(arg, &pos, '"', &name, &message) ||
        pos != arg.size() || name.empty()) {
        error("INCLUDE takes a file name in double quotes");
        return;
    }
    if (depth > MAX_INCLUDE_DEPTH) {
        error("INCLUDE nested too deeply (does a file include itself?)");
        return;
    }
    std::string path = name[0] == '/' ? name : directory_of(file) + name;
    line_addressed = false;
    list_line();  // the INCLUDE line comes before the lines it brings in
    assemble_file(path, nullptr);
    line_listed = true;
}

void assembler::emit(uint8_t b)
{
    if (pc >= ADDRESS_SPACE) {
        if (!line_overflow)
            error("code runs past address $FFFF");
        line_overflow = true;
        return;
    }
    if (pass == 2) {
        line_bytes.push_back(b);
        if (origin[pc] >= 0) {
            if (!line_overflow)
                error("address $" + hex4(pc) + " is already written by " + places[origin[pc]]);
            line_overflow = true;
        } else {
            if (places.empty() || places.back() != file + ":" + std::to_string(line_no))
                places.push_back(file + ":" + std::to_string(line_no));
            origin[pc] = static_cast<int>(places.size() - 1);
            mem[pc] = b;
        }
    }
    pc++;
}

void assembler::list_line()
{
    if (pass != 2 || line_listed)
        return;
    line_listed = true;
    char head[32];
    size_t shown = std::min<size_t>(line_bytes.size(), 4);
    std::string bytes;
    for (size_t i = 0; i < shown; i++) {
        std::snprintf(head, sizeof head, "%02X ", line_bytes[i]);
        bytes += head;
    }
    if (!list_value.empty())
        bytes = list_value;
    bool addressed = line_addressed && list_value.empty();
    std::snprintf(head, sizeof head, "%-4s  %-12s ", addressed ? hex4(line_start).c_str() : "",
                  bytes.c_str());
    res.listing += head + line_raw + "\n";
    for (size_t i = 4; i < line_bytes.size(); i += 4) {
        std::string more = hex4(line_start + static_cast<int64_t>(i)) + "  ";
        for (size_t j = i; j < i + 4 && j < line_bytes.size(); j++) {
            std::snprintf(head, sizeof head, "%02X ", line_bytes[j]);
            more += head;
        }
        while (!more.empty() && more.back() == ' ')
            more.pop_back();
        res.listing += more + "\n";
    }
}

void assembler::build_image()
{
    int64_t low = -1, high = -1;
    for (int64_t a = 0; a < ADDRESS_SPACE; a++) {
        if (origin[a] < 0)
            continue;
        if (low < 0)
            low = a;
        high = a;
    }
    int64_t base = opt.base >= 0 ? opt.base : (low >= 0 ? low : 0);
    int64_t size = opt.size >= 0 ? opt.size : (high >= base ? high - base + 1 : 0);
    // A size given without a base is placed at the lowest address written,
    // which may leave too little room below $FFFF.
    if (base + size > ADDRESS_SPACE) {
        res.errors.push_back(file + ": an image of " + std::to_string(size) + " bytes at $" + hex4(base) +
                             " would pass $FFFF");
        return;
    }
    if (size == 0) {
        res.errors.push_back(file + ": no line writes a byte, so the image would be empty "
                                    "(--size gives an image of fill bytes)");
        return;
    }
    for (int64_t a = 0; a < ADDRESS_SPACE; a++) {
        if (origin[a] >= 0 && (a < base || a >= base + size)) {
            error_at(places[origin[a]], "address $" + hex4(a) + " lies outside the image ($" + hex4(base) +
                                            " to $" + hex4(base + size - 1) + ")");
            return;
        }
    }
    res.base = static_cast<unsigned>(base);
    res.image.assign(static_cast<size_t>(size), static_cast<uint8_t>(opt.fill));
    for (int64_t i = 0; i < size; i++)
        if (origin[base + i] >= 0)
            res.image[i] = mem[base + i];
}

asm_result assembler::run(const std::string &main_path, const std::string *main_text)
{
    lookup = [this](const std::string &name, asm_value *v) {
        auto found = symbols.find(name);
        if (found == symbols.end())
            return false;
        v->v = found->second.value;
        v->known = found->second.known;
        return true;
    };
    if (opt.base < -1 || opt.base > 0xFFFF || opt.size < -1 || opt.size > ADDRESS_SPACE ||
        opt.fill < 0 || opt.fill > 255 ||
        (opt.base >= 0 && opt.size >= 0 && opt.base + opt.size > ADDRESS_SPACE)) {
        res.errors.push_back(main_path + ": the image's base, size or fill is out of range");
        return res;
    }

    for (pass = 1; pass <= 2 && !stop; pass++) {
        pc = 0;
        lines_done = 0;
        file = main_path;
        line_no = 0;
        assemble_file(main_path, main_text);
        // Errors of the first pass leave the layout in doubt: stop there.
        if (!res.errors.empty())
            break;
        if (pass == 1)
            resolve_pending();
    }
    if (res.errors.empty())
        build_image();
    for (const auto &[name, s] : symbols)
        if (s.known) {
            res.symbols[name] = s.value;
            if (s.label)
                res.labels.insert(name);
        }
    res.ok = res.errors.empty();
    if (!res.ok) {
        res.image.clear();
        res.listing.clear();
    }
    return res;
}

} // namespace

asm_result asm7000_assemble_file(const std::string &path, const asm_options &options)
{
    assembler a(options);
    return a.run(path, nullptr);
}

asm_result asm7000_assemble_text(const std::string &name, const std::string &text,
                                 const asm_options &options)
{
    assembler a(options);
    return a.run(name, &text);
}

std::string asm7000_depfile(const std::string &target, const asm_result &result)
{
    auto escape = [](const std::string &path) {
        std::string out;
        for (char c : path) {
            if (c == ' ' || c == '#' || c == '\\')
                out += '\\';
            if (c == '$')
                out += '$';
            out += c;
        }
        return out;
    };
    std::string line = escape(target) + ":";
    for (const std::string &f : result.files) {
        line += ' ';
        line += escape(f);
    }
    return line + "\n";
}
