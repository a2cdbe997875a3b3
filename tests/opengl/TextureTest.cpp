#include "opengl/Texture.h"

#include "support/gl/GLDrawTest.h"
#include "ImagePixels.h"
#include "opengl/DdsReader.h"
#include "opengl/GLState.h"
#include "opengl/Image.h"
#include "opengl/TextureBuiltins.h"
#include "support/LogCapture.h"
#include "tools/formats/DdsWriter.h"

#include <GL/glew.h>

#include <cstring>
#include <memory>

namespace
{
std::vector<uint8_t> ReadBackRGBA(const Texture& texture, int level = 0)
{
    glBindTexture(GL_TEXTURE_2D, texture.m_glName);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    GLBindTextureCacheReset();
    return pixels;
}

GLint TextureParameter(const Texture& texture, GLenum name)
{
    glBindTexture(GL_TEXTURE_2D, texture.m_glName);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    GLBindTextureCacheReset();
    return value;
}

// The RGBA bytes GL should give back for each uploadable byte format.
std::vector<uint8_t> ExpectedRGBA(uint32_t format, const std::vector<uint8_t>& source, size_t texels)
{
    std::vector<uint8_t> out(texels * 4, 255);
    for (size_t i = 0; i < texels; ++i)
    {
        uint8_t* o = &out[i * 4];
        switch (format)
        {
        case kImageFormatLuminance: // GL reads luminance back into red alone
            o[0] = source[i];
            o[1] = o[2] = 0;
            break;
        case kImageFormatRGB:
            memcpy(o, &source[i * 3], 3);
            break;
        case kImageFormatRGBA:
            memcpy(o, &source[i * 4], 4);
            break;
        case kImageFormatBGR:
        case kImageFormatBGRA:
        {
            const uint32_t size = format == kImageFormatBGR ? 3 : 4;
            o[0] = source[i * size + 2];
            o[1] = source[i * size + 1];
            o[2] = source[i * size + 0];
            if (size == 4)
                o[3] = source[i * size + 3];
            break;
        }
        }
    }
    return out;
}
} // namespace

TEST_F(GLDrawTest, ByteFormatsUploadAndReadBackWithOddRowWidths)
{
    const uint32_t formats[] = {kImageFormatLuminance, kImageFormatRGB, kImageFormatRGBA, kImageFormatBGR,
                                kImageFormatBGRA};
    const uint32_t width = 5, height = 3;
    for (const uint32_t format : formats)
    {
        std::vector<uint8_t> pixels = GradientPixels(width, height, Image::BytesPerPixel(format));
        Image image;
        image.Wrap(format, width, height, pixels.data());
        std::unique_ptr<Texture> texture(TextureFromImage(image));
        ASSERT_TRUE(texture) << format;
        EXPECT_EQ(texture->m_width, 5);
        EXPECT_EQ(texture->m_height, 3);
        EXPECT_EQ(ReadBackRGBA(*texture), ExpectedRGBA(format, pixels, width * height))
            << "format " << format;
        EXPECT_EQ(TextureParameter(*texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    }
}

TEST_F(GLDrawTest, FormatsWithoutAnUploadGiveNoTexture)
{
    uint8_t pixels[32] = {};
    Image image;
    image.Wrap(kImageFormatShort0, 4, 4, pixels);
    EXPECT_EQ(TextureFromImage(image), nullptr);
}

TEST_F(GLDrawTest, BlockFormatsUploadTheirChainAndDecodeLikeOurEncoder)
{
    for (const DxtFormat format : {DxtFormat::DXT1, DxtFormat::DXT3, DxtFormat::DXT5})
    {
        const std::vector<uint8_t> source = GradientPixels(8, 8, 4);
        const std::vector<uint8_t> file = DdsWrite(format, source.data(), 8, 8);
        std::unique_ptr<Image> image(DDS_ImageLoadHandler(file.data(), file.size(), "test.dds"));
        ASSERT_TRUE(image);
        Texture texture;
        ASSERT_TRUE(texture.Upload(*image, true));
        EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MAX_LEVEL), 3);
        EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        // Level 0, block by block, against our own decoder of the same blocks.
        const std::vector<uint8_t> back = ReadBackRGBA(texture);
        const uint32_t blockBytes = DxtBlockBytes(format);
        for (int block = 0; block < 4; ++block)
        {
            uint8_t decoded[64];
            DxtDecodeBlock(format, image->pixels + block * blockBytes, decoded);
            for (int i = 0; i < 16; ++i)
            {
                const int x = (block % 2) * 4 + i % 4, y = (block / 2) * 4 + i / 4;
                for (int k = 0; k < 4; ++k)
                    EXPECT_NEAR(back[(y * 8 + x) * 4 + k], decoded[i * 4 + k], 8) << "block " << block;
            }
        }
    }
}

