#pragma once
// Temporary data trees for the benchmarks that start the renderer: files
// written below a root (folders made on the way), and the demo's shader
// programs copied in as the game finds them.

#include "core/FolderListing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

inline void BenchWriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void BenchCopyDemoShaders(const std::string& root)
{
    const char* source = getenv("PENDREL_SOURCE_DIR");
    const std::string folder = std::string(source ? source : ".") + "/demo/data/shaders/GLSL/";
    std::vector<FolderItem> programs;
    ListFolder(folder.c_str(), programs);
    for (const FolderItem& program : programs)
    {
        std::ifstream file(folder + program.name, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        BenchWriteFile(root + "data/shaders/GLSL/" + program.name, bytes);
    }
}
