#include "SqFormat.h"

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

// Copies one conversion ("%-08.3f") into `spec`; `pos` is just past the '%' and ends on the conversion
// letter.
bool ReadSpec(const char* format, size_t length, size_t* pos, std::string* spec, std::string* error)
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
    spec->assign(format + start, i + 1 - start);
    *pos = i;
    return true;
}

template <typename T> void AppendFormatted(std::string* out, const std::string& spec, T value)
{
    char small[128];
    const int needed = std::snprintf(small, sizeof small, spec.c_str(), value);
    if (needed < 0)
        return;
    if (size_t(needed) < sizeof small)
    {
        out->append(small, size_t(needed));
        return;
    }
    const size_t at = out->size();
    out->resize(at + size_t(needed) + 1);
    std::snprintf(&(*out)[at], size_t(needed) + 1, spec.c_str(), value);
    out->resize(at + size_t(needed));
}

bool AppendConversion(const std::string& spec, const SqFormatArgs& args, int index, std::string* out,
                      std::string* error)
{
    switch (spec.back())
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
        std::string spec;
        if (!ReadSpec(format, end, &i, &spec, error) || !AppendConversion(spec, args, next, out, error))
            return false;
        ++next;
    }
    return true;
}
