// Fire areas: cells heating, burning, smouldering and cooling along a row,
// and the "fire" effect fed from the burning cells.
#include "core/Hash.h"
#include "fx/EParticleSystem.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementPool.h"
#include "game/FireAreas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// An element that records what the fire hands it; its life time names it.
class RecordingElement : public FXelementBase
{
public:
    void Update(float) override {}
    void Render(const Mat4&) override {}
    void Start() override {}
    void Stop() override {}
    void SetParam2(const void* value, int32_t kind) override
    {
        if (kind != kFXParamEmitPositions)
            return;
        const FXEmitPositions* points = static_cast<const FXEmitPositions*>(value);
        emitCount = points->count;
        emitPositions = points->positions;
        log->push_back(Name() + " emit " + std::to_string(points->count));
    }
    void SetParamScalar(float value, int32_t kind) override
    {
        if (kind == kFXParamRateAdd)
            rate = value;
    }
    void KillInstant() override { log->push_back(Name() + " kill"); }
    void KillByFadeOut(float seconds) override { log->push_back(Name() + " fade " + std::to_string(seconds)); }

    std::string Name() const { return "e" + std::to_string(static_cast<int>(def->lifeTime)); }

    int emitCount = -1;
    const Vec3* emitPositions = nullptr;
    float rate = -1.0f;
    static std::vector<std::string>* log;
};
std::vector<std::string>* RecordingElement::log = nullptr;

void Constant(InterpDef& curve, float value)
{
    curve.Clear();
    curve.AddKey(0.0f, value);
}

void Linear(InterpDef& curve, float t0, float v0, float t1, float v1)
{
    curve.Clear();
    curve.AddKey(t0, v0);
    curve.AddKey(t1, v1);
}

class FireTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingElement::log = &m_log;
        m_previousPool = FXGetElementPool(kFXParticleSystem);
        FXClearDefinitions();
        FXSetElementPool(kFXParticleSystem, &m_pool);
        FXSystemReset();
        GetFireAreas().Clear();

        // Burning cells: intensity 1, one unit of fuel a second, radiance 200;
        // heat factor 1 at the cell, falling to 0 at distance 2 (0.5 at 1).
        m_props.m_initialTemperature = 0.0f;
        m_props.m_ignitionTemperature = 100.0f;
        m_props.m_initialfuelamount = 10.0f;
        m_props.m_AffectRadius = 1.5f;
        Constant(m_props.m_BurnIntensityVsTempInterpD, 1.0f);
        Constant(m_props.m_FuelRateVsTempInterpD, 1.0f);
        Constant(m_props.m_RadianceEnergyVsIntensityInterpD, 200.0f);
        Linear(m_props.m_TempDeltaVsDistanceInterpD, 0.0f, 1.0f, 2.0f, 0.0f);
        Constant(m_props.m_HeatLossVsTempInterpD, 5.0f);
        Linear(m_props.m_SmolderVsTempInterpD, 0.0f, 0.0f, 100.0f, 1.0f);
    }
    void TearDown() override
    {
        GetFireAreas().Clear();
        FXSystemShutdown();
        FXSetElementPool(kFXParticleSystem, m_previousPool);
        FXClearDefinitions();
    }

    // The "fire" effect with two particle systems, named e1 and e2.
    static void AddFireEffect()
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXEffectDef& effect = tables.effects[tables.effectCount++];
        effect = FXEffectDef();
        effect.nameHash = HashString("fire");
        effect.firstElement = tables.elementCount;
        effect.elementCount = 2;
        effect.fadeInDistance = 1000;
        effect.fadeOutDistance = 2000;
        effect.updateWhenFaded = 1;
        for (int i = 1; i <= 2; ++i)
        {
            FXElementDef& element = tables.elements[tables.elementCount++];
            element.Reset();
            element.type = kFXParticleSystem;
            element.lifeTime = static_cast<float>(i);
        }
    }

    // A row of cells one unit apart along x, finalised.
    FireInterface& Row(int count)
    {
        FireAreas& areas = GetFireAreas();
        FireInterface& area = *areas.GetProxyFromID(areas.AddFireArea());
        area.SetNextFireProperties(m_props);
        for (int i = 0; i < count; ++i)
            area.AddCellPoint(Vec3(static_cast<float>(i), 0, 0));
        areas.FinaliseAddingInFireArea(area.GetID());
        return area;
    }

    static std::vector<uint32_t> Burning(FireInterface& area) { return area.Group().Burning(); }
    static std::vector<uint32_t> Smouldering(FireInterface& area) { return area.Group().Smouldering(); }
    static RecordingElement* Element(const FX& effect, int n)
    {
        int index = effect.instance->def->elementCount - 1;
        for (FXElementNode* node = effect.instance->elements; node != nullptr; node = node->next, --index)
            if (index == n)
                return static_cast<RecordingElement*>(node->element);
        return nullptr;
    }

    FireProperties m_props;
    std::vector<std::string> m_log;
    FXElementPoolOf<RecordingElement, 64> m_pool;
    FXElementPool* m_previousPool = nullptr;
};

