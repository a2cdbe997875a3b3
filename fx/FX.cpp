#include "fx/FX.h"

#include "core/GameTimer.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementPool.h"
#include "fx/FXPool.h"
#include "fx/FXRenderPass.h"
#include "fx/FXSystem.h"
#include "fx/FXTextureSet.h"
#include "fx/FXelementBase.h"

#include <memory>

namespace
{
struct FXSystemState
{
    FXPool<FXInstance, kFXMaxInstances> instances;
    FXPool<FXElementNode, kFXMaxElementNodes> nodes;
    FXElementPool* elementPools[kFXElementTypeCount] = {};
    uint32_t serialCounter = 0;
    FXTimer lodTimer;
    float lodScale = 1.0f;
};

FXSystemState& State()
{
    static const std::unique_ptr<FXSystemState> state(new FXSystemState);
    return *state;
}

bool IsElementType(int32_t type)
{
    return type >= 0 && type < kFXElementTypeCount;
}

void BuildElements(FXInstance& instance)
{
    instance.elementTimer.Start();
    instance.elements = nullptr;
    const FXEffectDef& def = *instance.def;
    if (def.elementCount <= 0)
    {
        instance.dead = 1;
        return;
    }
    for (int i = 0; i < def.elementCount; ++i)
    {
        const FXElementDef* elementDef = FXGetElementDef(def.firstElement + i);
        if (elementDef == nullptr)
            continue;
        FXElementNode* node = FXTakeNode();
        if (node == nullptr)
            continue;
        node->def = elementDef;
        node->element = FXTakeElement(elementDef->type);
        if (node->element == nullptr)
        {
            FXReleaseNode(node);
            continue;
        }
        node->next = instance.elements;
        instance.elements = node;
        node->element->owner = &instance;
        node->element->def = elementDef;
        node->element->Start();
    }
    if (instance.elements == nullptr)
        instance.dead = 1;
}

void DestroyAllInstances()
{
    FXSystemState& state = State();
    while (state.instances.LiveCount() > 0)
    {
        FXInstance* instance = state.instances.Live(state.instances.LiveCount() - 1);
        instance->Destroy();
        state.instances.Release(instance);
    }
}

void EvaluateDistances()
{
    FXSystemState& state = State();
    if (!state.lodTimer.IsStarted())
        state.lodTimer.Start();
    const bool everyone = state.lodTimer.GetTime() > 0.1f;
    for (int i = 0; i < state.instances.LiveCount(); ++i)
    {
        FXInstance& instance = *state.instances.Live(i);
        if (!instance.lodEvaluated)
            instance.EvaluateDistanceFirst();
        else if (everyone)
            instance.EvaluateDistance();
    }
    if (everyone)
        state.lodTimer.Start();
}
} // namespace

FXElementNode* FXTakeNode()
{
    return State().nodes.Take();
}

void FXReleaseNode(FXElementNode* node)
{
    node->next = nullptr;
    node->element = nullptr;
    State().nodes.Release(node);
}

FXelementBase* FXTakeElement(int32_t type)
{
    FXElementPool* pool = IsElementType(type) ? State().elementPools[type] : nullptr;
    return pool != nullptr ? pool->Take() : nullptr;
}

void FXReleaseElement(int32_t type, FXelementBase* element)
{
    FXElementPool* pool = IsElementType(type) ? State().elementPools[type] : nullptr;
    if (pool != nullptr)
        pool->Release(element);
}

void FXSetElementPool(int type, FXElementPool* pool)
{
    if (IsElementType(type))
        State().elementPools[type] = pool;
}

FXElementPool* FXGetElementPool(int type)
{
    return IsElementType(type) ? State().elementPools[type] : nullptr;
}

void FX::CreateFX(uint32_t nameHash, FX& handle)
{
    FXSystemState& state = State();
    // A failed creation leaves a handle that points nowhere.
    handle.instance = nullptr;
    handle.serial = kFXNoSerial;
    FXInstance* instance = state.instances.Take();
    if (instance == nullptr)
        return;
    instance->def = FXFindEffectDef(nameHash);
    if (instance->def == nullptr)
    {
        state.instances.Release(instance);
        return;
    }
    instance->lodEvaluated = 0;
    instance->alive = 1;
    handle.instance = instance;
    handle.serial = state.serialCounter;
    instance->serial = state.serialCounter++;
    instance->dead = 0;
    instance->matrix = Mat4Identity();
    instance->position = Vec3(0, 0, 0);
    instance->velocity = Vec3(0, 0, 0);
    instance->elementTimer.Start();
    instance->fadingOut = 0;
    instance->fade.Place(1.0f);
    instance->fade.SetMaxSpeed(20.0f);
    instance->fade.SetMaxAccel(10.0f);
    instance->lod = state.lodScale;
    BuildElements(*instance);
}

