// locgen <data folder>
// Writes the demo's locator files below the data folder:
//   levels/spawns.loc  (version 6) the spawn points of the board's units,
//                      with their kind and count as attributes;
//   levels/flight.loc  (version 5) the dragon's flight path, a closed loop
//                      of 36 points round the board that swings in and out
//                      and rises and dips a little, low over the village.

#include "tools/formats/FileBytes.h"
#include "tools/formats/LocatorWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace
{
constexpr uint32_t kEnemySpawner = 65776;
constexpr uint32_t kPropSpot = 2;
// About ten seconds a lap at 200 units a second.
constexpr float kFlightRadius = 300.0f;
constexpr float kFlightSwing = 60.0f;
constexpr float kFlightHeight = 65.0f;
constexpr float kFlightDip = 10.0f;
constexpr int kFlightPoints = 36;

LocatorFileSpec Spawns()
{
    LocatorFileSpec spec;
    spec.version = 6;
    spec.locators.push_back(LocatorAt(kEnemySpawner, "gate_knights", Vec3(-200, 0, 150), {3, 8}, {"knight"}));
    spec.locators.push_back(LocatorAt(kEnemySpawner, "tower_archers", Vec3(250, 0, 200), {2, 4}, {"archer"}));
    spec.locators.push_back(LocatorAt(kPropSpot, "crate_hill", Vec3(50, 40, -120), {}, {"crate"}));
    spec.locators.push_back(LocatorAt(kPropSpot, "windmill", Vec3(400, 0, -300), {}, {"windmill"}));
    return spec;
}

LocatorFileSpec Flight()
{
    LocatorFileSpec spec;
    spec.version = 5;
    std::vector<Vec3> circle;
    for (int i = 0; i <= kFlightPoints; ++i)
    {
        const float angle = 6.2831853f * float(i % kFlightPoints) / kFlightPoints;
        const float radius = kFlightRadius + kFlightSwing * std::sin(3.0f * angle);
        const float height = kFlightHeight + kFlightDip * std::sin(2.0f * angle);
        circle.push_back(Vec3(radius * std::sin(angle), height, -radius * std::cos(angle)));
    }
    LocatorAddPath(spec, "dragon_flight", circle);
    return spec;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: locgen <data folder>\n");
        return 2;
    }
    const std::filesystem::path data(argv[1]);
    const bool ok = WriteFileBytes((data / "levels/spawns.loc").string(), LocatorWrite(Spawns())) &&
                    WriteFileBytes((data / "levels/flight.loc").string(), LocatorWrite(Flight()));
    return ok ? 0 : 1;
}
