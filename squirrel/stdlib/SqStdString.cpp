// The string library and the regular expression API for embedding code.
#include "SqStdRegister.h"

#include "SqFormat.h"
#include "SqRex.h"
#include "SqStringUtil.h"

#include <sqstdstring.h>

#include <cstring>
#include <memory>
#include <string>

struct SQRex
{
    std::unique_ptr<SqRex> rex;
};

namespace
{

const char kRegexpTagAnchor = 0;
SQUserPointer RegexpTag()
{
    return const_cast<char*>(&kRegexpTagAnchor);
}

// The values after the format string on the VM stack.
class StackFormatArgs final : public SqFormatArgs
{
public:
    StackFormatArgs(HSQUIRRELVM v, SQInteger first) : m_v(v), m_first(first) {}
    int Count() const override { return int(sq_gettop(m_v) - m_first + 1); }
    bool GetInteger(int index, int32_t* value) const override
    {
        return SqStdGetInteger(m_v, m_first + index, value);
    }
    bool GetFloat(int index, float* value) const override
    {
        return SqStdGetFloat(m_v, m_first + index, value);
    }
    bool GetString(int index, const char** text) const override
    {
        return sq_gettype(m_v, m_first + index) == OT_STRING &&
               SQ_SUCCEEDED(sq_getstring(m_v, m_first + index, text));
    }

private:
    HSQUIRRELVM m_v;
    SQInteger m_first;
};

SQInteger string_format(HSQUIRRELVM v)
{
    SQChar* text = nullptr;
    SQInteger length = 0;
    if (SQ_FAILED(sqstd_format(v, 2, &length, &text)))
        return SQ_ERROR;
    sq_pushstring(v, text, length);
    return 1;
}

// lstrip alone keeps the text only up to a zero byte, as the language's library reads it there as a C
// string; strip and rstrip keep the bytes after one.
SQInteger Strip(HSQUIRRELVM v, bool left, bool right)
{
    const SQChar* text = nullptr;
    sq_getstring(v, 2, &text);
    const SqTextRange range = SqStripRange(text, size_t(sq_getsize(v, 2)), left, right);
    size_t length = range.end - range.begin;
    if (!right)
        length = strnlen(text + range.begin, length);
    sq_pushstring(v, text + range.begin, SQInteger(length));
    return 1;
}

SQInteger string_strip(HSQUIRRELVM v)
{
    return Strip(v, true, true);
}
SQInteger string_lstrip(HSQUIRRELVM v)
{
    return Strip(v, true, false);
}
SQInteger string_rstrip(HSQUIRRELVM v)
{
    return Strip(v, false, true);
}

SQInteger string_split(HSQUIRRELVM v)
{
    const SQChar* text = nullptr;
    const SQChar* separators = nullptr;
    sq_getstring(v, 2, &text);
    sq_getstring(v, 3, &separators);
    if (sq_getsize(v, 3) == 0)
        return sq_throwerror(v, "empty separators string");
    // both strings end at a zero byte, where the language's library stops reading them
    const std::vector<SqTextRange> pieces = SqSplitRanges(text, strnlen(text, size_t(sq_getsize(v, 2))), separators,
                                                          strnlen(separators, size_t(sq_getsize(v, 3))));
    sq_newarray(v, 0);
    for (const SqTextRange& piece : pieces)
    {
        sq_pushstring(v, text + piece.begin, SQInteger(piece.end - piece.begin));
        sq_arrayappend(v, -2);
    }
    return 1;
}

SqRex* SelfRegexp(HSQUIRRELVM v)
{
    return static_cast<SqRex*>(SqStdInstance(v, 1, RegexpTag()));
}

#define SQSTD_SETUP_REX(v)                                                                                   \
    SqRex* self = SelfRegexp(v);                                                                             \
    if (!self)                                                                                               \
        return sq_throwerror(v, "invalid regexp");

SQInteger RegexpRelease(SQUserPointer p, SQInteger /*size*/)
{
    delete static_cast<SqRex*>(p);
    return 1;
}

SQInteger regexp_constructor(HSQUIRRELVM v)
{
    const SQChar* pattern = nullptr;
    sq_getstring(v, 2, &pattern);
    const char* error = nullptr;
    std::unique_ptr<SqRex> rex = SqRex::Compile(pattern, &error);
    if (!rex)
        return sq_throwerror(v, error);
    if (SQ_FAILED(sq_setinstanceup(v, 1, rex.get())))
        return sq_throwerror(v, "cannot create regexp");
    rex.release();
    sq_setreleasehook(v, 1, RegexpRelease);
    return 0;
}

void PushMatchRange(HSQUIRRELVM v, SQInteger begin, SQInteger end)
{
    sq_newtableex(v, 2);
    sq_pushstring(v, "begin", -1);
    sq_pushinteger(v, begin);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "end", -1);
    sq_pushinteger(v, end);
    sq_newslot(v, -3, SQFalse);
}

