#pragma once
// Error reporting: a printf-style message of at most 1023 characters handed
// to one installable handler. Progress and minor warnings go to EmptyFunction,
// which writes nothing.

using LogErrorHandler = void (*)(const char* text);

constexpr int kLogErrorBufferSize = 1024;

// Replaces the handler; null switches reporting off.
void SetLogErrorHandler(LogErrorHandler handler);
LogErrorHandler GetLogErrorHandler();

void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The debug print: takes a message and does nothing with it.
void EmptyFunction(const char* format, ...) __attribute__((format(printf, 1, 2)));
