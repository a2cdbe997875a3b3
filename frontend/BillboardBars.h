#pragma once
// Camera-facing quads at world positions: fill bars, text labels and
// pictures over actors and props. Three fixed tables of slots and a fixed
// pool of textures; the scene's bars pass draws every active slot once per
// frame.

#include "core/FixedString.h"
#include "core/Mat4.h"
#include "core/Vec3.h"
#include "core/rgba8888.h"

#include <cstdint>

class BasicText;
class Texture;

constexpr int kBillboardBarSlots = 512;
constexpr int kBillboardTexturePoolSize = 512;

enum BillboardBarKind
{
    kBillboardBarRegular = 0,
    kBillboardBarString = 1,
    kBillboardBarPicture = 2,
};

struct BillboardBar
{
    Vec3 position{0.0f, 0.0f, 0.0f};
    rgba8888 fillColour{255, 255, 255, 255};
    uint8_t active = 0;
    int32_t value = -1;
    float fill = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    rgba8888 backgroundColour{255, 255, 255, 255};
    uint8_t horizontal = 0;
};

struct BillboardStringBar
{
    Vec3 position{0.0f, 0.0f, 0.0f};
    rgba8888 colour{255, 255, 255, 255};
    uint8_t active = 0;
    int32_t value = -1;
    FixedString128 text;
    const BasicText* font = nullptr;
    float scale = 1.0f;
};

struct BillboardPictureBar
{
    Vec3 position{0.0f, 0.0f, 0.0f};
    rgba8888 colour{255, 255, 255, 255};
    uint8_t active = 0;
    int32_t value = -1;
    // The pool entry, read when drawn: a later load into it shows.
    Texture* const* textureSlot = nullptr;
    float width = 0.0f;
    float height = 0.0f;
};

class BillboardBars
{
public:
    // Told of every string bar that stops being active, so that whoever keeps
    // its font alive can let go.
    using StringBarFreed = void (*)(int index);

    BillboardBars() = default;
    BillboardBars(const BillboardBars&) = delete;
    BillboardBars& operator=(const BillboardBars&) = delete;

    // Each add answers its slot, or -1 after a report when its table is full.
    int AddBar(float fill, const Vec3& position, float width, float height, rgba8888 fillColour,
               rgba8888 backgroundColour, bool horizontal);
    int AddStringBar(const char* text, const BasicText* font, const Vec3& position, float scale,
                     rgba8888 colour);
    // A pool index outside the pool is refused with -1.
    int AddPictureBarFromPool(int poolIndex, const Vec3& position, float width, float height, rgba8888 colour);
    // The first empty pool entry takes the texture; -1 when the pool is full
    // or the texture cannot be loaded.
    int AddTextureToPool(const char* fileName);

    // Kinds are BillboardBarKind; unknown kinds and indices outside the table
    // are ignored.
    void DestroyByIndex(int kind, int index);
    // Every slot inactive; the pool keeps its textures.
    void Clear();
    void ReleasePool();

    void Draw(const Mat4& view) const;

    void SetStringBarFreed(StringBarFreed hook) { m_stringBarFreed = hook; }
    const BillboardBar& Bar(int index) const { return m_bars[index]; }
    const BillboardStringBar& StringBar(int index) const { return m_stringBars[index]; }
    const BillboardPictureBar& PictureBar(int index) const { return m_pictureBars[index]; }
    const Texture* PoolTexture(int index) const { return m_pool[index]; }

private:
    void FreeStringBar(int index);
    void DrawBars(const Mat4& billboard) const;
    void DrawPictureBars(const Mat4& billboard) const;
    void DrawStringBars(const Mat4& billboard) const;

    BillboardBar m_bars[kBillboardBarSlots];
    BillboardStringBar m_stringBars[kBillboardBarSlots];
    BillboardPictureBar m_pictureBars[kBillboardBarSlots];
    Texture* m_pool[kBillboardTexturePoolSize] = {};
    StringBarFreed m_stringBarFreed = nullptr;
};

// The one set of bars, made on first use; its pool textures must be released
// (BillboardBarsShutdown) while GL is still up.
BillboardBars& GetBillboardBars();
// The scene's bars pass.
void BillboardBarsDraw(const Mat4& view);
// Every bar freed and the pool released, before the renderer shuts down.
void BillboardBarsShutdown();

// The camera's rotation turned half a turn about x, so that local x runs
// right and local y down on the screen; translation zero.
Mat4 BillboardBarsMatrix(const Mat4& view);
