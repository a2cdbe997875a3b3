// modelgen <data folder>
// Writes the demo's models and animations below the data folder: ground
// tiles, a house, a windmill whose blade turns by an object animation, a
// water tile whose texture scrolls by a UV animation, and a dragon of 20
// joints with a flapping and a gliding animation, and the effects' crystal
// that spins by a skeletal animation. Each model names textures that the
// build makes beside it with texgen.

#include "tools/formats/AnimWriter.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/SideAnimWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
constexpr float kPi = 3.14159265f;
// A flag word of 0 sends a mesh to the opaque bucket, lit by the frame's
// light; bit 0x1 would send it to the alpha bucket, drawn unlit after it.
constexpr uint32_t kOpaqueFlags = 0x0;

struct Geometry
{
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
};

ChModelVertex Vertex(float x, float y, float z, const float normal[3], float u, float v, uint8_t joint)
{
    ChModelVertex vertex;
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    for (int k = 0; k < 3; ++k)
        vertex.normal[k] = normal[k];
    vertex.uv[0] = u;
    vertex.uv[1] = v;
    vertex.joints[0] = joint;
    vertex.weights[0] = 255;
    return vertex;
}

// A quad from four corners in counter-clockwise order seen from its front.
void AddQuad(Geometry& g, const float corners[4][3], const float normal[3], float uvScale, uint8_t joint = 0)
{
    const uint16_t base = uint16_t(g.vertices.size());
    const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
        g.vertices.push_back(Vertex(corners[i][0], corners[i][1], corners[i][2], normal, uvs[i][0] * uvScale,
                                    uvs[i][1] * uvScale, joint));
    for (uint16_t index : {0, 1, 2, 0, 2, 3})
        g.indices.push_back(uint16_t(base + index));
}

// An axis-aligned box between two corners, all six faces outward.
void AddBox(Geometry& g, const float low[3], const float high[3], uint8_t joint = 0)
{
    const float x0 = low[0], y0 = low[1], z0 = low[2], x1 = high[0], y1 = high[1], z1 = high[2];
    const float faces[6][4][3] = {
        {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}},
        {{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}},
        {{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}},
        {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}},
        {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}},
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}},
    };
    const float normals[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int f = 0; f < 6; ++f)
        AddQuad(g, faces[f], normals[f], 1.0f, joint);
}

ChModelMesh MeshOf(const Geometry& g, const std::string& texture, bool skinned)
{
    ChModelMesh mesh;
    mesh.flags = kOpaqueFlags;
    ChModelSetVertices(mesh, g.vertices, skinned);
    mesh.indices = g.indices;
    mesh.materials.push_back(ChModelTexturedMaterial(texture, 0, uint16_t(g.indices.size())));
    // A mesh is drawn once at each of its nodes: one node where it stands.
    mesh.nodes.push_back({"Mesh", Mat4Identity()});
    return mesh;
}

ChModel ModelOf(std::vector<ChModelMesh> meshes, float radius)
{
    ChModel model;
    model.version = 104;
    model.radius = radius;
    model.meshes = std::move(meshes);
    return model;
}

// A flat tile of 10 x 10 units on y = 0, its texture repeated four times.
ChModel Tile(const std::string& texture)
{
    Geometry g;
    const float up[3] = {0, 1, 0};
    const float corners[4][3] = {{-5, 0, 5}, {5, 0, 5}, {5, 0, -5}, {-5, 0, -5}};
    AddQuad(g, corners, up, 4.0f);
    return ModelOf({MeshOf(g, texture, false)}, 7.1f);
}

ChModel House()
{
    Geometry walls, roof;
    const float low[3] = {-2, 0, -1.5f}, high[3] = {2, 2.5f, 1.5f};
    AddBox(walls, low, high);
    const float slopeFront[3] = {0, 0.6f, 0.8f}, slopeBack[3] = {0, 0.6f, -0.8f};
    const float front[4][3] = {{-2.2f, 2.5f, 1.7f}, {2.2f, 2.5f, 1.7f}, {2.2f, 4, 0}, {-2.2f, 4, 0}};
    const float back[4][3] = {{2.2f, 2.5f, -1.7f}, {-2.2f, 2.5f, -1.7f}, {-2.2f, 4, 0}, {2.2f, 4, 0}};
    AddQuad(roof, front, slopeFront, 1.0f);
    AddQuad(roof, back, slopeBack, 1.0f);
    return ModelOf({MeshOf(walls, "walls.tga", false), MeshOf(roof, "roof.tga", false)}, 4.5f);
}

