// Value operations with the language's conversions, delegates and metamethods.
#include "SqVM.h"

#include "SqNumberText.h"
#include "SqOpcodes.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

namespace
{
const char* const kMetaNames[] = {"_add",    "_sub",     "_mul",     "_div",      "_unm",       "_modulo",
                                  "_set",    "_get",     "_typeof",  "_nexti",    "_cmp",       "_call",
                                  "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited"};
} // namespace

Value DerefWeak(const Value& v)
{
    if (v._type != OT_WEAKREF)
        return v;
    return Value(v.WeakRef()->obj);
}

const char* MetaMethodName(int mm)
{
    return kMetaNames[mm];
}

bool IsFalse(const SQObject& o)
{
    switch (o._type)
    {
    case OT_NULL:
        return true;
    case OT_INTEGER:
    case OT_BOOL:
        return o._unVal.nInteger == 0;
    case OT_FLOAT:
        return o._unVal.fFloat == 0.0f;
    case OT_USERPOINTER:
        return o._unVal.pUserPointer == nullptr; // 3.0 tests the value's bits, so a null pointer is false
    default:
        return false;
    }
}

const char* TypeName(SQObjectType t)
{
    switch (t)
    {
    case OT_NULL:
        return "null";
    case OT_INTEGER:
        return "integer";
    case OT_FLOAT:
        return "float";
    case OT_BOOL:
        return "bool";
    case OT_STRING:
        return "string";
    case OT_TABLE:
        return "table";
    case OT_ARRAY:
        return "array";
    case OT_USERDATA:
        return "userdata";
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
        return "function";
    case OT_GENERATOR:
        return "generator";
    case OT_USERPOINTER:
        return "userdata"; // 3.0 names both kinds of host data alike, typeof included
    case OT_THREAD:
        return "thread";
    case OT_FUNCPROTO:
        return "function";
    case OT_CLASS:
        return "class";
    case OT_INSTANCE:
        return "instance";
    case OT_WEAKREF:
        return "weakref";
    case OT_OUTER:
        return "outer";
    }
    return "unknown";
}

std::string FloatToString(SQFloat f)
{
    char buf[NUMBER_TEXT_SIZE];
    return std::string(buf, size_t(FloatText(f, buf)));
}

bool SQVM::Raise(const char* fmt, ...)
{
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    lastError = MakeString(ss, buf);
    return false;
}

bool SQVM::RaiseValue(const Value& v)
{
    lastError = v;
    return false;
}

bool SQVM::RaiseIndexError(const Value& key)
{
    if (key._type == OT_STRING)
        return Raise("the index '%s' does not exist", key.Str()->data);
    Value s;
    if (key._type == OT_INTEGER || key._type == OT_FLOAT)
    {
        ToString(key, s);
        return Raise("the index '%s' does not exist", s.Str()->data);
    }
    return Raise("the index '%s' does not exist", TypeName(key._type));
}

bool SQVM::GetMetaMethod(const Value& obj, SQMetaMethod mm, Value& fn) const
{
    switch (obj._type)
    {
    // A metamethod is a slot of the object's own delegate; the delegate's delegates are not asked.
    case OT_TABLE:
        return obj.Table()->delegate && obj.Table()->delegate->Get(ss->metaNames[mm], fn);
    case OT_USERDATA:
        return obj.UserData()->delegate && obj.UserData()->delegate->Get(ss->metaNames[mm], fn);
    case OT_INSTANCE:
        fn = obj.Instance()->klass->metamethods[mm];
        return !fn.IsNull();
    case OT_CLASS:
        fn = obj.Class()->metamethods[mm];
        return !fn.IsNull();
    default:
        return false;
    }
}

bool SQVM::CallMetaMethod(const Value& obj, SQMetaMethod mm, const Value* args, SQInteger nargs, Value& ret,
                          bool& found)
{
    Value fn;
    found = GetMetaMethod(obj, mm, fn);
    if (!found)
        return false;
    return CallWith(fn, obj, args, nargs, ret);
}

