// The frame under a software driver (run it under Xvfb): a scene of skinned
// creatures, props and point lights at 1280 x 720 in both frame shapes and
// on both vertex paths; the per-item cost of the queue (submit, sort, draw)
// as the slope between 400 and 1600 props on a tiny viewport, against a
// plain loop drawing the same meshes; and skinned against static items by
// joint count.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "cross/ActorRenderInstance.h"
#include "cross/CameraBase.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/Render.h"
#include "cross/RenderInstance.h"
#include "opengl/GLCaps.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/VertexMap.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A box of 24 vertices whose upper half follows the last of `joints` joints.
ChModel BoxModel(int joints)
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    const float n[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int face = 0; face < 6; ++face)
    {
        const uint16_t base = uint16_t(vertices.size());
        for (int corner = 0; corner < 4; ++corner)
        {
            ChModelVertex v;
            const float a = (corner == 1 || corner == 2) ? 1.0f : -1.0f;
            const float b = corner >= 2 ? 1.0f : -1.0f;
            // Each face spans its two tangent axes at the normal's side.
            for (int k = 0; k < 3; ++k)
                v.position[k] = n[face][k] * 10.0f;
            const int u = n[face][0] != 0 ? 1 : 0;
            const int w = n[face][2] != 0 ? 1 : 2;
            v.position[u] += a * 10.0f;
            v.position[w == u ? 2 : w] += b * 10.0f;
            for (int k = 0; k < 3; ++k)
                v.normal[k] = n[face][k];
            v.joints[0] = uint8_t(v.position[1] > 0 && joints > 0 ? joints - 1 : 0);
            v.weights[0] = 255;
            vertices.push_back(v);
        }
        indices.insert(indices.end(), {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2),
                                       uint16_t(base + 3)});
    }
    ChModelMesh mesh;
    ChModelSetVertices(mesh, vertices, joints > 0);
    mesh.indices = indices;
    mesh.nodes.push_back(ChModelNode{"node", Mat4Identity()});
    mesh.materials.push_back(ChModelTexturedMaterial("grey.tga", 0, uint16_t(indices.size())));
    mesh.materials.back().flags = 0x80; // two-sided: the box's winding does not matter here
    for (int j = 0; j < joints; ++j)
        mesh.joints.push_back({0, "joint" + std::to_string(j), Mat4Identity()});
    ChModel model;
    model.radius = 18.0f;
    model.meshes.push_back(mesh);
    return model;
}

struct Owner
{
    Mat4 matrix = Mat4Identity();
    uint32_t flags = kRenderOwnerVisible;
    float fade = 1.0f;
};

struct Scene
{
    std::vector<Owner> owners;
    std::vector<std::unique_ptr<RenderInstance>> instances;
    std::vector<Mat4> palettes;
};

Scene* g_scene = nullptr;

void SubmitScene(float time, const Frustum& view)
{
    for (auto& instance : g_scene->instances)
        instance->Render(time, &view);
}

// Made once, for every renderer the benchmarks start.
const BenchDataTree& Tree()
{
    static const BenchDataTree tree = [] {
        BenchDataTree made("render");
        made.CopyShippedShaders();
        std::vector<uint8_t> grey;
        for (int i = 0; i < 16; ++i)
            grey.insert(grey.end(), {150, 150, 150, 255});
        made.Write("data/models/grey.tga", TgaWrite(grey.data(), 4, 4, {}));
        for (int joints : {0, 4, 16, 48})
            made.Write("data/models/box" + std::to_string(joints) + ".chmodel", ChModelWrite(BoxModel(joints)));
        return made;
    }();
    return tree;
}

