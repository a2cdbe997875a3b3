#include "frontend/BillboardBars.h"

#include "core/LogError.h"
#include "frontend/BasicText.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <cstring>

namespace
{
// Not pi: the turn that puts local y downwards is this constant.
constexpr float kHalfTurn = 3.1415f;

uint32_t Packed(rgba8888 colour)
{
    uint32_t packed = 0;
    memcpy(&packed, &colour, sizeof packed);
    return packed;
}

template <class Slot> int FirstFree(const Slot (&slots)[kBillboardBarSlots])
{
    for (int i = 0; i < kBillboardBarSlots; ++i)
        if (!slots[i].active)
            return i;
    return -1;
}

bool InTable(int index)
{
    return index >= 0 && index < kBillboardBarSlots;
}

// The billboard's local x and y axes in the world, and its place.
struct BillboardFrame
{
    Vec3 right;
    Vec3 down;
    Vec3 origin;

    BillboardFrame(const Mat4& billboard, const Vec3& position)
        : right(billboard[0], billboard[1], billboard[2]), down(billboard[4], billboard[5], billboard[6]),
          origin(position)
    {
    }

    void Corner(float x, float y, float u, float v) const
    {
        PrimSetTexCoord(0, u, v);
        PrimSetTexCoord(1, u, v);
        PrimVertexVec3(origin + right * x + down * y);
    }

    // Local y runs down the screen, so the corner at (left, top) shows the
    // texture's first texel, as every 2D quad does.
    void Quad(float left, float top, float right_, float bottom) const
    {
        Corner(right_, bottom, 1.0f, 1.0f);
        Corner(left, bottom, 0.0f, 1.0f);
        Corner(left, top, 0.0f, 0.0f);
        Corner(right_, top, 1.0f, 0.0f);
    }
};

void BindWhite()
{
    const Texture* white = TextureBuiltin(kTextureDefaultWhite);
    GLBindTexture(0, white);
    GLBindTexture(1, white);
}
} // namespace

int BillboardBars::AddBar(float fill, const Vec3& position, float width, float height, rgba8888 fillColour,
                          rgba8888 backgroundColour, bool horizontal)
{
    const int index = FirstFree(m_bars);
    if (index < 0)
    {
        LogError("Too Many Bars, Not Creating Bar \n");
        return -1;
    }
    BillboardBar& bar = m_bars[index];
    bar.position = position;
    bar.fillColour = fillColour;
    bar.active = 1;
    bar.fill = fill;
    bar.width = width;
    bar.height = height;
    bar.backgroundColour = backgroundColour;
    bar.horizontal = horizontal ? 1 : 0;
    return index;
}

int BillboardBars::AddStringBar(const char* text, const BasicText* font, const Vec3& position, float scale,
                                rgba8888 colour)
{
    const int index = FirstFree(m_stringBars);
    if (index < 0)
    {
        LogError("Too Many String Bars, Not Creating String Bar \n");
        return -1;
    }
    BillboardStringBar& bar = m_stringBars[index];
    bar.position = position;
    bar.colour = colour;
    bar.active = 1;
    bar.text = text;
    bar.font = font;
    bar.scale = scale;
    return index;
}

int BillboardBars::AddPictureBarFromPool(int poolIndex, const Vec3& position, float width, float height,
                                         rgba8888 colour)
{
    if (poolIndex < 0 || poolIndex >= kBillboardTexturePoolSize)
    {
        LogError("Bars: texture pool index %d refused\n", poolIndex);
        return -1;
    }
    const int index = FirstFree(m_pictureBars);
    if (index < 0)
    {
        LogError("Too Many Picture Bars, Not Creating Picture Bar \n");
        return -1;
    }
    BillboardPictureBar& bar = m_pictureBars[index];
    bar.position = position;
    bar.colour = colour;
    bar.active = 1;
    bar.textureSlot = &m_pool[poolIndex];
    bar.width = width;
    bar.height = height;
    return index;
}

int BillboardBars::AddTextureToPool(const char* fileName)
{
    for (int i = 0; i < kBillboardTexturePoolSize; ++i)
    {
        if (m_pool[i])
            continue;
        m_pool[i] = TextureLoad(fileName, true);
        return m_pool[i] ? i : -1;
    }
    return -1;
}

void BillboardBars::FreeStringBar(int index)
{
    if (!m_stringBars[index].active)
        return;
    m_stringBars[index].active = 0;
    m_stringBars[index].font = nullptr;
    if (m_stringBarFreed)
        m_stringBarFreed(index);
}

