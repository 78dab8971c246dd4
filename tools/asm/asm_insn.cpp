#include "asm_insn.h"

#include "core/dasm7000.h"

#include <cstring>

namespace {

// Names a TMS7000 programmer writes that the disassembler never prints.
// (TSTA needs no entry: it has a row of its own, after CLRC.)
const struct {
    const char *alias;
    const char *name;
} synonyms[] = {
    {"JC", "JHS"}, {"JZ", "JEQ"}, {"JNE", "JNZ"}, {"JPZ", "JPI"}, {"JNC", "JL"},
};

// One printf conversion of an operand format, as the assembler reads it.
struct field {
    int kind;         // dasm_kind of the piece holding it
    asm_radix radix;  // %X reads hexadecimal, %u and %s decimal
};

// An operand as the row prints it: literal text, or prefix, value, suffix.
struct operand_template {
    std::string prefix;
    std::string suffix;
    int field = -1;  // index into fields; -1 for a literal operand
};

struct form {
    int opcode;
    std::string mnemonic;  // first word of the row's name
    std::vector<operand_template> operands;
    std::vector<field> fields;
    int length;
};

std::vector<std::string> split_plain(const std::string &text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); i++) {
        if (i == text.size() || text[i] == ',') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// The text a row prints, with its conversions left in: "BTJZ #%X,R%u,%s".
form make_form(const dasm_opcode &row)
{
    form f;
    f.opcode = row.opcode;
    f.length = 1 + dasm_format_bytes(row.format);
    std::string text = row.name;
    const dasm_format &fmt = of[row.format];
    for (int k = 0; k < 4 && fmt.kind[k] != DASM_END; k++) {
        text += fmt.piece[k];
        if (fmt.kind[k] != DASM_TEXT && fmt.kind[k] != DASM_TRAP)
            f.fields.push_back({fmt.kind[k], std::strchr(fmt.piece[k], 'X') ? ASM_HEX : ASM_DEC});
    }
    size_t blank = text.find(' ');
    f.mnemonic = text.substr(0, blank);
    if (blank == std::string::npos)
        return f;

    int next_field = 0;
    for (const std::string &part : split_plain(text.substr(blank + 1))) {
        operand_template t;
        size_t percent = part.find('%');
        if (percent == std::string::npos) {
            t.prefix = part;
        } else {
            size_t end = percent + 1;
            while (end < part.size() && !std::strchr("uXds", part[end]))
                end++;
            t.prefix = part.substr(0, percent);
            t.suffix = part.substr(end + 1);
            t.field = next_field++;
        }
        f.operands.push_back(t);
    }
    return f;
}

const std::vector<form> &forms()
{
    static const std::vector<form> all = [] {
        std::vector<form> v;
        for (const dasm_opcode &row : opcodes)
            v.push_back(make_form(row));
        return v;
    }();
    return all;
}

std::string strip_blanks(const std::string &text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t')
            out += c;
    return out;
}

// Matches `lit` at the start of `s` from `*pos`, blanks in `s` ignored.
// The address marker "@#" may be written "@" alone.
bool match_prefix(const std::string &s, size_t *pos, const std::string &lit)
{
    size_t p = *pos;
    for (size_t i = 0; i < lit.size(); i++) {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t'))
            p++;
        if (lit[i] == '#' && i > 0 && lit[i - 1] == '@' && (p >= s.size() || s[p] != '#'))
            continue;
        if (p >= s.size() || s[p] != lit[i])
            return false;
        p++;
    }
    *pos = p;
    return true;
}

// Matches `lit` at the end of `s` before `*end`, blanks ignored.
bool match_suffix(const std::string &s, size_t *end, const std::string &lit)
{
    size_t e = *end;
    for (size_t i = lit.size(); i-- > 0;) {
        while (e > 0 && (s[e - 1] == ' ' || s[e - 1] == '\t'))
            e--;
        if (e == 0 || s[e - 1] != lit[i])
            return false;
        e--;
    }
    *end = e;
    return true;
}

// "$", "$+n", "$-n" with n decimal: the disassembler's displacement text.
bool relative_text(const std::string &text, int64_t *displacement)
{
    std::string t = strip_blanks(text);
    if (t == "$") {
        *displacement = 0;
        return true;
    }
    if (t.size() < 3 || t.size() > 12 || t[0] != '$' || (t[1] != '+' && t[1] != '-'))
        return false;
    int64_t n = 0;
    for (size_t i = 2; i < t.size(); i++) {
        if (t[i] < '0' || t[i] > '9')
            return false;
        n = n * 10 + (t[i] - '0');
    }
    *displacement = t[1] == '-' ? -n : n;
    return true;
}

struct attempt {
    asm_status status = ASM_OK;
    std::string message;
    std::vector<uint8_t> bytes;

    void note(asm_status s, const std::string &m)
    {
        if (s > status) {
            status = s;
            message = m;
        }
    }
};

void encode_field(const field &fd, const std::string &text, const asm_eval &base, int length,
                  attempt *a)
{
    asm_eval ctx = base;
    ctx.radix = fd.radix;
    std::string expr = text;
    int64_t d = 0;
    if (fd.kind == DASM_REL && relative_text(expr, &d)) {
        if (d < -128 || d > 127)
            a->note(ASM_VALUE_ERROR, "displacement " + std::to_string(d) + " out of range -128 to 127");
        a->bytes.push_back(static_cast<uint8_t>(d & 0xFF));
        return;
    }
    if (fd.kind == DASM_ABS) {
        // BR and CALL print a direct address as $F000; @#F000 is read too.
        size_t p = 0;
        if (match_prefix(expr, &p, "@#")) {
            expr = expr.substr(p);
            ctx.radix = ASM_HEX;
        }
    }

    asm_value v;
    std::string m;
    asm_status s = asm_evaluate(expr, ctx, &v, &m);
    if (s != ASM_OK) {
        a->note(s, m);
        v = {0, false};
    }
    bool check = v.known;
    int64_t x = v.v;
    switch (fd.kind) {
    case DASM_U8:
    case DASM_S8:
        if (check && fd.radix == ASM_DEC && (x < 0 || x > 255))
            a->note(ASM_VALUE_ERROR, "register number " + std::to_string(x) + " out of range 0 to 255");
        else if (check && (x < -128 || x > 255))
            a->note(ASM_VALUE_ERROR, "value " + std::to_string(x) + " does not fit in a byte");
        a->bytes.push_back(static_cast<uint8_t>(x & 0xFF));
        break;
    case DASM_U16:
    case DASM_S16:
    case DASM_ABS:
        if (check && (x < -32768 || x > 65535))
            a->note(ASM_VALUE_ERROR, "value " + std::to_string(x) + " does not fit in 16 bits");
        a->bytes.push_back(static_cast<uint8_t>((x >> 8) & 0xFF));
        a->bytes.push_back(static_cast<uint8_t>(x & 0xFF));
        break;
    case DASM_REL: {
        // The displacement counts from the end of the instruction, where
        // the processor's program counter stands when it adds it; the
        // address space wraps at 16 bits.
        int64_t next = (base.here + length) & 0xFFFF;
        d = ((x - next) & 0xFFFF);
        if (d >= 0x8000)
            d -= 0x10000;
        if (check && s == ASM_OK && (d < -128 || d > 127))
            a->note(ASM_VALUE_ERROR, "jump target out of range (" + std::to_string(d) +
                                         " bytes, -128 to 127 allowed)");
        a->bytes.push_back(static_cast<uint8_t>(d & 0xFF));
        break;
    }
    }
}

// Tries one row. A syntax error means the row does not take the operands.
attempt try_form(const form &f, const std::vector<std::string> &ops, const asm_eval &ctx)
{
    attempt a;
    a.bytes.push_back(static_cast<uint8_t>(f.opcode));
    std::vector<std::string> values(f.fields.size());
    for (size_t i = 0; i < ops.size(); i++) {
        const operand_template &t = f.operands[i];
        const std::string &s = ops[i];
        if (t.field < 0) {
            if (strip_blanks(s) != t.prefix)
                a.note(ASM_SYNTAX_ERROR, "");
            continue;
        }
        const field &fd = f.fields[t.field];
        // A and B are R0 and R1: written where a row wants a register, they
        // take its register form when the instruction has none of its own
        // (ADD A,R5 is ADD R0,R5; rows naming A or B come first and win).
        std::string bare = strip_blanks(s);
        if (t.prefix == "R" && t.suffix.empty() && (bare == "A" || bare == "B")) {
            values[t.field].assign(1, bare == "A" ? '0' : '1');
            continue;
        }
        size_t begin = 0, end = s.size();
        if (!match_prefix(s, &begin, t.prefix) || !match_suffix(s, &end, t.suffix) || end <= begin) {
            a.note(ASM_SYNTAX_ERROR, "");
            continue;
        }
        std::string middle = asm_trim(s.substr(begin, end - begin));
        // A register or peripheral number is a decimal number or an
        // expression in parentheses: R12, P6, R(COUNT+1).
        if (fd.kind == DASM_U8 && fd.radix == ASM_DEC && !t.prefix.empty() &&
            (middle.empty() || !((middle[0] >= '0' && middle[0] <= '9') || middle[0] == '('))) {
            a.note(ASM_SYNTAX_ERROR, "");
            continue;
        }
        values[t.field] = middle;
    }
    if (a.status == ASM_SYNTAX_ERROR)
        return a;
    for (size_t k = 0; k < f.fields.size(); k++)
        encode_field(f.fields[k], values[k], ctx, f.length, &a);
    return a;
}

} // namespace

