#include "core/AtomicFile.h"

#include "support/TempDir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
int FilesIn(const std::string& folder)
{
    int count = 0;
    if (DIR* listing = opendir(folder.c_str()))
    {
        while (const dirent* entry = readdir(listing))
            count += entry->d_name[0] != '.';
        closedir(listing);
    }
    return count;
}

struct ReadCase
{
    const char* name;
    std::string content; // written to "f" unless empty and folder
    bool folder;
    size_t maxBytes;
    bool readable;
};

class ReadWholeFileTest : public ::testing::TestWithParam<ReadCase>
{
};
} // namespace

TEST_P(ReadWholeFileTest, ReadsOnlyWholeRegularFilesWithinTheLimit)
{
    TempDir dir;
    if (GetParam().folder)
        ASSERT_TRUE(dir.MakeFolder("f"));
    else
        ASSERT_TRUE(dir.WriteFile("f", GetParam().content));
    std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_EQ(ReadWholeFile(dir.PathOf("f").c_str(), bytes, GetParam().maxBytes), GetParam().readable);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), GetParam().readable ? GetParam().content : "");
}

INSTANTIATE_TEST_SUITE_P(Files, ReadWholeFileTest,
                         ::testing::Values(ReadCase{"Exact", "12345", false, 5, true},
                                           ReadCase{"Empty", "", false, 5, true},
                                           ReadCase{"TooLarge", "123456", false, 5, false},
                                           ReadCase{"Folder", "", true, 100, false}),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

namespace
{
// The flushed replacement and the unflushed one behave alike for readers.
struct Writer
{
    const char* name;
    bool (*write)(const char* path, const void* bytes, size_t length);
};
const Writer kWriters[] = {{"flushed", WriteFileAtomically}, {"unflushed", ReplaceFileAtomically}};
} // namespace

TEST(AtomicFileTest, ReplacesTheWholeFileAndLeavesNothingBehind)
{
    for (const Writer& writer : kWriters)
    {
        TempDir dir;
        const std::string path = dir.PathOf("save");
        ASSERT_TRUE(writer.write(path.c_str(), "first version", 13)) << writer.name;
        ASSERT_TRUE(writer.write(path.c_str(), "2nd", 3)) << writer.name;
        EXPECT_EQ(dir.ReadFile("save"), "2nd") << writer.name;
        EXPECT_EQ(FilesIn(dir.Path()), 1) << writer.name;
    }
}

TEST(AtomicFileTest, AFailedWriteKeepsWhatWasThere)
{
    for (const Writer& writer : kWriters)
    {
        TempDir dir;
        ASSERT_TRUE(dir.MakeFolder("folder"));
        EXPECT_FALSE(writer.write(dir.PathOf("folder").c_str(), "x", 1)) << writer.name;
        EXPECT_FALSE(writer.write(dir.PathOf("missing/save").c_str(), "x", 1)) << writer.name;
        EXPECT_FALSE(writer.write("", "x", 1)) << writer.name;
        EXPECT_FALSE(writer.write(dir.PathOf("null").c_str(), nullptr, 1)) << writer.name;
        EXPECT_EQ(FilesIn(dir.Path()), 1) << writer.name;
        EXPECT_EQ(FilesIn(dir.PathOf("folder")), 0) << writer.name;
    }
}

TEST(AtomicFileTest, TheLockIsExclusiveAndGoesWithItsHolder)
{
    TempDir dir;
    const std::string path = dir.PathOf("board");
    {
        FileLock lock(path.c_str());
        ASSERT_TRUE(lock.IsHeld());
        // Another open of the lock file cannot take it meanwhile.
        const int other = open((path + ".lock").c_str(), O_RDWR);
        ASSERT_GE(other, 0);
        EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
        close(other);
    }
    FileLock again(path.c_str());
    EXPECT_TRUE(again.IsHeld());
    FileLock unusable(dir.PathOf("missing/board").c_str());
    EXPECT_FALSE(unusable.IsHeld());
}

namespace
{
// The id of a process that has ended.
int DeadProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<int>(child);
}
} // namespace

// A writer killed between its write and its rename leaves its temporary; the
// next save of the same file removes it, and only such leftovers.
TEST(AtomicFileTest, ASaveRemovesTheTemporariesOfDeadWritersOfThatFile)
{
    TempDir dir;
    const std::string dead = std::to_string(DeadProcess());
    const std::string self = std::to_string(getpid());
    const std::string parent = std::to_string(getppid());
    struct Leftover
    {
        std::string name;
        bool removed;
    } leftovers[] = {
        {"save.dat." + dead + "-3.tmp", true},
        {"save.dat." + dead + "-0.tmp", true},
        {"save.dat." + self + "-999.tmp", false},   // this process's own
        {"save.dat." + parent + "-1.tmp", false},   // a live writer's
        {"other.dat." + dead + "-1.tmp", false},    // another file's
        {"save.dat2." + dead + "-1.tmp", false},    // another file's
        {"save.dat." + dead + "-.tmp", false},      // not our naming
        {"save.dat." + dead + "-3.tmp.old", false}, // not our naming
        {"save.dat.tmp", false},
    };
    for (const Leftover& leftover : leftovers)
        ASSERT_TRUE(dir.WriteFile(leftover.name, "partial"));
    ASSERT_TRUE(WriteFileAtomically(dir.PathOf("save.dat").c_str(), "whole", 5));
    for (const Leftover& leftover : leftovers)
        EXPECT_EQ(dir.Exists(leftover.name), !leftover.removed) << leftover.name;
    EXPECT_EQ(dir.ReadFile("save.dat"), "whole");
}
