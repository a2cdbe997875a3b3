#pragma once
// A fixed pool: the objects are made once; taking and releasing never
// allocate and cost O(1), since each object knows its place in the live list.

#include <cstdint>
#include <memory>

template <class T, int N>
class FXPool
{
public:
    static constexpr int kCapacity = N;

    FXPool() : m_objects(new T[N]), m_free(new T*[N]), m_live(new T*[N]) { Reset(); }

    T* Take()
    {
        if (m_freeCount < 1)
            return nullptr;
        T* object = m_free[--m_freeCount];
        object->liveIndex = m_liveCount;
        m_live[m_liveCount++] = object;
        return object;
    }

    void Release(T* object)
    {
        const int32_t index = object->liveIndex;
        if (index < 0 || index >= m_liveCount || m_live[index] != object)
            return; // not live: releasing twice must not corrupt the stacks
        m_free[m_freeCount++] = object;
        T* last = m_live[--m_liveCount];
        m_live[index] = last;
        last->liveIndex = index;
        m_live[m_liveCount] = nullptr;
        object->liveIndex = -1;
    }

    // Every object free, the last one on top.
    void Reset()
    {
        for (int i = 0; i < N; ++i)
        {
            m_free[i] = &m_objects[i];
            m_live[i] = nullptr;
            m_objects[i].liveIndex = -1;
        }
        m_freeCount = N;
        m_liveCount = 0;
    }

    int LiveCount() const { return m_liveCount; }
    int FreeCount() const { return m_freeCount; }
    T* Live(int index) const { return m_live[index]; }
    T& Object(int index) { return m_objects[index]; }

private:
    std::unique_ptr<T[]> m_objects;
    std::unique_ptr<T*[]> m_free;
    std::unique_ptr<T*[]> m_live;
    int32_t m_freeCount = 0;
    int32_t m_liveCount = 0;
};
