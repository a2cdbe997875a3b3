#pragma once
// Elements tested on their own: a definition, an owner instance at full fade
// and detail, the draw batch, a view, and game time stepped by hand.

#include "core/GameTimer.h"
#include "core/Random.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXInstance.h"
#include "fx/FXRenderPass.h"
#include "opengl/Frustum.h"

#include <gtest/gtest.h>

class FXElementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GameTimeChannelsReset();
        RandSeed(1234);
        FXDrawBatchCreate();
        m_def.Reset();
        m_instance.matrix = Mat4Identity();
        m_instance.lod = 1.0f;
        m_instance.fade.Place(1.0f);
        m_instance.elementTimer.Start();
        SetEye(Vec3(0, 0, 10));
    }
    void TearDown() override { FXDrawBatchDestroy(); }

    static void Constant(InterpDef& curve, float value)
    {
        curve.Clear();
        curve.AddKey(0.0f, value);
    }

    // A view looking down -z from the eye.
    static void SetEye(const Vec3& eye)
    {
        Mat4 view = Mat4Identity();
        Mat4SetTranslation(view, -eye);
        FXBeginPassView(view);
    }

    template <class Element> void Bind(Element& element)
    {
        element.def = &m_def;
        element.owner = &m_instance;
        element.Start();
    }

    // Game time moves first, as FXStep moves it.
    template <class Element> void Step(Element& element, float dt)
    {
        GameTimeChannelAdvance(1, dt);
        element.Update(dt);
    }

    static FXDrawBatch& Batch() { return *FXGetDrawBatch(); }
    static Vec3 VertexAt(int index)
    {
        const EffectVertex& v = Batch().Vertices()[index];
        return Vec3(v.position[0], v.position[1], v.position[2]);
    }

    FXElementDef m_def;
    FXInstance m_instance;
};