TEST_F(FireTest, FinalisationSetsStartValuesAndNeighboursStrictlyWithinTheRadius)
{
    m_props.m_AffectRadius = 1.0f;
    m_props.m_initialTemperature = 20.0f;
    FireInterface& area = Row(3);
    const FireCell& middle = area.Group().Cell(1);
    EXPECT_FLOAT_EQ(middle.T, 20.0f);
    EXPECT_FLOAT_EQ(middle.F, 10.0f);
    EXPECT_FLOAT_EQ(middle.k, 1.0f);
    // The cells one unit away lie exactly on the radius.
    EXPECT_TRUE(middle.neighbours.empty());

    GetFireAreas().Clear();
    m_props.m_AffectRadius = 1.5f;
    FireInterface& wider = Row(3);
    const std::vector<FireNeighbour>& neighbours = wider.Group().Cell(1).neighbours;
    ASSERT_EQ(neighbours.size(), 2u);
    EXPECT_EQ(neighbours[0].index, 0u);
    EXPECT_EQ(neighbours[1].index, 2u);
    EXPECT_FLOAT_EQ(neighbours[1].distance, 1.0f);
    EXPECT_FLOAT_EQ(neighbours[1].weight, 0.5f);
}

TEST_F(FireTest, IgnitionNeedsFuelAndAStartBelowTheIgnitionPoint)
{
    struct Case
    {
        const char* name;
        float initialTemperature;
        float fuel;
        float expectedTemperature;
    };
    const Case cases[] = {
        {"cold with fuel", 0.0f, 10.0f, 100.0f},
        {"cold without fuel", 0.0f, 0.0f, 0.0f},
        {"hotter than ignition", 150.0f, 10.0f, 150.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        GetFireAreas().Clear();
        m_props.m_initialTemperature = c.initialTemperature;
        m_props.m_initialfuelamount = c.fuel;
        FireInterface& area = Row(1);
        GetFireAreas().StartFires(Vec3(0, 0, 0.5f), 1.0f);
        EXPECT_FLOAT_EQ(area.Group().Cell(0).T, c.expectedTemperature);
    }
}

TEST_F(FireTest, StartFiresReachesOnlyCellsStrictlyInsideTheRadius)
{
    FireInterface& area = Row(3);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 1.0f);
    EXPECT_FLOAT_EQ(area.Group().Cell(0).T, 100.0f);
    EXPECT_FLOAT_EQ(area.Group().Cell(1).T, 0.0f);
}

TEST_F(FireTest, AHotStartBurnsWithoutBeingStarted)
{
    m_props.m_initialTemperature = 100.0f;
    m_props.m_AffectRadius = 0.5f;
    FireInterface& area = Row(1);
    GetFireAreas().Update(1.0f);
    const FireCell& cell = area.Group().Cell(0);
    EXPECT_EQ(Burning(area), std::vector<uint32_t>{0});
    EXPECT_FLOAT_EQ(cell.I, 1.0f);
    EXPECT_FLOAT_EQ(cell.E, 200.0f);
    EXPECT_FLOAT_EQ(cell.T, 300.0f); // h = k E dt = 200, T += k h
    EXPECT_FLOAT_EQ(cell.F, 9.0f);
}

