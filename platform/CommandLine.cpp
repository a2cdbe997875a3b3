#include "platform/CommandLine.h"

#include "core/StringUtil.h"

namespace
{
char g_stored[kCommandLineSize];
char g_parse[kCommandLineSize];
int g_position = 0;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsSign(char c)
{
    return c == '-' || c == '+';
}

// Ends the word that starts at the position with a terminator and moves past it.
const char* TakeWord()
{
    const char* word = g_parse + g_position;
    while (g_parse[g_position] && !IsBlank(g_parse[g_position]))
        ++g_position;
    if (g_parse[g_position])
        g_parse[g_position++] = 0;
    return word;
}

void SkipBlanks()
{
    while (IsBlank(g_parse[g_position]))
        ++g_position;
}
} // namespace

void CommandLineSet(const char* text)
{
    StringCopyN(g_stored, text ? text : "", kCommandLineSize);
}

void CommandLineAppend(const char* text)
{
    StringConcat(g_stored, text, kCommandLineSize);
}

const char* CommandLineGet()
{
    return g_stored;
}

void CommandLineReset()
{
    StringCopyN(g_parse, g_stored, kCommandLineSize);
    g_position = 0;
}

const char* CommandLineNextOption()
{
    // Only a word that begins with a sign is an option: arguments that no
    // option consumed are passed over whole, so "a-b" never yields "b".
    for (;;)
    {
        SkipBlanks();
        if (!g_parse[g_position])
            return nullptr;
        if (IsSign(g_parse[g_position]))
        {
            ++g_position;
            return TakeWord();
        }
        TakeWord();
    }
}

const char* CommandLineNextArgument()
{
    SkipBlanks();
    if (!g_parse[g_position] || g_parse[g_position] == '-')
        return nullptr;
    return TakeWord();
}
