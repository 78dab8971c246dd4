#include "asm_expr.h"

#include <cctype>

namespace {

constexpr int64_t VALUE_LIMIT = 0xFFFFFFFFLL;  // any value lies within +/- this
constexpr int MAX_DEPTH = 64;

bool is_dec(char c) { return c >= '0' && c <= '9'; }
bool is_hex(char c) { return is_dec(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int hex_digit(char c)
{
    if (is_dec(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// Recursive descent over one expression, C precedence from | up to unary.
// Syntax errors stop the parse; value errors (undefined symbol, division by
// zero, range) are remembered and the parse goes on, so that a value error
// is only reported for text that is a well-formed expression.
class Parser {
public:
    Parser(const std::string &text, const asm_eval &ctx) : s(text), ctx(ctx) {}

    asm_status run(asm_value *out, std::string *message)
    {
        asm_value v = parse_or();
        skip();
        if (!syntax && pos < s.size())
            fail("unexpected '" + s.substr(pos, 1) + "' in expression");
        if (syntax) {
            *message = msg;
            return ASM_SYNTAX_ERROR;
        }
        if (value_error) {
            *message = msg;
            return ASM_VALUE_ERROR;
        }
        *out = v;
        return ASM_OK;
    }

private:
    const std::string &s;
    const asm_eval &ctx;
    size_t pos = 0;
    int depth = 0;
    bool syntax = false;
    bool value_error = false;
    std::string msg;

    void skip()
    {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
            pos++;
    }

    bool eat(const char *op)
    {
        skip();
        size_t n = std::char_traits<char>::length(op);
        if (s.compare(pos, n, op) != 0)
            return false;
        pos += n;
        return true;
    }

    asm_value fail(const std::string &m)
    {
        if (!syntax) {
            syntax = true;
            msg = m;
        }
        return {0, true};
    }

    asm_value bad_value(const std::string &m)
    {
        if (!value_error && !syntax) {
            value_error = true;
            msg = m;
        }
        return {0, true};
    }

    asm_value checked(__int128 v, bool known)
    {
        if (!known)
            return {0, false};
        if (v > VALUE_LIMIT || v < -VALUE_LIMIT)
            return bad_value("value out of range");
        return {static_cast<int64_t>(v), true};
    }

    asm_value binary(char op, asm_value a, asm_value b)
    {
        bool known = a.known && b.known;
        __int128 x = a.v, y = b.v;
        switch (op) {
        case '|': return checked(x | y, known);
        case '^': return checked(x ^ y, known);
        case '&': return checked(x & y, known);
        case '+': return checked(x + y, known);
        case '-': return checked(x - y, known);
        case '*': return checked(x * y, known);
        case '/':
            if (known && y == 0)
                return bad_value("division by zero");
            return checked(known ? x / y : 0, known);
        case '<':
        case '>':
            if (known && (y < 0 || y > 32))
                return bad_value("shift count out of range");
            if (!known)
                return {0, false};
            // Shifting a negative value: the bits move as in two's complement.
            return checked(op == '<' ? x * (static_cast<__int128>(1) << static_cast<int>(y))
                                     : x >> static_cast<int>(y),
                           true);
        }
        return fail("bad operator");
    }

    asm_value parse_or()
    {
        asm_value v = parse_xor();
        while (!syntax && eat("|"))
            v = binary('|', v, parse_xor());
        return v;
    }

    asm_value parse_xor()
    {
        asm_value v = parse_and();
        while (!syntax && eat("^"))
            v = binary('^', v, parse_and());
        return v;
    }

    asm_value parse_and()
    {
        asm_value v = parse_shift();
        while (!syntax && eat("&"))
            v = binary('&', v, parse_shift());
        return v;
    }

    asm_value parse_shift()
    {
        asm_value v = parse_add();
        while (!syntax) {
            if (eat("<<"))
                v = binary('<', v, parse_add());
            else if (eat(">>"))
                v = binary('>', v, parse_add());
            else
                break;
        }
        return v;
    }

    asm_value parse_add()
    {
        asm_value v = parse_mul();
        while (!syntax) {
            if (eat("+"))
                v = binary('+', v, parse_mul());
            else if (eat("-"))
                v = binary('-', v, parse_mul());
            else
                break;
        }
        return v;
    }

    asm_value parse_mul()
    {
        asm_value v = parse_unary();
        while (!syntax) {
            if (eat("*"))
                v = binary('*', v, parse_unary());
            else if (eat("/"))
                v = binary('/', v, parse_unary());
            else
                break;
        }
        return v;
    }

    asm_value parse_unary()
    {
        if (++depth > MAX_DEPTH) {
            depth--;
            return fail("expression nested too deeply");
        }
        asm_value v;
        if (eat("-")) {
            v = parse_unary();
            v = checked(-static_cast<__int128>(v.v), v.known);
        } else if (eat("+")) {
            v = parse_unary();
        } else if (eat("~")) {
            v = parse_unary();
            v = checked(~static_cast<__int128>(v.v), v.known);
        } else {
            v = parse_primary();
        }
        depth--;
        return v;
    }

    asm_value number(const std::string &digits, int base)
    {
        __int128 v = 0;
        for (char c : digits) {
            v = v * base + hex_digit(c);
            if (v > VALUE_LIMIT)
                return bad_value("number too large");
        }
        return {static_cast<int64_t>(v), true};
    }

    std::string word()
    {
        size_t start = pos;
        while (pos < s.size() && asm_ident_char(s[pos]))
            pos++;
        return s.substr(start, pos - start);
    }

    asm_value parse_primary()
    {
        skip();
        if (pos >= s.size())
            return fail("expression expected");
        char c = s[pos];
        if (c == '(') {
            pos++;
            asm_value v = parse_or();
            if (!eat(")"))
                return fail("')' expected");
            return v;
        }
        if (c == '\'') {
            pos++;
            std::string bytes, m;
            if (!asm_unquote(s, &pos, '\'', &bytes, &m))
                return fail(m);
            if (bytes.size() != 1)
                return fail("a character constant holds one character");
            return {static_cast<unsigned char>(bytes[0]), true};
        }
        if (c == '$') {
            pos++;
            if (pos < s.size() && asm_ident_char(s[pos])) {
                std::string w = word();
                if (!asm_all_hex(w))
                    return fail("bad hexadecimal number '$" + w + "'");
                return number(w, 16);
            }
            return {ctx.here, true};
        }
        if (is_dec(c))
            return parse_number();
        if (asm_ident_start(c)) {
            std::string w = word();
            if (ctx.radix == ASM_HEX && asm_all_hex(w)) {
                // #BEEF is the number the disassembler would print; a
                // symbol spelt with hexadecimal digits only cannot be
                // named here.
                asm_value ignored;
                if (ctx.strict && ctx.lookup && (*ctx.lookup)(w, &ignored))
                    return bad_value("'" + w + "' is both a hexadecimal number and a symbol; here it "
                                     "reads as the number: write $" + w + " for it, or rename the symbol");
                return number(w, 16);
            }
            if (w == "HIGH" || w == "LOW") {
                skip();
                if (pos < s.size() && s[pos] == '(') {
                    asm_value v = parse_primary();
                    int64_t r = w == "HIGH" ? (v.v >> 8) & 0xFF : v.v & 0xFF;
                    return {v.known ? r : 0, v.known};
                }
                return fail(w + " needs an operand in parentheses");
            }
            return symbol(w);
        }
        return fail("unexpected '" + std::string(1, c) + "' in expression");
    }

    asm_value parse_number()
    {
        std::string w = word();
        if (w.size() > 2 && w[0] == '0' && w[1] == 'X') {
            std::string digits = w.substr(2);
            if (!asm_all_hex(digits))
                return fail("bad hexadecimal number '" + w + "'");
            return number(digits, 16);
        }
        bool all_dec = true;
        for (char d : w)
            all_dec = all_dec && is_dec(d);
        if (all_dec && pos < s.size() && s[pos] == '.') {
            pos++;  // a trailing dot makes a number decimal in any operand
            return number(w, 10);
        }
        if (ctx.radix == ASM_HEX) {
            if (!asm_all_hex(w))
                return fail("bad hexadecimal number '" + w + "'");
            return number(w, 16);
        }
        if (!all_dec)
            return fail("bad number '" + w + "' (hexadecimal is written $" + w + " or 0x" + w + ")");
        return number(w, 10);
    }

    asm_value symbol(const std::string &name)
    {
        asm_value v;
        if (ctx.lookup && (*ctx.lookup)(name, &v)) {
            if (!v.known && ctx.strict)
                return bad_value("symbol '" + name + "' has no value");
            return v;
        }
        if (!ctx.strict)
            return {0, false};
        if (asm_all_hex(name))
            return bad_value("undefined symbol '" + name + "' (hexadecimal is written $" + name +
                             " or 0x" + name + ")");
        return bad_value("undefined symbol '" + name + "'");
    }
};

} // namespace

asm_status asm_evaluate(const std::string &text, const asm_eval &ctx, asm_value *out,
                        std::string *message)
{
    Parser parser(text, ctx);
    return parser.run(out, message);
}

bool asm_ident_start(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool asm_ident_char(char c) { return asm_ident_start(c) || is_dec(c); }

bool asm_all_hex(const std::string &word)
{
    if (word.empty())
        return false;
    for (char c : word)
        if (!is_hex(c))
            return false;
    return true;
}

bool asm_unquote(const std::string &text, size_t *pos, char quote, std::string *bytes,
                 std::string *message)
{
    size_t p = *pos;
    while (p < text.size() && text[p] != quote) {
        char c = text[p++];
        if (c != '\\') {
            bytes->push_back(c);
            continue;
        }
        if (p >= text.size())
            break;
        char e = text[p++];
        switch (e) {
        case '\\': case '"': case '\'': bytes->push_back(e); break;
        case 'n': case 'N': bytes->push_back('\n'); break;
        case 'r': case 'R': bytes->push_back('\r'); break;
        case 't': case 'T': bytes->push_back('\t'); break;
        case '0': bytes->push_back('\0'); break;
        case 'x': case 'X':
            if (p + 1 < text.size() && is_hex(text[p]) && is_hex(text[p + 1])) {
                bytes->push_back(static_cast<char>(hex_digit(text[p]) * 16 + hex_digit(text[p + 1])));
                p += 2;
                break;
            }
            *message = "\\x needs two hexadecimal digits";
            return false;
        default:
            *message = std::string("unknown escape '\\") + e + "'";
            return false;
        }
    }
    if (p >= text.size()) {
        *message = quote == '"' ? "unterminated string" : "unterminated character constant";
        return false;
    }
    *pos = p + 1;
    return true;
}
