#include "game/Actor.h"

Actor::Actor()
{
    m_actorInstance.m_owner = RenderInstanceOwner{&m__matrix, &m_flags, &m__fade};
}

Actor::~Actor() = default;

void Actor::Step(float dt)
{
    m_actorInstance.Step(dt);
}
