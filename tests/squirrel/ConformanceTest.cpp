// Each conformance/<area>.nut prints a run of cases; its output must match <area>.out exactly.
#include "SquirrelRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::string ConformanceDir()
{
    const char* root = getenv("PENDREL_SOURCE_DIR");
    return std::string(root ? root : PENDREL_SOURCE_ROOT) + "/tests/squirrel/conformance";
}

std::vector<std::string> ConformanceScripts()
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(ConformanceDir().c_str()))
    {
        while (dirent* e = readdir(dir))
        {
            std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".nut") == 0)
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

class Conformance : public testing::TestWithParam<std::string>
{
};

TEST_P(Conformance, OutputMatchesExpected)
{
    const std::string base = ConformanceDir() + "/" + GetParam();
    const std::string source = ReadFile(base + ".nut");
    ASSERT_FALSE(source.empty()) << base << ".nut";
    SquirrelRun run = RunSquirrel(source, GetParam() + ".nut");
    ASSERT_TRUE(run.compiled) << run.error << " at " << run.errorLine << ":" << run.errorColumn;
    EXPECT_TRUE(run.ran) << run.error;
    EXPECT_EQ(ReadFile(base + ".out"), run.output);
}

INSTANTIATE_TEST_SUITE_P(Squirrel, Conformance, testing::ValuesIn(ConformanceScripts()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
