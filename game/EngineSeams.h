#pragma once
// Services the spine calls whose subsystems have not landed yet. Each does
// nothing for now; as a subsystem lands, its call here is replaced by the
// real one at the same place in the order.

#include <cstdint>

void SeamConsoleCreate();
void SeamConsoleDestroy();

// The hot-reload dispatch's reloads of the locator store and the terrain.
void SeamLocatorsReload(const char* name);
bool SeamTileTerrainCollisionExists();
void SeamTerrainReload(void* terrain, const char* name);
void SeamFrontEndStart();
void SeamFrontEndUpdate(float dt);
void SeamEffectsStep(float dt);
void SeamWorldStepEntities(float dt);
void SeamCollisionStep(float dt);
void SeamLoadingScreenActive(bool& active);
void SeamSystemMessagesStep();
void SeamTileTerrainStep(float dt);
void SeamSetPendingInvite(uint64_t lobbyId);
void SeamResetAchievementsAndStats();
void SeamEffectsInit(const char* folder);
void SeamConsoleDrawIfVisible();
void SeamMouseToFrontEnd();
void SeamSetWorldGravity(float gravity);
void SeamConsoleCreateDefaultFont();
void SeamConsoleDestroyDefaultFont();
void SeamSystemMessagesLoadFont(const char* path);
void SeamTileTerrainClear();
void SeamLoadingScreenFinish();
void SeamCollisionRelease();
void SeamSimulationFinalize();
