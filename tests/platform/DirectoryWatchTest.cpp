#include "support/DataTreeFixture.h"

#include "platform/InotifyWatch.h"
#include "support/ManualClock.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using Changes = std::vector<std::pair<std::string, std::string>>;

class DirectoryWatchTest : public DataTreeTest
{
protected:
    void SetUp() override
    {
        DataTreeTest::SetUp();
        FileTableSetWatch(&watch);
        WriteArchive("data/pack.darnix",
                     {{"x/member.txt", "from archive"}, {"later/m.txt", "archived later"}});
        ASSERT_TRUE(dir.WriteFile("data/a.txt", "first"));
        ASSERT_TRUE(dir.WriteFile("data/b.tmp.txt", "not temporary"));
        ASSERT_TRUE(dir.WriteFile("data/sub/c.txt", "nested"));
        ASSERT_TRUE(dir.WriteFile("windata/w.txt", "platform"));
        WriteEnciphered("e.txt", "enciphered");
        SetStreamListener(&listener);
        Mount();
    }

    void TearDown() override
    {
        DataTreeTest::TearDown();
        FileTableSetWatch(nullptr);
    }

    // Advances the clock and polls as the message pump would.
    void PollAt(double seconds)
    {
        clock.Set(5000000 + static_cast<uint64_t>(seconds * 1e6));
        FileWatchPoll();
    }

    std::string Path(const char* relative) const { return dir.PathOf(relative); }

    ManualClock clock{5000000};
    InotifyWatch watch;
};

// The kernel's limit on queued changes, or 0 when it cannot be read.
long QueuedEventLimit()
{
    long limit = 0;
    if (FILE* file = fopen("/proc/sys/fs/inotify/max_queued_events", "r"))
    {
        if (fscanf(file, "%ld", &limit) != 1)
            limit = 0;
        fclose(file);
    }
    return limit;
}

TEST_F(DirectoryWatchTest, HandsARewriteOverOnceAfterTheLastWriteSettles)
{
    ASSERT_TRUE(dir.WriteFile("data/a.txt", "second"));
    PollAt(0);
    PollAt(0.5);
    EXPECT_TRUE(listener.changed.empty());
    ASSERT_TRUE(dir.WriteFile("data/a.txt", "third")); // pushes the due time on
    PollAt(0.5);
    PollAt(1.2);
    EXPECT_TRUE(listener.changed.empty());
    PollAt(1.6);
    EXPECT_EQ(listener.changed, (Changes{{"a.txt", Path("data/a.txt")}}));
    PollAt(5);
    EXPECT_EQ(listener.changed.size(), 1u);
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
    EXPECT_EQ(ReadAll("a.txt"), "third");
}

TEST_F(DirectoryWatchTest, IgnoresTemporaryAndBackupNames)
{
    for (const char* name :
         {"data/a.txt~", "data/x.tmp1", "data/Y.TMP", "data/~lock.a.txt", "data/sub/c.tmp"})
        ASSERT_TRUE(dir.WriteFile(name, "scratch"));
    PollAt(0);
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
    ASSERT_TRUE(dir.WriteFile("data/b.tmp.txt", "changed"));
    PollAt(0.1);
    PollAt(2);
    EXPECT_EQ(listener.changed, (Changes{{"b.tmp.txt", Path("data/b.tmp.txt")}}));
}

TEST_F(DirectoryWatchTest, RemovingAFileBeforeItSettlesCancelsTheNotice)
{
    ASSERT_TRUE(dir.WriteFile("data/sub/c.txt", "changed"));
    PollAt(0);
    ASSERT_EQ(unlink(Path("data/sub/c.txt").c_str()), 0);
    PollAt(0.5);
    PollAt(2);
    EXPECT_TRUE(listener.changed.empty());
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
}

