#pragma once
// Drives a point along the straight line to a destination with the profile
// of a MoverOneD over the distance travelled.

#include "core/MoverOneD.h"
#include "core/Vec3.h"

class Mover3D
{
public:
    void SetValue(const Vec3& p);
    void SetDestination(const Vec3& p);
    void SetMaxAccel(float accel) { m_distance.SetMaxAccel(accel); }
    void SetMaxSpeed(float speed) { m_distance.SetMaxSpeed(speed); }
    void SetMaxDeccel(float decel) { m_distance.SetMaxDeccel(decel); }

    const Vec3& GetValue() const { return m_current; }
    const Vec3& GetDestination() const { return m_destination; }

    void Update(float dt);

private:
    void Retarget();

    MoverOneD m_distance;
    Vec3 m_start{0, 0, 0};
    Vec3 m_current{0, 0, 0};
    Vec3 m_direction{0, 0, 0};
    Vec3 m_destination{0, 0, 0};
};
