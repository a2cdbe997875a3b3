#include "game/EngineSeams.h"

void SeamConsoleCreate() {}
void SeamConsoleDestroy() {}

void SeamLocatorsReload(const char*) {}
bool SeamTileTerrainCollisionExists()
{
    return false;
}
void SeamTerrainReload(void*, const char*) {}
void SeamFrontEndStart() {}
void SeamFrontEndUpdate(float) {}
void SeamEffectsStep(float) {}
void SeamWorldStepEntities(float) {}
void SeamCollisionStep(float) {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamSystemMessagesStep() {}
void SeamTileTerrainStep(float) {}
void SeamSetPendingInvite(uint64_t) {}
void SeamResetAchievementsAndStats() {}
void SeamEffectsInit(const char*) {}
void SeamConsoleDrawIfVisible() {}
void SeamMouseToFrontEnd() {}
void SeamSetWorldGravity(float) {}
void SeamConsoleCreateDefaultFont() {}
void SeamConsoleDestroyDefaultFont() {}
void SeamSystemMessagesLoadFont(const char*) {}
void SeamTileTerrainClear() {}
void SeamLoadingScreenFinish() {}
void SeamCollisionRelease() {}
void SeamSimulationFinalize() {}
