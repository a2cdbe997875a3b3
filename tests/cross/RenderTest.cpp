#include "RenderFixture.h"

#include "core/pd_ifstream.h"
#include "cross/Render.h"
#include "opengl/GLCaps.h"
#include "opengl/GLState.h"
#include "opengl/ImageLoader.h"
#include "opengl/PrimBatch.h"
#include "opengl/Screenshot.h"
#include "opengl/TextureBuiltins.h"
#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "support/LogCapture.h"

#include <GL/glew.h>

#include <cstring>
#include <vector>

namespace
{
std::vector<uint32_t> AttributesOf(const RenderDisplayOptions& options)
{
    std::vector<uint32_t> list;
    for (uint32_t code : options.attributes)
    {
        if (code == 0)
            break;
        list.push_back(code);
    }
    return list;
}

TEST(RenderDisplayOptionsTest, CommandLineOptionsGiveSizesAndAttributes)
{
    struct Case
    {
        const char* line;
        int renderWidth, renderHeight, viewWidth, viewHeight;
        std::vector<uint32_t> attributes;
    };
    const Case cases[] = {
        {"", 1920, 1080, 1280, 720, {}},
        {"-rsize 640 360", 640, 360, 1280, 720, {}},
        {"-vsize 800 450", 1920, 1080, 800, 450, {}},
        {"-rsize 640", 1920, 1080, 1280, 720, {}},
        {"-windowed -fullscreen", 1920, 1080, 1280, 720, {0x101, 0x100}},
        {"-sync", 1920, 1080, 1280, 720, {0x111}},
        {"-sync 0", 1920, 1080, 1280, 720, {0x110}},
        {"-sync 2", 1920, 1080, 1280, 720, {0x112}},
        {"-sync 99", 1920, 1080, 1280, 720, {0x11F}},
        {"-msaa 4", 1920, 1080, 1280, 720, {0x200, 4}},
        {"-msaa -windowed", 1920, 1080, 1280, 720, {0x101}},
        {"-threadgl +quickstart level 2 -windowed", 1920, 1080, 1280, 720, {0x501, 0x101}},
    };
    for (const Case& c : cases)
    {
        CommandLineSet(c.line);
        const RenderDisplayOptions options = RenderReadDisplayOptions(1920, 1080);
        EXPECT_EQ(options.renderWidth, c.renderWidth) << c.line;
        EXPECT_EQ(options.renderHeight, c.renderHeight) << c.line;
        EXPECT_EQ(options.viewWidth, c.viewWidth) << c.line;
        EXPECT_EQ(options.viewHeight, c.viewHeight) << c.line;
        EXPECT_EQ(AttributesOf(options), c.attributes) << c.line;
    }
    CommandLineSet("");
}

TEST(RenderDisplayOptionsTest, TheAttributeListStaysTerminatedHoweverManyOptionsAreGiven)
{
    std::string line;
    for (int i = 0; i < 3 * kRenderDisplayAttributesMax; ++i)
        line += " -msaa 2";
    CommandLineSet(line.c_str());
    const RenderDisplayOptions options = RenderReadDisplayOptions(64, 64);
    EXPECT_EQ(options.attributes[kRenderDisplayAttributesMax - 1], 0u);
    EXPECT_EQ(AttributesOf(options).size() % 2, 0u) << "a sample count is never cut from its code";
    CommandLineSet("");
}

TEST(RenderOverlayTest, OffsetsKeepTheDisplayShapeAndScaleByTheDiagonal)
{
    unsigned width = 0;
    unsigned height = 0;
    RenderGetSize(width, height);
    const float w = float(width);
    const float h = float(height);
    struct Case
    {
        Vec2 topLeft, bottomRight;
        bool accepted;
        float scale;
        const char* what;
    };
    const Case cases[] = {
        {Vec2(0, 0), Vec2(w, h), true, 1.0f, "the whole screen"},
        {Vec2(10, 20), Vec2(10 + w / 2, 20 + h / 2), true, 0.5f, "half size, moved"},
        {Vec2(0, 0), Vec2(h * 4 / 3, h), false, 0.0f, "4:3 on a 16:9 display"},
        {Vec2(5, 5), Vec2(5, 5), false, 0.0f, "empty"},
        {Vec2(100, 100), Vec2(0, 0), false, 0.0f, "upside down"},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(RenderOverlaySetOffset(Vec2(3, 4), Vec2(3 + w, 4 + h)));
        LogCapture log;
        EXPECT_EQ(RenderOverlaySetOffset(c.topLeft, c.bottomRight), c.accepted) << c.what;
        EXPECT_EQ(log.Lines().size(), c.accepted ? 0u : 1u) << c.what;
        const Vec3 offset = RenderOverlayOffset();
        EXPECT_NEAR(RenderOverlayScale(), c.accepted ? c.scale : 1.0f, 1e-5f) << c.what;
        EXPECT_EQ(offset.x, c.accepted ? c.topLeft.x : 3.0f) << c.what;
        EXPECT_EQ(offset.y, c.accepted ? c.topLeft.y : 4.0f) << c.what;
        const Mat4 m = RenderOverlayMatrix();
        EXPECT_EQ(m[0], RenderOverlayScale()) << c.what;
        EXPECT_EQ(m[5], RenderOverlayScale()) << c.what;
        EXPECT_EQ(m[10], 1.0f) << c.what;
        EXPECT_EQ(m[12], offset.x) << c.what;
    }
    ASSERT_TRUE(RenderOverlaySetOffset(Vec2(0, 0), Vec2(w, h)));
}

TEST(RenderLightModeTest, AnInvalidModeIsReportedOnceAndKeepsTheLastLight)
{
    LightResetPresets();
    float values[16] = {};
    values[12] = 5.0f;
    LightSetDefaultGlobal(values);
    RenderSetLightMode(LIGHT_MODE_TYPE_DAY);
    RenderAll(0.0f);
    EXPECT_EQ(RenderGetGlobalLight().power, 5.0f);

    LogCapture log;
    RenderSetLightMode(3);
    for (int frame = 0; frame < 3; ++frame)
        RenderAll(0.0f);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "Error: Invalid Light Type \n");
    EXPECT_EQ(RenderGetGlobalLight().power, 5.0f);

