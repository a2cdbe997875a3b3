#pragma once
// The optional hardware paths: each row says whether the driver offers it
// and whether the program wants it. Row 0 chooses the deferred frame over
// the forward one, row 1 vertex array objects over their emulation; the
// choice is made once at start-up and holds for the run.

#include <cstdint>

enum GLCapabilityIndex
{
    kGLCapDeferred = 0,
    kGLCapVertexArrayObjects = 1,
    kGLCapCount = 2,
};

struct GLCapability
{
    const char* name;
    uint8_t hardware;
    uint8_t client;
};

// The leading number of a GL_VERSION string ("4.5 Mesa ..." gives 4.5); 0
// for a null or empty string.
double GLVersionNumber(const char* version);
// Whole-word match in a space-separated extension string; null is empty.
bool GLHasExtension(const char* extensions, const char* name);
// The hardware flags the driver's strings call for.
void GLCapsDecide(const char* version, const char* extensions, bool wimpy, uint8_t hardware[kGLCapCount]);

void GLCapsSetWimpy();
// Writes the driver's strings to "tolvanGFX.log" and computes the rows once.
void GLCapsInit();
void GLCapsSetClient(int index, bool flag);
bool GLCapsUsable(int index);
bool GLCapsIsSupported(int index);
const GLCapability& GLCapsRow(int index);

// Back to the start-up state (rows not computed, wimpy off), for tests.
void GLCapsReset();
