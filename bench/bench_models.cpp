// The model and animation caches: a cold load of a 100,000-vertex model,
// loose and from an archive, against reading the same bytes through the
// stream; a cache hit against the file-table lookup it rests on; the texture
// search for a missing name among 10,000 against one filtered walk; and the
// pose of 48 joints against four matrix products per joint; the read and
// parse of the cold load without its upload, beside the stream read.
// The GL cases need a display (run under xvfb-run without one).

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/ModelFile.h"
#include "cross/ModelTextureSearch.h"
#include "opengl/GLCaps.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "tools/formats/AnimWriter.h"
#include "tools/formats/ArchiveWriter.h"
#include "tools/formats/ModelWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int kModelVertices = 100000;
constexpr int kSearchNames = 10000;
constexpr int kPoseJoints = 48;

bool g_haveGL = false;

std::string MakeRoot()
{
    char pattern[] = "/tmp/pendrel-bench-models-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (FILE* file = fopen(path.c_str(), "wb"))
    {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

// A skinned grid of vertices in strips of triangles.
std::vector<uint8_t> LargeModel()
{
    ChModel model;
    ChModelMesh mesh;
    std::vector<ChModelVertex> vertices(kModelVertices);
    for (int v = 0; v < kModelVertices; ++v)
    {
        vertices[size_t(v)].position[0] = float(v % 316);
        vertices[size_t(v)].position[2] = float(v / 316);
        vertices[size_t(v)].joints[0] = uint8_t(v % 48);
        vertices[size_t(v)].weights[0] = 255;
    }
    ChModelSetVertices(mesh, vertices, true);
    for (int i = 0; i + 2 < 60000; ++i)
        mesh.indices.push_back(uint16_t(i % 60000));
    mesh.materials.push_back(ChModelTexturedMaterial("", 0, uint16_t(mesh.indices.size())));
    model.meshes.push_back(mesh);
    return ChModelWrite(model);
}

struct ModelTree
{
    std::string root = MakeRoot();
    size_t bytes = 0;
    ModelTree()
    {
        mkdir((root + "data").c_str(), 0777);
        mkdir((root + "data/loose").c_str(), 0777);
        const std::vector<uint8_t> model = LargeModel();
        bytes = model.size();
        WriteBytes(root + "data/loose/big.chmodel", model);
        ArchiveWriter writer;
        writer.Open((root + "data/pack.darnix").c_str());
        writer.AddMember("packed/big.chmodel", model.data(), model.size());
        writer.Close();
        for (int i = 0; i < kSearchNames; ++i)
            WriteBytes(root + "data/loose/t" + std::to_string(i) + ".tga", {});
        FileTableMountDataTree(root.c_str());
    }
    ~ModelTree()
    {
        const std::string command = "rm -rf '" + root + "'";
        if (system(command.c_str()) != 0)
            fprintf(stderr, "could not remove %s\n", root.c_str());
    }
};

ModelTree& Tree()
{
    static ModelTree tree;
    return tree;
}

void ColdLoad(benchmark::State& state, const char* path)
{
    if (!g_haveGL)
    {
        state.SkipWithError("no display");
        return;
    }
    Tree();
    for (auto _ : state)
    {
        Model* model = ModelCache(path);
        benchmark::DoNotOptimize(model);
        ModelRelease(model);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Tree().bytes));
}

void StreamRead(benchmark::State& state, const char* path)
{
    Tree();
    std::vector<uint8_t> bytes;
    for (auto _ : state)
    {
        pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
        StreamReadAll(stream, kModelFileBound, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Tree().bytes));
}

void BM_ModelCacheColdLoose(benchmark::State& state)
{
    ColdLoad(state, "loose/big.chmodel");
}
BENCHMARK(BM_ModelCacheColdLoose)->Unit(benchmark::kMillisecond);

void BM_ModelCacheColdArchive(benchmark::State& state)
{
    ColdLoad(state, "packed/big.chmodel");
}
BENCHMARK(BM_ModelCacheColdArchive)->Unit(benchmark::kMillisecond);

void BM_StreamReadLoose(benchmark::State& state)
{
    StreamRead(state, "loose/big.chmodel");
}
BENCHMARK(BM_StreamReadLoose)->Unit(benchmark::kMillisecond);

void BM_StreamReadArchive(benchmark::State& state)
{
    StreamRead(state, "packed/big.chmodel");
}
BENCHMARK(BM_StreamReadArchive)->Unit(benchmark::kMillisecond);

// The read and the parse of the cold load, without the upload: the bytes
// through the stream, then the records and the vertices out of them.
void BM_ModelReadAndParseLoose(benchmark::State& state)
{
    Tree();
    std::vector<uint8_t> bytes;
    for (auto _ : state)
    {
        pd_ifstream stream("loose/big.chmodel", kOpenTable, 0, kInReadBinary);
        StreamReadAll(stream, kModelFileBound, bytes);
        ModelFile file;
        if (!ModelFileParse(bytes.data(), bytes.size(), stream.SwapBytes(), "big.chmodel", file))
            state.SkipWithError("the model does not parse");
        benchmark::DoNotOptimize(file.meshes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Tree().bytes));
}
BENCHMARK(BM_ModelReadAndParseLoose)->Unit(benchmark::kMillisecond);

void BM_ModelCacheHit(benchmark::State& state)
{
    if (!g_haveGL)
    {
        state.SkipWithError("no display");
        return;
    }
    Tree();
    Model* held = ModelCache("loose/big.chmodel");
    for (auto _ : state)
    {
        Model* model = ModelCache("loose/big.chmodel");
        benchmark::DoNotOptimize(model);
        ModelRelease(model);
    }
    ModelRelease(held);
}
BENCHMARK(BM_ModelCacheHit);

void BM_FileTableFindEntry(benchmark::State& state)
{
    Tree();
    for (auto _ : state)
        benchmark::DoNotOptimize(FileTableFindEntry("loose/big.chmodel"));
}
BENCHMARK(BM_FileTableFindEntry);

void BM_TextureSearchMissing(benchmark::State& state)
{
    Tree();
    const LogErrorHandler previous = GetLogErrorHandler();
    SetLogErrorHandler(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(ModelFindTexture("missing.tga", "loose/set/big.chmodel"));
    SetLogErrorHandler(previous);
}
BENCHMARK(BM_TextureSearchMissing)->Unit(benchmark::kMicrosecond);

void BM_OneFilteredWalk(benchmark::State& state)
{
    Tree();
    for (auto _ : state)
    {
        FileTableIterator it;
        int found = 0;
        for (it.Begin("^loose/(.*/)?missing\\.tga$"); it.NotEqual(FileTableEnd()); it.Next())
            ++found;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_OneFilteredWalk)->Unit(benchmark::kMicrosecond);

AnimBuffer& PoseBuffer()
{
    static AnimBuffer buffer(1);
    if (buffer.GetAnimationCount() == 0)
    {
        ChAnim anim;
        anim.version = 4;
        for (int j = 0; j < kPoseJoints; ++j)
        {
            ChAnimJoint joint;
            joint.name = "j" + std::to_string(j);
            joint.parent = j - 1;
            joint.bind[12] = float(j);
            anim.joints.push_back(joint);
        }
        ChAnimAnimation animation;
        animation.jointCount = kPoseJoints;
        animation.frameCount = 30;
        animation.positionJointCount = 1;
        animation.positionMask = 1;
        animation.positionKeys.assign(30, Vec4(0, 1, 0, 0));
        for (int k = 0; k < 30 * kPoseJoints; ++k)
            animation.rotationKeys.push_back(Quaternion(0, 0.0998f, 0, 0.995f));
        anim.animations.push_back(animation);
        const std::vector<uint8_t> bytes = ChAnimWrite(anim);
        AnimFile file;
        AnimFileParse(bytes.data(), bytes.size(), false, "bench", 0, file);
        buffer.Append(file, "bench");
    }
    return buffer;
}

void BM_EvaluateTime48Joints(benchmark::State& state)
{
    const AnimBuffer& buffer = PoseBuffer();
    Mat4 pose[kPoseJoints];
    float time = 0.0f;
    for (auto _ : state)
    {
        buffer.EvaluateTime(0, time, pose);
        time += 0.01f;
        benchmark::DoNotOptimize(pose);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPoseJoints);
}
BENCHMARK(BM_EvaluateTime48Joints);

void BM_FourMat4MultiplyPerJoint(benchmark::State& state)
{
    Mat4 pose[kPoseJoints];
    Mat4 a = Mat4Identity(), b = Mat4Identity();
    a[12] = 1.0f;
    b[1] = 0.2f;
    for (auto _ : state)
    {
        for (int j = 0; j < kPoseJoints; ++j)
        {
            Mat4 m = Mat4Multiply(a, b);
            m = Mat4Multiply(b, m);
            m = Mat4Multiply(a, m);
            pose[j] = Mat4Multiply(j ? pose[j - 1] : a, m);
        }
        benchmark::DoNotOptimize(pose);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPoseJoints);
}
BENCHMARK(BM_FourMat4MultiplyPerJoint);
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (getenv("DISPLAY") && CreateMainWindow(true) && DisplayCreate(64, 64, nullptr))
    {
        GLCapsInit();
        g_haveGL = true;
    }
    benchmark::RunSpecifiedBenchmarks();
    if (g_haveGL)
    {
        DisplayDestroy();
        DestroyMainWindow();
    }
    benchmark::Shutdown();
    return 0;
}
