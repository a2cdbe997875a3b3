// modelgen <data folder>
// Writes the demo's models and animations below the data folder: ground
// tiles, a house, a windmill whose sails turn by an object animation, a
// castle, a knight, a water tile whose texture scrolls by a UV animation, a
// dragon of 20 joints (head, neck, body, wings and tail) with a flapping and
// a gliding animation, and the effects' crystal that spins by a skeletal
// animation. Each model names textures that the
// build makes beside it with texgen.

#include "tools/formats/AnimWriter.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/SideAnimWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
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

void AddTriangle(Geometry& g, const float corners[3][3], const float normal[3], uint8_t joint = 0)
{
    const uint16_t base = uint16_t(g.vertices.size());
    const float uvs[3][2] = {{0, 0}, {1, 0}, {0.5f, 1}};
    for (int i = 0; i < 3; ++i)
        g.vertices.push_back(Vertex(corners[i][0], corners[i][1], corners[i][2], normal, uvs[i][0], uvs[i][1], joint));
    for (uint16_t index : {0, 1, 2})
        g.indices.push_back(uint16_t(base + index));
}

// A round tower's side: `sides` faces from radius r0 at y0 to r1 at y1
// about (cx, cz), and a flat top when r1 is not 0.
void AddFrustum(Geometry& g, float cx, float cz, float r0, float r1, float y0, float y1, int sides,
                float turn = 0.0f)
{
    const float slope = (r0 - r1) / (y1 - y0);
    for (int i = 0; i < sides; ++i)
    {
        const float a0 = turn + 2 * kPi * float(i) / float(sides), a1 = turn + 2 * kPi * float(i + 1) / float(sides);
        const float mid = (a0 + a1) / 2;
        const Vec3 n = Vec3Normalized(Vec3(std::cos(mid), slope, std::sin(mid)));
        const float normal[3] = {n.x, n.y, n.z};
        const float corners[4][3] = {{cx + r0 * std::cos(a1), y0, cz + r0 * std::sin(a1)},
                                     {cx + r0 * std::cos(a0), y0, cz + r0 * std::sin(a0)},
                                     {cx + r1 * std::cos(a0), y1, cz + r1 * std::sin(a0)},
                                     {cx + r1 * std::cos(a1), y1, cz + r1 * std::sin(a1)}};
        AddQuad(g, corners, normal, 1.0f);
        if (r1 > 0)
        {
            const float up[3] = {0, 1, 0};
            const float top[3][3] = {{cx, y1, cz}, {corners[3][0], y1, corners[3][2]}, {corners[2][0], y1, corners[2][2]}};
            AddTriangle(g, top, up);
        }
    }
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

// A half-timbered house with a tiled roof, gables, a chimney and a door,
// about twice the dragon's length across.
ChModel House()
{
    Geometry walls, roof, chimney, door;
    const float low[3] = {-8, 0, -6}, high[3] = {8, 10, 6};
    AddBox(walls, low, high);
    for (float side : {-1.0f, 1.0f})
    {
        const float gable[3][3] = {{8 * side, 10, 6 * side}, {8 * side, 10, -6 * side}, {8 * side, 16, 0}};
        const float normal[3] = {side, 0, 0};
        AddTriangle(walls, gable, normal);
    }
    const float slopeFront[3] = {0, 0.76f, 0.65f}, slopeBack[3] = {0, 0.76f, -0.65f};
    const float front[4][3] = {{-9, 9.2f, 7}, {9, 9.2f, 7}, {9, 16.3f, 0}, {-9, 16.3f, 0}};
    const float back[4][3] = {{9, 9.2f, -7}, {-9, 9.2f, -7}, {-9, 16.3f, 0}, {9, 16.3f, 0}};
    AddQuad(roof, front, slopeFront, 2.0f);
    AddQuad(roof, back, slopeBack, 2.0f);
    const float stackLow[3] = {4, 10, -3.5f}, stackHigh[3] = {6.2f, 19, -1.3f};
    AddBox(chimney, stackLow, stackHigh);
    const float doorLow[3] = {-1.5f, 0, 6}, doorHigh[3] = {1.5f, 5.5f, 6.3f};
    AddBox(door, doorLow, doorHigh);
    return ModelOf({MeshOf(walls, "walls.tga", false), MeshOf(roof, "roof.tga", false),
                    MeshOf(chimney, "stone.tga", false), MeshOf(door, "wood.tga", false)},
                   16.0f);
}

constexpr const char* kBladeNode = "Blade";
constexpr float kBladeHeight = 25.0f;
constexpr float kBladeOut = 5.6f;

// A tapering wooden tower under a pointed cap, and the four sails as a mesh
// of their own drawn at the node "Blade".
ChModel Windmill()
{
    Geometry tower, cap, blade, sails;
    AddFrustum(tower, 0, 0, 5.5f, 3.8f, 0, 26, 8);
    AddFrustum(cap, 0, 0, 4.6f, 0.0f, 26, 33, 8);
    const float hubLow[3] = {-0.8f, -0.8f, -1.2f}, hubHigh[3] = {0.8f, 0.8f, 0.4f};
    AddBox(blade, hubLow, hubHigh);
    for (int arm = 0; arm < 4; ++arm)
    {
        // Each arm along +x turned by a quarter per arm, its sail trailing.
        const float c = std::cos(arm * kPi / 2), s = std::sin(arm * kPi / 2);
        const auto turned = [&](float x, float y, float z, float out[3]) {
            out[0] = x * c - y * s;
            out[1] = x * s + y * c;
            out[2] = z;
        };
        const float spar[4][2] = {{0.8f, -0.35f}, {15, -0.35f}, {15, 0.35f}, {0.8f, 0.35f}};
        const float sail[4][2] = {{3.5f, 0.35f}, {15, 0.35f}, {15, 3.6f}, {3.5f, 3.2f}};
        float corners[4][3];
        const float normal[3] = {0, 0, 1};
        for (int i = 0; i < 4; ++i)
            turned(spar[i][0], spar[i][1], 0.5f, corners[i]);
        AddQuad(blade, corners, normal, 1.0f);
        for (int i = 0; i < 4; ++i)
            turned(sail[i][0], sail[i][1], 0.4f, corners[i]);
        AddQuad(sails, corners, normal, 1.0f);
        const float backNormal[3] = {0, 0, -1};
        const float back[4][3] = {{corners[3][0], corners[3][1], 0.3f}, {corners[2][0], corners[2][1], 0.3f},
                                  {corners[1][0], corners[1][1], 0.3f}, {corners[0][0], corners[0][1], 0.3f}};
        AddQuad(sails, back, backNormal, 1.0f);
    }
    ChModelMesh towerMesh = MeshOf(tower, "mill.tga", false);
    towerMesh.nodes = {{"Tower", Mat4Identity()}};
    ChModelMesh capMesh = MeshOf(cap, "roof.tga", false);
    capMesh.nodes = {{"Cap", Mat4Identity()}};
    ChModelNode node{kBladeNode, Mat4Identity()};
    node.matrix[13] = kBladeHeight;
    node.matrix[14] = kBladeOut;
    ChModelMesh bladeMesh = MeshOf(blade, "wood.tga", false);
    bladeMesh.nodes = {node};
    ChModelMesh sailMesh = MeshOf(sails, "sails.tga", false);
    sailMesh.nodes = {node};
    return ModelOf({towerMesh, capMesh, bladeMesh, sailMesh}, 30.0f);
}

// A square curtain wall with battlements and a gate, a round tower with a
// pointed roof at each corner and a keep in the middle: the knight's goal.
ChModel Castle()
{
    Geometry walls, roofs, gate;
    constexpr float kHalf = 26, kWall = 14, kThick = 2.5f;
    for (int side = 0; side < 4; ++side)
    {
        const bool alongX = side < 2;
        const float at = (side % 2 == 0) ? kHalf : -kHalf;
        const float low[3] = {alongX ? -kHalf : at - kThick / 2, 0, alongX ? at - kThick / 2 : -kHalf};
        const float high[3] = {alongX ? kHalf : at + kThick / 2, kWall, alongX ? at + kThick / 2 : kHalf};
        AddBox(walls, low, high);
        for (int merlon = 0; merlon < 9; ++merlon)
        {
            const float along = -kHalf + 4 + float(merlon) * 5.5f;
            const float mLow[3] = {alongX ? along - 1.2f : at - kThick / 2, kWall,
                                   alongX ? at - kThick / 2 : along - 1.2f};
            const float mHigh[3] = {alongX ? along + 1.2f : at + kThick / 2, kWall + 2.2f,
                                    alongX ? at + kThick / 2 : along + 1.2f};
            AddBox(walls, mLow, mHigh);
        }
    }
    for (float x : {-kHalf, kHalf})
        for (float z : {-kHalf, kHalf})
        {
            AddFrustum(walls, x, z, 6, 5.5f, 0, 22, 10);
            AddFrustum(roofs, x, z, 7, 0, 22, 32, 10);
        }
    const float keepLow[3] = {-9, 0, -9}, keepHigh[3] = {9, 28, 9};
    AddBox(walls, keepLow, keepHigh);
    AddFrustum(roofs, 0, 0, 13.5f, 0, 28, 38, 4, kPi / 4);
    const float gateLow[3] = {-4, 0, kHalf + kThick / 2}, gateHigh[3] = {4, 9, kHalf + kThick / 2 + 0.3f};
    AddBox(gate, gateLow, gateHigh);
    return ModelOf({MeshOf(walls, "castle.tga", false), MeshOf(roofs, "roof.tga", false),
                    MeshOf(gate, "wood.tga", false)},
                   48.0f);
}

// A knight in armour and a blue tabard, sword raised and shield on his arm,
// tall enough to be seen from the dragon's height.
ChModel Knight()
{
    Geometry armour, tabard, blade;
    const float legs[2][2][3] = {{{-1.1f, 0, -0.6f}, {-0.2f, 4, 0.6f}}, {{0.2f, 0, -0.6f}, {1.1f, 4, 0.6f}}};
    for (const auto& leg : legs)
        AddBox(armour, leg[0], leg[1]);
    const float bodyLow[3] = {-1.4f, 3.8f, -0.8f}, bodyHigh[3] = {1.4f, 7.6f, 0.8f};
    AddBox(tabard, bodyLow, bodyHigh);
    const float armLow[3] = {-2.2f, 4.2f, -0.5f}, armHigh[3] = {-1.4f, 7.4f, 0.5f};
    const float arm2Low[3] = {1.4f, 5.6f, -0.5f}, arm2High[3] = {2.2f, 9.0f, 0.5f};
    AddBox(armour, armLow, armHigh);
    AddBox(armour, arm2Low, arm2High);
    const float headLow[3] = {-0.8f, 7.6f, -0.8f}, headHigh[3] = {0.8f, 9.4f, 0.8f};
    AddBox(armour, headLow, headHigh);
    AddFrustum(tabard, 0, 0, 0.3f, 0.0f, 9.4f, 10.6f, 4); // plume
    const float swordLow[3] = {1.6f, 9.0f, -0.15f}, swordHigh[3] = {2.0f, 14.0f, 0.15f};
    AddBox(blade, swordLow, swordHigh);
    const float shieldLow[3] = {-2.6f, 3.6f, -1.3f}, shieldHigh[3] = {-2.2f, 7.6f, 1.3f};
    AddBox(tabard, shieldLow, shieldHigh);
    return ModelOf({MeshOf(armour, "armour.tga", false), MeshOf(tabard, "tabard.tga", false),
                    MeshOf(blade, "armour.tga", false)},
                   8.0f);
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
        key[13] = kBladeHeight;
        key[14] = kBladeOut;
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

// A ring of the dragon's body: its centre, its half-width and half-height,
// and the joint its vertices follow.
struct BodyRing
{
    float x, y, z, width, height;
    uint8_t joint;
};

// Rings joined by quads round their centres, each vertex wholly on its
// ring's joint so the body bends at the joints.
void AddTube(Geometry& g, const std::vector<BodyRing>& rings, int sides, float uvScale)
{
    for (size_t r = 0; r + 1 < rings.size(); ++r)
    {
        const BodyRing& a = rings[r];
        const BodyRing& b = rings[r + 1];
        for (int i = 0; i < sides; ++i)
        {
            const float t0 = 2 * kPi * float(i) / float(sides), t1 = 2 * kPi * float(i + 1) / float(sides);
            const float mid = (t0 + t1) / 2;
            const Vec3 n = Vec3Normalized(Vec3(std::cos(mid), std::sin(mid), 0.0f));
            const float normal[3] = {n.x, n.y, n.z};
            const auto point = [](const BodyRing& ring, float t, float out[3]) {
                out[0] = ring.x + ring.width * std::cos(t);
                out[1] = ring.y + ring.height * std::sin(t);
                out[2] = ring.z;
            };
            const uint16_t base = uint16_t(g.vertices.size());
            float corner[3];
            const BodyRing* order[4] = {&b, &a, &a, &b};
            const float angles[4] = {t0, t0, t1, t1};
            const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int k = 0; k < 4; ++k)
            {
                point(*order[k], angles[k], corner);
                g.vertices.push_back(Vertex(corner[0], corner[1], corner[2], normal, uvs[k][0] * uvScale,
                                            uvs[k][1] * uvScale, order[k]->joint));
            }
            for (uint16_t index : {0, 1, 2, 0, 2, 3})
                g.indices.push_back(uint16_t(base + index));
        }
    }
}

// A thin sheet seen from both sides (wings, fins).
void AddSheet(Geometry& g, const float corners[3][3], const uint8_t joints[3])
{
    const Vec3 n = Vec3Normalized(Vec3Cross(
        Vec3(corners[1][0] - corners[0][0], corners[1][1] - corners[0][1], corners[1][2] - corners[0][2]),
        Vec3(corners[2][0] - corners[0][0], corners[2][1] - corners[0][1], corners[2][2] - corners[0][2])));
    const float uvs[3][2] = {{0, 0}, {1, 0}, {0.5f, 1}};
    for (float side : {1.0f, -1.0f})
    {
        const float normal[3] = {n.x * side, n.y * side, n.z * side};
        const uint16_t base = uint16_t(g.vertices.size());
        for (int i = 0; i < 3; ++i)
            g.vertices.push_back(
                Vertex(corners[i][0], corners[i][1], corners[i][2], normal, uvs[i][0], uvs[i][1], joints[i]));
        const uint16_t second = side > 0 ? 1 : 2;
        for (uint16_t index : {uint16_t(0), second, uint16_t(3 - second)})
            g.indices.push_back(uint16_t(base + index));
    }
}

enum DragonJointIndex : uint8_t
{
    kRoot, kSpine1, kSpine2, kSpine3, kSpine4, kSpine5, kNeck1, kNeck2, kNeck3, kHead,
    kTail1, kTail2, kTail3, kTail4, kWingL1, kWingL2, kWingL3, kWingR1, kWingR2, kWingR3
};

// From the tail's tip to the nose: a tapering tail, a deep chest, a slender
// neck and a long head with a snout.
const BodyRing kDragonBody[] = {
    {0, 1.6f, -5.0f, 0.0f, 0.0f, kTail4},    {0, 1.65f, -4.3f, 0.1f, 0.1f, kTail4},
    {0, 1.75f, -3.6f, 0.18f, 0.17f, kTail3}, {0, 1.85f, -2.9f, 0.27f, 0.25f, kTail2},
    {0, 1.95f, -2.2f, 0.37f, 0.33f, kTail1}, {0, 2.0f, -1.5f, 0.5f, 0.42f, kRoot},
    {0, 2.0f, -0.9f, 0.62f, 0.52f, kSpine1}, {0, 1.95f, -0.3f, 0.7f, 0.6f, kSpine2},
    {0, 1.95f, 0.3f, 0.72f, 0.62f, kSpine3}, {0, 2.0f, 0.9f, 0.64f, 0.55f, kSpine4},
    {0, 2.1f, 1.5f, 0.48f, 0.45f, kSpine5},  {0, 2.4f, 2.0f, 0.33f, 0.33f, kNeck1},
    {0, 2.8f, 2.5f, 0.27f, 0.27f, kNeck2},   {0, 3.2f, 3.0f, 0.26f, 0.26f, kNeck3},
    {0, 3.4f, 3.4f, 0.34f, 0.32f, kHead},    {0, 3.4f, 3.8f, 0.3f, 0.27f, kHead},
    {0, 3.3f, 4.3f, 0.2f, 0.17f, kHead},     {0, 3.25f, 4.7f, 0.08f, 0.07f, kHead},
};

void AddDragonLimbs(Geometry& g)
{
    for (float side : {-1.0f, 1.0f})
    {
        // Horns swept back from the head.
        AddTube(g, {{0.16f * side, 3.62f, 3.45f, 0.07f, 0.07f, kHead}, {0.32f * side, 3.95f, 2.85f, 0.0f, 0.0f, kHead}},
                4, 1.0f);
        // Legs tucked under the body, fore and hind.
        AddTube(g, {{0.4f * side, 1.7f, 0.9f, 0.14f, 0.14f, kSpine4}, {0.45f * side, 1.2f, 1.2f, 0.08f, 0.08f, kSpine4},
                    {0.45f * side, 1.1f, 1.45f, 0.0f, 0.0f, kSpine4}},
                5, 1.0f);
        AddTube(g, {{0.45f * side, 1.7f, -0.9f, 0.2f, 0.2f, kSpine1}, {0.5f * side, 1.15f, -0.7f, 0.1f, 0.1f, kSpine1},
                    {0.5f * side, 1.05f, -0.4f, 0.0f, 0.0f, kSpine1}},
                5, 1.0f);
    }
    // Spikes along the back and the tail.
    for (const BodyRing& ring : kDragonBody)
    {
        if (ring.height < 0.15f || ring.joint == kHead)
            continue;
        const float top = ring.y + ring.height;
        const float fin[3][3] = {{0, top - 0.05f, ring.z + 0.2f}, {0, top - 0.05f, ring.z - 0.25f},
                                 {0, top + 0.35f * ring.height + 0.1f, ring.z - 0.3f}};
        const uint8_t joints[3] = {ring.joint, ring.joint, ring.joint};
        AddSheet(g, fin, joints);
    }
}

// Each wing a membrane of three panels between the arm's joints and a
// scalloped trailing edge, its tip on the outer joint.
void AddDragonWing(Geometry& g, float side, const uint8_t joint[3])
{
    const float lead[4][3] = {{0.45f, 2.25f, 0.6f}, {1.8f, 2.35f, 0.7f}, {3.1f, 2.45f, 0.45f}, {4.8f, 2.3f, -0.3f}};
    const float trail[4][3] = {{0.45f, 2.1f, -1.3f}, {1.5f, 2.15f, -1.1f}, {2.7f, 2.2f, -1.9f}, {3.8f, 2.25f, -1.0f}};
    const uint8_t leadJoint[4] = {joint[0], joint[1], joint[2], joint[2]};
    const uint8_t trailJoint[4] = {joint[0], joint[1], joint[1], joint[2]};
    const auto at = [side](const float p[3], float out[3]) {
        out[0] = p[0] * side;
        out[1] = p[1];
        out[2] = p[2];
    };
    for (int i = 0; i < 3; ++i)
    {
        float c[3][3];
        at(lead[i], c[0]);
        at(lead[i + 1], c[1]);
        at(trail[i + 1], c[2]);
        const uint8_t j0[3] = {leadJoint[i], leadJoint[i + 1], trailJoint[i + 1]};
        AddSheet(g, c, j0);
        at(lead[i], c[0]);
        at(trail[i + 1], c[1]);
        at(trail[i], c[2]);
        const uint8_t j1[3] = {leadJoint[i], trailJoint[i + 1], trailJoint[i]};
        AddSheet(g, c, j1);
    }
    // The arm along the leading edge.
    std::vector<BodyRing> arm;
    for (int i = 0; i < 4; ++i)
        arm.push_back({lead[i][0] * side, lead[i][1], lead[i][2], i == 3 ? 0.0f : 0.1f, i == 3 ? 0.0f : 0.1f, leadJoint[i]});
    AddTube(g, arm, 5, 1.0f);
}

// A scaled body and two membrane wings, both skinned to the same joints.
ChModel Dragon()
{
    Geometry body, wings;
    AddTube(body, std::vector<BodyRing>(std::begin(kDragonBody), std::end(kDragonBody)), 10, 0.5f);
    AddDragonLimbs(body);
    const uint8_t left[3] = {kWingL1, kWingL2, kWingL3}, right[3] = {kWingR1, kWingR2, kWingR3};
    AddDragonWing(wings, 1.0f, left);
    AddDragonWing(wings, -1.0f, right);
    std::vector<ChModelMesh> meshes = {MeshOf(body, "dragon.tga", true), MeshOf(wings, "wing.tga", true)};
    for (ChModelMesh& mesh : meshes)
        for (int j = 0; j < kDragonJointCount; ++j)
            mesh.joints.push_back({0, kDragonJoints[j].name, BindOf(kDragonJoints[j])});
    meshes[0].sockets.push_back({"Mouth", kHead, Mat4Identity()});
    // No collision spheres: the breath's slice is the dragon's one collision
    // object, enabled only while it breathes.
    return ModelOf(meshes, 6.0f);
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
    ok &= Write(root, "buildings/set01/Castle01.chmodel", ChModelWrite(Castle()));
    ok &= Write(root, "characters/knight/knight.chmodel", ChModelWrite(Knight()));
    ok &= Write(root, "effects/models/crystal.chmodel", ChModelWrite(Crystal()));
    ok &= Write(root, "effects/models/crystal_spin.chanim", ChAnimWrite(CrystalSpin()));
    return ok ? 0 : 1;
}
