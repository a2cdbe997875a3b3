// The whole frame on a small scene: goldens of both frame shapes and both
// vertex paths, and probes of what each pass must leave in the picture.

#include "RenderScene.h"

#include "core/MathExpect.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/Render.h"
#include "cross/RenderQueue.h"
#include "opengl/GLState.h"
#include "opengl/RenderTarget.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

namespace
{
const Vec3 kHouseFront(-95.0f, 55.0f, 0.0f);
const Vec3 kHouseSide(-40.0f, 55.0f, -50.0f);
const Vec3 kLightPool(40.0f, 0.0f, 180.0f);
const Vec3 kCreatureLifted(60.0f, 80.0f, 80.0f);
const Vec3 kSignMiddle(170.0f, 30.0f, 60.0f);

TEST_F(RenderSceneTest, TheForwardFrameMatchesItsGoldenOnBothVertexPaths)
{
    for (bool vertexArrays : {true, false})
    {
        ASSERT_TRUE(StartScene(false, vertexArrays));
        ASSERT_FALSE(RenderIsDeferred());
        BuildScene();
        std::unique_ptr<Image> frame = RenderFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(MatchesGolden(*frame, "scene_forward")) << (vertexArrays ? "vertex arrays" : "emulation");
        ClearScene();
        StopRenderer();
    }
}

TEST_F(RenderSceneTest, TheDeferredFrameMatchesItsGolden)
{
    ASSERT_TRUE(StartScene(true, true));
    ASSERT_TRUE(RenderIsDeferred());
    BuildScene();
    std::unique_ptr<Image> frame = RenderFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(MatchesGolden(*frame, "scene_deferred"));
}

// What a pixel shows, by its hue: sky (grey), ground (green), the creature
// (blue) or the house and the sign (red).
char Surface(const Pixel& p)
{
    if (std::abs(p.r - p.g) < 12 && std::abs(p.g - p.b) < 12)
        return 'S';
    if (p.g > p.r && p.g > p.b)
        return 'G';
    if (p.b > p.r && p.b > p.g)
        return 'B';
    return 'R';
}

// A pixel at an outline (where what shows changes between neighbours) that
// stands out from the two next inward on its own side: it differs from the
// next by more than 8 in brightness, and by far more than that one differs
// from the one after (a smooth shading such as the occlusion at a wall's
// foot changes alike over several pixels). Each side of an outline must be
// lit as the surface it belongs to.
bool StandsOut(const Pixel& edge, const Pixel& next, const Pixel& after)
{
    if (Surface(next) != Surface(edge) || Surface(after) != Surface(edge))
        return false;
    const float step = Brightness(edge) - Brightness(next);
    const float nextStep = Brightness(next) - Brightness(after);
    return std::abs(step) > 8.0f && std::abs(step) > 2.0f * std::abs(nextStep) + 6.0f;
}

int HaloPixels(const Image& frame)
{
    int halo = 0;
    // Along a line of pixels p(0) .. p(n - 1): the outline between i and i + 1.
    const auto scan = [&](int n, auto at) {
        for (int i = 2; i + 3 < n; ++i)
        {
            if (Surface(at(i)) == Surface(at(i + 1)))
                continue;
            halo += StandsOut(at(i), at(i - 1), at(i - 2)) ? 1 : 0;
            halo += StandsOut(at(i + 1), at(i + 2), at(i + 3)) ? 1 : 0;
        }
    };
    for (int y = 0; y < int(frame.height); ++y)
        scan(int(frame.width), [&](int x) { return PixelAt(frame, x, y); });
    for (int x = 0; x < int(frame.width); ++x)
        scan(int(frame.height), [&](int y) { return PixelAt(frame, x, y); });
    return halo;
}

// The few counted in the forward frame are the house's corners, where one
// face meets another of the same hue at the outline; the deferred frame drew
// over two hundred before its light kept to each pixel's own surface.
TEST_F(RenderSceneTest, OutlinesHaveNoHaloInEitherFrame)
{
    for (bool deferred : {false, true})
    {
        ASSERT_TRUE(StartScene(deferred, true));
        BuildScene();
        std::unique_ptr<Image> frame = RenderFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_LE(HaloPixels(*frame), 10) << (deferred ? "deferred" : "forward");
        ClearScene();
        StopRenderer();
    }
}

// The deferred geometry keeps colour only: the screen passes must still
// give each face the global light by its facing.
TEST_F(RenderSceneTest, TheLitFaceIsBrighterThanTheFaceAwayFromTheLight)
{
    for (bool deferred : {false, true})
    {
        ASSERT_TRUE(StartScene(deferred, true));
        BuildScene();
        std::unique_ptr<Image> frame = RenderFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_GT(Brightness(PixelOf(*frame, kHouseSide)), Brightness(PixelOf(*frame, kHouseFront)) + 20.0f)
            << (deferred ? "deferred" : "forward");
        ClearScene();
        StopRenderer();
    }
}

// A dim blue light for the night mode, from the same side as the day's.
void SetNightLight()
{
    const float values[16] = {-1.0f, -0.1f, -0.3f, 0.08f, 0.1f,  0.22f, 0.0f, 0.0f,
                              0.0f,  0.06f, 0.07f, 0.15f, 8.0f,  1.0f,  1.0f, 1.0f};
    LightSetNightGlobal(values);
}

// By night the ground away from the lamp is dark and blue, the lamp's pool
// on it bright and warm, and the sunlit wall darker than by day.
TEST_F(RenderSceneTest, NightDarkensTheLitSceneAndLeavesTheLampsPool)
{
    const Vec3 farGround(-300.0f, 0.0f, 250.0f);
    ASSERT_TRUE(StartScene(true, true));
    BuildScene();
    SetNightLight();
    LightManagerInstance().ActivateLight(m_light, false);
    std::unique_ptr<Image> day = RenderFrame();
    RenderSetLightMode(LIGHT_MODE_TYPE_NIGHT);
    LightManagerInstance().ActivateLight(m_light, true);
    std::unique_ptr<Image> night = RenderFrame();
    ASSERT_TRUE(day && night);

    const Pixel dayGround = PixelOf(*day, farGround);
    const Pixel nightGround = PixelOf(*night, farGround);
    EXPECT_LT(Brightness(nightGround) * 2.5f, Brightness(dayGround));
    EXPECT_GT(nightGround.b, nightGround.r) << "the night light is blue";
    EXPECT_LT(Brightness(PixelOf(*night, kHouseSide)) * 2.0f, Brightness(PixelOf(*day, kHouseSide)));

    const Pixel pool = PixelOf(*night, kLightPool);
    EXPECT_GT(Brightness(pool), Brightness(nightGround) + 40.0f);
    EXPECT_GT(pool.r, pool.b + 20) << "the lamp is warm";
}

// The occlusion target after its blur, as 0..255 with y from the top.
int OcclusionAt(int x, int y)
{
    const RenderTarget* target = RenderTargetFind(kRenderTargetOcclusion);
    if (!target)
        return -1;
    std::vector<uint8_t> texels(size_t(target->width) * size_t(target->height) * 4);
    glBindTexture(GL_TEXTURE_2D, target->glName);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    GLBindTextureCacheReset();
    return texels[(size_t(target->height - 1 - y) * size_t(target->width) + size_t(x)) * 4];
}

TEST_F(RenderSceneTest, TheWallsFootIsDarkerInTheDeferredFrame)
{
    const Vec3 foot(-95.0f, 3.0f, 0.0f);
    const Vec3 wallMiddle(-95.0f, 70.0f, 0.0f);
    const Vec3 openGround(150.0f, 0.0f, -150.0f);
    const Vec3 roof(-95.0f, 110.0f, -50.0f);
    int occlusion[4];
    ASSERT_TRUE(StartScene(true, true));
    BuildScene();
    LightManagerInstance().ActivateLight(m_light, false);
    std::unique_ptr<Image> deferred = RenderFrame();
    ASSERT_NE(deferred, nullptr);
    int i = 0;
    for (const Vec3& at : {foot, wallMiddle, openGround, roof})
    {
        int x = 0, y = 0;
        Project(at, x, y);
        occlusion[i++] = OcclusionAt(x, y);
    }
    // Planes, however they face the eye, are left alone; the crease is not.
    EXPECT_GT(occlusion[1], 245) << "wall";
    EXPECT_GT(occlusion[2], 245) << "ground";
    EXPECT_GT(occlusion[3], 245) << "roof";
    EXPECT_LT(occlusion[0], occlusion[1] - 40) << "foot";
    ClearScene();
    StopRenderer();

    // The picture shows it: against the wall's middle, the foot is darker
    // than the forward frame (no occlusion) draws it.
    ASSERT_TRUE(StartScene(false, true));
    BuildScene();
    LightManagerInstance().ActivateLight(m_light, false);
    std::unique_ptr<Image> forward = RenderFrame();
    ASSERT_NE(forward, nullptr);
    const float deferredShare = Brightness(PixelOf(*deferred, foot)) / Brightness(PixelOf(*deferred, wallMiddle));
    const float forwardShare = Brightness(PixelOf(*forward, foot)) / Brightness(PixelOf(*forward, wallMiddle));
    EXPECT_LT(deferredShare, forwardShare - 0.12f);
}

TEST_F(RenderSceneTest, TheSkinnedCreatureIsDrawnInItsPose)
{
    for (bool deferred : {false, true})
    {
        ASSERT_TRUE(StartScene(deferred, true));
        BuildScene();
        std::unique_ptr<Image> frame = RenderFrame();
        ASSERT_NE(frame, nullptr);
        const Pixel lifted = PixelOf(*frame, kCreatureLifted);
        EXPECT_GT(lifted.b, lifted.r + 40) << "the lifted half stands where only the pose puts it";
        EXPECT_EQ(RenderQueueBucket(kRenderSetSkinned, kRenderBucketOpaque).size(), 1u);
        EXPECT_GT(RenderStatsGet().itemsDrawn, 3u);
        ClearScene();
        StopRenderer();
    }
}

TEST_F(RenderSceneTest, ThePointLightsPoolShowsOnlyWhileItIsActive)
{
    ASSERT_TRUE(StartScene(true, true));
    BuildScene();
    std::unique_ptr<Image> lit = RenderFrame();
    LightManagerInstance().ActivateLight(m_light, false);
    std::unique_ptr<Image> dark = RenderFrame();
    LightManagerInstance().ActivateLight(m_light, true);
    std::unique_ptr<Image> again = RenderFrame();
    ASSERT_TRUE(lit && dark && again);
    EXPECT_GT(Brightness(PixelOf(*lit, kLightPool)), Brightness(PixelOf(*dark, kLightPool)) + 20.0f);
    EXPECT_EQ(Brightness(PixelOf(*again, kLightPool)), Brightness(PixelOf(*lit, kLightPool)));
    const Vec3 farGround(-300.0f, 0.0f, 250.0f);
    EXPECT_NEAR(Brightness(PixelOf(*lit, farGround)), Brightness(PixelOf(*dark, farGround)), 2.0f);
}

TEST_F(RenderSceneTest, AFadingActorBlendsIntoWhatIsBehindIt)
{
    for (bool deferred : {false, true})
    {
        ASSERT_TRUE(StartScene(deferred, true));
        BuildScene();
        // The faded actor still writes depth, which the point light reads:
        // without the light, only its colour can show.
        LightManagerInstance().ActivateLight(m_light, false);
        const Vec3 body(50.0f, 20.0f, 80.0f);
        std::unique_ptr<Image> solid = RenderFrame();
        m_creature.owner.fade = 0.005f;
        std::unique_ptr<Image> faded = RenderFrame();
        EXPECT_EQ(RenderQueueFadingList().size(), 1u);
        m_creature.owner.flags = 0;
        std::unique_ptr<Image> hidden = RenderFrame();
        ASSERT_TRUE(solid && faded && hidden);
        const Pixel seen = PixelOf(*solid, body);
        const Pixel through = PixelOf(*faded, body);
        const Pixel behind = PixelOf(*hidden, body);
        EXPECT_GT(seen.b, seen.g + 40) << (deferred ? "deferred" : "forward");
        EXPECT_NEAR(through.r, behind.r, 6) << (deferred ? "deferred" : "forward");
        EXPECT_NEAR(through.g, behind.g, 6) << (deferred ? "deferred" : "forward");
        EXPECT_NEAR(through.b, behind.b, 6) << (deferred ? "deferred" : "forward");
        ClearScene();
        StopRenderer();
    }
}

TEST_F(RenderSceneTest, AnAlphaItemAfterTheMixKeepsItsTexture)
{
    ASSERT_TRUE(StartScene(true, true));
    BuildScene();
    std::unique_ptr<Image> frame = RenderFrame();
    ASSERT_NE(frame, nullptr);
    const Pixel sign = PixelOf(*frame, kSignMiddle);
    EXPECT_GT(sign.r, sign.g + 60) << "the sign shares the house's texture, bound before the mix";
}

TEST_F(RenderSceneTest, ItemMatricesHoldTheViewOnce)
{
    ASSERT_TRUE(StartScene(false, true));
    BuildScene();
    RenderAll(0.0f);
    // The house's front face lands where the camera puts it, not where a
    // second view would.
    std::unique_ptr<Image> frame = RenderFrame();
    ASSERT_NE(frame, nullptr);
    const Pixel front = PixelOf(*frame, kHouseFront);
    EXPECT_GT(front.r, front.g + 40);
}

TEST_F(RenderSceneTest, SubmissionRoutesItemsByMeshFlagsJointsAndMask)
{
    ASSERT_TRUE(StartScene(false, true));
    Model* house = ModelCache("models/house.chmodel");
    Model* creature = ModelCache("models/creature.chmodel");
    ASSERT_TRUE(house && creature);
    Mat4 palette[2] = {Mat4Identity(), Mat4Identity()};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    struct Case
    {
        Model* model;
        const Mat4* palette;
        int joints;
        int set;
        const char* what;
    };
    const Case cases[] = {{house, nullptr, 0, kRenderSetStatic, "static model"},
                          {creature, palette, 2, kRenderSetSkinned, "skinned with a palette"},
                          {creature, nullptr, 2, kRenderSetStatic, "skinned model without a palette"},
                          {creature, palette, 49, kRenderSetStatic, "49 joints draw static"}};
    for (const Case& c : cases)
    {
        ModelMesh* mesh = c.model->GetMesh(0);
        const std::vector<ModelJoint> joints = mesh->joints;
        mesh->joints.resize(size_t(c.joints));
        RenderQueueClear();
        RenderInstance::Submit(nullptr, c.model, c.palette, nullptr, -1.0f);
        EXPECT_EQ(RenderQueueBucket(c.set, kRenderBucketOpaque).size(), 1u) << c.what;
        EXPECT_EQ(RenderQueueBucket(1 - c.set, kRenderBucketOpaque).size(), 0u) << c.what;
        if (!RenderQueueBucket(c.set, kRenderBucketOpaque).empty())
        {
            EXPECT_EQ(RenderQueueBucket(c.set, kRenderBucketOpaque)[0].depth, kRenderNoDepth) << c.what;
        }
        mesh->joints = joints;
    }

    // Beyond the far plane is still submitted; behind the eye is not; a
    // masked model submits nothing.
    Frustum view;
    FrustumFromMatrix(view, Mat4Perspective(30.0f, 16.0f / 9.0f, 100.0f, 1700.0f));
    const struct
    {
        float z;
        bool masked;
        size_t items;
    } placements[] = {{-5000.0f, false, 1}, {-500.0f, false, 1}, {500.0f, false, 0}, {-500.0f, true, 0}};
    for (const auto& p : placements)
    {
        RenderQueueClear();
        Mat4 at = Mat4Identity();
        Mat4SetTranslation(at, Vec3(95.0f, -55.0f, p.z));
        GLLoadMatrix(at);
        house->m_mask = p.masked ? 1 : 0;
        RenderInstance::Submit(nullptr, house, nullptr, &view, -1.0f);
        EXPECT_EQ(RenderQueueBucket(kRenderSetStatic, kRenderBucketOpaque).size(), p.items) << p.z;
    }
    house->m_mask = 0;
    RenderQueueClear();
    ModelRelease(house);
    ModelRelease(creature);
}

TEST_F(RenderSceneTest, HiddenMeshesAreLeftOutOfAnActorsItems)
{
    ASSERT_TRUE(StartScene(false, true));
    BuildScene();
    m_creature.instance->HideMesh("skin", true);
    RenderAll(0.0f);
    EXPECT_TRUE(RenderQueueBucket(kRenderSetSkinned, kRenderBucketOpaque).empty());
    m_creature.instance->HideMesh("skin", false);
    RenderAll(0.0f);
    EXPECT_EQ(RenderQueueBucket(kRenderSetSkinned, kRenderBucketOpaque).size(), 1u);
}
} // namespace

