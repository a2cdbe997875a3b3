// Frames, calls and the interpreter loop.
#include "SqVM.h"

#include "SqOpcodes.h"

#include <algorithm>

SQVM::SQVM(SQSharedState* s, SQInteger size) : SQCollectable(s)
{
    stackSize = size;
    stack = new Value[size_t(size)];
    calls.Reserve(64);
}

void SQCallStack::Reserve(size_t n)
{
    const size_t count = size();
    if (n <= size_t(limit - frames.get()))
        return;
    std::unique_ptr<SQCallInfo[]> grown(new SQCallInfo[n]);
    std::copy(frames.get(), last, grown.get());
    frames = std::move(grown);
    last = frames.get() + count;
    limit = frames.get() + n;
}

SQVM::~SQVM()
{
    CloseOuters(0); // closures that escaped this thread keep their values
    delete[] stack;
}

void SQVM::Traverse(void (*fn)(const SQObject&, void*), void* ctx)
{
    for (SQInteger i = 0; i < top; i++)
        fn(stack[i], ctx);
    // frames may use slots above the API top
    SQInteger limit = top;
    for (const SQCallInfo& ci : calls)
    {
        SQInteger end = ci.closure ? ci.base + ci.closure->Proto()->maxStack : ci.base;
        if (end > limit)
            limit = end;
    }
    for (SQInteger i = top; i < limit && i < stackSize; i++)
        fn(stack[i], ctx);
    fn(roottable, ctx);
    fn(lastError, ctx);
    fn(errorHandler, ctx);
    fn(debugHook, ctx);
}

// The root table goes first, then the error and the hooks, then the stack from the bottom up.
void SQVM::Finalize()
{
    roottable.Null();
    lastError.Null();
    errorHandler.Null();
    debugHook.Null();
    CloseOuters(0);
    for (SQInteger i = 0; i < stackSize; i++)
        stack[i].Null();
    calls.clear();
    traps.clear();
    top = 0;
    stackBase = 0;
}

SQOuter* SQVM::FindOuter(SQInteger slot)
{
    SQOuter** link = &openOuters;
    while (*link && (*link)->index > slot)
        link = &(*link)->nextOpen;
    if (*link && (*link)->index == slot)
        return *link;
    SQOuter* o = SQOuter::Create(ss);
    o->vm = this;
    o->index = slot;
    o->nextOpen = *link;
    *link = o;
    return o;
}

void SQVM::CloseOuters(SQInteger fromSlot)
{
    while (openOuters && openOuters->index >= fromSlot)
    {
        SQOuter* o = openOuters;
        openOuters = o->nextOpen;
        o->closed = stack[o->index];
        o->vm = nullptr;
        o->nextOpen = nullptr;
    }
}

bool SQVM::EnterFrame(SQClosure* c, SQInteger argBase, SQInteger nargs, SQInteger target, bool root,
                      bool& entered, Value& generator)
{
    entered = false;
    SQFunctionProto* p = c->Proto();
    SQInteger np = p->nparams;
    if (nargs != np)
    {
        if (nargs > np && !p->varParams)
            return Raise("wrong number of parameters");
        if (nargs < np)
        {
            SQInteger missing = np - nargs;
            if (missing > p->ndefaults)
                return Raise("wrong number of parameters");
            for (SQInteger i = nargs; i < np; i++)
                stack[argBase + i] = c->defaults[size_t(p->ndefaults - (np - i))];
            nargs = np;
        }
    }
    if (argBase + p->maxStack + MIN_STACK_OVERHEAD >= stackSize)
        return Raise("stack overflow");
    if (p->varParams)
    {
        Value va = SQArray::Create(ss);
        for (SQInteger i = np; i < nargs; i++)
        {
            va.Array()->values.push_back(std::move(stack[argBase + i]));
            stack[argBase + i].Null();
        }
        stack[argBase + np] = std::move(va);
    }
    // a bound environment replaces 'this'; once it has been freed, 'this' is null
    if (c->env._type == OT_WEAKREF)
        stack[argBase] = Value(c->env.WeakRef()->obj);
    if (p->generator)
    {
        SQGenerator* g = new SQGenerator(ss);
        generator = Value(OT_GENERATOR, g);
        g->closure = Value(OT_CLOSURE, c);
        g->stack.resize(size_t(p->maxStack));
        ExchangeValues(g->stack.data(), stack + argBase, p->maxStack);
        g->pc = p->code.data();
        return true;
    }
    PushScriptFrame(c, p, argBase, target, root);
    entered = true;
    if (debugHook._type != OT_NULL)
        CallDebugHook('c', p->LineAt(0));
    return true;
}

void SQVM::LeaveSuspendedFrame(SQInteger frameSize)
{
    const SQCallInfo& ci = calls.back();
    if (top > ci.base + frameSize)
    {
        LeaveFrame(); // slots above the frame still hold values
        return;
    }
    const SQInteger holder = ci.base - 1;
    top = ci.prevTop;
    stackBase = ci.prevStackBase;
    calls.pop_back();
    stack[holder].Null(); // last, as it may free the generator
}

void SQVM::LeaveFrame()
{
    SQCallInfo& ci = calls.back();
    if (openOuters && openOuters->index >= ci.base)
        CloseOuters(ci.base);
    while (!traps.empty() && traps.back().callDepth == SQInteger(calls.size()))
        traps.pop_back();
    if (ci.generator && ci.generator->state == SQGenerator::Running)
        ci.generator->state = SQGenerator::Dead;
    // highest slot first, as 3.0 clears a frame, so release hooks run last-declared first; a generator's
    // frame also lets go of the slot below it that holds the generator
    for (SQInteger i = top, low = ci.generator ? ci.base - 1 : ci.base; i-- > low;)
        stack[i].Null();
    top = ci.prevTop;
    stackBase = ci.prevStackBase;
    calls.pop_back();
}

