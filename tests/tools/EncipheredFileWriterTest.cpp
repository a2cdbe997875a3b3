// The enciphered-file writer puts files only inside its tree, under names the reader can key.
#include "support/TempDir.h"
#include "tools/formats/EncipheredFileWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct NameCase
{
    const char* name;
    bool usable;
};

const NameCase kNames[] = {
    {"secret.bin", true},
    {"sub/deeper/secret.bin", true},
    {"..secret/a..b/c...", true}, // dots inside a part are ordinary characters
    {"../escaped.bin", false},
    {"sub/../../escaped.bin", false},
    {"sub/..", false},
    {"..", false},
    {"./secret.bin", false},
    {"sub//secret.bin", false},
    {"sub/", false},
    {"/etc/escaped.bin", false},
    {"sub\\secret.bin", false},
    {"", false},
};

TEST(EncipheredFileWriter, NamesMustStayInsideTheTree)
{
    for (const NameCase& c : kNames)
    {
        std::string why;
        EXPECT_EQ(EncipheredNameUsable(c.name, why), c.usable) << c.name;
        EXPECT_EQ(why.empty(), c.usable) << c.name << ": " << why;
    }
}

TEST(EncipheredFileWriter, RefusedNamesWriteNothing)
{
    TempDir dir;
    ASSERT_TRUE(dir.MakeFolder("a/tree"));
    const char bytes[] = "payload";
    for (const char* name : {"../outside.bin", "x/../../outside.bin"})
    {
        std::string why;
        EXPECT_FALSE(WriteEncipheredFile(dir.PathOf("a/tree").c_str(), name, bytes, sizeof bytes, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
    }
    EXPECT_FALSE(dir.Exists("a/outside.bin"));
    EXPECT_FALSE(dir.Exists("outside.bin"));
    std::string why;
    EXPECT_TRUE(WriteEncipheredFile(dir.PathOf("a/tree").c_str(), "in/side.bin", bytes, sizeof bytes, why)) << why;
    EXPECT_TRUE(dir.Exists("a/tree/in/side.bin"));
}
} // namespace
