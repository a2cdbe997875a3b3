// The texture and shader caches in the file table, and image files through
// the file streams.

#include "ImagePixels.h"
#include "ShippedShaders.h"
#include "core/FileTable.h"
#include "core/pd_ifstream.h"
#include "opengl/Image.h"
#include "opengl/ImageLoader.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/gl/GLDrawTest.h"
#include "tools/formats/DdsWriter.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>

#include <memory>

namespace
{
class ResourceCacheTest : public GLDrawTest
{
protected:
    void SetUp() override
    {
        GLDrawTest::SetUp();
        ShaderSetRoot("shaders/GLSL/");
    }

    void TearDown() override
    {
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLDrawTest::TearDown();
    }

    void WriteTga(const std::string& name, uint16_t width, uint16_t height)
    {
        const std::vector<uint8_t> pixels = GradientPixels(width, height, 4);
        const std::vector<uint8_t> file = TgaWrite(pixels.data(), width, height, {10, 32, false, 0, 0, 0});
        ASSERT_TRUE(dir.WriteFile("data/" + name, file.data(), file.size()));
    }

    void WriteShader(const std::string& name, const std::string& text)
    {
        ASSERT_TRUE(dir.WriteFile("data/shaders/GLSL/" + name + ".glsl", text));
    }

    void Mount() { FileTableMountDataTree(dir.Root().c_str()); }

    const FileTableEntry& Entry(const char* name) { return *FileTableFindEntry(name); }

    TempDir dir;
};

const char* const kShader =
    "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n//!!FS\n#version 120\n"
    "uniform sampler2D Tex1;\nvoid main() { gl_FragColor = texture2D(Tex1, vec2(0.0)); }\n";
} // namespace

TEST_F(ResourceCacheTest, TexturesAreSharedByPathAndFreedWithTheLastReference)
{
    WriteTga("textures/wall.tga", 8, 4);
    Mount();
    Texture* first = TextureLoad("textures/wall.tga", true);
    ASSERT_TRUE(first);
    Texture* second = TextureLoad("textures/wall.tga", true);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first->m_name, "textures/wall.tga");
    EXPECT_EQ(first->m_width, 8);
    EXPECT_EQ(Entry("textures/wall.tga").refCount, 2u);
    EXPECT_EQ(Entry("textures/wall.tga").kind, kResourceTexture);
    TextureRelease(&first);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(Entry("textures/wall.tga").resource, second);
    TextureRelease(&second);
    EXPECT_EQ(Entry("textures/wall.tga").resource, nullptr);
    EXPECT_EQ(Entry("textures/wall.tga").kind, kResourceGone);
}

TEST_F(ResourceCacheTest, EveryReaderIsReachedThroughTheFileTable)
{
    const std::vector<uint8_t> pixels = GradientPixels(16, 8, 4);
    const std::vector<uint8_t> dds = DdsWrite(DxtFormat::DXT5, pixels.data(), 16, 8);
    ASSERT_TRUE(dir.WriteFile("data/a.dds", dds.data(), dds.size()));
    WriteTga("b.tga", 3, 5);
    std::vector<uint8_t> rgb = GradientPixels(20, 10, 3);
    Image image;
    image.Wrap(kImageFormatRGB, 20, 10, rgb.data());
    GetFileTable().SetRoot(dir.Root().c_str());
    ASSERT_TRUE(ImageSave(image, "data/c.jpg"));
    Mount();
    const char* names[] = {"a.dds", "b.tga", "c.jpg"};
    const int widths[] = {16, 3, 20};
    for (int i = 0; i < 3; ++i)
    {
        Texture* texture = TextureLoad(names[i], true);
        ASSERT_TRUE(texture) << names[i];
        EXPECT_EQ(texture->m_width, widths[i]);
        TextureRelease(&texture);
    }
}

TEST_F(ResourceCacheTest, UnreadableTexturesAreReportedOnlyWhenAsked)
{
    WriteTga("skin.CHTEX", 4, 4);
    ASSERT_TRUE(dir.WriteFile("data/broken.tga", std::string(10, 'x')));
    Mount();
    LogCapture log;
    EXPECT_EQ(TextureLoad("skin.CHTEX", false), nullptr);
    EXPECT_TRUE(log.Text().empty());
    EXPECT_EQ(TextureLoad("missing.tga", true), nullptr);
    EXPECT_TRUE(log.Contains("Could not create texture for file: missing.tga\n"));
    EXPECT_EQ(TextureLoad("broken.tga", true), nullptr);
    EXPECT_TRUE(log.Contains("Could not create texture for file: broken.tga\n"));
    EXPECT_EQ(Entry("broken.tga").resource, nullptr);
}

