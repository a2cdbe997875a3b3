#include "script/ScriptBinding.h"

#include "core/FixedString.h"
#include "core/LogError.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace
{
// A view of an embedded member keeps the instance it was read from alive, so
// `(a * b).translation` never outlives the matrix it looks into. Views of one
// member of one owner share a record that holds the owner once; the records
// stay sorted in a vector whose storage is kept, so reading a member
// allocates nothing of ours once the set has grown to its working size.
struct ViewOwner
{
    void* member;
    HSQUIRRELVM vm;
    HSQOBJECT owner;
    uint32_t views;
};
std::vector<ViewOwner> g_viewOwners;

// Only members inside an instance are held (a global member needs no owner),
// so one address belongs to one live owner.
std::vector<ViewOwner>::iterator FirstViewOwner(void* member)
{
    return std::lower_bound(g_viewOwners.begin(), g_viewOwners.end(), member,
                            [](const ViewOwner& held, void* key) { return held.member < key; });
}

SQInteger ReleaseViewOwner(SQUserPointer member, SQInteger)
{
    const auto found = FirstViewOwner(member);
    if (found == g_viewOwners.end() || found->member != member)
        return 0;
    if (--found->views > 0)
        return 0;
    ViewOwner held = *found;
    g_viewOwners.erase(found);
    sq_release(held.vm, &held.owner);
    return 0;
}

void HoldOwnerForView(HSQUIRRELVM vm, SQInteger ownerIndex, void* member)
{
    if (g_viewOwners.capacity() == 0)
        g_viewOwners.reserve(64);
    const auto at = FirstViewOwner(member);
    if (at != g_viewOwners.end() && at->member == member)
        ++at->views;
    else
    {
        HSQOBJECT owner;
        sq_getstackobj(vm, ownerIndex, &owner);
        sq_addref(vm, &owner);
        g_viewOwners.insert(at, ViewOwner{member, vm, owner, 1});
    }
    sq_setreleasehook(vm, -1, ReleaseViewOwner);
}

SQInteger AbsoluteIndex(HSQUIRRELVM vm, SQInteger index)
{
    return index < 0 ? sq_gettop(vm) + index + 1 : index;
}

SQInteger ClassNativeSize(HSQUIRRELVM vm, SQInteger instanceIndex)
{
    if (SQ_FAILED(sq_getclass(vm, instanceIndex)))
        return 0;
    const SQInteger size = sq_getsize(vm, -1);
    sq_pop(vm, 1);
    return size;
}

// A bound class carries its name as its type tag (nothing else sets tags),
// so the tree is read from the instance, never from names in the root table.
bool ClassTreeHasTag(HSQUIRRELVM vm, SQInteger instanceIndex, std::initializer_list<const char*> classNames)
{
    const SQInteger top = sq_gettop(vm);
    bool found = false;
    sq_getclass(vm, instanceIndex);
    while (!found && sq_gettype(vm, -1) == OT_CLASS)
    {
        SQUserPointer tag = nullptr;
        sq_gettypetag(vm, -1, &tag);
        for (const char* name : classNames)
            found = found || (tag && name && strcmp(static_cast<const char*>(tag), name) == 0);
        sq_getbase(vm, -1);
        sq_remove(vm, -2);
    }
    sq_settop(vm, top);
    return found;
}

std::nullptr_t Refuse(HSQUIRRELVM vm, const char* message)
{
    sq_throwerror(vm, message);
    return nullptr;
}

std::nullptr_t RefuseNotInstanceOf(HSQUIRRELVM vm, const char* className)
{
    FixedString<160> message;
    message.Format("the object is not an instance of %s", className ? className : "a class");
    return Refuse(vm, message);
}

// True for an instance of one of the classes; false after a script error.
bool CheckClass(HSQUIRRELVM vm, SQInteger index, std::initializer_list<const char*> classNames)
{
    if (sq_gettype(vm, index) != OT_INSTANCE)
        Refuse(vm, "the object is not a class instance");
    else if (!ClassTreeHasTag(vm, index, classNames))
        RefuseNotInstanceOf(vm, *classNames.begin());
    else
        return true;
    return false;
}

void* NativeObject(HSQUIRRELVM vm, SQInteger instanceIndex)
{
    void* object = ScriptInstanceArea(vm, instanceIndex);
    return object ? object : Refuse(vm, "the instance holds no native object");
}

// Pushes the root-table class of that name; false, with nothing pushed, when
// there is none.
bool PushRootClass(HSQUIRRELVM vm, const char* className)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, className, -1);
    if (SQ_FAILED(sq_tryrawget(vm, -2)))
    {
        sq_pop(vm, 1);
        return false;
    }
    sq_remove(vm, -2);
    if (sq_gettype(vm, -1) == OT_CLASS)
        return true;
    sq_pop(vm, 1);
    return false;
}

