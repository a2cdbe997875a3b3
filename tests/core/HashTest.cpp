#include "core/Hash.h"

#include <gtest/gtest.h>

TEST(Hash, Placeholder) { EXPECT_EQ(HashString(""), 0u); }
