#include "frontend/ScreenElementData.h"

#include "core/Hash.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Texture loads are recorded and answered with distinct fake addresses.
std::vector<std::string> g_loaded;
Texture* FakeTexture(const char* path)
{
    g_loaded.push_back(path);
    return reinterpret_cast<Texture*>(uintptr_t(g_loaded.size()) * 16);
}
void ForgetTexture(Texture** holder)
{
    *holder = nullptr;
}
const ScreenTextureSource kFakeTextures = {FakeTexture, ForgetTexture};

std::string Variant(int layoutWidth, int layoutHeight, int width, int height, int x, int y,
                    const std::string& textures = "")
{
    return "SCREEN_WIDTH\t" + std::to_string(layoutWidth) + "\tSCREEN_HEIGHT\t" + std::to_string(layoutHeight) +
           "\nWIDTH\t" + std::to_string(width) + "\tHEIGHT\t" + std::to_string(height) + "\tX\t" +
           std::to_string(x) + "\tY\t" + std::to_string(y) + "\n" + textures;
}

std::string Element(const std::string& name, const std::string& variants, const std::string& imitate = "")
{
    return "SCREEN_ELEMENT_BEGIN\nNAME\t" + name + "\n" + imitate + variants + "SCREEN_ELEMENT_END\n";
}

class ScreenElementDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_loaded.clear();
        ScreenElementDataSetTextureSource(&kFakeTextures);
    }
    void TearDown() override
    {
        ScreenElementDataClear(set);
        ScreenElementDataSetTextureSource(nullptr);
    }

    bool Read(const std::string& text) { return ScreenElementDataRead(set, "frontend", text.data(), int(text.size())); }
    ScreenElementRect Rect(const char* name, int player = 0, int texture = 0) const
    {
        return ScreenElementDataGetRect(set, HashString(name), player, texture);
    }

    ScreenElementData set;
    LogCapture log;
};

TEST_F(ScreenElementDataTest, TheNearestLayoutIsScaledToTheScreen)
{
    struct Case
    {
        int width, height, x, y;
        int expectX, expectY, expectWidth, expectHeight;
    };
    ASSERT_TRUE(Read(Element("box", Variant(1280, 720, 200, 100, 40, 20) + Variant(1024, 768, 100, 50, 10, 30))));
    const Case cases[] = {
        {1280, 720, 0, 0, 40, 20, 200, 100},   // the layout itself
        {1920, 1080, 0, 0, 60, 30, 300, 150},  // scaled by 1.5
        {1280, 720, 5, 7, 45, 27, 200, 100},   // moved by the screen's position
        {1280, 1024, 0, 0, 12, 40, 125, 66},   // aspect 1.25 is nearest 4:3
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(SetScreenProperties(set, c.width, c.height, c.x, c.y));
        const ScreenElementRect rect = Rect("box");
        EXPECT_TRUE(rect.found);
        EXPECT_EQ(rect.x, c.expectX) << c.width << "x" << c.height;
        EXPECT_EQ(rect.y, c.expectY) << c.width << "x" << c.height;
        EXPECT_EQ(rect.width, c.expectWidth) << c.width << "x" << c.height;
        EXPECT_EQ(rect.height, c.expectHeight) << c.width << "x" << c.height;
    }
}

TEST_F(ScreenElementDataTest, EqualAspectsPreferTheNearerHeightAndThenTheFirst)
{
    ASSERT_TRUE(Read(Element("box", Variant(1280, 720, 10, 10, 1, 0) + Variant(1920, 1080, 10, 10, 2, 0))));
    ASSERT_TRUE(SetScreenProperties(set, 1600, 900, 0, 0));
    // 900 is as far from 720 as from 1080: the earlier stays.
    EXPECT_EQ(Rect("box").x, 1);
    ASSERT_TRUE(SetScreenProperties(set, 1760, 990, 0, 0));
    EXPECT_EQ(Rect("box").x, 1);
    ASSERT_TRUE(SetScreenProperties(set, 1920, 1080, 0, 0));
    EXPECT_EQ(Rect("box").x, 2);
}

