#pragma once
// The game's world objects as script instances: 100 classes by 4000 slots,
// each slot holding a reference on one live instance. The table calls the
// instances' "constructor", "Created", "Step", "Destroyed" and "destructor"
// methods and answers searches by class, network id and ground distance.
#include "core/Vec3.h"

#include <squirrel.h>

#include <cstdint>
#include <memory>

constexpr int kInstanceTypeCount = 100;
constexpr int kInstanceSlotCount = 4000;
constexpr float kInstanceNearestRange = 10000000.0f;

// What the table may read from the native object of a class family, found by
// the family's type tag: entities give a position, actors also a step parity
// and a network id. Instances of other classes have none of these.
struct InstanceNativeKind
{
    SQUserPointer typeTag = nullptr;
    // False when the object cannot answer (an actor never constructed).
    bool (*position)(const void* native, Vec3& out) = nullptr;
    uint32_t (*stepParity)(const void* native) = nullptr;
    bool (*netId)(const void* native, int32_t& out) = nullptr;
};

void InstanceTableAddNativeKind(const InstanceNativeKind& kind);
// The position of the instance at the stack index when its class belongs to
// a family with positions; false for other values.
bool InstancePositionAt(HSQUIRRELVM vm, SQInteger index, Vec3& position);

struct InstanceTypeRecord
{
    HSQOBJECT classObject;
    uint32_t index = 0;
    uint32_t liveCount = 0;
    // Tells a record apart from a later one in the same entry.
    uint32_t generation = 0;
    const InstanceNativeKind* kind = nullptr;
    // One past the highest slot filled since the record was made.
    uint32_t slotEnd = 0;
};

struct InstanceSlot
{
    HSQOBJECT instance;
    SQUserPointer native = nullptr;
    // Creation serial: InstanceStep leaves alone what was made after it began.
    uint32_t serial = 0;
    bool used = false;
};

class InstanceTable
{
public:
    InstanceTable();
    ~InstanceTable();

    // The class at the stack index; pushes the new instance, or null when the
    // table has no room. The class must be a class.
    void Create(HSQUIRRELVM vm, SQInteger classIndex, const Vec3& position, bool profile);
    void Destroy(HSQUIRRELVM vm, SQInteger instanceIndex, bool profile);
    void Step(HSQUIRRELVM vm, SQInteger classIndex, float dt, uint32_t parity, bool profile);
    void DestroyAllOfType(HSQUIRRELVM vm, SQInteger classIndex, bool profile);
    void ClearAll(HSQUIRRELVM vm, bool profile);
    // Drops every reference without calling scripts: before the VM closes.
    void Release(HSQUIRRELVM vm);

    // Null when the value at the index is no class or has no record.
    InstanceTypeRecord* FindRecord(HSQUIRRELVM vm, SQInteger classIndex);
    const InstanceTypeRecord* RecordAt(int entry) const { return m_records[entry].get(); }
    InstanceSlot* Row(const InstanceTypeRecord& record) { return m_rows[record.index].get(); }

    // The nearest instance of the record within the range, ties to the later slot.
    const InstanceSlot* NearestXZ(const InstanceTypeRecord& record, const Vec3& position, float range);
    bool NetIdOf(const InstanceTypeRecord& record, const InstanceSlot& slot, int32_t& id) const;
    bool PositionOf(const InstanceTypeRecord& record, const InstanceSlot& slot, Vec3& position) const;

private:
    InstanceTypeRecord* MakeRecord(HSQUIRRELVM vm, const HSQOBJECT& classObject);
    void FreeRecord(HSQUIRRELVM vm, InstanceTypeRecord& record);
    // Leaves the instance on the stack top with the table's hold on it gone.
    void TakeOut(HSQUIRRELVM vm, InstanceTypeRecord& record, InstanceSlot& slot);
    bool IsCurrent(uint32_t entry, uint32_t generation) const;

    std::unique_ptr<InstanceTypeRecord> m_records[kInstanceTypeCount];
    std::unique_ptr<InstanceSlot[]> m_rows[kInstanceTypeCount];
    uint32_t m_serial = 1;
};

InstanceTable& GetInstanceTable();
