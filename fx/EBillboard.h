#pragma once
// One textured quad at its instance whose size, colour, alpha and spin
// follow curves of the element's age.

#include "core/Interp.h"
#include "fx/FXelementBase.h"

#include <cstdint>

constexpr int kFXMaxBillboards = 512;

class EBillboard : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& instanceMatrix) override;
    void Start() override;
    void Stop() override {}
    void SetParamScalar(float value, int32_t kind) override;

    float size = 0.0f;
    float stretch = 1.0f;
    uint8_t colour[4] = {0, 0, 0, 0};
    float angle = 0.0f;
    float sizeAdd = 0.0f;
    Interp sizeCursor, stretchCursor, redCursor, greenCursor, blueCursor, alphaCursor, spinCursor;
};

void EBillboardInstallPool();