    RenderSetLightMode(-2);
    RenderAll(0.0f);
    EXPECT_EQ(log.Lines().size(), 2u) << "a newly set invalid mode is reported again";
    RenderSetLightMode(LIGHT_MODE_TYPE_DAY);
    LightResetPresets();
    RenderAll(0.0f);
}

TEST_F(RenderSystemTest, TheFrameShapeAndProgramSetFollowTheCapabilities)
{
    struct Case
    {
        bool ambientOcclusion, vertexArrays, deferred;
        const char* what;
    };
    const Case cases[] = {
        {true, true, true, "deferred with vertex array objects"},
        {false, true, false, "ambient occlusion off"},
        {true, false, false, "emulated vertex arrays leave the screen-space programs out"},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(StartRendererAt(c.ambientOcclusion, c.vertexArrays)) << c.what;
        EXPECT_EQ(RenderIsDeferred(), c.deferred) << c.what;
        EXPECT_NE(RenderGetProgram(kRenderProgramHud), nullptr) << c.what;
        EXPECT_NE(RenderGetProgram(kRenderProgramStatic), nullptr) << c.what;
        EXPECT_EQ(RenderGetProgram(kRenderProgramSsao) != nullptr, c.vertexArrays) << c.what;
        EXPECT_EQ(RenderGetProgram(kRenderProgramPoint) != nullptr, c.vertexArrays) << c.what;
        EXPECT_EQ(RenderGetProgram(kRenderProgramMix) != nullptr, c.ambientOcclusion) << c.what;
        StopRenderer();
    }
}

TEST_F(RenderSystemTest, TheRenderSizeComesFromTheCommandLine)
{
    ASSERT_TRUE(StartRenderer("-windowed -rsize 256 144"));
    unsigned width = 0;
    unsigned height = 0;
    RenderGetSize(width, height);
    EXPECT_EQ(width, 256u);
    EXPECT_EQ(height, 144u);
    EXPECT_EQ(DisplayGetWidth(), 256);
    EXPECT_NEAR(RenderGetAspect(), 256.0f / 144.0f, 1e-5f);
}

// A red block over the top-left corner of the overlay, whose y grows downward.
void DrawMarker()
{
    GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
    PrimSetType(GL_QUADS);
    PrimSetColor4ub(255, 0, 0, 255);
    PrimSetTexCoord(0, 0.5f, 0.5f);
    PrimVertex3f(0, 0, 0);
    PrimVertex3f(64, 0, 0);
    PrimVertex3f(64, 32, 0);
    PrimVertex3f(0, 32, 0);
    PrimFlush();
}

