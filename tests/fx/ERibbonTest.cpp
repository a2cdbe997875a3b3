#include "FXElementFixture.h"

#include "fx/ERibbon.h"

namespace
{
class ERibbonTest : public FXElementTest
{
protected:
    void SetUp() override
    {
        FXElementTest::SetUp();
        m_def.type = kFXRibbon;
        m_def.lifeTime = 100.0f;
        m_def.ribbonElementLifeTime = 1.0f;
        m_def.textureUseLength = 0.5f;
        m_def.segmentsBetween = 1.0f;
        m_def.lodSegmentsBetween = 1.0f;
        m_def.texture = 7;
        Constant(m_def.sizeCurve, 1.0f);
        for (InterpDef* curve : {&m_def.redCurve, &m_def.greenCurve, &m_def.blueCurve, &m_def.alphaCurve})
            Constant(*curve, 1.0f);
    }
    void TearDown() override
    {
        m_ribbon.Stop();
        FXElementTest::TearDown();
    }

    // One update with the instance at z: its x axis lies across the trail.
    void StepAt(float z, float dt = 0.1f)
    {
        Mat4SetTranslation(m_instance.matrix, Vec3(0, 0, z));
        Step(m_ribbon, dt);
    }

    ERibbon m_ribbon;
};

TEST_F(ERibbonTest, OneSegmentDrawsNothing)
{
    Bind(m_ribbon);
    StepAt(0);
    ASSERT_EQ(m_ribbon.SegmentCount(), 1);
    m_ribbon.Render(m_instance.matrix);
    EXPECT_EQ(Batch().ItemCount(), 0);
    EXPECT_EQ(Batch().VertexCount(), 0);
}

TEST_F(ERibbonTest, SegmentsJoinIntoOneStripFromTheNewest)
{
    Bind(m_ribbon);
    m_ribbon.scroll = 0.25f;
    StepAt(0, 0.0f);
    StepAt(2, 0.0f);
    StepAt(4, 0.0f);
    m_ribbon.Render(m_instance.matrix);
    ASSERT_EQ(Batch().ItemCount(), 1);
    EXPECT_EQ(Batch().Item(0).strip, 1);
    EXPECT_EQ(Batch().Item(0).texture, 7);
    ASSERT_EQ(Batch().VertexCount(), 6);
    const float zs[3] = {4, 2, 0};
    for (int k = 0; k < 3; ++k)
    {
        EXPECT_NEAR(VertexAt(2 * k).z, zs[k], 1e-4f);
        EXPECT_NEAR(VertexAt(2 * k).x, -1.0f, 1e-4f);
        EXPECT_NEAR(VertexAt(2 * k + 1).x, 1.0f, 1e-4f);
        EXPECT_EQ(Batch().Vertices()[2 * k].uv[0], 0.0f);
        EXPECT_EQ(Batch().Vertices()[2 * k + 1].uv[0], 1.0f);
        EXPECT_FLOAT_EQ(Batch().Vertices()[2 * k].uv[1], 0.25f + 0.5f * k);
        EXPECT_EQ(Batch().Vertices()[2 * k].colour[3], 255);
    }
}

TEST_F(ERibbonTest, OldSegmentsAreReleased)
{
    Bind(m_ribbon);
    const int before = FXFreeRibbonSegmentCount();
    for (int i = 0; i < 30; ++i)
        StepAt(static_cast<float>(i), 0.1f);
    // Ages 0 to 1.0 stay; anything older goes.
    EXPECT_GE(m_ribbon.SegmentCount(), 10);
    EXPECT_LE(m_ribbon.SegmentCount(), 11);
    EXPECT_EQ(FXFreeRibbonSegmentCount(), before - m_ribbon.SegmentCount());
    m_ribbon.Stop();
    EXPECT_EQ(FXFreeRibbonSegmentCount(), before);
}

TEST_F(ERibbonTest, ScrollMovesByItsSpeedAndWraps)
{
    Constant(m_def.textureScrollCurve, 0.25f);
    Bind(m_ribbon);
    m_ribbon.scroll = 0.9f;
    StepAt(0, 0.2f);
    EXPECT_NEAR(m_ribbon.scroll, 0.95f, 1e-5f);
    StepAt(0, 0.4f);
    EXPECT_NEAR(m_ribbon.scroll, 0.05f, 1e-5f);
    StepAt(0, 1.0f);
    EXPECT_NEAR(m_ribbon.scroll, 0.3f, 1e-5f);
    Constant(m_def.textureScrollCurve, -0.5f);
    StepAt(0, 1.0f);
    EXPECT_NEAR(m_ribbon.scroll, 0.8f, 1e-5f);
}

TEST_F(ERibbonTest, SubdivisionsFollowTheLevelOfDetail)
{
    m_def.segmentsBetween = 8.0f;
    m_def.lodSegmentsBetween = 2.0f;
    const struct
    {
        float lod;
        int subdivisions;
    } cases[] = {{1.0f, 8}, {0.0f, 2}, {0.5f, 5}, {0.25f, 3}};
    for (const auto& c : cases)
    {
        m_instance.lod = c.lod;
        ERibbon ribbon;
        Bind(ribbon);
        EXPECT_EQ(ribbon.SubdivisionsPerSpan(), c.subdivisions) << c.lod;
    }
    m_instance.lod = 0.5f;
    Bind(m_ribbon);
    StepAt(0, 0.0f);
    StepAt(1, 0.0f);
    StepAt(2, 0.0f);
    m_ribbon.Render(m_instance.matrix);
    // The newest pair, then per span four intermediate pairs and its end pair.
    ASSERT_EQ(Batch().VertexCount(), 2 + 2 * 5 * 2);
    EXPECT_FLOAT_EQ(Batch().Vertices()[2].uv[1], m_ribbon.scroll + 0.1f);
    // A straight, even trail stays straight: the first intermediate pair at z = 1.8.
    EXPECT_NEAR(VertexAt(2).z, 1.8f, 1e-4f);
    EXPECT_NEAR(VertexAt(2).x, -1.0f, 1e-4f);
}

TEST_F(ERibbonTest, AHugeSubdivisionCountStopsAtTheFullBatch)
{
    m_def.segmentsBetween = 1e9f;
    Bind(m_ribbon);
    for (int i = 0; i < 10; ++i)
        StepAt(static_cast<float>(i), 0.0f);
    m_ribbon.Render(m_instance.matrix);
    EXPECT_TRUE(Batch().IsFull());
    ASSERT_EQ(Batch().ItemCount(), 1);
    EXPECT_EQ(Batch().Item(0).end, kFXMaxDrawVertices);
    m_def.segmentsBetween = NAN;
    EXPECT_EQ(m_ribbon.SubdivisionsPerSpan(), 0);
}

TEST_F(ERibbonTest, SmoothedColourAndAlphaStayInRange)
{
    // Steps in alpha and colour would overshoot under Catmull-Rom.
    m_def.segmentsBetween = 4.0f;
    m_def.alphaCurve.Clear();
    m_def.alphaCurve.AddKey(0.0f, 1.0f);
    m_def.alphaCurve.AddKey(0.05f, 0.0f);
    m_def.redCurve.Clear();
    m_def.redCurve.AddKey(0.0f, 0.0f);
    m_def.redCurve.AddKey(0.05f, 1.0f);
    Bind(m_ribbon);
    for (int i = 0; i < 4; ++i)
        StepAt(static_cast<float>(i), 0.1f);
    m_ribbon.Render(m_instance.matrix);
    // The newest point, three pairs, the second point, then the span that
    // leaves a step: red overshoots above 255, alpha below 0.
    ASSERT_EQ(Batch().VertexCount(), 2 + 3 * 8);
    for (int i = 8; i < 16; ++i)
    {
        EXPECT_EQ(Batch().Vertices()[i].colour[0], 255) << i;
        EXPECT_EQ(Batch().Vertices()[i].colour[3], 0) << i;
    }
}
} // namespace
