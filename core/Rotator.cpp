#include "core/Rotator.h"

#include "core/MoverOneD.h"

#include <cmath>

float WrapAngle(float angle)
{
    if (!std::isfinite(angle))
        return 0.0f;
    float wrapped = std::fmod(angle, kTwoPi);
    if (wrapped < 0.0f)
        wrapped += kTwoPi;
    // Adding 2 pi to a tiny negative remainder can round up to 2 pi itself.
    return wrapped >= kTwoPi ? 0.0f : wrapped;
}

float AngleShortestDifference(float a, float b)
{
    const float d = b - a;
    if (std::fabs(d) > kPi)
        return (kTwoPi - std::fabs(d)) * -SignOf(d);
    return d;
}

void Rotator::Reset()
{
    *this = Rotator();
}

void Rotator::SetTargetRot(float angle)
{
    const float target = WrapAngle(angle);
    if (m_turning && target == m_target)
        return;
    m_landing = 0;
    m_turning = 1;
    m_target = target;
}

void Rotator::SetTargetRotOff()
{
    m_turning = 0;
    m_landing = 0;
}

void Rotator::StartLanding(float decel)
{
    m_landingElapsed = 0.0f;
    m_landing = 1;
    m_landDecel = decel;
}

bool Rotator::UpdateTurning(float dt)
{
    m_rotation = WrapAngle(m_rotation);
    const float diff = AngleShortestDifference(m_rotation, m_target);
    m_targetVel = m_maxSpeed * SignOf(diff);
    if (std::fabs(diff) < 0.05f && std::fabs(m_velocity) < 0.05f)
    {
        StartLanding(0.0f);
        m_rotation = m_target;
        m_velocity = 0.0f;
    }
    else if (!m_landing && std::fabs(diff) <= std::fabs(m_velocity * kLandingTime) && SignOf(diff) == SignOf(m_velocity))
    {
        StartLanding(2.0f * (diff - m_velocity * kLandingTime) / (kLandingTime * kLandingTime));
    }
    if (!m_landing)
        return false;
    if (m_landingElapsed <= kLandingTime)
    {
        m_velocity += m_landDecel * dt;
        m_rotation = WrapAngle(m_velocity * dt + m_rotation);
    }
    else
    {
        m_rotation = m_target;
    }
    m_landingElapsed += dt;
    return true;
}

void Rotator::Update(float dt)
{
    if (m_turning && UpdateTurning(dt))
        return;
    m_velocity += m_accel * SignOf(m_targetVel) * dt;
    if (std::fabs(m_targetVel) < std::fabs(m_velocity))
        m_velocity = m_targetVel;
    m_rotation = WrapAngle(m_velocity * dt + m_rotation);
}
