#include "script/ScriptPrint.h"

#include <vector>

namespace
{
void Print(HSQUIRRELVM vm, const char* text)
{
    if (SQPRINTFUNCTION print = sq_getprintfunc(vm))
        print(vm, "%s", text);
}

void PrintIndent(HSQUIRRELVM vm, int depth)
{
    for (int i = 0; i < depth; ++i)
        Print(vm, "    ");
}

void PrintValueText(HSQUIRRELVM vm, SQInteger index)
{
    const SQChar* text = "";
    if (SQ_SUCCEEDED(sq_tostring(vm, index)))
    {
        sq_getstring(vm, -1, &text);
        Print(vm, text);
        sq_pop(vm, 1);
    }
}

const void* ArrayIdentity(HSQUIRRELVM vm, SQInteger index)
{
    HSQOBJECT object;
    sq_getstackobj(vm, index, &object);
    return object._unVal.pArray;
}

// The arrays being dumped, outermost first: an array met again inside itself
// prints as its text instead of being dumped without end.
void DumpArray(HSQUIRRELVM vm, SQInteger arrayIndex, int depth, std::vector<const void*>& open)
{
    PrintIndent(vm, depth - 1);
    Print(vm, "Array: \n");
    open.push_back(ArrayIdentity(vm, arrayIndex));
    const SQInteger count = sq_getsize(vm, arrayIndex);
    for (SQInteger i = 0; i < count; ++i)
    {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_get(vm, arrayIndex)))
            continue;
        if (sq_gettype(vm, -1) == OT_WEAKREF && SQ_SUCCEEDED(sq_getweakrefval(vm, -1)))
            sq_remove(vm, -2);
        const SQInteger element = sq_gettop(vm);
        bool isOpen = false;
        if (sq_gettype(vm, element) == OT_ARRAY)
            for (const void* a : open)
                isOpen = isOpen || a == ArrayIdentity(vm, element);
        if (sq_gettype(vm, element) == OT_ARRAY && !isOpen)
            DumpArray(vm, element, depth + 1, open);
        else
        {
            PrintIndent(vm, depth);
            PrintValueText(vm, element);
            Print(vm, "\n");
        }
        sq_pop(vm, 1);
    }
    open.pop_back();
}
} // namespace

void PrintArrayRecursive(HSQUIRRELVM vm, SQInteger arrayIndex, int depth)
{
    std::vector<const void*> open;
    DumpArray(vm, arrayIndex, depth, open);
}

SQInteger sqfunc_print(HSQUIRRELVM vm)
{
    if (sq_gettop(vm) < 2)
        return 0;
    if (sq_gettype(vm, 2) == OT_ARRAY)
        PrintArrayRecursive(vm, 2, 1);
    else
        PrintValueText(vm, 2);
    return 0;
}
