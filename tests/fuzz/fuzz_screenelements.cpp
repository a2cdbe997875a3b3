// Screen element data: layouts, textures by name, imitations, players.
#include "FuzzTarget.h"

#include "core/Hash.h"
#include "frontend/ScreenElementData.h"

namespace
{
Texture* NoTexture(const char*)
{
    return nullptr;
}
void Forget(Texture** holder)
{
    *holder = nullptr;
}
const ScreenTextureSource kNoTextures = {NoTexture, Forget};
} // namespace

FUZZ_TARGET(screenelements)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    ScreenElementDataSetTextureSource(&kNoTextures);
    ScreenElementData set;
    ScreenElementDataRead(set, "frontend", reinterpret_cast<const char*>(data), int(size));
    SetScreenProperties(set, 1280, 720, 0, 0);
    for (const char* name : {"a", "b", "box"})
        ScreenElementDataGetRect(set, HashString(name), 0, 0);
    return 0;
}
