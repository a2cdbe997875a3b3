#pragma once
// The small scene the renderer's tests draw: a ground tile, a house, a
// standing sign, a skinned creature in a known pose and a point light, seen
// from above and in front of the origin. Models and textures are written by
// our writers into the test's tree, with the demo's shader programs beside
// them.

#include "RenderFixture.h"
#include "cross/ActorRenderInstance.h"
#include "cross/RenderInstance.h"

#include <memory>

class AnimBuffer;

// What an entity lends its render instance.
struct SceneOwner
{
    Mat4 matrix = Mat4Identity();
    uint32_t flags = kRenderOwnerVisible;
    float fade = 1.0f;
};

struct SceneObject
{
    SceneOwner owner;
    std::unique_ptr<RenderInstance> instance;
};

class RenderSceneTest : public RenderSystemTest
{
protected:
    void TearDown() override;

    // Writes and mounts the tree and starts the renderer at the test size.
    bool StartScene(bool deferred, bool vertexArrays);
    // Loads the models into instances, installs the scene hook, sets the
    // camera and the light.
    void BuildScene();
    void ClearScene();

    // Pixel (x from the left, y from the top) where a world point lands.
    void Project(const Vec3& world, int& x, int& y) const;
    Pixel PixelOf(const Image& image, const Vec3& world) const;

public:
    // The scene hook draws these.
    SceneObject m_ground, m_house, m_sign, m_creature;
    AnimBuffer* m_anim = nullptr;
    uint32_t m_light = 0;
};

// Compares a frame with a golden TGA in tests/cross/goldens: channels within
// 8 on 99.5% of the pixels and a mean error under 1. With
// PENDREL_REMAKE_GOLDENS=1 the golden is written instead. A failure saves the
// frame and its difference beside the test binary.
::testing::AssertionResult MatchesGolden(const Image& frame, const char* name);
float Brightness(const Pixel& p);
