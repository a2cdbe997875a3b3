#include "game/EngineSeams.h"

void SeamConsoleCreate() {}
void SeamConsoleDestroy() {}

void SeamLocatorsReload(const char*) {}
void SeamFrontEndStart() {}
void SeamFrontEndUpdate(float) {}
void SeamCollisionStep(float) {}
void SeamMessageManagerUpdate() {}
void SeamMessageManagerReset() {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamSystemMessagesStep() {}
void SeamTileTerrainStep(float) {}
void SeamSetPendingInvite(uint64_t) {}
void SeamResetAchievementsAndStats() {}
void SeamConsoleDrawIfVisible() {}
void SeamMouseToFrontEnd() {}
void SeamConsoleCreateDefaultFont() {}
void SeamConsoleDestroyDefaultFont() {}
void SeamSystemMessagesLoadFont(const char*) {}
void SeamTileTerrainClear() {}
void SeamLoadingScreenFinish() {}
void SeamCollisionRelease() {}
