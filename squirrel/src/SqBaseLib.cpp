// The base library (print, error, array, type, threads, ...) and the default delegates every type carries.
#include "SqState.h"
#include "SqVM.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace
{

Value& Arg(HSQUIRRELVM v, SQInteger i)
{
    return v->At(i);
}
SQInteger NArgs(HSQUIRRELVM v)
{
    return v->top - v->stackBase;
}
SQInteger Return(HSQUIRRELVM v, const Value& r)
{
    v->Push(r);
    return 1;
}
SQInteger Error(HSQUIRRELVM v, const char* msg)
{
    v->Raise("%s", msg);
    return SQ_ERROR;
}

void Register(SQSharedState* ss, SQTable* t, const char* name, SQFUNCTION f, SQInteger nparams,
              const char* mask)
{
    SQNativeClosure* nc = new SQNativeClosure(ss);
    Value cv(OT_NATIVECLOSURE, nc);
    nc->func = f;
    nc->name = MakeString(ss, name);
    nc->nparamscheck = nparams;
    if (mask)
    {
        HSQUIRRELVM v = ss->mainVM;
        v->Push(cv);
        sq_setparamscheck(v, nparams, mask);
        v->Pop();
    }
    t->NewSlot(MakeString(ss, name), cv);
}

// ---- base functions
void PrintText(HSQUIRRELVM v, const char* text)
{
    if (v->ss->printFunc)
        v->ss->printFunc(v, "%s", text);
}

void PrintIndent(HSQUIRRELVM v, SQInteger depth)
{
    for (SQInteger i = 0; i < depth; i++)
        PrintText(v, "    ");
}

// Dumps an array one element a line, nested arrays four blanks deeper. 'open' holds the arrays being
// dumped: an array met again inside itself prints as its text instead of being dumped without end.
void PrintArrayRecursive(HSQUIRRELVM v, SQArray* a, SQInteger depth, std::vector<const SQArray*>& open)
{
    PrintIndent(v, depth - 1);
    PrintText(v, "Array: \n");
    open.push_back(a);
    Value hold(OT_ARRAY, a);
    for (size_t i = 0; i < a->values.size(); i++)
    {
        const Value& slot = a->values[i];
        Value element = slot._type == OT_WEAKREF ? Value(slot.WeakRef()->obj) : slot;
        if (element._type == OT_ARRAY && std::find(open.begin(), open.end(), element.Array()) == open.end())
        {
            PrintArrayRecursive(v, element.Array(), depth + 1, open);
            continue;
        }
        Value text;
        PrintIndent(v, depth);
        if (v->ToString(element, text))
            PrintText(v, text.Str()->data);
        PrintText(v, "\n");
    }
    open.pop_back();
}

SQInteger base_print(HSQUIRRELVM v)
{
    const Value& arg = Arg(v, 2);
    if (arg._type == OT_ARRAY && v->ss->printArrays)
    {
        std::vector<const SQArray*> open;
        PrintArrayRecursive(v, arg.Array(), 1, open);
        return 0;
    }
    Value s;
    if (!v->ToString(arg, s))
        return SQ_ERROR;
    PrintText(v, s.Str()->data);
    return 0;
}
SQInteger base_error(HSQUIRRELVM v)
{
    Value s;
    if (!v->ToString(Arg(v, 2), s))
        return SQ_ERROR;
    if (v->ss->errorFunc)
        v->ss->errorFunc(v, "%s", s.Str()->data);
    return 0;
}
SQInteger base_array(HSQUIRRELVM v)
{
    SQInteger n = Arg(v, 2).AsInt();
    if (n < 0)
        return Error(v, "negative size");
    Value a = SQArray::Create(v->ss, n);
    if (NArgs(v) > 2)
        for (Value& e : a.Array()->values)
            e = Arg(v, 3);
    return Return(v, a);
}
SQInteger base_type(HSQUIRRELVM v)
{
    return Return(v, MakeString(v->ss, TypeName(Arg(v, 2)._type)));
}
SQInteger base_assert(HSQUIRRELVM v)
{
    if (IsFalse(Arg(v, 2)))
        return Error(v, "assertion failed");
    return 0;
}
SQInteger base_getroottable(HSQUIRRELVM v)
{
    return Return(v, v->roottable);
}
SQInteger base_setroottable(HSQUIRRELVM v)
{
    Value old = v->roottable;
    if (SQ_FAILED(sq_setroottable(v)))
        return SQ_ERROR;
    return Return(v, old);
}
SQInteger base_getconsttable(HSQUIRRELVM v)
{
    return Return(v, v->ss->constTable);
}
SQInteger base_setconsttable(HSQUIRRELVM v)
{
    Value old = v->ss->constTable;
    if (SQ_FAILED(sq_setconsttable(v)))
        return SQ_ERROR;
    return Return(v, old);
}
SQInteger base_compilestring(HSQUIRRELVM v)
{
    const Value& src = Arg(v, 2);
    const char* name = NArgs(v) > 2 ? Arg(v, 3).Str()->data : "unnamedbuffer";
    if (SQ_FAILED(sq_compilebuffer(v, src.Str()->data, src.Str()->len, name, SQFalse)))
        return SQ_ERROR;
    return 1;
}
SQInteger base_collectgarbage(HSQUIRRELVM v)
{
    return Return(v, Value(v->ss->Collect()));
}
SQInteger base_newthread(HSQUIRRELVM v)
{
    Value fn = Arg(v, 2);
    HSQUIRRELVM t = sq_newthread(v, THREAD_STACK_SIZE);
    t->Push(fn);
    return 1;
}
SQInteger base_suspend(HSQUIRRELVM v)
{
    // The thread yields the top of the call's stack: the last argument, or 'this' when there is none.
    return sq_suspendvm(v);
}
// A value that is neither a function nor null is ignored, leaving the handler as it was.
SQInteger base_seterrorhandler(HSQUIRRELVM v)
{
    sq_seterrorhandler(v);
    return 0;
}
SQInteger base_setdebughook(HSQUIRRELVM v)
{
    sq_setdebughook(v);
    return 0;
}
SQInteger base_enabledebuginfo(HSQUIRRELVM v)
{
    v->ss->debugInfo = !IsFalse(Arg(v, 2));
    return 0;
}
// The frame 'level' below the top of thread t as a table (func, src, line, locals), or null.
Value StackInfos(HSQUIRRELVM t, SQInteger level)
{
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(t, level, &si)))
        return Value();
    SQSharedState* ss = t->ss;
    Value info = SQTable::Create(ss);
    info.Table()->NewSlot(MakeString(ss, "func"), MakeString(ss, si.funcname ? si.funcname : "unknown"));
    info.Table()->NewSlot(MakeString(ss, "src"), MakeString(ss, si.source ? si.source : "unknown"));
    info.Table()->NewSlot(MakeString(ss, "line"), Value(si.line));
    // the free variables first, then the locals, each as the debug interface enumerates them
    Value locals = SQTable::Create(ss);
    const SQChar* name;
    for (SQUnsignedInteger seq = 0; (name = sq_getlocal(t, SQUnsignedInteger(level), seq)) != nullptr; seq++)
    {
        locals.Table()->NewSlot(MakeString(ss, name), t->At(-1));
        t->Pop();
    }
    info.Table()->NewSlot(MakeString(ss, "locals"), locals);
    return info;
}
// Level 0 is getstackinfos itself, 1 the function calling it, 2 that function's caller.
SQInteger base_getstackinfos(HSQUIRRELVM v)
{
    return Return(v, StackInfos(v, Arg(v, 2).AsInt()));
}
SQInteger base_resurrectunreachable(HSQUIRRELVM v)
{
    std::vector<Value> found;
    v->ss->Collect(&found);
    if (found.empty())
        return Return(v, Value());
    Value a = SQArray::Create(v->ss);
    a.Array()->values = std::move(found);
    return Return(v, a);
}
// The closure that called callee().
SQInteger base_callee(HSQUIRRELVM v)
{
    if (v->calls.size() < 2 || !v->calls[v->calls.size() - 2].closure)
        return Error(v, "no closure in the calls stack");
    return Return(v, Value(OT_CLOSURE, v->calls[v->calls.size() - 2].closure));
}
SQInteger base_dummy(HSQUIRRELVM)
{
    return 0;
}