TEST_F(ScreenElementDataTest, TexturesByIndexAndNone)
{
    ASSERT_TRUE(Read(Element("box", Variant(640, 480, 1, 1, 0, 0, "TEXTURE\tup.tga\nTEXTURE\tNONE\nTEXTURE\tb.tga\n"))));
    ASSERT_TRUE(SetScreenProperties(set, 640, 480, 0, 0));
    EXPECT_EQ(g_loaded, (std::vector<std::string>{"frontend/up.tga", "frontend/b.tga"}));
    EXPECT_NE(Rect("box", 0, 0).texture, nullptr);
    EXPECT_EQ(Rect("box", 0, 1).texture, nullptr);
    EXPECT_NE(Rect("box", 0, 2).texture, nullptr);
    EXPECT_EQ(Rect("box", 0, 3).texture, nullptr) << "past the variant's textures";
    EXPECT_EQ(Rect("box", 0, -1).texture, nullptr);
}

TEST_F(ScreenElementDataTest, The65thTextureIsDropped)
{
    std::string textures;
    for (int i = 0; i < 65; ++i)
        textures += "TEXTURE\tt" + std::to_string(i) + ".tga\n";
    ASSERT_TRUE(Read(Element("box", Variant(640, 480, 1, 1, 0, 0, textures))));
    EXPECT_EQ(set.records[0].variants[0].textureCount, 64);
    EXPECT_EQ(g_loaded.size(), 64u);
    EXPECT_TRUE(log.Contains("dropped"));
}

TEST_F(ScreenElementDataTest, AnImitatingElementTakesTheOthersSizeAtItsOwnPlace)
{
    ASSERT_TRUE(Read(Element("other", Variant(640, 480, 30, 20, 100, 50, "TEXTURE\ta.tga\n")) +
                     Element("copy", Variant(640, 480, 1, 1, 40, 5), "IMITATE_ELEMENT_NAME\tother\n")));
    ASSERT_TRUE(SetScreenProperties(set, 640, 480, 0, 0));
    const ScreenElementRect rect = Rect("copy");
    EXPECT_EQ(rect.x, 140);
    EXPECT_EQ(rect.y, 55);
    EXPECT_EQ(rect.width, 30);
    EXPECT_EQ(rect.height, 20);
    EXPECT_NE(rect.texture, nullptr);
}

TEST_F(ScreenElementDataTest, AnImitationLoopIsCut)
{
    ASSERT_TRUE(Read(Element("a", Variant(640, 480, 1, 1, 0, 0), "IMITATE_ELEMENT_NAME\tb\n") +
                     Element("b", Variant(640, 480, 1, 1, 0, 0), "IMITATE_ELEMENT_NAME\ta\n")));
    ASSERT_TRUE(SetScreenProperties(set, 640, 480, 0, 0));
    EXPECT_FALSE(Rect("a").found);
}

TEST_F(ScreenElementDataTest, PlayersSeparateElements)
{
    ASSERT_TRUE(Read("PLAYER\t1\n" + Element("box", Variant(640, 480, 1, 1, 0, 0))));
    ASSERT_TRUE(SetScreenProperties(set, 640, 480, 0, 0));
    EXPECT_FALSE(Rect("box", 0).found);
    EXPECT_TRUE(Rect("box", 1).found);
    EXPECT_FALSE(Rect("unknown", 1).found);
}

TEST_F(ScreenElementDataTest, BadLayoutsAndBlocksAreRefused)
{
    ASSERT_TRUE(Read(Element("zero", Variant(0, 480, 1, 1, 0, 0)) + Element("ok", Variant(640, 480, 1, 1, 0, 0))));
    EXPECT_TRUE(log.Contains("refused"));
    EXPECT_EQ(set.records.size(), 1u) << "an element without a layout is skipped";
    EXPECT_FALSE(Read("SOMETHING_ELSE\n"));
    EXPECT_FALSE(SetScreenProperties(set, 0, 480, 0, 0));
    EXPECT_FALSE(SetScreenProperties(set, 640, -1, 0, 0));
}