namespace
{
// "integer|float" for a parameter type mask, as the parameter check reports it.
std::string TypeMaskNames(SQInteger mask)
{
    static const SQObjectType kTypes[] = {OT_NULL,    OT_INTEGER,       OT_FLOAT,     OT_BOOL,
                                          OT_STRING,  OT_TABLE,         OT_ARRAY,     OT_USERDATA,
                                          OT_CLOSURE, OT_NATIVECLOSURE, OT_GENERATOR, OT_USERPOINTER,
                                          OT_THREAD,  OT_CLASS,         OT_INSTANCE,  OT_WEAKREF};
    std::string names;
    for (SQObjectType t : kTypes)
    {
        if (!(mask & _RAW_TYPE(t)))
            continue;
        if (!names.empty())
            names += "|";
        names += TypeName(t);
    }
    return names;
}
} // namespace

// The hook gets (event, source, line, function); it does not see its own execution.
void SQVM::CallDebugHook(SQInteger event, SQInteger line)
{
    if (inDebugHook)
        return;
    const SQCallInfo& ci = calls.back();
    SQFunctionProto* p = ci.closure ? ci.closure->Proto() : nullptr;
    Value args[4] = {Value(event), p ? p->sourceName : Value(), Value(line), p ? p->name : Value()};
    Value hook = debugHook, ignored, savedError = lastError;
    inDebugHook = true;
    CallWith(hook, roottable, args, 4, ignored);
    inDebugHook = false;
    lastError = savedError;
}

void SQVM::NotifyError()
{
    if (errorHandler._type == OT_NULL)
        return;
    Value err = lastError;
    Value handler = errorHandler;
    Value ignored;
    const bool saved = raiseErrors;
    raiseErrors = false; // an error inside the handler does not call it again
    CallWith(handler, roottable, &err, 1, ignored);
    raiseErrors = saved;
    lastError = err;
}

// The innermost loop's frames lie above its root frame; a trap set by one of them catches the error.
bool SQVM::TrappedInThisLoop() const
{
    for (size_t i = calls.size(); i-- > 0;)
        if (calls[i].root)
            return !traps.empty() && traps.back().callDepth > SQInteger(i);
    return !traps.empty();
}

bool SQVM::CallNative(SQNativeClosure* nc, SQInteger argBase, SQInteger nargs, Value& ret)
{
    if (ss->nestedCalls >= MAX_NESTED_CALLS)
        return Raise("Native stack overflow");
    if (nc->nparamscheck > 0 ? nargs != nc->nparamscheck : nargs < -nc->nparamscheck)
        return Raise("wrong number of parameters");
    for (size_t i = 0; i < nc->typecheck.size() && SQInteger(i) < nargs; i++)
    {
        SQInteger mask = nc->typecheck[i];
        const Value& arg = stack[argBase + SQInteger(i)];
        if (mask != -1 && !(arg._type & mask))
            return Raise("parameter %d has an invalid type '%s' ; expected: '%s'", int(i),
                         TypeName(arg._type), TypeMaskNames(mask).c_str());
    }
    SQInteger nouters = SQInteger(nc->outers.size());
    if (argBase + nargs + nouters + MIN_STACK_OVERHEAD >= stackSize)
        return Raise("stack overflow");
    for (SQInteger i = 0; i < nouters; i++)
        stack[argBase + nargs + i] = nc->outers[size_t(i)];
    if (nc->env._type == OT_WEAKREF)
        stack[argBase] = Value(nc->env.WeakRef()->obj);
    SQCallInfo ci;
    ci.pc = nullptr;
    ci.closure = nullptr;
    ci.native = nc;
    ci.literals = nullptr;
    ci.base = argBase;
    ci.target = -1;
    ci.prevTop = top;
    ci.prevStackBase = stackBase;
    ci.generator = nullptr;
    ci.root = false;
    calls.push_back(ci);
    stackBase = argBase;
    top = argBase + nargs + nouters;
    nativeDepth++;
    ss->nestedCalls++;
    Value fnHold(OT_NATIVECLOSURE, nc);
    SQInteger r = nc->func(this);
    nativeDepth--;
    ss->nestedCalls--;
    bool ok = true;
    if (r == SQ_SUSPEND_FLAG)
    {
        suspended = true;
        if (top > stackBase)
            ret = stack[top - 1];
        else
            ret.Null();
    }
    else if (r < 0)
    {
        ok = false;
    }
    else if (r > 0 && top > stackBase)
    {
        ret = stack[top - 1];
    }
    else
    {
        ret.Null();
    }
    for (SQInteger i = top; i-- > argBase;)
        stack[i].Null();
    calls.back().closure = nullptr;
    top = calls.back().prevTop;
    stackBase = calls.back().prevStackBase;
    while (!traps.empty() && traps.back().callDepth == SQInteger(calls.size()))
        traps.pop_back();
    calls.pop_back();
    return ok;
}

bool SQVM::CreateClassInstance(SQClass* c, SQInteger argBase, SQInteger nargs, Value& ret)
{
    Value inst = c->CreateInstance();
    if (!c->constructor.IsNull())
    {
        stack[argBase] = inst;
        Value ignored;
        Value ctor = c->constructor;
        if (!Call(ctor, argBase, nargs, ignored))
            return false;
    }
    ret = inst;
    return true;
}