TEST_F(ResourceCacheTest, TextureNamesLongerThanTheRecordAreRefused)
{
    // 127 characters fit the record; 128 and more were cached under the
    // whole path and released under the cut one, freeing a cached texture.
    const std::string fits = "textures/" + std::string(127 - 13, 'f') + ".tga";
    const std::string tooLong = "textures/" + std::string(128 - 13, 'l') + ".tga";
    const std::string muchTooLong = "textures/" + std::string(200, 'm') + ".tga";
    for (const std::string& name : {fits, tooLong, muchTooLong})
        WriteTga(name, 4, 4);
    Mount();
    LogCapture log;
    Texture* texture = TextureLoad(fits.c_str(), true);
    ASSERT_TRUE(texture) << log.Text();
    TextureRelease(&texture);
    EXPECT_EQ(Entry(fits.c_str()).kind, kResourceGone);
    for (const std::string& name : {tooLong, muchTooLong})
    {
        log.Clear();
        EXPECT_EQ(TextureLoad(name.c_str(), true), nullptr) << name.size();
        EXPECT_TRUE(log.Contains("the name is too long")) << log.Text();
        EXPECT_EQ(Entry(name.c_str()).resource, nullptr);
    }
}

TEST_F(ResourceCacheTest, ShaderNamesLongerThanTheRecordAreRefused)
{
    // The root "shaders/GLSL/" and ".glsl" take 18 of the 127 characters.
    const std::string fits(127 - 18, 's');
    const std::string tooLong(128 - 18, 's');
    // Cut to the record, the longer name would open this one.
    WriteShader(fits, kShader);
    Mount();
    LogCapture log;
    ShaderProgram* program = ShaderLoad(fits.c_str());
    ASSERT_TRUE(program) << log.Text();
    ShaderRelease(program);
    EXPECT_EQ(ShaderLoad(tooLong.c_str()), nullptr);
    EXPECT_TRUE(log.Contains("the name is too long")) << log.Text();
}

TEST_F(ResourceCacheTest, ReloadKeepsTheRecordAndReleasingABuiltInOnlyClearsTheHolder)
{
    WriteTga("t.tga", 4, 4);
    Mount();
    Texture* texture = TextureLoad("t.tga", true);
    WriteTga("t.tga", 8, 2);
    EXPECT_TRUE(Texture::Reload(texture, "t.tga"));
    EXPECT_EQ(texture->m_width, 8);
    EXPECT_EQ(FileTableGetResource("t.tga"), texture);
    LogCapture log;
    EXPECT_FALSE(Texture::Reload(texture, "gone.tga"));
    EXPECT_TRUE(log.Contains("Could not reload texture from file: gone.tga\n"));
    EXPECT_EQ(texture->m_width, 8);
    TextureRelease(&texture);

    TextureBuiltinsCreate();
    Texture* white = TextureBuiltin(kTextureDefaultWhite);
    TextureRelease(&white);
    EXPECT_EQ(white, nullptr);
    EXPECT_NE(TextureGLName(TextureBuiltin(kTextureDefaultWhite)), 0u);
    TextureBuiltinsDestroy();
}

TEST_F(ResourceCacheTest, ImageSaveWritesByExtensionAndFailsWhenNothingIsWritten)
{
    GetFileTable().SetRoot(dir.Root().c_str());
    std::vector<uint8_t> bgr = GradientPixels(5, 3, 3);
    Image image;
    image.Wrap(kImageFormatBGR, 5, 3, bgr.data());
    EXPECT_TRUE(ImageSave(image, "shots/one.tga"));
    std::unique_ptr<Image> back(ImageLoader::new_MemoryImage("shots/one.tga", kOpenRoot));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 5u);

    LogCapture log;
    EXPECT_FALSE(ImageSave(image, "shots/one.jpg")); // a BGR image has no JPEG writer
    EXPECT_FALSE(ImageSave(image, "shots/one.png"));
    EXPECT_FALSE(ImageSave(image, "shots/one.tga/inside.tga")); // cannot be opened
    EXPECT_TRUE(log.Contains("could not open"));
    EXPECT_EQ(ImageLoader::new_MemoryImage("shots/one.bmp", kOpenRoot), nullptr);
}

