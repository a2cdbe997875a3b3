#pragma once
// Drives one float toward a destination with a maximum acceleration, speed
// and deceleration, landing exactly on it.

#include <cstdint>

// +1 for zero, as the movers and the rotator count it.
inline float SignOf(float v)
{
    return v < 0.0f ? -1.0f : 1.0f;
}

class MoverOneD
{
public:
    void SetValue(float v);
    // Value and destination become v together, with the mover at rest.
    void Place(float v);
    void SetDestination(float d);
    void SetMaxAccel(float accel);
    void SetMaxSpeed(float speed);
    void SetMaxDeccel(float decel) { m_maxDecel = decel; }

    float GetValue() const { return m_value; }
    float GetDestination() const { return m_destination; }
    float GetVelocity() const { return m_velocity; }
    bool IsBraking() const { return m_braking != 0; }

    void Update(float dt);

private:
    void Land();

    float m_destination = 0.0f;
    float m_value = 0.0f;
    float m_maxAccel = 0.0f;
    float m_velocity = 0.0f;
    float m_maxSpeed = 0.0f;
    float m_maxDecel = 0.0f;
    uint8_t m_braking = 0;
};
