#include "opengl/JpegCodec.h"

#include "ImagePixels.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
// JPEG keeps smooth pictures well; a sharp one would only measure the loss.
std::vector<uint8_t> SmoothPixels(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* pixel = &pixels[(size_t(y) * width + x) * 3];
            pixel[0] = uint8_t(x * 255 / width);
            pixel[1] = uint8_t(y * 255 / height);
            pixel[2] = uint8_t((x + y) * 127 / (width + height) + 64);
        }
    return pixels;
}

std::unique_ptr<Image> Read(const std::vector<uint8_t>& file)
{
    MemoryByteSource source(file.data(), file.size());
    return std::unique_ptr<Image>(JPG_ImageLoadHandler(source, "test.jpg"));
}

std::vector<uint8_t> Encode(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> pixels = SmoothPixels(width, height);
    Image image;
    image.Wrap(kImageFormatRGB, width, height, pixels.data());
    MemoryByteSink sink;
    EXPECT_TRUE(JPG_ImageSaveHandler(image, sink));
    return sink.Bytes();
}

// Files in colour spaces our writer does not make, through libjpeg directly.
std::vector<uint8_t> EncodeWithLibjpeg(J_COLOR_SPACE space, int components, uint32_t width, uint32_t height,
                                       bool progressive = false)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::vector<uint8_t> pixels = GradientPixels(width, height, components);
    while (info.next_scanline < height)
    {
        JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + info.next_scanline * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    free(buffer);
    return file;
}

// The same file declaring another size in its frame header.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> file, uint32_t width, uint32_t height)
{
    for (size_t i = 0; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2))
        {
            file[i + 5] = uint8_t(height >> 8);
            file[i + 6] = uint8_t(height);
            file[i + 7] = uint8_t(width >> 8);
            file[i + 8] = uint8_t(width);
            return file;
        }
    ADD_FAILURE() << "no frame header";
    return file;
}

class FailingSink : public ImageByteSink
{
public:
    explicit FailingSink(size_t room) : m_room(room) {}
    bool Write(const void*, size_t count) override
    {
        if (count > m_room)
            return false;
        m_room -= count;
        return true;
    }
    bool Flush() override { return m_flushes; }
    bool m_flushes = true;

private:
    size_t m_room;
};
} // namespace

TEST(JpegCodec, RoundTripKeepsSizeAndColoursWithinLoss)
{
    const uint32_t width = 300, height = 200;
    const std::vector<uint8_t> file = Encode(width, height);
    ASSERT_GT(file.size(), 4096u); // more than one destination buffer
    const std::unique_ptr<Image> image = Read(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format, kImageFormatRGB);
    EXPECT_EQ(image->width, width);
    EXPECT_EQ(image->height, height);
    const std::vector<uint8_t> pixels = SmoothPixels(width, height);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        worst = std::max(worst, std::abs(int(pixels[i]) - int(image->pixels[i])));
    EXPECT_LE(worst, 3);
}

TEST(JpegCodec, GreyscaleIsExpandedToRgb)
{
    const std::unique_ptr<Image> image = Read(EncodeWithLibjpeg(JCS_GRAYSCALE, 1, 8, 8));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format, kImageFormatRGB);
    EXPECT_EQ(image->size, 8u * 8u * 3u);
    for (uint32_t i = 0; i < 64; ++i)
    {
        EXPECT_EQ(image->pixels[i * 3], image->pixels[i * 3 + 1]);
        EXPECT_EQ(image->pixels[i * 3], image->pixels[i * 3 + 2]);
    }
}

TEST(JpegCodec, RefusesBadFilesWithoutEndingTheProcess)
{
    const std::vector<uint8_t> good = Encode(64, 64);
    std::vector<uint8_t> garbage(good.size(), 0x5A);
    struct Case
    {
        const char* label;
        std::vector<uint8_t> file;
        const char* report;
    } cases[] = {
        {"empty", {}, "Empty input file"},
        {"not a JPEG", garbage, "Not a JPEG file"},
        {"CMYK", EncodeWithLibjpeg(JCS_CMYK, 4, 8, 8), "unsupported colour space"},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        EXPECT_FALSE(Read(c.file)) << c.label;
        EXPECT_TRUE(log.Contains(c.report)) << c.label << ": " << log.Text();
    }
}