TEST_F(ScreenElementDataTest, NumbersPastAnyScreenGiveRectanglesHeldWithinTwoToThe24)
{
    struct Case
    {
        const char *layoutWidth, *width, *x;
        int expectX, expectWidth;
    };
    constexpr int kLimit = 1 << 24;
    const Case cases[] = {
        {"1280", "1e30", "-1e30", -kLimit, kLimit}, // the layout itself: taken as they are
        {"1280", "3e9", "-3e9", -kLimit, kLimit},   // just past the int range
        {"1e-30", "200", "40", kLimit, kLimit},     // a sliver of a layout scales them past any screen
        {"1280", "200.9", "-40.9", -40, 200},       // fractions are cut toward zero
    };
    for (const Case& c : cases)
    {
        ScreenElementDataClear(set);
        const std::string variant = std::string("SCREEN_WIDTH\t") + c.layoutWidth + "\tSCREEN_HEIGHT\t720\nWIDTH\t" +
                                    c.width + "\tHEIGHT\t100\tX\t" + c.x + "\tY\t20\n";
        ASSERT_TRUE(Read(Element("box", variant))) << c.width;
        ASSERT_TRUE(SetScreenProperties(set, 1280, 720, 0, 0));
        const ScreenElementRect rect = Rect("box");
        EXPECT_EQ(rect.x, c.expectX) << c.layoutWidth << " " << c.x;
        EXPECT_EQ(rect.width, c.expectWidth) << c.layoutWidth << " " << c.width;
    }
}

TEST_F(ScreenElementDataTest, EveryPrefixKeepsTheWholeElementsReadBeforeIt)
{
    const std::string text = Element("first", Variant(640, 480, 1, 1, 0, 0, "TEXTURE\ta.tga\n")) +
                             "ANIM_SCREEN_ELEMENT_BEGIN\nNAME\tspin\nSCREEN_WIDTH\t640\tH\t480\tW\t1\tH\t1\tX\t0\tY\t0"
                             "\tFRAMES\t2\tF\ta.tga\tF\tb.tga\nEND\n" +
                             Element("second", Variant(640, 480, 1, 1, 0, 0));
    for (size_t length = 0; length <= text.size(); ++length)
    {
        ScreenElementDataClear(set);
        ScreenElementDataRead(set, "frontend", text.data(), int(length));
        EXPECT_LE(set.records.size(), 2u);
    }
    EXPECT_EQ(set.records.size(), 2u);
}
} // namespace

struct ElementBoundCase
{
    int elements;
    int variantsEach;
    size_t keptElements;
    size_t keptVariants; // of the first element
    std::vector<std::string> reports;
};

// A file of very many elements or layouts keeps the first ones, loads the
// textures of those only and reports once.
TEST_F(ScreenElementDataTest, ElementsAndLayoutsPastTheirBoundsAreLeftOutWithOneReport)
{
    const size_t kElements = kScreenElementMaxElements;
    const size_t kVariants = kScreenElementMaxVariants;
    const ElementBoundCase cases[] = {
        {kScreenElementMaxElements + 5, 1, kElements, 1,
         {"Screen element data: more than 4096 elements in one file; the last 5 are left out.\n"}},
        {2, kScreenElementMaxVariants + 8, 2, kVariants,
         {"Screen element data: elements of more than 32 layouts; 16 layouts are left out.\n"}},
        {kScreenElementMaxElements, 1, kElements, 1, {}},
        {1, kScreenElementMaxVariants, 1, kVariants, {}},
    };
    for (const ElementBoundCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.elements) + " elements of " + std::to_string(c.variantsEach));
        ScreenElementDataClear(set);
        g_loaded.clear();
        log.Clear();
        std::string variants;
        for (int v = 0; v < c.variantsEach; ++v)
            variants += Variant(640 + v, 480, 10, 10, v, 0, "TEXTURE\tt.tga\n");
        std::string text;
        for (int e = 0; e < c.elements; ++e)
            text += Element("e" + std::to_string(e), variants);
        EXPECT_TRUE(Read(text));
        EXPECT_EQ(log.Lines(), c.reports);
        ASSERT_EQ(set.records.size(), c.keptElements);
        EXPECT_EQ(set.records[0].variants.size(), c.keptVariants);
        EXPECT_EQ(g_loaded.size(), c.keptElements * c.keptVariants) << "no texture of what is left out";
        EXPECT_TRUE(Rect(("e" + std::to_string(c.keptElements - 1)).c_str()).found);
    }
}
