// The VM's allocation hooks. Every object the VM creates comes from here, so a host can put a small-block
// pool behind them: 1024 blocks of 128 bytes in one static area, handed out from a stack of free block
// indices. The pool is off until the host switches it on, and nothing switches it off again; blocks taken
// before that are heap blocks and always go back to the heap.
#pragma once

#include <cstddef>
#include <cstdlib>

constexpr int SQ_SMALL_BLOCK_COUNT = 1024;
constexpr size_t SQ_SMALL_BLOCK_SIZE = 128;

// The switch is read on every allocation; with the pool off the hooks are the C heap's own functions.
extern bool g_sqSmallBlockPoolOn;
void* SQPoolMalloc(size_t size);
void SQPoolFree(void* pointer);

inline void* sq_vm_malloc(size_t size)
{
    return g_sqSmallBlockPoolOn ? SQPoolMalloc(size) : malloc(size);
}
void* sq_vm_realloc(void* pointer, size_t oldSize, size_t newSize);
inline void sq_vm_free(void* pointer, size_t)
{
    if (g_sqSmallBlockPoolOn)
        SQPoolFree(pointer);
    else
        free(pointer);
}

// Keeps the blocks of objects the VM makes and drops at a high rate (closures, outers) for the next object of
// the same size rather than handing them back to the heap each time. Sizes round up to 16 bytes, and a
// bounded number of blocks is kept per size. With the small-block pool on, blocks go to and come from the pool
// directly, so its counts stay exact.
class SQBlockCache
{
public:
    SQBlockCache() = default;
    SQBlockCache(const SQBlockCache&) = delete;
    SQBlockCache& operator=(const SQBlockCache&) = delete;
    ~SQBlockCache();

    void* Take(size_t size)
    {
        const size_t k = SizeClass(size);
        if (g_sqSmallBlockPoolOn || k >= CLASS_COUNT)
            return sq_vm_malloc(size);
        FreeBlock* block = lists[k];
        if (!block)
            return sq_vm_malloc((k + 1) * GRAIN); // the whole class, so any later request of it fits
        lists[k] = block->next;
        counts[k]--;
        return block;
    }
    // size is the one the block was taken with.
    void Give(void* block, size_t size)
    {
        const size_t k = SizeClass(size);
        if (g_sqSmallBlockPoolOn || k >= CLASS_COUNT || counts[k] >= KEPT_PER_CLASS)
        {
            sq_vm_free(block, size);
            return;
        }
        FreeBlock* b = static_cast<FreeBlock*>(block);
        b->next = lists[k];
        lists[k] = b;
        counts[k]++;
    }

private:
    static constexpr size_t GRAIN = 16;
    static constexpr size_t CLASS_COUNT = 16; // blocks up to 256 bytes
    static constexpr int KEPT_PER_CLASS = 64;
    struct FreeBlock
    {
        FreeBlock* next;
    };
    static size_t SizeClass(size_t size) { return (size - 1) / GRAIN; }
    FreeBlock* lists[CLASS_COUNT] = {};
    int counts[CLASS_COUNT] = {};
};

// Gives the VM's objects their memory through the hooks above.
struct SQAllocated
{
    static void* operator new(size_t size) { return sq_vm_malloc(size); }
    static void operator delete(void* pointer, size_t size) { sq_vm_free(pointer, size); }
    static void* operator new(size_t, void* place) { return place; }
    static void operator delete(void*, void*) {}
};
