// The compiler meets every prefix of real scripts (cut anywhere) with an error or a function, never a crash.
#include <squirrel.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadConformance(const char* name)
{
    const char* root = getenv("PENDREL_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : PENDREL_SOURCE_ROOT) + "/tests/squirrel/conformance/" + name,
                     std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

TEST(Compiler, SurvivesEveryPrefixOfRealScripts)
{
    const char* names[] = {"classes.nut", "control_flow.nut", "metamethods.nut", "strings.nut"};
    HSQUIRRELVM v = sq_open(1024);
    for (const char* name : names)
    {
        const std::string source = ReadConformance(name);
        ASSERT_FALSE(source.empty()) << name;
        for (size_t cut = 0; cut < source.size(); cut += 7)
        {
            if (SQ_SUCCEEDED(sq_compilebuffer(v, source.data(), SQInteger(cut), name, SQFalse)))
                sq_pop(v, 1);
        }
    }
    EXPECT_EQ(0, sq_gettop(v));
    sq_close(v);
}

}  // namespace
