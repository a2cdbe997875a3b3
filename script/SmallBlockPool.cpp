#include "script/SmallBlockPool.h"

#include <squirrel.h>

void* SmallBlockAllocate(size_t size)
{
    return sq_malloc(static_cast<SQUnsignedInteger>(size));
}

void* SmallBlockReallocate(void* pointer, size_t oldSize, size_t newSize)
{
    return sq_realloc(pointer, static_cast<SQUnsignedInteger>(oldSize),
                      static_cast<SQUnsignedInteger>(newSize));
}

void SmallBlockFree(void* pointer)
{
    sq_free(pointer, 0);
}

void SmallBlockPoolSwitchOn()
{
    sq_enablesmallblockpool();
}

bool SmallBlockPoolIsOn()
{
    return sq_smallblockpoolison() != SQFalse;
}

int SmallBlockPoolFreeCount()
{
    return static_cast<int>(sq_smallblockpoolfreecount());
}

bool SmallBlockPoolOwns(const void* pointer)
{
    return sq_smallblockpoolowns(pointer) != SQFalse;
}
