#pragma once
// A fixed pool of channel records with its list of live records, oldest
// first. Records never move: the pool hands out pointers into one array, a
// stack keeps the freed ones, and the live array is kept dense by moving the
// last live entry into a freed one's place. A record is constructed when it
// is first handed out, so a channel's pools (megabytes) cost no work until
// used and emptying them costs what was used. The memory of a pool that
// goes is kept for the next pool of its size, so a game that connects
// again allocates nothing.

#include "core/RealTimer.h"

#include <cstdint>
#include <memory>
#include <type_traits>

constexpr int kChannelRecordBytes = 512;

enum RecordState
{
    kRecordWaiting = 1,
    kRecordSentAwaitingAck = 2,
    kRecordSent = 3,
};

struct ChannelRecord
{
    int32_t sequence = 0;
    uint8_t data[kChannelRecordBytes];
    int32_t length = 0;
    int32_t kind = 0; // 1 reliable, 0 control or unreliable
    int32_t controlType = 0;
    int32_t state = 0;
    RealTimer timer;
    int32_t sendCount = 0;
    int32_t lastSendTick = -1;
    int32_t readyTick = -1; // the tick a resend timeout made it due again
    ChannelRecord* next = nullptr;
    ChannelRecord* previous = nullptr;
    int32_t liveIndex = -1;
};
// Emptying a pool forgets its records without destroying them.
static_assert(std::is_trivially_destructible_v<ChannelRecord>);

class ChannelRecordPool
{
public:
    // The records and lists of one pool, kept when the pool goes.
    struct Storage;

    explicit ChannelRecordPool(int capacity);
    ~ChannelRecordPool();
    ChannelRecordPool(const ChannelRecordPool&) = delete;
    ChannelRecordPool& operator=(const ChannelRecordPool&) = delete;

    // A free record appended at the tail of the list, or null when the pool is full.
    ChannelRecord* TakeAtTail();
    // Unlinks the record and returns it to the pool.
    void Free(ChannelRecord* record);
    void FreeAll();

    ChannelRecord* Head() const { return m_head; }
    int LiveCount() const { return m_liveCount; }
    int Capacity() const { return m_capacity; }

private:
    int m_capacity;
    std::unique_ptr<Storage> m_storage;
    ChannelRecord** m_free;
    ChannelRecord** m_live;
    // Rooms below this one hold records; those above were never handed out.
    int m_madeCount = 0;
    int m_freeCount = 0;
    int m_liveCount = 0;
    ChannelRecord* m_head = nullptr;
    ChannelRecord* m_tail = nullptr;
};