// ---- shared by several types
SQInteger obj_weakref(HSQUIRRELVM v)
{
    return Return(v, MakeWeakRef(Arg(v, 1)));
}
SQInteger obj_tostring(HSQUIRRELVM v)
{
    Value s;
    if (!v->ToString(Arg(v, 1), s))
        return SQ_ERROR;
    return Return(v, s);
}
SQInteger obj_len(HSQUIRRELVM v)
{
    return Return(v, Value(sq_getsize(v, 1)));
}

// ---- numbers
SQInteger number_tointeger(HSQUIRRELVM v)
{
    const Value& o = Arg(v, 1);
    if (o._type == OT_BOOL)
        return Return(v, Value(o.Int()));
    return Return(v, Value(o.AsInt()));
}
SQInteger number_tofloat(HSQUIRRELVM v)
{
    const Value& o = Arg(v, 1);
    if (o._type == OT_BOOL)
        return Return(v, Value(SQFloat(o.Int())));
    return Return(v, Value(o.AsFloat()));
}
SQInteger number_tochar(HSQUIRRELVM v)
{
    // a bool gives the character of its value, 0 or 1
    const Value& o = Arg(v, 1);
    char c = char(o._type == OT_BOOL ? o.Int() : o.AsInt());
    return Return(v, MakeString(v->ss, &c, 1));
}