TEST_F(GLDrawTest, ACutMipChainIsCappedAtItsLastLevel)
{
    const std::vector<uint8_t> source = GradientPixels(16, 16, 4);
    std::vector<uint8_t> file = DdsWrite(DxtFormat::DXT5, source.data(), 16, 16);
    file.resize(128 + 256 + 64);
    LogCapture log;
    std::unique_ptr<Image> image(DDS_ImageLoadHandler(file.data(), file.size(), "cut.dds"));
    ASSERT_TRUE(image);
    Texture texture;
    texture.Upload(*image, true);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MAX_LEVEL), 1);

    std::unique_ptr<Image> single(DDS_ImageLoadHandler(file.data(), 128 + 256, "one.dds"));
    single->nextMip = nullptr;
    texture.Upload(*single, true);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
}

TEST_F(GLDrawTest, BuiltInTexturesHoldTheirTexels)
{
    TextureBuiltinsCreate();
    const Texture* check = TextureBuiltin(kTextureDefaultCheck);
    ASSERT_TRUE(check);
    EXPECT_STREQ(check->m_name, "* default check");
    const std::vector<uint8_t> texels = ReadBackRGBA(*check);
    EXPECT_EQ(memcmp(&texels[0], "\xff\xff\x00\xff", 4), 0);
    EXPECT_EQ(memcmp(&texels[2 * 4], "\x00\x00\xbf\xff", 4), 0);
    EXPECT_EQ(memcmp(&texels[8 * 4], "\x40\x40\xff\xff", 4), 0);
    EXPECT_EQ(memcmp(&texels[15 * 4], "\xbf\xbf\x40\xff", 4), 0);
    const std::vector<uint8_t> random = ReadBackRGBA(*TextureBuiltin(kTextureSsaoRandom));
    EXPECT_EQ(random[1 * 4 + 3], 207);
    EXPECT_EQ(random[15 * 4], 96);
    EXPECT_STREQ(TextureBuiltin(kTextureSsaoRandom)->m_name, "* ssao random  ");
    EXPECT_EQ(ReadBackRGBA(*TextureBuiltin(kTextureDefaultClear))[3], 0);
    EXPECT_EQ(TextureParameter(*TextureBuiltin(kTextureDefaultWhite), GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    TextureBuiltinsDestroy();
    EXPECT_EQ(TextureBuiltin(kTextureDefaultBlack), nullptr);
}

TEST_F(GLDrawTest, ReadPixelsGivesAlphaAtAPointAndRefusesWhatItCannotHold)
{
    uint8_t pixels[2 * 2 * 4] = {0, 0, 0, 0, 0, 0, 0, 51, 0, 0, 0, 102, 0, 0, 0, 255};
    Image image;
    image.Wrap(kImageFormatRGBA, 2, 2, pixels);
    std::unique_ptr<Texture> texture(TextureFromImage(image));
    EXPECT_FLOAT_EQ(Texture::ReadPixels(texture.get(), 0.75f, 0.0f), 0.2f);
    EXPECT_FLOAT_EQ(Texture::ReadPixels(texture.get(), 0.0f, 0.5f), 0.4f);
    EXPECT_FLOAT_EQ(Texture::ReadPixels(texture.get(), 1.0f, 1.0f), 1.0f); // the last texel, not past it
    EXPECT_EQ(Texture::ReadPixels(texture.get(), 1.5f, 0.0f), 0.0f);
    EXPECT_EQ(Texture::ReadPixels(nullptr, 0.5f, 0.5f), 0.0f);

    Image large;
    large.Allocate(kImageFormatLuminance, 1024, 512);
    std::unique_ptr<Texture> big(TextureFromImage(large));
    LogCapture log;
    EXPECT_EQ(Texture::ReadPixels(big.get(), 0.5f, 0.5f), 0.0f);
    EXPECT_TRUE(log.Contains("too large"));
}
