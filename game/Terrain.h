#pragma once
// A collision triangle mesh read from a terrain collision file: faces sorted
// under a stored bounding-box tree, up to 8 per-vertex and 8 per-face data
// channels (face channel 0 is the surface kind), and the four queries the
// world asks of it. It is also a render instance whose model draws the ground.
//
// A load reads into fresh data and takes it only when the whole file is
// sound, so a failed hot reload keeps what was there. An empty terrain
// answers every query with no hit.

#include "core/FixedString.h"
#include "core/StreamBytes.h"
#include "core/Vec3.h"
#include "cross/RenderInstance.h"
#include "game/TerrainTree.h"

#include <cstdint>
#include <vector>

constexpr uint32_t kTerrainChannelFloat = 0x666C6F61; // 'floa'
constexpr uint32_t kTerrainChannelLong = 0x6C6F6E67;  // 'long'
constexpr int kTerrainChannelSlots = 8;
constexpr int kTerrainHeightHits = 4;
// Sweeps and overlaps pass through faces of a larger surface kind.
constexpr uint32_t kTerrainLastSolidKind = 2;

struct TerrainFace
{
    Vec3 normal;
    uint32_t i0, i1, i2;
};

struct TerrainDataChannel
{
    uint32_t type = 0; // 0: slot empty
    char name[8] = {};
    // One value per vertex or per face, read as 32-bit words.
    std::vector<uint32_t> data;
};

struct TerrainData
{
    std::vector<TerrainFace> faces;
    std::vector<Vec3> vertices;
    uint32_t vertexChannelCount = 0;
    TerrainDataChannel vertexChannels[kTerrainChannelSlots];
    uint32_t faceChannelCount = 0;
    TerrainDataChannel faceChannels[kTerrainChannelSlots];
    TerrainTree tree;
};

// One surface below a point: its height, the barycentric weights of the
// point in the face, and the face (kTerrainNoItem for none).
struct TerrainHeightHit
{
    float height;
    float w0, w1, w2;
    uint32_t face;
};

class Terrain : public RenderInstance
{
public:
    FixedString128 m_name;
    TerrainData m_data;

    Terrain() = default;
    // Clears, then the base releases the model.
    ~Terrain() override;

    bool HasFaceChannels() const { return m_data.faceChannelCount > 0 && !m_data.faceChannels[0].data.empty(); }
    // Face channel 0, or 0 without face channels.
    uint32_t SurfaceKind(uint32_t face) const;
    // Whether sweeps and overlaps stop at the face.
    bool IsSolid(uint32_t face) const;
    void FaceCorners(uint32_t face, Vec3 corners[3]) const;
};

// A million faces with their vertices, channels and tree take a sixth of this.
constexpr FileSizeBound kTerrainFileBound = {"terrain", 256ull << 20};

// Reads the file through the file table and records the terrain on its entry
// (kind 'tcol'), so a changed file is read again into the same record. False
// after a report when the file does not open or is not sound; the terrain
// then keeps the data it had.
bool TerrainLoad(Terrain& terrain, const char* path);
// The file's bytes already in memory; the path names it in reports.
bool TerrainParse(const uint8_t* bytes, size_t size, const char* path, TerrainData& data);
// Frees all data and marks the file's entry 'gone'.
void TerrainClear(Terrain& terrain);

// The sphere at start moved by motion: t is the distance travelled along the
// motion before the first contact, normal the contact's unit normal. Outputs
// are written only on a hit.
bool TerrainSweepSphere(const Terrain& terrain, const Vec3& start, float radius, const Vec3& motion, float& t,
                        Vec3& normal, uint32_t& face);
bool TerrainOverlapSphere(const Terrain& terrain, const Vec3& centre, float radius);
// The nearest point where the ray meets a face; point is untouched on a miss.
bool TerrainRayCast(const Terrain& terrain, const Vec3& origin, const Vec3& direction, Vec3& point);
// The upward-facing surfaces straight below the point, highest first.
bool TerrainHeightHits(const Terrain& terrain, const Vec3& point, TerrainHeightHit hits[kTerrainHeightHits]);
// Vertex channel 1 at the vertex, or 0 when that channel or vertex has no data.
uint32_t TerrainVertexChannelValue(const Terrain& terrain, uint32_t vertex);
