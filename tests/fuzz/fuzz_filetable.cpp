// The file table: the input's first line is an iteration pattern, each further line a file name made
// in the data tree (its bytes the line itself); the tree is mounted, iterated and looked up.
#include "FuzzStreams.h"
#include "FuzzTarget.h"

#include "core/FileTable.h"

#include <string>
#include <vector>

namespace
{
std::vector<std::string> Lines(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size && lines.size() <= 32; ++i)
    {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += char(data[i]);
    }
    return lines;
}

// Parts that would climb out of the tree, or that the host cannot hold, are dropped.
std::string SafeRelative(const std::string& line)
{
    std::string name;
    std::string part;
    const auto endPart = [&]()
    {
        if (!part.empty() && part != "." && part != ".." && part.size() < 200)
            name += (name.empty() ? "" : "/") + part;
        part.clear();
    };
    for (char c : line)
    {
        if (c == '/')
            endPart();
        else if (c != '\0')
            part += c;
    }
    endPart();
    return name.substr(0, 900);
}
} // namespace

FUZZ_TARGET(filetable)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::vector<std::string> lines = Lines(data, size);
    const std::string& folder = FuzzFreshFolder();
    std::vector<std::string> names;
    for (size_t i = 1; i < lines.size(); ++i)
    {
        const std::string name = SafeRelative(lines[i]);
        if (!name.empty() && FuzzWriteFile(folder, "data/" + name, lines[i].data(), lines[i].size()))
            names.push_back(name);
    }
    FuzzMountTree(folder.c_str());
    FileTableIterator it;
    int visited = 0;
    for (it.Begin(lines[0].c_str()); it.NotEqual(FileTableEnd()) && visited < 64; it.Next(), ++visited)
        it.FileName();
    for (const std::string& name : names)
        FileTableFind(name.c_str());
    FileTableFind(lines[0].c_str());
    FuzzReadEveryEntry(data, size, 8);
    FuzzUnmount();
    return 0;
}