bool StartRenderer(int width, int height, bool deferred, bool vertexArrays)
{
    FileTableMountDataTree(Tree().Root().c_str());
    if (!CreateMainWindow(true))
        return false;
    CommandLineSet(("-windowed -rsize " + std::to_string(width) + " " + std::to_string(height)).c_str());
    GLCapsReset();
    GLCapsSetClient(kGLCapVertexArrayObjects, vertexArrays);
    RenderSetAmbientOcclusion(deferred);
    if (!InitializeRenderSystem())
        return false;
    Mat4 camera = Mat4Identity();
    CameraSetRotation(camera, Vec3Normalized(Vec3(0, 500, 700)), Vec3(0, 1, 0));
    Mat4SetTranslation(camera, Vec3(0, 500, 700));
    GetGlobalCamera().SetViewMatrix(camera);
    const float light[16] = {0, -1, -1, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0.5f, 0.5f, 0.5f, 8, 1, 1, 1};
    LightSetDefaultGlobal(light);
    return true;
}

void StopRenderer(Scene& scene)
{
    scene.instances.clear();
    g_scene = nullptr;
    RenderSetHooks(RenderHooks());
    LightManagerInstance().DeleteAll();
    RenderShutdown();
    DestroyMainWindow();
}

void AddObjects(Scene& scene, int count, int joints, float spacing)
{
    const std::string path = "models/box" + std::to_string(joints) + ".chmodel";
    scene.owners.reserve(scene.owners.size() + size_t(count) + 4096);
    for (int i = 0; i < count; ++i)
    {
        scene.owners.emplace_back();
        Owner& owner = scene.owners.back();
        Mat4SetTranslation(owner.matrix,
                           Vec3(float(i % 40 - 20) * spacing, 0.0f, float(i / 40 - 10) * spacing));
        RenderInstance* instance =
            joints > 0 ? new ActorRenderInstance : static_cast<RenderInstance*>(new PropRenderInstance);
        instance->SetModel(ModelCache(path.c_str()));
        instance->m_owner = RenderInstanceOwner{&owner.matrix, &owner.flags, &owner.fade};
        if (joints > 0)
            static_cast<ActorRenderInstance*>(instance)->m_animBuffer = nullptr;
        scene.instances.emplace_back(instance);
    }
}

void InstallScene(Scene& scene)
{
    g_scene = &scene;
    RenderHooks hooks;
    hooks.submitEntities = SubmitScene;
    RenderSetHooks(hooks);
}

// Skinned instances without an animation buffer draw static; these submit
// their palette directly.
struct SkinnedInstance : RenderInstance
{
    Mat4 bones[48];
    SkinnedInstance()
    {
        for (Mat4& bone : bones)
            bone = Mat4Identity();
    }
    void Render(float, const Frustum* planes) override
    {
        GLPushMatrix();
        GLMultMatrix(*m_owner.matrix);
        Submit(this, m_model, bones, planes, -1.0f);
        GLPopMatrix();
    }
};

void AddSkinned(Scene& scene, int count, int joints, float spacing, float y)
{
    const std::string path = "models/box" + std::to_string(joints) + ".chmodel";
    for (int i = 0; i < count; ++i)
    {
        scene.owners.emplace_back();
        Owner& owner = scene.owners.back();
        Mat4SetTranslation(owner.matrix, Vec3(float(i % 8 - 4) * spacing, y, float(i / 8) * spacing));
        auto* instance = new SkinnedInstance;
        instance->SetModel(ModelCache(path.c_str()));
        instance->m_owner = RenderInstanceOwner{&owner.matrix, &owner.flags, &owner.fade};
        scene.instances.emplace_back(instance);
    }
}

void BM_Frame(benchmark::State& state)
{
    const bool deferred = state.range(0) != 0;
    const bool vertexArrays = state.range(1) != 0;
    if (!StartRenderer(1280, 720, deferred, vertexArrays))
    {
        state.SkipWithError("no display");
        return;
    }
    Scene scene;
    AddObjects(scene, 400, 0, 30.0f);
    AddSkinned(scene, 16, 16, 60.0f, 40.0f);
    for (int i = 0; i < 32; ++i)
    {
        PointLight light;
        const float values[8] = {0.8f, 0.6f, 0.4f, 0.2f, 0.2f, 0.2f, 120.0f, 1.0f};
        const uint32_t id = LightManagerInstance().AddPointLight(light);
        LightManagerInstance().SetPointLight(
            id, Vec3(float(i % 8 - 4) * 120.0f, 20.0f, float(i / 8 - 2) * 120.0f), values);
    }
    InstallScene(scene);
    RenderAll(0.0f);
    for (auto _ : state)
    {
        RenderAll(0.016f);
        glFinish();
    }
    state.SetLabel(std::string(deferred ? "deferred" : "forward") +
                   (vertexArrays ? ", vertex arrays" : ", emulation"));
    StopRenderer(scene);
}
BENCHMARK(BM_Frame)->Args({1, 1})->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

