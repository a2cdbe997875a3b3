// The channel record pool: records handed out in a fixed order, freed ones
// first again, none past the capacity, and all of them back after emptying.
#include "online/ChannelRecordPool.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<ChannelRecord*> TakeAll(ChannelRecordPool& pool)
{
    std::vector<ChannelRecord*> taken;
    while (ChannelRecord* record = pool.TakeAtTail())
        taken.push_back(record);
    return taken;
}
} // namespace

TEST(ChannelRecordPool, HandsOutEveryRecordOnceInOrderThenNone)
{
    ChannelRecordPool pool(5);
    const std::vector<ChannelRecord*> taken = TakeAll(pool);
    ASSERT_EQ(taken.size(), 5u);
    for (size_t i = 1; i < taken.size(); ++i)
        EXPECT_EQ(taken[i], taken[i - 1] + 1);
    EXPECT_EQ(pool.LiveCount(), 5);
    EXPECT_EQ(pool.Head(), taken[0]);
    EXPECT_EQ(pool.TakeAtTail(), nullptr);
}

TEST(ChannelRecordPool, FreedRecordsAreTakenAgainLatestFirstBeforeUnusedOnes)
{
    ChannelRecordPool pool(4);
    ChannelRecord* first = pool.TakeAtTail();
    ChannelRecord* second = pool.TakeAtTail();
    pool.Free(first);
    pool.Free(second);
    EXPECT_EQ(pool.Head(), nullptr);
    EXPECT_EQ(pool.TakeAtTail(), second);
    EXPECT_EQ(pool.TakeAtTail(), first);
    EXPECT_EQ(pool.TakeAtTail(), second + 1);
    EXPECT_EQ(pool.Head(), second);
}

TEST(ChannelRecordPool, EmptiedPoolHandsOutFreshRecordsFromTheStart)
{
    ChannelRecordPool pool(3);
    std::vector<ChannelRecord*> taken = TakeAll(pool);
    taken[1]->sequence = 42;
    taken[1]->sendCount = 3;
    pool.Free(taken[2]);
    pool.FreeAll();
    EXPECT_EQ(pool.LiveCount(), 0);
    EXPECT_EQ(pool.Head(), nullptr);
    EXPECT_EQ(taken[0]->liveIndex, -1);

    const std::vector<ChannelRecord*> again = TakeAll(pool);
    EXPECT_EQ(again, taken);
    EXPECT_EQ(again[1]->sequence, 0);
    EXPECT_EQ(again[1]->sendCount, 0);
    EXPECT_EQ(again[1]->lastSendTick, -1);
}
