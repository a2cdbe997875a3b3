// Decimal text of script numbers without printf: concatenation, tostring and format convert numbers often.
#pragma once

#include <squirrel.h>

// Longest text either function writes, with its terminating zero.
constexpr SQInteger NUMBER_TEXT_SIZE = 64;

// Writes n in decimal to buf (at least NUMBER_TEXT_SIZE bytes) and returns the length.
SQInteger IntegerText(SQInteger n, char* buf);
// Writes what printf's "%g" writes for f, to buf (at least NUMBER_TEXT_SIZE bytes); returns the length.
SQInteger FloatText(SQFloat f, char* buf);

// Most decimals FixedText takes: its text then always fits NUMBER_TEXT_SIZE.
constexpr int FIXED_TEXT_MAX_DECIMALS = 9;
// Writes what printf's "%.*f" writes for f with `decimals` (0 to FIXED_TEXT_MAX_DECIMALS) after the point,
// to buf (at least NUMBER_TEXT_SIZE bytes); returns the length.
SQInteger FixedText(SQFloat f, int decimals, char* buf);
