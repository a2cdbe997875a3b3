#pragma once
// Native types as script classes. An instance either holds its native object
// (owned) or lays a view over one the engine keeps (borrowed). Data members
// are reached through a class's `_get`/`_set` and a table of ScriptVarDesc
// rows; integer constants go into the VM's const table under their bare names.
//
// Every native: stack index 1 is `this`, arguments begin at 2; it returns 1
// when it pushed a result, 0 for none, negative for a script error.
#include <squirrel.h>

#include <cstdint>
#include <cstring>
#include <new>

enum ScriptVarType : uint32_t
{
    kScriptVarConstant = 1,   // the row's value
    kScriptVarConstantAt = 2, // the 32-bit integer at the row's address (with kScriptVarByte: one byte)
    kScriptVarPointer = 4,    // a pointer to an object of the nested class
    kScriptVarEmbedded = 8,   // an object of the nested class inside this one
    kScriptVarFloat = 16,
    kScriptVarInt = 32,
    kScriptVarByte = 64,
    kScriptVarText = 128, // a terminated text buffer of textSize bytes
    kScriptVarTypeMask = 0x00FFFFFF,
    kScriptVarAbsolute = 0x40000000, // location is the member's own address
};

// One member of a bound class; a table of them ends with a row whose name is
// null. Locations are pointer-sized so that absolute addresses fit.
struct ScriptVarDesc
{
    const char* name;
    const char* nestedClass; // types 4 and 8
    uint32_t textSize;       // type 128
    uint32_t flags;
    intptr_t location; // offset, address or constant value
};

constexpr ScriptVarDesc ScriptVarMember(const char* name, ScriptVarType type, size_t offset)
{
    return {name, nullptr, 0, type, static_cast<intptr_t>(offset)};
}
constexpr ScriptVarDesc ScriptVarNested(const char* name, ScriptVarType type, const char* nestedClass,
                                        size_t offset)
{
    return {name, nestedClass, 0, type, static_cast<intptr_t>(offset)};
}
constexpr ScriptVarDesc ScriptVarText(const char* name, uint32_t size, size_t offset)
{
    return {name, nullptr, size, kScriptVarText, static_cast<intptr_t>(offset)};
}
constexpr ScriptVarDesc ScriptVarConstantValue(const char* name, int32_t value)
{
    return {name, nullptr, 0, kScriptVarConstant, value};
}
inline ScriptVarDesc ScriptVarConstantOf(const char* name, const int32_t* address)
{
    return {name, nullptr, 0, kScriptVarConstantAt, reinterpret_cast<intptr_t>(address)};
}
inline ScriptVarDesc ScriptVarConstantOf(const char* name, const uint8_t* address)
{
    return {name, nullptr, 0, kScriptVarConstantAt | kScriptVarByte, reinterpret_cast<intptr_t>(address)};
}
inline ScriptVarDesc ScriptVarGlobal(const char* name, ScriptVarType type, const void* address)
{
    return {name, nullptr, 0, type | kScriptVarAbsolute, reinterpret_cast<intptr_t>(address)};
}
constexpr ScriptVarDesc ScriptVarEnd()
{
    return {nullptr, nullptr, 0, 0, 0};
}

// A registered class by name, so that registrations chain.
struct ScriptClassHandle
{
    HSQUIRRELVM vm = nullptr;
    const char* name = nullptr;

    ScriptClassHandle& AddMethod(const char* method, SQFUNCTION function, const char* mask = nullptr,
                                 SQInteger parameterCount = SQ_MATCHTYPEMASKSTRING);
    ScriptClassHandle& AddStaticMethod(const char* method, SQFUNCTION function, const char* mask = nullptr,
                                       SQInteger parameterCount = SQ_MATCHTYPEMASKSTRING);
    // A method that runs a native member function without arguments on the
    // instance's object; the script gets no result.
    template <class T> ScriptClassHandle& BindMemberFunction(const char* method, void (T::*function)());
};

ScriptClassHandle& ScriptBindClass(ScriptClassHandle& handle, HSQUIRRELVM vm, const char* name,
                                   SQInteger nativeSize, const ScriptVarDesc* members,
                                   SQFUNCTION constructor);
// Finds the class in the root table by name; false when there is none.
bool ScriptBindMethod(HSQUIRRELVM vm, const char* className, const char* method, SQFUNCTION function,
                      bool isStatic, const char* mask, SQInteger parameterCount);
void ScriptBindGlobalFunction(HSQUIRRELVM vm, const char* name, SQFUNCTION function,
                              const char* mask = nullptr, SQInteger parameterCount = SQ_MATCHTYPEMASKSTRING);

struct Vec3;
struct Vec2;
struct Mat4;
struct rgba8888;

// The script class of an engine value type. Natives take these as arguments
// and often write results into them. The value classes hold nothing but
// floats or bytes, so one may stand for another of at most its size (a Mat4
// where a Vec3 is read); an instance of any other class, even a larger one,
// is refused: its object would be read as numbers or overwritten.
template <class T> struct ScriptClassOf
{
    static constexpr const char* name = nullptr;
};
template <> struct ScriptClassOf<Vec3>
{
    static constexpr const char* name = "Vec3";
};
template <> struct ScriptClassOf<Vec2>
{
    static constexpr const char* name = "Vec2";
};
template <> struct ScriptClassOf<Mat4>
{
    static constexpr const char* name = "Mat4";
};
template <> struct ScriptClassOf<rgba8888>
{
    static constexpr const char* name = "rgba8888";
};

