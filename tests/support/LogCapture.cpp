#include "support/LogCapture.h"

#include <cstdio>

namespace
{
LogCapture* g_current = nullptr;
} // namespace

LogCapture::LogCapture() : m_previousHandler(GetLogErrorHandler()), m_previousCapture(g_current)
{
    g_current = this;
    SetLogErrorHandler(Collect);
}

LogCapture::~LogCapture()
{
    g_current = m_previousCapture;
    SetLogErrorHandler(m_previousHandler);
}

std::string LogCapture::Text() const
{
    std::string text;
    for (const std::string& line : m_lines)
        text += line;
    return text;
}

void LogCapture::Print() const
{
    if (m_lines.empty())
        return;
    fprintf(stderr, "Reports raised during the test:\n");
    for (const std::string& line : m_lines)
        fprintf(stderr, "  %s%s", line.c_str(), !line.empty() && line.back() == '\n' ? "" : "\n");
}

void LogCapture::Collect(const char* text)
{
    if (g_current)
        g_current->m_lines.push_back(text);
}
