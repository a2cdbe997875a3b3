#include "platform/Display.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace
{
struct AttributeCase
{
    const char* what;
    std::vector<uint32_t> list;
    bool fullScreen;
    int samples;
    int swapInterval;
};

const AttributeCase kAttributeCases[] = {
    {"empty list: window, no wait", {0}, false, 0, 0},
    {"sync 1 alone", {0x111, 0}, false, 0, 1},
    {"full screen with 4 samples", {0x100, 0x200, 4, 0}, true, 4, 0},
    {"full screen then sync keeps both", {0x100, 0x111, 0}, true, 0, 1},
    {"sync then full screen keeps both", {0x112, 0x100, 0}, true, 0, 2},
    {"windowed and threadgl are passed over", {0x101, 0x501, 0x110, 0}, false, 0, 0},
    {"highest swap interval", {0x11F, 0}, false, 0, 15},
    {"one past the swap codes is passed over", {0x120, 0}, false, 0, 0},
    {"a sample count is never read as a code", {0x200, 0x100, 0}, false, 32, 0},
    {"a later code of a kind wins", {0x111, 0x200, 2, 0x113, 0x200, 8, 0}, false, 8, 3},
    {"sample counts are bounded", {0x200, 0xFFFFFFFFu, 0}, false, 32, 0},
    {"a zero sample count ends the list", {0x200, 0, 0x100, 0}, false, 0, 0},
};

void PrintTo(const AttributeCase& c, std::ostream* out)
{
    *out << c.what;
}

class DisplayAttributeRead : public testing::TestWithParam<AttributeCase>
{
};

TEST_P(DisplayAttributeRead, ReadsEveryCode)
{
    const AttributeCase& c = GetParam();
    const DisplayAttributes attributes = DisplayReadAttributes(c.list.data());
    EXPECT_EQ(attributes.fullScreen, c.fullScreen) << c.what;
    EXPECT_EQ(attributes.samples, c.samples) << c.what;
    EXPECT_EQ(attributes.swapInterval, c.swapInterval) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Lists, DisplayAttributeRead, testing::ValuesIn(kAttributeCases));
} // namespace

TEST(DisplayAttributes, NullListIsAnEmptyOne)
{
    const DisplayAttributes attributes = DisplayReadAttributes(nullptr);
    EXPECT_FALSE(attributes.fullScreen);
    EXPECT_EQ(attributes.samples, 0);
    EXPECT_EQ(attributes.swapInterval, 0);
}

TEST(DisplayPixelFormat, TrueColourDesktopAsksForAlphaDepthAndStencil)
{
    for (const int bits : {24, 32})
    {
        const DisplayPixelFormat format = DisplayChoosePixelFormat(bits, 4);
        EXPECT_EQ(format.red + format.green + format.blue, 24);
        EXPECT_EQ(format.alpha, 8);
        EXPECT_EQ(format.depth, 24);
        EXPECT_EQ(format.stencil, 8);
        EXPECT_EQ(format.samples, 4);
    }
}

TEST(DisplayPixelFormat, SixteenBitDesktopAsksForSixteenColourBitsAndNoAlpha)
{
    const DisplayPixelFormat format = DisplayChoosePixelFormat(16, 0);
    EXPECT_EQ(format.red + format.green + format.blue, 16);
    EXPECT_EQ(format.alpha, 0);
    EXPECT_EQ(format.depth, 24);
    EXPECT_EQ(format.stencil, 8);
}