// ---- strings
// The number at the start of s: a float when s holds a '.' or an exponent mark anywhere, else a decimal
// integer. Text after the number is ignored, as Squirrel 3.0 does; no number at all is a failure.
bool ParseNumber(const char* s, Value& out)
{
    char* end;
    if (strchr(s, '.') || strchr(s, 'e') || strchr(s, 'E'))
    {
        const double d = strtod(s, &end);
        out = Value(SQFloat(d));
        return end != s;
    }
    const long l = strtol(s, &end, 10);
    out = Value(SQInteger(l));
    return end != s;
}
SQInteger string_tointeger(HSQUIRRELVM v)
{
    Value n;
    if (!ParseNumber(Arg(v, 1).Str()->data, n))
        return Error(v, "cannot convert the string");
    return Return(v, Value(n.AsInt()));
}
SQInteger string_tofloat(HSQUIRRELVM v)
{
    Value n;
    if (!ParseNumber(Arg(v, 1).Str()->data, n))
        return Error(v, "cannot convert the string");
    return Return(v, Value(n.AsFloat()));
}
// Resolves slice(start, end) against a length, a negative bound counting from the end; a failure has been
// raised with the language's text. The start may still lie before 0 when it reaches back past the start.
bool SliceRange(HSQUIRRELVM v, SQInteger len, SQInteger& start, SQInteger& end)
{
    start = NArgs(v) > 1 ? Arg(v, 2).AsInt() : 0;
    end = NArgs(v) > 2 ? Arg(v, 3).AsInt() : len;
    if (start < 0)
        start += len;
    if (end < 0)
        end += len;
    if (start > end)
        return v->Raise("wrong indexes");
    if (end > len)
        return v->Raise("slice out of range");
    return true;
}
SQInteger string_slice(HSQUIRRELVM v)
{
    SQString* s = Arg(v, 1).Str();
    SQInteger start, end;
    if (!SliceRange(v, s->len, start, end))
        return SQ_ERROR;
    if (start < 0)
        return Error(v, "slice out of range");
    return Return(v, MakeString(v->ss, s->data + start, end - start));
}
SQInteger string_find(HSQUIRRELVM v)
{
    SQString* s = Arg(v, 1).Str();
    SQString* sub = Arg(v, 2).Str();
    SQInteger start = NArgs(v) > 2 ? Arg(v, 3).AsInt() : 0;
    // the search must start on a character of the string: an empty string, or a start at its end, finds nothing
    if (start < 0 || start >= s->len)
        return Return(v, Value());
    const char* p = strstr(s->data + start, sub->data);
    if (!p)
        return Return(v, Value());
    return Return(v, Value(SQInteger(p - s->data)));
}
SQInteger string_case(HSQUIRRELVM v, int (*conv)(int))
{
    SQString* s = Arg(v, 1).Str();
    std::string r(s->data, size_t(s->len));
    for (char& c : r)
        c = char(conv((unsigned char)c));
    return Return(v, MakeString(v->ss, r.data(), SQInteger(r.size())));
}
SQInteger string_tolower(HSQUIRRELVM v)
{
    return string_case(v, tolower);
}
SQInteger string_toupper(HSQUIRRELVM v)
{
    return string_case(v, toupper);
}

// Methods that change their container in place (rawset, append, sort, resize...) return null.
// ---- tables
SQInteger table_rawget(HSQUIRRELVM v)
{
    return SQ_SUCCEEDED(sq_rawget(v, 1)) ? 1 : SQ_ERROR;
}
SQInteger table_rawset(HSQUIRRELVM v)
{
    if (Arg(v, 2).IsNull())
        return Error(v, "null key");
    Arg(v, 1).Table()->NewSlot(Arg(v, 2), Arg(v, 3));
    return 0;
}
SQInteger table_rawdelete(HSQUIRRELVM v)
{
    Value out;
    Arg(v, 1).Table()->Get(Arg(v, 2), out);
    Arg(v, 1).Table()->Remove(Arg(v, 2));
    return Return(v, out);
}
SQInteger table_rawin(HSQUIRRELVM v)
{
    const Value& self = Arg(v, 1);
    bool found = false;
    if (self._type == OT_TABLE)
        found = self.Table()->Find(Arg(v, 2)) != nullptr;
    else if (self._type == OT_CLASS)
        found = self.Class()->members->Find(Arg(v, 2)) != nullptr;
    else if (self._type == OT_INSTANCE)
        found = self.Instance()->klass->members->Find(Arg(v, 2)) != nullptr;
    return Return(v, Value(found));
}
SQInteger table_clear(HSQUIRRELVM v)
{
    Arg(v, 1).Table()->Clear();
    return 0;
}
SQInteger table_setdelegate(HSQUIRRELVM v)
{
    v->Push(Arg(v, 2));
    if (SQ_FAILED(sq_setdelegate(v, 1)))
        return SQ_ERROR;
    return Return(v, Arg(v, 1));
}
SQInteger table_getdelegate(HSQUIRRELVM v)
{
    SQTable* d = Arg(v, 1).Table()->delegate;
    return Return(v, d ? Value(OT_TABLE, d) : Value());
}

