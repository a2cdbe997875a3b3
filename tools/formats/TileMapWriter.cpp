#include "tools/formats/TileMapWriter.h"

#include <cmath>
#include <cstdio>

namespace
{
// A flag word of 0 puts the mesh in the opaque bucket, which the frame
// lights (0x1 would be the alpha bucket, drawn unlit).
constexpr uint32_t kOpaqueMeshFlags = 0x0;

std::string Number(float value)
{
    char text[32];
    snprintf(text, sizeof(text), "%g", double(value));
    return text;
}

ChModelVertex Corner(float x, float y, float z, const Vec3& normal, float u, float v)
{
    ChModelVertex vertex;
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    vertex.normal[0] = normal.x;
    vertex.normal[1] = normal.y;
    vertex.normal[2] = normal.z;
    vertex.uv[0] = u;
    vertex.uv[1] = v;
    return vertex;
}

// Four corners counter-clockwise seen from the front.
void AddQuad(std::vector<ChModelVertex>& vertices, std::vector<uint16_t>& indices, const Vec3 (&corners)[4],
             const Vec3& normal)
{
    const uint16_t base = uint16_t(vertices.size());
    const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
        vertices.push_back(Corner(corners[i].x, corners[i].y, corners[i].z, normal, uvs[i][0], uvs[i][1]));
    for (uint16_t index : {0, 1, 2, 0, 2, 3})
        indices.push_back(uint16_t(base + index));
}

Vec3 SlopeNormal(float size, float low, float high)
{
    Vec3 normal(-(high - low), size, 0.0f);
    const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y);
    return Vec3(normal.x / length, normal.y / length, 0.0f);
}

void AddRidge(std::vector<ChModelVertex>& vertices, std::vector<uint16_t>& indices, float size, float base,
              float height)
{
    const float h = size * 0.5f;
    const float z0 = h - size * 0.1f;
    const float top = base + height;
    const Vec3 up(0, 1, 0);
    const Vec3 front(0, 0, -1);
    AddQuad(vertices, indices, {{-h, top, h}, {h, top, h}, {h, top, z0}, {-h, top, z0}}, up);
    AddQuad(vertices, indices, {{-h, base, z0}, {-h, top, z0}, {h, top, z0}, {h, base, z0}}, front);
}
} // namespace

std::string TileTokenWrite(const TileToken& token)
{
    std::string text = std::to_string(token.type) + "_" + std::to_string(token.version);
    if (token.hflip)
        text += "_hflip";
    if (token.vflip)
        text += "_vflip";
    if (token.rotation != 0.0f)
        text += "_r" + Number(token.rotation);
    return text;
}

std::string TileMapWrite(const TileMapSpec& spec)
{
    std::string text = std::to_string(spec.rows) + "," + std::to_string(spec.columns) + "," +
                       Number(spec.tileSizeZ) + "," + Number(spec.tileSizeX) + ",\n";
    for (size_t i = 0; i < spec.tiles.size(); ++i)
    {
        text += spec.tiles[i];
        const bool rowEnds = spec.columns > 0 && (i + 1) % size_t(spec.columns) == 0;
        text += rowEnds ? ",\n" : ",";
    }
    return text;
}

ChModel TileModelBuild(float size, float low, float high, const std::string& texture, float ridgeHeight)
{
    const float h = size * 0.5f;
    std::vector<ChModelVertex> vertices;
    std::vector<uint16_t> indices;
    AddQuad(vertices, indices, {{-h, low, h}, {h, high, h}, {h, high, -h}, {-h, low, -h}}, SlopeNormal(size, low, high));
    if (ridgeHeight > 0.0f)
        AddRidge(vertices, indices, size, std::fmax(low, high), ridgeHeight);
    ChModelMesh mesh;
    mesh.flags = kOpaqueMeshFlags;
    ChModelSetVertices(mesh, vertices, false);
    mesh.indices = indices;
    mesh.materials.push_back(ChModelTexturedMaterial(texture, 0, uint16_t(indices.size())));
    mesh.nodes.push_back({"Tile", Mat4Identity()});
    ChModel model;
    model.radius = std::sqrt(2.0f * h * h + (high + ridgeHeight) * (high + ridgeHeight));
    model.meshes.push_back(mesh);
    return model;
}

TerrainFile TileCollisionBuild(float size, float low, float high)
{
    const float h = size * 0.5f;
    TerrainMesh mesh;
    mesh.AddQuad(Vec3(-h, low, -h), Vec3(-h, low, h), Vec3(h, high, h), Vec3(h, high, -h));
    return TerrainFileBuild(mesh);
}
