#include "game/EngineSeams.h"


void SeamFrontEndUpdate(float) {}
void SeamLoadingScreenActive(bool& active)
{
    active = false;
}
void SeamLoadingScreenFinish() {}
