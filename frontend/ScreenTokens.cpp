#include "frontend/ScreenTokens.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

bool ScreenTokens::Next()
{
    m_hand[0] = 0;
    if (m_atEnd)
        return false;
    bool end = false;
    const bool got = m_tokenizer.NextToken(&end, m_hand, int(sizeof m_hand));
    if (end || !got)
        m_atEnd = true;
    return got;
}

bool ScreenTokens::HandIs(const char* word) const
{
    return strcmp(m_hand, word) == 0;
}

bool ScreenTokens::Float(float& value)
{
    if (!Next())
        return false;
    char* stop = nullptr;
    const float parsed = strtof(m_hand, &stop);
    if (stop == m_hand || *stop != 0 || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ScreenTokens::Int(int& value)
{
    if (!Next())
        return false;
    char* stop = nullptr;
    errno = 0;
    const long parsed = strtol(m_hand, &stop, 10);
    if (stop == m_hand || *stop != 0 || errno != 0 || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = int(parsed);
    return true;
}