void FX::SetPos(const Vec3& position) const
{
    if (!IsValid())
        return;
    Mat4SetTranslation(instance->matrix, position);
    instance->position = position;
}

void FX::SetMat(const Mat4& matrix) const
{
    if (!IsValid())
        return;
    instance->matrix = matrix;
    instance->position = Mat4GetTranslation(matrix);
}

void FX::SetVelocity(const Vec3& velocity) const
{
    if (IsValid())
        instance->velocity = velocity;
}

void FX::KillInstant() const
{
    if (IsValid())
        instance->KillInstant();
}

void FX::KillByFadeOut(float seconds) const
{
    if (!IsValid())
        return;
    if (seconds == 0.0f)
        instance->KillInstant();
    else
        instance->KillByFadeOut(seconds);
}

FXelementBase* FX::NthElement(int n) const
{
    if (!IsValid())
        return nullptr;
    const int count = instance->def->elementCount;
    // A list shorter than the definition no longer says which element is which.
    if (instance->CountElements() != count)
        return nullptr;
    int index = count - 1;
    for (FXElementNode* node = instance->elements; node != nullptr; node = node->next, --index)
        if (index == n)
            return node->element;
    return nullptr;
}

void FX::SetParticleRateAddNthPrimitive(float value, int32_t kind, int n) const
{
    if (FXelementBase* element = NthElement(n))
        element->SetParamScalar(value, kind);
}

void FX::SetRGBMultiplyNthPrimitive(const Vec3& colour, int32_t kind, int n) const
{
    if (FXelementBase* element = NthElement(n))
        element->SetParam3(&colour, kind);
}

void FX::SetEmitPositionsNthPrimitive(const void* positions, int32_t kind, int n) const
{
    if (FXelementBase* element = NthElement(n))
        element->SetParam2(positions, kind);
}

void FXStep(float dt)
{
    FXSystemState& state = State();
    GameTimeChannelAdvance(1, dt);
    EvaluateDistances();
    for (int i = 0; i < state.instances.LiveCount(); ++i)
    {
        FXInstance& instance = *state.instances.Live(i);
        if (!instance.def->updateWhenFaded && instance.GetFade() == 0.0f)
        {
            instance.fade.Update(dt);
            // Its elements still age: once all are past their lives it is done,
            // or a far one-shot would hold its slot for good.
            instance.CheckElementsFinished();
        }
        else
        {
            instance.Update(dt);
        }
    }
    for (int i = 0; i < state.instances.LiveCount();)
    {
        FXInstance* instance = state.instances.Live(i);
        if (instance->dead || (instance->GetFade() == 0.0f && instance->def->dieWhenFaded))
        {
            instance->Destroy();
            // The last live instance moves into this slot: look at it next.
            state.instances.Release(instance);
        }
        else
        {
            ++i;
        }
    }
}

void FXResetPools()
{
    FXSystemState& state = State();
    DestroyAllInstances();
    state.instances.Reset();
    state.nodes.Reset();
    for (FXElementPool* pool : state.elementPools)
        if (pool != nullptr)
            pool->Reset();
}

void FX::KillAllEffectsInstant()
{
    FXResetPools();
}

void FXSystemReset()
{
    State().lodScale = 1.0f;
    // Restarted at the next step, so a reset evaluates distances afresh
    // even when game time was reset with it.
    State().lodTimer = FXTimer();
    FXReleaseTextures();
    FXCornersResetPlain();
    FXDrawBatchCreate();
    FXResetPools();
}

void FXSystemShutdown()
{
    // Instances point into the definitions: they go first.
    FXResetPools();
    FXClearDefinitions();
    FXReleaseTextures();
    FXDrawBatchDestroy();
}

float FXGetLodScale()
{
    return State().lodScale;
}

void FXSetLodScale(float scale)
{
    State().lodScale = scale;
}

int FXLiveInstanceCount()
{
    return State().instances.LiveCount();
}

FXInstance* FXGetLiveInstance(int index)
{
    FXSystemState& state = State();
    return index >= 0 && index < state.instances.LiveCount() ? state.instances.Live(index) : nullptr;
}

int FXLiveNodeCount()
{
    return State().nodes.LiveCount();
}