bool SQVM::CallWith(const Value& fn, const Value& self, const Value* args, SQInteger nargs, Value& ret)
{
    SQInteger base = top;
    if (base + nargs + 1 + MIN_STACK_OVERHEAD >= stackSize)
        return Raise("stack overflow");
    stack[base] = self;
    for (SQInteger i = 0; i < nargs; i++)
        stack[base + 1 + i] = args[i];
    top = base + nargs + 1;
    Value fnCopy = fn;
    bool ok = Call(fnCopy, base, nargs + 1, ret);
    while (top > base)
        stack[--top].Null();
    top = base;
    return ok;
}

// Looks a key up without raising "does not exist"; 'failed' is set when an error was raised.
bool SQVM::GetNoError(const Value& obj, const Value& key, Value& out, bool& failed)
{
    failed = false;
    SQMetaMethod getter = MT_LAST;
    switch (obj._type)
    {
    case OT_TABLE:
    case OT_USERDATA:
        return GetThroughDelegates(obj, key, out, failed);
    case OT_ARRAY:
        if (key.IsNumeric())
        {
            SQInteger i = key.AsInt();
            std::vector<Value>& v = obj.Array()->values;
            if (i >= 0 && size_t(i) < v.size())
            {
                out = DerefWeak(v[size_t(i)]);
                return true;
            }
            return false;
        }
        break;
    case OT_STRING:
        if (key.IsNumeric())
        {
            SQInteger i = key.AsInt();
            if (i >= 0 && i < obj.Str()->len)
            {
                out = Value(CharacterCode(obj.Str()->data[i]));
                return true;
            }
            return false;
        }
        break;
    case OT_INSTANCE:
        if (obj.Instance()->Get(key, out))
        {
            if (out._type == OT_WEAKREF)
                out = DerefWeak(out);
            return true;
        }
        getter = MT_GET;
        break;
    case OT_CLASS:
        if (obj.Class()->Get(key, out))
        {
            if (out._type == OT_WEAKREF)
                out = DerefWeak(out);
            return true;
        }
        break;
    default:
        break;
    }
    if (getter != MT_LAST && AskGetter(obj, key, out, failed))
        return !failed;
    return InvokeDefaultDelegate(obj, key, out);
}

// True when the getter settled the lookup: answered it, or raised an error ('failed' is set then).
bool SQVM::AskGetter(const Value& obj, const Value& key, Value& out, bool& failed)
{
    const MetaResult r = CallGetter(obj, key, out);
    failed = r == MetaResult::Failed;
    return r != MetaResult::Declined;
}

SQVM::MetaResult SQVM::CallGetter(const Value& obj, const Value& key, Value& out)
{
    bool found;
    Value r;
    // A getter that fails without an error (a native returning a failure after clearing it, or a script
    // 'throw null') means "no such member", and the lookup goes on; an error left from before the call must
    // not be taken for the getter's.
    Value earlierError = std::move(lastError);
    lastError.Null();
    const bool ok = CallMetaMethod(obj, MT_GET, &key, 1, r, found);
    const bool errorRaised = found && !ok && !lastError.IsNull();
    if (!errorRaised)
        lastError = std::move(earlierError);
    if (ok)
    {
        out = r;
        return MetaResult::Answered;
    }
    return errorRaised ? MetaResult::Failed : MetaResult::Declined;
}

// A table (or user data) lookup: its own slots, then each delegate's slots down the chain, then the table
// default methods (a delegate is a table), and only then the _get of each delegate, the deepest first, each
// called with the object that delegate serves.
bool SQVM::GetThroughDelegates(const Value& obj, const Value& key, Value& out, bool& failed)
{
    failed = false;
    if (obj._type == OT_TABLE && obj.Table()->Get(key, out))
    {
        out = DerefWeak(out);
        return true;
    }
    SQTable* first = obj._type == OT_TABLE ? obj.Table()->delegate : obj.UserData()->delegate;
    std::vector<SQTable*> served; // served[i] is the table whose delegate is the next in the chain
    for (SQTable* d = first; d; d = d->delegate)
    {
        if (d->Get(key, out))
        {
            out = DerefWeak(out);
            return true;
        }
        if (d->delegate)
            served.push_back(d);
    }
    if ((obj._type == OT_TABLE || first) &&
        InvokeDefaultDelegate(Value(OT_TABLE, first ? first : obj.Table()), key, out))
        return true;
    for (size_t i = served.size(); i-- > 0;)
        if (AskGetter(Value(OT_TABLE, served[i]), key, out, failed))
            return !failed;
    return first && AskGetter(obj, key, out, failed) && !failed;
}

