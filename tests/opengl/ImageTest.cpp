#include "opengl/Image.h"

#include <gtest/gtest.h>

#include <cstring>

struct AllocationCase
{
    uint32_t format, width, height, size;
};

TEST(Image, AllocateSizesFollowTheFormat)
{
    const AllocationCase cases[] = {
        {kImageFormatLuminance, 3, 5, 15}, {kImageFormatShort0, 3, 5, 30}, {kImageFormatRGB, 3, 5, 45},
        {kImageFormatRGBA, 3, 5, 60},      {kImageFormatBGR, 2, 2, 12},    {kImageFormatBGRA, 2, 2, 16},
        {kImageFormatDXT1, 3, 5, 16},      {kImageFormatDXT5, 1, 1, 16},   {kImageFormatDXT3, 8, 8, 64},
    };
    for (const AllocationCase& c : cases)
    {
        Image image;
        ASSERT_TRUE(image.Allocate(c.format, c.width, c.height)) << c.format;
        EXPECT_EQ(image.size, c.size) << c.format;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.pixels[image.size - 1], 0);
    }
}

TEST(Image, AllocateRefusesUnknownFormatsAndSizesBeyond32Bits)
{
    Image image;
    EXPECT_FALSE(image.Allocate(12, 4, 4));
    EXPECT_FALSE(image.Allocate(kImageFormatRGBA, 65536, 65536));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.size, 0u);
}

TEST(Image, WrapBorrowsPixelsWithTheCompressedSizeRule)
{
    uint8_t pixels[64] = {};
    Image image;
    image.Wrap(kImageFormatDXT1, 2, 2, pixels);
    EXPECT_EQ(image.size, 8u);
    image.Wrap(kImageFormatDXT5, 8, 4, pixels);
    EXPECT_EQ(image.size, 32u);
    image.Wrap(kImageFormatRGB, 2, 2, pixels);
    EXPECT_EQ(image.size, 12u);
    EXPECT_EQ(image.pixels, pixels);
}

TEST(Image, FlipVerticalSwapsRowsAndLeavesBlocksAlone)
{
    Image image;
    image.Allocate(kImageFormatBGR, 1, 3);
    memcpy(image.pixels, "aaabbbccc", 9);
    image.FlipVertical();
    EXPECT_EQ(memcmp(image.pixels, "cccbbbaaa", 9), 0);

    Image blocks;
    blocks.Allocate(kImageFormatDXT1, 4, 8);
    blocks.pixels[0] = 1;
    blocks.FlipVertical();
    EXPECT_EQ(blocks.pixels[0], 1);
}

TEST(Image, FreeReleasesTheWholeMipChain)
{
    Image top;
    top.Allocate(kImageFormatDXT1, 4, 4);
    top.nextMip = new Image;
    top.nextMip->Allocate(kImageFormatDXT1, 2, 2);
    top.nextMip->nextMip = new Image;
    EXPECT_EQ(top.MipCount(), 3u);
    top.Free();
    EXPECT_EQ(top.nextMip, nullptr);
    EXPECT_EQ(top.MipCount(), 1u);
}

TEST(Image, IsPowerOfTwo)
{
    EXPECT_TRUE(IsPowerOfTwo(1));
    EXPECT_TRUE(IsPowerOfTwo(1024));
    EXPECT_FALSE(IsPowerOfTwo(0));
    EXPECT_FALSE(IsPowerOfTwo(-4));
    EXPECT_FALSE(IsPowerOfTwo(96));
}