// Submit, sort and draw through the queue on a viewport too small for the
// pixels to count.
void BM_QueueProps(benchmark::State& state)
{
    if (!StartRenderer(32, 18, false, true))
    {
        state.SkipWithError("no display");
        return;
    }
    Scene scene;
    AddObjects(scene, int(state.range(0)), 0, 2.0f);
    InstallScene(scene);
    RenderAll(0.0f);
    for (auto _ : state)
    {
        RenderAll(0.0f);
        glFinish();
    }
    state.counters["items"] = double(state.range(0));
    StopRenderer(scene);
}
BENCHMARK(BM_QueueProps)->Arg(400)->Arg(1600)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same meshes drawn by a plain loop: one program, one bind, a matrix
// load and a draw per object.
void BM_PlainLoopProps(benchmark::State& state)
{
    if (!StartRenderer(32, 18, false, true))
    {
        state.SkipWithError("no display");
        return;
    }
    Scene scene;
    AddObjects(scene, int(state.range(0)), 0, 2.0f);
    const Model* model = scene.instances[0]->m_model;
    const ModelMesh& mesh = *model->GetMesh(0);
    const Mat4 view = GetGlobalCamera().GetViewMatrix();
    for (auto _ : state)
    {
        GLClearAll();
        ShaderBind(RenderGetProgram(kRenderProgramStatic));
        VertexMapBind(mesh.vertexMap);
        for (const Owner& owner : scene.owners)
        {
            GLLoadMatrix(Mat4Multiply(view, owner.matrix));
            glDrawElements(GL_TRIANGLES, GLsizei(mesh.indexCount), GL_UNSIGNED_SHORT, nullptr);
        }
        glFinish();
    }
    state.counters["items"] = double(state.range(0));
    StopRenderer(scene);
}
BENCHMARK(BM_PlainLoopProps)->Arg(400)->Arg(1600)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 400 items of each kind: static, then skinned with 4, 16 and 48 joints.
void BM_SkinnedItems(benchmark::State& state)
{
    const int joints = int(state.range(0));
    if (!StartRenderer(32, 18, false, true))
    {
        state.SkipWithError("no display");
        return;
    }
    Scene scene;
    if (joints == 0)
        AddObjects(scene, 400, 0, 2.0f);
    else
        AddSkinned(scene, 400, joints, 2.0f, 0.0f);
    InstallScene(scene);
    RenderAll(0.0f);
    for (auto _ : state)
    {
        RenderAll(0.0f);
        glFinish();
    }
    state.counters["joints"] = joints;
    StopRenderer(scene);
}
BENCHMARK(BM_SkinnedItems)->Arg(0)->Arg(4)->Arg(16)->Arg(48)->Unit(benchmark::kMicrosecond)->UseRealTime();
// The primitive batch's cost per vertex: points in lists of 120 under an
// unchanging matrix.
void BM_PrimBatchVertices(benchmark::State& state)
{
    if (!StartRenderer(32, 18, false, true))
    {
        state.SkipWithError("no display");
        return;
    }
    Scene scene;
    PrimSetType(GL_POINTS);
    for (auto _ : state)
    {
        for (int i = 0; i < 1200; ++i)
            PrimVertex3f(float(i % 32), float(i % 18), 0.0f);
        PrimFlush();
    }
    glFinish();
    state.SetItemsProcessed(state.iterations() * 1200);
    StopRenderer(scene);
}
BENCHMARK(BM_PrimBatchVertices)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
