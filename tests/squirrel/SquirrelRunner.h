// Runs Squirrel source in a fresh VM and captures what it prints.
#pragma once

#include <squirrel.h>

#include <string>

struct SquirrelRun
{
    bool compiled = false;
    bool ran = false;
    std::string output;      // print()
    std::string errorOutput; // error()
    std::string error;       // compile or run-time error message
    std::string errorSource;
    int errorLine = 0;
    int errorColumn = 0;
};

SquirrelRun RunSquirrel(const std::string& source, const std::string& sourceName = "test");
