#include "RenderScene.h"

#include "core/FileTable.h"
#include "core/FolderListing.h"
#include "cross/AnimBuffer.h"
#include "cross/CameraBase.h"
#include "cross/ModelCache.h"
#include "cross/Render.h"
#include "opengl/TgaCodec.h"
#include "tools/formats/AnimWriter.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
RenderSceneTest* g_scene = nullptr;

const Vec3 kEye(60.0f, 260.0f, 620.0f);
const Vec3 kTarget(0.0f, 40.0f, 0.0f);

std::string SourceDir()
{
    const char* source = getenv("PENDREL_SOURCE_DIR");
    return source ? source : PENDREL_SOURCE_DIR;
}

std::string ReadSource(const std::string& relative)
{
    std::ifstream file(SourceDir() + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<uint8_t> SolidTga(uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 8 * 8; ++i)
        pixels.insert(pixels.end(), {b, g, r, 255});
    return TgaWrite(pixels.data(), 8, 8, {});
}

ChModelVertex Vertex(const Vec3& p, const Vec3& n, float u, float v)
{
    ChModelVertex vertex;
    vertex.position[0] = p.x;
    vertex.position[1] = p.y;
    vertex.position[2] = p.z;
    vertex.normal[0] = n.x;
    vertex.normal[1] = n.y;
    vertex.normal[2] = n.z;
    vertex.uv[0] = u;
    vertex.uv[1] = v;
    return vertex;
}

// One quad with corners a, b, c, d (counter-clockwise seen from its front).
void AddQuad(std::vector<ChModelVertex>& vertices, std::vector<uint16_t>& indices, const Vec3& a,
             const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& normal)
{
    const uint16_t base = uint16_t(vertices.size());
    vertices.push_back(Vertex(a, normal, 0, 0));
    vertices.push_back(Vertex(b, normal, 1, 0));
    vertices.push_back(Vertex(c, normal, 1, 1));
    vertices.push_back(Vertex(d, normal, 0, 1));
    indices.insert(indices.end(), {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2),
                                   uint16_t(base + 3)});
}

void AddBox(std::vector<ChModelVertex>& vertices, std::vector<uint16_t>& indices, const Vec3& lo,
            const Vec3& hi)
{
    const Vec3 c[8] = {Vec3(lo.x, lo.y, lo.z), Vec3(hi.x, lo.y, lo.z), Vec3(hi.x, hi.y, lo.z),
                       Vec3(lo.x, hi.y, lo.z), Vec3(lo.x, lo.y, hi.z), Vec3(hi.x, lo.y, hi.z),
                       Vec3(hi.x, hi.y, hi.z), Vec3(lo.x, hi.y, hi.z)};
    AddQuad(vertices, indices, c[4], c[5], c[6], c[7], Vec3(0, 0, 1));
    AddQuad(vertices, indices, c[1], c[0], c[3], c[2], Vec3(0, 0, -1));
    AddQuad(vertices, indices, c[5], c[1], c[2], c[6], Vec3(1, 0, 0));
    AddQuad(vertices, indices, c[0], c[4], c[7], c[3], Vec3(-1, 0, 0));
    AddQuad(vertices, indices, c[7], c[6], c[2], c[3], Vec3(0, 1, 0));
    AddQuad(vertices, indices, c[0], c[1], c[5], c[4], Vec3(0, -1, 0));
}

ChModelMesh Mesh(const std::vector<ChModelVertex>& vertices, const std::vector<uint16_t>& indices,
                 const std::string& texture, uint32_t flags, bool skinned)
{
    ChModelMesh mesh;
    mesh.flags = flags;
    ChModelSetVertices(mesh, vertices, skinned);
    mesh.indices = indices;
    mesh.nodes.push_back(ChModelNode{"node", Mat4Identity()});
    mesh.materials.push_back(ChModelTexturedMaterial(texture, 0, uint16_t(indices.size())));
    mesh.materials.back().name = "skin";
    return mesh;
}

ChModel OneMeshModel(const ChModelMesh& mesh, const Vec3& centre, float radius)
{
    ChModel model;
    model.centre[0] = centre.x;
    model.centre[1] = centre.y;
    model.centre[2] = centre.z;
    model.radius = radius;
    model.meshes.push_back(mesh);
    return model;
}

ChModel GroundModel()
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    AddQuad(vertices, indices, Vec3(-400, 0, 400), Vec3(400, 0, 400), Vec3(400, 0, -400), Vec3(-400, 0, -400),
            Vec3(0, 1, 0));
    return OneMeshModel(Mesh(vertices, indices, "ground.tga", 0, false), Vec3(0, 0, 0), 570.0f);
}

ChModel HouseModel()
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    AddBox(vertices, indices, Vec3(-150, 0, -100), Vec3(-40, 110, 0));
    return OneMeshModel(Mesh(vertices, indices, "house.tga", 0, false), Vec3(-95, 55, -50), 100.0f);
}

