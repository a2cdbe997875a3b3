#pragma once
// Services the spine calls whose subsystems have not landed yet. Each does
// nothing for now; as a subsystem lands, its call here is replaced by the
// real one at the same place in the order.

#include <cstdint>


// The hot-reload dispatch's reloads of the locator store and the terrain.
void SeamLocatorsReload(const char* name);
bool SeamTileTerrainCollisionExists();
void SeamTerrainReload(void* terrain, const char* name);
void SeamFrontEndUpdate(float dt);
void SeamEffectsStep(float dt);
void SeamWorldStepEntities(float dt);
void SeamCollisionStep(float dt);
void SeamMessageManagerUpdate();
void SeamMessageManagerReset();
void SeamLoadingScreenActive(bool& active);
void SeamEntitiesStep(float dt);
void SeamTileTerrainStep(float dt);
void SeamSetPendingInvite(uint64_t lobbyId);
void SeamResetAchievementsAndStats();
void SeamEffectsInit(const char* folder);
void SeamSetWorldGravity(float gravity);
void SeamTileTerrainClear();
void SeamLoadingScreenFinish();
void SeamCollisionRelease();
void SeamSimulationFinalize();
