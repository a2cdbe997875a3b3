#include "fx/EBillboard.h"

#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementPool.h"
#include "fx/FXInstance.h"
#include "fx/FXRenderPass.h"

namespace
{
constexpr float kTwoPi = 6.2831854820251465f;

enum FXBillboardMode : int32_t
{
    kFXBillboardNone = 0,
    kFXBillboardNormal = 1,
    kFXBillboardPseudo = 2,
};

void AddCornerVertex(FXDrawBatch& batch, const FXCornerSet& corners, int corner, const Vec3& at)
{
    batch.SetTexcoord(corners.uv[corner][0], corners.uv[corner][1]);
    batch.AddVertex(at.x, at.y, at.z);
}
} // namespace

void EBillboard::Start()
{
    sizeCursor.SetDef(&def->sizeCurve);
    stretchCursor.SetDef(&def->stretchCurve);
    redCursor.SetDef(&def->redCurve);
    greenCursor.SetDef(&def->greenCurve);
    blueCursor.SetDef(&def->blueCurve);
    alphaCursor.SetDef(&def->alphaCurve);
    spinCursor.SetDef(&def->spinSpeedCurve);
    sizeAdd = FXRandomUnit() * def->sizeRandomAddMax;
    size = sizeCursor.GetVatT(0.0f) + sizeAdd;
    stretch = stretchCursor.GetVatT(0.0f);
    colour[0] = FXColourByte(redCursor.GetVatT(0.0f) * 255.0f);
    colour[1] = FXColourByte(greenCursor.GetVatT(0.0f) * 255.0f);
    colour[2] = FXColourByte(blueCursor.GetVatT(0.0f) * 255.0f);
    colour[3] = 0;
    angle = 0.0f;
    if (def->randomStartRotation)
        angle = FXRandomUnit() * kTwoPi;
}

void EBillboard::Update(float dt)
{
    const float age = Age();
    size = sizeAdd + sizeCursor.GetVatT(age);
    stretch = stretchCursor.GetVatT(age);
    colour[0] = FXColourByte(redCursor.GetVatT(age) * 255.0f);
    colour[1] = FXColourByte(greenCursor.GetVatT(age) * 255.0f);
    colour[2] = FXColourByte(blueCursor.GetVatT(age) * 255.0f);
    colour[3] = FXColourByte(owner->GetFade() * 255.0f * alphaCursor.GetVatT(age));
    angle += spinCursor.GetVatT(age) * dt;
}

void EBillboard::SetParamScalar(float value, int32_t kind)
{
    if (kind == kFXParamSizeAdd)
        sizeAdd += value;
}

void EBillboard::Render(const Mat4& instanceMatrix)
{
    FXDrawBatch* batch = FXGetDrawBatch();
    if (batch == nullptr)
        return;
    const Vec3 p = Mat4GetTranslation(instanceMatrix);
    batch->BeginItem(def->texture, def->blend);
    batch->SetColour(colour[0], colour[1], colour[2], colour[3]);
    batch->SetStrip(true);
    const float s = size * FXDistanceScale(*def, p);
    const FXCornerSet& corners = FXGetCorners();
    if (def->billboardMode == kFXBillboardPseudo)
    {
        Vec3 at[4];
        FXCornersPseudo(p, Vec3(instanceMatrix[8], instanceMatrix[9], instanceMatrix[10]), angle, stretch, s, at);
        for (int i = 0; i < 4; ++i)
            AddCornerVertex(*batch, corners, i, at[i]);
    }
    else
    {
        if (def->billboardMode == kFXBillboardNone)
            FXCornersOriented(instanceMatrix, angle, stretch);
        else
            FXCornersFacing(angle, stretch);
        for (int i = 0; i < 4; ++i)
            AddCornerVertex(*batch, corners, i, p + corners.corners[i] * s);
    }
    batch->EndItem();
}

void EBillboardInstallPool()
{
    static FXElementPoolOf<EBillboard, kFXMaxBillboards> pool;
    FXSetElementPool(kFXBillboard, &pool);
}
