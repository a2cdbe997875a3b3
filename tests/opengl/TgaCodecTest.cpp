#include "opengl/TgaCodec.h"

#include "ImagePixels.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"
#include "support/LogCapture.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<Image> Read(const std::vector<uint8_t>& file)
{
    return std::unique_ptr<Image>(TGA_ImageLoadHandler(file.data(), file.size(), "test.tga"));
}

std::vector<uint8_t> Rows(const uint8_t* pixels, uint32_t stride, uint32_t height, bool reversed)
{
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* row = pixels + (reversed ? height - 1 - y : y) * stride;
        rows.insert(rows.end(), row, row + stride);
    }
    return rows;
}

struct TgaVariant
{
    const char* label;
    TgaWriteOptions options;
    bool comesBackUpsideDown;
};
} // namespace

TEST(TgaReader, ReadsEveryVariantTopRowFirst)
{
    const TgaVariant variants[] = {
        {"plain 32 top", {2, 32, true, 0, 0, 0}, false},
        {"plain 24 top", {2, 24, true, 0, 0, 0}, false},
        {"plain 32 bottom", {2, 32, false, 0, 0, 0}, false},
        {"plain 24 bottom", {2, 24, false, 0, 0, 0}, false},
        {"rle 32 top", {10, 32, true, 0, 0, 0}, false},
        {"rle 24 bottom", {10, 24, false, 0, 0, 0}, false},
        {"id field and colour map", {2, 24, false, 0, 9, 4}, false},
        {"rle with id field", {10, 32, true, 0, 3, 0}, false},
        // A y origin other than 0 stops the flip: such files come back as stored.
        {"bottom with y origin 5", {2, 24, false, 5, 0, 0}, true},
    };
    const uint16_t width = 13, height = 7;
    for (const TgaVariant& v : variants)
    {
        const uint32_t channels = v.options.bitsPerPixel / 8;
        std::vector<uint8_t> pixels = GradientPixels(width, height, channels);
        // A run of equal pixels, so run-length files hold repeat packets too.
        memset(pixels.data() + width * channels, 9, 6 * channels);
        const std::unique_ptr<Image> image = Read(TgaWrite(pixels.data(), width, height, v.options));
        ASSERT_TRUE(image) << v.label;
        EXPECT_EQ(image->format, channels == 3 ? kImageFormatBGR : kImageFormatBGRA) << v.label;
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        const std::vector<uint8_t> expected =
            Rows(pixels.data(), width * channels, height, v.comesBackUpsideDown);
        EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + image->size), expected) << v.label;
    }
}

TEST(TgaReader, RepeatPacketGivesEqualPixelsAndOverlongPacketsAreClipped)
{
    const uint8_t pixel[3] = {1, 2, 3};
    std::vector<uint8_t> file = TgaWrite(pixel, 1, 1, {10, 24, true, 0, 0, 0});
    file[12] = 4; // four pixels wide
    file.resize(18);
    file.insert(file.end(), {0x83, 1, 2, 3});
    std::unique_ptr<Image> image = Read(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(memcmp(image->pixels, "\1\2\3\1\2\3\1\2\3\1\2\3", 12), 0);

    file[12] = 2; // the same 4-pixel packet now runs past a 2-pixel image
    image = Read(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size, 6u);
}

TEST(TgaReader, RefusesDamagedAndUnsupportedFiles)
{
    const std::vector<uint8_t> pixels = GradientPixels(8, 8, 4);
    const std::vector<uint8_t> plain = TgaWrite(pixels.data(), 8, 8, {2, 32, true, 0, 0, 0});
    const std::vector<uint8_t> rle = TgaWrite(pixels.data(), 8, 8, {10, 32, true, 0, 0, 0});
    std::vector<uint8_t> longId = plain;
    longId[0] = 255;
    longId.resize(18 + 100);
    std::vector<uint8_t> wideRle = rle;
    wideRle[12] = 0xFF;
    wideRle[13] = 0xFF;
    wideRle[14] = 0xFF;
    wideRle[15] = 0xFF;
    struct Case
    {
        const char* label;
        std::vector<uint8_t> file;
        const char* report;
    } cases[] = {
        {"header cut", std::vector<uint8_t>(plain.begin(), plain.begin() + 10), "too short"},
        {"plain pixels cut", std::vector<uint8_t>(plain.begin(), plain.end() - 1), "ends within"},
        {"packets cut", std::vector<uint8_t>(rle.begin(), rle.end() - 3), "ends within"},
        {"huge run-length image", wideRle, "ends within"},
        {"colour-mapped", TgaWrite(pixels.data(), 8, 8, {1, 32, true, 0, 0, 0}),
         "Only supports true color files"},
        {"16 bits", TgaWrite(pixels.data(), 8, 4, {2, 16, true, 0, 0, 0}),
         "Does not support 16 bits per pixel"},
        {"id runs past the end", longId, "ends within"},
        {"no pixels", TgaWrite(pixels.data(), 0, 0, {2, 32, true, 0, 0, 0}), "ends within"},
    };
    for (Case& c : cases)
    {
        LogCapture log;
        EXPECT_FALSE(Read(c.file)) << c.label;
        EXPECT_TRUE(log.Contains(c.report)) << c.label << ": " << log.Text();
    }
}

TEST(TgaWriter, WritesBgrWithTheTruevisionFooterAndReadsBackUpright)
{
    uint8_t rows[2 * 3] = {10, 20, 30, 40, 50, 60}; // bottom row first, as GL reads
    Image image;
    image.Wrap(kImageFormatBGR, 1, 2, rows);
    MemoryByteSink sink;
    ASSERT_TRUE(TGA_ImageSaveHandler(image, sink));
    const std::vector<uint8_t>& file = sink.Bytes();
    ASSERT_EQ(file.size(), 18u + 6u + 26u);
    EXPECT_EQ(file[2], 2);
    EXPECT_EQ(file[16], 24);
    EXPECT_EQ(file[17], 0);
    EXPECT_EQ(memcmp(file.data() + file.size() - 18, "TRUEVISION-XFILE.", 18), 0);

    const std::unique_ptr<Image> back = Read(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(memcmp(back->pixels, "\x28\x32\x3c\x0a\x14\x1e", 6), 0);
}

TEST(TgaWriter, RefusesFormatsOtherThanBgrAndWritesNothing)
{
    uint8_t pixels[4] = {};
    Image image;
    image.Wrap(kImageFormatBGRA, 1, 1, pixels);
    MemoryByteSink sink;
    LogCapture log;
    EXPECT_FALSE(TGA_ImageSaveHandler(image, sink));
    EXPECT_TRUE(log.Contains("TGA_ImageSaveHandler - unsupported pixel format."));
    EXPECT_TRUE(sink.Bytes().empty());
}
