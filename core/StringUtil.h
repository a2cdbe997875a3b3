#pragma once
// Small helpers over zero-terminated strings; FixedString converts to
// const char*, so they serve both.

#include <cstdint>

bool StringEquals(const char* a, const char* b);
bool StringDiffers(const char* a, const char* b);
// Byte-wise unsigned order: the key order of maps keyed by names.
bool StringLess(const char* a, const char* b);
bool StringContains(const char* text, const char* part);
int StringFindLastChar(const char* text, char c);
void StringToUpper(char* text);
void StringToLower(char* text);
int StringLength(const char* text);
void StringReplaceChar(char* text, char from, char to);

bool CStringEquals(const char* a, const char* b);
bool CStringEqualsN(const char* a, const char* b, int n);
int CStringLength(const char* text);
// Decimal text to int32, stopping at the first character that is not part of
// the number; leading blanks and a sign are accepted; saturates on overflow.
int32_t StringToInt(const char* text);
float StringToFloat(const char* text);
const char* StringFind(const char* text, const char* part);
// Copies at most size - 1 characters and a terminator; size <= 0 writes nothing.
void StringCopyN(char* destination, const char* source, int size);
// Appends within a buffer of `size` bytes; what does not fit is dropped.
void StringConcat(char* destination, const char* source, int size);
void StringToLowerC(char* text);
void StringToUpperC(char* text);

struct StringLessFunctor
{
    bool operator()(const char* a, const char* b) const { return StringLess(a, b); }
};
