#include "online/ChannelRecordPool.h"

ChannelRecordPool::ChannelRecordPool(int capacity)
    : m_capacity(capacity), m_records(new ChannelRecord[capacity]), m_free(new ChannelRecord*[capacity]),
      m_live(new ChannelRecord*[capacity])
{
    FreeAll();
}

ChannelRecord* ChannelRecordPool::TakeAtTail()
{
    if (m_freeCount == 0)
        return nullptr;
    ChannelRecord* record = m_free[--m_freeCount];
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
    m_freeCount = 0;
    m_liveCount = 0;
    m_head = m_tail = nullptr;
    // Stacked so that the first record is taken first.
    for (int i = m_capacity - 1; i >= 0; --i)
    {
        m_records[i].liveIndex = -1;
        m_records[i].next = m_records[i].previous = nullptr;
        m_free[m_freeCount++] = &m_records[i];
    }
}
