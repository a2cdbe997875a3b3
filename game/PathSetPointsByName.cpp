#include "game/PathSetPointsByName.h"

#include "core/LogError.h"
#include "core/Path.h"
#include "game/LocatorStore.h"

bool PathSetPointsByName(Path& path, const char* name)
{
    path.Clear();
    const LocatorPath* source = LocatorPathFindByName(name);
    if (!source)
    {
        LogError("Could not load path of name: %s", name);
        return false;
    }
    for (uint32_t k = 0; k < source->count; ++k)
    {
        const Vec3* point = PathPointGet(static_cast<int>(source->first + k));
        if (!point || !path.AddPoint(*point))
            return false;
    }
    return true;
}
