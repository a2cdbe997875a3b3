#pragma once
// format(): printf rules over script values ('*' widths are not supported), with the string library's
// own error texts.

#include <cstdint>
#include <string>

// The values after the format string, numbered from 0.
class SqFormatArgs
{
public:
    virtual ~SqFormatArgs() = default;
    virtual int Count() const = 0;
    // Each getter fails when the value has the wrong type; numbers convert between integer and float.
    virtual bool GetInteger(int index, int32_t* value) const = 0;
    virtual bool GetFloat(int index, float* value) const = 0;
    virtual bool GetString(int index, const char** text) const = 0;
};

// Formats `format` (up to its first zero byte) into `out`; on failure `error` holds the message to throw.
bool SqFormat(const char* format, size_t length, const SqFormatArgs& args, std::string* out,
              std::string* error);