// 'in' asks the object itself: a table's own slots, a class's or instance's members, an array's or
// string's indices; no delegate, metamethod or default method.
bool SQVM::Contains(const Value& obj, const Value& key)
{
    switch (obj._type)
    {
    case OT_TABLE:
        return obj.Table()->Find(key) != nullptr;
    case OT_CLASS:
        return obj.Class()->members->Find(key) != nullptr;
    case OT_INSTANCE:
        return obj.Instance()->klass->members->Find(key) != nullptr;
    case OT_ARRAY:
        return key.IsNumeric() && key.AsInt() >= 0 && size_t(key.AsInt()) < obj.Array()->values.size();
    case OT_STRING:
    {
        // a string takes a negative index whose size is below its length, as 3.0 checks it; the most
        // negative integer has no positive counterpart and passes too
        if (!key.IsNumeric())
            return false;
        const SQInteger i = key.AsInt();
        return i == std::numeric_limits<SQInteger>::min() || (i < 0 ? -i : i) < obj.Str()->len;
    }
    default:
        return false;
    }
}

bool SQVM::InvokeDefaultDelegate(const Value& obj, const Value& key, Value& out)
{
    const Value* d = ss->DefaultDelegate(obj._type);
    return d && d->_type == OT_TABLE && d->Table()->Get(key, out);
}

bool SQVM::Get(const Value& obj, const Value& key, Value& out, bool rootFallback)
{
    bool failed;
    if (GetNoError(obj, key, out, failed))
        return true;
    if (failed)
        return false;
    if (rootFallback && roottable._type == OT_TABLE && !RawEqual(obj, roottable))
    {
        if (GetNoError(roottable, key, out, failed))
            return true;
        if (failed)
            return false;
    }
    return RaiseIndexError(key);
}

bool SQVM::Set(const Value& obj, const Value& key, const Value& val)
{
    switch (obj._type)
    {
    case OT_TABLE:
    {
        // A key the table lacks is set where a delegate down the chain holds it, else offered to the _set of
        // each delegate's delegate, the deepest first, and last to the table's own delegate.
        std::vector<SQTable*> served;
        for (SQTable* t = obj.Table(); t; t = t->delegate)
        {
            if (t->Set(key, val))
                return true;
            if (t->delegate && t != obj.Table())
                served.push_back(t);
        }
        for (size_t n = served.size(); n-- > 0;)
        {
            const MetaResult r = CallSetter(Value(OT_TABLE, served[n]), key, val);
            if (r != MetaResult::Declined)
                return r == MetaResult::Answered;
        }
        break;
    }
    case OT_ARRAY:
    {
        if (!key.IsNumeric())
            return Raise("indexing %s with %s", "array", TypeName(key._type));
        SQInteger i = key.AsInt();
        std::vector<Value>& v = obj.Array()->values;
        if (i < 0 || size_t(i) >= v.size())
            return RaiseIndexError(key);
        v[size_t(i)] = val;
        return true;
    }
    case OT_INSTANCE:
        if (obj.Instance()->Set(key, val))
            return true;
        break;
    case OT_USERDATA:
        break;
    default:
        // classes too: their members change only through '<-'
        return Raise("trying to set '%s'", TypeName(obj._type));
    }
    switch (CallSetter(obj, key, val))
    {
    case MetaResult::Answered:
        return true;
    case MetaResult::Failed:
        return false;
    case MetaResult::Declined:
        break;
    }
    return RaiseIndexError(key);
}

SQVM::MetaResult SQVM::CallSetter(const Value& obj, const Value& key, const Value& val)
{
    Value args[2] = {key, val};
    Value r;
    bool found;
    if (CallMetaMethod(obj, MT_SET, args, 2, r, found))
        return MetaResult::Answered;
    return found && !lastError.IsNull() ? MetaResult::Failed : MetaResult::Declined;
}

