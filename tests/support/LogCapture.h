#pragma once
// Collects what the code under test reports, for tests that check a failure
// was reported (and for keeping expected reports out of the test output).
// Captures nest: the innermost one collects, and each puts back the handler
// it replaced.

#include "core/LogError.h"

#include <string>
#include <vector>

class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // One entry per report, in order.
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Every report joined.
    std::string Text() const;
    bool Contains(const char* part) const { return Text().find(part) != std::string::npos; }
    bool Empty() const { return m_lines.empty(); }
    void Clear() { m_lines.clear(); }
    // Writes what was collected to the test output, for a fixture whose test
    // failed: the report says why far better than the failed check does.
    void Print() const;

private:
    static void Collect(const char* text);

    std::vector<std::string> m_lines;
    LogErrorHandler m_previousHandler;
    LogCapture* m_previousCapture;
};