namespace
{
// A prop that moves one of its model's meshes draws that mesh with its own
// matrix; another holder of the same model keeps the model's.
TEST_F(RenderSceneTest, AnOwnMeshMatrixReplacesTheModelsForThatInstanceOnly)
{
    ASSERT_TRUE(StartScene(false, true));
    Model* house = ModelCache("models/house.chmodel");
    ASSERT_NE(house, nullptr);
    PropRenderInstance moved, still;
    moved.SetModel(house);
    still.SetModel(ModelCache("models/house.chmodel"));
    EXPECT_EQ(moved.OwnMeshMatrix(-1), nullptr);
    EXPECT_EQ(moved.OwnMeshMatrix(Model::GetMeshCount(house)), nullptr);
    Mat4* own = moved.OwnMeshMatrix(0);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(moved.OwnMeshMatrix(0), own);
    const Mat4 modelNode = house->GetMesh(0)->nodes[0].matrix;
    EXPECT_TRUE(Mat4Near(*own, modelNode));
    Mat4SetTranslation(*own, Vec3(0, 40, 0));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const struct
    {
        PropRenderInstance* instance;
        Mat4 expected;
        const char* what;
    } cases[] = {{&moved, *own, "its own matrix"}, {&still, modelNode, "the model's matrix"}};
    for (const auto& c : cases)
    {
        RenderQueueClear();
        RenderInstance::Submit(c.instance, house, nullptr, nullptr, -1.0f);
        const auto& items = RenderQueueBucket(kRenderSetStatic, kRenderBucketOpaque);
        ASSERT_FALSE(items.empty()) << c.what;
        EXPECT_TRUE(Mat4Near(items[0].modelView, c.expected)) << c.what;
    }
    EXPECT_TRUE(Mat4Near(house->GetMesh(0)->nodes[0].matrix, modelNode));
    RenderQueueClear();
}
} // namespace