bool SQVM::NewSlot(const Value& obj, const Value& key, const Value& val, bool isStatic)
{
    if (key.IsNull())
        return Raise("null cannot be used as index");
    switch (obj._type)
    {
    case OT_TABLE:
    {
        SQTable* t = obj.Table();
        if (t->delegate && !t->Find(key))
        {
            Value args[2] = {key, val};
            Value r;
            bool found;
            if (CallMetaMethod(obj, MT_NEWSLOT, args, 2, r, found))
                return true;
            if (found)
                return false;
        }
        t->NewSlot(key, val);
        return true;
    }
    case OT_CLASS:
    {
        SQClass* c = obj.Class();
        // once instantiated, a class takes new methods and statics but no field, not even a new default
        if (!c->NewSlot(ss, key, val, isStatic))
            return Raise("trying to modify a class that has already been instantiated");
        return true;
    }
    case OT_INSTANCE:
    {
        // an instance takes a new slot only through its class's _newslot, whose errors reach the caller
        Value args[2] = {key, val};
        Value r;
        bool found;
        if (CallMetaMethod(obj, MT_NEWSLOT, args, 2, r, found))
            return true;
        return found ? false : Raise("class instances do not support the new slot operator");
    }
    default:
        return Raise("indexing %s with %s", TypeName(obj._type), TypeName(key._type));
    }
}

bool SQVM::NewMember(const Value& cls, const Value& key, const Value& val, const Value& attrs, bool isStatic)
{
    if (cls._type != OT_CLASS)
        return Raise("trying to add a member to a '%s'", TypeName(cls._type));
    SQClass* c = cls.Class();
    if (!c->metamethods[MT_NEWMEMBER].IsNull())
    {
        // always given the key, value, attributes and static flag; a handler declared for fewer fails
        Value fn = c->metamethods[MT_NEWMEMBER];
        Value r;
        Value args[4] = {key, val, attrs, Value(isStatic)};
        return CallWith(fn, cls, args, 4, r);
    }
    if (!NewSlot(cls, key, val, isStatic))
        return false;
    if (!attrs.IsNull())
        c->SetAttributes(key, attrs);
    return true;
}

bool SQVM::DeleteSlot(const Value& obj, const Value& key, Value& out)
{
    // only tables, instances and userdata may answer a delete, the last two only through _delslot
    if (obj._type != OT_TABLE && obj._type != OT_INSTANCE && obj._type != OT_USERDATA)
        return Raise("attempt to delete a slot from a %s", TypeName(obj._type));
    bool found;
    Value r;
    if (CallMetaMethod(obj, MT_DELSLOT, &key, 1, r, found))
    {
        out = r;
        return true;
    }
    if (found)
        return false;
    if (obj._type != OT_TABLE)
        return Raise("cannot delete a slot from %s", TypeName(obj._type));
    SQTable* t = obj.Table();
    Value* v = t->Find(key);
    if (!v)
        return RaiseIndexError(key);
    out = *v;
    t->Remove(key);
    return true;
}

namespace
{
char ArithChar(uint8_t op)
{
    switch (op)
    {
    case OP_ADD:
        return '+';
    case OP_SUB:
        return '-';
    case OP_MUL:
        return '*';
    case OP_DIV:
        return '/';
    case OP_MOD:
        return '%';
    case OP_BAND:
        return '&';
    case OP_BOR:
        return '|';
    case OP_BXOR:
        return '^';
    case OP_SHL:
        return '<';
    case OP_SHR:
        return '>';
    default:
        return '>';
    }
}
} // namespace

