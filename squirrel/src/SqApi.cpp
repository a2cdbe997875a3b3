// The embedding API over the VM's stack.
#include "SqCompiler.h"
#include "SqState.h"
#include "SqVM.h"

#include <algorithm>
#include <cstdlib>
#include <string>

void SQRegisterDefaultDelegates(SQSharedState* ss);

namespace
{
SQRESULT Fail(HSQUIRRELVM v, const char* msg)
{
    v->Raise("%s", msg);
    return SQ_ERROR;
}

// How an error message shows a value: a string as it is, a number printed, anything else by its type.
std::string ShownValue(HSQUIRRELVM v, const Value& o)
{
    if (o._type == OT_STRING)
        return o.Str()->data;
    Value text;
    if ((o._type == OT_INTEGER || o._type == OT_FLOAT) && v->ToString(o, text))
        return text.Str()->data;
    return TypeName(o._type);
}

// Host code must push what a call consumes; a shorter stack is refused before anything is touched.
bool HasParams(HSQUIRRELVM v, SQInteger count)
{
    if (v->top - v->stackBase >= count)
        return true;
    v->Raise("not enough params in the stack");
    return false;
}

SQRESULT FailType(HSQUIRRELVM v, SQObjectType type)
{
    v->Raise("unexpected type %s", TypeName(type));
    return SQ_ERROR;
}

bool IsFunction(const Value& o)
{
    return o._type == OT_CLOSURE || o._type == OT_NATIVECLOSURE;
}
} // namespace

const Value* Typed(HSQUIRRELVM v, SQInteger idx, SQObjectType type)
{
    const Value& o = v->At(idx);
    if (o._type == type)
        return &o;
    v->Raise("wrong argument type, expected '%s' got '%.50s'", TypeName(type), ShownValue(v, o).c_str());
    return nullptr;
}

HSQUIRRELVM sq_open(SQInteger initialstacksize)
{
    SQSharedState* ss = new SQSharedState();
    SQInteger size = initialstacksize > MAIN_STACK_SIZE ? initialstacksize : MAIN_STACK_SIZE;
    SQVM* v = new SQVM(ss, size);
    v->refs++;
    ss->mainVM = v;
    v->roottable = SQTable::Create(ss);
    SQRegisterDefaultDelegates(ss);
    // The built-in globals (print, array, type, ...) belong to every VM, as scripts expect.
    sq_registerbaselib(v);
    return v;
}

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize)
{
    SQInteger size = initialstacksize > THREAD_STACK_SIZE ? initialstacksize : THREAD_STACK_SIZE;
    SQVM* t = new SQVM(friendvm->ss, size);
    t->roottable = friendvm->roottable;
    t->errorHandler = friendvm->errorHandler;
    // As in Squirrel 3.0, every new VM registers the built-in globals afresh, in the root table it shares:
    // a script's replacements of them are undone.
    if (t->roottable._type == OT_TABLE)
        sq_registerbaselib(t);
    friendvm->Push(Value(OT_THREAD, t));
    return t;
}

void sq_close(HSQUIRRELVM v)
{
    SQSharedState* ss = v->ss;
    SQVM* main = ss->mainVM;
    ss->FreeAll();
    if (--main->refs == 0)
        main->Destroy();
    delete ss;
}

// Anything but a function or null is left on the stack and changes nothing.
void sq_seterrorhandler(HSQUIRRELVM v)
{
    const Value& o = v->At(-1);
    if (!IsFunction(o) && o._type != OT_NULL)
        return;
    v->errorHandler = o;
    v->Pop();
}
void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p)
{
    v->foreignPtr = p;
}
SQUserPointer sq_getforeignptr(HSQUIRRELVM v)
{
    return v->foreignPtr;
}
void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc, SQPRINTFUNCTION errfunc)
{
    v->ss->printFunc = printfunc;
    v->ss->errorFunc = errfunc;
}
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v)
{
    return v->ss->printFunc;
}
SQPRINTFUNCTION sq_geterrorfunc(HSQUIRRELVM v)
{
    return v->ss->errorFunc;
}
// Only a native called directly by a script that the host started can suspend: the frames must all be script.
SQRESULT sq_suspendvm(HSQUIRRELVM v)
{
    if (v->suspended)
        return Fail(v, "cannot suspend an already suspended vm");
    if (v->nativeDepth != 1 || v->executeDepth != 1)
        return Fail(v, "cannot suspend through native calls/metamethods");
    return SQ_SUSPEND_FLAG;
}
SQInteger sq_getvmstate(HSQUIRRELVM v)
{
    return v->state;
}

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool resumedret, SQBool retval, SQBool raiseerror, SQBool throwerror)
{
    if (v->state != SQ_VMSTATE_SUSPENDED)
        return Fail(v, "cannot resume a vm that is not running any code");
    Value wake;
    if (resumedret)
    {
        wake = v->At(-1);
        v->Pop();
    }
    if (v->suspendTarget >= 0)
        v->stack[v->suspendTarget] = wake;
    v->suspended = false;
    v->state = SQ_VMSTATE_RUNNING;
    v->throwOnResume = throwerror != 0; // the error was set beforehand with sq_throwerror
    bool savedRaise = v->raiseErrors;
    v->raiseErrors = raiseerror != 0;
    Value ret;
    bool ok = v->Execute(ret);
    v->raiseErrors = savedRaise;
    v->state = v->suspended ? SQ_VMSTATE_SUSPENDED : SQ_VMSTATE_IDLE;
    if (!ok)
        return SQ_ERROR;
    if (retval)
        v->Push(ret);
    return SQ_OK;
}

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename,
                          SQBool raiseerror)
{
    Value proto;
    SQCompileError err;
    if (!SQCompile(v, s, size, sourcename, proto, err))
    {
        if (raiseerror && v->ss->compilerErrorHandler)
            v->ss->compilerErrorHandler(v, err.message.c_str(), sourcename, err.line, err.column);
        v->lastError = MakeString(v->ss, err.message.c_str());
        return SQ_ERROR;
    }
    v->Push(Value(OT_CLOSURE, SQClosure::Create(v->ss, proto)));
    return SQ_OK;
}

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC read, SQUserPointer p, const SQChar* sourcename,
                    SQBool raiseerror)
{
    std::string text;
    for (;;)
    {
        SQInteger c = read(p);
        if (c == SQUIRREL_EOB)
            break;
        text += char(c);
    }
    return sq_compilebuffer(v, text.data(), SQInteger(text.size()), sourcename, raiseerror);
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable)
{
    v->ss->debugInfo = enable != 0;
}
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable)
{
    v->ss->notifyAllExceptions = enable != 0;
}
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f)
{
    v->ss->compilerErrorHandler = f;
}
void sq_enablearrayprint(HSQUIRRELVM v, SQBool enable)
{
    v->ss->printArrays = enable != 0;
}