constexpr const char* kBladeNode = "Blade";

// The tower, and the blade as a mesh of its own drawn at the node "Blade".
ChModel Windmill()
{
    Geometry tower, blade;
    const float low[3] = {-1, 0, -1}, high[3] = {1, 6, 1};
    AddBox(tower, low, high);
    const float armLow[3] = {-3, -0.25f, 0}, armHigh[3] = {3, 0.25f, 0.1f};
    const float crossLow[3] = {-0.25f, -3, 0}, crossHigh[3] = {0.25f, 3, 0.1f};
    AddBox(blade, armLow, armHigh);
    AddBox(blade, crossLow, crossHigh);
    ChModelMesh towerMesh = MeshOf(tower, "mill.tga", false);
    towerMesh.nodes = {{"Tower", Mat4Identity()}};
    ChModelMesh bladeMesh = MeshOf(blade, "sails.tga", false);
    ChModelNode node{kBladeNode, Mat4Identity()};
    node.matrix[13] = 5.0f;
    node.matrix[14] = 1.1f;
    bladeMesh.nodes = {node};
    return ModelOf({towerMesh, bladeMesh}, 7.0f);
}

// A whole turn about z in 32 keys, at 8 keys a second, after a random delay.
ObjSideFile WindmillBlade()
{
    ObjSideFile file;
    file.rate = 8.0f;
    ObjSideTrack track;
    track.name = kBladeNode;
    track.flags = 0x1;
    for (int k = 0; k < 32; ++k)
    {
        const float angle = 2.0f * kPi * float(k) / 32.0f;
        Mat4 key = Mat4Identity();
        key[0] = std::cos(angle);
        key[1] = std::sin(angle);
        key[4] = -std::sin(angle);
        key[5] = std::cos(angle);
        key[13] = 5.0f;
        key[14] = 1.1f;
        track.keys.push_back(key);
    }
    file.tracks.push_back(track);
    return file;
}

// The water's texture slides one repeat along u in 16 keys.
UVSideFile WaterScroll()
{
    UVSideFile file;
    file.rate = 4.0f;
    UVSideTrack track;
    track.name = "water.tga";
    for (int k = 0; k < 16; ++k)
    {
        track.keys.push_back(float(k) / 16.0f);
        track.keys.push_back(0.0f);
    }
    file.tracks.push_back(track);
    return file;
}

// The dragon's skeleton: spine 0-5 along z (root 0 at the back), neck and
// head 6-9 rising forward, tail 10-13 going back, wings 14-16 to +x and
// 17-19 to -x from spine joint 3.
struct DragonJoint
{
    const char* name;
    int parent;
    float x, y, z;
};

const DragonJoint kDragonJoints[] = {
    {"Root", -1, 0, 2, -1.5f},         {"Spine1", 0, 0, 2, -0.9f},        {"Spine2", 1, 0, 2, -0.3f},
    {"Spine3", 2, 0, 2, 0.3f},         {"Spine4", 3, 0, 2, 0.9f},         {"Spine5", 4, 0, 2, 1.5f},
    {"Neck1", 5, 0, 2.4f, 2.0f},       {"Neck2", 6, 0, 2.8f, 2.5f},       {"Neck3", 7, 0, 3.2f, 3.0f},
    {"Head", 8, 0, 3.4f, 3.6f},        {"Tail1", 0, 0, 2, -2.1f},         {"Tail2", 10, 0, 1.9f, -2.7f},
    {"Tail3", 11, 0, 1.8f, -3.3f},     {"Tail4", 12, 0, 1.7f, -3.9f},     {"WingL1", 3, 0.5f, 2.2f, 0.3f},
    {"WingL2", 14, 1.8f, 2.2f, 0.3f},  {"WingL3", 15, 3.1f, 2.2f, 0.3f},  {"WingR1", 3, -0.5f, 2.2f, 0.3f},
    {"WingR2", 17, -1.8f, 2.2f, 0.3f}, {"WingR3", 18, -3.1f, 2.2f, 0.3f},
};
constexpr int kDragonJointCount = int(sizeof kDragonJoints / sizeof kDragonJoints[0]);

