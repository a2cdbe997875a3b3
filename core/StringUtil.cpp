#include "core/StringUtil.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace
{
// Null stands for the empty string everywhere here: names come from data and
// scripts, and a missing one must not bring the engine down.
const char* OrEmpty(const char* text)
{
    return text ? text : "";
}
} // namespace

bool StringEquals(const char* a, const char* b)
{
    return strcmp(OrEmpty(a), OrEmpty(b)) == 0;
}
bool StringDiffers(const char* a, const char* b)
{
    return strcmp(OrEmpty(a), OrEmpty(b)) != 0;
}
bool StringLess(const char* a, const char* b)
{
    return strcmp(OrEmpty(a), OrEmpty(b)) < 0;
}
bool StringContains(const char* text, const char* part)
{
    return strstr(OrEmpty(text), OrEmpty(part)) != nullptr;
}

int StringFindLastChar(const char* text, char c)
{
    const char* found = text ? strrchr(text, c) : nullptr;
    return (found && c != 0) ? static_cast<int>(found - text) : -1;
}

void StringToUpper(char* text)
{
    for (; text && *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - 'a' + 'A');
}

void StringToLower(char* text)
{
    for (; text && *text; ++text)
        if (*text >= 'A' && *text <= 'Z')
            *text = static_cast<char>(*text - 'A' + 'a');
}

int StringLength(const char* text)
{
    return static_cast<int>(strlen(OrEmpty(text)));
}

void StringReplaceChar(char* text, char from, char to)
{
    for (; text && *text; ++text)
        if (*text == from)
            *text = to;
}

bool CStringEquals(const char* a, const char* b)
{
    return strcmp(OrEmpty(a), OrEmpty(b)) == 0;
}
bool CStringEqualsN(const char* a, const char* b, int n)
{
    return n <= 0 || strncmp(OrEmpty(a), OrEmpty(b), n) == 0;
}
int CStringLength(const char* text)
{
    return static_cast<int>(strlen(OrEmpty(text)));
}

int32_t StringToInt(const char* text)
{
    text = OrEmpty(text);
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

float StringToFloat(const char* text)
{
    return static_cast<float>(strtod(OrEmpty(text), nullptr));
}

const char* StringFind(const char* text, const char* part)
{
    return text ? strstr(text, OrEmpty(part)) : nullptr;
}

void StringCopyN(char* destination, const char* source, int size)
{
    if (!destination || size <= 0)
        return;
    strncpy(destination, OrEmpty(source), size - 1);
    destination[size - 1] = 0;
}

void StringConcat(char* destination, const char* source, int size)
{
    if (!destination)
        return;
    const int length = static_cast<int>(strlen(destination));
    if (length >= size - 1)
        return;
    StringCopyN(destination + length, source, size - length);
}

void StringToLowerC(char* text)
{
    StringToLower(text);
}
void StringToUpperC(char* text)
{
    StringToUpper(text);
}
