#include "core/Mover3D.h"

void Mover3D::SetValue(const Vec3& p)
{
    m_start = p;
    m_current = p;
    Retarget();
}

void Mover3D::SetDestination(const Vec3& p)
{
    m_destination = p;
    m_start = m_current;
    Retarget();
}

void Mover3D::Retarget()
{
    m_direction = m_destination - m_start;
    m_distance.SetValue(0.0f);
    m_distance.SetDestination(Vec3Length(m_direction));
    // A zero direction stays zero, so the point cannot move.
    Vec3Normalize(m_direction);
}

void Mover3D::Update(float dt)
{
    m_distance.Update(dt);
    m_current = m_start + m_direction * m_distance.GetValue();
}
