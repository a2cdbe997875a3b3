#pragma once
// The check every GL-heavy routine runs after its work. Each call site keeps
// its own counter, so one broken pass reports at most four failing checks in
// a row (the fourth says "errors continue...") and speaks again after a
// clean check.

// Returns the GL error code read (0 for none). A null counter reports every
// error; null names stand for "UnspecifiedFunction" and "UnspecifiedFile".
unsigned GLCheckError(int* counter, const char* function, const char* file, int line);

// The text for an error code.
const char* GLErrorText(unsigned code);

// The usual call: a counter of the call site's own.
#define GL_CHECK_ERROR(function)                                                                             \
    do                                                                                                       \
    {                                                                                                        \
        static int glCheckErrorCounter = 0;                                                                  \
        GLCheckError(&glCheckErrorCounter, function, __FILE__, __LINE__);                                    \
    } while (0)