// The reader hands libjpeg an end-of-image marker where the data stops: the picture comes back at its
// full size, the rows it has decoded, and the premature end is reported.
TEST(JpegCodec, FilesCutShortLoadAtFullSizeWithAReport)
{
    const std::vector<uint8_t> baseline = Encode(64, 64);
    const std::vector<uint8_t> progressive = EncodeWithLibjpeg(JCS_RGB, 3, 64, 64, true);
    struct Case
    {
        const char* label;
        std::vector<uint8_t> file;
    } cases[] = {
        {"baseline cut after the header", std::vector<uint8_t>(baseline.begin(), baseline.begin() + 700)},
        {"baseline cut in the middle",
         std::vector<uint8_t>(baseline.begin(), baseline.begin() + baseline.size() / 2)},
        {"progressive cut in the middle",
         std::vector<uint8_t>(progressive.begin(), progressive.begin() + progressive.size() / 2)},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        const std::unique_ptr<Image> image = Read(c.file);
        ASSERT_TRUE(image) << c.label << ": " << log.Text();
        EXPECT_EQ(image->width, 64u) << c.label;
        EXPECT_EQ(image->height, 64u) << c.label;
        EXPECT_TRUE(log.Contains("Premature end of JPEG file")) << c.label << ": " << log.Text();
    }
    const std::unique_ptr<Image> half =
        Read(std::vector<uint8_t>(baseline.begin(), baseline.begin() + baseline.size() / 2));
    ASSERT_TRUE(half);
    const std::vector<uint8_t> pixels = SmoothPixels(64, 64);
    for (size_t i = 0; i < 64 * 3; ++i) // the first row was in the file
        EXPECT_NEAR(int(pixels[i]), int(half->pixels[i]), 3) << i;
}

// A header is a few bytes and may declare any size: the size is checked before libjpeg sets up for it.
TEST(JpegCodec, OversizedImagesAreRefusedFromTheHeader)
{
    const std::vector<uint8_t> tiny = EncodeWithLibjpeg(JCS_RGB, 3, 16, 16, true);
    struct Case
    {
        uint32_t width;
        uint32_t height;
        bool loads;
    } cases[] = {
        {65500, 65500, false}, {16384, 16384, false}, {20000, 8, false}, {8, 20000, false},
        {9000, 8000, false},   {2000, 1500, true},    {8192, 8, true},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        const std::unique_ptr<Image> image = Read(WithDeclaredSize(tiny, c.width, c.height));
        EXPECT_EQ(bool(image), c.loads) << c.width << "x" << c.height;
        if (c.loads && image)
        {
            EXPECT_EQ(image->width * image->height, c.width * c.height);
        }
        if (!c.loads)
        {
            EXPECT_TRUE(log.Contains("is too large")) << c.width << "x" << c.height << ": " << log.Text();
        }
    }
}

TEST(JpegCodec, SaveFailsWhenTheSinkFails)
{
    std::vector<uint8_t> pixels = GradientPixels(64, 64, 3);
    Image image;
    image.Wrap(kImageFormatRGB, 64, 64, pixels.data());
    LogCapture log;
    FailingSink full(1000);
    EXPECT_FALSE(JPG_ImageSaveHandler(image, full));
    EXPECT_TRUE(log.Contains("Output file write error"));

    FailingSink unflushable(1 << 20);
    unflushable.m_flushes = false;
    EXPECT_FALSE(JPG_ImageSaveHandler(image, unflushable));

    image.Wrap(kImageFormatBGR, 64, 64, pixels.data());
    MemoryByteSink sink;
    EXPECT_FALSE(JPG_ImageSaveHandler(image, sink));
    EXPECT_TRUE(sink.Bytes().empty());
}