bool SQVM::Arith(uint8_t op, const Value& a, const Value& b, Value& out)
{
    if (a._type == OT_INTEGER && b._type == OT_INTEGER)
    {
        uint32_t x = uint32_t(a.Int()), y = uint32_t(b.Int());
        SQInteger r;
        switch (op)
        {
        case OP_ADD:
            r = SQInteger(x + y);
            break;
        case OP_SUB:
            r = SQInteger(x - y);
            break;
        case OP_MUL:
            r = SQInteger(x * y);
            break;
        case OP_DIV:
            if (y == 0)
                return Raise("division by zero");
            r = (a.Int() == INT32_MIN && b.Int() == -1) ? INT32_MIN : a.Int() / b.Int();
            break;
        case OP_MOD:
            if (y == 0)
                return Raise("modulo by zero");
            r = (b.Int() == -1) ? 0 : a.Int() % b.Int();
            break;
        case OP_BAND:
            r = SQInteger(x & y);
            break;
        case OP_BOR:
            r = SQInteger(x | y);
            break;
        case OP_BXOR:
            r = SQInteger(x ^ y);
            break;
        case OP_SHL:
            r = SQInteger(x << (y & 31));
            break;
        case OP_SHR:
            r = a.Int() >> (y & 31);
            break;
        default:
            r = SQInteger(x >> (y & 31));
            break;
        }
        out.SetInteger(r);
        return true;
    }
    bool bitwise = op >= OP_BAND && op <= OP_USHR;
    if (a.IsNumeric() && b.IsNumeric())
    {
        if (bitwise)
            return Raise("bitwise op between '%s' and '%s'", TypeName(a._type), TypeName(b._type));
        SQFloat x = a.AsFloat(), y = b.AsFloat();
        switch (op)
        {
        case OP_ADD:
            out.SetFloat(x + y);
            break;
        case OP_SUB:
            out.SetFloat(x - y);
            break;
        case OP_MUL:
            out.SetFloat(x * y);
            break;
        case OP_DIV:
            out.SetFloat(x / y);
            break;
        default:
            out.SetFloat(fmodf(x, y));
            break;
        }
        return true;
    }
    if (op == OP_ADD && (a._type == OT_STRING || b._type == OT_STRING))
    {
        return Concat(a, b, out);
    }
    if (!bitwise)
    {
        SQMetaMethod mm = op == OP_ADD   ? MT_ADD
                          : op == OP_SUB ? MT_SUB
                          : op == OP_MUL ? MT_MUL
                          : op == OP_DIV ? MT_DIV
                                         : MT_MODULO;
        bool found;
        Value r;
        if (CallMetaMethod(a, mm, &b, 1, r, found))
        {
            out = r;
            return true;
        }
        if (found)
            return false;
        return Raise("arith op %c on between '%s' and '%s'", ArithChar(op), TypeName(a._type),
                     TypeName(b._type));
    }
    return Raise("bitwise op between '%s' and '%s'", TypeName(a._type), TypeName(b._type));
}

bool SQVM::Negate(const Value& v, Value& out)
{
    if (v._type == OT_INTEGER)
    {
        out.SetInteger(SQInteger(0u - uint32_t(v.Int())));
        return true;
    }
    if (v._type == OT_FLOAT)
    {
        out.SetFloat(-v.Float());
        return true;
    }
    bool found;
    Value r;
    if (CallMetaMethod(v, MT_UNM, nullptr, 0, r, found))
    {
        out = r;
        return true;
    }
    if (found)
        return false;
    return Raise("attempt to negate a %s", TypeName(v._type));
}

bool SQVM::Equal(const Value& a, const Value& b) const
{
    if (a._type == b._type)
    {
        if (a._type == OT_FLOAT)
            return a.Float() == b.Float();
        if (a._type == OT_INTEGER || a._type == OT_BOOL)
            return a.Int() == b.Int();
        return a._unVal.raw == b._unVal.raw;
    }
    if (a.IsNumeric() && b.IsNumeric())
        return a.AsFloat() == b.AsFloat();
    return false;
}

// Scripts see what C's strcmp gives on this platform: the difference of the first
// differing bytes, read unsigned, up to the first terminating zero.
static SQInteger CStringDifference(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p != 0 && *p == *q)
    {
        ++p;
        ++q;
    }
    return SQInteger(*p) - SQInteger(*q);
}

bool SQVM::CompareOther(const Value& a, const Value& b, SQInteger& result)
{
    if (a._type == OT_FLOAT && b._type == OT_FLOAT)
    {
        result = FloatOrder(a, b);
        return true;
    }
    if (a.IsNumeric() && b.IsNumeric())
    {
        // an integer and a float are the same when their values are; a NaN orders after either
        SQFloat x = a.AsFloat(), y = b.AsFloat();
        result = x == y ? 0 : x < y ? -1 : 1;
        return true;
    }
    if (a._type == OT_STRING && b._type == OT_STRING)
    {
        result = CStringDifference(a.Str()->data, b.Str()->data);
        return true;
    }
    if (a._type == b._type)
    {
        bool found;
        Value r;
        if (CallMetaMethod(a, MT_CMP, &b, 1, r, found))
        {
            if (r._type != OT_INTEGER)
                return Raise("_cmp must return an integer");
            result = r.Int();
            return true;
        }
        if (found)
            return false;
        result = a._unVal.raw < b._unVal.raw ? -1 : a._unVal.raw > b._unVal.raw ? 1 : 0;
        return true;
    }
    // null orders before everything else
    if (a._type == OT_NULL || b._type == OT_NULL)
    {
        result = a._type == OT_NULL ? -1 : 1;
        return true;
    }
    return Raise("comparison between '%.50s' and '%.50s'", ValueForMessage(a).c_str(),
                 ValueForMessage(b).c_str());
}

