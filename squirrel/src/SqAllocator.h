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

// Gives the VM's objects their memory through the hooks above.
struct SQAllocated
{
    static void* operator new(size_t size) { return sq_vm_malloc(size); }
    static void operator delete(void* pointer, size_t size) { sq_vm_free(pointer, size); }
    static void* operator new(size_t, void* place) { return place; }
    static void operator delete(void*, void*) {}
};