void sq_push(HSQUIRRELVM v, SQInteger idx)
{
    Value copy = v->At(idx);
    v->Push(copy);
}
void sq_pop(HSQUIRRELVM v, SQInteger n)
{
    v->Pop(n);
}
void sq_poptop(HSQUIRRELVM v)
{
    v->Pop(1);
}
void sq_remove(HSQUIRRELVM v, SQInteger idx)
{
    SQInteger abs = v->AbsIndex(idx);
    for (SQInteger i = abs; i < v->top - 1; i++)
        v->stack[i] = std::move(v->stack[i + 1]);
    v->Pop(1);
}
SQInteger sq_gettop(HSQUIRRELVM v)
{
    return v->top - v->stackBase;
}
void sq_settop(HSQUIRRELVM v, SQInteger newtop)
{
    SQInteger target = v->stackBase + newtop;
    if (target < v->top)
        v->Pop(v->top - target);
    else
        while (v->top < target)
            v->Push(Value());
}
SQRESULT sq_reservestack(HSQUIRRELVM v, SQInteger nsize)
{
    if (v->top + nsize + MIN_STACK_OVERHEAD >= v->stackSize)
        return Fail(v, "stack overflow");
    return SQ_OK;
}
// The sign of (top - second): positive when the value on top is the greater.
SQInteger sq_cmp(HSQUIRRELVM v)
{
    SQInteger r = 0;
    v->Compare(v->At(-1), v->At(-2), r);
    return r;
}
void sq_move(HSQUIRRELVM dest, HSQUIRRELVM src, SQInteger idx)
{
    dest->Push(src->At(idx));
}

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size)
{
    SQUserData* ud = new SQUserData(v->ss);
    ud->size = SQInteger(size);
    ud->data.resize(size ? size : 1);
    v->Push(Value(OT_USERDATA, ud));
    return ud->data.data();
}
void sq_newtable(HSQUIRRELVM v)
{
    v->Push(SQTable::Create(v->ss));
}
void sq_newtableex(HSQUIRRELVM v, SQInteger initialcapacity)
{
    v->Push(SQTable::Create(v->ss, initialcapacity > 0 ? initialcapacity : 0));
}
void sq_newarray(HSQUIRRELVM v, SQInteger size)
{
    v->Push(SQArray::Create(v->ss, size));
}

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQUnsignedInteger nfreevars)
{
    SQNativeClosure* nc = new SQNativeClosure(v->ss);
    Value cv(OT_NATIVECLOSURE, nc);
    nc->func = func;
    // The value on top becomes free variable 0: the native sees them after its arguments in that order.
    for (SQUnsignedInteger i = 0; i < nfreevars; i++)
    {
        nc->outers.push_back(v->At(-1));
        v->Pop();
    }
    v->Push(cv);
}

namespace
{
bool ParseTypeMask(const char* mask, std::vector<SQInteger>& out)
{
    SQInteger current = 0;
    for (const char* p = mask;; p++)
    {
        char c = *p;
        if (c == 0)
            break;
        if (c == '|')
            return false; // a '|' must join two types
        SQInteger t = 0;
        switch (c)
        {
        case 'o':
            t = OT_NULL;
            break;
        case 'i':
            t = OT_INTEGER;
            break;
        case 'f':
            t = OT_FLOAT;
            break;
        case 'n':
            t = OT_FLOAT | OT_INTEGER;
            break;
        case 's':
            t = OT_STRING;
            break;
        case 't':
            t = OT_TABLE;
            break;
        case 'a':
            t = OT_ARRAY;
            break;
        case 'u':
            t = OT_USERDATA;
            break;
        case 'c':
            t = OT_CLOSURE | OT_NATIVECLOSURE;
            break;
        case 'b':
            t = OT_BOOL;
            break;
        case 'g':
            t = OT_GENERATOR;
            break;
        case 'p':
            t = OT_USERPOINTER;
            break;
        case 'v':
            t = OT_THREAD;
            break;
        case 'x':
            t = OT_INSTANCE;
            break;
        case 'y':
            t = OT_CLASS;
            break;
        case 'r':
            t = OT_WEAKREF;
            break;
        case '.':
            t = -1;
            break;
        case ' ':
            continue;
        default:
            return false;
        }
        if (t == -1)
        {
            out.push_back(-1); // any type: nothing can be joined to it
            current = 0;
            continue;
        }
        current |= (t & _RT_MASK);
        if (p[1] == '|')
        {
            if (p[2] == 0)
                return false;
            p++;
            continue;
        }
        out.push_back(current);
        current = 0;
    }
    return true;
}
} // namespace

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar* typemask)
{
    Value& o = v->At(-1);
    if (o._type != OT_NATIVECLOSURE)
        return Fail(v, "native closure expected");
    SQNativeClosure* nc = o.Native();
    nc->nparamscheck = nparamscheck;
    nc->typecheck.clear();
    if (typemask && !ParseTypeMask(typemask, nc->typecheck))
        return Fail(v, "invalid typemask");
    if (nparamscheck == SQ_MATCHTYPEMASKSTRING)
        nc->nparamscheck = SQInteger(nc->typecheck.size());
    return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx)
{
    Value& o = v->At(idx);
    Value env = v->At(-1);
    if (!IsFunction(o))
        return Fail(v, "the target is not a closure");
    if (env._type != OT_TABLE && env._type != OT_CLASS && env._type != OT_INSTANCE)
        return Fail(v, "invalid environment");
    Value copy = o._type == OT_CLOSURE ? o.Closure()->Clone() : o.Native()->Clone();
    if (copy._type == OT_CLOSURE)
        copy.Closure()->env = MakeWeakRef(env);
    else
        copy.Native()->env = MakeWeakRef(env);
    v->Pop();
    v->Push(copy);
    return SQ_OK;
}

