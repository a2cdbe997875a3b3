// The cycle collector: reference counting frees most objects at once; this finds the cycles it cannot.
#include "SqState.h"

#include "SqVM.h"

#include <algorithm>
#include <unordered_map>

void SQCollectable::Destroy()
{
    SQSharedState* s = ss;
    if (s->destroyDepth >= 64)
    {
        s->pendingDestroy.push_back(this);
        return;
    }
    s->destroyDepth++;
    Dispose();
    if (s->destroyDepth == 1)
    {
        while (!s->pendingDestroy.empty())
        {
            SQCollectable* next = s->pendingDestroy.back();
            s->pendingDestroy.pop_back();
            next->Dispose();
        }
    }
    s->destroyDepth--;
}

void SQSharedState::Link(SQCollectable* o)
{
    o->gcnext = gcHead;
    o->gcprev = nullptr;
    if (gcHead)
        gcHead->gcprev = o;
    gcHead = o;
}

void SQSharedState::Unlink(SQCollectable* o)
{
    if (o->gcprev)
        o->gcprev->gcnext = o->gcnext;
    else if (gcHead == o)
        gcHead = o->gcnext;
    if (o->gcnext)
        o->gcnext->gcprev = o->gcprev;
    o->gcprev = o->gcnext = nullptr;
}

namespace
{
bool IsCollectable(SQObjectType t)
{
    switch (t)
    {
    case OT_TABLE:
    case OT_ARRAY:
    case OT_USERDATA:
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
    case OT_GENERATOR:
    case OT_THREAD:
    case OT_CLASS:
    case OT_INSTANCE:
    case OT_OUTER:
        return true;
    default:
        return false;
    }
}
SQCollectable* AsCollectable(const SQObject& o)
{
    return static_cast<SQCollectable*>(o._unVal.pRefCounted);
}

void DropInternalRef(const SQObject& o, void*)
{
    if (IsCollectable(o._type))
        AsCollectable(o)->gcrefs--;
}
void MarkChild(const SQObject& o, void* ctx)
{
    if (!IsCollectable(o._type))
        return;
    SQCollectable* c = AsCollectable(o);
    if (c->gcmark)
        return;
    c->gcmark = true;
    static_cast<std::vector<SQCollectable*>*>(ctx)->push_back(c);
}
// Union-find over the garbage: objects that reach one another form one cycle.
struct CycleGroups
{
    std::unordered_map<SQCollectable*, size_t> index;
    std::vector<size_t> parent;
    size_t current = 0;
    size_t Root(size_t i)
    {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    }
};
void JoinChild(const SQObject& o, void* ctx)
{
    if (!IsCollectable(o._type))
        return;
    CycleGroups* groups = static_cast<CycleGroups*>(ctx);
    auto found = groups->index.find(AsCollectable(o));
    if (found != groups->index.end())
        groups->parent[groups->Root(found->second)] = groups->Root(groups->current);
}
SQInteger CountCycles(const std::vector<SQCollectable*>& garbage)
{
    CycleGroups groups;
    for (size_t i = 0; i < garbage.size(); i++)
    {
        groups.index[garbage[i]] = i;
        groups.parent.push_back(i);
    }
    for (size_t i = 0; i < garbage.size(); i++)
    {
        groups.current = i;
        garbage[i]->Traverse(JoinChild, &groups);
    }
    SQInteger cycles = 0;
    for (size_t i = 0; i < garbage.size(); i++)
        if (groups.Root(i) == i)
            cycles++;
    return cycles;
}

void FreeObjects(const std::vector<SQCollectable*>& objects)
{
    for (SQCollectable* o : objects)
        o->refs++;
    for (SQCollectable* o : objects)
        o->Finalize();
    for (SQCollectable* o : objects)
        if (--o->refs == 0)
            o->Destroy();
}
} // namespace

// Trial deletion: an object whose count exceeds the references other heap objects hold on it is referenced
// from outside the heap (a stack, the host); everything reachable from such objects lives, the rest is cyclic
// garbage.
SQInteger SQSharedState::Collect(std::vector<Value>* unreachable, SQInteger* cycles)
{
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
    {
        o->gcrefs = o->refs;
        o->gcmark = false;
    }
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
        o->Traverse(DropInternalRef, nullptr);
    std::vector<SQCollectable*> pending;
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
    {
        if (o->gcrefs > 0 && !o->gcmark)
        {
            o->gcmark = true;
            pending.push_back(o);
        }
    }
    while (!pending.empty())
    {
        SQCollectable* o = pending.back();
        pending.pop_back();
        o->Traverse(MarkChild, &pending);
    }
    std::vector<SQCollectable*> garbage;
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
        if (!o->gcmark)
            garbage.push_back(o);
    if (cycles)
        *cycles = CountCycles(garbage);
    if (unreachable)
    {
        for (SQCollectable* o : garbage)
            if (o->ObjectType() != OT_OUTER)
                unreachable->push_back(Value(o->ObjectType(), o));
        return SQInteger(garbage.size());
    }
    FreeObjects(garbage);
    return SQInteger(garbage.size());
}

// At close the host's references go in the order they were first taken; a release hook that releases
// another reference meanwhile finds it already gone.
void SQSharedState::ReleaseHostRefs()
{
    std::vector<std::pair<SQUnsignedInteger, SQRefCounted*>> held;
    for (const auto& [object, ref] : hostRefs)
        held.emplace_back(ref.serial, object);
    hostRefs.clear();
    std::sort(held.begin(), held.end());
    for (const auto& entry : held)
        if (--entry.second->refs == 0)
            entry.second->Destroy();
}

void SQSharedState::FreeAll()
{
    closing = true;
    if (mainVM)
        mainVM->Finalize();
    registry.Null();
    constTable.Null();
    ReleaseHostRefs();
    Value* delegates[] = {&tableDelegate,    &arrayDelegate,     &stringDelegate, &numberDelegate,
                          &closureDelegate,  &generatorDelegate, &threadDelegate, &classDelegate,
                          &instanceDelegate, &weakrefDelegate};
    for (Value* d : delegates)
        d->Null();
    Collect();
    std::vector<SQCollectable*> rest;
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
        rest.push_back(o);
    FreeObjects(rest);
}