bool SQVM::EnterConstructorFrame(SQClass* c, SQInteger argBase, SQInteger nargs, SQInteger resultSlot)
{
    Value inst = c->CreateInstance();
    Value ctor = c->constructor;
    stack[resultSlot] = inst;
    stack[argBase] = std::move(inst);
    bool entered;
    Value generator;
    // The frame's result goes to its own base slot, which is no register of the caller's live values: the
    // constructor's returned value is dropped there.
    return EnterFrame(ctor.Closure(), argBase, nargs, argBase, false, entered, generator);
}

bool SQVM::Call(const Value& fn, SQInteger argBase, SQInteger nargs, Value& ret)
{
    // Each nested interpreter loop (metamethods, callbacks from natives, other threads) uses the C stack.
    if (ss->nestedCalls >= MAX_NESTED_CALLS)
        return Raise("Native stack overflow");
    switch (fn._type)
    {
    case OT_CLOSURE:
    {
        Value hold = fn;
        SQClosure* c = fn.Closure();
        SQFunctionProto* p = c->Proto();
        // natives calling back (sort, map, apply) mostly call plain functions: push the frame directly
        if (nargs == p->nparams && p->simpleCall && c->env._type == OT_NULL && debugHook._type == OT_NULL &&
            argBase + p->maxStack + MIN_STACK_OVERHEAD < stackSize)
        {
            PushScriptFrame(c, p, argBase, -1, true);
            return Execute(ret);
        }
        bool entered;
        Value gen;
        if (!EnterFrame(fn.Closure(), argBase, nargs, -1, true, entered, gen))
            return false;
        if (!entered)
        {
            ret = gen;
            return true;
        }
        return Execute(ret);
    }
    case OT_NATIVECLOSURE:
        return CallNative(fn.Native(), argBase, nargs, ret);
    case OT_CLASS:
        return CreateClassInstance(fn.Class(), argBase, nargs, ret);
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA:
    {
        Value mm;
        if (GetMetaMethod(fn, MT_CALL, mm))
        {
            Value self = fn;
            return CallWith(mm, self, &stack[argBase], nargs, ret);
        }
        break;
    }
    default:
        break;
    }
    return Raise("attempt to call '%s'", TypeName(fn._type));
}

bool SQVM::EnterGenerator(SQGenerator* g, SQInteger target, bool root)
{
    if (g->state == SQGenerator::Dead)
        return Raise("resuming dead generator");
    if (g->state == SQGenerator::Running)
        return Raise("resuming active generator");
    SQClosure* c = g->closure.Closure();
    SQFunctionProto* p = c->Proto();
    const SQInteger base = top + 1;
    if (base + p->maxStack + MIN_STACK_OVERHEAD >= stackSize)
        return Raise("stack overflow");
    // A script may drop its last reference to the generator while the generator runs.
    stack[top] = Value(OT_GENERATOR, g);
    // The saved frame keeps its size and takes the free slots' nulls, ready for the next yield.
    ExchangeValues(stack + base, g->stack.data(), SQInteger(g->stack.size()));
    PushScriptFrame(c, p, base, target, root);
    SQCallInfo& ci = calls.back();
    ci.pc = g->pc;
    ci.generator = g;
    if (!g->traps.empty())
    {
        for (SQExceptionTrap t : g->traps)
        {
            t.stackBase += base;
            t.callDepth = SQInteger(calls.size());
            traps.push_back(t);
        }
        g->traps.clear();
    }
    g->state = SQGenerator::Running;
    return true;
}

// Numbers what the generator yields from 0, the iterator keeping the same number as the index.
bool SQVM::EnterForeachGenerator(Value* regs, SQInteger valueSlot, bool& over)
{
    SQGenerator* g = regs[0].Generator();
    over = g->state == SQGenerator::Dead;
    if (over)
        return true;
    if (g->state == SQGenerator::Running)
        return Raise("cannot iterate %s", TypeName(OT_GENERATOR));
    Value& iter = regs[1];
    const SQInteger idx = iter._type == OT_INTEGER ? iter.Int() + 1 : 0;
    regs[2].SetInteger(idx);
    iter.SetInteger(idx);
    return EnterGenerator(g, valueSlot, false);
}

bool SQVM::ResumeGenerator(SQGenerator* g, Value& out)
{
    Value hold(OT_GENERATOR, g);
    if (!EnterGenerator(g, -1, true))
        return false;
    return Execute(out);
}

namespace
{
// Whether obj holds key itself (unresolved names assigned inside methods fall back to the root table).
bool HasSlot(const Value& obj, const Value& key)
{
    if (obj._type == OT_TABLE)
        return obj.Table()->Find(key) != nullptr;
    if (obj._type == OT_INSTANCE)
        return obj.Instance()->klass->members->Find(key) != nullptr;
    if (obj._type == OT_CLASS)
        return obj.Class()->members->Find(key) != nullptr;
    return true;
}
inline bool IsInt2(const Value& a, const Value& b)
{
    return (a._type & b._type) == OT_INTEGER;
}
} // namespace

namespace
{
struct DepthGuard
{
    SQInteger& depth;
    explicit DepthGuard(SQInteger& d) : depth(d) { depth++; }
    ~DepthGuard() { depth--; }
};
// Sets a flag for a scope and puts the old value back when the scope ends.
struct FlagRestore
{
    bool& flag;
    const bool saved;
    FlagRestore(bool& f, bool value) : flag(f), saved(f) { flag = value; }
    ~FlagRestore() { flag = saved; }
};
} // namespace

