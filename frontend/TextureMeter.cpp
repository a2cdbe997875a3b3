#include "frontend/TextureMeter.h"

#include "frontend/Draw2D.h"

void TextureMeter::Init()
{
    Background.Init();
    Bar.Init();
    Foreground.Init();
    BarMask.Init();
    fullSize = Vec2(float(Bar.width), float(Bar.height));
}

void TextureMeter::Update(float dt)
{
    Background.Update(dt);
    Bar.Update(dt);
    Foreground.Update(dt);
    BarMask.Update(dt);
    BarValue = TextureMeterClampValue(BarValue);
    const TextureMeterCut cutFor = TextureMeterCutFor(Type, BarValue);
    cut = Vec2(cutFor.cutX, cutFor.cutY);
    flipX = cutFor.flipX;
    flipY = cutFor.flipY;
}

void TextureMeter::Render()
{
    Background.Render();
    if (const Texture* frame = Bar.CurrentTexture())
        Draw2D::SpriteQuad(Vec2(float(Bar.x), float(Bar.y)), Vec2(float(Bar.width), float(Bar.height)), frame,
                           PackColour(Bar.Color), Bar.Rotation, Bar.Scale, Vec3(cut.x, cut.y, 0.0f), flipX != 0,
                           flipY != 0, BarMask.texture);
    Foreground.Render();
}

void TextureMeter::Terminate()
{
    Background.ReleaseTexture();
    Bar.ReleaseFrames();
    Foreground.ReleaseTexture();
    BarMask.ReleaseTexture();
}
