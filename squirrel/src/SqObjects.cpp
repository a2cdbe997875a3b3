// Arrays, closures, outers, generators, user data and weak references.
#include "SqState.h"
#include "SqVM.h"

#include <algorithm>

SQRefCounted::~SQRefCounted()
{
    if (weakref)
        weakref->obj._type = OT_NULL, weakref->obj._unVal.raw = 0;
}

SQWeakRef::~SQWeakRef()
{
    if (IsRefCounted(obj._type))
        obj._unVal.pRefCounted->weakref = nullptr;
}

Value MakeWeakRef(const Value& target)
{
    if (!IsRefCounted(target._type))
        return target;
    SQRefCounted* r = target.Ref();
    if (!r->weakref)
    {
        r->weakref = new SQWeakRef();
        r->weakref->obj = target;
    }
    return Value(OT_WEAKREF, r->weakref);
}

SQCollectable::SQCollectable(SQSharedState* s) : ss(s)
{
    s->Link(this);
}
SQCollectable::~SQCollectable()
{
    ss->Unlink(this);
}

Value SQArray::Create(SQSharedState* s, SQInteger size)
{
    SQArray* a = new SQArray(s);
    a->values.resize(size_t(size));
    return Value(OT_ARRAY, a);
}

void SQArray::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    for (const Value& v : values)
        fn(v, ctx);
}

SQInteger SQFunctionProto::LineAt(SQInteger pc) const
{
    SQInteger line = lines.empty() ? 0 : lines[0].line;
    for (const SQLineInfo& l : lines)
    {
        if (l.pc > pc)
            break;
        line = l.line;
    }
    return line;
}

SQOuter* SQOuter::Create(SQSharedState* s)
{
    return new (s->blocks.Take(sizeof(SQOuter))) SQOuter(s);
}

void SQOuter::Dispose()
{
    SQSharedState* s = ss;
    this->~SQOuter();
    s->blocks.Give(this, sizeof(SQOuter));
}

SQOuter::~SQOuter()
{
    if (vm)
    {
        SQOuter** link = &vm->openOuters;
        while (*link && *link != this)
            link = &(*link)->nextOpen;
        if (*link)
            *link = nextOpen;
    }
}

Value& SQOuter::Get()
{
    return vm ? vm->stack[index] : closed;
}

void SQOuter::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    if (!vm)
        fn(closed, ctx);
}

SQClosure::SQClosure(SQSharedState* s, const Value& p, size_t nouters, size_t ndefaults)
    : SQCollectable(s), proto(p)
{
    Value* tail = reinterpret_cast<Value*>(this + 1);
    for (size_t k = 0; k < nouters + ndefaults; k++)
        new (tail + k) Value();
    outers = {tail, nouters};
    defaults = {tail + nouters, ndefaults};
    tailCount = nouters + ndefaults;
}

SQClosure* SQClosure::Create(SQSharedState* s, const Value& proto)
{
    const size_t nouters = proto.Proto()->outers.size();
    const size_t ndefaults = size_t(proto.Proto()->ndefaults);
    static_assert(sizeof(SQClosure) % alignof(Value) == 0, "the values start aligned after the closure");
    void* block = s->blocks.Take(sizeof(SQClosure) + (nouters + ndefaults) * sizeof(Value));
    return new (block) SQClosure(s, proto, nouters, ndefaults);
}

size_t SQClosure::BlockSize() const
{
    return sizeof(SQClosure) + tailCount * sizeof(Value);
}

void SQClosure::Dispose()
{
    SQSharedState* s = ss;
    const size_t size = BlockSize();
    this->~SQClosure();
    s->blocks.Give(this, size);
}

// Releases in the order the members were once destroyed in: base, env, defaults, outers, then the prototype.
SQClosure::~SQClosure()
{
    base.Null();
    env.Null();
    for (Value& d : defaults)
        d.Null();
    for (Value& o : outers)
        o.Null();
    // every value in the block is null now (Finalize may have emptied the rows first)
    Value* tail = reinterpret_cast<Value*>(this + 1);
    for (size_t k = 0; k < tailCount; k++)
        tail[k].~Value();
}

Value SQClosure::Clone() const
{
    SQClosure* c = Create(ss, proto);
    Value v(OT_CLOSURE, c);
    std::copy(outers.begin(), outers.end(), c->outers.begin());
    std::copy(defaults.begin(), defaults.end(), c->defaults.begin());
    c->env = env;
    c->base = base;
    return v;
}

void SQClosure::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    for (const Value& o : outers)
        fn(o, ctx);
    for (const Value& d : defaults)
        fn(d, ctx);
    fn(base, ctx);
}

void SQClosure::Finalize()
{
    for (Value& o : outers)
        o.Null();
    outers.count = 0;
    for (Value& d : defaults)
        d.Null();
    defaults.count = 0;
    env.Null();
    base.Null();
}

Value SQNativeClosure::Clone() const
{
    SQNativeClosure* c = new SQNativeClosure(ss);
    Value v(OT_NATIVECLOSURE, c);
    c->func = func;
    c->outers = outers;
    c->typecheck = typecheck;
    c->nparamscheck = nparamscheck;
    c->name = name;
    c->env = env;
    return v;
}

void SQNativeClosure::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    for (const Value& o : outers)
        fn(o, ctx);
}

void SQNativeClosure::Finalize()
{
    outers.clear();
    env.Null();
}

void SQGenerator::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    fn(closure, ctx);
    for (const Value& v : stack)
        fn(v, ctx);
}

void SQGenerator::Finalize()
{
    stack.clear();
    closure.Null();
    state = Dead;
}

SQUserData::~SQUserData()
{
    if (hook)
        hook(data.data(), size);
    if (delegate && --delegate->refs == 0)
        delegate->Destroy();
}

void SQUserData::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    VisitRaw(OT_TABLE, delegate, fn, ctx);
}

void SQUserData::Finalize()
{
    SQTable* d = delegate;
    delegate = nullptr;
    if (d && --d->refs == 0)
        d->Destroy();
}
