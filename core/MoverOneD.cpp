#include "core/MoverOneD.h"

#include <cmath>

void MoverOneD::SetValue(float v)
{
    m_value = v;
    m_braking = 0;
}

void MoverOneD::Place(float v)
{
    m_value = v;
    m_destination = v;
    m_velocity = 0.0f;
    m_braking = 0;
}

void MoverOneD::SetDestination(float d)
{
    if (d == m_destination)
        return;
    m_destination = d;
    if (d == m_value || SignOf(m_velocity) != SignOf(d - m_value))
        m_velocity = 0.0f;
    m_braking = 0;
}

void MoverOneD::SetMaxAccel(float accel)
{
    m_maxAccel = accel;
    m_braking = 0;
}

void MoverOneD::SetMaxSpeed(float speed)
{
    m_maxSpeed = speed;
    m_braking = 0;
}

void MoverOneD::Land()
{
    m_value = m_destination;
    m_velocity = 0.0f;
    m_braking = 0;
}

void MoverOneD::Update(float dt)
{
    if (m_value == m_destination)
        return;
    const float remaining = m_destination - m_value;
    const float s = SignOf(remaining);
    if (m_velocity != 0.0f && SignOf(m_velocity) != s)
    {
        Land();
        return;
    }
    if (m_braking)
    {
        m_velocity -= m_maxDecel * s * dt;
    }
    else
    {
        if (m_maxDecel > 0.0f)
        {
            const float stopTime = std::fabs(m_velocity) / m_maxDecel;
            if (m_maxDecel * 0.5f * stopTime * stopTime > std::fabs(remaining))
                m_braking = 1;
        }
        if (!m_braking)
        {
            m_velocity += m_maxAccel * s * dt;
            if (std::fabs(m_velocity) > m_maxSpeed)
                m_velocity = std::copysign(m_maxSpeed, m_velocity);
        }
    }
    m_value += m_velocity * dt;
    if (SignOf(m_destination - m_value) != s)
        Land();
}
