// Screen element data: layouts, textures by name, imitations, players.
#include "FuzzTarget.h"

#include "core/Hash.h"
#include "frontend/ScreenElementData.h"

FUZZ_TARGET(screenelements)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    FuzzUseNoScreenTextures();
    ScreenElementData set;
    ScreenElementDataRead(set, "frontend", reinterpret_cast<const char*>(data), int(size));
    SetScreenProperties(set, 1280, 720, 0, 0);
    for (const char* name : {"a", "b", "box"})
        ScreenElementDataGetRect(set, HashString(name), 0, 0);
    return 0;
}