bool SQVM::Execute(Value& ret)
{
    DepthGuard guard(executeDepth);
    DepthGuard shared(ss->nestedCalls);
    // Only the loop a host call starts raises errors; loops it nests (metamethods, callbacks) start quiet.
    const bool raiseHere = raiseErrors;
    FlagRestore restoreRaise(raiseErrors, false);
    SQCallInfo* ci;
    const SQInstruction* pc;
    Value* stk;
    const Value* K;
#define LOAD_FRAME()                                                                                         \
    do                                                                                                       \
    {                                                                                                        \
        ci = &calls.back();                                                                                  \
        pc = ci->pc;                                                                                         \
        stk = stack + ci->base;                                                                              \
        K = ci->literals;                                                                                    \
    } while (0)
#define SAVE_PC() (ci->pc = pc)
#define REFRESH()                                                                                            \
    do                                                                                                       \
    {                                                                                                        \
        ci = &calls.back();                                                                                  \
        stk = stack + ci->base;                                                                              \
    } while (0)
#define FAIL() goto error
    // Each handler ends in its own indirect jump, which predicts far better than one shared switch.
    static const void* const kHandlers[] = {
        &&L_OP_LOADK,     &&L_OP_LOADINT,    &&L_OP_LOADNULL, &&L_OP_LOADBOOL, &&L_OP_MOVE,
        &&L_OP_GETOUTER,  &&L_OP_SETOUTER,   &&L_OP_NEWTABLE, &&L_OP_NEWARRAY, &&L_OP_APPEND,
        &&L_OP_GET,       &&L_OP_GETK,       &&L_OP_SET,      &&L_OP_SETK,     &&L_OP_NEWSLOT,
        &&L_OP_NEWMEMBER, &&L_OP_DELETE,     &&L_OP_CALL,     &&L_OP_TAILCALL, &&L_OP_PREPCALL,
        &&L_OP_PREPCALLK, &&L_OP_CLOSURE,    &&L_OP_RETURN,   &&L_OP_YIELD,    &&L_OP_JMP,
        &&L_OP_JZ,        &&L_OP_JNZ,        &&L_OP_ADD,      &&L_OP_SUB,      &&L_OP_MUL,
        &&L_OP_DIV,       &&L_OP_MOD,        &&L_OP_BAND,     &&L_OP_BOR,      &&L_OP_BXOR,
        &&L_OP_SHL,       &&L_OP_SHR,        &&L_OP_USHR,     &&L_OP_EQ,       &&L_OP_NE,
        &&L_OP_LT,        &&L_OP_LE,         &&L_OP_GT,       &&L_OP_GE,       &&L_OP_CMP3,
        &&L_OP_JLT,       &&L_OP_JLE,        &&L_OP_JGT,      &&L_OP_JGE,      &&L_OP_JEQ,
        &&L_OP_JNE,       &&L_OP_NEG,        &&L_OP_NOT,      &&L_OP_BNOT,     &&L_OP_INC,
        &&L_OP_TYPEOF,    &&L_OP_INSTANCEOF, &&L_OP_IN,       &&L_OP_CLONE,    &&L_OP_RESUME,
        &&L_OP_FOREACH,   &&L_OP_CLASS,      &&L_OP_THROW,    &&L_OP_PUSHTRAP, &&L_OP_POPTRAP,
        &&L_OP_CLOSE,     &&L_OP_GETBASE,    &&L_OP_GETROOT,  &&L_OP_LINE};
    static_assert(sizeof(kHandlers) / sizeof(kHandlers[0]) == OP_LINE + 1,
                  "one handler per opcode, in order");
    SQInstruction i;
#define DISPATCH()                                                                                           \
    do                                                                                                       \
    {                                                                                                        \
        i = *pc++;                                                                                           \
        goto* kHandlers[i.op];                                                                               \
    } while (0)
#define NEXT() goto next_instruction
    LOAD_FRAME();
    if (throwOnResume)
    {
        throwOnResume = false;
        goto error;
    }
    DISPATCH();
    {
        {
        L_OP_LOADK:
            stk[i.a] = K[i.sbx];
            DISPATCH();
        L_OP_LOADINT:
            stk[i.a].SetInteger(i.sbx);
            DISPATCH();
        L_OP_LOADNULL:
            for (SQInteger n = 0; n < i.b; n++)
                stk[i.a + n].Null();
            DISPATCH();
        L_OP_LOADBOOL:
            stk[i.a].SetBool(i.b != 0);
            DISPATCH();
        L_OP_MOVE:
            stk[i.a] = stk[i.b];
            DISPATCH();
        L_OP_GETOUTER:
            stk[i.a] = ci->closure->outers[i.b].Outer()->Get();
            DISPATCH();
        L_OP_SETOUTER:
            ci->closure->outers[i.a].Outer()->Get() = stk[i.b];
            DISPATCH();
        L_OP_NEWTABLE:
            stk[i.a] = SQTable::Create(ss, i.b);
            DISPATCH();
        L_OP_NEWARRAY:
        {
            Value a = SQArray::Create(ss);
            a.Array()->values.reserve(i.b);
            stk[i.a] = std::move(a);
            NEXT();
        }
        L_OP_APPEND:
            // only loaded bytecode can aim an append at anything but the array the compiler built
            if (stk[i.a]._type != OT_ARRAY)
            {
                SAVE_PC();
                Raise("append to a '%s'", TypeName(stk[i.a]._type));
                FAIL();
            }
            stk[i.a].Array()->values.push_back(stk[i.b]);
            DISPATCH();
        L_OP_GET:
        {
            const Value& o = stk[i.b];
            const Value& k = stk[i.c];
            if (o._type == OT_ARRAY && k._type == OT_INTEGER)
            {
                std::vector<Value>& v = o.Array()->values;
                if (uint32_t(k.Int()) < v.size() && v[size_t(k.Int())]._type != OT_WEAKREF)
                {
                    stk[i.a] = v[size_t(k.Int())];
                    DISPATCH();
                }
            }
            else if (o._type == OT_TABLE)
            {
                Value* v = o.Table()->Find(k);
                if (v && v->_type != OT_WEAKREF)
                {
                    stk[i.a] = *v;
                    DISPATCH();
                }
            }
            SAVE_PC();
            Value tmp;
            if (!Get(o, k, tmp, false))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_GETK:
        {
            const Value& o = stk[i.b];
            if (o._type == OT_TABLE)
            {
                Value* v = o.Table()->Find(K[i.c]);
                if (v && v->_type != OT_WEAKREF)
                {
                    stk[i.a] = *v;
                    DISPATCH();
                }
            }
            else if (o._type == OT_INSTANCE)
            {
                SQInstance* inst = o.Instance();
                Value* idx = inst->klass->members->Find(K[i.c]);
                if (idx)
                {
                    SQInteger m = idx->Int();
                    const Value& v = (m & MEMBER_FIELD_FLAG)
                                         ? inst->values[size_t(m & MEMBER_INDEX_MASK)]
                                         : inst->klass->methods[size_t(m & MEMBER_INDEX_MASK)].val;
                    if (v._type != OT_WEAKREF)
                    {
                        stk[i.a] = v;
                        DISPATCH();
                    }
                }
            }
            SAVE_PC();
            Value tmp;
            if (!Get(o, K[i.c], tmp, i.x != 0))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_SET:
        {
            const Value& o = stk[i.a];
            const Value& k = stk[i.b];
            if (o._type == OT_ARRAY && k._type == OT_INTEGER && uint32_t(k.Int()) < o.Array()->values.size())
            {
                o.Array()->values[size_t(k.Int())] = stk[i.c];
                DISPATCH();
            }
            SAVE_PC();
            if (!Set(o, k, stk[i.c]))
                FAIL();
            REFRESH();
            DISPATCH();
        }
        L_OP_SETK:
        {
            const Value& o = stk[i.a];
            if (o._type == OT_INSTANCE)
            {
                SQInstance* inst = o.Instance();
                Value* idx = inst->klass->members->Find(K[i.b]);
                if (idx && (idx->Int() & MEMBER_FIELD_FLAG))
                {
                    inst->values[size_t(idx->Int() & MEMBER_INDEX_MASK)] = stk[i.c];
                    DISPATCH();
                }
            }
            SAVE_PC();
            if (i.x && roottable._type == OT_TABLE && !HasSlot(o, K[i.b]) &&
                roottable.Table()->Set(K[i.b], stk[i.c]))
                DISPATCH();
            if (!Set(o, K[i.b], stk[i.c]))
                FAIL();
            REFRESH();
            DISPATCH();
        }
        L_OP_NEWSLOT:
            SAVE_PC();
            if (!NewSlot(stk[i.a], (i.x & 1) ? K[i.b] : stk[i.b], stk[i.c], false))
                FAIL();
            REFRESH();
            DISPATCH();
        L_OP_NEWMEMBER:
        {
            SAVE_PC();
            Value attrs = (i.x & 1) ? stk[i.b - 1] : Value();
            if (!NewMember(stk[i.a], stk[i.b], stk[i.c], attrs, (i.x & 2) != 0))
                FAIL();
            REFRESH();
            NEXT();
        }
        L_OP_DELETE:
        {
            SAVE_PC();
            Value tmp;
            if (!DeleteSlot(stk[i.b], stk[i.c], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_PREPCALL:
        L_OP_PREPCALLK:
        {
            const Value& key = i.op == OP_PREPCALLK ? K[i.c] : stk[i.c];
            const Value* method = nullptr;
            const Value& obj = stk[i.b];
            if (obj._type == OT_INSTANCE)
            {
                SQInstance* inst = obj.Instance();
                Value* idx = inst->klass->members->Find(key);
                if (idx && !(idx->Int() & MEMBER_FIELD_FLAG))
                    method = &inst->klass->methods[size_t(idx->Int() & MEMBER_INDEX_MASK)].val;
            }
            else if (obj._type == OT_TABLE)
            {
                Value* v = obj.Table()->Find(key);
                if (v && v->_type != OT_WEAKREF)
                    method = v;
            }
            if (method)
            {
                // obj stays alive in a+1 while a is overwritten (a and b may be the same register)
                if (i.a + 1 != i.b)
                    stk[i.a + 1] = stk[i.b];
                stk[i.a] = *method;
                DISPATCH();
            }
            SAVE_PC();
            Value o = stk[i.b];
            Value fn;
            if (!Get(o, key, fn, i.x != 0))
                FAIL();
            REFRESH();
            stk[i.a + 1] = std::move(o);
            stk[i.a] = std::move(fn);
            NEXT();
        }
        L_OP_TAILCALL:
        {
            Value& fn = stk[i.a];
            // a debug hook sees the caller return and the callee called, so the frame is not reused
            if (fn._type == OT_CLOSURE && !ci->root && !ci->generator && debugHook._type == OT_NULL)
            {
                SQClosure* c = fn.Closure();
                SQFunctionProto* p = c->Proto();
                if (i.b == p->nparams && p->simpleCall && c->env._type == OT_NULL &&
                    ci->base + p->maxStack + MIN_STACK_OVERHEAD < stackSize)
                {
                    if (openOuters && openOuters->index >= ci->base)
                        CloseOuters(ci->base);
                    stack[ci->target] =
                        fn; // the caller's slot held this frame's closure; now it keeps the callee
                    for (SQInteger n = 0; n < i.b; n++)
                        stk[n] = std::move(stk[i.a + 1 + n]);
                    for (Value *slot = stack + top, *low = stk + i.b; slot-- > low;)
                        slot->Null();
                    ci->pc = p->code.data();
                    ci->closure = c;
                    ci->literals = p->literals.data();
                    top = ci->base + p->maxStack;
                    LOAD_FRAME();
                    DISPATCH();
                }
            }
            goto L_OP_CALL;
        }
        L_OP_CALL:
        {
            Value& fn = stk[i.a];
            SQInteger argBase = ci->base + i.a + 1;
            SAVE_PC();
            if (fn._type == OT_CLOSURE)
            {
                SQClosure* c = fn.Closure();
                SQFunctionProto* p = c->Proto();
                if (i.b == p->nparams && p->simpleCall && c->env._type == OT_NULL &&
                    argBase + p->maxStack + MIN_STACK_OVERHEAD < stackSize && debugHook._type == OT_NULL)
                {
                    PushScriptFrame(c, p, argBase, argBase - 1, false);
                    LOAD_FRAME();
                    DISPATCH();
                }
                bool entered;
                Value gen;
                if (!EnterFrame(fn.Closure(), argBase, i.b, ci->base + i.a, false, entered, gen))
                    FAIL();
                if (!entered)
                {
                    stk[i.a] = std::move(gen);
                    NEXT();
                }
                LOAD_FRAME();
                NEXT();
            }
            // A script constructor runs in this loop, so an uncaught error in it is reported from inside it.
            if (fn._type == OT_CLASS && fn.Class()->constructor._type == OT_CLOSURE)
            {
                if (!EnterConstructorFrame(fn.Class(), argBase, i.b, ci->base + i.a))
                    FAIL();
                LOAD_FRAME();
                NEXT();
            }
            Value r;
            Value callee = fn;
            bool ok = callee._type == OT_NATIVECLOSURE ? CallNative(callee.Native(), argBase, i.b, r)
                                                       : Call(callee, argBase, i.b, r);
            REFRESH();
            if (!ok)
                FAIL();
            if (suspended)
            {
                suspendTarget = ci->base + i.a;
                ret = r;
                return true;
            }
            stk[i.a] = std::move(r);
            NEXT();
        }
        L_OP_CLOSURE:
        {
            const Value& proto = ci->closure->Proto()->functions[i.b];
            SQClosure* c = SQClosure::Create(ss, proto);
            Value cv(OT_CLOSURE, c);
            const std::vector<SQOuterInfo>& outers = proto.Proto()->outers;
            for (size_t n = 0; n < outers.size(); n++)
            {
                if (outers[n].fromStack)
                    c->outers[n] = Value(OT_OUTER, FindOuter(ci->base + outers[n].index));
                else
                    c->outers[n] = ci->closure->outers[size_t(outers[n].index)];
            }
            for (size_t d = 0; d < c->defaults.size(); d++)
                c->defaults[d] = stk[i.c + d];
            stk[i.a] = std::move(cv);
            NEXT();
        }
        L_OP_RETURN:
        {
            if (!ci->generator && !(openOuters && openOuters->index >= ci->base) &&
                (traps.empty() || traps.back().callDepth != SQInteger(calls.size())) &&
                debugHook._type == OT_NULL)
            {
                Value& dst = ci->root ? ret : stack[ci->target];
                if (i.x)
                    dst = std::move(stk[i.a]);
                else
                    dst.Null();
                for (Value* slot = stack + top; slot-- > stk;) // highest first, as LeaveFrame
                    slot->Null();
                top = ci->prevTop;
                stackBase = ci->prevStackBase;
                const bool root = ci->root;
                calls.pop_back();
                if (root)
                    return true;
                LOAD_FRAME();
                DISPATCH();
            }
            Value v;
            if (i.x)
                v = stk[i.a];
            if (debugHook._type != OT_NULL)
            {
                SAVE_PC();
                CallDebugHook(
                    'r', ci->closure->Proto()->LineAt(SQInteger(pc - ci->closure->Proto()->code.data()) - 1));
                REFRESH();
            }
            bool root = ci->root;
            SQInteger target = ci->target;
            const bool generatorEnds = ci->generator != nullptr;
            LeaveFrame();
            if (root)
            {
                ret = std::move(v);
                return true;
            }
            stack[target] = std::move(v);
            LOAD_FRAME();
            // a foreach that resumed the generator leaves its loop once the generator is over
            if (generatorEnds && pc[-1].op == OP_FOREACH)
                pc += pc[-1].sbx;
            NEXT();
        }
        L_OP_YIELD:
        {
            SQGenerator* g = ci->generator;
            if (!g)
            {
                SAVE_PC();
                Raise("internal error: yield outside a generator");
                FAIL();
            }
            Value v;
            if (i.x)
                v = stk[i.a];
            SQFunctionProto* p = ci->closure->Proto();
            if (openOuters && openOuters->index >= ci->base)
                CloseOuters(ci->base);
            g->stack.resize(size_t(p->maxStack));
            ExchangeValues(g->stack.data(), stk, p->maxStack);
            while (!traps.empty() && traps.back().callDepth == SQInteger(calls.size()))
            {
                SQExceptionTrap t = traps.back();
                t.stackBase -= ci->base;
                g->traps.insert(g->traps.begin(), t);
                traps.pop_back();
            }
            g->pc = pc;
            g->state = SQGenerator::Suspended;
            const bool root = ci->root;
            const SQInteger target = ci->target;
            LeaveSuspendedFrame(p->maxStack);
            if (root)
            {
                ret = std::move(v);
                return true;
            }
            stack[target] = std::move(v);
            LOAD_FRAME();
            NEXT();
        }
        L_OP_JMP:
            pc += i.sbx;
            DISPATCH();
        L_OP_JZ:
            if (IsFalse(stk[i.a]))
                pc += i.sbx;
            DISPATCH();
        L_OP_JNZ:
            if (!IsFalse(stk[i.a]))
                pc += i.sbx;
            DISPATCH();
#define ARITH_INT_FLOAT(opcode, expr_int, expr_float)                                                        \
    L_##opcode:                                                                                              \
    {                                                                                                        \
        const Value& x = stk[i.b];                                                                           \
        const Value& y = i.x ? K[i.c] : stk[i.c];                                                            \
        if (IsInt2(x, y))                                                                                    \
        {                                                                                                    \
            uint32_t a = uint32_t(x.Int()), b = uint32_t(y.Int());                                           \
            stk[i.a].SetInteger(SQInteger(expr_int));                                                        \
            DISPATCH();                                                                                      \
        }                                                                                                    \
        if (x._type == OT_FLOAT && y._type == OT_FLOAT)                                                      \
        {                                                                                                    \
            SQFloat a = x.Float(), b = y.Float();                                                            \
            stk[i.a].SetFloat(expr_float);                                                                   \
            DISPATCH();                                                                                      \
        }                                                                                                    \
        SAVE_PC();                                                                                           \
        Value tmp;                                                                                           \
        if (!Arith(opcode, x, y, tmp))                                                                       \
            FAIL();                                                                                          \
        REFRESH();                                                                                           \
        stk[i.a] = std::move(tmp);                                                                           \
        NEXT();                                                                                              \
    }
            ARITH_INT_FLOAT(OP_ADD, a + b, a + b)
            ARITH_INT_FLOAT(OP_SUB, a - b, a - b)
            ARITH_INT_FLOAT(OP_MUL, a * b, a * b)
        L_OP_DIV:
        L_OP_MOD:
        L_OP_BAND:
        L_OP_BOR:
        L_OP_BXOR:
        L_OP_SHL:
        L_OP_SHR:
        L_OP_USHR:
        {
            SAVE_PC();
            Value tmp;
            if (!Arith(i.op, stk[i.b], i.x ? K[i.c] : stk[i.c], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_EQ:
            stk[i.a].SetBool(Equal(stk[i.b], i.x ? K[i.c] : stk[i.c]));
            DISPATCH();
        L_OP_NE:
            stk[i.a].SetBool(!Equal(stk[i.b], i.x ? K[i.c] : stk[i.c]));
            DISPATCH();
// Sets r to whether b rel c holds; the value and jump forms are separate handlers, so each branches once.
#define COMPARE_OPERANDS(rel)                                                                               \
    const Value& x = stk[i.b];                                                                              \
    const Value& y = (i.x & 1) ? K[i.c] : stk[i.c];                                                         \
    bool r;                                                                                                 \
    if (IsInt2(x, y))                                                                                       \
        r = x.Int() rel y.Int();                                                                            \
    else if (x._type == OT_FLOAT && y._type == OT_FLOAT)                                                    \
        r = FloatOrder(x, y) rel 0;                                                                         \
    else                                                                                                    \
    {                                                                                                       \
        SAVE_PC();                                                                                          \
        SQInteger c;                                                                                        \
        if (!CompareOther(x, y, c))                                                                         \
            FAIL();                                                                                         \
        REFRESH();                                                                                          \
        r = c rel 0;                                                                                        \
    }
#define COMPARE(opcode, jopcode, rel)                                                                       \
    L_##opcode:                                                                                             \
    {                                                                                                       \
        COMPARE_OPERANDS(rel)                                                                               \
        stk[i.a].SetBool(r);                                                                                \
        DISPATCH();                                                                                         \
    }                                                                                                       \
    L_##jopcode:                                                                                            \
    {                                                                                                       \
        COMPARE_OPERANDS(rel)                                                                               \
        const SQInstruction& j = *pc++;                                                                     \
        if (r == ((i.x & 2) != 0))                                                                          \
            pc += j.sbx;                                                                                    \
        DISPATCH();                                                                                         \
    }
            COMPARE(OP_LT, OP_JLT, <)
            COMPARE(OP_LE, OP_JLE, <=)
            COMPARE(OP_GT, OP_JGT, >)
            COMPARE(OP_GE, OP_JGE, >=)
        L_OP_JEQ:
        L_OP_JNE:
        {
            bool r = Equal(stk[i.b], (i.x & 1) ? K[i.c] : stk[i.c]) == (i.op == OP_JEQ);
            const SQInstruction& j = *pc++;
            if (r == ((i.x & 2) != 0)) // bit 1: jump when the comparison holds
                pc += j.sbx;
            DISPATCH();
        }
        L_OP_CMP3:
        {
            const Value& x = stk[i.b];
            const Value& y = i.x ? K[i.c] : stk[i.c];
            if (IsInt2(x, y))
            {
                stk[i.a].SetInteger(IntegerOrder(x.Int(), y.Int()));
                DISPATCH();
            }
            SAVE_PC();
            SQInteger c;
            if (!CompareOther(x, y, c))
                FAIL();
            REFRESH();
            stk[i.a].SetInteger(c);
            DISPATCH();
        }
        L_OP_NEG:
        {
            SAVE_PC();
            Value tmp;
            if (!Negate(stk[i.b], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_NOT:
            stk[i.a].SetBool(IsFalse(stk[i.b]));
            DISPATCH();
        L_OP_BNOT:
            if (stk[i.b]._type != OT_INTEGER)
            {
                SAVE_PC();
                Raise("attempt to perform a bitwise op on a %s", TypeName(stk[i.b]._type));
                FAIL();
            }
            stk[i.a].SetInteger(~stk[i.b].Int());
            DISPATCH();
        L_OP_INC:
        {
            const Value& v = stk[i.b];
            SQInteger delta = int8_t(i.x);
            if (v._type == OT_INTEGER)
            {
                stk[i.a].SetInteger(SQInteger(uint32_t(v.Int()) + uint32_t(delta)));
                DISPATCH();
            }
            if (v._type == OT_FLOAT)
            {
                stk[i.a].SetFloat(v.Float() + SQFloat(delta));
                DISPATCH();
            }
            SAVE_PC();
            Value tmp;
            if (!Arith(OP_ADD, v, Value(delta), tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_TYPEOF:
        {
            SAVE_PC();
            Value tmp;
            if (!TypeOf(stk[i.b], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_INSTANCEOF:
        {
            const Value& c = stk[i.c];
            if (c._type != OT_CLASS)
            {
                SAVE_PC();
                Raise("cannot apply instanceof between a %s and a %s", TypeName(c._type),
                      TypeName(stk[i.b]._type));
                FAIL();
            }
            bool r = stk[i.b]._type == OT_INSTANCE && stk[i.b].Instance()->InstanceOf(c.Class());
            stk[i.a].SetBool(r);
            DISPATCH();
        }
        L_OP_IN:
        {
            SAVE_PC();
            stk[i.a].SetBool(Contains(stk[i.c], stk[i.b]));
            NEXT();
        }
        L_OP_CLONE:
        {
            SAVE_PC();
            Value tmp;
            if (!Clone(stk[i.b], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_RESUME:
        {
            SAVE_PC();
            if (stk[i.b]._type != OT_GENERATOR)
            {
                Raise("trying to resume a '%s',only genenerator can be resumed", TypeName(stk[i.b]._type));
                FAIL();
            }
            // the generator runs on in this loop and yields back into the caller's register
            if (!EnterGenerator(stk[i.b].Generator(), ci->base + i.a, false))
                FAIL();
            LOAD_FRAME();
            NEXT();
        }
        L_OP_FOREACH:
        {
            SAVE_PC();
            if (stk[i.a]._type == OT_GENERATOR)
            {
                bool over;
                if (!EnterForeachGenerator(stk + i.a, ci->base + i.a + 3, over))
                    FAIL();
                if (over)
                    pc += i.sbx;
                else
                    LOAD_FRAME();
                DISPATCH();
            }
            bool done;
            if (!ForeachStep(stk + i.a, done))
            {
                REFRESH();
                FAIL();
            }
            REFRESH();
            if (done)
                pc += i.sbx;
            DISPATCH();
        }
        L_OP_CLASS:
        {
            SAVE_PC();
            Value tmp;
            if (!MakeClass(i.b == NO_REG ? nullptr : &stk[i.b], i.c == NO_REG ? nullptr : &stk[i.c], tmp))
                FAIL();
            REFRESH();
            stk[i.a] = std::move(tmp);
            NEXT();
        }
        L_OP_THROW:
            SAVE_PC();
            lastError = stk[i.a];
            FAIL();
        L_OP_PUSHTRAP:
            traps.push_back({ci->base, i.a, pc + i.sbx, SQInteger(calls.size())});
            DISPATCH();
        L_OP_POPTRAP:
            // a frame drops only the traps it pushed, whatever count loaded bytecode asks for
            for (SQInteger n = 0;
                 n < i.b && !traps.empty() && traps.back().callDepth == SQInteger(calls.size()); n++)
                traps.pop_back();
            DISPATCH();
        L_OP_CLOSE:
            CloseOuters(ci->base + i.a);
            DISPATCH();
        L_OP_GETBASE:
            if (ci->closure->base._type == OT_CLASS && ci->closure->base.Class()->base)
                stk[i.a] = Value(OT_CLASS, ci->closure->base.Class()->base);
            else
                stk[i.a].Null();
            DISPATCH();
        L_OP_GETROOT:
            stk[i.a] = roottable;
            DISPATCH();
        L_OP_LINE:
            if (debugHook._type != OT_NULL)
            {
                SAVE_PC();
                CallDebugHook('l', i.sbx);
                REFRESH();
            }
            DISPATCH();
        }
    next_instruction:
        DISPATCH();
    error:
        // Every loop an error leaves uncaught reports it, so an error crossing a native that called back into
        // script reaches the handler once per loop the host asked to raise errors in.
        if (ss->notifyAllExceptions || (raiseHere && !TrappedInThisLoop()))
            NotifyError();
        for (;;)
        {
            ci = &calls.back();
            if (!traps.empty() && traps.back().callDepth == SQInteger(calls.size()))
            {
                SQExceptionTrap t = traps.back();
                traps.pop_back();
                stk = stack + ci->base;
                K = ci->literals;
                top = ci->base + ci->closure->Proto()->maxStack;
                stk[t.target] = lastError;
                pc = t.catchPc;
                DISPATCH();
            }
            bool root = ci->root;
            LeaveFrame();
            if (root)
                return false;
        }
    }
#undef LOAD_FRAME
#undef SAVE_PC
#undef REFRESH
#undef FAIL
#undef DISPATCH
#undef NEXT
}
