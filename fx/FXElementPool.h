#pragma once
// The pools element objects come from, one per element type. The element
// kinds install theirs; a type without one gets no elements.

#include "fx/FXPool.h"
#include "fx/FXelementBase.h"

class FXElementPool
{
public:
    virtual ~FXElementPool() = default;
    virtual FXelementBase* Take() = 0;
    virtual void Release(FXelementBase* element) = 0;
    virtual void Reset() = 0;
};

template <class T, int N>
class FXElementPoolOf : public FXElementPool
{
public:
    FXelementBase* Take() override { return m_pool.Take(); }
    void Release(FXelementBase* element) override { m_pool.Release(static_cast<T*>(element)); }
    void Reset() override { m_pool.Reset(); }
    FXPool<T, N>& Pool() { return m_pool; }

private:
    FXPool<T, N> m_pool;
};

// Null empties the type's entry. The pool is not owned.
void FXSetElementPool(int type, FXElementPool* pool);
FXElementPool* FXGetElementPool(int type);
