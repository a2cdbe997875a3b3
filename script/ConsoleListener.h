#pragma once
// What the console hands a typed line to. The console installs a listener;
// the application's listener runs the line as script.
class Console;

class ConsoleListener
{
public:
    virtual void OnLine(Console* console, const char* line) = 0;
    // The text a print just appended to the console's output.
    virtual void OnPrint(Console*, const char*) {}

protected:
    ~ConsoleListener() = default;
};
