#include "platform/CommandLine.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
// Walks the whole line: "name(arg,arg) name()" for every option.
std::string WalkWithArguments(const std::string& line)
{
    CommandLineSet(line.c_str());
    CommandLineReset();
    std::string walked;
    while (const char* option = CommandLineNextOption())
    {
        walked += walked.empty() ? "" : " ";
        walked += std::string(option) + "(";
        bool first = true;
        while (const char* argument = CommandLineNextArgument())
        {
            walked += std::string(first ? "" : ",") + argument;
            first = false;
        }
        walked += ")";
    }
    return walked;
}

// Walks the options alone, as a reader that takes no arguments would.
std::string WalkOptionsOnly(const std::string& line)
{
    CommandLineSet(line.c_str());
    CommandLineReset();
    std::string walked;
    while (const char* option = CommandLineNextOption())
        walked += (walked.empty() ? "" : " ") + std::string(option);
    return walked;
}

struct ParseCase
{
    const char* line;
    const char* withArguments;
    const char* optionsOnly;
};

const ParseCase kParseCases[] = {
    {"-rsize 1280 720 -windowed", "rsize(1280,720) windowed()", "rsize windowed"},
    // A word that begins with '-' is an option, never an argument.
    {"-startup -5 -nosound", "startup() 5() nosound()", "startup 5 nosound"},
    {"-run  game.nut", "run(game.nut)", "run"},
    {"-a\t1\t-b", "a(1) b()", "a b"},
    {"", "", ""},
    {"   ", "", ""},
    {"junk -quickstart level 3", "quickstart(level,3)", "quickstart"},
    {"+sync 1", "sync(1)", "sync"},
    // Only '-' ends the arguments; '+' starts an option only in place of one.
    {"-a +b", "a(+b)", "a b"},
    // Arguments no option consumed are passed over whole, signs inside them too.
    {"-run a-b c+d -sync", "run(a-b,c+d) sync()", "run sync"},
    {"-connect_lobby 1234-5678", "connect_lobby(1234-5678)", "connect_lobby"},
    // Quotes mean nothing: an argument holds no blank.
    {"-run \"my file\"", "run(\"my,file\")", "run"},
    {"-", "()", ""},
};

TEST(CommandLine, ParsesTheTableOfLines)
{
    for (const ParseCase& parse : kParseCases)
    {
        SCOPED_TRACE(parse.line);
        EXPECT_EQ(WalkWithArguments(parse.line), parse.withArguments);
        EXPECT_EQ(WalkOptionsOnly(parse.line), parse.optionsOnly);
    }
}

TEST(CommandLine, NextOptionAtTheEndStaysNull)
{
    CommandLineSet("-x");
    CommandLineReset();
    EXPECT_STREQ(CommandLineNextOption(), "x");
    EXPECT_EQ(CommandLineNextOption(), nullptr);
    EXPECT_EQ(CommandLineNextOption(), nullptr);
    EXPECT_EQ(CommandLineNextArgument(), nullptr);
}

TEST(CommandLine, ResetWalksTheLineAgainUnchanged)
{
    CommandLineSet("-rsize 800 600");
    CommandLineReset();
    EXPECT_STREQ(CommandLineNextOption(), "rsize");
    EXPECT_STREQ(CommandLineNextArgument(), "800");
    EXPECT_STREQ(CommandLineGet(), "-rsize 800 600");
    EXPECT_EQ(WalkWithArguments(CommandLineGet()), "rsize(800,600)");
}

TEST(CommandLine, StoredTextKeepsAtMost255Characters)
{
    const std::string longLine(300, 'x');
    CommandLineSet(longLine.c_str());
    EXPECT_EQ(std::string(CommandLineGet()), std::string(255, 'x'));

    CommandLineSet(std::string(250, 'y').c_str());
    CommandLineAppend(" -windowed");
    EXPECT_EQ(std::string(CommandLineGet()), std::string(250, 'y') + " -win");
}

TEST(CommandLine, AppendedDisplayOptionsAreParsedAfterTheFirstOnes)
{
    CommandLineSet("-usemouse -rsize 640 480");
    CommandLineAppend(" -rsize 800 600 -windowed");
    EXPECT_EQ(WalkWithArguments(CommandLineGet()), "usemouse() rsize(640,480) rsize(800,600) windowed()");
}

TEST(CommandLine, NullSetsAnEmptyLine)
{
    CommandLineSet(nullptr);
    EXPECT_STREQ(CommandLineGet(), "");
    CommandLineReset();
    EXPECT_EQ(CommandLineNextOption(), nullptr);
}
} // namespace
