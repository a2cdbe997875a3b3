#pragma once
// Positioned rectangles that scripts build menus and HUD pieces from: the
// common base, a sprite of one texture and a sprite that steps through
// frames. Positions and sizes are screen pixels, y down.

#include "core/FixedString.h"
#include "core/Vec2.h"
#include "core/rgba8888.h"

#include <cstdint>
#include <vector>

class Texture;

class FrontendElement
{
public:
    int32_t x = 0;
    int32_t y = 0;
    int32_t height = -1;
    int32_t width = -1;
    FixedString128 name;
    int32_t userValue = 0;
    int32_t StartAlpha = 0;
    int32_t EndAlpha = 0;
    int32_t PanDirection = -1;
    int32_t userValue2 = 0;
    float ExternalAlpha = 255.0f;
    uint8_t visible = 1;

    FrontendElement() = default;
    FrontendElement(const FrontendElement&) = default;
    FrontendElement& operator=(const FrontendElement&) = default;
    // Elements are destroyed through their base by their owners.
    virtual ~FrontendElement() = default;

    virtual void SetPosition(float newX, float newY);
    virtual Vec2 GetPosition() const;
    // Width first.
    virtual Vec2 GetDimensions() const;
    virtual void Init() {}
    virtual void Update(float) {}
    virtual void Play() {}
    virtual void Render() {}
};

// Red in the low byte, as the batch takes colours.
uint32_t PackColour(const rgba8888& colour);

// One more reference to a cached texture; false (no reference taken) for a
// null texture or one that no cache holds.
bool TextureAddReference(Texture* texture);

class Sprite : public FrontendElement
{
public:
    uint8_t initialised = 1;
    Texture* texture = nullptr;
    uint32_t tag = 0;
    float layoutHeight = 0.0f;
    float layoutAspect = 0.0f;
    float Rotation = 0.0f;
    float Scale = 1.0f;
    rgba8888 Color{255, 255, 255, 255};
    uint8_t animated = 0;
    int32_t ShouldRender = 1;
    uint8_t textureBorrowed = 0;

    Sprite() = default;
    // A copy holds its own reference, so either may die first.
    Sprite(const Sprite& other);
    Sprite& operator=(const Sprite& other);
    ~Sprite() override;

    void Init() override { initialised = 1; }
    void Render() override;

    // Loads through the texture cache; without it the sprite has no texture.
    bool SetTexture(const char* path);
    // Another owner's texture: drawn, never released here.
    void SetBorrowedTexture(Texture* borrowed);
    void ReleaseTexture();

protected:
    void DrawTexture(const Texture* drawn) const;
};

class AnimSprite : public Sprite
{
public:
    float AnimationSpeed = 4.0f; // frames per second
    int32_t CurrentFrame = 0;
    float time = 0.0f; // in frames
    uint8_t playing = 1;
    uint8_t finished = 0;
    uint8_t looping = 1;
    int32_t ActAsSprite = 0;
    int32_t ShouldRender = 1;
    std::vector<Texture*> frames;
    std::vector<uint8_t> frameBorrowed;

    AnimSprite() { animated = 1; }
    AnimSprite(const AnimSprite& other);
    AnimSprite& operator=(const AnimSprite& other);
    ~AnimSprite() override;

    void Update(float dt) override;
    void Play() override;
    void Render() override;
    void Stop() { playing = 0; }
    void Step() { ++CurrentFrame; }
    void Reset();

    // False, after a report, when the texture cannot be loaded: no frame is added.
    bool AddTexture(const char* path);
    void AddBorrowedFrame(Texture* borrowed);
    // The frame that `CurrentFrame` names, wrapped into the frame list; null without frames.
    Texture* CurrentTexture() const;
    void ReleaseFrames();

private:
    // The animation's fields and its frames, each frame with its own reference.
    void CopyFramesFrom(const AnimSprite& other);
};
