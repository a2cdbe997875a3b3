// The screen element manager's files: plain elements of one texture a
// layout, single-variant loads, animated elements with frame lists.
#include "FuzzTarget.h"

#include "core/Hash.h"
#include "frontend/ScreenElementManager.h"

FUZZ_TARGET(screenelementmanager)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    FuzzUseNoScreenTextures();
    const bool singleVariant = size > 0 && (data[size - 1] & 1) != 0;
    ScreenElementManager manager;
    manager.SetScreenProperties(1280, 720, 0, 0);
    manager.Read("frontend", reinterpret_cast<const char*>(data), int(size), singleVariant);
    manager.SetScreenProperties(800, 600, 10, 20);
    for (const char* name : {"box", "spin", "a"})
    {
        manager.Place(HashString(name));
        manager.FindAnimated(HashString(name));
    }
    return 0;
}