// ---- arrays
std::vector<Value>& Values(HSQUIRRELVM v)
{
    return Arg(v, 1).Array()->values;
}
SQInteger array_append(HSQUIRRELVM v)
{
    Values(v).push_back(Arg(v, 2));
    return 0;
}
SQInteger array_extend(HSQUIRRELVM v)
{
    std::vector<Value> other = Arg(v, 2).Array()->values;
    for (Value& e : other)
        Values(v).push_back(e);
    return 0;
}
SQInteger array_pop(HSQUIRRELVM v)
{
    if (Values(v).empty())
        return Error(v, "empty array");
    Value last = Values(v).back();
    Values(v).pop_back();
    return Return(v, last);
}
SQInteger array_top(HSQUIRRELVM v)
{
    if (Values(v).empty())
        return Error(v, "top() on a empty array");
    return Return(v, Values(v).back());
}
SQInteger array_insert(HSQUIRRELVM v)
{
    SQInteger i = Arg(v, 2).AsInt();
    if (i < 0 || size_t(i) > Values(v).size())
        return Error(v, "index out of range");
    Values(v).insert(Values(v).begin() + i, Arg(v, 3));
    return 0;
}
SQInteger array_remove(HSQUIRRELVM v)
{
    SQInteger i = Arg(v, 2).AsInt();
    if (i < 0 || size_t(i) >= Values(v).size())
        return Error(v, "idx out of range");
    Value removed = Values(v)[size_t(i)];
    Values(v).erase(Values(v).begin() + i);
    return Return(v, removed);
}
SQInteger array_resize(HSQUIRRELVM v)
{
    SQInteger n = Arg(v, 2).AsInt();
    if (n < 0)
        return Error(v, "negative size");
    Value fill = NArgs(v) > 2 ? Arg(v, 3) : Value();
    Values(v).resize(size_t(n), fill);
    return 0;
}
SQInteger array_reverse(HSQUIRRELVM v)
{
    std::reverse(Values(v).begin(), Values(v).end());
    return 0;
}
SQInteger array_slice(HSQUIRRELVM v)
{
    SQInteger start, end;
    if (!SliceRange(v, SQInteger(Values(v).size()), start, end))
        return SQ_ERROR;
    // places before the first element, from a start reaching back past it, hold null
    Value out = SQArray::Create(v->ss);
    for (SQInteger i = start; i < end; i++)
        out.Array()->values.push_back(i < 0 ? Value() : Values(v)[size_t(i)]);
    return Return(v, out);
}
SQInteger array_clear(HSQUIRRELVM v)
{
    Values(v).clear();
    return 0;
}
bool CallFn(HSQUIRRELVM v, const Value& fn, const Value* args, SQInteger n, Value& out)
{
    return v->CallWith(fn, v->roottable, args, n, out);
}
// Three-way comparison of a and b, through the script's compare function when one is given.
bool SortCompare(HSQUIRRELVM v, const Value& fn, const Value& a, const Value& b, SQInteger& c)
{
    if (fn.IsNull())
        return v->Compare(a, b, c);
    Value args[2] = {a, b};
    Value r;
    if (!CallFn(v, fn, args, 2, r))
        return v->lastError._type == OT_STRING ? false : v->Raise("compare func failed");
    // a float answer counts by its integer part, as tointeger() gives it
    if (!r.IsNumeric())
        return v->Raise("numeric value expected as return value of the compare function");
    c = r.AsInt();
    return true;
}
// Heap sort, as Squirrel 3.0 sorts: elements that compare equal end in the same order as there, and an
// inconsistent compare function cannot make it loop. Node i's children are 2i and 2i + 1.
bool SiftDown(HSQUIRRELVM v, const Value& fn, std::vector<Value>& a, size_t root, size_t bottom)
{
    while (root * 2 <= bottom)
    {
        size_t child = root * 2;
        if (child < bottom)
        {
            SQInteger c = 0;
            if (!SortCompare(v, fn, a[child], a[child + 1], c))
                return false;
            if (c <= 0)
                ++child;
        }
        SQInteger c = 0;
        if (!SortCompare(v, fn, a[root], a[child], c))
            return false;
        if (c >= 0)
            break;
        // node 0 is its own first child: an element less than itself would be swapped with itself forever
        if (child == root)
            break;
        std::swap(a[root], a[child]);
        root = child;
    }
    return true;
}
bool HeapSort(HSQUIRRELVM v, const Value& fn, std::vector<Value>& a)
{
    const size_t n = a.size();
    if (n < 2)
        return true;
    for (size_t i = n / 2 + 1; i-- > 0;)
        if (!SiftDown(v, fn, a, i, n - 1))
            return false;
    for (size_t i = n - 1; i >= 1; --i)
    {
        std::swap(a[0], a[i]);
        if (!SiftDown(v, fn, a, 0, i - 1))
            return false;
    }
    return true;
}
SQInteger array_sort(HSQUIRRELVM v)
{
    Value self = Arg(v, 1);
    Value fn = NArgs(v) > 1 ? Arg(v, 2) : Value();
    std::vector<Value> items = self.Array()->values;
    if (!HeapSort(v, fn, items))
        return SQ_ERROR;
    self.Array()->values = items;
    return 0;
}
SQInteger array_map(HSQUIRRELVM v)
{
    Value self = Arg(v, 1), fn = Arg(v, 2);
    Value out = SQArray::Create(v->ss);
    std::vector<Value> items = self.Array()->values;
    for (const Value& e : items)
    {
        Value r;
        if (!CallFn(v, fn, &e, 1, r))
            return SQ_ERROR;
        out.Array()->values.push_back(r);
    }
    return Return(v, out);
}
SQInteger array_apply(HSQUIRRELVM v)
{
    Value self = Arg(v, 1), fn = Arg(v, 2);
    std::vector<Value>& items = self.Array()->values;
    for (size_t i = 0; i < items.size(); i++)
    {
        Value r, e = items[i];
        if (!CallFn(v, fn, &e, 1, r))
            return SQ_ERROR;
        if (i < items.size())
            items[i] = r;
    }
    return 0;
}
SQInteger array_reduce(HSQUIRRELVM v)
{
    Value self = Arg(v, 1), fn = Arg(v, 2);
    std::vector<Value> items = self.Array()->values;
    if (items.empty())
        return Return(v, Value());
    Value acc = items[0];
    for (size_t i = 1; i < items.size(); i++)
    {
        Value args[2] = {acc, items[i]};
        if (!CallFn(v, fn, args, 2, acc))
            return SQ_ERROR;
    }
    return Return(v, acc);
}
SQInteger array_filter(HSQUIRRELVM v)
{
    Value self = Arg(v, 1), fn = Arg(v, 2);
    Value out = SQArray::Create(v->ss);
    std::vector<Value> items = self.Array()->values;
    for (size_t i = 0; i < items.size(); i++)
    {
        Value args[2] = {Value(SQInteger(i)), items[i]};
        Value r;
        if (!CallFn(v, fn, args, 2, r))
            return SQ_ERROR;
        if (!IsFalse(r))
            out.Array()->values.push_back(items[i]);
    }
    return Return(v, out);
}
SQInteger array_find(HSQUIRRELVM v)
{
    std::vector<Value>& items = Values(v);
    for (size_t i = 0; i < items.size(); i++)
        if (v->Equal(items[i], Arg(v, 2)))
            return Return(v, Value(SQInteger(i)));
    return Return(v, Value());
}