void NewNativeSlot(HSQUIRRELVM vm, SQInteger target, const char* name, SQFUNCTION function,
                   SQInteger freeVariables, const char* closureName, bool isStatic)
{
    sq_newclosure(vm, function, static_cast<SQUnsignedInteger>(freeVariables));
    sq_setnativeclosurename(vm, -1, closureName);
    sq_pushstring(vm, name, -1);
    sq_push(vm, -2);
    sq_remove(vm, -3);
    sq_newslot(vm, target, isStatic ? SQTrue : SQFalse);
}

// A class's constructor runs only on an instance of the class or of one
// derived from it, or `Widget.constructor.call(other)` would build a widget
// over another class's object. Its free variables (the constructor, then
// the class name) are taken off before the constructor sees the stack.
SQInteger sqfunc_checkedconstructor(HSQUIRRELVM vm)
{
    const SQInteger top = sq_gettop(vm);
    SQUserPointer stored = nullptr;
    const SQChar* className = nullptr;
    if (SQ_FAILED(sq_getuserdata(vm, top - 1, &stored, nullptr)) || SQ_FAILED(sq_getstring(vm, top, &className)))
        return SQ_ERROR;
    SQFUNCTION constructor = nullptr;
    memcpy(&constructor, stored, sizeof(constructor));
    sq_pop(vm, 2);
    if (!CheckClass(vm, 1, {className}))
        return SQ_ERROR;
    return constructor(vm);
}

SQInteger sqfunc_inherited(HSQUIRRELVM vm)
{
    // the new class and its attributes come first, then the native size bound as the free variable
    SQInteger size = 0;
    sq_getinteger(vm, 3, &size);
    sq_setclassudsize(vm, 1, size);
    return 0;
}

// `_get` and `_set` hold two free variables, after whatever arguments they
// were called with: the class's __cpp_vars, then the class's name.
struct MemberAccess
{
    SQInteger vars;
    const char* className;
};

MemberAccess FreeVariablesOfMemberAccess(HSQUIRRELVM vm)
{
    const SQInteger top = sq_gettop(vm);
    MemberAccess access{top - 1, nullptr};
    sq_getstring(vm, top, &access.className);
    return access;
}

// Looks the member's row up in the class's __cpp_vars.
const ScriptVarDesc* FindRow(HSQUIRRELVM vm, SQInteger varsIndex)
{
    sq_push(vm, 2);
    if (SQ_FAILED(sq_tryrawget(vm, varsIndex)))
        return nullptr;
    SQUserPointer row = nullptr;
    sq_getuserpointer(vm, -1, &row);
    sq_pop(vm, 1);
    return static_cast<const ScriptVarDesc*>(row);
}

void* MemberAddress(HSQUIRRELVM vm, const ScriptVarDesc& row, const char* className)
{
    if (row.flags & kScriptVarAbsolute)
        return reinterpret_cast<void*>(row.location);
    uint8_t* object = ScriptCheckThis<uint8_t>(vm, className);
    return object ? object + row.location : nullptr;
}

void* PointeeAt(const void* address)
{
    void* pointee = nullptr;
    memcpy(&pointee, address, sizeof(pointee));
    return pointee;
}

void PushViewOrNull(HSQUIRRELVM vm, const char* className, void* object)
{
    if (!object || SQ_FAILED(ScriptPushBoundInstance(vm, className, object)))
        sq_pushnull(vm);
}

