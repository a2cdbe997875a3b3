#include "SqAllocator.h"

#include "squirrel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

bool g_sqSmallBlockPoolOn = false;

namespace
{
// Aligned like the heap's blocks, so a pool block can hold any native type.
alignas(alignof(max_align_t)) unsigned char g_blocks[SQ_SMALL_BLOCK_COUNT][SQ_SMALL_BLOCK_SIZE];
uint32_t g_freeIndices[SQ_SMALL_BLOCK_COUNT];
int g_freeCount = 0; // the top of the free stack is g_freeIndices[g_freeCount - 1]

bool InPool(const void* pointer)
{
    const uintptr_t p = reinterpret_cast<uintptr_t>(pointer);
    const uintptr_t start = reinterpret_cast<uintptr_t>(&g_blocks[0][0]);
    return p >= start && p < start + sizeof(g_blocks);
}

uint32_t BlockIndex(const void* pointer)
{
    return uint32_t((static_cast<const unsigned char*>(pointer) - &g_blocks[0][0]) / SQ_SMALL_BLOCK_SIZE);
}

void* TakeBlock()
{
    return g_blocks[g_freeIndices[--g_freeCount]];
}

void GiveBack(const void* pointer)
{
    // a block given back twice must not push the stack past its end
    if (g_freeCount < SQ_SMALL_BLOCK_COUNT)
        g_freeIndices[g_freeCount++] = BlockIndex(pointer);
}
} // namespace

void sq_enablesmallblockpool(void)
{
    if (g_sqSmallBlockPoolOn)
        return;
    // The last index is taken first: the stack holds 0 .. 1023 with 1023 on top.
    for (int i = 0; i < SQ_SMALL_BLOCK_COUNT; i++)
        g_freeIndices[i] = uint32_t(i);
    g_freeCount = SQ_SMALL_BLOCK_COUNT;
    g_sqSmallBlockPoolOn = true;
}

SQBool sq_smallblockpoolison(void)
{
    return g_sqSmallBlockPoolOn ? SQTrue : SQFalse;
}

SQInteger sq_smallblockpoolfreecount(void)
{
    return g_sqSmallBlockPoolOn ? SQInteger(g_freeCount) : SQInteger(SQ_SMALL_BLOCK_COUNT);
}

SQBool sq_smallblockpoolowns(const void* pointer)
{
    return InPool(pointer) ? SQTrue : SQFalse;
}

SQBlockCache::~SQBlockCache()
{
    for (FreeBlock*& list : lists)
    {
        while (list)
        {
            FreeBlock* next = list->next;
            sq_vm_free(list, 0);
            list = next;
        }
    }
}

void* SQPoolMalloc(size_t size)
{
    if (size <= SQ_SMALL_BLOCK_SIZE && g_freeCount > 0)
        return TakeBlock();
    return malloc(size);
}

void* sq_vm_realloc(void* pointer, size_t oldSize, size_t newSize)
{
    if (!g_sqSmallBlockPoolOn || !InPool(pointer))
        return realloc(pointer, newSize ? newSize : 1);
    GiveBack(pointer);
    if (newSize <= SQ_SMALL_BLOCK_SIZE)
        return TakeBlock(); // the block just given back: same place, contents kept
    void* moved = malloc(newSize);
    if (!moved)
    {
        TakeBlock(); // a failed reallocation leaves the old block in place
        return nullptr;
    }
    memcpy(moved, pointer, oldSize < SQ_SMALL_BLOCK_SIZE ? oldSize : SQ_SMALL_BLOCK_SIZE);
    return moved;
}

void SQPoolFree(void* pointer)
{
    if (InPool(pointer))
        GiveBack(pointer);
    else
        free(pointer);
}

void* sq_malloc(SQUnsignedInteger size)
{
    return sq_vm_malloc(size);
}
void* sq_realloc(void* p, SQUnsignedInteger oldsize, SQUnsignedInteger newsize)
{
    return sq_vm_realloc(p, oldsize, newsize);
}
void sq_free(void* p, SQUnsignedInteger size)
{
    sq_vm_free(p, size);
}
