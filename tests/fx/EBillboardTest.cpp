#include "FXElementFixture.h"

#include "fx/EBillboard.h"

#include <cmath>

namespace
{
class EBillboardTest : public FXElementTest
{
protected:
    void SetUp() override
    {
        FXElementTest::SetUp();
        m_def.type = kFXBillboard;
        m_def.lifeTime = 10.0f;
        m_def.texture = 4;
        m_def.blend = kFXBlendAdditive;
        Constant(m_def.sizeCurve, 2.0f);
        Constant(m_def.stretchCurve, 1.0f);
        for (InterpDef* curve : {&m_def.redCurve, &m_def.greenCurve, &m_def.blueCurve, &m_def.alphaCurve})
            Constant(*curve, 1.0f);
    }

    void RenderAt(const Vec3& p)
    {
        Mat4SetTranslation(m_instance.matrix, p);
        m_billboard.Render(m_instance.matrix);
    }

    EBillboard m_billboard;
};

void ExpectNear(const Vec3& actual, const Vec3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

TEST_F(EBillboardTest, NormalQuadFacesTheCameraAsOneStripWithItsColourAndTexcoords)
{
    Constant(m_def.greenCurve, 0.5f);
    Bind(m_billboard);
    Step(m_billboard, 0.1f);
    RenderAt(Vec3(1, 2, 3));
    ASSERT_EQ(Batch().ItemCount(), 1);
    const FXDrawItem& item = Batch().Item(0);
    EXPECT_EQ(item.texture, 4);
    EXPECT_EQ(item.blend, kFXBlendAdditive);
    EXPECT_EQ(item.strip, 1);
    EXPECT_EQ(item.end - item.first, 4);
    const Vec3 corners[4] = {{0, 1, 3}, {2, 1, 3}, {0, 3, 3}, {2, 3, 3}};
    const float uvs[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
    for (int i = 0; i < 4; ++i)
    {
        ExpectNear(VertexAt(i), corners[i]);
        EXPECT_EQ(Batch().Vertices()[i].uv[0], uvs[i][0]);
        EXPECT_EQ(Batch().Vertices()[i].uv[1], uvs[i][1]);
        EXPECT_EQ(Batch().Vertices()[i].colour[0], 255);
        EXPECT_EQ(Batch().Vertices()[i].colour[1], 127);
        EXPECT_EQ(Batch().Vertices()[i].colour[3], 255);
    }
}

TEST_F(EBillboardTest, NoneModeKeepsTheInstanceOrientation)
{
    m_def.billboardMode = 0;
    Bind(m_billboard);
    Step(m_billboard, 0.1f);
    // Turned a quarter about +Y: the quad's x runs along -z.
    Mat4SetRotationAxisAngle(m_instance.matrix, 1.5707964f, Vec3(0, 1, 0));
    RenderAt(Vec3(0, 0, 0));
    ASSERT_EQ(Batch().VertexCount(), 4);
    const Vec3 expected0 = Mat4RotateVec3(m_instance.matrix, Vec3(-1, -1, 0));
    ExpectNear(VertexAt(0), expected0);
    EXPECT_NEAR(VertexAt(0).x, 0.0f, 1e-4f);
    EXPECT_NEAR(VertexAt(3).x, 0.0f, 1e-4f);
}

TEST_F(EBillboardTest, PseudoModeStandsOnTheInstanceAxisAndTurnsTowardTheEye)
{
    m_def.billboardMode = 2;
    Bind(m_billboard);
    Step(m_billboard, 0.1f);
    // The instance's z axis points up; the eye looks from +z.
    m_instance.matrix = Mat4Identity();
    m_instance.matrix[8] = 0;
    m_instance.matrix[9] = 1;
    m_instance.matrix[10] = 0;
    RenderAt(Vec3(0, 0, 0));
    ASSERT_EQ(Batch().VertexCount(), 4);
    float minY = 1e9f, maxY = -1e9f;
    for (int i = 0; i < 4; ++i)
    {
        const Vec3 v = VertexAt(i);
        EXPECT_NEAR(v.z, 0.0f, 1e-4f) << "the quad faces the eye";
        EXPECT_NEAR(std::fabs(v.x), 1.0f, 1e-4f);
        minY = std::fmin(minY, v.y);
        maxY = std::fmax(maxY, v.y);
    }
    EXPECT_NEAR(maxY - minY, 2.0f, 1e-4f) << "it stands along the axis";
}

TEST_F(EBillboardTest, FadeScalesAlpha)
{
    Bind(m_billboard);
    EXPECT_EQ(m_billboard.colour[3], 0) << "no alpha before the first update";
    m_instance.fade.Place(0.5f);
    Step(m_billboard, 0.1f);
    EXPECT_EQ(m_billboard.colour[3], 127);
}

TEST_F(EBillboardTest, SpinSpeedTurnsByGameTime)
{
    Constant(m_def.spinSpeedCurve, 3.14f);
    Bind(m_billboard);
    for (int i = 0; i < 4; ++i)
        Step(m_billboard, 0.25f);
    EXPECT_NEAR(m_billboard.angle, 3.14f, 1e-4f);
    RenderAt(Vec3(0, 0, 0));
    // Nearly a half turn: the first corner sits where the last one was.
    EXPECT_NEAR(VertexAt(0).x, 1.0f, 0.01f);
    EXPECT_NEAR(VertexAt(0).y, 1.0f, 0.01f);
}

TEST_F(EBillboardTest, DistanceScalingBetweenStartAndFinish)
{
    m_def.scalingDistanceStart = 10.0f;
    m_def.scalingDistanceFinish = 20.0f;
    m_def.scalingDistanceFinishMultiplySize = 2.0f;
    const struct
    {
        float distance;
        float factor;
    } cases[] = {{5.0f, 1.0f}, {10.0f, 1.0f}, {15.0f, 1.5f}, {20.0f, 2.0f}, {30.0f, 2.0f}};
    for (const auto& c : cases)
    {
        SetEye(Vec3(0, 0, c.distance));
        EXPECT_NEAR(FXDistanceScale(m_def, Vec3(0, 0, 0)), c.factor, 1e-5f) << c.distance;
    }
    m_def.scalingDistanceFinishMultiplySize = 1.0f;
    SetEye(Vec3(0, 0, 30));
    EXPECT_EQ(FXDistanceScale(m_def, Vec3(0, 0, 0)), 1.0f);
}

TEST_F(EBillboardTest, RandomSizeAddAndSizeParameter)
{
    m_def.sizeRandomAddMax = 0.0f;
    EBillboard other;
    Bind(m_billboard);
    Bind(other);
    EXPECT_EQ(m_billboard.size, other.size);
    m_billboard.SetParamScalar(1.5f, kFXParamSizeAdd);
    m_billboard.SetParamScalar(9.0f, kFXParamRateAdd);
    Step(m_billboard, 0.1f);
    EXPECT_FLOAT_EQ(m_billboard.size, 3.5f);
}

TEST_F(EBillboardTest, ColourBytesAreClampedNotWrapped)
{
    const struct
    {
        float value;
        uint8_t byte;
    } cases[] = {{2.0f, 255}, {1.0f, 255}, {-0.5f, 0}, {NAN, 0}, {INFINITY, 255}, {-INFINITY, 0}, {0.5f, 127}};
    for (const auto& c : cases)
    {
        Constant(m_def.redCurve, c.value);
        Constant(m_def.alphaCurve, c.value);
        EBillboard billboard;
        Bind(billboard);
        Step(billboard, 0.01f);
        EXPECT_EQ(billboard.colour[0], c.byte) << c.value;
        EXPECT_EQ(billboard.colour[3], c.byte) << c.value;
    }
}
} // namespace