// ---- closures
SQInteger CallClosure(HSQUIRRELVM v)
{
    Value fn = Arg(v, 1);
    Value r;
    if (!v->Call(fn, v->stackBase + 1, NArgs(v) - 1, r))
        return SQ_ERROR;
    return Return(v, r);
}
SQInteger ArrayCallClosure(HSQUIRRELVM v)
{
    Value fn = Arg(v, 1);
    std::vector<Value> args = Arg(v, 2).Array()->values;
    // with no 'this' the callee meets fewer arguments than it takes
    if (args.empty())
        return Error(v, "wrong number of parameters");
    Value r;
    if (!v->CallWith(fn, args[0], args.data() + 1, SQInteger(args.size()) - 1, r))
        return SQ_ERROR;
    return Return(v, r);
}
// call and acall hand the callee's uncaught errors to the error handler, as a host's raising call does
// (the caller's loop reports them again if it leaves them uncaught too); pcall and pacall keep the handler
// out of the callee, so only the caller's loop reports.
SQInteger CallRaising(HSQUIRRELVM v, SQFUNCTION call, bool raise)
{
    const bool raised = v->raiseErrors;
    v->raiseErrors = raise;
    const SQInteger result = call(v);
    v->raiseErrors = raised;
    return result;
}
SQInteger closure_call(HSQUIRRELVM v)
{
    return CallRaising(v, CallClosure, true);
}
SQInteger closure_pcall(HSQUIRRELVM v)
{
    return CallRaising(v, CallClosure, false);
}
SQInteger closure_acall(HSQUIRRELVM v)
{
    return CallRaising(v, ArrayCallClosure, true);
}
SQInteger closure_pacall(HSQUIRRELVM v)
{
    return CallRaising(v, ArrayCallClosure, false);
}
SQInteger closure_bindenv(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_bindenv(v, 1)))
        return SQ_ERROR;
    return 1;
}
SQInteger closure_getinfos(HSQUIRRELVM v)
{
    const Value& o = Arg(v, 1);
    SQSharedState* ss = v->ss;
    Value t = SQTable::Create(ss);
    SQTable* r = t.Table();
    if (o._type == OT_CLOSURE)
    {
        SQFunctionProto* p = o.Closure()->Proto();
        r->NewSlot(MakeString(ss, "native"), Value(false));
        r->NewSlot(MakeString(ss, "name"), p->name);
        r->NewSlot(MakeString(ss, "src"), p->sourceName);
        Value params = SQArray::Create(ss);
        for (SQInteger i = 0; i < p->nparams; i++)
        {
            for (const SQLocalInfo& l : p->locals)
                if (l.reg == i)
                    params.Array()->values.push_back(l.name);
        }
        // a vararg function lists its vargv as a parameter, then the dots
        if (p->varParams)
        {
            params.Array()->values.push_back(MakeString(ss, "vargv"));
            params.Array()->values.push_back(MakeString(ss, "..."));
        }
        r->NewSlot(MakeString(ss, "parameters"), params);
        Value defaults = SQArray::Create(ss);
        defaults.Array()->values.assign(o.Closure()->defaults.begin(), o.Closure()->defaults.end());
        r->NewSlot(MakeString(ss, "defparams"), defaults);
        r->NewSlot(MakeString(ss, "varargs"), Value(SQInteger(p->varParams ? 1 : 0)));
    }
    else
    {
        r->NewSlot(MakeString(ss, "native"), Value(true));
        r->NewSlot(MakeString(ss, "name"), o.Native()->name);
        r->NewSlot(MakeString(ss, "paramscheck"), Value(o.Native()->nparamscheck));
        Value typecheck;
        if (!o.Native()->typecheck.empty())
        {
            typecheck = SQArray::Create(ss);
            for (SQInteger mask : o.Native()->typecheck)
                typecheck.Array()->values.push_back(Value(mask));
        }
        r->NewSlot(MakeString(ss, "typecheck"), typecheck);
    }
    return Return(v, t);
}

