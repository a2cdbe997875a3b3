#pragma once
// A mounted data tree into which tests write terrain collision files built
// by our writer, and small generated grounds to load from it.

#include "game/Terrain.h"
#include "support/DataTreeFixture.h"
#include "tools/formats/TerrainWriter.h"

#include <string>

class TerrainFileTest : public DataTreeTest
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.MakeFolder("data")); }

    // Writes the file below "data/" and mounts the tree again so the table
    // knows it; returns the table name.
    std::string Write(const std::string& name, const TerrainFile& file)
    {
        const std::vector<uint8_t> bytes = TerrainFileWrite(file);
        EXPECT_TRUE(dir.WriteFile("data/" + name, bytes.data(), bytes.size()));
        Mount();
        return name;
    }

    std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(dir.WriteFile("data/" + name, std::string(bytes.begin(), bytes.end())));
        Mount();
        return name;
    }

    bool Load(Terrain& terrain, const TerrainFile& file, const std::string& name = "ground.chterrain")
    {
        return TerrainLoad(terrain, Write(name, file).c_str());
    }
};

// Flat ground at height y over [-size, size] in x and z, of one surface kind.
inline TerrainMesh FlatGround(float size, float y = 0.0f, uint32_t kind = 0)
{
    TerrainMesh mesh;
    mesh.AddQuad(Vec3(-size, y, -size), Vec3(-size, y, size), Vec3(size, y, size), Vec3(size, y, -size), kind);
    return mesh;
}
