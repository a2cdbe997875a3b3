// Locator files, whole in memory: read, then every record, path and point
// visited as the store's users visit them.
#include "FuzzTarget.h"

#include "core/Path.h"
#include "game/LocatorFile.h"

FUZZ_TARGET(locators)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    LocatorFile file;
    if (!LocatorFileParse(data, size, "fuzz.loc", file))
        return 0;
    float sum = 0.0f;
    for (const LocatorRecord& locator : file.locators)
    {
        for (uint32_t i = 0; i < locator.numericCount; ++i)
            sum += locator.numeric.at(i);
        for (uint32_t i = 0; i < locator.stringCount; ++i)
            sum += float(locator.strings.at(i).Length());
    }
    Path path;
    for (const LocatorPath& run : file.paths)
    {
        path.Clear();
        for (uint32_t k = 0; k < run.count && k < uint32_t(Path::kMaxPoints); ++k)
            path.AddPoint(file.points.at(size_t(run.first) + k));
        sum += path.GetPosAtDistance(path.GetTotalDistance() * 0.5f, true).position.x;
    }
    volatile float keep = sum;
    (void)keep;
    return 0;
}