void sq_pushstring(HSQUIRRELVM v, const SQChar* s, SQInteger len)
{
    if (!s)
        v->Push(Value());
    else
        v->Push(MakeString(v->ss, s, len));
}
void sq_pushfloat(HSQUIRRELVM v, SQFloat f)
{
    v->Push(Value(f));
}
void sq_pushinteger(HSQUIRRELVM v, SQInteger n)
{
    v->Push(Value(n));
}
void sq_pushbool(HSQUIRRELVM v, SQBool b)
{
    v->Push(Value(b != 0));
}
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p)
{
    v->Push(Value::UserPointer(p));
}
void sq_pushnull(HSQUIRRELVM v)
{
    v->Push(Value());
}
SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx)
{
    return v->At(idx)._type;
}

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    switch (o._type)
    {
    case OT_STRING:
        return o.Str()->len;
    case OT_TABLE:
        return SQInteger(o.Table()->count);
    case OT_ARRAY:
        return SQInteger(o.Array()->values.size());
    case OT_USERDATA:
        return o.UserData()->size;
    case OT_INSTANCE:
        return o.Instance()->udsize; // a bare instance has no area
    case OT_CLASS:
        return o.Class()->udsize;
    default:
        return FailType(v, o._type);
    }
}

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx)
{
    const Value* o = Typed(v, idx, OT_CLASS);
    if (!o)
        return SQ_ERROR;
    if (o->Class()->base)
        v->Push(Value(OT_CLASS, o->Class()->base));
    else
        v->Push(Value());
    return SQ_OK;
}

// The class at -2, the instance on top; anything else is an error (SQ_ERROR, which is not SQFalse).
SQBool sq_instanceof(HSQUIRRELVM v)
{
    const Value& cls = v->At(-2);
    const Value& inst = v->At(-1);
    if (inst._type != OT_INSTANCE || cls._type != OT_CLASS)
        return SQBool(Fail(v, "invalid param type"));
    return inst.Instance()->InstanceOf(cls.Class()) ? SQTrue : SQFalse;
}

namespace
{
// Pushes what one of the VM's conversions (tostring, typeof) makes of the value at idx.
SQRESULT PushConverted(HSQUIRRELVM v, SQInteger idx, bool (SQVM::*convert)(const Value&, Value&))
{
    Value o = v->At(idx);
    Value out;
    if (!(v->*convert)(o, out))
        return SQ_ERROR;
    v->Push(out);
    return SQ_OK;
}
} // namespace

SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx)
{
    return PushConverted(v, idx, &SQVM::ToString);
}
void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool* b)
{
    *b = IsFalse(v->At(idx)) ? SQFalse : SQTrue;
}

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar** c)
{
    const Value* o = Typed(v, idx, OT_STRING);
    if (!o)
        return SQ_ERROR;
    *c = o->Str()->data;
    return SQ_OK;
}
// The numeric getters fail quietly: hosts probe with them.
SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger* i)
{
    const Value& o = v->At(idx);
    if (!o.IsNumeric())
        return SQ_ERROR;
    *i = o.AsInt();
    return SQ_OK;
}
SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat* f)
{
    const Value& o = v->At(idx);
    if (!o.IsNumeric())
        return SQ_ERROR;
    *f = o.AsFloat();
    return SQ_OK;
}
SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool* b)
{
    const Value& o = v->At(idx);
    if (o._type != OT_BOOL)
        return SQ_ERROR;
    *b = o.Int() ? SQTrue : SQFalse;
    return SQ_OK;
}
SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM* thread)
{
    const Value* o = Typed(v, idx, OT_THREAD);
    if (!o)
        return SQ_ERROR;
    *thread = o->Thread();
    return SQ_OK;
}
SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p)
{
    const Value* o = Typed(v, idx, OT_USERPOINTER);
    if (!o)
        return SQ_ERROR;
    *p = o->_unVal.pUserPointer;
    return SQ_OK;
}
SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer* typetag)
{
    const Value* o = Typed(v, idx, OT_USERDATA);
    if (!o)
        return SQ_ERROR;
    *p = o->UserData()->data.data();
    if (typetag)
        *typetag = o->UserData()->typetag;
    return SQ_OK;
}
SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag)
{
    const Value& o = v->At(idx);
    if (o._type == OT_USERDATA)
        o.UserData()->typetag = typetag;
    else if (o._type == OT_CLASS)
        o.Class()->typetag = typetag;
    else
        return Fail(v, "invalid object type");
    return SQ_OK;
}
SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer* typetag)
{
    if (SQ_FAILED(sq_getobjtypetag(&v->At(idx), typetag)))
        return Fail(v, "invalid object type");
    return SQ_OK;
}
SQRESULT sq_getobjtypetag(const HSQOBJECT* o, SQUserPointer* typetag)
{
    switch (o->_type)
    {
    case OT_INSTANCE:
        *typetag = o->_unVal.pInstance->klass->typetag;
        return SQ_OK;
    case OT_USERDATA:
        *typetag = o->_unVal.pUserData->typetag;
        return SQ_OK;
    case OT_CLASS:
        *typetag = o->_unVal.pClass->typetag;
        return SQ_OK;
    default:
        return SQ_ERROR;
    }
}
void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook)
{
    if (v->top - v->stackBase < 1)
        return;
    const Value& o = v->At(idx);
    if (o._type == OT_USERDATA)
        o.UserData()->hook = hook;
    else if (o._type == OT_INSTANCE)
        o.Instance()->hook = hook;
    else if (o._type == OT_CLASS)
        o.Class()->hook = hook;
}
SQChar* sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize)
{
    if (SQInteger(v->ss->scratch.size()) < minsize)
        v->ss->scratch.resize(size_t(minsize));
    return &v->ss->scratch[0];
}

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger* nparams,
                           SQUnsignedInteger* nfreevars)
{
    const Value& o = v->At(idx);
    if (o._type == OT_CLOSURE)
    {
        // 'this' and vargv count as parameters
        const SQFunctionProto* p = o.Closure()->Proto();
        *nparams = SQUnsignedInteger(p->nparams + (p->varParams ? 1 : 0));
        *nfreevars = SQUnsignedInteger(o.Closure()->outers.size());
        return SQ_OK;
    }
    if (o._type == OT_NATIVECLOSURE)
    {
        *nparams = SQUnsignedInteger(o.Native()->nparamscheck);
        *nfreevars = SQUnsignedInteger(o.Native()->outers.size());
        return SQ_OK;
    }
    return Fail(v, "the object is not a closure");
}
SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar* name)
{
    const Value& o = v->At(idx);
    if (o._type != OT_NATIVECLOSURE)
        return Fail(v, "the object is not a nativeclosure");
    o.Native()->name = MakeString(v->ss, name);
    return SQ_OK;
}
SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p)
{
    const Value& o = v->At(idx);
    if (o._type != OT_INSTANCE)
        return Fail(v, "the object is not a class instance");
    o.Instance()->up = p;
    return SQ_OK;
}
SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer typetag)
{
    const Value& o = v->At(idx);
    if (o._type != OT_INSTANCE)
        return Fail(v, "the object is not a class instance");
    *p = o.Instance()->up;
    if (typetag)
    {
        for (SQClass* c = o.Instance()->klass; c; c = c->base)
            if (c->typetag == typetag)
                return SQ_OK;
        return Fail(v, "invalid type tag");
    }
    return SQ_OK;
}
SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize)
{
    const Value& o = v->At(idx);
    if (o._type != OT_CLASS)
        return Fail(v, "the object is not a class");
    if (udsize < 0)
        return Fail(v, "negative user data size");
    // instances already made hold areas of the old size
    if (o.Class()->locked)
        return Fail(v, "the class is locked");
    o.Class()->udsize = udsize;
    return SQ_OK;
}
SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase)
{
    Value base;
    if (hasbase)
    {
        base = v->At(-1);
        if (base._type != OT_CLASS)
            return Fail(v, "invalid base type");
        v->Pop();
    }
    Value cls;
    if (!v->MakeClass(hasbase ? &base : nullptr, nullptr, cls))
        return SQ_ERROR;
    v->Push(cls);
    return SQ_OK;
}
SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx)
{
    const Value* o = Typed(v, idx, OT_CLASS);
    if (!o)
        return SQ_ERROR;
    v->Push(o->Class()->CreateInstance());
    return SQ_OK;
}
SQRESULT sq_createbareinstance(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    if (o._type != OT_CLASS)
        return Fail(v, "the object is not a class");
    v->Push(o.Class()->CreateBareInstance());
    return SQ_OK;
}
// A failing attribute call leaves its key (and value) on the stack.
SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx)
{
    const Value* o = Typed(v, idx, OT_CLASS);
    if (!o)
        return SQ_ERROR;
    Value cls = *o;
    Value key = v->At(-2), val = v->At(-1);
    Value old;
    if (key.IsNull())
    {
        old = cls.Class()->attributes;
        cls.Class()->attributes = val;
    }
    else if (cls.Class()->GetAttributes(key, old))
        cls.Class()->SetAttributes(key, val);
    else
        return Fail(v, "wrong index");
    v->Pop(2);
    v->Push(old);
    return SQ_OK;
}
SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx)
{
    const Value* o = Typed(v, idx, OT_CLASS);
    if (!o)
        return SQ_ERROR;
    Value cls = *o;
    Value key = v->At(-1);
    Value attrs;
    if (key.IsNull())
        attrs = cls.Class()->attributes;
    else if (!cls.Class()->GetAttributes(key, attrs))
        return Fail(v, "wrong index");
    v->Pop();
    v->Push(attrs);
    return SQ_OK;
}
SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx)
{
    const Value* o = Typed(v, idx, OT_INSTANCE);
    if (!o)
        return SQ_ERROR;
    v->Push(Value(OT_CLASS, o->Instance()->klass));
    return SQ_OK;
}
void sq_weakref(HSQUIRRELVM v, SQInteger idx)
{
    v->Push(MakeWeakRef(v->At(idx)));
}
SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t)
{
    // bools borrow the number delegate inside the VM, but have none of their own
    const Value* d = t == OT_BOOL ? nullptr : v->ss->DefaultDelegate(t);
    if (!d)
        return Fail(v, "the type doesn't have a default delegate");
    v->Push(*d);
    return SQ_OK;
}