TEST_F(DirectoryWatchTest, WatchesEveryMountedTree)
{
    ASSERT_TRUE(dir.WriteFile("windata/w.txt", "platform 2"));
    WriteEnciphered("e.txt", "enciphered 2");
    ASSERT_TRUE(dir.WriteFile("data/sub/c.txt", "nested 2"));
    PollAt(0);
    PollAt(1.5);
    // In the order of the names below the root.
    EXPECT_EQ(listener.changed, (Changes{{"sub/c.txt", Path("data/sub/c.txt")},
                                         {"e.txt", Path("encrypteddata/e.txt")},
                                         {"w.txt", Path("windata/w.txt")}}));
    EXPECT_EQ(ReadAll("e.txt"), "enciphered 2");
}

TEST_F(DirectoryWatchTest, AReadOnlyFileIsNotBusyForever)
{
    ASSERT_TRUE(dir.WriteFile("data/a.txt", "locked down"));
    ASSERT_EQ(chmod(Path("data/a.txt").c_str(), 0444), 0);
    PollAt(0);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"a.txt", Path("data/a.txt")}}));
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
}

TEST_F(DirectoryWatchTest, NewNamesAreNotHandedOver)
{
    ASSERT_TRUE(dir.WriteFile("data/new.txt", "new"));
    PollAt(0);
    PollAt(1.5);
    EXPECT_TRUE(listener.changed.empty());
    EXPECT_EQ(FileTableFind("new.txt"), nullptr);
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
}

TEST_F(DirectoryWatchTest, ANewLooseFileOverAnArchiveMemberIsReloadedFromTheLooseFile)
{
    // The folder x is new as well: its files are found when the watch follows it.
    ASSERT_TRUE(dir.WriteFile("data/x/member.txt", "loose now"));
    PollAt(0);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"x/member.txt", Path("data/x/member.txt")}}));
    EXPECT_EQ(ReadAll("x/member.txt"), "loose now");
}

TEST_F(DirectoryWatchTest, FollowsFoldersCreatedWhileRunning)
{
    ASSERT_TRUE(dir.MakeFolder("data/later"));
    PollAt(0);
    ASSERT_TRUE(dir.WriteFile("data/later/m.txt", "written later"));
    PollAt(0.1);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"later/m.txt", Path("data/later/m.txt")}}));
    EXPECT_EQ(ReadAll("later/m.txt"), "written later");
}

TEST_F(DirectoryWatchTest, AFolderMovedInIsWatchedUnderItsNewName)
{
    ASSERT_TRUE(dir.WriteFile("outside/later/m.txt", "moved in"));
    ASSERT_EQ(rename(dir.PathOf("outside/later").c_str(), Path("data/later").c_str()), 0);
    ASSERT_EQ(rename(Path("data/sub").c_str(), Path("data/gone").c_str()), 0);
    PollAt(0);
    ASSERT_TRUE(dir.WriteFile("data/gone/c.txt", "old name is no longer watched"));
    PollAt(0.1);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"later/m.txt", Path("data/later/m.txt")}}));
}

TEST_F(DirectoryWatchTest, ALooseFileOfAnEarlierMountDoesNotTakeOver)
{
    ASSERT_TRUE(dir.WriteFile("data/w.txt", "data copy"));
    ASSERT_TRUE(dir.WriteFile("data/a.txt", "second"));
    PollAt(0);
    PollAt(1.5);
    // The name is known, so the change is handed over, but with the entry
    // of the later mount, which still wins.
    EXPECT_EQ(listener.changed, (Changes{{"a.txt", Path("data/a.txt")}, {"w.txt", Path("windata/w.txt")}}));
    EXPECT_EQ(ReadAll("w.txt"), "platform");
}

