#include "game/InstanceTable.h"

#include "core/LogError.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"


namespace
{
constexpr int kNativeKindLimit = 8;

struct NativeKinds
{
    InstanceNativeKind kinds[kNativeKindLimit];
    int count = 0;
};
NativeKinds g_nativeKinds;
InstanceTable g_instanceTable;

SQInteger AbsoluteIndex(HSQUIRRELVM vm, SQInteger index)
{
    return index < 0 ? sq_gettop(vm) + index + 1 : index;
}

bool SameObject(const HSQOBJECT& a, const HSQOBJECT& b)
{
    return a._type == b._type && a._unVal.pRefCounted == b._unVal.pRefCounted;
}

const InstanceNativeKind* KindOfTag(SQUserPointer tag)
{
    for (int i = 0; i < g_nativeKinds.count; ++i)
        if (tag && g_nativeKinds.kinds[i].typeTag == tag)
            return &g_nativeKinds.kinds[i];
    return nullptr;
}

// The nearest family in the class's chain of bases that the table knows.
const InstanceNativeKind* KindOfClass(HSQUIRRELVM vm, const HSQOBJECT& classObject)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushobject(vm, classObject);
    const InstanceNativeKind* kind = nullptr;
    while (!kind && sq_gettype(vm, -1) == OT_CLASS)
    {
        SQUserPointer tag = nullptr;
        sq_gettypetag(vm, -1, &tag);
        kind = KindOfTag(tag);
        sq_getbase(vm, -1);
    }
    sq_settop(vm, top);
    return kind;
}

void CallMethod(HSQUIRRELVM vm, const char* method, bool profile)
{
    ScriptCallMethod(vm, -1, method, 0, profile);
}
} // namespace

void InstanceTableAddNativeKind(const InstanceNativeKind& kind)
{
    for (int i = 0; i < g_nativeKinds.count; ++i)
    {
        if (g_nativeKinds.kinds[i].typeTag == kind.typeTag)
        {
            g_nativeKinds.kinds[i] = kind;
            return;
        }
    }
    if (g_nativeKinds.count < kNativeKindLimit)
        g_nativeKinds.kinds[g_nativeKinds.count++] = kind;
}

bool InstancePositionAt(HSQUIRRELVM vm, SQInteger index, Vec3& position)
{
    index = AbsoluteIndex(vm, index);
    SQUserPointer native = nullptr;
    if (sq_gettype(vm, index) != OT_INSTANCE || SQ_FAILED(sq_getinstanceup(vm, index, &native, nullptr)) || !native)
        return false;
    sq_getclass(vm, index);
    HSQOBJECT classObject;
    sq_getstackobj(vm, -1, &classObject);
    const InstanceNativeKind* kind = KindOfClass(vm, classObject);
    sq_pop(vm, 1);
    return kind && kind->position && kind->position(native, position);
}

InstanceTable::InstanceTable() = default;
InstanceTable::~InstanceTable() = default;

InstanceTypeRecord* InstanceTable::FindRecord(HSQUIRRELVM vm, SQInteger classIndex)
{
    HSQOBJECT classObject;
    sq_getstackobj(vm, classIndex, &classObject);
    if (classObject._type != OT_CLASS)
        return nullptr;
    for (auto& record : m_records)
        if (record && SameObject(record->classObject, classObject))
            return record.get();
    return nullptr;
}

InstanceTypeRecord* InstanceTable::MakeRecord(HSQUIRRELVM vm, const HSQOBJECT& classObject)
{
    for (uint32_t entry = 0; entry < kInstanceTypeCount; ++entry)
    {
        if (m_records[entry])
            continue;
        auto record = std::make_unique<InstanceTypeRecord>();
        record->classObject = classObject;
        sq_addref(vm, &record->classObject);
        record->index = entry;
        record->generation = m_serial++;
        record->kind = KindOfClass(vm, classObject);
        if (!m_rows[entry])
            m_rows[entry] = std::make_unique<InstanceSlot[]>(kInstanceSlotCount);
        m_records[entry] = std::move(record);
        return m_records[entry].get();
    }
    return nullptr;
}

