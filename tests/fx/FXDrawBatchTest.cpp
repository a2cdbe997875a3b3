#include "fx/FXDrawBatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
class FXDrawBatchTest : public ::testing::Test
{
protected:
    void AddQuad(float x)
    {
        for (int i = 0; i < 4; ++i)
            m_batch.AddVertex(x, static_cast<float>(i), 0.0f);
    }
    void AddItem(int32_t texture, int quads, bool strip = false)
    {
        m_batch.BeginItem(texture, kFXBlendAlpha);
        m_batch.SetStrip(strip);
        for (int q = 0; q < quads; ++q)
            AddQuad(static_cast<float>(texture));
        m_batch.EndItem();
    }

    FXDrawBatch m_batch;
};

TEST_F(FXDrawBatchTest, VerticesTakeTheCurrentColourAndTexcoord)
{
    m_batch.BeginItem(2, kFXBlendAdditive);
    m_batch.AddVertex(1, 2, 3);
    m_batch.SetColour(10, 20, 30, 40);
    m_batch.SetTexcoord(0.25f, 0.75f);
    m_batch.AddVertex(4, 5, 6);
    m_batch.EndItem();
    ASSERT_EQ(m_batch.VertexCount(), 2);
    const EffectVertex& first = m_batch.Vertices()[0];
    EXPECT_EQ(first.colour[0], 255) << "magenta until set";
    EXPECT_EQ(first.colour[1], 0);
    EXPECT_EQ(first.colour[2], 255);
    EXPECT_EQ(first.uv[0], 0.0f);
    const EffectVertex& second = m_batch.Vertices()[1];
    EXPECT_EQ(second.position[2], 6.0f);
    EXPECT_EQ(second.colour[3], 40);
    EXPECT_EQ(second.uv[1], 0.75f);
    const FXDrawItem& item = m_batch.Item(0);
    EXPECT_EQ(item.blend, kFXBlendAdditive);
    EXPECT_EQ(item.texture, 2);
    EXPECT_EQ(item.first, 0);
    EXPECT_EQ(item.end, 2);
    EXPECT_EQ(m_batch.ItemState(), 2);
}

TEST_F(FXDrawBatchTest, AnItemWithNoVerticesDisappears)
{
    AddItem(1, 1);
    AddItem(3, 0);
    AddItem(5, 1);
    ASSERT_EQ(m_batch.ItemCount(), 2);
    EXPECT_EQ(m_batch.Item(1).texture, 5);
    EXPECT_EQ(m_batch.Item(1).first, 4);
}

TEST_F(FXDrawBatchTest, SortingByTextureKeepsEqualTexturesInOrderAndPutsMissingOnesLast)
{
    const int32_t textures[] = {3, 1, -1, 3, 1, 0, 300, 3};
    for (int32_t texture : textures)
        AddItem(texture, 1);
    m_batch.SortItems();
    const struct
    {
        int32_t texture;
        int32_t first;
    } expected[] = {{0, 20}, {1, 4}, {1, 16}, {3, 0}, {3, 12}, {3, 28}, {-1, 8}, {300, 24}};
    ASSERT_EQ(m_batch.ItemCount(), 8);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(m_batch.Item(i).texture, expected[i].texture) << i;
        EXPECT_EQ(m_batch.Item(i).first, expected[i].first) << i;
    }
}

TEST_F(FXDrawBatchTest, AFullItemTableRefusesTheWholeElement)
{
    for (int i = 0; i < kFXMaxDrawItems; ++i)
        AddItem(i % 4, 1);
    const int vertices = m_batch.VertexCount();
    AddItem(9, 3, true);
    EXPECT_EQ(m_batch.ItemCount(), kFXMaxDrawItems);
    EXPECT_EQ(m_batch.VertexCount(), vertices) << "nothing falls into the previous item";
    const FXDrawItem& last = m_batch.Item(kFXMaxDrawItems - 1);
    EXPECT_EQ(last.end - last.first, 4);
    EXPECT_EQ(last.strip, 0);
}

TEST_F(FXDrawBatchTest, AFullVertexArrayDropsWholeQuads)
{
    // Two vertices short of full, then a quad item and a strip item.
    m_batch.BeginItem(0, kFXBlendAlpha);
    m_batch.SetStrip(true);
    for (int i = 0; i < kFXMaxDrawVertices - 6; ++i)
        m_batch.AddVertex(0, 0, 0);
    m_batch.EndItem();
    AddItem(1, 2);
    ASSERT_EQ(m_batch.ItemCount(), 2);
    EXPECT_EQ(m_batch.Item(1).end - m_batch.Item(1).first, 4);
    EXPECT_EQ(m_batch.VertexCount(), kFXMaxDrawVertices - 2);
    EXPECT_FALSE(m_batch.IsFull());
    m_batch.BeginItem(2, kFXBlendAlpha);
    m_batch.SetStrip(true);
    for (int i = 0; i < 5; ++i)
        m_batch.AddVertex(0, 0, 0);
    m_batch.EndItem();
    EXPECT_EQ(m_batch.VertexCount(), kFXMaxDrawVertices);
    AddItem(3, 1);
    EXPECT_EQ(m_batch.ItemCount(), 3) << "an item that got no vertex is removed";
}

TEST_F(FXDrawBatchTest, ClearEmptiesForTheNextFrame)
{
    AddItem(1, 2);
    m_batch.Clear();
    EXPECT_EQ(m_batch.ItemCount(), 0);
    EXPECT_EQ(m_batch.VertexCount(), 0);
    AddItem(2, 1);
    EXPECT_EQ(m_batch.Item(0).first, 0);
}

TEST(FXColourByteTest, ClampsAndTruncates)
{
    const struct
    {
        float value;
        uint8_t byte;
    } cases[] = {{0.0f, 0}, {127.9f, 127}, {255.0f, 255}, {256.0f, 255}, {1e20f, 255}, {-1.0f, 0},
                 {NAN, 0},  {INFINITY, 255}, {-INFINITY, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(FXColourByte(c.value), c.byte) << c.value;
}
} // namespace
