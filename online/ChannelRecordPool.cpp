#include "online/ChannelRecordPool.h"

#include <mutex>
#include <new>
#include <vector>

// Room for one record, left untouched until the record is made there.
struct RecordRoom
{
    alignas(ChannelRecord) unsigned char bytes[sizeof(ChannelRecord)];
};

struct ChannelRecordPool::Storage
{
    explicit Storage(int capacity)
        : capacity(capacity), rooms(new RecordRoom[capacity]), free(new ChannelRecord*[capacity]),
          live(new ChannelRecord*[capacity])
    {
    }
    int capacity;
    std::unique_ptr<RecordRoom[]> rooms;
    std::unique_ptr<ChannelRecord*[]> free;
    std::unique_ptr<ChannelRecord*[]> live;
};

namespace
{
// A few connections' worth of pools; beyond that a pool's memory goes back.
constexpr size_t kMaxSpareStorages = 12;

struct SpareStorages
{
    std::mutex lock;
    std::vector<std::unique_ptr<ChannelRecordPool::Storage>> spare;
};

// Never destroyed: pools held by other statics may go after it at exit.
SpareStorages& Spares()
{
    static SpareStorages* spares = new SpareStorages;
    return *spares;
}
} // namespace

ChannelRecordPool::ChannelRecordPool(int capacity) : m_capacity(capacity)
{
    SpareStorages& spares = Spares();
    {
        std::lock_guard<std::mutex> hold(spares.lock);
        for (auto& storage : spares.spare)
        {
            if (storage->capacity != capacity)
                continue;
            m_storage = std::move(storage);
            storage = std::move(spares.spare.back());
            spares.spare.pop_back();
            break;
        }
    }
    if (!m_storage)
        m_storage = std::make_unique<Storage>(capacity);
    m_free = m_storage->free.get();
    m_live = m_storage->live.get();
}

ChannelRecordPool::~ChannelRecordPool()
{
    SpareStorages& spares = Spares();
    std::lock_guard<std::mutex> hold(spares.lock);
    if (spares.spare.size() < kMaxSpareStorages)
        spares.spare.push_back(std::move(m_storage));
}

ChannelRecord* ChannelRecordPool::TakeAtTail()
{
    // Freed records go again first, the latest freed first; then new ones in order.
    ChannelRecord* record = nullptr;
    if (m_freeCount > 0)
        record = m_free[--m_freeCount];
    else if (m_madeCount < m_capacity)
        record = new (m_storage->rooms[m_madeCount++].bytes) ChannelRecord();
    else
        return nullptr;
    record->liveIndex = m_liveCount;
    m_live[m_liveCount++] = record;
    record->next = nullptr;
    record->previous = m_tail;
    if (m_tail)
        m_tail->next = record;
    else
        m_head = record;
    m_tail = record;
    return record;
}

void ChannelRecordPool::Free(ChannelRecord* record)
{
    if (!record || record->liveIndex < 0)
        return;
    if (record->previous)
        record->previous->next = record->next;
    else
        m_head = record->next;
    if (record->next)
        record->next->previous = record->previous;
    else
        m_tail = record->previous;

    ChannelRecord* last = m_live[--m_liveCount];
    m_live[record->liveIndex] = last;
    last->liveIndex = record->liveIndex;
    record->liveIndex = -1;
    record->next = record->previous = nullptr;
    m_free[m_freeCount++] = record;
}

void ChannelRecordPool::FreeAll()
{
    // Records already handed out are made afresh when taken again; pointers
    // the caller still holds read as free.
    for (int i = 0; i < m_liveCount; ++i)
        m_live[i]->liveIndex = -1;
    m_madeCount = 0;
    m_freeCount = 0;
    m_liveCount = 0;
    m_head = m_tail = nullptr;
}
