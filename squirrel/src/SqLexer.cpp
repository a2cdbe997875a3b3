#include "SqLexer.h"

#include <cstdlib>
#include <cstring>

namespace
{
struct KeywordEntry
{
    const char* name;
    int token;
};
const KeywordEntry kKeywords[] = {
    {"while", TK_WHILE},
    {"do", TK_DO},
    {"if", TK_IF},
    {"else", TK_ELSE},
    {"break", TK_BREAK},
    {"continue", TK_CONTINUE},
    {"return", TK_RETURN},
    {"null", TK_NULL},
    {"function", TK_FUNCTION},
    {"local", TK_LOCAL},
    {"for", TK_FOR},
    {"foreach", TK_FOREACH},
    {"in", TK_IN},
    {"typeof", TK_TYPEOF},
    {"base", TK_BASE},
    {"delete", TK_DELETE},
    {"try", TK_TRY},
    {"catch", TK_CATCH},
    {"throw", TK_THROW},
    {"clone", TK_CLONE},
    {"yield", TK_YIELD},
    {"resume", TK_RESUME},
    {"switch", TK_SWITCH},
    {"case", TK_CASE},
    {"default", TK_DEFAULT},
    {"this", TK_THIS},
    {"class", TK_CLASS},
    {"extends", TK_EXTENDS},
    {"constructor", TK_CONSTRUCTOR},
    {"instanceof", TK_INSTANCEOF},
    {"true", TK_TRUE},
    {"false", TK_FALSE},
    {"static", TK_STATIC},
    {"enum", TK_ENUM},
    {"const", TK_CONST},
};
bool IsIdStart(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}
bool IsHex(int c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(int c)
{
    return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}
} // namespace

SQLexer::SQLexer(const char* s, SQInteger n) : src(s), size(n) {}

const char* SQLexer::TokenText(int token)
{
    for (const KeywordEntry& k : kKeywords)
        if (k.token == token)
            return k.name;
    switch (token)
    {
    case TK_IDENTIFIER:
        return "IDENTIFIER";
    case TK_STRING_LITERAL:
        return "STRING_LITERAL";
    case TK_INTEGER:
        return "INTEGER";
    case TK_FLOAT:
        return "FLOAT";
    case TK_EQ:
        return "==";
    case TK_NE:
        return "!=";
    case TK_LE:
        return "<=";
    case TK_GE:
        return ">=";
    case TK_AND:
        return "&&";
    case TK_OR:
        return "||";
    case TK_NEWSLOT:
        return "<-";
    case TK_DOUBLE_COLON:
        return "::";
    case TK_VARPARAMS:
        return "...";
    case TK_ATTR_OPEN:
        return "</";
    case TK_ATTR_CLOSE:
        return "/>";
    case TK_EOS:
        return "end of script";
    default:
        return nullptr;
    }
}

void SQLexer::Advance()
{
    if (pos < size && src[pos] == '\n')
    {
        curLine++;
        curColumn = 1;
    }
    else
    {
        curColumn++;
    }
    reportColumn++;
    pos++;
}

bool SQLexer::Fail(const char* msg)
{
    error = msg;
    errorLine = ReportLine();
    errorColumn = ReportColumn();
    return false;
}

int SQLexer::Keyword(const std::string& id) const
{
    for (const KeywordEntry& k : kKeywords)
        if (id == k.name)
            return k.token;
    return TK_IDENTIFIER;
}

bool SQLexer::SkipComment()
{
    if (Peek() == '#' || (Peek() == '/' && Peek(1) == '/'))
    {
        while (pos < size && Peek() != '\n')
            Advance();
        return true;
    }
    if (Peek() == '/' && Peek(1) == '*')
    {
        Advance();
        Advance();
        while (!(Peek() == '*' && Peek(1) == '/'))
        {
            if (pos >= size)
                return Fail("missing \"*/\" in comment");
            Advance();
        }
        Advance();
        Advance();
        return true;
    }
    return true;
}

bool SQLexer::Next()
{
    prevLine = curLine;
    newlineBefore = false;
    for (;;)
    {
        int c = Peek();
        if (c == '\n')
        {
            newlineBefore = true;
            Advance();
            reportColumn = 1;
        }
        else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v')
        {
            Advance();
        }
        else if (c == '#' || (c == '/' && (Peek(1) == '/' || Peek(1) == '*')))
        {
            SQInteger before = curLine;
            if (!SkipComment())
                return false;
            if (curLine != before)
                newlineBefore = true;
        }
        else
        {
            break;
        }
    }
    line = curLine;
    column = curColumn;
    if (pos >= size)
    {
        token = TK_EOS;
        return true;
    }
    int c = Peek();
    if (IsIdStart(c))
    {
        text.clear();
        while (IsIdStart(Peek()) || IsDigit(Peek()))
        {
            text += char(Peek());
            Advance();
        }
        token = Keyword(text);
        return true;
    }
    if (IsDigit(c))
        return ReadNumber();
    if (c == '"')
        return ReadString('"', false);
    if (c == '\'')
        return ReadString('\'', false);
    if (c == '@' && Peek(1) == '"')
    {
        Advance();
        return ReadString('"', true);
    }
    struct Op
    {
        const char* text;
        int token;
    };
    static const Op ops[] = {
        {">>>", TK_USHIFTR},   {"<=>", TK_3WAYSCMP},  {"...", TK_VARPARAMS},   {"==", TK_EQ},
        {"!=", TK_NE},         {"<=", TK_LE},         {">=", TK_GE},           {"&&", TK_AND},
        {"||", TK_OR},         {"<-", TK_NEWSLOT},    {"::", TK_DOUBLE_COLON}, {"++", TK_PLUSPLUS},
        {"--", TK_MINUSMINUS}, {"+=", TK_PLUSEQ},     {"-=", TK_MINUSEQ},      {"*=", TK_MULEQ},
        {"/=", TK_DIVEQ},      {"%=", TK_MODEQ},      {"<<", TK_SHIFTL},       {">>", TK_SHIFTR},
        {"</", TK_ATTR_OPEN},  {"/>", TK_ATTR_CLOSE},
    };
    for (const Op& op : ops)
    {
        SQInteger n = SQInteger(strlen(op.text));
        if (pos + n <= size && memcmp(src + pos, op.text, size_t(n)) == 0)
        {
            for (SQInteger i = 0; i < n; i++)
                Advance();
            token = op.token;
            return true;
        }
    }
    if (c < 32 || c == 127)
        return Fail("unexpected character(control)");
    // any other character is a token of its own; the parser reports where it does not fit
    Advance();
    token = c;
    return true;
}

bool SQLexer::ReadString(int delimiter, bool verbatim)
{
    Advance();
    text.clear();
    // a quote that ends the source is reported apart from a string left open
    if (pos >= size)
        return Fail("error parsing the string");
    for (;;)
    {
        if (pos >= size)
            return Fail("unfinished string");
        int c = Peek();
        if (c == '\n' && !verbatim)
            return Fail("newline in a constant");
        if (c == delimiter)
        {
            if (verbatim && Peek(1) == delimiter)
            {
                text += char(c);
                Advance();
                Advance();
                continue;
            }
            Advance();
            break;
        }
        if (c == '\\' && !verbatim)
        {
            Advance();
            int e = Peek();
            switch (e)
            {
            case 't':
                text += '\t';
                break;
            case 'a':
                text += '\a';
                break;
            case 'b':
                text += '\b';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 'v':
                text += '\v';
                break;
            case 'f':
                text += '\f';
                break;
            case '0':
                text += '\0';
                break;
            case '\\':
                text += '\\';
                break;
            case '"':
                text += '"';
                break;
            case '\'':
                text += '\'';
                break;
            case 'x':
            {
                Advance();
                if (!IsHex(Peek()))
                    return Fail("hexadecimal number expected");
                int v = 0;
                // up to four digits are read; the character keeps the low byte of their value
                for (int n = 0; n < 4 && IsHex(Peek()); n++)
                {
                    v = v * 16 + HexValue(Peek());
                    Advance();
                }
                text += char(v & 0xFF);
                continue;
            }
            default:
                return Fail("unrecognised escaper char");
            }
            Advance();
            continue;
        }
        text += char(c);
        Advance();
    }
    if (delimiter == '\'')
    {
        if (text.empty())
            return Fail("empty constant");
        if (text.size() > 1)
            return Fail("constant too long");
        token = TK_INTEGER;
        intValue = SQInteger(static_cast<signed char>(text[0])); // 3.0 ran where char is signed
        return true;
    }
    token = TK_STRING_LITERAL;
    return true;
}

// Number literals: "0x" and up to eight hexadecimal digits (none reads as 0); a 0 followed by octal digits
// is octal; anything else is decimal, where a '.' or an exponent anywhere in the run of digits, dots and
// exponents makes a float of the longest prefix that reads as one ("1.2.3" is 1.2, "7." is 7.0).
bool SQLexer::ReadNumber()
{
    constexpr size_t kMaxHexDigits = sizeof(SQInteger) * 2;
    uint32_t v = 0;
    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X'))
    {
        Advance();
        Advance();
        size_t count = 0;
        for (; IsHex(Peek()); Advance(), count++)
            v = v * 16 + uint32_t(HexValue(Peek()));
        if (count > kMaxHexDigits)
            return Fail("too many digits for an Hex number");
        token = TK_INTEGER;
        intValue = SQInteger(v);
        return true;
    }
    if (Peek() == '0' && Peek(1) >= '0' && Peek(1) <= '7')
    {
        Advance();
        for (; Peek() >= '0' && Peek() <= '7'; Advance())
            v = v * 8 + uint32_t(Peek() - '0');
        if (IsDigit(Peek()))
            return Fail("invalid octal number");
        token = TK_INTEGER;
        intValue = SQInteger(v);
        return true;
    }
    std::string digits;
    bool isFloat = false;
    while (IsDigit(Peek()) || Peek() == '.' || Peek() == 'e' || Peek() == 'E')
    {
        const int c = Peek();
        digits += char(c);
        Advance();
        if (c == '.')
            isFloat = true;
        if (c == 'e' || c == 'E')
        {
            isFloat = true;
            if (Peek() == '+' || Peek() == '-')
            {
                digits += char(Peek());
                Advance();
            }
            if (!IsDigit(Peek()))
                return Fail("exponent expected");
        }
    }
    if (isFloat)
    {
        token = TK_FLOAT;
        floatValue = SQFloat(strtod(digits.c_str(), nullptr));
        return true;
    }
    for (char d : digits)
        v = v * 10 + uint32_t(d - '0');
    token = TK_INTEGER;
    intValue = SQInteger(v);
    return true;
}