SQInteger sqfunc_classget(HSQUIRRELVM vm)
{
    const MemberAccess access = FreeVariablesOfMemberAccess(vm);
    const ScriptVarDesc* row = FindRow(vm, access.vars);
    if (!row)
        return SQ_ERROR;
    void* address = MemberAddress(vm, *row, access.className);
    if (!address)
        return SQ_ERROR;
    switch (row->flags & kScriptVarTypeMask)
    {
    case kScriptVarFloat:
    {
        float value;
        memcpy(&value, address, sizeof(value));
        sq_pushfloat(vm, value);
        break;
    }
    case kScriptVarInt:
    {
        int32_t value;
        memcpy(&value, address, sizeof(value));
        sq_pushinteger(vm, value);
        break;
    }
    case kScriptVarByte:
        sq_pushinteger(vm, *static_cast<const uint8_t*>(address));
        break;
    case kScriptVarText:
        sq_pushstring(vm, static_cast<const char*>(address), -1);
        break;
    case kScriptVarPointer:
        PushViewOrNull(vm, row->nestedClass, PointeeAt(address));
        break;
    case kScriptVarEmbedded:
        PushViewOrNull(vm, row->nestedClass, address);
        if (sq_gettype(vm, -1) == OT_INSTANCE && !(row->flags & kScriptVarAbsolute))
            HoldOwnerForView(vm, 1, address);
        break;
    default:
        sq_pushnull(vm);
        break;
    }
    return 1;
}

// The nested class decides how a value is copied into its object.
SQInteger AssignNested(HSQUIRRELVM vm, const ScriptVarDesc& row, void* object)
{
    if (SQ_FAILED(ScriptPushBoundInstance(vm, row.nestedClass, object)))
        return sq_throwerror(vm, "the member's class has no script class");
    const SQInteger view = sq_gettop(vm);
    sq_pushstring(vm, "__assign", -1);
    if (SQ_FAILED(sq_get(vm, view)))
    {
        sq_settop(vm, view - 1);
        return sq_throwerror(vm, "the member's class has no __assign");
    }
    sq_push(vm, view);
    sq_push(vm, 3);
    sq_call(vm, 2, SQFalse, SQTrue);
    sq_settop(vm, view - 1);
    return 0;
}

void StoreText(const ScriptVarDesc& row, void* address, const char* text)
{
    if (row.textSize == 0)
        return;
    const size_t length = strnlen(text, row.textSize - 1);
    memcpy(address, text, length);
    static_cast<char*>(address)[length] = 0;
}

SQInteger sqfunc_classset(HSQUIRRELVM vm)
{
    const MemberAccess access = FreeVariablesOfMemberAccess(vm);
    sq_push(vm, 2);
    // Unlike reading, an unknown member keeps the lookup's error: a script error.
    if (SQ_FAILED(sq_rawget(vm, access.vars)))
        return SQ_ERROR;
    SQUserPointer rowPointer = nullptr;
    sq_getuserpointer(vm, -1, &rowPointer);
    sq_pop(vm, 1);
    const ScriptVarDesc& row = *static_cast<const ScriptVarDesc*>(rowPointer);
    void* address = MemberAddress(vm, row, access.className);
    if (!address)
        return SQ_ERROR;
    const char* nestedName = row.nestedClass ? row.nestedClass : "";
    switch (row.flags & kScriptVarTypeMask)
    {
    case kScriptVarFloat:
    {
        SQFloat value = 0;
        sq_getfloat(vm, 3, &value);
        memcpy(address, &value, sizeof(value));
        break;
    }
    case kScriptVarInt:
    {
        SQInteger value = 0;
        sq_getinteger(vm, 3, &value);
        const int32_t stored = value;
        memcpy(address, &stored, sizeof(stored));
        break;
    }
    case kScriptVarByte:
    {
        SQInteger value = 0;
        sq_getinteger(vm, 3, &value);
        *static_cast<uint8_t*>(address) = static_cast<uint8_t>(value);
        break;
    }
    case kScriptVarText:
    {
        const SQChar* text = "";
        sq_getstring(vm, 3, &text);
        StoreText(row, address, text);
        break;
    }
    case kScriptVarEmbedded:
        return AssignNested(vm, row, address);
    case kScriptVarPointer:
        if (void* pointee = PointeeAt(address))
            return AssignNested(vm, row, pointee);
        LogError("Cannot set C nullptr to squirrel variable: (%s)%s\n", nestedName, row.name);
        break;
    default:
        LogError("Setting bound variable of unknown type: (%s)%s\n", nestedName, row.name);
        break;
    }
    return 0;
}

