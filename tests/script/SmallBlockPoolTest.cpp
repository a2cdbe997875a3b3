#include "script/SmallBlockPool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
// The pool switch stays on once on, so the off case runs first in one test.
TEST(SmallBlockPoolTest, ServesSmallBlocksOnlyOnceSwitchedOn)
{
    void* before = SmallBlockAllocate(64);
    EXPECT_FALSE(SmallBlockPoolOwns(before));
    SmallBlockPoolSwitchOn();
    void* after = SmallBlockAllocate(64);
    EXPECT_TRUE(SmallBlockPoolOwns(after));
    void* large = SmallBlockAllocate(129);
    EXPECT_FALSE(SmallBlockPoolOwns(large));
    // A block taken before the switch goes back to the heap.
    SmallBlockFree(before);
    SmallBlockFree(after);
    SmallBlockFree(large);
    EXPECT_EQ(SmallBlockPoolFreeCount(), kSmallBlockCount);
}

TEST(SmallBlockPoolTest, ReallocatingKeepsTheBlockWhileItFits)
{
    SmallBlockPoolSwitchOn();
    char* block = static_cast<char*>(SmallBlockAllocate(16));
    strcpy(block, "kept");
    char* same = static_cast<char*>(SmallBlockReallocate(block, 16, 128));
    EXPECT_EQ(same, block);
    EXPECT_STREQ(same, "kept");
    char* moved = static_cast<char*>(SmallBlockReallocate(same, 128, 500));
    EXPECT_FALSE(SmallBlockPoolOwns(moved));
    EXPECT_STREQ(moved, "kept");
    SmallBlockFree(moved);
    EXPECT_EQ(SmallBlockPoolFreeCount(), kSmallBlockCount);
}

TEST(SmallBlockPoolTest, ExhaustedPoolFallsBackToTheHeap)
{
    SmallBlockPoolSwitchOn();
    std::vector<void*> blocks;
    for (int i = 0; i < kSmallBlockCount; ++i)
        blocks.push_back(SmallBlockAllocate(8));
    EXPECT_EQ(SmallBlockPoolFreeCount(), 0);
    void* extra = SmallBlockAllocate(8);
    EXPECT_FALSE(SmallBlockPoolOwns(extra));
    SmallBlockFree(extra);
    // The last block out was the first index handed out: index 1023 first.
    EXPECT_EQ(static_cast<char*>(blocks[1]) - static_cast<char*>(blocks[0]),
              -static_cast<long>(kSmallBlockSize));
    for (void* block : blocks)
        SmallBlockFree(block);
    EXPECT_EQ(SmallBlockPoolFreeCount(), kSmallBlockCount);
}
} // namespace