// How an error text shows an operand: strings and numbers by value, everything else by its type name.
std::string ValueForMessage(const Value& v)
{
    switch (v._type)
    {
    case OT_STRING:
        return std::string(v.Str()->data, size_t(v.Str()->len));
    case OT_INTEGER:
        return std::to_string(v.Int());
    case OT_FLOAT:
        return FloatToString(v.Float());
    default:
        return TypeName(v._type);
    }
}

// The text of a string or number without making a string object for it; anything else through ToString,
// which holder then keeps alive.
bool SQVM::TextOf(const Value& v, Value& holder, char* buf, const char*& text, SQInteger& len)
{
    switch (v._type)
    {
    case OT_STRING:
        text = v.Str()->data;
        len = v.Str()->len;
        return true;
    case OT_INTEGER:
        text = buf;
        len = IntegerText(v.Int(), buf);
        return true;
    case OT_FLOAT:
        text = buf;
        len = FloatText(v.Float(), buf);
        return true;
    default:
        if (!ToString(v, holder))
            return false;
        text = holder.Str()->data;
        len = holder.Str()->len;
        return true;
    }
}

bool SQVM::Concat(const Value& a, const Value& b, Value& out)
{
    char bufA[NUMBER_TEXT_SIZE], bufB[NUMBER_TEXT_SIZE];
    Value holdA, holdB;
    const char* textA;
    const char* textB;
    SQInteger lenA, lenB;
    if (!TextOf(a, holdA, bufA, textA, lenA) || !TextOf(b, holdB, bufB, textB, lenB))
        return false;
    if (lenA > std::numeric_limits<SQInteger>::max() - lenB)
        return Raise("string too long");
    out = Value(OT_STRING, SQString::Concat(ss, textA, lenA, textB, lenB));
    return true;
}

bool SQVM::ToString(const Value& v, Value& out)
{
    char buf[96];
    switch (v._type)
    {
    case OT_STRING:
        out = v;
        return true;
    case OT_INTEGER:
        out = MakeString(ss, buf, IntegerText(v.Int(), buf));
        return true;
    case OT_FLOAT:
        out = MakeString(ss, buf, FloatText(v.Float(), buf));
        return true;
    case OT_BOOL:
        snprintf(buf, sizeof buf, "%s", v.Int() ? "true" : "false");
        break;
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA:
    {
        bool found;
        Value r;
        if (CallMetaMethod(v, MT_TOSTRING, nullptr, 0, r, found))
        {
            // a _tostring that gives no string leaves the object printed as any other
            if (r._type == OT_STRING)
            {
                out = r;
                return true;
            }
        }
        else if (found)
            return false;
    }
        [[fallthrough]];
    default:
        // null too takes this form, with its zero pointer: Squirrel 3.0 has no word of its own for it
        snprintf(buf, sizeof buf, "(%s : 0x%p)", TypeName(v._type), (void*)v.Ref());
        break;
    }
    out = MakeString(ss, buf);
    return true;
}

bool SQVM::TypeOf(const Value& v, Value& out)
{
    if (v._type == OT_TABLE || v._type == OT_INSTANCE || v._type == OT_USERDATA)
    {
        bool found;
        Value r;
        if (CallMetaMethod(v, MT_TYPEOF, nullptr, 0, r, found))
        {
            out = r;
            return true;
        }
        if (found)
            return false;
    }
    out = MakeString(ss, TypeName(v._type));
    return true;
}