bool IsConstantRow(const ScriptVarDesc& row)
{
    const uint32_t type = row.flags & kScriptVarTypeMask;
    return type == kScriptVarConstant || (type & ~kScriptVarByte) == kScriptVarConstantAt;
}

SQInteger ConstantValue(const ScriptVarDesc& row)
{
    const uint32_t type = row.flags & kScriptVarTypeMask;
    if (type == kScriptVarConstant)
        return static_cast<SQInteger>(row.location);
    if (type & kScriptVarByte)
        return *reinterpret_cast<const uint8_t*>(row.location);
    int32_t value;
    memcpy(&value, reinterpret_cast<const void*>(row.location), sizeof(value));
    return value;
}

void AddMemberRows(HSQUIRRELVM vm, SQInteger varsIndex, const ScriptVarDesc* members)
{
    for (const ScriptVarDesc* row = members; row && row->name; ++row)
    {
        if (IsConstantRow(*row))
        {
            sq_pushconsttable(vm);
            sq_pushstring(vm, row->name, -1);
            sq_pushinteger(vm, ConstantValue(*row));
            sq_newslot(vm, -3, SQFalse);
            sq_pop(vm, 1);
            continue;
        }
        sq_pushstring(vm, row->name, -1);
        sq_pushuserpointer(vm, const_cast<ScriptVarDesc*>(row));
        sq_newslot(vm, varsIndex, SQFalse);
    }
}

void AddMemberAccess(HSQUIRRELVM vm, SQInteger classIndex, const char* className, const ScriptVarDesc* members)
{
    sq_newtable(vm);
    const SQInteger varsIndex = sq_gettop(vm);
    // Free variables come in the reverse order of their pushing.
    sq_pushstring(vm, className, -1);
    sq_push(vm, varsIndex);
    NewNativeSlot(vm, classIndex, "_get", sqfunc_classget, 2, "sqfunc_classget", false);
    sq_pushstring(vm, className, -1);
    sq_push(vm, varsIndex);
    NewNativeSlot(vm, classIndex, "_set", sqfunc_classset, 2, "sqfunc_classset", false);
    AddMemberRows(vm, varsIndex, members);
    sq_pushstring(vm, "__cpp_vars", -1);
    sq_push(vm, varsIndex);
    sq_newslot(vm, classIndex, SQTrue);
    sq_pop(vm, 1);
}

void BindClosure(HSQUIRRELVM vm, SQInteger target, const char* name, SQFUNCTION function, bool isStatic,
                 const char* mask, SQInteger parameterCount)
{
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, function, 0);
    if (mask)
        sq_setparamscheck(vm, parameterCount, mask);
    sq_setnativeclosurename(vm, -1, name);
    sq_newslot(vm, target, isStatic ? SQTrue : SQFalse);
}
} // namespace

ScriptClassHandle& ScriptBindClass(ScriptClassHandle& handle, HSQUIRRELVM vm, const char* name,
                                   SQInteger nativeSize, const ScriptVarDesc* members, SQFUNCTION constructor)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_newclass(vm, SQFalse);
    const SQInteger classIndex = sq_gettop(vm);
    sq_settypetag(vm, classIndex, const_cast<char*>(name));
    sq_setclassudsize(vm, classIndex, nativeSize);
    sq_pushinteger(vm, nativeSize);
    NewNativeSlot(vm, classIndex, "_inherited", sqfunc_inherited, 1, "sqfunc_inherited", false);
    if (constructor)
    {
        FixedString<128> constructorName;
        constructorName.Format("%s_constructor", name);
        // Free variables come in the reverse order of their pushing.
        sq_pushstring(vm, name, -1);
        memcpy(sq_newuserdata(vm, sizeof(constructor)), &constructor, sizeof(constructor));
        NewNativeSlot(vm, classIndex, "constructor", sqfunc_checkedconstructor, 2, constructorName, false);
    }
    AddMemberAccess(vm, classIndex, name, members);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
    handle.vm = vm;
    handle.name = name;
    return handle;
}