// Heat passed along the array reaches later cells in the same update, so a
// fire lit at the start runs down the whole row at once; lit at the end, the
// earlier cells only warm up until the next update.
TEST_F(FireTest, HeatReachesLaterCellsInTheSameUpdate)
{
    FireInterface& area = Row(4);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);
    EXPECT_EQ(Burning(area), (std::vector<uint32_t>{0, 1, 2, 3}));

    GetFireAreas().Clear();
    FireInterface& reversed = Row(4);
    GetFireAreas().StartFires(Vec3(3, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);
    EXPECT_EQ(Burning(reversed), std::vector<uint32_t>{3});
    EXPECT_FLOAT_EQ(reversed.Group().Cell(2).T, 100.0f);
    EXPECT_FLOAT_EQ(reversed.Group().Cell(1).T, 0.0f);
    GetFireAreas().Update(1.0f);
    EXPECT_EQ(Burning(reversed), (std::vector<uint32_t>{2, 3}));
    EXPECT_FLOAT_EQ(reversed.Group().Cell(1).T, 100.0f);
}

TEST_F(FireTest, FuelRunningOutLeavesTheCellSmoulderingAndCooling)
{
    m_props.m_initialfuelamount = 0.5f;
    m_props.m_AffectRadius = 0.5f;
    FireInterface& area = Row(1);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);
    const FireCell& cell = area.Group().Cell(0);
    EXPECT_TRUE(Burning(area).empty());
    EXPECT_EQ(Smouldering(area), std::vector<uint32_t>{0});
    EXPECT_FLOAT_EQ(cell.F, 0.0f);
    EXPECT_FLOAT_EQ(cell.L, 5.0f);
    EXPECT_FLOAT_EQ(cell.S, 1.0f);
    EXPECT_FLOAT_EQ(cell.T, 300.0f);

    GetFireAreas().Update(2.0f);
    EXPECT_EQ(Smouldering(area), std::vector<uint32_t>{0});
    EXPECT_FLOAT_EQ(cell.T, 290.0f);
    // Out of fuel, it cannot be lit again.
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    EXPECT_FLOAT_EQ(cell.T, 290.0f);
}

TEST_F(FireTest, LoopingCurvesAreReadAsLooping)
{
    // Intensity curve 0 -> 10 over 0..10, repeating: at T = 15 it reads 5, not 10.
    InterpDef& intensity = m_props.m_BurnIntensityVsTempInterpD;
    Linear(intensity, 0.0f, 0.0f, 10.0f, 10.0f);
    intensity.SetLoop(0, 1, 1000);
    intensity.loop = 1;
    m_props.m_initialTemperature = 115.0f;
    m_props.m_AffectRadius = 0.5f;
    FireInterface& area = Row(1);
    GetFireAreas().Update(0.0f);
    const float plain = 10.0f;
    EXPECT_NE(area.Group().Cell(0).I, plain);
    EXPECT_FLOAT_EQ(area.Group().Cell(0).I, 5.0f);
}

TEST_F(FireTest, CellsAddedAfterFinalisationStayColdUntilTheNextOne)
{
    AddFireEffect();
    FireInterface& area = Row(2);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    // Enough cells to move every earlier one if the store reallocated.
    for (int i = 0; i < 200; ++i)
        area.AddCellPoint(Vec3(0.5f, 0, 0));
    GetFireAreas().StartFires(Vec3(0.5f, 0, 0), 0.1f);
    GetFireAreas().Update(1.0f);
    EXPECT_EQ(Burning(area), (std::vector<uint32_t>{0, 1}));
    EXPECT_FLOAT_EQ(area.Group().Cell(2).T, 0.0f);
    EXPECT_EQ(area.Group().Cell(0).neighbours.size(), 1u);
    // The effect reads no further than the buffer made for the two cells.
    EXPECT_EQ(Element(area.Effect(), 0)->emitCount, 2);

    GetFireAreas().FinaliseAddingInFireArea(area.GetID());
    EXPECT_EQ(area.Group().Cell(0).neighbours.size(), 201u);
    GetFireAreas().StartFires(Vec3(0.5f, 0, 0), 0.1f);
    GetFireAreas().Update(1.0f);
    // The two first cells were reset by the finalisation and, earlier in the
    // array, feel the new cells' heat only after their own turn.
    EXPECT_EQ(Burning(area).size(), 200u);
    EXPECT_EQ(Burning(area).front(), 2u);
    EXPECT_EQ(Element(area.Effect(), 1)->emitCount, 200);
    EXPECT_FLOAT_EQ(Element(area.Effect(), 1)->emitPositions[199].x, 0.5f);
}

