#pragma once
// Runs each console line as script. A line runs even after a script error,
// and an error in it leaves the engine's calls into scripts as they were.
#include "script/ConsoleListener.h"

class AppConsoleListener : public ConsoleListener
{
public:
    void OnLine(Console* console, const char* line) override;
};