void sq_pushroottable(HSQUIRRELVM v)
{
    v->Push(v->roottable);
}
void sq_pushregistrytable(HSQUIRRELVM v)
{
    v->Push(v->ss->registry);
}
void sq_pushconsttable(HSQUIRRELVM v)
{
    v->Push(v->ss->constTable);
}
SQRESULT sq_setroottable(HSQUIRRELVM v)
{
    Value o = v->At(-1);
    if (o._type != OT_TABLE && o._type != OT_NULL)
        return Fail(v, "ivalid type");
    v->roottable = o;
    v->Pop();
    return SQ_OK;
}
SQRESULT sq_setconsttable(HSQUIRRELVM v)
{
    Value o = v->At(-1);
    if (o._type != OT_TABLE)
        return Fail(v, "ivalid type, expected table");
    v->ss->constTable = o;
    v->Pop();
    return SQ_OK;
}

// Refused calls (wrong target, null key) leave the key and value on the stack; a slot the target refuses
// (a locked class, a failing _newslot) pops them and fails instead of reporting success.
SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic)
{
    if (!HasParams(v, 3))
        return SQ_ERROR;
    Value self = v->At(idx);
    if (self._type != OT_TABLE && self._type != OT_CLASS)
        return FailType(v, self._type);
    Value key = v->At(-2), val = v->At(-1);
    if (key.IsNull())
        return Fail(v, "null is not a valid key");
    const bool ok = v->NewSlot(self, key, val, bstatic != 0);
    v->Pop(2);
    return ok ? SQ_OK : SQ_ERROR;
}
// A refused call leaves the key; a missing slot pops it.
SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    if (!HasParams(v, 2))
        return SQ_ERROR;
    const Value* t = Typed(v, idx, OT_TABLE);
    if (!t)
        return SQ_ERROR;
    Value self = *t;
    Value key = v->At(-1);
    if (key.IsNull())
        return Fail(v, "null is not a valid key");
    Value out;
    if (!v->DeleteSlot(self, key, out))
    {
        v->Pop();
        return SQ_ERROR;
    }
    v->Pop();
    if (pushval)
        v->Push(out);
    return SQ_OK;
}
// A failing set leaves the key and value on the stack; a null key is a key no object has.
SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value key = v->At(-2), val = v->At(-1);
    if (!v->Set(self, key, val))
        return SQ_ERROR;
    v->Pop(2);
    return SQ_OK;
}
// The key is replaced by the value, or popped on failure.
SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value key = v->At(-1);
    v->Pop();
    if (key.IsNull())
    {
        v->RaiseIndexError(key);
        return SQ_ERROR;
    }
    Value out;
    if (!v->Get(self, key, out, false))
        return SQ_ERROR;
    v->Push(out);
    return SQ_OK;
}
namespace
{
enum class RawGetResult
{
    Found,
    Missing,
    WrongType
};

RawGetResult RawGet(const Value& self, const Value& key, Value& out)
{
    bool found = false;
    switch (self._type)
    {
    case OT_TABLE:
        found = self.Table()->Get(key, out);
        break;
    case OT_CLASS:
        found = self.Class()->Get(key, out);
        break;
    case OT_INSTANCE:
        found = self.Instance()->Get(key, out);
        break;
    case OT_ARRAY:
        if (key.IsNumeric() && key.AsInt() >= 0 && size_t(key.AsInt()) < self.Array()->values.size())
        {
            out = self.Array()->values[size_t(key.AsInt())];
            found = true;
        }
        break;
    default:
        return RawGetResult::WrongType;
    }
    if (!found)
        return RawGetResult::Missing;
    if (out._type == OT_WEAKREF)
        out = Value(out.WeakRef()->obj);
    return RawGetResult::Found;
}
} // namespace

SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value key = v->At(-1);
    v->Pop();
    if (self._type == OT_ARRAY && !key.IsNumeric())
        return Fail(v, "invalid index type for an array");
    Value out;
    switch (RawGet(self, key, out))
    {
    case RawGetResult::WrongType:
        return Fail(v, "rawget works only on array/table/instance and class");
    case RawGetResult::Missing:
        return Fail(v, "the index doesn't exist");
    case RawGetResult::Found:
        break;
    }
    v->Push(out);
    return SQ_OK;
}

// A raw get for lookups that expect to miss: a miss is no error.
SQRESULT sq_tryrawget(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value key = v->At(-1);
    v->Pop();
    Value out;
    if (RawGet(self, key, out) != RawGetResult::Found)
        return SQ_ERROR;
    v->Push(out);
    return SQ_OK;
}
// A null key or a wrong target pops the key and value; a missing instance member or array index leaves
// them on the stack.
SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value key = v->At(-2), val = v->At(-1);
    if (key.IsNull())
    {
        v->Pop(2);
        return Fail(v, "null key");
    }
    bool ok = false;
    switch (self._type)
    {
    case OT_TABLE:
        self.Table()->NewSlot(key, val);
        ok = true;
        break;
    case OT_CLASS:
        // an instantiated class ignores a new field value without an error
        self.Class()->NewSlot(v->ss, key, val, false);
        ok = true;
        break;
    case OT_INSTANCE:
        if (!self.Instance()->Set(key, val))
        {
            v->RaiseIndexError(key);
            return SQ_ERROR;
        }
        ok = true;
        break;
    case OT_ARRAY:
        if (!v->Set(self, key, val))
            return SQ_ERROR;
        ok = true;
        break;
    default:
        v->Pop(2);
        return Fail(v, "rawset works only on array/table/class and instance");
    }
    v->Pop(2);
    return ok ? SQ_OK : SQ_ERROR;
}
SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    if (!HasParams(v, 2))
        return SQ_ERROR;
    const Value* t = Typed(v, idx, OT_TABLE);
    if (!t)
        return SQ_ERROR;
    Value self = *t;
    Value key = v->At(-1);
    v->Pop();
    Value out;
    if (self.Table()->Get(key, out))
        self.Table()->Remove(key);
    if (pushval)
        v->Push(out);
    return SQ_OK;
}
namespace
{
// The array at idx after the stack was checked for `params` values; null, with the error set, otherwise.
SQArray* ArrayArg(HSQUIRRELVM v, SQInteger idx, SQInteger params)
{
    if (!HasParams(v, params))
        return nullptr;
    const Value* o = Typed(v, idx, OT_ARRAY);
    return o ? o->Array() : nullptr;
}
} // namespace

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx)
{
    SQArray* arr = ArrayArg(v, idx, 2);
    if (!arr)
        return SQ_ERROR;
    arr->values.push_back(v->At(-1));
    v->Pop();
    return SQ_OK;
}
SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    SQArray* arr = ArrayArg(v, idx, 1);
    if (!arr)
        return SQ_ERROR;
    if (arr->values.empty())
        return Fail(v, "empty array");
    Value last = arr->values.back();
    arr->values.pop_back();
    if (pushval)
        v->Push(last);
    return SQ_OK;
}
SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize)
{
    SQArray* arr = ArrayArg(v, idx, 1);
    if (!arr)
        return SQ_ERROR;
    if (newsize < 0)
        return Fail(v, "negative size");
    arr->values.resize(size_t(newsize));
    return SQ_OK;
}
SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx)
{
    SQArray* arr = ArrayArg(v, idx, 1);
    if (!arr)
        return SQ_ERROR;
    std::vector<Value>& a = arr->values;
    for (size_t i = 0, j = a.size(); i + 1 < j; i++, j--)
        std::swap(a[i], a[j - 1]);
    return SQ_OK;
}
SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx)
{
    SQArray* arr = ArrayArg(v, idx, 1);
    if (!arr)
        return SQ_ERROR;
    std::vector<Value>& a = arr->values;
    if (itemidx < 0 || size_t(itemidx) >= a.size())
        return Fail(v, "index out of range");
    a.erase(a.begin() + itemidx);
    return SQ_OK;
}
SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos)
{
    SQArray* arr = ArrayArg(v, idx, 1);
    if (!arr)
        return SQ_ERROR;
    // the value is consumed even when the position is refused
    std::vector<Value>& a = arr->values;
    Value item = v->At(-1);
    v->Pop();
    if (destpos < 0 || size_t(destpos) > a.size())
        return Fail(v, "index out of range");
    a.insert(a.begin() + destpos, item);
    return SQ_OK;
}
SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value d = v->At(-1);
    if (self._type != OT_TABLE && self._type != OT_USERDATA)
        return FailType(v, self._type);
    if (d._type != OT_TABLE && d._type != OT_NULL)
        return FailType(v, self._type);
    SQTable* dt = d._type == OT_TABLE ? d.Table() : nullptr;
    if (self._type == OT_TABLE)
    {
        for (SQTable* t = dt; t; t = t->delegate)
            if (t == self.Table())
                return Fail(v, "delagate cycle");
        self.Table()->SetDelegate(dt);
    }
    else
    {
        if (dt)
            dt->refs++;
        SQTable* old = self.UserData()->delegate;
        self.UserData()->delegate = dt;
        if (old && --old->refs == 0)
            old->Destroy();
    }
    v->Pop();
    return SQ_OK;
}
SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx)
{
    const Value& self = v->At(idx);
    SQTable* d = nullptr;
    if (self._type == OT_TABLE)
        d = self.Table()->delegate;
    else if (self._type == OT_USERDATA)
        d = self.UserData()->delegate;
    else
        return Fail(v, "wrong type");
    if (d)
        v->Push(Value(OT_TABLE, d));
    else
        v->Push(Value());
    return SQ_OK;
}
// Tables, instances and arrays only; anything else fails as the clone operator does.
SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    Value out;
    if (!v->Clone(self, out))
        return SQ_ERROR;
    v->Push(out);
    return SQ_OK;
}
// A refused call leaves the value on the stack.
SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval)
{
    Value self = v->At(idx);
    Value val = v->At(-1);
    if (self._type == OT_NATIVECLOSURE)
    {
        if (nval >= self.Native()->outers.size())
            return Fail(v, "invalid free var index");
        self.Native()->outers[nval] = val;
    }
    else if (self._type == OT_CLOSURE)
    {
        if (nval >= self.Closure()->outers.size())
            return Fail(v, "invalid free var index");
        self.Closure()->outers[nval].Outer()->Get() = val;
    }
    else
        return FailType(v, self._type);
    v->Pop();
    return SQ_OK;
}
SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx)
{
    Value self = v->At(idx);
    if (self._type == OT_GENERATOR)
        return Fail(v, "cannot iterate a generator");
    Value regs[4];
    regs[0] = self;
    regs[1] = v->At(-1);
    bool done;
    if (!v->ForeachStep(regs, done))
        return SQ_ERROR;
    if (done)
        return SQ_ERROR;
    v->At(-1) = regs[1];
    v->Push(regs[2]);
    v->Push(regs[3]);
    return SQ_OK;
}
SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    if (o._type != OT_WEAKREF)
        return Fail(v, "the object must be a weakref");
    v->Push(Value(o.WeakRef()->obj));
    return SQ_OK;
}
SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    if (o._type == OT_TABLE)
        o.Table()->Clear();
    else if (o._type == OT_ARRAY)
        o.Array()->values.clear();
    else
        return Fail(v, "clear only works on table and array");
    return SQ_OK;
}

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror)
{
    Value fn = v->At(-(params + 1));
    Value ret;
    SQInteger argBase = v->top - params;
    bool outermost = v->state == SQ_VMSTATE_IDLE;
    if (outermost)
        v->state = SQ_VMSTATE_RUNNING;
    bool savedRaise = v->raiseErrors;
    v->raiseErrors = raiseerror != 0; // a native called directly reports to no handler
    bool ok = v->Call(fn, argBase, params, ret);
    v->raiseErrors = savedRaise;
    if (ok && v->suspended)
    {
        // the frames stay on the stack, parameters included, until sq_wakeupvm finishes them
        v->state = SQ_VMSTATE_SUSPENDED;
        if (retval)
            v->Push(ret);
        return SQ_OK;
    }
    if (outermost)
        v->state = SQ_VMSTATE_IDLE;
    v->Pop(params);
    if (!ok)
        return SQ_ERROR;
    if (retval)
        v->Push(ret);
    return SQ_OK;
}
SQRESULT sq_resume(HSQUIRRELVM v, SQBool retval, SQBool raiseerror)
{
    Value g = v->At(-1);
    if (g._type != OT_GENERATOR)
        return Fail(v, "only generators can be resumed");
    Value ret;
    const bool savedRaise = v->raiseErrors;
    v->raiseErrors = raiseerror != 0;
    const bool ok = v->ResumeGenerator(g.Generator(), ret);
    v->raiseErrors = savedRaise;
    if (!ok)
        return SQ_ERROR;
    if (retval)
        v->Push(ret);
    return SQ_OK;
}
namespace
{
// Names like "@container" belong to registers this compiler keeps for itself; "@ITERATOR@" and "@INDEX@"
// are the foreach locals Squirrel 3.0 shows too.
bool IsCompilerTemporary(const Value& name)
{
    const SQString* s = name.Str();
    return s->len > 0 && s->data[0] == '@' && s->data[s->len - 1] != '@';
}

// The locals alive at pc, in the order their scopes close: an inner block's locals before the enclosing
// ones, and within one scope the last declared first, so 'this' comes last.
std::vector<const SQLocalInfo*> LocalsByScopeEnd(const SQFunctionProto* p, SQInteger pc)
{
    std::vector<const SQLocalInfo*> alive;
    for (size_t i = p->locals.size(); i-- > 0;)
    {
        const SQLocalInfo& l = p->locals[i];
        if (l.startPc <= pc && pc < l.endPc && !IsCompilerTemporary(l.name))
            alive.push_back(&l);
    }
    std::stable_sort(alive.begin(), alive.end(),
                     [](const SQLocalInfo* a, const SQLocalInfo* b) { return a->endPc < b->endPc; });
    return alive;
}
} // namespace