// A match that gave up has no answer to give; a false "no match" would mislead the script.
const char* const kGaveUp = "the regexp is too complex for this text";

enum class SearchOutcome
{
    Found,
    NotFound,
    Failed
};

// Searches the string at 2 from the optional start index at 3; `text` receives the string, so that
// match positions can be given from its beginning.
SearchOutcome SearchSubject(HSQUIRRELVM v, SqRex& rex, const SQChar** text)
{
    sq_getstring(v, 2, text);
    const SQInteger length = sq_getsize(v, 2);
    SQInteger start = 0;
    if (sq_gettop(v) > 2)
        SqStdGetInteger(v, 3, &start);
    if (start < 0 || start > length)
    {
        sq_throwerror(v, "invalid start index");
        return SearchOutcome::Failed;
    }
    // the subject ends at its first zero byte from the start on, as the language's library reads it
    const char* from = *text + start;
    const char* to = from + strnlen(from, size_t(length - start));
    const char* begin = nullptr;
    const char* end = nullptr;
    if (rex.Search(from, to, &begin, &end))
        return SearchOutcome::Found;
    if (rex.GaveUp())
    {
        sq_throwerror(v, kGaveUp);
        return SearchOutcome::Failed;
    }
    return SearchOutcome::NotFound;
}

// capture() reports a group that matched nothing, or took no part in the match, as an empty range at 0;
// search() keeps the position of an empty whole match.
void PushCapture(HSQUIRRELVM v, const SqRex& rex, int index, const SQChar* text, bool emptyAtZero)
{
    SqRex::Capture capture;
    rex.GetSubExp(index, &capture);
    if (capture.begin && (capture.end > capture.begin || !emptyAtZero))
        PushMatchRange(v, SQInteger(capture.begin - text), SQInteger(capture.end - text));
    else
        PushMatchRange(v, 0, 0);
}

// search() gives the whole match, capture() every sub expression; both give null when nothing matches.
SQInteger PushMatches(HSQUIRRELVM v, bool everyCapture)
{
    SQSTD_SETUP_REX(v);
    const SQChar* text = nullptr;
    switch (SearchSubject(v, *self, &text))
    {
    case SearchOutcome::Failed:
        return SQ_ERROR;
    case SearchOutcome::NotFound:
        return 0;
    case SearchOutcome::Found:
        break;
    }
    if (!everyCapture)
    {
        PushCapture(v, *self, 0, text, false);
        return 1;
    }
    sq_newarray(v, 0);
    for (int i = 0; i < self->SubExpCount(); ++i)
    {
        PushCapture(v, *self, i, text, true);
        sq_arrayappend(v, -2);
    }
    return 1;
}

SQInteger regexp_search(HSQUIRRELVM v)
{
    return PushMatches(v, false);
}
SQInteger regexp_capture(HSQUIRRELVM v)
{
    return PushMatches(v, true);
}

