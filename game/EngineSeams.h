#pragma once
// Services the spine calls whose subsystems have not landed yet. Each does
// nothing for now; as a subsystem lands, its call here is replaced by the
// real one at the same place in the order.

#include <cstdint>


// The hot-reload dispatch's reload of the terrain.
bool SeamTileTerrainCollisionExists();
void SeamTerrainReload(void* terrain, const char* name);
void SeamFrontEndStart();
void SeamFrontEndUpdate(float dt);
void SeamWorldStepEntities(float dt);
void SeamCollisionStep(float dt);
void SeamLoadingScreenActive(bool& active);
void SeamEntitiesStep(float dt);
void SeamTileTerrainStep(float dt);
void SeamSetPendingInvite(uint64_t lobbyId);
void SeamResetAchievementsAndStats();
void SeamMouseToFrontEnd();
void SeamSetWorldGravity(float gravity);
void SeamTileTerrainClear();
void SeamLoadingScreenFinish();
void SeamCollisionRelease();
void SeamSimulationFinalize();