// Instances still held (made by a script while its class was being
// destroyed) are let go without further calls.
void InstanceTable::FreeRecord(HSQUIRRELVM vm, InstanceTypeRecord& record)
{
    InstanceSlot* row = Row(record);
    for (uint32_t i = 0; i < record.slotEnd; ++i)
    {
        if (!row[i].used)
            continue;
        sq_release(vm, &row[i].instance);
        row[i] = InstanceSlot();
    }
    sq_release(vm, &record.classObject);
    m_records[record.index].reset();
}

bool InstanceTable::IsCurrent(uint32_t entry, uint32_t generation) const
{
    return m_records[entry] && m_records[entry]->generation == generation;
}

void InstanceTable::TakeOut(HSQUIRRELVM vm, InstanceTypeRecord& record, InstanceSlot& slot)
{
    sq_pushobject(vm, slot.instance);
    sq_release(vm, &slot.instance);
    slot = InstanceSlot();
    --record.liveCount;
}

// The slot holds the instance and the count includes it before any script
// runs, so a "constructor" or "Created" that destroys it finds it in place.
void InstanceTable::Create(HSQUIRRELVM vm, SQInteger classIndex, const Vec3& position, bool profile)
{
    classIndex = AbsoluteIndex(vm, classIndex);
    HSQOBJECT classObject;
    sq_getstackobj(vm, classIndex, &classObject);
    InstanceTypeRecord* record = FindRecord(vm, classIndex);
    if (!record)
        record = MakeRecord(vm, classObject);
    if (!record)
    {
        LogError("Pendrel Instances: no room for another class\n");
        sq_pushnull(vm);
        return;
    }
    InstanceSlot* row = Row(*record);
    uint32_t free = 0;
    while (free < kInstanceSlotCount && row[free].used)
        ++free;
    if (free == kInstanceSlotCount)
    {
        LogError("Pendrel Instances: no room for another instance of the class\n");
        sq_pushnull(vm);
        return;
    }
    sq_createinstance(vm, classIndex);
    InstanceSlot& slot = row[free];
    sq_getstackobj(vm, -1, &slot.instance);
    sq_addref(vm, &slot.instance);
    sq_getinstanceup(vm, -1, &slot.native, nullptr);
    slot.serial = m_serial++;
    slot.used = true;
    ++record->liveCount;
    if (free >= record->slotEnd)
        record->slotEnd = free + 1;

    if (SQ_SUCCEEDED(ScriptPushNewValue(vm, "Vec3", position)))
        ScriptCallMethod(vm, -2, "constructor", 1, profile);
    CallMethod(vm, "Created", profile);
}

void InstanceTable::Destroy(HSQUIRRELVM vm, SQInteger instanceIndex, bool profile)
{
    instanceIndex = AbsoluteIndex(vm, instanceIndex);
    HSQOBJECT instance;
    sq_getstackobj(vm, instanceIndex, &instance);
    if (instance._type != OT_INSTANCE)
        return;
    sq_getclass(vm, instanceIndex);
    InstanceTypeRecord* record = FindRecord(vm, -1);
    sq_pop(vm, 1);
    if (!record)
        return;
    InstanceSlot* row = Row(*record);
    for (uint32_t i = 0; i < record->slotEnd; ++i)
    {
        if (!row[i].used || !SameObject(row[i].instance, instance))
            continue;
        TakeOut(vm, *record, row[i]);
        CallMethod(vm, "Destroyed", profile);
        CallMethod(vm, "destructor", profile);
        sq_pop(vm, 1);
        return;
    }
}

