#include "fx/EMesh.h"

#include "fx/FXDefinitions.h"
#include "fx/FXInstance.h"
#include "opengl/GLState.h"

void EMesh::Render(const Mat4& instanceMatrix)
{
    // A model that did not load has nothing to draw.
    if (def->model == nullptr)
        return;
    float age = owner->ElementAge(*def);
    if (age < 0.0f)
        age = 0.0f;
    const Mat4* palette = nullptr;
    if (def->anim != nullptr && def->anim->EvaluateTime(0, age, m_bones))
        palette = m_bones;
    GLPushMatrix();
    GLMultMatrix(instanceMatrix);
    RenderInstance::Submit(&m_instance, def->model, palette, nullptr, age);
    GLPopMatrix();
}
