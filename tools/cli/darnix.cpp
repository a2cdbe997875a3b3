// darnix <archive.darnix> <folder>
// Packs every file below the folder, deflated, under its path relative to the
// folder with '/' separators, in sorted order.

#include "tools/formats/ArchiveWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: %s <archive.darnix> <folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder(argv[2]);
    std::error_code error;
    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(folder, error))
        if (item.is_regular_file())
            files.push_back(item.path());
    if (error)
    {
        fprintf(stderr, "darnix: cannot list %s: %s\n", argv[2], error.message().c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());

    ArchiveWriter archive;
    if (!archive.Open(argv[1]))
    {
        fprintf(stderr, "darnix: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const fs::path& file : files)
    {
        std::ifstream input(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
        const std::string name = fs::relative(file, folder).generic_string();
        if (!input.good() && !input.eof())
        {
            fprintf(stderr, "darnix: cannot read %s\n", file.c_str());
            return 1;
        }
        archive.AddMember(name.c_str(), bytes);
    }
    if (!archive.Close())
    {
        fprintf(stderr, "darnix: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
