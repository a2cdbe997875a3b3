// Grid files for the grid path finder, as numbers or (first byte odd) as
// names: read, then searched corner to corner and slid against.
#include "FuzzTarget.h"

#include "core/Path.h"
#include "game/GridPathFinder.h"

FUZZ_TARGET(grid)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    if (size == 0)
        return 0;
    GridPathFinder finder;
    if (data[0] & 1)
        finder.UseStrings();
    if (!finder.LoadText(reinterpret_cast<const char*>(data + 1), int(size - 1), "fuzz.grid"))
        return 0;
    finder.SetGridToRealWorld(Vec3(0, 0, 0), Vec3(100, 0, 100));
    finder.AddImpassibleType(uint32_t(finder.GetSquare(1, 1)));
    Path path;
    finder.FindPathRealWorld(path, Vec3(0.5f, 0, 0.5f), Vec3(99.5f, 0, 99.5f));
    Vec3 position = finder.GetWorldPos(0, 0), velocity(300, 0, 200);
    finder.CollisionCheckXZ(position, velocity, 0.1f, finder.GetSquare(1, 0));
    return 0;
}
