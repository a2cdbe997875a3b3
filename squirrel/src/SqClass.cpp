// Classes and their instances. A class maps member names to slots: fields are copied into each instance,
// methods and static members stay shared in the class.
#include "SqState.h"

SQClass::SQClass(SQSharedState* s, SQClass* baseClass) : SQCollectable(s), base(baseClass)
{
    // a derived class starts from a copy of its base's members, so its walk order follows the base's and
    // what the base gains later stays the base's own
    members = base ? base->members->CopySlots() : new SQTable(s);
    members->refs++;
    if (base)
    {
        base->refs++;
        fields = base->fields;
        methods = base->methods;
        for (int m = 0; m < MT_LAST; m++)
            metamethods[m] = base->metamethods[m];
        constructor = base->constructor;
        // the native area's size is inherited; the type tag and release hook stay with their own class
        udsize = base->udsize;
    }
}

// A class's release hook hears of the class itself dying, with its type tag.
SQClass::~SQClass()
{
    if (hook)
        hook(typetag, 0);
    if (--members->refs == 0)
        members->Destroy();
    if (base && --base->refs == 0)
        base->Destroy();
}

bool SQClass::Get(const SQObject& key, Value& out) const
{
    Value* idx = members->Find(key);
    if (!idx)
        return false;
    SQInteger m = idx->Int();
    out = (m & MEMBER_FIELD_FLAG) ? fields[size_t(m & MEMBER_INDEX_MASK)].val
                                  : methods[size_t(m & MEMBER_INDEX_MASK)].val;
    return true;
}

const char* MetaMethodName(int mm);

bool SQClass::NewSlot(SQSharedState* s, const Value& key, const Value& val, bool isStatic)
{
    if (locked && !isStatic && val._type != OT_CLOSURE && val._type != OT_NATIVECLOSURE)
        return false;
    Value v = val;
    if (v._type == OT_CLOSURE && v.Closure()->base.IsNull())
        v.Closure()->base = Value(OT_CLASS, this);
    if (key._type == OT_STRING)
    {
        for (int m = 0; m < MT_LAST; m++)
        {
            // a metamethod lives only in the class's metamethod table, never among its members
            if (RawEqual(key, s->metaNames[m]) && (v._type == OT_CLOSURE || v._type == OT_NATIVECLOSURE))
            {
                metamethods[m] = v;
                return true;
            }
        }
        if (RawEqual(key, s->constructorName))
            constructor = v;
    }
    Value* idx = members->Find(key);
    bool isMethod = isStatic || v._type == OT_CLOSURE || v._type == OT_NATIVECLOSURE;
    if (idx)
    {
        SQInteger m = idx->Int();
        if ((m & MEMBER_FIELD_FLAG) && !isMethod)
        {
            fields[size_t(m & MEMBER_INDEX_MASK)].val = v;
            return true;
        }
        if ((m & MEMBER_METHOD_FLAG) && isMethod)
        {
            methods[size_t(m & MEMBER_INDEX_MASK)].val = v;
            return true;
        }
    }
    if (isMethod)
    {
        members->NewSlot(key, Value(SQInteger(MEMBER_METHOD_FLAG | SQInteger(methods.size()))));
        methods.push_back({v, Value()});
    }
    else
    {
        members->NewSlot(key, Value(SQInteger(MEMBER_FIELD_FLAG | SQInteger(fields.size()))));
        fields.push_back({v, Value()});
    }
    return true;
}

bool SQClass::SetAttributes(const SQObject& key, const Value& attrs)
{
    Value* idx = members->Find(key);
    if (!idx)
        return false;
    SQInteger m = idx->Int();
    if (m & MEMBER_FIELD_FLAG)
        fields[size_t(m & MEMBER_INDEX_MASK)].attrs = attrs;
    else
        methods[size_t(m & MEMBER_INDEX_MASK)].attrs = attrs;
    return true;
}

bool SQClass::GetAttributes(const SQObject& key, Value& out) const
{
    Value* idx = members->Find(key);
    if (!idx)
        return false;
    SQInteger m = idx->Int();
    out = (m & MEMBER_FIELD_FLAG) ? fields[size_t(m & MEMBER_INDEX_MASK)].attrs
                                  : methods[size_t(m & MEMBER_INDEX_MASK)].attrs;
    return true;
}

