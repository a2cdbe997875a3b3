#include "game/Prop.h"

Prop::Prop()
{
    m_propInstance.m_owner = RenderInstanceOwner{&m__matrix, &m_flags, nullptr};
}

Prop::~Prop() = default;
