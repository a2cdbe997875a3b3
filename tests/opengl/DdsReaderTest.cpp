#include "opengl/DdsReader.h"

#include "ImagePixels.h"
#include "opengl/Image.h"
#include "support/LogCapture.h"
#include "tools/formats/DdsWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<Image> Read(const std::vector<uint8_t>& file)
{
    return std::unique_ptr<Image>(DDS_ImageLoadHandler(file.data(), file.size(), "test.dds"));
}

std::vector<uint8_t> WriteDds(DxtFormat format, uint32_t width, uint32_t height, uint32_t mips = 0)
{
    const std::vector<uint8_t> pixels = GradientPixels(width, height, 4);
    return DdsWrite(format, pixels.data(), width, height, mips);
}
} // namespace

TEST(DdsReader, ReadsEveryLevelOfEachBlockFormat)
{
    struct Case
    {
        DxtFormat format;
        uint32_t imageFormat, width, height, levels;
        uint32_t sizes[7];
    } cases[] = {
        {DxtFormat::DXT1, kImageFormatDXT1, 16, 8, 5, {64, 16, 8, 8, 8}},
        {DxtFormat::DXT3, kImageFormatDXT3, 16, 8, 5, {128, 32, 16, 16, 16}},
        {DxtFormat::DXT5, kImageFormatDXT5, 12, 20, 5, {240, 96, 32, 16, 16}},
        {DxtFormat::DXT5, kImageFormatDXT5, 64, 64, 7, {4096, 1024, 256, 64, 16, 16, 16}},
    };
    for (const Case& c : cases)
    {
        const std::vector<uint8_t> file = WriteDds(c.format, c.width, c.height);
        const std::unique_ptr<Image> image = Read(file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->MipCount(), c.levels);
        size_t offset = 128;
        uint32_t width = c.width, height = c.height, level = 0;
        for (const Image* mip = image.get(); mip; mip = mip->nextMip, ++level)
        {
            EXPECT_EQ(mip->format, c.imageFormat);
            EXPECT_EQ(mip->width, width);
            EXPECT_EQ(mip->height, height);
            EXPECT_EQ(mip->size, c.sizes[level]) << "level " << level;
            EXPECT_EQ(memcmp(mip->pixels, file.data() + offset, mip->size), 0) << "level " << level;
            offset += mip->size;
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
        EXPECT_EQ(offset, file.size());
    }
}

TEST(DdsReader, MipCountOfZeroOrOneGivesOneLevelAndAnOverlongCountIsCapped)
{
    std::vector<uint8_t> file = WriteDds(DxtFormat::DXT1, 8, 8, 1);
    DdsPutU32(file, kDdsFieldMipCount, 0);
    EXPECT_EQ(Read(file)->MipCount(), 1u);

    file = WriteDds(DxtFormat::DXT1, 8, 8);
    file.insert(file.end(), 64, 0); // room for levels that cannot exist
    DdsPutU32(file, kDdsFieldMipCount, 40);
    EXPECT_EQ(Read(file)->MipCount(), 4u);
}

TEST(DdsReader, ACutMipChainEndsAtTheLastWholeLevel)
{
    std::vector<uint8_t> file = WriteDds(DxtFormat::DXT5, 16, 16); // levels of 256, 64, 16, 16, 16 bytes
    file.resize(128 + 256 + 64 + 5);
    LogCapture log;
    const std::unique_ptr<Image> image = Read(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->MipCount(), 2u);
    EXPECT_TRUE(log.Contains("holds 2 of its 5 mip levels"));
}

TEST(DdsReader, RefusesDamagedAndUnsupportedFiles)
{
    const std::vector<uint8_t> good = WriteDds(DxtFormat::DXT1, 8, 8);
    auto patched = [&](uint32_t offset, uint32_t value)
    {
        std::vector<uint8_t> file = good;
        DdsPutU32(file, offset, value);
        return file;
    };
    std::vector<uint8_t> tallWithoutLinearSize = patched(kDdsFieldLinearSize, 0);
    DdsPutU32(tallWithoutLinearSize, kDdsFieldHeight, 0x40000);
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    struct Case
    {
        const char* label;
        std::vector<uint8_t> file;
        const char* report;
    } cases[] = {
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 100), "is not a DDS file"},
        {"bad magic", badMagic, "is not a DDS file"},
        {"top level cut", std::vector<uint8_t>(good.begin(), good.begin() + 128 + 31),
         "ends within its image"},
        {"no fourCC flag", patched(kDdsFieldPixelFlags, 0), "Unsupported DDS type test.dds."},
        {"other fourCC", patched(kDdsFieldFourCC, 0x34545844), "unrecognised fourCC code 0x34545844"},
        {"linear size too large", patched(kDdsFieldLinearSize, 33), "bad size"},
        {"zero width", patched(kDdsFieldWidth, 0), "bad size"},
        {"huge", patched(kDdsFieldWidth, 0x40000000), "bad size"},
        {"tall without linear size", tallWithoutLinearSize, "ends within its image"},
    };
    for (Case& c : cases)
    {
        LogCapture log;
        EXPECT_FALSE(Read(c.file)) << c.label;
        EXPECT_TRUE(log.Contains(c.report)) << c.label << ": " << log.Text();
    }
}

TEST(DxtEncoder, BlocksOfOneExactColourComeBackExactly)
{
    const uint8_t colours[][4] = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}, {255, 255, 255, 255}};
    for (const DxtFormat format : {DxtFormat::DXT1, DxtFormat::DXT3, DxtFormat::DXT5})
        for (const auto& colour : colours)
        {
            uint8_t pixels[64], block[16], decoded[64];
            for (int i = 0; i < 16; ++i)
                memcpy(pixels + i * 4, colour, 4);
            DxtEncodeBlock(format, pixels, block);
            DxtDecodeBlock(format, block, decoded);
            for (int i = 0; i < 16; ++i)
            {
                EXPECT_EQ(memcmp(decoded + i * 4, colour, 3), 0);
                if (format != DxtFormat::DXT1)
                {
                    EXPECT_NEAR(decoded[i * 4 + 3], colour[3], 8);
                }
            }
        }
}

TEST(DxtEncoder, TwoColourBlocksKeepEachPixelsColour)
{
    uint8_t pixels[64], block[16], decoded[64];
    for (int i = 0; i < 16; ++i)
    {
        const uint8_t value = (i % 3) ? 255 : 0;
        pixels[i * 4 + 0] = value;
        pixels[i * 4 + 1] = 0;
        pixels[i * 4 + 2] = uint8_t(255 - value);
        pixels[i * 4 + 3] = value;
    }
    DxtEncodeBlock(DxtFormat::DXT5, pixels, block);
    DxtDecodeBlock(DxtFormat::DXT5, block, decoded);
    EXPECT_EQ(memcmp(decoded, pixels, 64), 0);
}
