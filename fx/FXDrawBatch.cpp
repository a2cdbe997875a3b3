#include "fx/FXDrawBatch.h"

#include "fx/FXTextureSet.h"
#include "opengl/GLState.h"
#include "opengl/TextureBuiltins.h"

#include <cmath>

namespace
{
struct FXDrawBatchState
{
    std::unique_ptr<FXDrawBatch> batch;
    int32_t blend = -1;
};

FXDrawBatchState& State()
{
    static FXDrawBatchState state;
    return state;
}

// Textures past the set (and -1) share the last bucket.
constexpr int kTextureBuckets = kFXMaxTextures + 1;

int TextureBucket(int32_t texture)
{
    const uint32_t key = static_cast<uint32_t>(texture);
    return key < static_cast<uint32_t>(kFXMaxTextures) ? static_cast<int>(key) : kFXMaxTextures;
}

const Texture* ItemTexture(int32_t texture)
{
    const FXTextureSet& set = FXGetTextureSet();
    if (texture >= 0 && texture < set.count && set.textures[texture] != nullptr)
        return set.textures[texture];
    return TextureBuiltin(kTextureDefaultWhite);
}

void DrawItem(const FXDrawItem& item)
{
    GLBindTexture(0, ItemTexture(item.texture));
    FXSetBlendMode(item.blend);
    const int count = item.end - item.first;
    if (item.strip)
        EffectBufferDrawStrip(item.first, count);
    else
        EffectBufferDrawQuads(item.first, count);
}
} // namespace

FXDrawBatch::FXDrawBatch() : m_vertices(new EffectVertex[kFXMaxDrawVertices])
{
    m_items.reserve(kFXMaxDrawItems);
    m_sortScratch.reserve(kFXMaxDrawItems);
}

void FXDrawBatch::BeginItem(int32_t texture, int32_t blend)
{
    m_overflowed = false;
    if (static_cast<int32_t>(m_items.size()) >= m_maxItems)
    {
        m_refusing = true;
        return;
    }
    m_refusing = false;
    m_items.push_back(FXDrawItem{blend, texture, m_vertexCount, 0, 0});
    m_itemState = 1;
}

void FXDrawBatch::SetStrip(bool strip)
{
    if (!m_refusing && !m_items.empty())
        m_items.back().strip = strip ? 1 : 0;
}

void FXDrawBatch::SetTexcoord(float u, float v)
{
    m_texcoord[0] = u;
    m_texcoord[1] = v;
}

void FXDrawBatch::SetColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    m_colour[0] = red;
    m_colour[1] = green;
    m_colour[2] = blue;
    m_colour[3] = alpha;
}

void FXDrawBatch::AddVertex(float x, float y, float z)
{
    if (m_refusing)
        return;
    if (m_vertexCount >= m_maxVertices)
    {
        m_overflowed = true;
        return;
    }
    EffectVertex& vertex = m_vertices[m_vertexCount++];
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    for (int i = 0; i < 4; ++i)
        vertex.colour[i] = m_colour[i];
    vertex.uv[0] = m_texcoord[0];
    vertex.uv[1] = m_texcoord[1];
}

void FXDrawBatch::EndItem()
{
    if (m_refusing || m_items.empty())
    {
        m_refusing = false;
        return;
    }
    FXDrawItem& item = m_items.back();
    if (m_overflowed)
    {
        // A quad missing corners would draw a sliver; a strip keeps whole pairs.
        const int32_t whole = item.strip ? 2 : 4;
        m_vertexCount = item.first + (m_vertexCount - item.first) / whole * whole;
    }
    item.end = m_vertexCount;
    m_itemState = 2;
    m_overflowed = false;
    if (item.end == item.first)
        m_items.pop_back();
}

void FXDrawBatch::SortItems()
{
    int counts[kTextureBuckets + 1] = {};
    for (const FXDrawItem& item : m_items)
        ++counts[TextureBucket(item.texture) + 1];
    for (int bucket = 1; bucket <= kTextureBuckets; ++bucket)
        counts[bucket] += counts[bucket - 1];
    m_sortScratch.resize(m_items.size());
    for (const FXDrawItem& item : m_items)
        m_sortScratch[static_cast<size_t>(counts[TextureBucket(item.texture)]++)] = item;
    m_items.swap(m_sortScratch);
}

void FXDrawBatch::Clear()
{
    m_items.clear();
    m_vertexCount = 0;
    m_itemState = 0;
    m_refusing = false;
    m_overflowed = false;
}

FXDrawBatch* FXGetDrawBatch()
{
    return State().batch.get();
}

void FXDrawBatchCreate()
{
    State().batch.reset(new FXDrawBatch);
}

void FXDrawBatchDestroy()
{
    State().batch.reset();
    EffectBufferDestroy();
}

void FXDrawBatchFlush()
{
    GLDepthTestOn();
    GLDepthWriteOff();
    FXSetBlendMode(kFXBlendAlpha, true);
    FXDrawBatch* batch = FXGetDrawBatch();
    if (batch == nullptr || batch->ItemCount() == 0)
    {
        if (batch != nullptr)
            batch->Clear();
        return;
    }
    if (EffectBufferCapacity() < kFXMaxDrawVertices)
        EffectBufferCreate(kFXMaxDrawVertices);
    batch->SortItems();
    EffectBufferUpload(batch->Vertices(), batch->VertexCount());
    for (int i = 0; i < batch->ItemCount(); ++i)
        DrawItem(batch->Item(i));
    EffectBufferUnbind();
    batch->Clear();
}

void FXSetBlendMode(int32_t blend, bool force)
{
    FXDrawBatchState& state = State();
    if (blend == state.blend && !force)
        return;
    state.blend = blend;
    switch (blend)
    {
    case kFXBlendNone:
        GLBlendOff();
        break;
    case kFXBlendAdditive:
        GLBlendAdditive();
        break;
    case kFXBlendSubtractive:
        GLBlendSubtractive();
        break;
    default:
        GLBlendAlpha();
        break;
    }
}

uint8_t FXColourByte(float value)
{
    if (std::isnan(value) || value <= 0.0f)
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<uint8_t>(value);
}