void BillboardBars::DestroyByIndex(int kind, int index)
{
    if (!InTable(index))
        return;
    switch (kind)
    {
    case kBillboardBarRegular:
        m_bars[index].active = 0;
        break;
    case kBillboardBarString:
        FreeStringBar(index);
        break;
    case kBillboardBarPicture:
        m_pictureBars[index].active = 0;
        break;
    default:
        break;
    }
}

void BillboardBars::Clear()
{
    for (int i = 0; i < kBillboardBarSlots; ++i)
    {
        m_bars[i].active = 0;
        FreeStringBar(i);
        m_pictureBars[i].active = 0;
    }
}

void BillboardBars::ReleasePool()
{
    for (Texture*& texture : m_pool)
        TextureRelease(&texture);
}

void BillboardBars::Draw(const Mat4& view) const
{
    const Mat4 billboard = BillboardBarsMatrix(view);
    PrimFlush();
    PrimSetType(GL_QUADS);
    DrawBars(billboard);
    DrawPictureBars(billboard);
    DrawStringBars(billboard);
    PrimFlush();
}

void BillboardBars::DrawBars(const Mat4& billboard) const
{
    BindWhite();
    for (const BillboardBar& bar : m_bars)
    {
        if (!bar.active)
            continue;
        const BillboardFrame frame(billboard, bar.position);
        const float left = -bar.width * 0.5f;
        const float top = -bar.height * 0.5f;
        PrimSetColorPacked(Packed(bar.backgroundColour));
        frame.Quad(left, top, -left, -top);
        PrimSetColorPacked(Packed(bar.fillColour));
        if (bar.horizontal)
            frame.Quad(left, top, bar.width * 0.5f - bar.width * (1.0f - bar.fill), -top);
        else
            frame.Quad(left, top, -left, top + bar.height * bar.fill);
    }
}

void BillboardBars::DrawPictureBars(const Mat4& billboard) const
{
    GLBindTexture(1, TextureBuiltin(kTextureDefaultWhite));
    const Texture* bound = nullptr;
    for (const BillboardPictureBar& bar : m_pictureBars)
    {
        const Texture* texture = bar.active ? *bar.textureSlot : nullptr;
        if (!texture)
            continue;
        if (texture != bound)
        {
            // Binding does not flush: what was added under the last texture goes first.
            PrimFlush();
            GLBindTexture(0, texture);
            bound = texture;
        }
        const BillboardFrame frame(billboard, bar.position);
        PrimSetColorPacked(Packed(bar.colour));
        frame.Quad(-bar.width * 0.5f, -bar.height * 0.5f, bar.width * 0.5f, bar.height * 0.5f);
    }
}

// Each label is laid out in its own space, moved into the world by the
// batch, so that the labels of one font share draws.
void BillboardBars::DrawStringBars(const Mat4& billboard) const
{
    PrimFlush();
    const BasicText* lastFont = nullptr;
    for (const BillboardStringBar& bar : m_stringBars)
    {
        if (!bar.active || !bar.font)
            continue;
        if (bar.font != lastFont)
            PrimFlush();
        lastFont = bar.font;
        // Measured, so that the text is laid out at its own size rather than
        // shrunk into an empty box.
        const int width = bar.font->GetStringLength(bar.text);
        int height = bar.font->GetStringHeight(bar.text, width);
        if (height <= 0)
            height = bar.font->LineHeight();
        Mat4 placed = billboard;
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                placed[column * 4 + row] *= bar.scale;
        Mat4SetTranslation(placed, bar.position);
        PrimSetTransform(&placed);
        bar.font->DrawStringBatched(bar.text, Packed(bar.colour), -width / 2, 0, width, height, kAlignCentre,
                                    kAlignLeftTop);
    }
    PrimFlush();
    PrimSetTransform(nullptr);
}

BillboardBars& GetBillboardBars()
{
    static BillboardBars bars;
    return bars;
}

void BillboardBarsDraw(const Mat4& view)
{
    GetBillboardBars().Draw(view);
}

void BillboardBarsShutdown()
{
    GetBillboardBars().Clear();
    GetBillboardBars().ReleasePool();
}

Mat4 BillboardBarsMatrix(const Mat4& view)
{
    Mat4 cameraRotation;
    Mat4Inverse(cameraRotation, view);
    Mat4SetTranslation(cameraRotation, Vec3(0.0f, 0.0f, 0.0f));
    Mat4 halfTurn = Mat4Identity();
    Mat4SetRotationAxisAngle(halfTurn, kHalfTurn, Vec3(1.0f, 0.0f, 0.0f));
    return Mat4Multiply(cameraRotation, halfTurn);
}