std::string asm_trim(const std::string &text)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        b++;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        e--;
    return text.substr(b, e - b);
}

std::vector<std::string> asm_split_operands(const std::string &text)
{
    std::vector<std::string> parts;
    if (asm_trim(text).empty())
        return parts;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '"' || c == '\'') {
            // Skip a quoted text, escapes included; an unterminated one
            // runs to the end and is reported by whoever reads it.
            for (i++; i < text.size() && text[i] != c; i++)
                if (text[i] == '\\')
                    i++;
            if (i >= text.size())
                break;
        } else if (c == '(') {
            depth++;
        } else if (c == ')') {
            depth--;
        } else if (c == ',' && depth == 0) {
            parts.push_back(asm_trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(asm_trim(text.substr(start)));
    return parts;
}

bool asm_is_mnemonic(const std::string &word)
{
    for (const auto &s : synonyms)
        if (word == s.alias)
            return true;
    for (const form &f : forms())
        if (f.mnemonic == word)
            return true;
    return false;
}

asm_encoded asm_encode(const std::string &mnemonic, const std::string &operands, const asm_eval &ctx)
{
    std::string name = mnemonic;
    for (const auto &s : synonyms)
        if (name == s.alias)
            name = s.name;

    asm_encoded result;
    std::vector<std::string> ops = asm_split_operands(operands);
    std::string expression_error;
    bool known = false;
    for (const form &f : forms()) {
        if (f.mnemonic != name)
            continue;
        known = true;
        if (f.operands.size() != ops.size())
            continue;
        attempt a = try_form(f, ops, ctx);
        if (a.status == ASM_SYNTAX_ERROR) {
            if (expression_error.empty())
                expression_error = a.message;
            continue;
        }
        result.status = a.status;
        result.message = a.message;
        result.bytes = a.bytes;
        return result;
    }
    result.status = ASM_SYNTAX_ERROR;
    if (!known)
        result.message = "unknown instruction '" + mnemonic + "'";
    else if (!expression_error.empty())
        result.message = expression_error;
    else if (ops.empty())
        result.message = mnemonic + " needs operands";
    else
        result.message = "no form of " + mnemonic + " takes the operands '" + asm_trim(operands) + "'";
    return result;
}
