// The string library: format, strip, lstrip, rstrip, split and the regexp class, plus the regular
// expression engine for embedding code.
#ifndef SQSTDSTRING_H
#define SQSTDSTRING_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    typedef struct SQRex SQRex;

    typedef struct
    {
        const SQChar* begin;
        SQInteger len;
    } SQRexMatch;

    // Null with *error set to a static message when the pattern does not compile; free with sqstd_rex_free.
    SQUIRREL_API SQRex* sqstd_rex_compile(const SQChar* pattern, const SQChar** error);
    SQUIRREL_API void sqstd_rex_free(SQRex* exp);
    // SQTrue when the whole of `text` matches.
    SQUIRREL_API SQBool sqstd_rex_match(SQRex* exp, const SQChar* text);
    SQUIRREL_API SQBool sqstd_rex_search(SQRex* exp, const SQChar* text, const SQChar** out_begin,
                                         const SQChar** out_end);
    SQUIRREL_API SQBool sqstd_rex_searchrange(SQRex* exp, const SQChar* text_begin, const SQChar* text_end,
                                              const SQChar** out_begin, const SQChar** out_end);
    // The whole match counts as sub expression 0.
    SQUIRREL_API SQInteger sqstd_rex_getsubexpcount(SQRex* exp);
    SQUIRREL_API SQBool sqstd_rex_getsubexp(SQRex* exp, SQInteger n, SQRexMatch* subexp);

    // Formats the string at `nformatstringidx` with the values after it; the result lives in the scratchpad.
    SQUIRREL_API SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen,
                                       SQChar** output);

    // Registers the library into the table on top of the stack.
    SQUIRREL_API SQRESULT sqstd_register_stringlib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif
