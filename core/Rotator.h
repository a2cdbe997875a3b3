#pragma once
// Turns an angle toward a target the short way round, or spins it at a
// target angular speed. Angles are radians in [0, 2 pi).

#include <cstdint>

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;

// Into [0, 2 pi) in one step; a non-finite angle becomes 0.
float WrapAngle(float angle);
// The signed turn from a to b, at most half a circle either way.
float AngleShortestDifference(float a, float b);

class Rotator
{
public:
    void Reset();

    void SetTargetRot(float angle);
    void SetTargetRotOff();
    void SetAcceleration(float accel) { m_accel = accel; }
    void SetRotSpeedMax(float speed) { m_maxSpeed = speed; }
    void SetTargetRotVel(float velocity) { m_targetVel = velocity; }

    float GetRotation() const { return m_rotation; }
    float GetVelocity() const { return m_velocity; }
    bool IsTurning() const { return m_turning != 0; }
    bool IsLanding() const { return m_landing != 0; }

    void Update(float dt);

private:
    // The landing lasts 0.1 s of the time this rotator is stepped by, so a
    // rotator stepped while the game clock stands still still lands.
    static constexpr float kLandingTime = 0.1f;

    void StartLanding(float decel);
    bool UpdateTurning(float dt);

    float m_accel = 0.0f;
    float m_maxSpeed = 0.0f;
    float m_targetVel = 0.0f;
    float m_rotation = 0.0f;
    uint8_t m_turning = 0;
    uint8_t m_landing = 0;
    float m_landDecel = 0.0f;
    float m_landingElapsed = 0.0f;
    float m_target = 0.0f;
    float m_velocity = 0.0f;
};
