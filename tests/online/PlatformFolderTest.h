#pragma once
// A fixture whose storefront lives in a scratch folder of its own, signed in
// as one user; the platform is shut down after each test.

#include "online/PlatformServices.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

class PlatformFolderTest : public ::testing::Test
{
protected:
    explicit PlatformFolderTest(const char* user) : m_user(user) {}

    void SetUp() override
    {
        setenv("PENDREL_PLATFORM_DIR", dir.Path().c_str(), 1);
        setenv("PENDREL_PLATFORM_USER", m_user, 1);
        unsetenv("PENDREL_PLATFORM");
    }
    void TearDown() override
    {
        PlatformShutdown();
        unsetenv("PENDREL_PLATFORM_DIR");
        unsetenv("PENDREL_PLATFORM_USER");
        unsetenv("PENDREL_PLATFORM");
    }

    TempDir dir;

private:
    const char* m_user;
};
