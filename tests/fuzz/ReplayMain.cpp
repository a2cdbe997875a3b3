// fuzz_replay <target> <file or folder>...
// Runs a fuzz target once over each file given, and over every file below each folder given, in name
// order: the regression corpus replayed under the sanitizers without libFuzzer.
#include "FuzzTarget.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::map<std::string, FuzzEntry>& Targets()
{
    static std::map<std::string, FuzzEntry> targets;
    return targets;
}

std::vector<fs::path> InputsBelow(const fs::path& path)
{
    std::vector<fs::path> inputs;
    if (fs::is_directory(path))
    {
        for (const fs::directory_entry& item : fs::recursive_directory_iterator(path))
            if (item.is_regular_file())
                inputs.push_back(item.path());
        std::sort(inputs.begin(), inputs.end());
    }
    else
        inputs.push_back(path);
    return inputs;
}
} // namespace

bool RegisterFuzzTarget(const char* name, FuzzEntry entry)
{
    Targets()[name] = entry;
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 3 || !Targets().count(argv[1]))
    {
        fprintf(stderr, "usage: %s <target> <file or folder>...\ntargets:", argv[0]);
        for (const auto& target : Targets())
            fprintf(stderr, " %s", target.first.c_str());
        fprintf(stderr, "\n");
        return 2;
    }
    const FuzzEntry entry = Targets()[argv[1]];
    int count = 0;
    for (int i = 2; i < argc; ++i)
    {
        if (!fs::exists(argv[i]))
        {
            fprintf(stderr, "%s: no such input\n", argv[i]);
            return 2;
        }
        for (const fs::path& input : InputsBelow(argv[i]))
        {
            std::ifstream in(input, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            printf("%s\n", input.filename().c_str());
            fflush(stdout);
            entry(bytes.data(), bytes.size());
            ++count;
        }
    }
    printf("%d inputs replayed through %s\n", count, argv[1]);
    return count > 0 ? 0 : 1;
}