// A standing quad drawn alpha-blended with the house's own texture.
ChModel SignModel()
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    AddQuad(vertices, indices, Vec3(140, 0, 60), Vec3(200, 0, 60), Vec3(200, 60, 60), Vec3(140, 60, 60),
            Vec3(0, 0, 1));
    return OneMeshModel(Mesh(vertices, indices, "house.tga", 0x1, false), Vec3(170, 30, 60), 45.0f);
}

// A box whose upper half follows joint 1 and lower half joint 0.
ChModel CreatureModel()
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    AddBox(vertices, indices, Vec3(20, 0, 20), Vec3(80, 50, 80));
    for (ChModelVertex& vertex : vertices)
    {
        vertex.joints[0] = vertex.position[1] > 25.0f ? 1 : 0;
        vertex.weights[0] = 255;
    }
    ChModelMesh mesh = Mesh(vertices, indices, "creature.tga", 0, true);
    mesh.joints.push_back({0, "root", Mat4Identity()});
    mesh.joints.push_back({0, "top", Mat4Identity()});
    return OneMeshModel(mesh, Vec3(50, 40, 50), 80.0f);
}

bool WriteFile(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    return dir.WriteFile("data/" + name, bytes.data(), bytes.size());
}

void SubmitScene(float time, const Frustum& view)
{
    for (SceneObject* object :
         {&g_scene->m_ground, &g_scene->m_house, &g_scene->m_sign, &g_scene->m_creature})
        if (object->instance)
            object->instance->Render(time, &view);
}

void Attach(SceneObject& object, RenderInstance* instance, const char* model)
{
    object.instance.reset(instance);
    instance->SetModel(ModelCache(model));
    instance->m_owner = RenderInstanceOwner{&object.owner.matrix, &object.owner.flags, &object.owner.fade};
}

void SetSceneLight()
{
    // View-space direction: the light comes from the right of the picture.
    const float values[16] = {-1.0f, -0.1f, -0.3f, 0.55f, 0.55f, 0.5f, 0.0f, 0.0f,
                              0.0f,  0.55f, 0.55f, 0.6f,  8.0f,  1.0f, 1.0f, 1.0f};
    LightResetPresets();
    LightSetDefaultGlobal(values);
    RenderSetLightMode(LIGHT_MODE_TYPE_DAY);
}

std::string GoldenPath(const char* name)
{
    return SourceDir() + "/tests/cross/goldens/" + name + ".tga";
}

bool SaveTga(const std::string& path, const uint8_t* bgr, uint32_t width, uint32_t height)
{
    const std::vector<uint8_t> bytes =
        TgaWrite(bgr, uint16_t(width), uint16_t(height), {2, 24, true, 0, 0, 0});
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

std::unique_ptr<Image> LoadTga(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.empty())
        return nullptr;
    return std::unique_ptr<Image>(TGA_ImageLoadHandler(bytes.data(), bytes.size(), path.c_str()));
}
} // namespace

void RenderSceneTest::TearDown()
{
    ClearScene();
    if (m_anim)
        AnimRelease(m_anim);
    AnimFreeAll();
    LightManagerInstance().DeleteAll();
    LightResetPresets();
    GetGlobalCamera().SetViewMatrix(Mat4Identity());
    RenderSystemTest::TearDown();
    FileTableRebuild("no such folder");
}

bool RenderSceneTest::StartScene(bool deferred, bool vertexArrays)
{
    // Every shader program of the demo, as the game finds them.
    std::vector<FolderItem> programs;
    ListFolder((SourceDir() + "/demo/data/shaders/GLSL").c_str(), programs);
    for (const FolderItem& program : programs)
        if (!m_temp.WriteFile("data/shaders/GLSL/" + program.name,
                              ReadSource("demo/data/shaders/GLSL/" + program.name)))
            return false;
    const bool written = WriteFile(m_temp, "models/ground.tga", SolidTga(70, 150, 60)) &&
                         WriteFile(m_temp, "models/house.tga", SolidTga(190, 80, 50)) &&
                         WriteFile(m_temp, "models/creature.tga", SolidTga(60, 90, 210)) &&
                         WriteFile(m_temp, "models/ground.chmodel", ChModelWrite(GroundModel())) &&
                         WriteFile(m_temp, "models/house.chmodel", ChModelWrite(HouseModel())) &&
                         WriteFile(m_temp, "models/sign.chmodel", ChModelWrite(SignModel())) &&
                         WriteFile(m_temp, "models/creature.chmodel", ChModelWrite(CreatureModel())) &&
                         WriteFile(m_temp, "models/creature.chanim",
                                   ChAnimWrite(
                                       []
                                       {
                                           ChAnim anim;
                                           anim.version = 4;
                                           anim.joints.push_back({"root", -1, Mat4Identity()});
                                           anim.joints.push_back({"top", 0, Mat4Identity()});
                                           ChAnimAnimation idle;
                                           idle.name = "idle";
                                           idle.rate = 10;
                                           idle.jointCount = 2;
                                           idle.frameCount = 1;
                                           idle.rotationKeys.assign(2, Quaternion());
                                           anim.animations.push_back(idle);
                                           return anim;
                                       }()));
    if (!written)
        return false;
    FileTableMountDataTree(m_temp.Root().c_str());
    RenderSetAmbientOcclusion(deferred);
    return StartRenderer("-windowed -rsize 256 144", vertexArrays);
}

