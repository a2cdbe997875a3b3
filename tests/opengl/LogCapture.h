#pragma once
// Collects what the code under test reports, for tests that check a failure
// was reported (and for keeping expected reports out of the test output).

#include "core/LogError.h"

#include <string>

class LogCapture
{
public:
    LogCapture() : m_previous(GetLogErrorHandler())
    {
        Text().clear();
        SetLogErrorHandler([](const char* text) { Text() += text; });
    }
    ~LogCapture() { SetLogErrorHandler(m_previous); }

    static std::string& Text()
    {
        static std::string text;
        return text;
    }
    bool Contains(const char* part) const { return Text().find(part) != std::string::npos; }

private:
    LogErrorHandler m_previous;
};
