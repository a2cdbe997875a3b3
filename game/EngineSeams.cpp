#include "game/EngineSeams.h"


void SeamFrontEndUpdate(float) {}
