#pragma once
// Runs each console line as script. A line runs even after a script error,
// and an error in it leaves the engine's calls into scripts as they were.
// With a print hook, what the line prints goes to the console as well.
#include "script/ConsoleListener.h"

class AppConsoleListener : public ConsoleListener
{
public:
    using PrintToConsole = void (*)(Console* console, const char* text);

    explicit AppConsoleListener(PrintToConsole print = nullptr) : m_print(print) {}
    void OnLine(Console* console, const char* line) override;

private:
    static void ForwardPrint(void* context, const char* text);

    PrintToConsole m_print;
    Console* m_running = nullptr;
};
