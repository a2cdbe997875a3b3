#include "frontend/ScreenElementManager.h"

#include "core/FileTable.h"
#include "core/Hash.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "tools/formats/ScreenWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
// Loads answer distinct fake addresses, except for names with "missing";
// every reference is counted, so that a leak or a double release shows.
std::vector<std::string> g_loaded;
std::map<Texture*, int> g_references;
Texture* FakeTexture(const char* path)
{
    if (std::string(path).find("missing") != std::string::npos)
        return nullptr;
    g_loaded.push_back(path);
    Texture* texture = reinterpret_cast<Texture*>(uintptr_t(g_loaded.size()) * 16);
    ++g_references[texture];
    return texture;
}
void ReleaseTexture(Texture** holder)
{
    if (*holder)
        --g_references[*holder];
    *holder = nullptr;
}
const ScreenTextureSource kFakeTextures = {FakeTexture, ReleaseTexture};

Texture* Loaded(const std::string& path)
{
    const auto at = std::find(g_loaded.begin(), g_loaded.end(), path);
    return at == g_loaded.end() ? nullptr : reinterpret_cast<Texture*>(uintptr_t(at - g_loaded.begin() + 1) * 16);
}

ManagedElementSpec Plain(const std::string& name, std::vector<ScreenLayoutSpec> layouts)
{
    ManagedElementSpec spec;
    spec.name = name;
    spec.layouts = std::move(layouts);
    return spec;
}

ManagedElementSpec Animated(const std::string& name, std::vector<ScreenLayoutSpec> layouts)
{
    ManagedElementSpec spec = Plain(name, std::move(layouts));
    spec.animated = true;
    return spec;
}

class ScreenElementManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_loaded.clear();
        g_references.clear();
        ScreenElementDataSetTextureSource(&kFakeTextures);
        manager = std::make_unique<ScreenElementManager>();
        ASSERT_TRUE(manager->SetScreenProperties(1280, 720, 0, 0));
    }
    void TearDown() override
    {
        manager.reset();
        for (const auto& reference : g_references)
            EXPECT_EQ(reference.second, 0) << "a texture reference left or released twice";
        ScreenElementDataSetTextureSource(nullptr);
    }

    bool Read(const std::string& text, bool singleVariant = false)
    {
        return manager->Read("frontend", text.data(), int(text.size()), singleVariant);
    }

    std::unique_ptr<ScreenElementManager> manager;
    LogCapture log;
};

TEST_F(ScreenElementManagerTest, ASingleVariantLoadKeepsTheLayoutOfTheSmallestHeight)
{
    const std::string text = ManagedElementText(
        {Plain("high_first", {{1920, 1080, 300, 150, 60, 30, {"big.tga"}}, {1280, 720, 200, 100, 40, 20, {"small.tga"}}}),
         Plain("low_first", {{1280, 720, 20, 10, 4, 2, {"a.tga"}}, {1920, 1080, 30, 15, 6, 3, {"b.tga"}},
                             {960, 720, 8, 8, 1, 1, {"c.tga"}}})});
    ASSERT_TRUE(Read(text, true)) << log.Text();
    ASSERT_EQ(manager->Elements().size(), 2u);
    for (const ManagedScreenElement& element : manager->Elements())
        ASSERT_EQ(element.variants.size(), 1u);
    EXPECT_FLOAT_EQ(manager->Elements()[0].variants[0].layoutHeight, 720.0f);
    EXPECT_FLOAT_EQ(manager->Elements()[0].variants[0].width, 200.0f);
    EXPECT_FLOAT_EQ(manager->Elements()[1].variants[0].width, 20.0f) << "the first of equal heights stays";
    // Only the kept variants' textures are loaded.
    EXPECT_EQ(g_loaded, (std::vector<std::string>{"frontend/small.tga", "frontend/a.tga"}));
}

