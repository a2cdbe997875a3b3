#pragma once
// The program's command line: options are words that begin with '-' or '+',
// each followed by its arguments, the words up to the next option. Words are
// separated by blanks; quotes have no meaning, so an argument holds no blank.

constexpr int kCommandLineSize = 256;

// Stores at most 255 characters of the line.
void CommandLineSet(const char* text);
// Appends to the stored line; what does not fit is dropped.
void CommandLineAppend(const char* text);
const char* CommandLineGet();

// Starts a new walk over a copy of the stored line.
void CommandLineReset();
// The next option's name without its sign, or null at the end of the line.
const char* CommandLineNextOption();
// The next argument of the current option, or null when the line ends or the
// next word is an option (so a negative number cannot be an argument).
const char* CommandLineNextArgument();
