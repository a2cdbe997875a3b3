// Turns script text into tokens, tracking line and column for error reports.
#pragma once

#include "squirrel.h"

#include <string>

enum SQToken
{
    TK_EOS = 0,
    TK_IDENTIFIER = 258,
    TK_STRING_LITERAL,
    TK_INTEGER,
    TK_FLOAT,
    TK_BASE,
    TK_DELETE,
    TK_EQ,
    TK_NE,
    TK_LE,
    TK_GE,
    TK_SWITCH,
    TK_ARROW,
    TK_AND,
    TK_OR,
    TK_IF,
    TK_ELSE,
    TK_WHILE,
    TK_BREAK,
    TK_FOR,
    TK_DO,
    TK_NULL,
    TK_FOREACH,
    TK_IN,
    TK_NEWSLOT,
    TK_MODULO,
    TK_LOCAL,
    TK_CLONE,
    TK_FUNCTION,
    TK_RETURN,
    TK_TYPEOF,
    TK_UMINUS,
    TK_PLUSEQ,
    TK_MINUSEQ,
    TK_CONTINUE,
    TK_YIELD,
    TK_TRY,
    TK_CATCH,
    TK_THROW,
    TK_SHIFTL,
    TK_SHIFTR,
    TK_RESUME,
    TK_DOUBLE_COLON,
    TK_CASE,
    TK_DEFAULT,
    TK_THIS,
    TK_PLUSPLUS,
    TK_MINUSMINUS,
    TK_3WAYSCMP,
    TK_USHIFTR,
    TK_CLASS,
    TK_EXTENDS,
    TK_CONSTRUCTOR,
    TK_INSTANCEOF,
    TK_VARPARAMS,
    TK_TRUE,
    TK_FALSE,
    TK_MULEQ,
    TK_DIVEQ,
    TK_MODEQ,
    TK_ATTR_OPEN,
    TK_ATTR_CLOSE,
    TK_STATIC,
    TK_ENUM,
    TK_CONST
};

class SQLexer
{
public:
    SQLexer(const char* src, SQInteger size);
    // Advances to the next token; returns false (with Error() set) on a malformed token.
    bool Next();
    int token = TK_EOS;
    std::string text; // identifier or string literal contents
    SQInteger intValue = 0;
    SQFloat floatValue = 0;
    SQInteger line = 1;         // of the current token
    SQInteger column = 1;       // of the current token
    SQInteger prevLine = 1;     // line of the previous token's end
    bool newlineBefore = false; // a line break separates this token from the previous one
    const std::string& Error() const { return error; }
    SQInteger errorLine = 0, errorColumn = 0;
    // Where the lexer stands, as compile errors report it: the line, and the characters read since the last
    // line break between tokens (a break inside a comment or a string does not restart the count).
    SQInteger ReportLine() const { return curLine; }
    SQInteger ReportColumn() const { return reportColumn; }
    static const char* TokenText(int token);

private:
    int Peek(SQInteger ahead = 0) const { return pos + ahead < size ? (unsigned char)src[pos + ahead] : 0; }
    void Advance();
    bool Fail(const char* msg);
    bool ReadString(int delimiter, bool verbatim);
    bool ReadNumber();
    bool SkipComment();
    int Keyword(const std::string& id) const;
    const char* src;
    SQInteger size;
    SQInteger pos = 0;
    SQInteger curLine = 1, curColumn = 1;
    SQInteger reportColumn = 0;
    std::string error;
};