bool IsRed(const Pixel& p)
{
    return p.r > 200 && p.g < 50 && p.b < 50;
}

TEST_F(RenderSystemTest, ScreenshotsInBothFormatsReadBackUprightAtTheWindowSize)
{
    struct Case
    {
        bool deferred;
        const char* size;
        int width, height;
    };
    const Case cases[] = {{true, "-rsize 256 144", 256, 144},
                          {false, "-rsize 256 144", 256, 144},
                          {true, "-rsize 257 145", 257, 145}};
    for (const Case& c : cases)
    {
        RenderSetAmbientOcclusion(c.deferred);
        ASSERT_TRUE(StartRenderer((std::string("-windowed ") + c.size).c_str()));
        RenderHooks hooks;
        hooks.drawScreens = DrawMarker;
        RenderSetHooks(hooks);
        for (bool tga : {true, false})
        {
            for (const std::string& name : ScreenshotFiles())
                remove(m_temp.PathOf(name).c_str());
            ScreenshotRequest(tga);
            EXPECT_TRUE(ScreenshotPending());
            RenderAll(0.0f);
            EXPECT_FALSE(ScreenshotPending()) << "the frame takes the request";
            const std::vector<std::string> files = ScreenshotFiles();
            ASSERT_EQ(files.size(), 1u) << c.size;
            EXPECT_NE(files[0].find(tga ? ".tga" : ".jpg"), std::string::npos) << files[0];
            std::unique_ptr<Image> image(ImageLoader::new_MemoryImage(files[0].c_str(), kOpenRoot));
            ASSERT_NE(image, nullptr) << files[0];
            EXPECT_EQ(int(image->width), c.width) << files[0];
            EXPECT_EQ(int(image->height), c.height) << files[0];
            EXPECT_TRUE(IsRed(PixelAt(*image, 4, 4))) << files[0];
            EXPECT_FALSE(IsRed(PixelAt(*image, 4, c.height - 5))) << files[0];
            EXPECT_FALSE(IsRed(PixelAt(*image, c.width - 5, 4))) << files[0];
        }
        StopRenderer();
    }
}

TEST_F(RenderSystemTest, AScreenshotThatCannotBeWrittenIsReported)
{
    ASSERT_TRUE(StartRenderer("-windowed -rsize 256 144"));
    // A folder in the file's place keeps it from being written.
    RenderAll(0.0f);
    FixedString128 name;
    ASSERT_TRUE(TakeScreenshot(true, &name));
    remove(m_temp.PathOf(name.c_str()).c_str());
    ASSERT_TRUE(m_temp.MakeFolder(name.c_str()));
    LogCapture log;
    EXPECT_FALSE(TakeScreenshot(true, &name));
    EXPECT_FALSE(log.Lines().empty());
}

TEST_F(RenderSystemTest, WhileTheLoadingScreenIsUpTheFrameDrawsNothing)
{
    ASSERT_TRUE(StartRenderer("-windowed -rsize 256 144"));
    RenderHooks hooks;
    hooks.loadingScreenActive = [] { return true; };
    static int screensDrawn = 0;
    screensDrawn = 0;
    hooks.drawScreens = [] { ++screensDrawn; };
    RenderSetHooks(hooks);
    ScreenshotRequest(true);
    RenderAll(0.0f);
    EXPECT_EQ(screensDrawn, 0);
    EXPECT_TRUE(ScreenshotPending()) << "no frame was finished";
    hooks.loadingScreenActive = nullptr;
    RenderSetHooks(hooks);
    RenderAll(0.0f);
    EXPECT_EQ(screensDrawn, 1);
    EXPECT_FALSE(ScreenshotPending());
}

TEST_F(RenderSystemTest, TheLoadingFrameDrawsTheLoadingScreenWithItsFrameTime)
{
    ASSERT_TRUE(StartRenderer("-windowed -rsize 256 144"));
    RenderHooks hooks;
    static float drawnWith = 0.0f;
    hooks.drawLoadingScreen = [](float frameTime)
    {
        drawnWith = frameTime;
        DrawMarker();
    };
    RenderSetHooks(hooks);
    RenderLoadingFrame(0.25f);
    EXPECT_EQ(drawnWith, 0.25f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
