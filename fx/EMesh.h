#pragma once
// An effect's model, drawn among the opaque geometry at the instance's
// transform and, when the definition names an animation, posed at the
// element's age each time it is drawn.

#include "cross/AnimBuffer.h"
#include "cross/RenderInstance.h"
#include "fx/FXelementBase.h"

constexpr int kEMeshPoolSize = 16;

class EMesh : public FXelementBase
{
public:
    void Update(float /*dt*/) override {}
    bool IsDrawnInPass(int pass) const override { return pass == 0; }
    void Render(const Mat4& instanceMatrix) override;
    void Start() override {}
    void Stop() override {}
    void SetParamScalar(float /*value*/, int32_t /*kind*/) override {}

    const Mat4* Bones() const { return m_bones; }
    RenderInstance* Instance() { return &m_instance; }

private:
    // The draw reads the model from the definition, so the instance holds
    // no reference of its own.
    RenderInstance m_instance;
    Mat4 m_bones[kAnimMaxJoints];
};