TEST_F(ScreenElementManagerTest, AnOrdinaryLoadKeepsEveryVariantAndPlacesTheOneThatSuitsTheScreen)
{
    ASSERT_TRUE(Read(ManagedElementText(
        {Plain("box", {{1920, 1080, 300, 150, 60, 30, {"big.tga"}}, {1280, 720, 200, 100, 40, 20, {"NONE"}}})})));
    ASSERT_EQ(manager->Elements()[0].variants.size(), 2u);
    ScreenElementRect rect = manager->Place(HashString("box"));
    ASSERT_TRUE(rect.found);
    EXPECT_EQ(rect.x, 40);
    EXPECT_EQ(rect.width, 200);
    EXPECT_EQ(rect.texture, nullptr);
    ASSERT_TRUE(manager->SetScreenProperties(1920, 1080, 5, 7));
    rect = manager->Place(HashString("box"));
    EXPECT_EQ(rect.x, 65);
    EXPECT_EQ(rect.y, 37);
    EXPECT_EQ(rect.height, 150);
    EXPECT_EQ(rect.texture, Loaded("frontend/big.tga"));
    EXPECT_FALSE(manager->Place(HashString("nothing")).found);
}

TEST_F(ScreenElementManagerTest, AnAnimatedElementGathersTheFramesOfEveryLayoutAndKeepsTheLastNumbers)
{
    // Layouts of 640 x 360 on the 1280 x 720 screen: every number doubles.
    ASSERT_TRUE(Read(ManagedElementText({Animated("spin", {{640, 480, 10, 10, 1, 1, {"a.tga", "b.tga"}},
                                                            {640, 360, 32, 16, 8, 4, {"c.tga", "d.tga"}}})})))
        << log.Text();
    const AnimScreenElementPrototype* spin = manager->FindAnimated(HashString("spin"));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->frames.size(), 4u);
    EXPECT_EQ(spin->frames[3], Loaded("frontend/d.tga"));
    EXPECT_EQ(spin->width, 64);
    EXPECT_EQ(spin->height, 32);
    EXPECT_EQ(spin->x, 16);
    EXPECT_EQ(spin->y, 8);
    EXPECT_FLOAT_EQ(spin->layoutHeight, 360.0f);
    EXPECT_EQ(manager->FindAnimated(HashString("box")), nullptr);
}

TEST_F(ScreenElementManagerTest, MissingTexturesAreReportedAndLeaveNone)
{
    ASSERT_TRUE(Read(ManagedElementText({Plain("box", {{1280, 720, 1, 1, 0, 0, {"missing.tga"}}}),
                                         Animated("spin", {{1280, 720, 1, 1, 0, 0, {"a.tga", "missing2.tga"}}})})));
    EXPECT_TRUE(log.Contains("Texture not found: frontend/missing.tga \n"));
    EXPECT_TRUE(log.Contains("Texture not found: frontend/missing2.tga \n"));
    EXPECT_EQ(manager->Place(HashString("box")).texture, nullptr);
    EXPECT_EQ(manager->FindAnimated(HashString("spin"))->frames.size(), 1u);
}

TEST_F(ScreenElementManagerTest, PlacedTexturesAndFramesCarryReferencesOfTheirOwn)
{
    ASSERT_TRUE(Read(ManagedElementText({Plain("box", {{1280, 720, 10, 10, 0, 0, {"box.tga"}}}),
                                         Animated("spin", {{1280, 720, 5, 5, 0, 0, {"a.tga", "b.tga"}}})})));
    ScreenElementRect rect = manager->PlaceWithReference(HashString("box"));
    std::vector<Texture*> frames = manager->FramesWithReferences(*manager->FindAnimated(HashString("spin")));
    ASSERT_NE(rect.texture, nullptr);
    ASSERT_EQ(frames.size(), 2u);
    manager.reset();
    EXPECT_EQ(g_references[rect.texture], 1) << "the receiver's reference outlives the manager";
    for (Texture* frame : frames)
        EXPECT_EQ(g_references[frame], 1);
    ScreenElementTextureRelease(&rect.texture);
    for (Texture*& frame : frames)
        ScreenElementTextureRelease(&frame);
    EXPECT_EQ(ScreenElementManager().PlaceWithReference(HashString("box")).texture, nullptr);
}

// Damaged files: the reading ends with a report, what came before stays,
// and nothing is read past the text.
struct DamagedCase
{
    const char* name;
    std::string text;
    size_t elements;
    size_t animated;
};

class ScreenElementManagerDamageTest : public ScreenElementManagerTest, public testing::WithParamInterface<DamagedCase>
{
};

TEST_P(ScreenElementManagerDamageTest, EndsWithAReport)
{
    const DamagedCase& c = GetParam();
    EXPECT_FALSE(Read(c.text));
    EXPECT_FALSE(log.Empty());
    EXPECT_EQ(manager->Elements().size(), c.elements);
    EXPECT_EQ(manager->AnimatedElements().size(), c.animated);
}

