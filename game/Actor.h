#pragma once
// The animated entity behind the script class "Actor". Its render instance
// is embedded and draws under the actor's matrix, visible bit and fade; it is
// handed to the scene (SetRenderInstance) once a model is given.

#include "cross/ActorRenderInstance.h"
#include "game/Entity.h"

#include <cstdint>

class Actor : public Entity
{
public:
    ActorRenderInstance m_actorInstance;
    float m__fade = 1.0f;
    int32_t m__netid = -1;
    // 0 steps the script every step; 1 or 2 only on steps of that parity.
    uint32_t m_stepParity = 0;
    // Recorded when the model is set.
    uint32_t m_collisionSphereCount = 0;
    uint32_t m_actorReserved = 0;

    Actor();
    ~Actor() override;

    // Advances the animation of the embedded instance.
    void Step(float dt) override;
};