// ---- generators
SQInteger generator_getstatus(HSQUIRRELVM v)
{
    static const char* const names[] = {"running", "suspended", "dead"};
    return Return(v, MakeString(v->ss, names[Arg(v, 1).Generator()->state]));
}

// ---- threads
SQInteger FinishThreadRun(HSQUIRRELVM v, SQVM* t, bool ok, const Value& ret)
{
    if (t->suspended)
    {
        t->state = SQ_VMSTATE_SUSPENDED;
        return Return(v, ret);
    }
    t->state = SQ_VMSTATE_IDLE;
    t->Pop(t->top);
    if (!ok)
    {
        v->lastError = t->lastError;
        return SQ_ERROR;
    }
    return Return(v, ret);
}
SQInteger thread_call(HSQUIRRELVM v)
{
    Value self = Arg(v, 1);
    SQVM* t = self.Thread();
    if (t->state != SQ_VMSTATE_IDLE)
        return Error(v, "wrong status");
    if (t->top < 1)
        return Error(v, "the thread has no function");
    Value fn = t->stack[0];
    t->Pop(t->top);
    t->Push(fn);
    SQInteger argBase = t->top;
    t->Push(t->roottable);
    for (SQInteger i = 2; i <= NArgs(v); i++)
        t->Push(Arg(v, i));
    t->state = SQ_VMSTATE_RUNNING;
    t->suspended = false;
    Value ret;
    bool ok = t->Call(fn, argBase, t->top - argBase, ret);
    if (!t->suspended && ok)
        t->stack[0] = fn; // keep the function for another call
    SQInteger r = FinishThreadRun(v, t, ok, ret);
    if (t->state == SQ_VMSTATE_IDLE)
        t->Push(fn);
    return r;
}
SQInteger thread_wakeup(HSQUIRRELVM v)
{
    Value self = Arg(v, 1);
    SQVM* t = self.Thread();
    if (t->state == SQ_VMSTATE_IDLE)
        return Error(v, "cannot wakeup a idle thread");
    if (t->state == SQ_VMSTATE_RUNNING)
        return Error(v, "cannot wakeup a running thread");
    if (t->suspendTarget >= 0)
        t->stack[t->suspendTarget] = NArgs(v) > 1 ? Arg(v, 2) : Value();
    t->suspended = false;
    t->state = SQ_VMSTATE_RUNNING;
    Value ret;
    bool ok = t->Execute(ret);
    Value fn = t->top > 0 ? t->stack[0] : Value();
    SQInteger r = FinishThreadRun(v, t, ok, ret);
    if (t->state == SQ_VMSTATE_IDLE)
        t->Push(fn);
    return r;
}
// Level 0 is the innermost frame of the (suspended) thread.
SQInteger thread_getstackinfos(HSQUIRRELVM v)
{
    return Return(v, StackInfos(Arg(v, 1).Thread(), Arg(v, 2).AsInt()));
}
SQInteger thread_getstatus(HSQUIRRELVM v)
{
    static const char* const names[] = {"idle", "running", "suspended"};
    return Return(v, MakeString(v->ss, names[Arg(v, 1).Thread()->state]));
}

// ---- classes and instances
SQInteger class_getattributes(HSQUIRRELVM v)
{
    v->Push(Arg(v, 2));
    if (SQ_FAILED(sq_getattributes(v, 1)))
        return SQ_ERROR;
    return 1;
}
SQInteger class_setattributes(HSQUIRRELVM v)
{
    v->Push(Arg(v, 2));
    v->Push(Arg(v, 3));
    if (SQ_FAILED(sq_setattributes(v, 1)))
        return SQ_ERROR;
    return 1;
}
SQInteger class_rawget(HSQUIRRELVM v)
{
    v->Push(Arg(v, 2));
    if (SQ_FAILED(sq_rawget(v, 1)))
        return SQ_ERROR;
    return 1;
}
SQInteger class_rawset(HSQUIRRELVM v)
{
    v->Push(Arg(v, 2));
    v->Push(Arg(v, 3));
    if (SQ_FAILED(sq_rawset(v, 1)))
        return SQ_ERROR;
    return 0;
}
// newmember and rawnewmember take (key, value, [attributes], [static]).
Value MemberAttributes(HSQUIRRELVM v)
{
    return NArgs(v) > 3 ? Arg(v, 4) : Value();
}
bool MemberIsStatic(HSQUIRRELVM v)
{
    return NArgs(v) > 4 && !IsFalse(Arg(v, 5));
}
SQInteger class_newmember(HSQUIRRELVM v)
{
    if (!v->NewMember(Arg(v, 1), Arg(v, 2), Arg(v, 3), MemberAttributes(v), MemberIsStatic(v)))
        return SQ_ERROR;
    return 0;
}
SQInteger class_rawnewmember(HSQUIRRELVM v)
{
    if (!v->NewSlot(Arg(v, 1), Arg(v, 2), Arg(v, 3), MemberIsStatic(v)))
        return SQ_ERROR;
    const Value attributes = MemberAttributes(v);
    if (!attributes.IsNull())
        Arg(v, 1).Class()->SetAttributes(Arg(v, 2), attributes);
    return 0;
}
SQInteger class_instance(HSQUIRRELVM v)
{
    return Return(v, Arg(v, 1).Class()->CreateInstance());
}
SQInteger class_getbase(HSQUIRRELVM v)
{
    SQClass* b = Arg(v, 1).Class()->base;
    return Return(v, b ? Value(OT_CLASS, b) : Value());
}
SQInteger instance_getclass(HSQUIRRELVM v)
{
    return Return(v, Value(OT_CLASS, Arg(v, 1).Instance()->klass));
}