void RenderSceneTest::BuildScene()
{
    g_scene = this;
    Attach(m_ground, new PropRenderInstance, "models/ground.chmodel");
    Attach(m_house, new PropRenderInstance, "models/house.chmodel");
    Attach(m_sign, new PropRenderInstance, "models/sign.chmodel");
    auto* creature = new ActorRenderInstance;
    Attach(m_creature, creature, "models/creature.chmodel");
    m_anim = AnimCache("models/creature.chanim", 4, 0);
    creature->m_animBuffer = m_anim;
    // The known pose: the upper half lifted by 40 and shifted by 10.
    creature->m_flags &= ~kRenderInstanceAnimationPlaying;
    Mat4SetTranslation(creature->m_bones[1], Vec3(10.0f, 40.0f, 0.0f));

    RenderHooks hooks;
    hooks.submitEntities = SubmitScene;
    RenderSetHooks(hooks);

    Mat4 camera = Mat4Identity();
    CameraSetRotation(camera, Vec3Normalized(kEye - kTarget), Vec3(0, 1, 0));
    Mat4SetTranslation(camera, kEye);
    GetGlobalCamera().SetViewMatrix(camera);
    GetGlobalCamera().SetFOV(30.0f);
    SetSceneLight();

    PointLight light;
    const float values[8] = {1.0f, 0.85f, 0.5f, 0.3f, 0.3f, 0.2f, 140.0f, 1.6f};
    m_light = LightManagerInstance().AddPointLight(light);
    LightManagerInstance().SetPointLight(m_light, Vec3(40.0f, 15.0f, 180.0f), values);
}

void RenderSceneTest::ClearScene()
{
    for (SceneObject* object : {&m_ground, &m_house, &m_sign, &m_creature})
    {
        object->instance.reset();
        object->owner = SceneOwner();
    }
    g_scene = nullptr;
}

void RenderSceneTest::Project(const Vec3& world, int& x, int& y) const
{
    const Mat4 projection =
        Mat4Perspective(30.0f, float(kRenderTestWidth) / kRenderTestHeight, 100.0f, 1700.0f);
    const Vec3 ndc =
        Mat4TransformPointDivW(Mat4Multiply(projection, GetGlobalCamera().GetViewMatrix()), world);
    x = int((ndc.x * 0.5f + 0.5f) * kRenderTestWidth);
    y = int((0.5f - ndc.y * 0.5f) * kRenderTestHeight);
}

Pixel RenderSceneTest::PixelOf(const Image& image, const Vec3& world) const
{
    int x = 0;
    int y = 0;
    Project(world, x, y);
    x = std::min(std::max(x, 0), int(image.width) - 1);
    y = std::min(std::max(y, 0), int(image.height) - 1);
    return PixelAt(image, x, y);
}

float Brightness(const Pixel& p)
{
    return float(p.r + p.g + p.b) / 3.0f;
}

::testing::AssertionResult MatchesGolden(const Image& frame, const char* name)
{
    const std::string path = GoldenPath(name);
    if (getenv("PENDREL_REMAKE_GOLDENS"))
    {
        SaveTga(path, frame.pixels, frame.width, frame.height);
        return ::testing::AssertionSuccess() << "remade " << path;
    }
    const std::unique_ptr<Image> golden = LoadTga(path);
    if (!golden || golden->width != frame.width || golden->height != frame.height ||
        golden->format != frame.format)
        return ::testing::AssertionFailure() << "no golden of the frame's size and format at " << path;
    const size_t pixels = size_t(frame.width) * frame.height;
    std::vector<uint8_t> difference(pixels * 3);
    size_t far = 0;
    double total = 0.0;
    for (size_t i = 0; i < pixels; ++i)
    {
        int worst = 0;
        for (int k = 0; k < 3; ++k)
        {
            const int d = std::abs(int(frame.pixels[i * 3 + k]) - int(golden->pixels[i * 3 + k]));
            total += d;
            worst = std::max(worst, d);
            difference[i * 3 + k] = uint8_t(std::min(255, d * 8));
        }
        far += worst > 8 ? 1 : 0;
    }
    const double mean = total / double(pixels * 3);
    if (far <= pixels / 200 && mean < 1.0)
        return ::testing::AssertionSuccess();
    const std::string saved = std::string(PENDREL_BINARY_DIR) + "/golden-failure-" + name;
    SaveTga(saved + ".tga", frame.pixels, frame.width, frame.height);
    SaveTga(saved + "-difference.tga", difference.data(), frame.width, frame.height);
    return ::testing::AssertionFailure()
           << name << ": " << far << " pixels differ by more than 8, mean error " << mean
           << "; frame and difference saved as " << saved << "*.tga";
}