void SQClass::Lock()
{
    for (SQClass* c = this; c && !c->locked; c = c->base)
        c->locked = true;
}

Value SQClass::CreateInstance()
{
    if (!locked)
        Lock();
    SQInstance* inst = new SQInstance(ss, this);
    Value v(OT_INSTANCE, inst);
    inst->AllocateArea(udsize);
    return v;
}

Value SQClass::CreateBareInstance()
{
    if (!locked)
        Lock();
    SQInstance* inst = new SQInstance(ss, this);
    inst->bare = true;
    return Value(OT_INSTANCE, inst);
}

bool SQClass::IsMetaMethodKey(const SQSharedState* s, const SQObject& key) const
{
    if (key._type != OT_STRING)
        return false;
    for (int m = 0; m < MT_LAST; m++)
        if (metamethods[m]._type != OT_NULL && RawEqual(key, s->metaNames[m]))
            return true;
    return false;
}

void SQClass::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    VisitRaw(OT_CLASS, base, fn, ctx);
    VisitRaw(OT_TABLE, members, fn, ctx);
    for (const SQClassMember& m : fields)
    {
        fn(m.val, ctx);
        fn(m.attrs, ctx);
    }
    for (const SQClassMember& m : methods)
    {
        fn(m.val, ctx);
        fn(m.attrs, ctx);
    }
    for (const Value& m : metamethods)
        fn(m, ctx);
    fn(attributes, ctx);
    fn(constructor, ctx);
}

void SQClass::Finalize()
{
    fields.clear();
    methods.clear();
    for (Value& m : metamethods)
        m.Null();
    attributes.Null();
    constructor.Null();
    SQClass* b = base;
    base = nullptr;
    if (b && --b->refs == 0)
        b->Destroy();
}

SQInstance::SQInstance(SQSharedState* s, SQClass* c) : SQCollectable(s), klass(c)
{
    c->refs++;
    values.reserve(c->fields.size());
    for (const SQClassMember& m : c->fields)
        values.push_back(m.val);
}

SQInstance::~SQInstance()
{
    if (hook)
        hook(up, 0);
    if (area)
        sq_vm_free(area, size_t(udsize));
    values.clear();
    if (klass && --klass->refs == 0)
        klass->Destroy();
}

// The native object's room, zeroed; the allocator's blocks are aligned for any native type.
void SQInstance::AllocateArea(SQInteger size)
{
    if (size <= 0)
        return;
    area = sq_vm_malloc(size_t(size));
    memset(area, 0, size_t(size));
    udsize = size;
    up = area;
}

bool SQInstance::Get(const SQObject& key, Value& out) const
{
    Value* idx = klass->members->Find(key);
    if (!idx)
        return false;
    SQInteger m = idx->Int();
    out = (m & MEMBER_FIELD_FLAG) ? values[size_t(m & MEMBER_INDEX_MASK)]
                                  : klass->methods[size_t(m & MEMBER_INDEX_MASK)].val;
    return true;
}

bool SQInstance::Set(const SQObject& key, const Value& val)
{
    Value* idx = klass->members->Find(key);
    if (!idx)
        return false;
    SQInteger m = idx->Int();
    if (!(m & MEMBER_FIELD_FLAG))
        return false;
    values[size_t(m & MEMBER_INDEX_MASK)] = val;
    return true;
}

bool SQInstance::InstanceOf(const SQClass* c) const
{
    for (const SQClass* k = klass; k; k = k->base)
        if (k == c)
            return true;
    return false;
}

Value SQInstance::Clone() const
{
    // A clone, even of a view, is an instance of its own with an empty native area: copying a native
    // object's bytes is not a copy of it, and _cloned fills the area in.
    Value v = klass->CreateInstance();
    v.Instance()->values = values;
    return v;
}

void SQInstance::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    VisitRaw(OT_CLASS, klass, fn, ctx);
    for (const Value& v : values)
        fn(v, ctx);
}

void SQInstance::Finalize()
{
    values.clear();
}
