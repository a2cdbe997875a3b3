#pragma once
// Bounded character arrays for names, paths and messages. A FixedString<N>
// always ends within its array: byte N - 1 is zero from construction on, and
// text that does not fit is cut silently after N - 1 characters.

#include <cstdarg>
#include <cstdio>
#include <cstring>

template <int N> class FixedString
{
    static_assert(N >= 2, "a FixedString needs room for one character and the terminator");

public:
    static constexpr int kCapacity = N - 1;

    FixedString()
    {
        m_text[0] = 0;
        m_text[N - 1] = 0;
    }
    FixedString(const char* text) : FixedString() { Assign(text); }
    FixedString(const FixedString&) = default;
    FixedString& operator=(const FixedString&) = default;
    FixedString& operator=(const char* text) { return Assign(text); }

    const char* c_str() const { return m_text; }
    char* data() { return m_text; }
    operator const char*() const { return m_text; }
    int Length() const { return static_cast<int>(strlen(m_text)); }
    bool IsEmpty() const { return m_text[0] == 0; }
    void Clear() { m_text[0] = 0; }

    FixedString& Set(const char* text)
    {
        const size_t length = strnlen(text, N - 1);
        memmove(m_text, text, length);
        m_text[length] = 0;
        return *this;
    }

    FixedString& Assign(const char* text) { return text ? Set(text) : (Clear(), *this); }

    FixedString& Format(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        vsnprintf(m_text, N, format, args);
        va_end(args);
        return *this;
    }

    FixedString& AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        const int length = Length();
        va_list args;
        va_start(args, format);
        vsnprintf(m_text + length, N - length, format, args);
        va_end(args);
        return *this;
    }

    FixedString& Append(const char* text)
    {
        const int length = Length();
        const int room = N - 1 - length;
        if (room > 0 && text)
        {
            const size_t count = strnlen(text, room);
            memmove(m_text + length, text, count);
            m_text[length + count] = 0;
        }
        return *this;
    }

    FixedString& AppendChar(char c)
    {
        const int length = Length();
        if (length < N - 1)
        {
            m_text[length] = c;
            m_text[length + 1] = 0;
        }
        return *this;
    }

    // The string becomes its first `position` characters, then the text, then
    // the rest of the old string. A position beyond the text inserts at the end;
    // a position at or beyond the capacity leaves the string unchanged.
    FixedString& Insert(int position, const char* text)
    {
        if (position < 0 || position >= N - 1 || !text)
            return *this;
        const int length = Length();
        if (position > length)
            position = length;
        FixedString result;
        memcpy(result.m_text, m_text, position);
        result.m_text[position] = 0;
        result.Append(text);
        result.Append(m_text + position);
        *this = result;
        return *this;
    }

    // `length` characters from `offset`, both clamped to the text.
    FixedString Substring(int offset, int length) const
    {
        FixedString result;
        const int textLength = Length();
        if (offset < 0)
            offset = 0;
        if (offset > textLength)
            offset = textLength;
        if (length < 0)
            length = 0;
        if (length > textLength - offset)
            length = textLength - offset;
        memcpy(result.m_text, m_text + offset, length);
        result.m_text[length] = 0;
        return result;
    }

    bool EndsWith(const char* suffix) const
    {
        const int length = Length();
        const int suffixLength = static_cast<int>(strlen(suffix));
        if (suffixLength > length)
            return false;
        return memcmp(m_text + length - suffixLength, suffix, suffixLength) == 0;
    }

    int FindChar(char c) const
    {
        const char* found = strchr(m_text, c);
        return (found && c != 0) ? static_cast<int>(found - m_text) : -1;
    }

private:
    char m_text[N];
};

using FixedString16 = FixedString<16>;
using FixedString32 = FixedString<32>;
using FixedString64 = FixedString<64>;
using FixedString128 = FixedString<128>;
using FixedString256 = FixedString<256>;
using FixedString65356 = FixedString<65356>;