// Free variables come first, then the locals alive at the frame's current instruction.
const SQChar* sq_getlocal(HSQUIRRELVM v, SQUnsignedInteger level, SQUnsignedInteger idx)
{
    if (level >= v->calls.size())
        return nullptr;
    const SQCallInfo& ci = v->calls[v->calls.size() - 1 - level];
    if (!ci.closure)
        return nullptr;
    SQClosure* c = ci.closure;
    SQFunctionProto* p = c->Proto();
    if (idx < c->outers.size())
    {
        v->Push(Value(c->outers[idx].Outer()->Get()));
        const Value& name = p->outers[idx].name;
        return name._type == OT_STRING ? name.Str()->data : "";
    }
    idx -= SQUnsignedInteger(c->outers.size());
    const std::vector<const SQLocalInfo*> alive = LocalsByScopeEnd(p, SQInteger(ci.pc - p->code.data()) - 1);
    if (idx >= alive.size())
        return nullptr;
    v->Push(Value(v->stack[ci.base + alive[idx]->reg]));
    return alive[idx]->name.Str()->data;
}
const SQChar* sq_getfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval)
{
    const Value& o = v->At(idx);
    if (o._type == OT_CLOSURE && nval < o.Closure()->outers.size())
    {
        v->Push(o.Closure()->outers[nval].Outer()->Get());
        const Value& name = o.Closure()->Proto()->outers[nval].name;
        return name._type == OT_STRING ? name.Str()->data : "";
    }
    if (o._type == OT_NATIVECLOSURE && nval < o.Native()->outers.size())
    {
        v->Push(o.Native()->outers[nval]);
        return "@NATIVE";
    }
    return nullptr;
}
SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar* err)
{
    v->lastError = MakeString(v->ss, err);
    return SQ_ERROR;
}
SQRESULT sq_throwobject(HSQUIRRELVM v)
{
    v->lastError = v->At(-1);
    v->Pop();
    return SQ_ERROR;
}
void sq_reseterror(HSQUIRRELVM v)
{
    v->lastError.Null();
}
void sq_getlasterror(HSQUIRRELVM v)
{
    v->Push(v->lastError);
}

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po)
{
    const Value& o = v->At(idx);
    po->_type = o._type;
    po->_unVal = o._unVal;
    return SQ_OK;
}
void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj)
{
    v->Push(Value(obj));
}
// The host's references live in one table per VM: the object is held once however many times the host
// added it, and sq_getrefcount answers the host's own count.
void sq_addref(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!IsRefCounted(po->_type))
        return;
    SQRefCounted* r = po->_unVal.pRefCounted;
    auto [entry, added] = v->ss->hostRefs.try_emplace(r, SQSharedState::HostRef{0, v->ss->hostRefSerial++});
    if (added)
        r->refs++;
    entry->second.count++;
}
// Drops one of the host's references; the handle is cleared with the last one, and only then is SQTrue
// returned. A handle the host never added is left alone.
SQBool sq_release(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!IsRefCounted(po->_type))
        return SQTrue;
    SQRefCounted* r = po->_unVal.pRefCounted;
    auto entry = v->ss->hostRefs.find(r);
    if (entry == v->ss->hostRefs.end())
        return SQFalse;
    if (--entry->second.count > 0)
        return SQFalse;
    v->ss->hostRefs.erase(entry);
    sq_resetobject(po);
    if (--r->refs == 0)
        r->Destroy();
    return SQTrue;
}
SQUnsignedInteger sq_getrefcount(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!IsRefCounted(po->_type))
        return 0;
    auto entry = v->ss->hostRefs.find(po->_unVal.pRefCounted);
    return entry == v->ss->hostRefs.end() ? 0 : entry->second.count;
}
void sq_resetobject(HSQOBJECT* po)
{
    po->_type = OT_NULL;
    po->_unVal.raw = 0;
}
const SQChar* sq_objtostring(const HSQOBJECT* o)
{
    return o->_type == OT_STRING ? o->_unVal.pString->data : nullptr;
}
// The value of a bool; every other type reads as false.
SQBool sq_objtobool(const HSQOBJECT* o)
{
    return o->_type == OT_BOOL && o->_unVal.nInteger ? SQTrue : SQFalse;
}
SQInteger sq_objtointeger(const HSQOBJECT* o)
{
    if (o->_type == OT_INTEGER)
        return o->_unVal.nInteger;
    if (o->_type == OT_FLOAT)
        return SQInteger(o->_unVal.fFloat);
    return 0;
}
SQFloat sq_objtofloat(const HSQOBJECT* o)
{
    if (o->_type == OT_FLOAT)
        return o->_unVal.fFloat;
    if (o->_type == OT_INTEGER)
        return SQFloat(o->_unVal.nInteger);
    return 0;
}
SQUserPointer sq_objtouserpointer(const HSQOBJECT* o)
{
    return o->_type == OT_USERPOINTER ? o->_unVal.pUserPointer : nullptr;
}

