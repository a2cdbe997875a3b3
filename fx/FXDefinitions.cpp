#include "fx/FXDefinitions.h"

#include "cross/AnimBuffer.h"
#include "cross/ModelCache.h"
#include "opengl/ShaderProgram.h"

#include <memory>

void FXElementDef::Reset()
{
    if (shader != nullptr)
        ShaderRelease(shader);
    if (model != nullptr)
        ModelRelease(model);
    if (anim != nullptr)
        AnimRelease(anim);
    // Every field, curves included, goes back to its declared reset value.
    *this = FXElementDef();
}

FXDefinitionTables& FXGetDefinitionTables()
{
    // Several megabytes of curves: on the heap, made once.
    static const std::unique_ptr<FXDefinitionTables> tables(new FXDefinitionTables);
    return *tables;
}

const FXEffectDef* FXFindEffectDef(uint32_t nameHash)
{
    const FXDefinitionTables& tables = FXGetDefinitionTables();
    for (int i = 0; i < tables.effectCount; ++i)
        if (tables.effects[i].nameHash == nameHash)
            return &tables.effects[i];
    return nullptr;
}

const FXElementDef* FXGetElementDef(int index)
{
    const FXDefinitionTables& tables = FXGetDefinitionTables();
    if (index < 0 || index >= tables.elementCount)
        return nullptr;
    return &tables.elements[index];
}

void FXClearDefinitions()
{
    FXDefinitionTables& tables = FXGetDefinitionTables();
    for (int i = 0; i < tables.elementCount; ++i)
        tables.elements[i].Reset();
    for (int i = 0; i < tables.effectCount; ++i)
        tables.effects[i] = FXEffectDef();
    tables.elementCount = 0;
    tables.effectCount = 0;
}
