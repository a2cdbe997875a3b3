#include "game/EngineSeams.h"


void SeamFrontEndUpdate(float) {}
void SeamCollisionStep(float) {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamTileTerrainStep(float) {}
void SeamTileTerrainClear() {}
void SeamLoadingScreenFinish() {}
void SeamCollisionRelease() {}