// The number of reference cycles freed (objects that reach one another count once).
SQInteger sq_collectgarbage(HSQUIRRELVM v)
{
    SQInteger cycles = 0;
    v->ss->Collect(nullptr, &cycles);
    return cycles;
}
// Pushes an array of the objects only cycles keep alive, without freeing them, or null when there are none.
SQRESULT sq_resurrectunreachable(HSQUIRRELVM v)
{
    std::vector<Value> unreachable;
    v->ss->Collect(&unreachable);
    if (unreachable.empty())
    {
        v->Push(Value());
        return SQ_OK;
    }
    Value arr = SQArray::Create(v->ss, 0);
    arr.Array()->values = std::move(unreachable);
    v->Push(arr);
    return SQ_OK;
}

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos* si)
{
    SQInteger n = SQInteger(v->calls.size());
    if (level < 0 || level >= n)
        return SQ_ERROR;
    const SQCallInfo& ci = v->calls[size_t(n - 1 - level)];
    // an anonymous function has a null name; a native is "unknown" until sq_setnativeclosurename names it
    si->funcname = nullptr;
    si->source = nullptr;
    if (ci.closure)
    {
        SQFunctionProto* p = ci.closure->Proto();
        if (p->name._type == OT_STRING)
            si->funcname = p->name.Str()->data;
        if (p->sourceName._type == OT_STRING)
            si->source = p->sourceName.Str()->data;
        si->line = p->LineAt(SQInteger(ci.pc - p->code.data()) - 1);
    }
    else
    {
        const bool named = ci.native && ci.native->name._type == OT_STRING;
        si->funcname = named ? ci.native->name.Str()->data : "unknown";
        si->source = "NATIVE";
        si->line = -1;
    }
    return SQ_OK;
}
// Anything but a function or null is left on the stack and changes nothing.
void sq_setdebughook(HSQUIRRELVM v)
{
    const Value& o = v->At(-1);
    if (!IsFunction(o) && o._type != OT_NULL)
        return;
    v->debugHook = o;
    v->nativeDebugHook = nullptr;
    v->Pop();
}

namespace
{
// The native hook runs behind a native closure, so the VM calls it where it calls a script hook.
SQInteger CallNativeDebugHook(HSQUIRRELVM v)
{
    SQDEBUGHOOK hook = v->nativeDebugHook;
    if (!hook)
        return 0;
    SQInteger type = 0, line = 0;
    const SQChar* src = nullptr;
    const SQChar* func = nullptr;
    sq_getinteger(v, 2, &type);
    if (sq_gettype(v, 3) == OT_STRING)
        sq_getstring(v, 3, &src);
    sq_getinteger(v, 4, &line);
    if (sq_gettype(v, 5) == OT_STRING)
        sq_getstring(v, 5, &func);
    hook(v, type, src, line, func);
    return 0;
}
} // namespace

