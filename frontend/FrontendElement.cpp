#include "frontend/FrontendElement.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/Vec3.h"
#include "frontend/Draw2D.h"
#include "opengl/ResourceCache.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"

#include <cmath>

namespace
{
Texture* LoadReported(const char* path)
{
    Texture* loaded = path ? TextureLoad(path, false) : nullptr;
    if (!loaded)
        LogError("Texture not found: %s \n", path ? path : "");
    return loaded;
}

bool IsBuiltinTexture(const Texture* texture)
{
    for (int id = 0; id < kTextureBuiltinCount; ++id)
        if (TextureBuiltin(TextureBuiltinId(id)) == texture)
            return true;
    return false;
}
} // namespace

void FrontendElement::SetPosition(float newX, float newY)
{
    x = static_cast<int32_t>(newX);
    y = static_cast<int32_t>(newY);
}

Vec2 FrontendElement::GetPosition() const
{
    return Vec2(float(x), float(y));
}

Vec2 FrontendElement::GetDimensions() const
{
    return Vec2(float(width), float(height));
}

uint32_t PackColour(const rgba8888& colour)
{
    return uint32_t(colour.r) | (uint32_t(colour.g) << 8) | (uint32_t(colour.b) << 16) |
           (uint32_t(colour.a) << 24);
}

bool TextureAddReference(Texture* texture)
{
    if (!texture)
        return false;
    if (IsBuiltinTexture(texture))
        return true;
    void* found = ResourceCacheFind(texture->m_name, kResourceTexture);
    if (found == texture)
        return true;
    if (found)
    {
        Texture* other = static_cast<Texture*>(found);
        TextureRelease(&other);
    }
    return false;
}

// ---- Sprite

Sprite::Sprite(const Sprite& other) : FrontendElement(other)
{
    *this = other;
}

Sprite& Sprite::operator=(const Sprite& other)
{
    if (this == &other)
        return *this;
    ReleaseTexture();
    FrontendElement::operator=(other);
    initialised = other.initialised;
    tag = other.tag;
    layoutHeight = other.layoutHeight;
    layoutAspect = other.layoutAspect;
    Rotation = other.Rotation;
    Scale = other.Scale;
    Color = other.Color;
    animated = other.animated;
    ShouldRender = other.ShouldRender;
    texture = other.texture;
    // A texture no cache holds stays with its first owner.
    textureBorrowed = other.textureBorrowed || !TextureAddReference(texture);
    return *this;
}

Sprite::~Sprite()
{
    ReleaseTexture();
}

void Sprite::ReleaseTexture()
{
    if (!textureBorrowed)
        TextureRelease(&texture);
    texture = nullptr;
    textureBorrowed = 0;
}

bool Sprite::SetTexture(const char* path)
{
    ReleaseTexture();
    texture = LoadReported(path);
    return texture != nullptr;
}

void Sprite::SetBorrowedTexture(Texture* borrowed)
{
    ReleaseTexture();
    texture = borrowed;
    textureBorrowed = 1;
}

void Sprite::DrawTexture(const Texture* drawn) const
{
    if (!drawn || width <= 0 || height <= 0)
        return;
    Draw2D::SpriteQuad(Vec2(float(x), float(y)), Vec2(float(width), float(height)), drawn, PackColour(Color),
                       Rotation, Scale, Vec3(0.0f, 0.0f, 0.0f), false, false, nullptr);
}

void Sprite::Render()
{
    if (visible && initialised && ShouldRender)
        DrawTexture(texture);
}

// ---- AnimSprite

AnimSprite::AnimSprite(const AnimSprite& other) : Sprite(other)
{
    CopyFramesFrom(other);
}

AnimSprite& AnimSprite::operator=(const AnimSprite& other)
{
    if (this == &other)
        return *this;
    Sprite::operator=(other);
    ReleaseFrames();
    CopyFramesFrom(other);
    return *this;
}

AnimSprite::~AnimSprite()
{
    ReleaseFrames();
}

void AnimSprite::CopyFramesFrom(const AnimSprite& other)
{
    AnimationSpeed = other.AnimationSpeed;
    CurrentFrame = other.CurrentFrame;
    time = other.time;
    playing = other.playing;
    finished = other.finished;
    looping = other.looping;
    ActAsSprite = other.ActAsSprite;
    ShouldRender = other.ShouldRender;
    frames = other.frames;
    frameBorrowed.resize(frames.size());
    for (size_t i = 0; i < frames.size(); ++i)
        frameBorrowed[i] = other.frameBorrowed[i] || !TextureAddReference(frames[i]);
}

void AnimSprite::ReleaseFrames()
{
    for (size_t i = 0; i < frames.size(); ++i)
        if (!frameBorrowed[i])
            TextureRelease(&frames[i]);
    frames.clear();
    frameBorrowed.clear();
}

bool AnimSprite::AddTexture(const char* path)
{
    Texture* loaded = LoadReported(path);
    if (!loaded)
        return false;
    frames.push_back(loaded);
    frameBorrowed.push_back(0);
    return true;
}

void AnimSprite::AddBorrowedFrame(Texture* borrowed)
{
    frames.push_back(borrowed);
    frameBorrowed.push_back(1);
}

void AnimSprite::Update(float dt)
{
    if (!playing || finished)
        return;
    time += AnimationSpeed * dt;
    const int count = int(frames.size());
    if (count > 0)
    {
        // Kept inside one cycle, so that a long run or a negative speed never
        // leaves the frame list or loses precision.
        if (looping)
        {
            time = std::fmod(time, float(count));
            if (time < 0.0f)
                time += float(count);
        }
        else
        {
            time = std::fmin(std::fmax(time, 0.0f), float(count - 1));
        }
        if (!(time >= 0.0f && time < float(count)))
            time = 0.0f;
    }
    else if (!std::isfinite(time) || std::fabs(time) > 1.0e6f)
    {
        time = 0.0f;
    }
    CurrentFrame = int(time);
    if (count > 0)
        CurrentFrame %= count;
    if (!looping && count > 0 && CurrentFrame >= count - 1)
        finished = 1;
}

void AnimSprite::Play()
{
    playing = 1;
    if (finished)
    {
        finished = 0;
        Reset();
    }
}

void AnimSprite::Reset()
{
    // A replay starts from the first frame, not from the accumulated time.
    CurrentFrame = 0;
    time = 0.0f;
}

Texture* AnimSprite::CurrentTexture() const
{
    const int count = int(frames.size());
    if (count == 0)
        return nullptr;
    int frame = CurrentFrame % count;
    if (frame < 0)
        frame += count;
    return frames[size_t(frame)];
}

void AnimSprite::Render()
{
    if (visible && initialised && ShouldRender && !frames.empty())
        DrawTexture(CurrentTexture());
}
