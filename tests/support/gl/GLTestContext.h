#pragma once
// A fixture with a real GL context on a small window.

#include <gtest/gtest.h>

class GLContextTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};
