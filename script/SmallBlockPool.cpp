#include "script/SmallBlockPool.h"

#include <cstdlib>
#include <cstring>

namespace
{
alignas(16) uint8_t g_blocks[kSmallBlockCount * kSmallBlockSize];
uint8_t* const g_poolStart = g_blocks;
uint8_t* const g_poolEnd = g_blocks + sizeof(g_blocks);

struct FreeBlockStack
{
    FreeBlockStack()
    {
        for (int i = 0; i < kSmallBlockCount; ++i)
            indices[i] = static_cast<uint32_t>(i);
        top = kSmallBlockCount - 1;
    }
    uint32_t indices[kSmallBlockCount];
    int top; // the last taken-able entry; -1 when every block is out
};

FreeBlockStack g_free;
bool g_poolOn = false;

uint32_t BlockIndex(const void* pointer)
{
    return static_cast<uint32_t>((static_cast<const uint8_t*>(pointer) - g_poolStart) / kSmallBlockSize);
}

void* TakeBlock()
{
    const uint32_t index = g_free.indices[g_free.top--];
    return g_poolStart + kSmallBlockSize * index;
}

void GiveBackBlock(const void* pointer)
{
    g_free.indices[++g_free.top] = BlockIndex(pointer);
}

bool CanTakeBlock(size_t size)
{
    return size <= kSmallBlockSize && g_free.top >= 0;
}
} // namespace

bool SmallBlockPoolOwns(const void* pointer)
{
    const uint8_t* p = static_cast<const uint8_t*>(pointer);
    return p >= g_poolStart && p < g_poolEnd;
}

void* SmallBlockAllocate(size_t size)
{
    if (g_poolOn && CanTakeBlock(size))
        return TakeBlock();
    return malloc(size);
}

void* SmallBlockReallocate(void* pointer, size_t oldSize, size_t newSize)
{
    if (!g_poolOn || !SmallBlockPoolOwns(pointer))
        return realloc(pointer, newSize);
    // The block just given back is the one on top, so a small new size keeps
    // the same block and its contents.
    GiveBackBlock(pointer);
    if (CanTakeBlock(newSize))
        return TakeBlock();
    void* moved = malloc(newSize);
    if (moved)
        memcpy(moved, pointer, oldSize < kSmallBlockSize ? oldSize : kSmallBlockSize);
    return moved;
}

void SmallBlockFree(void* pointer)
{
    if (g_poolOn && SmallBlockPoolOwns(pointer))
        GiveBackBlock(pointer);
    else
        free(pointer);
}

void SmallBlockPoolSwitchOn()
{
    g_poolOn = true;
}
bool SmallBlockPoolIsOn()
{
    return g_poolOn;
}
int SmallBlockPoolFreeCount()
{
    return g_free.top + 1;
}

void* sq_vm_malloc(size_t size)
{
    return SmallBlockAllocate(size);
}
void* sq_vm_realloc(void* pointer, size_t oldSize, size_t newSize)
{
    return SmallBlockReallocate(pointer, oldSize, newSize);
}
void sq_vm_free(void* pointer, size_t)
{
    SmallBlockFree(pointer);
}