bool ScriptBindMethod(HSQUIRRELVM vm, const char* className, const char* method, SQFUNCTION function,
                      bool isStatic, const char* mask, SQInteger parameterCount)
{
    if (!PushRootClass(vm, className))
    {
        LogError("Pendrel Script cannot bind %s: no class %s\n", method, className);
        return false;
    }
    BindClosure(vm, sq_gettop(vm), method, function, isStatic, mask, parameterCount);
    sq_pop(vm, 1);
    return true;
}

ScriptClassHandle& ScriptClassHandle::AddMethod(const char* method, SQFUNCTION function, const char* mask,
                                                SQInteger parameterCount)
{
    ScriptBindMethod(vm, name, method, function, false, mask, parameterCount);
    return *this;
}

ScriptClassHandle& ScriptClassHandle::AddStaticMethod(const char* method, SQFUNCTION function,
                                                      const char* mask, SQInteger parameterCount)
{
    ScriptBindMethod(vm, name, method, function, true, mask, parameterCount);
    return *this;
}

void ScriptBindGlobalFunction(HSQUIRRELVM vm, const char* name, SQFUNCTION function, const char* mask,
                              SQInteger parameterCount)
{
    sq_pushroottable(vm);
    BindClosure(vm, sq_gettop(vm), name, function, false, mask, parameterCount);
    sq_pop(vm, 1);
}

void* ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    index = AbsoluteIndex(vm, index);
    return CheckClass(vm, index, {className}) ? NativeObject(vm, index) : nullptr;
}

void* ScriptCheckValue(HSQUIRRELVM vm, SQInteger index, const char* className, SQInteger nativeSize)
{
    index = AbsoluteIndex(vm, index);
    if (!CheckClass(vm, index, {className, "Vec3", "Vec2", "Mat4", "rgba8888"}))
        return nullptr;
    // An owned object's area is as large as its class says, so only views
    // (which hold no area) need their class asked.
    if (sq_getsize(vm, index) < nativeSize && ClassNativeSize(vm, index) < nativeSize)
        return Refuse(vm, "the instance's native object is too small");
    return NativeObject(vm, index);
}

bool ScriptIsInstanceOf(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    index = AbsoluteIndex(vm, index);
    return className && sq_gettype(vm, index) == OT_INSTANCE && ClassTreeHasTag(vm, index, {className});
}

SQInteger ScriptPushBoundInstance(HSQUIRRELVM vm, const char* className, void* object)
{
    if (!className || !PushRootClass(vm, className))
        return SQ_ERROR;
    sq_createbareinstance(vm, -1);
    sq_setinstanceup(vm, -1, object);
    sq_remove(vm, -2);
    return SQ_OK;
}

SQInteger CreateScriptInstance(HSQUIRRELVM vm, const char* className, SQUserPointer* area)
{
    *area = nullptr;
    if (!className || !PushRootClass(vm, className))
        return SQ_ERROR;
    return InstantiateTopClass(vm, area);
}

SQInteger PushNewInstance(HSQUIRRELVM vm, const char* className, SQUserPointer* area)
{
    if (SQ_FAILED(CreateScriptInstance(vm, className, area)))
        return sq_throwerror(vm, "the object is not a class instance");
    return SQ_OK;
}

SQInteger InstantiateTopClass(HSQUIRRELVM vm, SQUserPointer* area)
{
    *area = nullptr;
    if (sq_gettype(vm, -1) != OT_CLASS || SQ_FAILED(sq_createinstance(vm, -1)))
        return sq_throwerror(vm, "the object is not a class instance");
    sq_remove(vm, -2);
    *area = ScriptInstanceArea(vm, -1);
    return SQ_OK;
}

SQUserPointer ScriptInstanceArea(HSQUIRRELVM vm, SQInteger index)
{
    SQUserPointer area = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &area, nullptr)))
        return nullptr;
    return area;
}

SQInteger ReturnZero(SQUserPointer, SQInteger)
{
    return 0;
}

size_t ScriptViewOwnerRecordCount()
{
    return g_viewOwners.size();
}

void ScriptReleaseViewOwners()
{
    // The VM frees only what nothing outside it holds: let go of the owners
    // first. The views left over are never read again.
    std::vector<ViewOwner> owners;
    owners.swap(g_viewOwners);
    for (ViewOwner& held : owners)
        sq_release(held.vm, &held.owner);
}
