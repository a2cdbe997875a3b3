#include "core/Tokenizer.h"

#include <cstring>

namespace
{
constexpr const char* kDefaultSeparators = "\t\r\n";
constexpr const char* kLineSeparators = "\r\n";
constexpr char kCommentChar = '#';

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
} // namespace

Tokenizer::Tokenizer() : m_separators(kDefaultSeparators)
{
    SeparatorsChanged();
}

void Tokenizer::SetText(const char* text, int length)
{
    m_text = text;
    m_length = (text && length > 0) ? length : 0;
    m_position = 0;
    m_active = 1;
    DefaultSeparators();
}

void Tokenizer::SetSeparators(const char* characters)
{
    m_separators.Append(characters);
    SeparatorsChanged();
}

void Tokenizer::DefaultSeparators()
{
    SetOnlySeparators(kDefaultSeparators);
}

void Tokenizer::SetLineSeparators()
{
    SetOnlySeparators(kLineSeparators);
}

void Tokenizer::SetOnlySeparators(const char* characters)
{
    m_separators = characters;
    SeparatorsChanged();
}

void Tokenizer::Stop()
{
    m_active = 0;
}

void Tokenizer::Reset()
{
    m_active = 0;
    DefaultSeparators();
}

bool Tokenizer::NextToken(bool* end, char* buffer, int size)
{
    bool ignored = false;
    if (!end)
        end = &ignored;
    *end = false;
    if (!m_active)
        return false;
    if (m_position < 0)
    {
        *end = true;
        return false;
    }
    bool token = false;
    while (!token && !*end)
        token = RawStep(end, buffer, size);
    return token;
}

void Tokenizer::SeparatorsChanged()
{
    memset(m_isSeparator, 0, sizeof m_isSeparator);
    for (const char* c = m_separators.c_str(); *c; ++c)
        m_isSeparator[static_cast<unsigned char>(*c)] = true;
}

int Tokenizer::FindSeparator(int from) const
{
    for (int i = from; i < m_length; ++i)
        if (IsSeparator(m_text[i]))
            return i;
    return -1;
}

int Tokenizer::FindComment(int from, int before) const
{
    if (before <= from)
        return -1;
    const void* found = memchr(m_text + from, kCommentChar, before - from);
    return found ? static_cast<int>(static_cast<const char*>(found) - m_text) : -1;
}

int Tokenizer::FindLineEnd(int from) const
{
    for (int i = from; i < m_length; ++i)
        if (IsLineEnd(m_text[i]))
            return i;
    return -1;
}

// Tokens longer than the buffer are cut rather than overrun it.
void Tokenizer::CopyToken(int from, int to, char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return;
    int count = to - from;
    if (count > size - 1)
        count = size - 1;
    if (count > 0)
        memcpy(buffer, m_text + from, count);
    buffer[count] = 0;
}

void Tokenizer::SkipSeparators(bool* end)
{
    while (m_position < m_length && IsSeparator(m_text[m_position]))
        ++m_position;
    if (m_position >= m_length)
    {
        m_position = -1;
        *end = true;
    }
}

// One step from the current position: a token up to the next separator or
// comment, then past the separators (or the comment's line) that follow.
// The step may store nothing when it only passed a comment or an empty stretch.
bool Tokenizer::RawStep(bool* end, char* buffer, int size)
{
    *end = false;
    const int separator = FindSeparator(m_position);
    const int stretchEnd = separator < 0 ? m_length : separator;
    // The text's last stretch is searched for a comment too, so a comment on a
    // last line without a line end is not read as data.
    const int comment = FindComment(m_position, stretchEnd);
    bool token = true;
    if (comment < 0)
    {
        CopyToken(m_position, stretchEnd, buffer, size);
        token = stretchEnd > m_position;
        m_position = stretchEnd;
    }
    else
    {
        if (comment > m_position)
            CopyToken(m_position, comment, buffer, size);
        else
            token = false;
        const int lineEnd = FindLineEnd(comment);
        if (lineEnd < 0)
        {
            m_position = -1;
            *end = true;
            return token;
        }
        m_position = lineEnd + 1;
    }
    SkipSeparators(end);
    return token;
}

Tokenizer* TokenizerCreate()
{
    return new Tokenizer();
}

void TokenizerDestroy(Tokenizer* tokenizer)
{
    delete tokenizer;
}

void TokenizerSetText(Tokenizer* tokenizer, const char* text, int length)
{
    tokenizer->SetText(text, length);
}

void TokenizerSetSeparators(Tokenizer* tokenizer, const char* characters)
{
    tokenizer->SetSeparators(characters);
}

void TokenizerStop(Tokenizer* tokenizer)
{
    tokenizer->Stop();
}

void TokenizerReset(Tokenizer* tokenizer)
{
    tokenizer->Reset();
}

bool TokenizerNextToken(Tokenizer* tokenizer, bool* end, char* buffer, int size)
{
    return tokenizer->NextToken(end, buffer, size);
}

Tokenizer& GetTokenizer()
{
    static Tokenizer tokenizer;
    return tokenizer;
}

void TokenSetText(const char* text, int length)
{
    GetTokenizer().SetText(text, length);
}

void TokenSetSeparators(const char* characters)
{
    GetTokenizer().SetSeparators(characters);
}

void TokenDefaultSeparators()
{
    GetTokenizer().DefaultSeparators();
}

void TokenSetOnlySeparators(const char* characters)
{
    GetTokenizer().SetOnlySeparators(characters);
}

void TokenSetLineSeparators()
{
    GetTokenizer().SetLineSeparators();
}

void TokenStop()
{
    GetTokenizer().Stop();
}

void TokenReset()
{
    GetTokenizer().Reset();
}

int TokenGetPosition()
{
    return GetTokenizer().GetPosition();
}

bool TokenNext(bool* end, char* buffer, int size)
{
    return GetTokenizer().NextToken(end, buffer, size);
}

namespace
{
void TrimLineEnds(char* token)
{
    int length = static_cast<int>(strlen(token));
    while (length > 0 && IsLineEnd(token[length - 1]))
        token[--length] = 0;
    int start = 0;
    while (IsLineEnd(token[start]))
        ++start;
    memmove(token, token + start, size_t(length - start + 1));
}
} // namespace

bool TokenNextWithoutLineEnds(bool& end, char* buffer, int size)
{
    while (!end)
    {
        if (!TokenNext(&end, buffer, size))
            return false;
        TrimLineEnds(buffer);
        if (buffer[0])
            return true;
    }
    return false;
}
