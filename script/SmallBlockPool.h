#pragma once
// The script VM's small-block pool: 1024 blocks of 128 bytes behind the VM's
// own allocations. It serves the many small allocations of a running game
// without heap calls; it stays off until the game is under way (SetInGame),
// and blocks taken before that are heap blocks that go back to the heap.
#include <cstddef>

constexpr int kSmallBlockCount = 1024;
constexpr size_t kSmallBlockSize = 128;

// The VM's allocation hooks, for memory that the VM will own or release.
void* SmallBlockAllocate(size_t size);
void* SmallBlockReallocate(void* pointer, size_t oldSize, size_t newSize);
void SmallBlockFree(void* pointer);

// Switched on once; nothing switches it off again.
void SmallBlockPoolSwitchOn();
bool SmallBlockPoolIsOn();
int SmallBlockPoolFreeCount();
bool SmallBlockPoolOwns(const void* pointer);
