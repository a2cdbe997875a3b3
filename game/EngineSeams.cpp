#include "game/EngineSeams.h"


void SeamFrontEndUpdate(float) {}
void SeamCollisionStep(float) {}
void SeamTileTerrainStep(float) {}
void SeamSetPendingInvite(uint64_t) {}
void SeamResetAchievementsAndStats() {}
void SeamTileTerrainClear() {}
void SeamCollisionRelease() {}
