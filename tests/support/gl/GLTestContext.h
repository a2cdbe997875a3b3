#pragma once
// A fixture with a real GL context on a small window.

#include "support/LogCapture.h"

#include <gtest/gtest.h>

// The small window and its context, for fixtures that keep one for a whole
// suite; what went wrong is in the reports collected around the call.
bool GLTestOpenContext();
void GLTestCloseContext();

class GLContextTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // What the test raised outside captures of its own, printed when it
    // fails: a context that would not come up says why here.
    LogCapture m_reports;
};
