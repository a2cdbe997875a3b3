#include "frontend/BillboardBars.h"

#include "FrontendDrawTest.h"
#include "frontend/BasicText.h"
#include "opengl/GLState.h"
#include "support/LogCapture.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
const rgba8888 kRed{255, 0, 0, 255};
const rgba8888 kBlue{0, 0, 255, 255};
const rgba8888 kWhite{255, 255, 255, 255};
const Vec3 kOrigin{0.0f, 0.0f, 0.0f};

int AddOne(BillboardBars& bars, int kind)
{
    switch (kind)
    {
    case kBillboardBarRegular:
        return bars.AddBar(0.5f, kOrigin, 1.0f, 1.0f, kRed, kBlue, true);
    case kBillboardBarString:
        return bars.AddStringBar("label", nullptr, kOrigin, 1.0f, kWhite);
    default:
        return bars.AddPictureBarFromPool(0, kOrigin, 1.0f, 1.0f, kWhite);
    }
}

struct FullTableCase
{
    int kind;
    const char* report;
};

class BillboardBarsFullTableTest : public testing::TestWithParam<FullTableCase>
{
};

TEST_P(BillboardBarsFullTableTest, TheAddPastTheLastSlotIsRefusedAndAFreedSlotIsReused)
{
    const FullTableCase& c = GetParam();
    auto bars = std::make_unique<BillboardBars>();
    for (int i = 0; i < kBillboardBarSlots; ++i)
        ASSERT_EQ(AddOne(*bars, c.kind), i);
    LogCapture log;
    EXPECT_EQ(AddOne(*bars, c.kind), -1);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], c.report);
    bars->DestroyByIndex(c.kind, 5);
    EXPECT_EQ(AddOne(*bars, c.kind), 5);
}

INSTANTIATE_TEST_SUITE_P(EachTable, BillboardBarsFullTableTest,
                         testing::Values(FullTableCase{kBillboardBarRegular, "Too Many Bars, Not Creating Bar \n"},
                                         FullTableCase{kBillboardBarString,
                                                       "Too Many String Bars, Not Creating String Bar \n"},
                                         FullTableCase{kBillboardBarPicture,
                                                       "Too Many Picture Bars, Not Creating Picture Bar \n"}));

TEST(BillboardBarsTest, DestroysOutsideTheTablesOrOfUnknownKindsChangeNothing)
{
    auto bars = std::make_unique<BillboardBars>();
    for (int kind = 0; kind < 3; ++kind)
        ASSERT_EQ(AddOne(*bars, kind), 0);
    const int cases[][2] = {{0, -1}, {0, 512}, {1, -7}, {2, 100000}, {3, 0}, {-1, 0}};
    for (const auto& c : cases)
        bars->DestroyByIndex(c[0], c[1]);
    EXPECT_TRUE(bars->Bar(0).active);
    EXPECT_TRUE(bars->StringBar(0).active);
    EXPECT_TRUE(bars->PictureBar(0).active);
}

TEST(BillboardBarsTest, PoolIndicesOutsideThePoolAreRefusedWithoutTakingASlot)
{
    auto bars = std::make_unique<BillboardBars>();
    LogCapture log;
    for (int pool : {-1, kBillboardTexturePoolSize, 1 << 30})
        EXPECT_EQ(bars->AddPictureBarFromPool(pool, kOrigin, 1.0f, 1.0f, kWhite), -1) << pool;
    EXPECT_FALSE(log.Empty());
    EXPECT_EQ(bars->AddPictureBarFromPool(kBillboardTexturePoolSize - 1, kOrigin, 1.0f, 1.0f, kWhite), 0);
}

TEST(BillboardBarsTest, ALongTextIsCutAndEveryFreedStringBarIsToldOnce)
{
    static int freed[kBillboardBarSlots];
    for (int& count : freed)
        count = 0;
    auto bars = std::make_unique<BillboardBars>();
    bars->SetStringBarFreed([](int index) { ++freed[index]; });
    const std::string longText(300, 'x');
    ASSERT_EQ(bars->AddStringBar(longText.c_str(), nullptr, kOrigin, 1.0f, kWhite), 0);
    ASSERT_EQ(bars->AddStringBar("b", nullptr, kOrigin, 1.0f, kWhite), 1);
    EXPECT_EQ(bars->StringBar(0).text.Length(), 127);
    bars->DestroyByIndex(kBillboardBarString, 0);
    bars->DestroyByIndex(kBillboardBarString, 0);
    bars->Clear();
    bars->Clear();
    EXPECT_EQ(freed[0], 1);
    EXPECT_EQ(freed[1], 1);
    EXPECT_EQ(freed[2], 0);
}

// A fixed camera: orthographic, 4 world units across the 64 pixels (16 a
// unit), looking along its own -z from `eye` with the given rotation.
struct CameraCase
{
    const char* name;
    float angleDegrees;
    Vec3 axis;
};