TEST_F(FireTest, TheEffectIsCreatedFedAndFadedAndCreatedAgain)
{
    AddFireEffect();
    m_props.m_initialfuelamount = 1.5f;
    FireInterface& area = Row(3);
    EXPECT_FALSE(area.Effect().StillAlive());
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);

    const FX first = area.Effect();
    ASSERT_TRUE(first.StillAlive());
    for (int n = 0; n < 2; ++n)
    {
        RecordingElement* element = Element(first, n);
        ASSERT_NE(element, nullptr);
        ASSERT_EQ(element->emitCount, 3);
        EXPECT_FLOAT_EQ(element->rate, 3 * 0.9f);
        for (int i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(element->emitPositions[i].x, static_cast<float>(i));
    }

    // The fuel runs out in the second update: nothing burns, the effect fades.
    GetFireAreas().Update(1.0f);
    EXPECT_TRUE(Burning(area).empty());
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "e1 fade 0.500000"), m_log.end());
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "e2 fade 0.500000"), m_log.end());

    // A newly burning cell gets a fresh effect, not the fading one.
    area.AddCellPoint(Vec3(10, 0, 0));
    GetFireAreas().FinaliseAddingInFireArea(area.GetID());
    GetFireAreas().StartFires(Vec3(10, 0, 0), 0.5f);
    GetFireAreas().Update(0.1f);
    ASSERT_TRUE(area.Effect().StillAlive());
    EXPECT_FALSE(area.Effect().instance->fadingOut);
    EXPECT_NE(area.Effect().serial, first.serial);
    EXPECT_EQ(Element(area.Effect(), 0)->emitCount, 1);
}

// The effect keeps a pointer into the area's buffer: it must be let go of
// before the buffer is freed, by a new finalisation as by Clear.
TEST_F(FireTest, FinalisationAndClearTakeTheEmissionPointsAwayFirst)
{
    AddFireEffect();
    FireInterface& area = Row(2);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);
    const FX effect = area.Effect();
    ASSERT_TRUE(effect.StillAlive());
    RecordingElement* element = Element(effect, 0);

    m_log.clear();
    GetFireAreas().FinaliseAddingInFireArea(area.GetID());
    EXPECT_EQ(element->emitCount, 0);
    EXPECT_EQ(element->emitPositions, nullptr);
    GetFireAreas().StartFires(Vec3(0, 0, 0), 0.5f);
    GetFireAreas().Update(1.0f);
    ASSERT_EQ(element->emitCount, 2);

    m_log.clear();
    GetFireAreas().Clear();
    EXPECT_EQ(element->emitPositions, nullptr);
    ASSERT_GE(m_log.size(), 2u);
    std::vector<std::string> first(m_log.begin(), m_log.begin() + 2);
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (std::vector<std::string>{"e1 emit 0", "e2 emit 0"}));
    FXStep(0.01f);
    EXPECT_FALSE(effect.StillAlive());
}

TEST_F(FireTest, AreasAreReachedOnlyByLiveIds)
{
    FireAreas& areas = GetFireAreas();
    const uint32_t first = areas.AddFireArea();
    const uint32_t second = areas.AddFireArea();
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(areas.GetProxyFromID(second)->GetID(), second);
    EXPECT_EQ(areas.GetProxyFromID(0), nullptr);
    areas.FinaliseAddingInFireArea(999); // ignored
    areas.Clear();
    EXPECT_EQ(areas.GetProxyFromID(first), nullptr);
    // An id kept across Clear never reaches a new area.
    const uint32_t third = areas.AddFireArea();
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(areas.GetProxyFromID(first), nullptr);
}

// Nothing lights cells near the world origin by itself.
TEST_F(FireTest, CellsAtTheOriginDoNotIgniteOnTheirOwn)
{
    FireInterface& area = Row(1);
    GetFireAreas().Update(1.0f);
    EXPECT_FLOAT_EQ(area.Group().Cell(0).T, 0.0f);
    EXPECT_TRUE(Burning(area).empty());
}
} // namespace