const std::string kBox = ManagedElementText({Plain("box", {{1280, 720, 1, 1, 0, 0, {"a.tga"}}})});

INSTANTIATE_TEST_SUITE_P(
    Files, ScreenElementManagerDamageTest,
    testing::Values(
        DamagedCase{"StrayWord", kBox + "HELLO\n", 1, 0},
        DamagedCase{"FrameCountPastTheText",
                    "ANIM_SCREEN_ELEMENT_BEGIN\nNAME\tspin\nSCREEN_WIDTH\t640\tH\t480\tW\t1\tH\t1\tX\t0\tY\t0\n"
                    "FRAMES\t2000000000\nFRAME\ta.tga\nFRAME\tb.tga\n",
                    0, 1},
        DamagedCase{"NegativeFrameCount",
                    "ANIM_SCREEN_ELEMENT_BEGIN\nNAME\tspin\nSCREEN_WIDTH\t640\tH\t480\tW\t1\tH\t1\tX\t0\tY\t0\n"
                    "FRAMES\t-3\n",
                    0, 1},
        DamagedCase{"LetterForANumber", "SCREEN_ELEMENT_BEGIN\nNAME\tbox\nSCREEN_WIDTH\twide\n", 0, 0},
        DamagedCase{"NameMissing", "PLAYER\t0\nSCREEN_ELEMENT_BEGIN\nNAME\n", 0, 0}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

// A cut file keeps no more than the whole file holds; once the cut falls
// past an element's end, that element is read whole; and every texture a
// cut read took goes back with its manager.
TEST_F(ScreenElementManagerTest, AnyPrefixOfAGoodFileReadsWithoutFault)
{
    const ManagedElementSpec box =
        Plain("box", {{1920, 1080, 300, 150, 60, 30, {"big.tga"}}, {1280, 720, 2, 1, 4, 2, {"NONE"}}});
    const std::string boxText = ManagedElementText({box});
    const std::string text = ManagedElementText({box, Animated("spin", {{640, 360, 32, 16, 8, 4, {"c.tga", "d.tga"}}})});
    ASSERT_EQ(text.compare(0, boxText.size(), boxText), 0);
    ASSERT_TRUE(Read(text)) << log.Text();
    const ScreenElementRect whole = manager->Place(HashString("box"));
    ASSERT_TRUE(whole.found);
    const std::map<Texture*, int> held = g_references;
    for (size_t length = 0; length <= text.size(); ++length)
    {
        {
            ScreenElementManager prefix;
            prefix.SetScreenProperties(1280, 720, 0, 0);
            const bool read = prefix.Read("frontend", text.data(), int(length), length % 2 == 0);
            EXPECT_LE(prefix.Elements().size(), 1u) << length;
            EXPECT_LE(prefix.AnimatedElements().size(), 1u) << length;
            const ScreenElementRect placed = prefix.Place(HashString("box"));
            if (length >= boxText.size())
            {
                EXPECT_TRUE(placed.found) << length;
                EXPECT_EQ(placed.x, whole.x) << length;
                EXPECT_EQ(placed.width, whole.width) << length;
                EXPECT_EQ(placed.height, whole.height) << length;
            }
            const AnimScreenElementPrototype* spin = prefix.FindAnimated(HashString("spin"));
            if (spin)
            {
                EXPECT_LE(spin->frames.size(), 2u) << length;
            }
            if (length == text.size())
            {
                EXPECT_TRUE(read);
                ASSERT_NE(spin, nullptr);
                EXPECT_EQ(spin->frames.size(), 2u);
            }
        }
        for (const auto& [texture, count] : g_references)
        {
            const auto before = held.find(texture);
            ASSERT_EQ(count, before == held.end() ? 0 : before->second)
                << "a texture reference left or released twice at " << length;
        }
    }
}

TEST_F(ScreenElementManagerTest, LayoutsWithoutSizeAreRefused)
{
    ASSERT_TRUE(Read(ManagedElementText({Plain("flat", {{1280, 0, 1, 1, 0, 0, {"a.tga"}}}),
                                         Plain("box", {{0, 720, 1, 1, 0, 0, {"b.tga"}}, {1280, 720, 3, 3, 0, 0, {"c.tga"}}}),
                                         Animated("spin", {{0, 0, 5, 5, 1, 1, {"d.tga"}}})})));
    EXPECT_TRUE(log.Contains("refused"));
    EXPECT_FALSE(manager->Place(HashString("flat")).found);
    EXPECT_EQ(manager->Place(HashString("box")).width, 3);
    EXPECT_EQ(manager->FindAnimated(HashString("spin"))->width, -1);
}

TEST_F(ScreenElementManagerTest, AnEmptyScreenIsRefusedAndTheAspectStaysUsable)
{
    ScreenElementManager fresh;
    EXPECT_FLOAT_EQ(fresh.GetAspectRatio(), 1.0f);
    EXPECT_FALSE(fresh.SetScreenProperties(0, 720, 0, 0));
    EXPECT_TRUE(fresh.SetScreenProperties(1280, 1024, 3, 4));
    EXPECT_FLOAT_EQ(fresh.GetAspectRatio(), 1.25f);
    EXPECT_FLOAT_EQ(fresh.Screen().x, 3.0f);
}

TEST_F(ScreenElementManagerTest, AFileThatDoesNotOpenIsReported)
{
    TempDir dir;
    ASSERT_TRUE(dir.MakeFolder("data/frontend"));
    ASSERT_TRUE(dir.WriteFile("data/frontend/hud.txt", kBox));
    FileTableMountDataTree(dir.Root().c_str());
    EXPECT_TRUE(manager->Load("frontend", "hud.txt", false));
    EXPECT_TRUE(manager->Place(HashString("box")).found);
    EXPECT_FALSE(manager->Load("frontend", "none.txt", false));
    EXPECT_TRUE(log.Contains("Open screen element data frontend/none.txt failed.\n"));
    FileTableRebuild("no such folder");
}
struct ManagerBoundCase
{
    std::vector<ManagedElementSpec> elements;
    bool singleVariant;
    size_t keptPlain;
    size_t keptAnimated;
    size_t keptVariants; // of the first element
    std::vector<std::string> reports;
};

std::vector<ManagedElementSpec> Elements(int count, bool animated, int layouts)
{
    std::vector<ScreenLayoutSpec> spec;
    for (int i = 0; i < layouts; ++i)
        spec.push_back({640 + i, 480, 10, 10, i, 0, {"t.tga"}});
    std::vector<ManagedElementSpec> elements;
    for (int i = 0; i < count; ++i)
        elements.push_back(animated ? Animated("a" + std::to_string(i), spec) : Plain("p" + std::to_string(i), spec));
    return elements;
}

std::vector<ManagedElementSpec> Joined(std::vector<ManagedElementSpec> first, const std::vector<ManagedElementSpec>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Plain and animated elements count together; what is left out loads no
// texture, and each file reports once.
TEST_F(ScreenElementManagerTest, ElementsAndLayoutsPastTheirBoundsAreLeftOutWithOneReport)
{
    const int kElements = kScreenElementMaxElements;
    const int kVariants = kScreenElementMaxVariants;
    const ManagerBoundCase cases[] = {
        {Joined(Joined(Elements(kElements - 1, false, 1), Elements(2, true, 1)), Elements(3, false, 1)), false,
         size_t(kElements - 1), 1, 1,
         {"Screen element manager: more than 4096 elements in one file; the last 4 are left out.\n"}},
        {Elements(1, false, kVariants + 3), false, 1, 0, size_t(kVariants),
         {"Screen element manager: elements of more than 32 layouts; 3 layouts are left out.\n"}},
        {Elements(1, false, kVariants + 3), true, 1, 0, 1, {}},
        {Elements(kElements, false, 1), false, size_t(kElements), 0, 1, {}},
    };
    for (const ManagerBoundCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.elements.size()) + " elements");
        manager = std::make_unique<ScreenElementManager>();
        ASSERT_TRUE(manager->SetScreenProperties(1280, 720, 0, 0));
        g_loaded.clear();
        log.Clear();
        EXPECT_TRUE(Read(ManagedElementText(c.elements), c.singleVariant));
        EXPECT_EQ(log.Lines(), c.reports);
        ASSERT_EQ(manager->Elements().size(), c.keptPlain);
        EXPECT_EQ(manager->AnimatedElements().size(), c.keptAnimated);
        EXPECT_EQ(manager->Elements()[0].variants.size(), c.keptVariants);
        EXPECT_EQ(g_loaded.size(), c.keptPlain * c.keptVariants + c.keptAnimated) << "no texture of what is left out";
    }
}
} // namespace
