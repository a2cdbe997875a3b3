#pragma once
// Effects made of the sound, mesh, spawn and light elements, defined in the
// tables directly and stepped with a chosen dt, the camera's anchor at the
// origin so every effect is near and fully faded in.

#include "core/FileTable.h"
#include "core/GameTimer.h"
#include "core/Hash.h"
#include "core/Random.h"
#include "cross/AnimBuffer.h"
#include "cross/LightManager.h"
#include "cross/RenderQueue.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementPool.h"
#include "fx/FXSceneKinds.h"
#include "fx/FxAnchorTable.h"

#include <gtest/gtest.h>

// Helpers any fixture can mix in.
class SceneKindsEffects
{
protected:
    static void SetUpEffects()
    {
        FXClearDefinitions();
        FXInstallSceneKinds();
        FXSystemReset();
        GameTimeChannelsReset();
        LightManagerInstance().DeleteAll();
        RandSeed(1);
        Mat4 view = Mat4Identity();
        const FxAnchorPair pair{&view, nullptr};
        FxAnchorTable_Update(&pair, 1, 0.0f);
    }

    static void TearDownEffects()
    {
        FXSystemShutdown();
        // Other fixtures expect these types to have no pool.
        for (int type : {kFXSound, kFXMesh, kFXSpawn, kFXLight})
            FXSetElementPool(type, nullptr);
        FxAnchorTable_Update(nullptr, 0, 0.0f);
        LightManagerInstance().DeleteAll();
    }

    // For fixtures that mounted a data tree and loaded models from it.
    static void UnmountDataTree()
    {
        RenderQueueClear();
        AnimFreeAll();
        FileWatchInit("");
        FileTableRebuild("no such folder");
    }

    // An effect near enough to live at full fade; its elements follow.
    static FXEffectDef& AddEffect(const char* name)
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXEffectDef& effect = tables.effects[tables.effectCount++];
        effect = FXEffectDef();
        effect.nameHash = HashString(name);
        effect.firstElement = tables.elementCount;
        effect.lodHighDistance = 100;
        effect.lodLowDistance = 200;
        effect.fadeInDistance = 300;
        effect.fadeOutDistance = 400;
        effect.maxRadius = 1;
        effect.updateWhenFaded = 1;
        return effect;
    }

    // Appended to the last effect added.
    static FXElementDef& AddElement(FXEffectDef& effect, int32_t type, float lifeTime)
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXElementDef& element = tables.elements[tables.elementCount++];
        element.Reset();
        element.type = type;
        element.lifeTime = lifeTime;
        ++effect.elementCount;
        return element;
    }

    static void Constant(InterpDef& curve, float value)
    {
        curve.Clear();
        curve.AddKey(0.0f, value);
    }

    static FX Create(const char* name)
    {
        FX handle;
        FX::CreateFX(HashString(name), handle);
        return handle;
    }
};

class SceneKindsTest : public ::testing::Test, protected SceneKindsEffects
{
protected:
    void SetUp() override { SetUpEffects(); }
    void TearDown() override { TearDownEffects(); }
};
