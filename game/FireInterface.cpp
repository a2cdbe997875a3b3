#include "game/FireInterface.h"

#include "core/Hash.h"
#include "fx/EParticleSystem.h"

namespace
{
constexpr float kRatePerBurningCell = 0.9f;
constexpr float kFadeOutSeconds = 0.5f;
constexpr int kFedElements = 2;
} // namespace

FireInterface::FireInterface(uint32_t id) : m_group(new FireGroup), m_id(id) {}

FireInterface::~FireInterface()
{
    DetachEmitPositions();
    m_effect.KillInstant();
}

void FireInterface::SetNextFireProperties(const FireProperties& properties)
{
    m_group->SetNextProperties(properties);
}

uint32_t FireInterface::AddCellPoint(const Vec3& position)
{
    return m_group->AddCell(position);
}

void FireInterface::Finalise()
{
    DetachEmitPositions();
    m_burningCount = 0;
    m_positions.assign(m_group->CellCount(), Vec3(0, 0, 0));
    m_group->Finalise();
}

void FireInterface::StartFires(const Vec3& point, float radius)
{
    m_group->StartFires(point, radius);
}

void FireInterface::Update(float dt)
{
    m_group->Update(dt);
    if (m_group->Burning().empty())
        m_effect.KillByFadeOut(kFadeOutSeconds);
    else
        FeedEffect();
}

void FireInterface::FeedEffect()
{
    // A fading or killed effect would die under a fire that burns again: a
    // fresh one takes its place.
    const bool usable = m_effect.StillAlive() && !m_effect.instance->fadingOut && !m_effect.instance->dead;
    if (!usable)
    {
        DetachEmitPositions();
        m_effect.KillInstant();
        FX::CreateFX(HashString("fire"), m_effect);
    }
    const std::vector<uint32_t>& burning = m_group->Burning();
    m_burningCount = static_cast<int>(burning.size());
    for (int i = 0; i < m_burningCount; ++i)
        m_positions[i] = m_group->Cell(burning[i]).position;
    const FXEmitPositions points{m_burningCount, m_positions.data()};
    for (int element = 0; element < kFedElements; ++element)
    {
        m_effect.SetEmitPositionsNthPrimitive(&points, kFXParamEmitPositions, element);
        m_effect.SetParticleRateAddNthPrimitive(static_cast<float>(m_burningCount) * kRatePerBurningCell,
                                                kFXParamRateAdd, element);
    }
}

void FireInterface::DetachEmitPositions()
{
    const FXEmitPositions none{0, nullptr};
    for (int element = 0; element < kFedElements; ++element)
        m_effect.SetEmitPositionsNthPrimitive(&none, kFXParamEmitPositions, element);
}
