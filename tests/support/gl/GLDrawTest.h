#pragma once
// GL tests that draw: the context fixture plus the vertex-path switch, a
// known starting state and read-back of what was drawn.

#include "GLTestContext.h"

#include <cstdint>
#include <vector>

constexpr int kGLTestWidth = 64;
constexpr int kGLTestHeight = 64;

// Chooses the vertex path: vertex array objects, or their client-array emulation.
void GLTestUseVertexArrays(bool use);

// RGBA bytes of the back buffer, bottom row first as GL reads them.
std::vector<uint8_t> GLTestReadPixels();

class GLDrawTest : public GLContextTest
{
protected:
    void SetUp() override;
    void TearDown() override;
};
