// Tables: a chained scatter table over a power-of-two node array, laid out exactly as Squirrel 3.0 lays
// its tables out, so a foreach walks keys in the same order. A removed key leaves its node empty but keeps
// the node's chain link, so lookups through it still work and a walk's positions stay where they were
// (unless the removal shrinks or grows the table, as Squirrel 3.0 does).
#include "SqState.h"

SQTable::SQTable(SQSharedState* s, SQInteger sizeHint) : SQCollectable(s)
{
    // a hint alone cannot ask for gigabytes
    while (SQInteger(planned) < sizeHint && planned < (SQUnsignedInteger(1) << 24))
        planned *= 2;
}

SQTable::~SQTable()
{
    FreeNodes();
    if (delegate && --delegate->refs == 0)
        delegate->Destroy();
}

Value SQTable::Create(SQSharedState* s, SQInteger sizeHint)
{
    return Value(OT_TABLE, new SQTable(s, sizeHint));
}

void SQTable::AllocNodes(SQUnsignedInteger n)
{
    nodes = static_cast<Node*>(sq_vm_malloc(sizeof(Node) * n));
    for (SQUnsignedInteger i = 0; i < n; i++)
        new (&nodes[i]) Node();
    capacity = n;
    firstFree = &nodes[n - 1];
}

void SQTable::FreeNodes()
{
    if (!nodes)
        return;
    for (SQUnsignedInteger i = 0; i < capacity; i++)
        nodes[i].~Node();
    sq_vm_free(nodes, sizeof(Node) * capacity);
    nodes = nullptr;
    capacity = 0;
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

// Grows past three quarters full, shrinks at a quarter or less (never below the minimum), and when forced
// rebuilds at the same size; the old nodes go back in index order.
void SQTable::Rehash(bool force)
{
    const SQUnsignedInteger oldSize = capacity;
    SQUnsignedInteger newSize;
    if (count >= oldSize - oldSize / 4)
        newSize = oldSize * 2;
    else if (count <= oldSize / 4 && oldSize > MIN_NODES)
        newSize = oldSize / 2;
    else if (force)
        newSize = oldSize;
    else
        return;
    Node* old = nodes;
    AllocNodes(newSize);
    count = 0;
    for (SQUnsignedInteger i = 0; i < oldSize; i++)
        if (old[i].key._type != OT_NULL)
            Place(old[i].key, old[i].val);
    for (SQUnsignedInteger i = 0; i < oldSize; i++)
        old[i].~Node();
    sq_vm_free(old, sizeof(Node) * oldSize);
}

// Puts a key not yet in the table into its node. When its main position is taken by a key that belongs
// elsewhere, that key moves to the free node and the new one takes its place; otherwise the new key goes
// to the free node, chained after its main position. Returns false when the table had to be rebuilt first.
bool SQTable::Place(const SQObject& key, const Value& val)
{
    const SQUnsignedInteger mask = capacity - 1;
    Node* target = &nodes[HashValue(key) & mask];
    if (target->key._type != OT_NULL)
    {
        Node* free = firstFree;
        Node* occupantHome = &nodes[HashValue(target->key) & mask];
        if (target > free && occupantHome != target)
        {
            Node* prev = occupantHome;
            while (prev->next != target)
                prev = prev->next;
            prev->next = free;
            free->key = std::move(target->key);
            free->val = std::move(target->val);
            free->next = target->next;
            target->key.Null();
            target->val.Null();
            target->next = nullptr;
        }
        else
        {
            free->next = target->next;
            target->next = free;
            target = free;
        }
    }
    target->key = Value(key);
    // the free node moves down to the next node that is empty and ends no chain
    for (;;)
    {
        if (firstFree->key._type == OT_NULL && !firstFree->next)
        {
            target->val = val;
            count++;
            return true;
        }
        if (firstFree == nodes)
            break;
        firstFree--;
    }
    // out of free nodes: rebuild (the new key goes along, its value still unset), then set the value
    Value v = val;
    Rehash(true);
    if (Node* n = Lookup(key, HashValue(key)))
        n->val = std::move(v);
    return false;
}

void SQTable::NewSlot(const SQObject& key, const Value& val)
{
    if (key._type == OT_NULL) // callers refuse a null key; a null-keyed node reads as a free one
        return;
    if (!nodes)
        AllocNodes(planned);
    if (Node* n = Lookup(key, HashValue(key)))
    {
        n->val = val;
        return;
    }
    Place(key, val);
}

bool SQTable::Remove(const SQObject& key)
{
    Node* n = Lookup(key, HashValue(key));
    if (!n)
        return false;
    Value k = std::move(n->key);
    Value v = std::move(n->val);
    n->key.Null();
    n->val.Null();
    count--;
    Rehash(false);
    return true;
}

SQInteger SQTable::Next(SQInteger pos, Value& key, Value& val) const
{
    for (SQUnsignedInteger i = SQUnsignedInteger(pos < 0 ? 0 : pos); i < capacity; i++)
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

// Empties the table; like Squirrel 3.0, the node array then halves once (down to the minimum).
void SQTable::Clear()
{
    if (!nodes)
        return;
    for (SQUnsignedInteger i = 0; i < capacity; i++)
    {
        nodes[i].key.Null();
        nodes[i].val.Null();
    }
    // a released value's code may have added a slot meanwhile: count what is there
    count = 0;
    for (SQUnsignedInteger i = 0; i < capacity; i++)
        count += nodes[i].key._type != OT_NULL;
    Rehash(true);
}

SQTable* SQTable::CopySlots() const
{
    SQTable* t = new SQTable(ss, SQInteger(NodeCount()));
    for (SQUnsignedInteger i = 0; i < capacity; i++)
        if (nodes[i].key._type != OT_NULL)
            t->NewSlot(nodes[i].key, nodes[i].val);
    return t;
}

Value SQTable::Clone() const
{
    Value copy(OT_TABLE, CopySlots());
    copy.Table()->SetDelegate(delegate);
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
    // detach the nodes first: releasing a value can run code that reaches this table again
    Node* old = nodes;
    SQUnsignedInteger oldCapacity = capacity;
    nodes = nullptr;
    capacity = 0;
    count = 0;
    for (SQUnsignedInteger i = 0; i < oldCapacity; i++)
    {
        old[i].key.Null();
        old[i].val.Null();
    }
    for (SQUnsignedInteger i = 0; i < oldCapacity; i++)
        old[i].~Node();
    sq_vm_free(old, sizeof(Node) * oldCapacity);
    SetDelegate(nullptr);
}