Mat4 BindOf(const DragonJoint& joint)
{
    Mat4 bind = Mat4Identity();
    bind[12] = joint.x;
    bind[13] = joint.y;
    bind[14] = joint.z;
    return bind;
}

// One box per joint, weighted wholly to it: a body segment, or a wing panel.
ChModel Dragon()
{
    Geometry g;
    for (int j = 0; j < kDragonJointCount; ++j)
    {
        const DragonJoint& joint = kDragonJoints[j];
        const bool wing = joint.x != 0.0f;
        const float half[3] = {wing ? 0.65f : 0.3f, wing ? 0.05f : 0.3f, wing ? 0.6f : 0.3f};
        const float low[3] = {joint.x - half[0], joint.y - half[1], joint.z - half[2]};
        const float high[3] = {joint.x + half[0], joint.y + half[1], joint.z + half[2]};
        AddBox(g, low, high, uint8_t(j));
    }
    ChModelMesh mesh = MeshOf(g, "dragon.tga", true);
    for (int j = 0; j < kDragonJointCount; ++j)
        mesh.joints.push_back({0, kDragonJoints[j].name, BindOf(kDragonJoints[j])});
    mesh.sockets.push_back({"Mouth", 9, Mat4Identity()});
    ChModel model = ModelOf({mesh}, 5.0f);
    model.spheres = {1.5f, 0, 2, 0}; // radius, then offset x, y, z
    return model;
}

Quaternion AboutZ(float angle)
{
    return Quaternion(0, 0, std::sin(angle / 2), std::cos(angle / 2));
}

Quaternion AboutY(float angle)
{
    return Quaternion(0, std::sin(angle / 2), 0, std::cos(angle / 2));
}

// Wings beat by `beat` radians each way (the outer joints half as much
// again), the tail sways by `sway`, and the body bobs by `bob` units.
ChAnim DragonAnim(const char* name, uint32_t frames, float beat, float sway, float bob)
{
    ChAnim anim;
    anim.version = 4;
    for (const DragonJoint& joint : kDragonJoints)
        anim.joints.push_back({joint.name, joint.parent, BindOf(joint)});
    ChAnimAnimation animation;
    animation.name = name;
    animation.rate = 15;
    animation.jointCount = kDragonJointCount;
    animation.frameCount = frames;
    animation.positionJointCount = 1;
    animation.positionMask = 1; // the root bobs
    for (uint32_t f = 0; f < frames; ++f)
    {
        const float phase = 2.0f * kPi * float(f) / float(frames);
        animation.positionKeys.push_back(Vec4(0, bob * std::sin(phase), 0, 0));
        for (int j = 0; j < kDragonJointCount; ++j)
        {
            const DragonJoint& joint = kDragonJoints[j];
            Quaternion key;
            if (joint.x != 0.0f)
            {
                const float side = joint.x > 0 ? 1.0f : -1.0f;
                const float outer = joint.parent == 3 ? 1.0f : 0.5f;
                key = AboutZ(side * beat * outer * std::sin(phase));
            }
            else if (std::string(joint.name).compare(0, 4, "Tail") == 0)
                key = AboutY(sway * std::sin(phase + float(j)));
            animation.rotationKeys.push_back(key);
        }
    }
    anim.animations.push_back(animation);
    return anim;
}

