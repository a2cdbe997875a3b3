// Tables: open addressing with linear probing over a power-of-two slot array. Deleted slots keep a marker so
// iteration positions stay stable while a foreach removes entries.
#include "SqState.h"

namespace
{
inline bool IsEmpty(const SQTable::Node& n)
{
    return n.key._type == OT_NULL && n.val._type == OT_NULL;
}
} // namespace

SQTable::SQTable(SQSharedState* s, SQInteger sizeHint) : SQCollectable(s)
{
    if (sizeHint > 0)
    {
        SQUnsignedInteger cap = 4;
        while (cap * 3 < SQUnsignedInteger(sizeHint) * 4)
            cap *= 2;
        Resize(cap);
    }
}

namespace
{
SQTable::Node* NewNodes(SQUnsignedInteger n)
{
    SQTable::Node* nodes = static_cast<SQTable::Node*>(sq_vm_malloc(sizeof(SQTable::Node) * n));
    for (SQUnsignedInteger i = 0; i < n; i++)
        new (&nodes[i]) SQTable::Node();
    return nodes;
}

void DeleteNodes(SQTable::Node* nodes, SQUnsignedInteger n)
{
    if (!nodes)
        return;
    for (SQUnsignedInteger i = 0; i < n; i++)
        nodes[i].~Node();
    sq_vm_free(nodes, sizeof(SQTable::Node) * n);
}
} // namespace

SQTable::~SQTable()
{
    DeleteNodes(nodes, capacity);
    if (delegate && --delegate->refs == 0)
        delegate->Destroy();
}

Value SQTable::Create(SQSharedState* s, SQInteger sizeHint)
{
    return Value(OT_TABLE, new SQTable(s, sizeHint));
}

bool SQTable::Get(const SQObject& key, Value& out) const
{
    Node* n = Lookup(key, HashValue(key));
    if (!n)
        return false;
    out = n->val;
    return true;
}

bool SQTable::Set(const SQObject& key, const Value& val)
{
    Node* n = Lookup(key, HashValue(key));
    if (!n)
        return false;
    n->val = val;
    return true;
}

void SQTable::Resize(SQUnsignedInteger newCapacity)
{
    Node* old = nodes;
    SQUnsignedInteger oldCapacity = capacity;
    nodes = NewNodes(newCapacity);
    capacity = newCapacity;
    count = 0;
    used = 0;
    for (SQUnsignedInteger i = 0; i < oldCapacity; i++)
    {
        Node& n = old[i];
        if (n.key._type == OT_NULL)
            continue;
        SQUnsignedInteger mask = capacity - 1;
        SQUnsignedInteger j = HashValue(n.key) & mask;
        while (!IsEmpty(nodes[j]))
            j = (j + 1) & mask;
        nodes[j].key = std::move(n.key);
        nodes[j].val = std::move(n.val);
        count++;
        used++;
    }
    DeleteNodes(old, oldCapacity);
}

void SQTable::NewSlot(const SQObject& key, const Value& val)
{
    if (key._type == OT_NULL) // callers refuse a null key; a null-keyed node would read as a free slot
        return;
    SQHash h = HashValue(key);
    if (Node* n = Lookup(key, h))
    {
        n->val = val;
        return;
    }
    if ((used + 1) * 4 > capacity * 3)
    {
        SQUnsignedInteger cap = capacity ? capacity : 4;
        while ((count + 1) * 2 > cap)
            cap *= 2;
        if (cap == capacity && (used + 1) * 4 > capacity * 3)
            cap = capacity * 2;
        Resize(cap);
    }
    SQUnsignedInteger mask = capacity - 1;
    SQUnsignedInteger i = h & mask;
    while (nodes[i].key._type != OT_NULL)
        i = (i + 1) & mask;
    if (IsEmpty(nodes[i]))
        used++;
    Value v = val;
    nodes[i].val = std::move(v);
    nodes[i].key = Value(key);
    count++;
}

bool SQTable::Remove(const SQObject& key)
{
    Node* n = Lookup(key, HashValue(key));
    if (!n)
        return false;
    Value k = std::move(n->key);
    Value v = std::move(n->val);
    n->key.Null();
    n->val.SetBool(true); // deleted marker
    count--;
    return true;
}

SQInteger SQTable::Next(SQInteger pos, Value& key, Value& val) const
{
    for (SQUnsignedInteger i = SQUnsignedInteger(pos); i < capacity; i++)
    {
        if (nodes[i].key._type != OT_NULL)
        {
            key = nodes[i].key;
            val = nodes[i].val;
            return SQInteger(i);
        }
    }
    return -1;
}

void SQTable::Clear()
{
    Node* old = nodes;
    SQUnsignedInteger oldCapacity = capacity;
    nodes = nullptr;
    capacity = count = used = 0;
    for (SQUnsignedInteger i = 0; i < oldCapacity; i++)
    {
        old[i].key.Null();
        old[i].val.Null();
    }
    DeleteNodes(old, oldCapacity);
}

Value SQTable::Clone() const
{
    Value copy = Create(ss, SQInteger(count));
    SQTable* t = copy.Table();
    for (SQUnsignedInteger i = 0; i < capacity; i++)
        if (nodes[i].key._type != OT_NULL)
            t->NewSlot(nodes[i].key, nodes[i].val);
    t->SetDelegate(delegate);
    return copy;
}

void SQTable::SetDelegate(SQTable* d)
{
    if (d)
        d->refs++;
    SQTable* old = delegate;
    delegate = d;
    if (old && --old->refs == 0)
        old->Destroy();
}

void SQTable::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    for (SQUnsignedInteger i = 0; i < capacity; i++)
    {
        if (nodes[i].key._type == OT_NULL)
            continue;
        fn(nodes[i].key, ctx);
        fn(nodes[i].val, ctx);
    }
    VisitRaw(OT_TABLE, delegate, fn, ctx);
}

void SQTable::Finalize()
{
    Clear();
    SetDelegate(nullptr);
}
