#pragma once
// A class's plain methods as rows of a table, as Lua's libraries declare
// theirs (one luaL_Reg table, luaL_checkudata fetching `self`): a row names
// the method, its argument mask and a member function; the native behind it
// fetches and checks `this`, reads the arguments by the member's parameter
// types, calls the member and pushes what it answers. Natives that do more
// stay hand-written and take a row of their own.
//
// Parameters: float, int, bool, const char*, an engine value (Vec3, Vec2,
// Mat4, rgba8888, by value or const reference) or a pointer to an object of
// a class declared with PENDREL_SCRIPT_CLASS. Results: none, bool, int,
// float, const char* (null pushes null) or an engine value (a new instance).
#include "script/ScriptArguments.h"
#include "script/ScriptBinding.h"

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

struct ScriptMethodRow
{
    const char* name;
    SQFUNCTION function;
    const char* mask;
    SQInteger parameterCount = SQ_MATCHTYPEMASKSTRING;
};

template <size_t N> void ScriptAddMethods(ScriptClassHandle& handle, const ScriptMethodRow (&rows)[N])
{
    for (const ScriptMethodRow& row : rows)
        handle.AddMethod(row.name, row.function, row.mask, row.parameterCount);
}

namespace ScriptMethodDetail
{
template <class M> struct Member;
template <class C, class R, class... A> struct Member<R (C::*)(A...)>
{
    using Class = C;
    using Result = R;
    using Arguments = std::tuple<std::decay_t<A>...>;
};
template <class C, class R, class... A> struct Member<R (C::*)(A...) const> : Member<R (C::*)(A...)>
{
};

// A number, flag or text read by its plain reader: a bad one is a script error.
inline bool Plain(HSQUIRRELVM vm, bool read)
{
    if (!read)
        ScriptBadArgument(vm);
    return read;
}

// The value read for a parameter of type P (decayed), and how it is passed on.
template <class P> struct Argument
{
    static constexpr bool kIsObject = std::is_class_v<P>;
    using Stored = std::conditional_t<
        std::is_same_v<P, bool>, bool,
        std::conditional_t<std::is_integral_v<P> || std::is_enum_v<P>, int,
                           std::conditional_t<std::is_floating_point_v<P>, float,
                                              std::conditional_t<kIsObject, const P*, P>>>>;
    Stored read{};

    bool Read(HSQUIRRELVM vm, SQInteger index)
    {
        if constexpr (std::is_same_v<P, bool>)
            return Plain(vm, ScriptArgBool(vm, index, read));
        else if constexpr (std::is_integral_v<P> || std::is_enum_v<P>)
            return Plain(vm, ScriptArgInt(vm, index, read));
        else if constexpr (std::is_floating_point_v<P>)
            return Plain(vm, ScriptArgFloat(vm, index, read));
        else if constexpr (std::is_same_v<P, const char*>)
            return Plain(vm, ScriptArgString(vm, index, read));
        else if constexpr (std::is_pointer_v<P>)
            return (read = ScriptCheckInstance<std::remove_cv_t<std::remove_pointer_t<P>>>(vm, index)) != nullptr;
        else
            return (read = ScriptCheckInstance<P>(vm, index)) != nullptr;
    }
    decltype(auto) Get() const
    {
        if constexpr (kIsObject)
            return *read;
        else
            return static_cast<P>(read);
    }
};

template <class R> SQInteger Push(HSQUIRRELVM vm, const R& value)
{
    using V = std::decay_t<R>;
    if constexpr (std::is_same_v<V, bool>)
        return ScriptReturnBool(vm, value);
    else if constexpr (std::is_integral_v<V>)
        return ScriptReturnInt(vm, static_cast<int>(value));
    else if constexpr (std::is_floating_point_v<V>)
        return ScriptReturnFloat(vm, static_cast<float>(value));
    else if constexpr (std::is_same_v<V, const char*> || std::is_same_v<V, char*>)
        return ScriptReturnString(vm, value);
    else
        return ScriptPushNewValue(vm, ScriptClassOf<V>::name, value);
}

template <class T, auto Function, bool PushResult, size_t... I>
SQInteger Call(HSQUIRRELVM vm, std::index_sequence<I...>)
{
    using Traits = Member<decltype(Function)>;
    T* object = ScriptCheckThis<T>(vm);
    if (!object)
        return SQ_ERROR;
    std::tuple<Argument<std::tuple_element_t<I, typename Traits::Arguments>>...> arguments;
    if (!(std::get<I>(arguments).Read(vm, SQInteger(2 + I)) && ...))
        return SQ_ERROR;
    if constexpr (std::is_void_v<typename Traits::Result> || !PushResult)
    {
        (object->*Function)(std::get<I>(arguments).Get()...);
        return 0;
    }
    else
        return Push(vm, (object->*Function)(std::get<I>(arguments).Get()...));
}
} // namespace ScriptMethodDetail

// The native of a plain method: `this` is a T (by default the member's own
// class; name a derived one when the member is a base's), the arguments
// follow the member's parameters, the script gets what the member answers.
template <auto Function, class T = typename ScriptMethodDetail::Member<decltype(Function)>::Class>
SQInteger ScriptMethod(HSQUIRRELVM vm)
{
    using Arguments = typename ScriptMethodDetail::Member<decltype(Function)>::Arguments;
    return ScriptMethodDetail::Call<T, Function, true>(vm, std::make_index_sequence<std::tuple_size_v<Arguments>>());
}
// The same, where the script gets nothing whatever the member answers.
template <auto Function, class T = typename ScriptMethodDetail::Member<decltype(Function)>::Class>
SQInteger ScriptCommand(HSQUIRRELVM vm)
{
    using Arguments = typename ScriptMethodDetail::Member<decltype(Function)>::Arguments;
    return ScriptMethodDetail::Call<T, Function, false>(vm, std::make_index_sequence<std::tuple_size_v<Arguments>>());
}
