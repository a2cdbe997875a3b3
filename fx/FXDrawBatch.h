#pragma once
// The one global batch that the blended effect elements append their quads
// and strips to during the effect pass, flushed once per frame in a single
// upload, its items sorted by texture.

#include "opengl/EffectBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

enum FXBlendMode : int32_t
{
    kFXBlendNone = 0,
    kFXBlendAlpha = 1,
    kFXBlendAdditive = 2,
    kFXBlendSubtractive = 3,
};

struct FXDrawItem
{
    int32_t blend;
    int32_t texture;
    int32_t first;
    int32_t end;
    int32_t strip;
};

constexpr int kFXMaxDrawItems = 2048;
constexpr int kFXMaxDrawVertices = 40000;

class FXDrawBatch
{
public:
    FXDrawBatch();

    // With the item table full, the element's whole item is refused: its
    // vertices are dropped until EndItem instead of falling into another item.
    void BeginItem(int32_t texture, int32_t blend);
    void SetStrip(bool strip);
    void SetTexcoord(float u, float v);
    void SetColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
    void AddVertex(float x, float y, float z);
    // An item left with no vertices is removed; a quad item cut short by a
    // full vertex array keeps whole quads only.
    void EndItem();

    // Stable on equal textures, so overlapping blends keep their order from
    // frame to frame; texture -1 (and anything outside the set) sorts last.
    void SortItems();
    void Clear();

    // No vertex fits any more: builders stop producing geometry.
    bool IsFull() const { return m_vertexCount >= m_maxVertices; }
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    const FXDrawItem& Item(int index) const { return m_items[static_cast<size_t>(index)]; }
    int VertexCount() const { return m_vertexCount; }
    const EffectVertex* Vertices() const { return m_vertices.get(); }
    int ItemState() const { return m_itemState; }

private:
    std::vector<FXDrawItem> m_items;
    std::vector<FXDrawItem> m_sortScratch;
    int32_t m_maxItems = kFXMaxDrawItems;
    std::unique_ptr<EffectVertex[]> m_vertices;
    int32_t m_maxVertices = kFXMaxDrawVertices;
    int32_t m_vertexCount = 0;
    float m_texcoord[2] = {0.0f, 0.0f};
    uint8_t m_colour[4] = {255, 0, 255, 255};
    int32_t m_itemState = 0;
    bool m_refusing = false;
    bool m_overflowed = false;
};

// Null before FXDrawBatchCreate and after FXDrawBatchDestroy.
FXDrawBatch* FXGetDrawBatch();
void FXDrawBatchCreate();
void FXDrawBatchDestroy();
// Draws every item under the current matrices and program, then empties the
// batch. Needs GL.
void FXDrawBatchFlush();

// Setting the mode already set does nothing, unless forced (GL state changed
// behind the effects' back since).
void FXSetBlendMode(int32_t blend, bool force = false);

// Curve values x 255 to colour bytes: clamped, and non-finite values give 0.
uint8_t FXColourByte(float value);