TEST_F(DirectoryWatchTest, WithoutAListenerChangesAreDropped)
{
    SetStreamListener(nullptr);
    ASSERT_TRUE(dir.WriteFile("data/a.txt", "second"));
    PollAt(0);
    EXPECT_EQ(GetFileTable().PendingCount(), 0u);
    SetStreamListener(&listener);
    PollAt(2);
    EXPECT_TRUE(listener.changed.empty());
}
TEST_F(DirectoryWatchTest, AFileStillOpenForWritingWaitsForItsWriterToClose)
{
    const int writer = open(Path("data/a.txt").c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "half", 4), 4);
    PollAt(0);
    PollAt(3);
    PollAt(10);
    EXPECT_TRUE(listener.changed.empty()) << "handed over while the writer still held it";
    ASSERT_EQ(write(writer, " and the rest", 13), 13);
    ASSERT_EQ(close(writer), 0);
    PollAt(10.1);
    PollAt(10.5);
    EXPECT_TRUE(listener.changed.empty());
    PollAt(11.5);
    EXPECT_EQ(listener.changed, (Changes{{"a.txt", Path("data/a.txt")}}));
    EXPECT_EQ(ReadAll("a.txt"), "half and the rest");
}

TEST_F(DirectoryWatchTest, AFileRenamedIntoPlaceIsHandedOverWithoutAClose)
{
    ASSERT_TRUE(dir.WriteFile("data/sub/c.txt.saving", "saved by an editor"));
    PollAt(0);
    ASSERT_EQ(rename(Path("data/sub/c.txt.saving").c_str(), Path("data/sub/c.txt").c_str()), 0);
    PollAt(0.1);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"sub/c.txt", Path("data/sub/c.txt")}}));
}

TEST_F(DirectoryWatchTest, AnOverflowedQueueIsMadeGoodByLookingAtTheFolders)
{
    const long limit = QueuedEventLimit();
    if (limit <= 0 || limit > 1000000)
        GTEST_SKIP() << "the queue limit cannot be reached here";
    // Alternate writes to two files outside the table so that the kernel
    // cannot merge them, until the queue is full and drops what follows.
    const int first = open(Path("data/noise1.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    const int second = open(Path("data/noise2.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    for (long i = 0; i < limit / 2 + 100; ++i)
    {
        ASSERT_EQ(write(first, "x", 1), 1);
        ASSERT_EQ(write(second, "x", 1), 1);
    }
    close(first);
    close(second);
    ASSERT_TRUE(dir.WriteFile("data/sub/c.txt", "written after the overflow"));
    PollAt(0);
    PollAt(1.5);
    // Files written just before the watch started may come along: a reload
    // too many is cheap, a lost one is not.
    const std::pair<std::string, std::string> change{"sub/c.txt", Path("data/sub/c.txt")};
    EXPECT_NE(std::find(listener.changed.begin(), listener.changed.end(), change), listener.changed.end());
    EXPECT_EQ(ReadAll("sub/c.txt"), "written after the overflow");
}

TEST_F(DirectoryWatchTest, FoldersLinkingBackToThemselvesAreWatchedOnce)
{
    ASSERT_EQ(symlink(".", Path("data/sub/again").c_str()), 0);
    ASSERT_EQ(symlink("..", Path("data/sub/up").c_str()), 0);
    const size_t before = watch.WatchedFolderCount();
    Mount();
    EXPECT_EQ(watch.WatchedFolderCount(), before);
    ASSERT_TRUE(dir.WriteFile("data/sub/c.txt", "still seen"));
    PollAt(0);
    PollAt(1.5);
    EXPECT_EQ(listener.changed, (Changes{{"sub/c.txt", Path("data/sub/c.txt")}}));
}

TEST_F(DirectoryWatchTest, AFolderCreatedWithALinkBackIsFollowedOnce)
{
    ASSERT_TRUE(dir.MakeFolder("outside/later"));
    ASSERT_EQ(symlink(".", dir.PathOf("outside/later/self").c_str()), 0);
    ASSERT_EQ(symlink("..", dir.PathOf("outside/later/parent").c_str()), 0);
    const size_t before = watch.WatchedFolderCount();
    ASSERT_EQ(rename(dir.PathOf("outside/later").c_str(), Path("data/later").c_str()), 0);
    PollAt(0);
    EXPECT_EQ(watch.WatchedFolderCount(), before + 1);
}
} // namespace
