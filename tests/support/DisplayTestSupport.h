#pragma once
// Helpers for tests that need a window system: whether one is there at all,
// and the error reports a test provokes.

#include "core/LogError.h"

#include <string>
#include <vector>

// GL tests skip only when no display exists; with one, a failure is a failure.
bool DisplayAvailable();

// Collects every LogError report while it lives.
class CapturedLog
{
public:
    CapturedLog() : m_previous(GetLogErrorHandler())
    {
        Lines().clear();
        SetLogErrorHandler(Capture);
    }
    ~CapturedLog() { SetLogErrorHandler(m_previous); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    const std::vector<std::string>& lines() const { return Lines(); }
    void Clear() { Lines().clear(); }

private:
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> lines;
        return lines;
    }
    static void Capture(const char* text) { Lines().push_back(text); }

    LogErrorHandler m_previous;
};