SQInteger regexp_match(HSQUIRRELVM v)
{
    SQSTD_SETUP_REX(v);
    const SQChar* text = nullptr;
    sq_getstring(v, 2, &text);
    const bool matched = self->Match(text, text + strnlen(text, size_t(sq_getsize(v, 2))));
    if (self->GaveUp())
        return sq_throwerror(v, kGaveUp);
    sq_pushbool(v, matched ? SQTrue : SQFalse);
    return 1;
}

SQInteger regexp_subexpcount(HSQUIRRELVM v)
{
    SQSTD_SETUP_REX(v);
    sq_pushinteger(v, self->SubExpCount());
    return 1;
}

SQInteger regexp_typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    return 1;
}

const SQRegFunction kRegexpMethods[] = {
    {"constructor", regexp_constructor, 2, ".s"},
    {"search", regexp_search, -2, "xsn"},
    {"match", regexp_match, 2, "xs"},
    {"capture", regexp_capture, -2, "xsn"},
    {"subexpcount", regexp_subexpcount, 1, "x"},
    {"_typeof", regexp_typeof, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction kStringGlobals[] = {
    {"format", string_format, -2, ".s"}, {"strip", string_strip, 2, ".s"},
    {"lstrip", string_lstrip, 2, ".s"},  {"rstrip", string_rstrip, 2, ".s"},
    {"split", string_split, 3, ".ss"},   {nullptr, nullptr, 0, nullptr},
};

} // namespace

SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen, SQChar** output)
{
    const SQChar* format = nullptr;
    if (sq_gettype(v, nformatstringidx) != OT_STRING || SQ_FAILED(sq_getstring(v, nformatstringidx, &format)))
        return sq_throwerror(v, "string expected for the specified format");
    std::string text;
    std::string error;
    const StackFormatArgs args(v, nformatstringidx + 1);
    if (!SqFormat(format, size_t(sq_getsize(v, nformatstringidx)), args, &text, &error))
        return sq_throwerror(v, error.c_str());
    SQChar* scratch = sq_getscratchpad(v, SQInteger(text.size() + 1));
    std::memcpy(scratch, text.c_str(), text.size() + 1);
    *outlen = SQInteger(text.size());
    *output = scratch;
    return SQ_OK;
}

SQRESULT sqstd_register_stringlib(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, RegexpTag());
    SqStdRegisterFunctions(v, kRegexpMethods);
    sq_newslot(v, -3, SQFalse);
    SqStdRegisterFunctions(v, kStringGlobals);
    return SQ_OK;
}

SQRex* sqstd_rex_compile(const SQChar* pattern, const SQChar** error)
{
    const char* message = nullptr;
    std::unique_ptr<SqRex> rex = SqRex::Compile(pattern, &message);
    if (!rex)
    {
        if (error)
            *error = message;
        return nullptr;
    }
    return new SQRex{std::move(rex)};
}

void sqstd_rex_free(SQRex* exp)
{
    delete exp;
}

SQBool sqstd_rex_match(SQRex* exp, const SQChar* text)
{
    return exp->rex->Match(text, text + std::strlen(text)) ? SQTrue : SQFalse;
}

SQBool sqstd_rex_searchrange(SQRex* exp, const SQChar* text_begin, const SQChar* text_end,
                             const SQChar** out_begin, const SQChar** out_end)
{
    return exp->rex->Search(text_begin, text_end, out_begin, out_end) ? SQTrue : SQFalse;
}

SQBool sqstd_rex_search(SQRex* exp, const SQChar* text, const SQChar** out_begin, const SQChar** out_end)
{
    return sqstd_rex_searchrange(exp, text, text + std::strlen(text), out_begin, out_end);
}

SQInteger sqstd_rex_getsubexpcount(SQRex* exp)
{
    return exp->rex->SubExpCount();
}

SQBool sqstd_rex_getsubexp(SQRex* exp, SQInteger n, SQRexMatch* subexp)
{
    SqRex::Capture capture;
    if (!exp->rex->GetSubExp(int(n), &capture))
        return SQFalse;
    subexp->begin = capture.begin;
    subexp->len = capture.begin ? SQInteger(capture.end - capture.begin) : 0;
    return SQTrue;
}