// As GetInstancePtr, for an instance of the root-table class of that name or
// of a class derived from it; any other value is refused with a script error
// naming the class, however large its native object.
SQRESULT GetInstancePtrOfClass(HSQUIRRELVM vm, SQInteger index, const char* className, SQUserPointer* object);
// As GetInstancePtr with the size, for an instance of one of the value
// classes; any other value is refused with a script error naming the class.
SQRESULT GetValueInstancePtr(HSQUIRRELVM vm, SQInteger index, const char* className, SQUserPointer* object,
                             SQInteger nativeSize);

// The native object behind the instance at the index, without a class check.
// A null object is refused with a script error; with a native size, so is an
// instance whose class holds less than that (layout-compatible classes of at
// least that size pass). Typed for an engine value type, only value classes pass.
SQRESULT GetInstancePtr(HSQUIRRELVM vm, SQInteger index, SQUserPointer* object, SQInteger nativeSize = 0);
template <class T> SQRESULT GetInstancePtr(HSQUIRRELVM vm, SQInteger index, T** object)
{
    SQUserPointer pointer = nullptr;
    const SQInteger size = static_cast<SQInteger>(sizeof(T));
    const SQRESULT result = ScriptClassOf<T>::name
                                ? GetValueInstancePtr(vm, index, ScriptClassOf<T>::name, &pointer, size)
                                : GetInstancePtr(vm, index, &pointer, size);
    *object = static_cast<T*>(pointer);
    return result;
}
template <class T> SQRESULT GetInstancePtrOfClass(HSQUIRRELVM vm, SQInteger index, const char* className, T** object)
{
    SQUserPointer pointer = nullptr;
    const SQRESULT result = GetInstancePtrOfClass(vm, index, className, &pointer);
    *object = static_cast<T*>(pointer);
    return result;
}
// True when the value at the index is an instance of that class or derives from it.
bool ScriptIsInstanceOf(HSQUIRRELVM vm, SQInteger index, const char* className);

// Pushes a borrowed instance of the class over the object; -1 when the class
// name is null or names no class.
SQInteger ScriptPushBoundInstance(HSQUIRRELVM vm, const char* className, void* object);
// Pushes a new instance of the root-table class with its native area and
// without running its constructor; the caller writes the value into the area.
SQInteger CreateScriptInstance(HSQUIRRELVM vm, const char* className, SQUserPointer* area);
SQInteger PushNewInstance(HSQUIRRELVM vm, const char* className, SQUserPointer* area);
// Replaces the class on the stack top by a new instance of it (no constructor).
SQInteger InstantiateTopClass(HSQUIRRELVM vm, SQUserPointer* area);

// The native area of the instance at the index; null when its class holds no
// native object.
SQUserPointer ScriptInstanceArea(HSQUIRRELVM vm, SQInteger index);
// Release hooks of owned objects: they end the object, never free the VM's memory.
SQInteger ReturnZero(SQUserPointer area, SQInteger size);
template <class T> SQInteger DestroyInPlaceHook(SQUserPointer area, SQInteger)
{
    static_cast<T*>(area)->~T();
    return 0;
}

// Before the VM closes: views let go of their owners, so that the VM frees
// them (it frees only what nothing outside it holds).
void ScriptReleaseViewOwners();
// Owners held for live views: one per member address, however many views.
size_t ScriptViewOwnerRecordCount();

template <class T> SQInteger DispatchMemberFunction(HSQUIRRELVM vm)
{
    SQUserPointer object = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &object)))
        return SQ_ERROR;
    SQUserPointer stored = nullptr;
    if (SQ_FAILED(sq_getuserdata(vm, 2, &stored, nullptr)))
        return SQ_ERROR;
    void (T::*function)();
    memcpy(&function, stored, sizeof(function));
    (static_cast<T*>(object)->*function)();
    return 0;
}

template <class T>
ScriptClassHandle& ScriptClassHandle::BindMemberFunction(const char* method, void (T::*function)())
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    if (SQ_SUCCEEDED(sq_get(vm, -2)))
    {
        sq_pushstring(vm, method, -1);
        void* stored = sq_newuserdata(vm, sizeof(function));
        memcpy(stored, &function, sizeof(function));
        sq_newclosure(vm, DispatchMemberFunction<T>, 1);
        sq_setparamscheck(vm, 1, "x");
        sq_setnativeclosurename(vm, -1, method);
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }
    sq_pop(vm, 1);
    return *this;
}

// Returns a value to the script as a new instance of the class that carries
// it (PushNewInstance with the value written in): 1, or a script error.
template <class T> SQInteger ScriptPushNewValue(HSQUIRRELVM vm, const char* className, const T& value)
{
    SQUserPointer area = nullptr;
    if (SQ_FAILED(PushNewInstance(vm, className, &area)))
        return SQ_ERROR;
    if (!area)
    {
        sq_pop(vm, 1);
        return sq_throwerror(vm, "the instance holds no native object");
    }
    memcpy(area, &value, sizeof(T));
    return 1;
}