bool SQVM::Clone(const Value& v, Value& out)
{
    Value copy;
    switch (v._type)
    {
    case OT_TABLE:
        copy = v.Table()->Clone();
        break;
    case OT_INSTANCE:
        copy = v.Instance()->Clone();
        break;
    case OT_ARRAY:
    {
        copy = SQArray::Create(ss);
        copy.Array()->values = v.Array()->values;
        out = copy;
        return true;
    }
    default:
        return Raise("cloning a %s", TypeName(v._type));
    }
    bool found;
    Value r;
    if (!CallMetaMethod(copy, MT_CLONED, &v, 1, r, found) && found)
        return false;
    out = copy;
    return true;
}

bool SQVM::ForeachStep(Value* regs, bool& done)
{
    Value container = regs[0];
    Value& iter = regs[1];
    done = false;
    switch (container._type)
    {
    case OT_ARRAY:
    {
        SQInteger idx = iter.IsNull() ? 0 : iter.Int();
        std::vector<Value>& v = container.Array()->values;
        if (size_t(idx) >= v.size())
        {
            done = true;
            return true;
        }
        regs[2].SetInteger(idx);
        regs[3] = DerefWeak(v[size_t(idx)]);
        iter.SetInteger(idx + 1);
        return true;
    }
    case OT_TABLE:
    {
        SQInteger pos = iter.IsNull() ? 0 : iter.Int();
        Value k, val;
        SQInteger next = container.Table()->Next(pos, k, val);
        if (next < 0)
        {
            done = true;
            return true;
        }
        regs[2] = k;
        regs[3] = DerefWeak(val);
        iter.SetInteger(next + 1);
        return true;
    }
    case OT_STRING:
    {
        SQInteger idx = iter.IsNull() ? 0 : iter.Int();
        if (idx < 0 || idx >= container.Str()->len)
        {
            done = true;
            return true;
        }
        regs[2].SetInteger(idx);
        regs[3].SetInteger(CharacterCode(container.Str()->data[idx]));
        iter.SetInteger(idx + 1);
        return true;
    }
    case OT_CLASS:
    {
        SQClass* c = container.Class();
        SQInteger pos = iter.IsNull() ? 0 : iter.Int();
        Value k, idx;
        SQInteger next = c->members->Next(pos, k, idx);
        while (next >= 0 && c->IsMetaMethodKey(ss, k))
            next = c->members->Next(next + 1, k, idx);
        if (next < 0)
        {
            done = true;
            return true;
        }
        regs[2] = k;
        Value v;
        c->Get(k, v);
        regs[3] = v;
        iter.SetInteger(next + 1);
        return true;
    }
    case OT_INSTANCE:
    case OT_USERDATA:
    {
        Value next;
        bool found;
        if (!CallMetaMethod(container, MT_NEXTI, &iter, 1, next, found))
        {
            // an instance or userdata is walked only through its _nexti
            return found ? false : Raise("_nexti failed");
        }
        if (next.IsNull())
        {
            done = true;
            return true;
        }
        Value v;
        bool failed = false;
        if (!GetNoError(container, next, v, failed))
            return failed ? false : Raise("_nexti returned an invalid idx");
        regs[2] = next;
        regs[3] = v;
        iter = next;
        return true;
    }
    default:
        return Raise("cannot iterate %s", TypeName(container._type));
    }
}

bool SQVM::MakeClass(const Value* base, const Value* attrs, Value& out)
{
    SQClass* baseClass = nullptr;
    if (base)
    {
        if (base->_type != OT_CLASS)
            return Raise("trying to inherit from a %s", TypeName(base->_type));
        baseClass = base->Class();
    }
    SQClass* c = new SQClass(ss, baseClass);
    out = Value(OT_CLASS, c);
    const Value noAttributes;
    const Value& attributes = attrs ? *attrs : noAttributes;
    if (baseClass && !baseClass->metamethods[MT_INHERITED].IsNull())
    {
        // Called with the new class as 'this' and its attributes, which it gets only afterwards. Whatever
        // goes wrong in the handler, a wrong parameter count included, leaves the class made as if it had
        // succeeded: Squirrel 3.0 drops those errors.
        Value fn = baseClass->metamethods[MT_INHERITED];
        Value r;
        CallWith(fn, out, &attributes, 1, r);
    }
    c->attributes = attributes;
    return true;
}
