// locgen <data folder>
// Writes the demo's locator files below the data folder:
//   levels/spawns.loc  (version 6) the spawn points of the board's units,
//                      with their kind and count as attributes;
//   levels/flight.loc  (version 5) the dragon's flight path, a closed circle
//                      of 24 points at the height the dragon cruises.

#include "tools/formats/LocatorWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
constexpr uint32_t kEnemySpawner = 65776;
constexpr uint32_t kPropSpot = 2;
// A cruise of 200 units a second turning 36 degrees a second.
constexpr float kFlightRadius = 318.3f;
constexpr float kFlightHeight = 120.0f;
constexpr int kFlightPoints = 24;

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
        circle.push_back(Vec3(kFlightRadius * std::sin(angle), kFlightHeight, -kFlightRadius * std::cos(angle)));
    }
    LocatorAddPath(spec, "dragon_flight", circle);
    return spec;
}

bool Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    FILE* out = fopen(file.string().c_str(), "wb");
    if (!out)
    {
        fprintf(stderr, "locgen: cannot write %s\n", file.string().c_str());
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && written;
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
    const bool ok = Write(data / "levels/spawns.loc", LocatorWrite(Spawns())) &&
                    Write(data / "levels/flight.loc", LocatorWrite(Flight()));
    return ok ? 0 : 1;
}