// A six-pointed crystal (two four-sided pyramids base to base), 12 high
// and 6 across, every vertex on its one joint so an animation turns it.
ChModel Crystal()
{
    Geometry g;
    const float tip = 6.0f, waist = 3.0f;
    const float ring[4][3] = {{waist, 0, 0}, {0, 0, -waist}, {-waist, 0, 0}, {0, 0, waist}};
    for (int side = 0; side < 4; ++side)
    {
        const float* a = ring[side];
        const float* b = ring[(side + 1) % 4];
        for (float end : {tip, -tip})
        {
            // Both triangles counter-clockwise seen from outside.
            const float* first = end > 0 ? b : a;
            const float* second = end > 0 ? a : b;
            const float corners[3][3] = {{first[0], 0, first[2]}, {second[0], 0, second[2]}, {0, end, 0}};
            const Vec3 normal = Vec3Normalized(Vec3Cross(
                Vec3(corners[1][0] - corners[0][0], corners[1][1] - corners[0][1], corners[1][2] - corners[0][2]),
                Vec3(corners[2][0] - corners[0][0], corners[2][1] - corners[0][1], corners[2][2] - corners[0][2])));
            const float n[3] = {normal.x, normal.y, normal.z};
            const float uvs[3][2] = {{0, 0}, {1, 0}, {0.5f, 1}};
            const uint16_t base = uint16_t(g.vertices.size());
            for (int i = 0; i < 3; ++i)
                g.vertices.push_back(Vertex(corners[i][0], corners[i][1], corners[i][2], n, uvs[i][0], uvs[i][1], 0));
            for (uint16_t index : {0, 1, 2})
                g.indices.push_back(uint16_t(base + index));
        }
    }
    ChModelMesh mesh = MeshOf(g, "crystal.tga", true);
    mesh.joints.push_back({0, "Spin", Mat4Identity()});
    return ModelOf({mesh}, 6.5f);
}

// One whole turn about y in 32 frames at 16 a second.
ChAnim CrystalSpin()
{
    ChAnim anim;
    anim.version = 4;
    anim.joints.push_back({"Spin", -1, Mat4Identity()});
    ChAnimAnimation animation;
    animation.name = "spin";
    animation.rate = 16;
    animation.jointCount = 1;
    animation.frameCount = 32;
    for (uint32_t f = 0; f < animation.frameCount; ++f)
        animation.rotationKeys.push_back(AboutY(2.0f * kPi * float(f) / float(animation.frameCount)));
    anim.animations.push_back(animation);
    return anim;
}

bool Write(const std::filesystem::path& root, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path path = root / name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    FILE* file = fopen(path.c_str(), "wb");
    const bool written = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = file && fclose(file) == 0;
    if (!written || !closed)
        fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
    return written && closed;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    bool ok = true;
    ok &= Write(root, "terrain/set01/00_000_Grass.chmodel", ChModelWrite(Tile("grass.tga")));
    ok &= Write(root, "terrain/set01/10_001_Dirt.chmodel", ChModelWrite(Tile("dirt.tga")));
    ok &= Write(root, "terrain/set01/12_001_RiverStraight.chmodel", ChModelWrite(Tile("water.tga")));
    ok &= Write(root, "terrain/set01/12_001_RiverStraight.chmodeluvanim", UVSideWrite(WaterScroll()));
    ok &= Write(root, "buildings/set01/SmallHouse01.chmodel", ChModelWrite(House()));
    ok &= Write(root, "buildings/set01/Windmill01.chmodel", ChModelWrite(Windmill()));
    ok &= Write(root, "buildings/set01/Windmill01.chmodelobjanim", ObjSideWrite(WindmillBlade()));
    ok &= Write(root, "characters/dragon/dragon-carry000-speed000.chmodel", ChModelWrite(Dragon()));
    ok &= Write(root, "characters/dragon/dragon_flap.chanim",
                ChAnimWrite(DragonAnim("flap", 16, 0.7f, 0.2f, 0.3f)));
    ok &= Write(root, "characters/dragon/dragon_glide.chanim",
                ChAnimWrite(DragonAnim("glide", 32, 0.08f, 0.35f, 0.1f)));
    ok &= Write(root, "effects/models/crystal.chmodel", ChModelWrite(Crystal()));
    ok &= Write(root, "effects/models/crystal_spin.chanim", ChAnimWrite(CrystalSpin()));
    return ok ? 0 : 1;
}