// ---- weak references
SQInteger weakref_ref(HSQUIRRELVM v)
{
    return Return(v, Value(Arg(v, 1).WeakRef()->obj));
}

struct Entry
{
    const char* name;
    SQFUNCTION f;
    SQInteger nparams;
    const char* mask;
};

Value MakeDelegate(SQSharedState* ss, const Entry* entries)
{
    Value t = SQTable::Create(ss);
    for (const Entry* e = entries; e->name; e++)
        Register(ss, t.Table(), e->name, e->f, e->nparams, e->mask);
    return t;
}

} // namespace

void SQRegisterDefaultDelegates(SQSharedState* ss)
{
    static const Entry number[] = {
        {"tointeger", number_tointeger, 1, "n|b"}, {"tofloat", number_tofloat, 1, "n|b"},
        {"tostring", obj_tostring, 1, nullptr},    {"tochar", number_tochar, 1, "n|b"},
        {"weakref", obj_weakref, 1, nullptr},      {nullptr, nullptr, 0, nullptr}};
    static const Entry string[] = {{"len", obj_len, 1, "s"},
                                   {"tointeger", string_tointeger, 1, "s"},
                                   {"tofloat", string_tofloat, 1, "s"},
                                   {"tostring", obj_tostring, 1, nullptr},
                                   {"slice", string_slice, -1, "s n n"},
                                   {"find", string_find, -2, "s s n"},
                                   {"tolower", string_tolower, 1, "s"},
                                   {"toupper", string_toupper, 1, "s"},
                                   {"weakref", obj_weakref, 1, nullptr},
                                   {nullptr, nullptr, 0, nullptr}};
    static const Entry table[] = {{"len", obj_len, 1, "t"},
                                  {"rawget", table_rawget, 2, "t"},
                                  {"rawset", table_rawset, 3, "t"},
                                  {"rawdelete", table_rawdelete, 2, "t"},
                                  {"rawin", table_rawin, 2, "t"},
                                  {"weakref", obj_weakref, 1, nullptr},
                                  {"tostring", obj_tostring, 1, nullptr},
                                  {"clear", table_clear, 1, "t"},
                                  {"setdelegate", table_setdelegate, 2, "t t|o"},
                                  {"getdelegate", table_getdelegate, 1, "t"},
                                  {nullptr, nullptr, 0, nullptr}};
    static const Entry array[] = {{"len", obj_len, 1, "a"},
                                  {"append", array_append, 2, "a"},
                                  {"push", array_append, 2, "a"},
                                  {"extend", array_extend, 2, "aa"},
                                  {"pop", array_pop, 1, "a"},
                                  {"top", array_top, 1, "a"},
                                  {"insert", array_insert, 3, "an"},
                                  {"remove", array_remove, 2, "an"},
                                  {"resize", array_resize, -2, "an"},
                                  {"sort", array_sort, -1, "ac"},
                                  {"reverse", array_reverse, 1, "a"},
                                  {"slice", array_slice, -1, "a n n"},
                                  {"weakref", obj_weakref, 1, nullptr},
                                  {"tostring", obj_tostring, 1, nullptr},
                                  {"clear", array_clear, 1, "a"},
                                  {"map", array_map, 2, "ac"},
                                  {"apply", array_apply, 2, "ac"},
                                  {"reduce", array_reduce, 2, "ac"},
                                  {"filter", array_filter, 2, "ac"},
                                  {"find", array_find, 2, "a."},
                                  {nullptr, nullptr, 0, nullptr}};
    static const Entry closure[] = {{"call", closure_call, -1, "c"},
                                    {"pcall", closure_pcall, -1, "c"},
                                    {"acall", closure_acall, 2, "ca"},
                                    {"pacall", closure_pacall, 2, "ca"},
                                    {"weakref", obj_weakref, 1, nullptr},
                                    {"tostring", obj_tostring, 1, nullptr},
                                    {"bindenv", closure_bindenv, 2, "c x|y|t"},
                                    {"getinfos", closure_getinfos, 1, "c"},
                                    {nullptr, nullptr, 0, nullptr}};
    static const Entry generator[] = {{"getstatus", generator_getstatus, 1, "g"},
                                      {"weakref", obj_weakref, 1, nullptr},
                                      {"tostring", obj_tostring, 1, nullptr},
                                      {nullptr, nullptr, 0, nullptr}};
    static const Entry thread[] = {
        {"call", thread_call, -1, "v"},          {"wakeup", thread_wakeup, -1, "v"},
        {"getstatus", thread_getstatus, 1, "v"}, {"getstackinfos", thread_getstackinfos, 2, "vn"},
        {"weakref", obj_weakref, 1, nullptr},    {"tostring", obj_tostring, 1, nullptr},
        {nullptr, nullptr, 0, nullptr}};
    static const Entry klass[] = {{"getattributes", class_getattributes, 2, "y."},
                                  {"setattributes", class_setattributes, 3, "y.."},
                                  {"rawget", class_rawget, 2, "y"},
                                  {"rawset", class_rawset, 3, "y"},
                                  {"rawin", table_rawin, 2, "y"},
                                  {"weakref", obj_weakref, 1, nullptr},
                                  {"tostring", obj_tostring, 1, nullptr},
                                  {"instance", class_instance, 1, "y"},
                                  {"newmember", class_newmember, -3, "y"},
                                  {"rawnewmember", class_rawnewmember, -3, "y"},
                                  {"getbase", class_getbase, 1, "y"},
                                  {nullptr, nullptr, 0, nullptr}};
    static const Entry instance[] = {
        {"getclass", instance_getclass, 1, "x"}, {"rawget", class_rawget, 2, "x"},
        {"rawset", class_rawset, 3, "x"},        {"rawin", table_rawin, 2, "x"},
        {"weakref", obj_weakref, 1, nullptr},    {"tostring", obj_tostring, 1, nullptr},
        {nullptr, nullptr, 0, nullptr}};
    static const Entry weakref[] = {{"ref", weakref_ref, 1, "r"},
                                    {"weakref", obj_weakref, 1, nullptr},
                                    {"tostring", obj_tostring, 1, nullptr},
                                    {nullptr, nullptr, 0, nullptr}};
    ss->numberDelegate = MakeDelegate(ss, number);
    ss->stringDelegate = MakeDelegate(ss, string);
    ss->tableDelegate = MakeDelegate(ss, table);
    ss->arrayDelegate = MakeDelegate(ss, array);
    ss->closureDelegate = MakeDelegate(ss, closure);
    ss->generatorDelegate = MakeDelegate(ss, generator);
    ss->threadDelegate = MakeDelegate(ss, thread);
    ss->classDelegate = MakeDelegate(ss, klass);
    ss->instanceDelegate = MakeDelegate(ss, instance);
    ss->weakrefDelegate = MakeDelegate(ss, weakref);
}

