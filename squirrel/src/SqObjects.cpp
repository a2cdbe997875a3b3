// Arrays, closures, outers, generators, user data and weak references.
#include "SqState.h"
#include "SqVM.h"

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

Value SQClosure::Clone() const
{
    SQClosure* c = new SQClosure(ss);
    Value v(OT_CLOSURE, c);
    c->proto = proto;
    c->outers = outers;
    c->defaults = defaults;
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
    outers.clear();
    defaults.clear();
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