class BillboardBarsDrawTest : public FrontendDrawTest
{
protected:
    void SetUp() override
    {
        FrontendDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        bars = std::make_unique<BillboardBars>();
        GLOrtho(-2.0f, 2.0f, -2.0f, 2.0f, -20.0f, 20.0f);
        GLCullOff();
        GLDepthTestOff();
        LookFrom(0.0f, Vec3(0.0f, 1.0f, 0.0f));
    }
    void TearDown() override
    {
        if (bars)
            bars->ReleasePool();
        FrontendDrawTest::TearDown();
    }

    // The camera stands 5 units behind the origin along its view, so a bar
    // at the origin sits in the middle of the screen.
    void LookFrom(float angleDegrees, const Vec3& axis)
    {
        Mat4 camera = Mat4Identity();
        Mat4SetRotationAxisAngle(camera, angleDegrees * 0.0174532924f, axis);
        const Vec3 back(camera[8], camera[9], camera[10]);
        Mat4SetTranslation(camera, back * 5.0f);
        Mat4Inverse(view, camera);
    }

    void DrawBars()
    {
        Clear();
        GLLoadMatrix(view);
        bars->Draw(view);
        Capture();
    }

    void WriteTexture(const std::string& relative, uint8_t blue, uint8_t green, uint8_t red)
    {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 16; ++i)
            pixels.insert(pixels.end(), {blue, green, red, 255});
        const std::vector<uint8_t> tga = TgaWrite(pixels.data(), 4, 4, TgaWriteOptions());
        ASSERT_TRUE(m_dir.WriteFile("data/" + relative, tga.data(), tga.size()));
        Mount();
    }

    bool IsRed(int x, int y) const
    {
        const Rgba p = Pixel(x, y);
        return p.r > 200 && p.g < 50 && p.b < 50;
    }
    bool IsBlue(int x, int y) const
    {
        const Rgba p = Pixel(x, y);
        return p.b > 200 && p.r < 50 && p.g < 50;
    }

    std::unique_ptr<BillboardBars> bars;
    Mat4 view;
};

class BillboardBarsCameraTest : public BillboardBarsDrawTest, public testing::WithParamInterface<CameraCase>
{
};

TEST_P(BillboardBarsCameraTest, AQuarterFilledBarFacesTheCamera)
{
    const CameraCase& c = GetParam();
    LookFrom(c.angleDegrees, c.axis);
    // Width 2 covers columns 16 to 48; fill 0.25 the first quarter, 16 to 24.
    ASSERT_EQ(bars->AddBar(0.25f, kOrigin, 2.0f, 1.0f, kRed, kBlue, true), 0);
    DrawBars();
    for (int x : {17, 23})
        EXPECT_TRUE(IsRed(x, 32)) << x;
    for (int x : {25, 40, 47})
        EXPECT_TRUE(IsBlue(x, 32)) << x;
    // Half a unit each side of the middle: rows 24 to 40.
    EXPECT_FALSE(Lit(32, 22));
    EXPECT_TRUE(IsBlue(32, 25));
    EXPECT_TRUE(IsBlue(32, 39));
    EXPECT_FALSE(Lit(32, 42));
    EXPECT_EQ(LitIn(0, 0, 15, 64) + LitIn(49, 0, 64, 64), 0);
}

INSTANTIATE_TEST_SUITE_P(FixedCameras, BillboardBarsCameraTest,
                         testing::Values(CameraCase{"AlongMinusZ", 0.0f, Vec3(0.0f, 1.0f, 0.0f)},
                                         CameraCase{"TurnedAboutY", 90.0f, Vec3(0.0f, 1.0f, 0.0f)},
                                         CameraCase{"TiltedAboutX", -35.0f, Vec3(1.0f, 0.0f, 0.0f)},
                                         CameraCase{"Oblique", 130.0f, Vec3(0.6f, 0.0f, 0.8f)}),
                         [](const testing::TestParamInfo<CameraCase>& info) { return info.param.name; });

TEST_F(BillboardBarsDrawTest, AVerticalBarFillsFromTheTopOfTheScreen)
{
    // Height 2 covers rows 16 to 48; a quarter is rows 16 to 24.
    ASSERT_EQ(bars->AddBar(0.25f, kOrigin, 1.0f, 2.0f, kRed, kBlue, false), 0);
    DrawBars();
    EXPECT_TRUE(IsRed(32, 17));
    EXPECT_TRUE(IsRed(32, 23));
    EXPECT_TRUE(IsBlue(32, 25));
    EXPECT_TRUE(IsBlue(32, 46));
}

TEST_F(BillboardBarsDrawTest, ADestroyedOrClearedBarIsNotDrawn)
{
    ASSERT_EQ(bars->AddBar(1.0f, kOrigin, 2.0f, 2.0f, kRed, kBlue, true), 0);
    ASSERT_EQ(bars->AddBar(1.0f, Vec3(1.0f, 1.0f, 0.0f), 0.5f, 0.5f, kRed, kBlue, true), 1);
    bars->DestroyByIndex(kBillboardBarRegular, 0);
    DrawBars();
    EXPECT_FALSE(Lit(32, 32));
    EXPECT_TRUE(IsRed(48, 16));
    bars->Clear();
    DrawBars();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0);
}