SQRESULT sq_registerbaselib(HSQUIRRELVM v)
{
    static const Entry base[] = {{"print", base_print, 2, nullptr},
                                 {"error", base_error, 2, nullptr},
                                 {"array", base_array, -2, ".n"},
                                 {"type", base_type, 2, nullptr},
                                 {"assert", base_assert, 2, nullptr},
                                 {"getroottable", base_getroottable, 1, nullptr},
                                 {"setroottable", base_setroottable, 2, nullptr},
                                 {"getconsttable", base_getconsttable, 1, nullptr},
                                 {"setconsttable", base_setconsttable, 2, nullptr},
                                 {"compilestring", base_compilestring, -2, ".ss"},
                                 {"collectgarbage", base_collectgarbage, 0, nullptr},
                                 {"newthread", base_newthread, 2, ".c"},
                                 {"suspend", base_suspend, -1, nullptr},
                                 {"seterrorhandler", base_seterrorhandler, 2, nullptr},
                                 {"setdebughook", base_setdebughook, 2, nullptr},
                                 {"enabledebuginfo", base_enabledebuginfo, 2, nullptr},
                                 {"getstackinfos", base_getstackinfos, 2, ".n"},
                                 {"resurrectunreachable", base_resurrectunreachable, 0, nullptr},
                                 {"callee", base_callee, 0, nullptr},
                                 {"dummy", base_dummy, 0, nullptr},
                                 {nullptr, nullptr, 0, nullptr}};
    for (const Entry* e = base; e->name; e++)
        Register(v->ss, v->roottable.Table(), e->name, e->f, e->nparams, e->mask);
    SQTable* root = v->roottable.Table();
    root->NewSlot(MakeString(v->ss, "_version_"), MakeString(v->ss, SQUIRREL_VERSION));
    root->NewSlot(MakeString(v->ss, "_versionnumber_"), Value(SQInteger(SQUIRREL_VERSION_NUMBER)));
    root->NewSlot(MakeString(v->ss, "_charsize_"), Value(SQInteger(sizeof(SQChar))));
    root->NewSlot(MakeString(v->ss, "_intsize_"), Value(SQInteger(sizeof(SQInteger))));
    root->NewSlot(MakeString(v->ss, "_floatsize_"), Value(SQInteger(sizeof(SQFloat))));
    return SQ_OK;
}
