#pragma once
// A data tree in a temporary folder for the benchmarks that draw: the demo's
// shader programs copied in as the game finds them, and the files a
// benchmark writes for itself.

#include "core/FolderListing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

class BenchDataTree
{
public:
    // The folder is /tmp/pendrel-bench-<name>-XXXXXX.
    explicit BenchDataTree(const std::string& name)
    {
        std::string pattern = "/tmp/pendrel-bench-" + name + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            m_root = pattern + "/";
    }

    // Ends with '/'; empty when the folder could not be made.
    const std::string& Root() const { return m_root; }

    void Write(const std::string& relative, const void* bytes, size_t size) const
    {
        const std::string path = m_root + relative;
        for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            mkdir(path.substr(0, slash).c_str(), 0755);
        std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(size));
    }
    void Write(const std::string& relative, const std::string& text) const
    {
        Write(relative, text.data(), text.size());
    }
    void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        Write(relative, bytes.data(), bytes.size());
    }

    void CopyShippedShaders() const
    {
        const char* source = getenv("PENDREL_SOURCE_DIR");
        const std::string folder = std::string(source ? source : ".") + "/demo/data/shaders/GLSL/";
        std::vector<FolderItem> programs;
        ListFolder(folder.c_str(), programs);
        for (const FolderItem& program : programs)
        {
            std::ifstream file(folder + program.name, std::ios::binary);
            Write("data/shaders/GLSL/" + program.name,
                  std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
        }
    }

private:
    std::string m_root;
};
