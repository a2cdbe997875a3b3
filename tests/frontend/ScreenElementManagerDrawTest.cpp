#include "frontend/ScreenElementManager.h"

#include "FrontendDrawTest.h"
#include "core/Hash.h"
#include "frontend/Draw2D.h"
#include "frontend/FrontendElement.h"
#include "opengl/PrimBatch.h"
#include "opengl/Texture.h"
#include "tools/formats/ScreenWriter.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
using ScreenElementManagerDrawTest = FrontendDrawTest;

TEST_F(ScreenElementManagerDrawTest, APlacedTextureOutlivesItsManager)
{
    std::vector<uint8_t> green;
    for (int i = 0; i < 16; ++i)
        green.insert(green.end(), {0, 255, 0, 255});
    const std::vector<uint8_t> tga = TgaWrite(green.data(), 4, 4, TgaWriteOptions());
    ASSERT_TRUE(m_dir.WriteFile("data/frontend/green.tga", tga.data(), tga.size()));
    ManagedElementSpec box;
    box.name = "box";
    box.layouts = {{1280, 720, 16, 16, 8, 8, {"green.tga"}}};
    WriteData("frontend/hud.txt", ManagedElementText({box}));

    auto manager = std::make_unique<ScreenElementManager>();
    ASSERT_TRUE(manager->SetScreenProperties(1280, 720, 0, 0));
    ASSERT_TRUE(manager->Load("frontend", "hud.txt", false)) << m_reports.Text();
    ScreenElementRect rect = manager->PlaceWithReference(HashString("box"));
    ASSERT_NE(rect.texture, nullptr) << m_reports.Text();
    EXPECT_EQ(rect.texture, manager->Place(HashString("box")).texture) << "the cache's own texture";
    manager.reset();

    Clear();
    PrimSetColor4ub(255, 255, 255, 255);
    Draw2D::TexturedQuad(float(rect.x), float(rect.y), float(rect.width), float(rect.height), rect.texture);
    Capture();
    EXPECT_GT(Pixel(16, 16).g, 200);
    EXPECT_FALSE(Lit(4, 4));
    TextureRelease(&rect.texture);
}
} // namespace

namespace
{
TEST_F(ScreenElementManagerDrawTest, ASpritePlacedByAManagerDrawsAfterTheManagerIsGone)
{
    std::vector<uint8_t> green;
    for (int i = 0; i < 16; ++i)
        green.insert(green.end(), {0, 255, 0, 255});
    const std::vector<uint8_t> tga = TgaWrite(green.data(), 4, 4, TgaWriteOptions());
    ASSERT_TRUE(m_dir.WriteFile("data/frontend/green.tga", tga.data(), tga.size()));
    ManagedElementSpec box{"box", false, {{1280, 720, 16, 16, 8, 8, {"green.tga"}}}};
    ManagedElementSpec spin{"spin", true, {{1280, 720, 16, 16, 40, 40, {"green.tga", "green.tga"}}}};
    WriteData("frontend/hud.txt", ManagedElementText({box, spin}));

    Sprite sprite;
    AnimSprite animated;
    {
        ScreenElementManager manager;
        ASSERT_TRUE(manager.SetScreenProperties(1280, 720, 0, 0));
        ASSERT_TRUE(manager.Load("frontend", "hud.txt", false)) << m_reports.Text();
        manager.GetScreenElementData(sprite, HashString("box"));
        manager.GetAnimScreenElementData(animated, HashString("spin"));
    }
    EXPECT_EQ(animated.frames.size(), 2u);
    EXPECT_EQ(animated.x, 40);
    Clear();
    sprite.Render();
    animated.Render();
    Capture();
    EXPECT_GT(Pixel(16, 16).g, 200) << m_reports.Text();
    EXPECT_GT(Pixel(48, 48).g, 200);
    EXPECT_FALSE(Lit(30, 30));
}
} // namespace
