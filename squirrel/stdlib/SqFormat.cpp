#include "SqFormat.h"

#include "SqNumberText.h"

#include <cstdio>
#include <cstring>

namespace
{

constexpr size_t kMaxSpecLength = 20;
constexpr int kMaxWidthDigits = 2;
constexpr int kMaxPrecisionDigits = 2;

bool IsFlag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One conversion as printf reads it, with its terminating zero.
struct Spec
{
    char text[kMaxSpecLength + 1];
    size_t length;
    char Letter() const { return text[length - 1]; }
};

// Copies one conversion ("%-08.3f") into `spec`; `pos` is just past the '%' and ends on the conversion
// letter.
bool ReadSpec(const char* format, size_t length, size_t* pos, Spec* spec, std::string* error)
{
    const size_t start = *pos - 1;
    size_t i = *pos;
    while (i < length && IsFlag(format[i]))
        ++i;
    int digits = 0;
    while (i < length && IsDigit(format[i]))
    {
        if (++digits > kMaxWidthDigits)
        {
            *error = "width format too long";
            return false;
        }
        ++i;
    }
    if (i < length && format[i] == '.')
    {
        ++i;
        digits = 0;
        while (i < length && IsDigit(format[i]))
        {
            if (++digits > kMaxPrecisionDigits)
            {
                *error = "precision format too long";
                return false;
            }
            ++i;
        }
    }
    if (i >= length)
    {
        *error = "invalid format";
        return false;
    }
    if (i + 1 - start > kMaxSpecLength)
    {
        *error = "format too long";
        return false;
    }
    spec->length = i + 1 - start;
    memcpy(spec->text, format + start, spec->length);
    spec->text[spec->length] = 0;
    *pos = i;
    return true;
}

template <typename T> void AppendFormatted(std::string* out, const Spec& spec, T value)
{
    char small[128];
    const int needed = std::snprintf(small, sizeof small, spec.text, value);
    if (needed < 0)
        return;
    if (size_t(needed) < sizeof small)
    {
        out->append(small, size_t(needed));
        return;
    }
    const size_t at = out->size();
    out->resize(at + size_t(needed) + 1);
    std::snprintf(&(*out)[at], size_t(needed) + 1, spec.text, value);
    out->resize(at + size_t(needed));
}

// The precision of a conversion with no flags and no width ("%d", "%.2f"): -1 when it gives none. False for
// any other conversion; those go to snprintf.
bool PlainConversion(const Spec& spec, int* precision)
{
    size_t i = 1;
    *precision = -1;
    if (spec.text[i] == '.')
    {
        *precision = 0;
        for (++i; IsDigit(spec.text[i]); ++i)
            *precision = *precision * 10 + (spec.text[i] - '0');
    }
    return i + 1 == spec.length;
}

// The conversions scripts use most are written here without snprintf, to the same text.
bool AppendPlain(const Spec& spec, const SqFormatArgs& args, int index, std::string* out)
{
    int precision;
    if (!PlainConversion(spec, &precision))
        return false;
    char text[NUMBER_TEXT_SIZE];
    switch (spec.Letter())
    {
    case 'd':
    case 'i':
    {
        int32_t value = 0;
        if (precision >= 0 || !args.GetInteger(index, &value))
            return false;
        out->append(text, size_t(IntegerText(value, text)));
        return true;
    }
    case 'f':
    {
        float value = 0;
        if (precision > FIXED_TEXT_MAX_DECIMALS || !args.GetFloat(index, &value))
            return false;
        out->append(text, size_t(FixedText(value, precision < 0 ? 6 : precision, text)));
        return true;
    }
    case 's':
    {
        const char* value = nullptr;
        if (precision >= 0 || !args.GetString(index, &value))
            return false;
        out->append(value);
        return true;
    }
    default:
        return false;
    }
}

bool AppendConversion(const Spec& spec, const SqFormatArgs& args, int index, std::string* out,
                      std::string* error)
{
    if (AppendPlain(spec, args, index, out))
        return true;
    switch (spec.Letter())
    {
    case 's':
    {
        const char* text = nullptr;
        if (!args.GetString(index, &text))
        {
            *error = "string expected for the specified format";
            return false;
        }
        AppendFormatted(out, spec, text);
        return true;
    }
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X':
    case 'c':
    {
        int32_t value = 0;
        if (!args.GetInteger(index, &value))
        {
            *error = "integer expected for the specified format";
            return false;
        }
        AppendFormatted(out, spec, int(value));
        return true;
    }
    case 'f':
    case 'g':
    case 'G':
    case 'e':
    case 'E':
    {
        float value = 0;
        if (!args.GetFloat(index, &value))
        {
            *error = "float expected for the specified format";
            return false;
        }
        AppendFormatted(out, spec, double(value));
        return true;
    }
    default:
        *error = "invalid format";
        return false;
    }
}

} // namespace

bool SqFormat(const char* format, size_t length, const SqFormatArgs& args, std::string* out,
              std::string* error)
{
    // zero bytes in the format are copied like any other character
    const size_t end = length;
    int next = 0;
    out->clear();
    // room for the literal text and a few short conversions, so most results allocate once
    out->reserve(end + 64);
    for (size_t i = 0; i < end; ++i)
    {
        if (format[i] != '%')
        {
            out->push_back(format[i]);
            continue;
        }
        if (i + 1 < end && format[i + 1] == '%')
        {
            out->push_back('%');
            ++i;
            continue;
        }
        if (next >= args.Count())
        {
            *error = "not enough paramters for the given format string";
            return false;
        }
        ++i;
        Spec spec;
        if (!ReadSpec(format, end, &i, &spec, error) || !AppendConversion(spec, args, next, out, error))
            return false;
        ++next;
    }
    return true;
}