TEST_F(ResourceCacheTest, ShadersAreSharedByPathAndFreedWithTheLastReference)
{
    WriteShader("plain", kShader);
    Mount();
    ShaderProgram* first = ShaderLoad("plain");
    ASSERT_TRUE(first);
    EXPECT_STREQ(first->name, "shaders/GLSL/plain.glsl");
    EXPECT_EQ(ShaderLoad("plain"), first);
    EXPECT_EQ(Entry("shaders/GLSL/plain.glsl").refCount, 2u);
    EXPECT_EQ(Entry("shaders/GLSL/plain.glsl").kind, kResourceShader);
    ShaderBind(first);
    ShaderRelease(first);
    EXPECT_EQ(ShaderGetCurrent(), first);
    ShaderRelease(first);
    EXPECT_EQ(ShaderGetCurrent(), nullptr);
    EXPECT_EQ(Entry("shaders/GLSL/plain.glsl").kind, kResourceGone);
    ShaderRelease(nullptr);
}

TEST_F(ResourceCacheTest, ShaderFilesThatCannotBeBuiltAreReported)
{
    WriteShader("nomarker", "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n");
    Mount();
    LogCapture log;
    EXPECT_EQ(ShaderLoad("absent"), nullptr);
    EXPECT_TRUE(log.Contains("Open shader 'shaders/GLSL/absent.glsl' failed."));
    EXPECT_EQ(ShaderLoad("nomarker"), nullptr);
    EXPECT_TRUE(log.Contains("Shader 'shaders/GLSL/nomarker.glsl' has no \"//!!FS\" line"));
    EXPECT_EQ(Entry("shaders/GLSL/nomarker.glsl").resource, nullptr);
}

TEST_F(ResourceCacheTest, ReloadRebuildsTheCurrentProgramInPlace)
{
    WriteShader("plain", kShader);
    Mount();
    ShaderProgram* program = ShaderLoad("plain");
    ShaderBind(program);
    const GLuint before = program->program;
    EXPECT_TRUE(ShaderReload(program, "shaders/GLSL/plain.glsl"));
    EXPECT_NE(program->program, before);
    GLint used = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &used);
    EXPECT_EQ(GLuint(used), program->program);
    GLint unit = -1;
    glGetUniformiv(program->program, glGetUniformLocation(program->program, "Tex1"), &unit);
    EXPECT_EQ(unit, 1);

    WriteShader("plain", "no marker any more");
    LogCapture log;
    const GLuint kept = program->program;
    EXPECT_FALSE(ShaderReload(program, "shaders/GLSL/plain.glsl"));
    EXPECT_FALSE(ShaderReload(program, "shaders/GLSL/missing.glsl"));
    EXPECT_TRUE(log.Contains("Open (reload) shader 'shaders/GLSL/missing.glsl' failed."));
    EXPECT_EQ(program->program, kept);
    ShaderRelease(program);
}

TEST_F(ResourceCacheTest, TexturesWithSidesNotPowersOfTwoAreListedUntilReported)
{
    WriteTga("square.tga", 8, 4);
    WriteTga("wide.tga", 6, 4);
    WriteTga("tall.tga", 4, 3);
    Mount();
    TextureReportNonPowerOfTwo();
    Texture* textures[] = {TextureLoad("square.tga", true), TextureLoad("wide.tga", true),
                           TextureLoad("tall.tga", true), TextureLoad("wide.tga", true)};
    ASSERT_EQ(TextureNonPowerOfTwoNames().size(), 2u) << "a second reference is not a second load";
    EXPECT_STREQ(TextureNonPowerOfTwoNames()[0], "wide.tga");
    EXPECT_STREQ(TextureNonPowerOfTwoNames()[1], "tall.tga");
    TextureReportNonPowerOfTwo();
    EXPECT_TRUE(TextureNonPowerOfTwoNames().empty());
    for (Texture*& texture : textures)
        TextureRelease(&texture);
}