void sq_setnativedebughook(HSQUIRRELVM v, SQDEBUGHOOK hook)
{
    v->nativeDebugHook = hook;
    if (!hook)
    {
        v->debugHook.Null();
        return;
    }
    SQNativeClosure* nc = new SQNativeClosure(v->ss);
    nc->func = CallNativeDebugHook;
    v->debugHook = Value(OT_NATIVECLOSURE, nc);
}

SQRESULT sq_getfunctioninfo(HSQUIRRELVM v, SQInteger level, SQFunctionInfo* fi)
{
    SQInteger n = SQInteger(v->calls.size());
    if (level < 0 || level >= n || !v->calls[size_t(n - 1 - level)].closure)
        return Fail(v, "the object is not a closure");
    SQFunctionProto* p = v->calls[size_t(n - 1 - level)].closure->Proto();
    fi->funcid = p;
    fi->name = p->name._type == OT_STRING ? p->name.Str()->data : "unknown";
    fi->source = p->sourceName._type == OT_STRING ? p->sourceName.Str()->data : "unknown";
    return SQ_OK;
}

// The key is popped only when the member is found.
SQRESULT sq_getmemberhandle(HSQUIRRELVM v, SQInteger idx, HSQMEMBERHANDLE* handle)
{
    const Value* cls = Typed(v, idx, OT_CLASS);
    if (!cls)
        return SQ_ERROR;
    Value* slot = cls->Class()->members->Find(v->At(-1));
    if (!slot)
        return Fail(v, "wrong index");
    v->Pop();
    SQInteger m = slot->Int();
    handle->_static = (m & MEMBER_FIELD_FLAG) ? SQFalse : SQTrue;
    handle->_index = m & MEMBER_INDEX_MASK;
    return SQ_OK;
}

namespace
{
// The member a handle names, or null when the object has no such member.
Value* MemberSlot(const Value& o, const HSQMEMBERHANDLE* handle)
{
    const size_t index = size_t(handle->_index);
    if (o._type == OT_INSTANCE)
    {
        SQInstance* inst = o.Instance();
        if (handle->_static)
            return index < inst->klass->methods.size() ? &inst->klass->methods[index].val : nullptr;
        return index < inst->values.size() ? &inst->values[index] : nullptr;
    }
    SQClass* c = o.Class();
    if (handle->_static)
        return index < c->methods.size() ? &c->methods[index].val : nullptr;
    return index < c->fields.size() ? &c->fields[index].val : nullptr;
}

// Null with the error set; a handle past the members (which 3.0 would read out of bounds) is refused too.
Value* MemberByHandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE* handle)
{
    const Value& o = v->At(idx);
    if (o._type != OT_INSTANCE && o._type != OT_CLASS)
    {
        v->Raise("wrong type(expected class or instance)");
        return nullptr;
    }
    Value* slot = MemberSlot(o, handle);
    if (!slot)
        v->Raise("wrong handle");
    return slot;
}
} // namespace

SQRESULT sq_getbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE* handle)
{
    Value* slot = MemberByHandle(v, idx, handle);
    if (!slot)
        return SQ_ERROR;
    v->Push(*slot);
    return SQ_OK;
}

SQRESULT sq_setbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE* handle)
{
    Value* slot = MemberByHandle(v, idx, handle);
    if (!slot)
        return SQ_ERROR;
    *slot = v->At(-1);
    v->Pop();
    return SQ_OK;
}

SQInteger sq_getversion()
{
    return SQUIRREL_VERSION_NUMBER;
}

// Pushes the function now running: the native calling this, or the script function at the top.
SQRESULT sq_getcallee(HSQUIRRELVM v)
{
    if (v->calls.empty())
        return Fail(v, "no closure in the calls stack");
    const SQCallInfo& ci = v->calls.back();
    if (ci.closure)
        v->Push(Value(OT_CLOSURE, ci.closure));
    else if (ci.native)
        v->Push(Value(OT_NATIVECLOSURE, ci.native));
    else
        return Fail(v, "no closure in the calls stack");
    return SQ_OK;
}

// Pushes the type name scripts see, _typeof included.
SQRESULT sq_typeof(HSQUIRRELVM v, SQInteger idx)
{
    return PushConverted(v, idx, &SQVM::TypeOf);
}

// The key tables use: the value of a number or bool, the string's hash, otherwise the object's address.
SQHash sq_gethash(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    switch (o._type)
    {
    case OT_STRING:
        return o.Str()->hash;
    case OT_INTEGER:
    case OT_BOOL:
        return SQHash(o._unVal.nInteger);
    case OT_FLOAT:
        return SQHash(SQInteger(o._unVal.fFloat));
    default:
        return SQHash(reinterpret_cast<uintptr_t>(o._unVal.pRefCounted) >> 3);
    }
}

// Pushes the function's name, or null for an anonymous one.
SQRESULT sq_getclosurename(HSQUIRRELVM v, SQInteger idx)
{
    const Value& o = v->At(idx);
    if (o._type == OT_CLOSURE)
        v->Push(Value(o.Closure()->Proto()->name));
    else if (o._type == OT_NATIVECLOSURE)
        v->Push(Value(o.Native()->name));
    else
        return Fail(v, "the target is not a closure");
    return SQ_OK;
}

namespace
{
// Key, value and attributes on top; all three are popped once the class at idx is found.
SQRESULT NewMember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic)
{
    if (!HasParams(v, 4))
        return SQ_ERROR;
    Value self = v->At(idx);
    if (self._type != OT_CLASS)
        return Fail(v, "new member only works with classes");
    Value key = v->At(-3), val = v->At(-2), attrs = v->At(-1);
    if (key.IsNull())
        return Fail(v, "null key");
    const bool ok = v->NewMember(self, key, val, attrs, bstatic != 0);
    v->Pop(3);
    return ok ? SQ_OK : SQ_ERROR;
}
} // namespace

SQRESULT sq_newmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic)
{
    return NewMember(v, idx, bstatic);
}
// Classes of this VM have no member metamethod to bypass, so the raw form is the same operation.
SQRESULT sq_rawnewmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic)
{
    return NewMember(v, idx, bstatic);
}
