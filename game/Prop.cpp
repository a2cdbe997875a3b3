#include "game/Prop.h"

#include "game/TileTerrainManager.h"

Prop::Prop()
{
    m_propInstance.m_owner = RenderInstanceOwner{&m__matrix, &m_flags, nullptr};
}

Prop::~Prop()
{
    // Its drop records drive matrices of its render instance.
    GetTileTerrainManager().RemoveDropsOf(&m_propInstance);
}