// Instances made during the pass wait for the next one; each stepped instance
// stays on the stack through its call, so one that destroys itself lives on
// until the call returns. A script error ends the pass: the host's flag then
// holds every engine call into the scripts, as it holds the frame's.
void InstanceTable::Step(HSQUIRRELVM vm, SQInteger classIndex, float dt, uint32_t parity, bool profile)
{
    InstanceTypeRecord* record = FindRecord(vm, classIndex);
    if (!record)
        return;
    const uint32_t entry = record->index;
    const uint32_t generation = record->generation;
    const uint32_t startSerial = m_serial;
    const uint32_t slotEnd = record->slotEnd;
    const InstanceNativeKind* kind = record->kind;
    InstanceSlot* row = Row(*record);
    for (uint32_t i = 0; i < slotEnd && IsCurrent(entry, generation) && !ScriptGetErrorFlag(); ++i)
    {
        const InstanceSlot& slot = row[i];
        if (!slot.used || slot.serial >= startSerial)
            continue;
        const uint32_t slotParity = (kind && kind->stepParity && slot.native) ? kind->stepParity(slot.native) : 0;
        if (slotParity != 0 && slotParity != parity)
            continue;
        sq_pushobject(vm, slot.instance);
        sq_pushfloat(vm, slotParity == 0 ? dt : 2.0f * dt);
        ScriptCallMethod(vm, -2, "Step", 1, profile);
        sq_pop(vm, 1);
    }
}

void InstanceTable::DestroyAllOfType(HSQUIRRELVM vm, SQInteger classIndex, bool profile)
{
    InstanceTypeRecord* record = FindRecord(vm, classIndex);
    if (!record)
        return;
    const uint32_t entry = record->index;
    const uint32_t generation = record->generation;
    InstanceSlot* row = Row(*record);
    for (uint32_t i = 0; i < record->slotEnd && IsCurrent(entry, generation); ++i)
    {
        if (!row[i].used)
            continue;
        TakeOut(vm, *record, row[i]);
        CallMethod(vm, "Destroyed", profile);
        CallMethod(vm, "destructor", profile);
        sq_pop(vm, 1);
    }
    if (IsCurrent(entry, generation))
        FreeRecord(vm, *m_records[entry]);
}

void InstanceTable::ClearAll(HSQUIRRELVM vm, bool profile)
{
    for (uint32_t entry = 0; entry < kInstanceTypeCount; ++entry)
    {
        if (!m_records[entry])
            continue;
        const uint32_t generation = m_records[entry]->generation;
        InstanceSlot* row = m_rows[entry].get();
        for (uint32_t i = 0; IsCurrent(entry, generation) && i < m_records[entry]->slotEnd; ++i)
        {
            if (!row[i].used)
                continue;
            TakeOut(vm, *m_records[entry], row[i]);
            CallMethod(vm, "destructor", profile);
            sq_pop(vm, 1);
        }
        if (IsCurrent(entry, generation))
            FreeRecord(vm, *m_records[entry]);
    }
}

void InstanceTable::Release(HSQUIRRELVM vm)
{
    for (auto& record : m_records)
        if (record)
            FreeRecord(vm, *record);
}

bool InstanceTable::PositionOf(const InstanceTypeRecord& record, const InstanceSlot& slot, Vec3& position) const
{
    return record.kind && record.kind->position && slot.native && record.kind->position(slot.native, position);
}

bool InstanceTable::NetIdOf(const InstanceTypeRecord& record, const InstanceSlot& slot, int32_t& id) const
{
    return record.kind && record.kind->netId && slot.native && record.kind->netId(slot.native, id);
}

const InstanceSlot* InstanceTable::NearestXZ(const InstanceTypeRecord& record, const Vec3& position, float range)
{
    const InstanceSlot* row = Row(record);
    const InstanceSlot* nearest = nullptr;
    float best = range * range;
    for (uint32_t i = 0; i < record.slotEnd; ++i)
    {
        Vec3 at;
        if (!row[i].used || !PositionOf(record, row[i], at))
            continue;
        const float dx = position.x - at.x;
        const float dz = position.z - at.z;
        const float d = dx * dx + dz * dz;
        if (d <= best)
        {
            best = d;
            nearest = &row[i];
        }
    }
    return nearest;
}

InstanceTable& GetInstanceTable()
{
    return g_instanceTable;
}