TEST_F(BillboardBarsDrawTest, ALabelIsCentredBelowItsPlaceAtItsScale)
{
    // Boxes of 3 x 6 font pixels advancing by 4; at scale 0.25 a font pixel
    // is 4 screen pixels, so "AB" spans 28 pixels about column 32.
    WriteFont("fonts/Boxes", FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4));
    BasicText* font = BasicTextGet("fonts/Boxes.fnt");
    ASSERT_TRUE(font->HasGlyphs()) << m_reports.Text();
    const int length = font->GetStringLength("AB");
    ASSERT_EQ(bars->AddStringBar("AB", font, kOrigin, 0.25f, kRed), 0);
    DrawBars();
    BasicTextRelease(font, "fonts/Boxes.fnt");
    const int left = 32 - length / 2 * 4;
    EXPECT_TRUE(IsRed(left + 2, 34)) << m_reports.Text();
    EXPECT_TRUE(IsRed(left + 10, 52));
    EXPECT_FALSE(Lit(left + 14, 40)) << "the gap between the glyphs";
    EXPECT_TRUE(IsRed(left + 18, 40));
    EXPECT_EQ(LitIn(0, 0, 64, 31), 0) << "nothing above the label's place";
    EXPECT_EQ(LitIn(0, 57, 64, 64), 0);
    EXPECT_EQ(LitIn(0, 0, left - 1, 64), 0);
    EXPECT_EQ(LitIn(left + 4 * length + 1, 0, 64, 64), 0);
}

TEST_F(BillboardBarsDrawTest, APictureOfAnEmptyPoolEntryKeepsItsSlotAndShowsALaterLoad)
{
    WriteTexture("frontend/green.tga", 0, 255, 0);
    ASSERT_EQ(bars->AddPictureBarFromPool(3, kOrigin, 2.0f, 2.0f, kWhite), 0);
    DrawBars();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0);
    EXPECT_TRUE(bars->PictureBar(0).active);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(bars->AddTextureToPool("frontend/green.tga"), i);
    ASSERT_EQ(bars->AddTextureToPool("frontend/green.tga"), 3);
    DrawBars();
    EXPECT_GT(Pixel(32, 32).g, 200);
    EXPECT_EQ(LitIn(0, 0, 15, 64), 0);
}

TEST_F(BillboardBarsDrawTest, ClearingKeepsThePoolForLaterPictures)
{
    WriteTexture("frontend/green.tga", 0, 255, 0);
    const int pool = bars->AddTextureToPool("frontend/green.tga");
    ASSERT_EQ(pool, 0);
    ASSERT_EQ(bars->AddPictureBarFromPool(pool, kOrigin, 1.0f, 1.0f, kWhite), 0);
    bars->Clear();
    ASSERT_EQ(bars->AddPictureBarFromPool(pool, Vec3(1.0f, 0.0f, 0.0f), 1.0f, 1.0f, kWhite), 0);
    DrawBars();
    EXPECT_EQ(LitIn(24, 24, 40, 40), 0);
    EXPECT_TRUE(Lit(48, 32));
}

TEST_F(BillboardBarsDrawTest, AFailedPoolLoadAnswersMinusOneAndLeavesTheEntryFree)
{
    WriteTexture("frontend/green.tga", 0, 255, 0);
    {
        LogCapture log;
        EXPECT_EQ(bars->AddTextureToPool("frontend/missing.tga"), -1);
        EXPECT_FALSE(log.Empty());
    }
    EXPECT_EQ(bars->AddTextureToPool("frontend/green.tga"), 0);
    bars->ReleasePool();
    EXPECT_EQ(bars->PoolTexture(0), nullptr);
}

TEST_F(BillboardBarsDrawTest, PicturesShowTheirTextureUpright)
{
    // Top half red, bottom half blue (rows are written top first).
    std::vector<uint8_t> pixels;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            pixels.insert(pixels.end(), row < 2 ? std::initializer_list<uint8_t>{0, 0, 255, 255}
                                                : std::initializer_list<uint8_t>{255, 0, 0, 255});
    const std::vector<uint8_t> tga = TgaWrite(pixels.data(), 4, 4, TgaWriteOptions());
    ASSERT_TRUE(m_dir.WriteFile("data/frontend/split.tga", tga.data(), tga.size()));
    Mount();
    const int pool = bars->AddTextureToPool("frontend/split.tga");
    ASSERT_EQ(pool, 0) << m_reports.Text();
    ASSERT_EQ(bars->AddPictureBarFromPool(pool, kOrigin, 2.0f, 2.0f, kWhite), 0);
    DrawBars();
    EXPECT_TRUE(IsRed(20, 20));
    EXPECT_TRUE(IsRed(44, 20));
    EXPECT_TRUE(IsBlue(20, 44));
    EXPECT_TRUE(IsBlue(44, 44));
}
} // namespace
