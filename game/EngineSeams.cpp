#include "game/EngineSeams.h"


void SeamLocatorsReload(const char*) {}
bool SeamTileTerrainCollisionExists()
{
    return false;
}
void SeamTerrainReload(void*, const char*) {}
void SeamFrontEndUpdate(float) {}
void SeamEffectsStep(float) {}
void SeamWorldStepEntities(float) {}
void SeamCollisionStep(float) {}
void SeamMessageManagerUpdate() {}
void SeamMessageManagerReset() {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamEntitiesStep(float) {}
void SeamTileTerrainStep(float) {}
void SeamSetPendingInvite(uint64_t) {}
void SeamResetAchievementsAndStats() {}
void SeamEffectsInit(const char*) {}
void SeamSetWorldGravity(float) {}
void SeamTileTerrainClear() {}
void SeamLoadingScreenFinish() {}
void SeamCollisionRelease() {}
void SeamSimulationFinalize() {}
