#include "game/EngineSeams.h"


bool SeamTileTerrainCollisionExists()
{
    return false;
}
void SeamTerrainReload(void*, const char*) {}
void SeamFrontEndStart() {}
void SeamFrontEndUpdate(float) {}
void SeamWorldStepEntities(float) {}
void SeamCollisionStep(float) {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamEntitiesStep(float) {}
void SeamTileTerrainStep(float) {}
void SeamSetPendingInvite(uint64_t) {}
void SeamResetAchievementsAndStats() {}
void SeamMouseToFrontEnd() {}
void SeamSetWorldGravity(float) {}
void SeamTileTerrainClear() {}
void SeamLoadingScreenFinish() {}
void SeamCollisionRelease() {}
void SeamSimulationFinalize() {}
