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

// The script class a native type is bound as, for natives and method rows
// that fetch it without naming it. A folder declares the classes it binds
// beside their registration.
template <class T> struct ScriptClassOf
{
    static constexpr const char* name = nullptr;
};
#define PENDREL_SCRIPT_CLASS(Type, Name)                                                                       \
    template <> struct ScriptClassOf<Type>                                                                     \
    {                                                                                                          \
        static constexpr const char* name = Name;                                                              \
    }

// The engine value types. Natives take these as arguments and often write
// results into them. The value classes hold nothing but floats or bytes, so
// one may stand for another of at most its size (a Mat4 where a Vec3 is
// read); an instance of any other class, even a larger one, is refused: its
// object would be read as numbers or overwritten.
template <class T> inline constexpr bool kScriptValueClass = false;
PENDREL_SCRIPT_CLASS(Vec3, "Vec3");
PENDREL_SCRIPT_CLASS(Vec2, "Vec2");
PENDREL_SCRIPT_CLASS(Mat4, "Mat4");
PENDREL_SCRIPT_CLASS(rgba8888, "rgba8888");
template <> inline constexpr bool kScriptValueClass<Vec3> = true;
template <> inline constexpr bool kScriptValueClass<Vec2> = true;
template <> inline constexpr bool kScriptValueClass<Mat4> = true;
template <> inline constexpr bool kScriptValueClass<rgba8888> = true;

// The one way a native reaches the object behind `this` or an argument, as
// luaL_checkudata does: the instance's class, or one of its bases, must be
// the one bound under that name (its type tag, which scripts cannot forge or
// rebind as they can a root-table name). Otherwise null after a script
// error: "the object is not a class instance" for a value that is none,
// "the object is not an instance of <class>" for an instance of any other
// class, "the instance holds no native object" when it holds none.
void* ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index, const char* className);
template <class T> T* ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    return static_cast<T*>(ScriptCheckInstance(vm, index, className));
}
// For an engine value type: an instance of any value class whose object
// holds at least a T passes, so a Mat4 stands where a Vec3 is read.
void* ScriptCheckValue(HSQUIRRELVM vm, SQInteger index, const char* className, SQInteger nativeSize);
// For a type declared with PENDREL_SCRIPT_CLASS: its own class, or a value class.
template <class T> T* ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index)
{
    static_assert(ScriptClassOf<T>::name != nullptr, "declare the type's script class with PENDREL_SCRIPT_CLASS");
    if constexpr (kScriptValueClass<T>)
        return static_cast<T*>(ScriptCheckValue(vm, index, ScriptClassOf<T>::name, SQInteger(sizeof(T))));
    else
        return ScriptCheckInstance<T>(vm, index, ScriptClassOf<T>::name);
}
// The same into a pointer, for natives that fetch several in one condition.
template <class T> bool ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index, T*& object)
{
    object = ScriptCheckInstance<T>(vm, index);
    return object != nullptr;
}
template <class T> bool ScriptCheckInstance(HSQUIRRELVM vm, SQInteger index, const char* className, T*& object)
{
    object = ScriptCheckInstance<T>(vm, index, className);
    return object != nullptr;
}
template <class T> T* ScriptCheckThis(HSQUIRRELVM vm, const char* className)
{
    return ScriptCheckInstance<T>(vm, 1, className);
}
template <class T> T* ScriptCheckThis(HSQUIRRELVM vm)
{
    return ScriptCheckInstance<T>(vm, 1);
}
// True when the value at the index is an instance of the class bound under
// that name or of one derived from it.
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

// Free variables: the stored member-function pointer, then the class name.
template <class T> SQInteger DispatchMemberFunction(HSQUIRRELVM vm)
{
    const SQChar* className = nullptr;
    SQUserPointer stored = nullptr;
    if (SQ_FAILED(sq_getstring(vm, 3, &className)) || SQ_FAILED(sq_getuserdata(vm, 2, &stored, nullptr)))
        return SQ_ERROR;
    T* object = ScriptCheckThis<T>(vm, className);
    if (!object)
        return SQ_ERROR;
    void (T::*function)();
    memcpy(&function, stored, sizeof(function));
    (object->*function)();
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
        // Free variables come in the reverse order of their pushing.
        sq_pushstring(vm, name, -1);
        void* stored = sq_newuserdata(vm, sizeof(function));
        memcpy(stored, &function, sizeof(function));
        sq_newclosure(vm, DispatchMemberFunction<T>, 2);
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
