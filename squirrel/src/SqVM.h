// A thread of execution: its value stack, call frames and exception traps, and the operations scripts perform
// on values (get, set, arithmetic, comparison, calls), which honour delegates and metamethods.
#pragma once

#include "SqObject.h"
#include "SqState.h"

#include <memory>
#include <string>

struct SQCallInfo
{
    SQCallInfo() {} // callers set every field; pushing a frame does not zero it first
    const SQInstruction* pc;
    SQClosure* closure;      // null for a native function
    SQNativeClosure* native; // the native function of a native frame, else null
    const Value* literals;
    SQInteger base;   // absolute index of register 0 ('this')
    SQInteger target; // absolute slot receiving the result, or -1
    SQInteger prevTop;
    SQInteger prevStackBase;
    SQGenerator* generator;
    bool root; // Execute returns when this frame returns
};

// The interpreter loop is one large function where the compiler stops inlining on its own.
#if defined(__GNUC__)
#define SQ_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define SQ_ALWAYS_INLINE inline
#endif

// The call frames of a thread. A push sits on the interpreter's hot path, so only growing is out of line; a
// push may move the frames, so pointers to them are taken again after one.
class SQCallStack
{
public:
    size_t size() const { return size_t(last - frames.get()); }
    bool empty() const { return last == frames.get(); }
    SQCallInfo& back() { return last[-1]; }
    const SQCallInfo& back() const { return last[-1]; }
    SQCallInfo& operator[](size_t i) { return frames[i]; }
    const SQCallInfo& operator[](size_t i) const { return frames[i]; }
    const SQCallInfo* begin() const { return frames.get(); }
    const SQCallInfo* end() const { return last; }
    SQ_ALWAYS_INLINE SQCallInfo& emplace_back()
    {
        if (last == limit)
            Reserve(size() ? size() * 2 : 16);
        return *last++;
    }
    void push_back(const SQCallInfo& ci)
    {
        const SQCallInfo copy = ci; // ci may be one of the frames a growth moves
        emplace_back() = copy;
    }
    void pop_back() { --last; }
    void clear() { last = frames.get(); }
    void Reserve(size_t n);

private:
    std::unique_ptr<SQCallInfo[]> frames;
    SQCallInfo* last = nullptr;  // one past the top frame
    SQCallInfo* limit = nullptr; // one past the room reserved
};

// Two integers order as -1, 0 or 1.
inline SQInteger IntegerOrder(SQInteger a, SQInteger b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

// Two floats are the same only when their bits are (so 0.0 and -0.0 differ, and a NaN equals itself);
// otherwise the first is after the second unless it is less, which puts a NaN after everything.
inline SQInteger FloatOrder(const Value& a, const Value& b)
{
    return a.Float() < b.Float() ? -1 : a._unVal.raw == b._unVal.raw ? 0 : 1;
}

constexpr SQInteger MIN_STACK_OVERHEAD = 20;
constexpr SQInteger MAX_NESTED_CALLS = 200;
constexpr SQInteger MAIN_STACK_SIZE = 1 << 16;
constexpr SQInteger THREAD_STACK_SIZE = 1 << 13;

struct SQVM : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_THREAD; }
    SQVM(SQSharedState* ss, SQInteger stackSize);
    ~SQVM() override;

    // The stack never moves, so references into it stay valid across calls.
    Value* stack;
    SQInteger stackSize;
    SQInteger top = 0;
    SQInteger stackBase = 0;
    SQCallStack calls;
    std::vector<SQExceptionTrap> traps;
    SQOuter* openOuters = nullptr;
    Value roottable;
    Value lastError;
    Value errorHandler;
    Value debugHook;
    SQDEBUGHOOK nativeDebugHook = nullptr; // called through a native closure held in debugHook
    SQUserPointer foreignPtr = nullptr;
    SQInteger state = SQ_VMSTATE_IDLE;
    SQInteger nativeDepth = 0;    // nested C calls; a thread cannot suspend across them
    SQInteger executeDepth = 0;   // nested interpreter loops (metamethods, callbacks)
    SQInteger suspendTarget = -1; // slot receiving the wake-up value
    bool suspended = false;
    bool throwOnResume = false; // sq_wakeupvm asked to resume by raising lastError
    bool raiseErrors = true;    // the next interpreter loop hands its uncaught errors to the error handler

    // Hands an error to the error handler while the frames that raised it still exist.
    void NotifyError();
    // Whether a try of the innermost interpreter loop will catch the error now raised.
    bool TrappedInThisLoop() const;
    bool inDebugHook = false;
    void CallDebugHook(SQInteger event, SQInteger line);

    // API stack helpers (indexes relative to stackBase, negative from top).
    // The stack has a fixed size; a push past its end is dropped and reported rather than written out of
    // bounds.
    void Push(const Value& v)
    {
        if (top < stackSize)
            stack[top++] = v;
        else
            Raise("stack overflow");
    }
    void Pop(SQInteger n = 1)
    {
        while (n-- > 0)
            stack[--top].Null();
    }
    Value& At(SQInteger idx) { return idx >= 0 ? stack[stackBase + idx - 1] : stack[top + idx]; }
    SQInteger AbsIndex(SQInteger idx) const { return idx >= 0 ? stackBase + idx - 1 : top + idx; }

    // Errors: set lastError and return false.
    bool Raise(const char* fmt, ...);
    bool RaiseValue(const Value& v);
    bool RaiseIndexError(const Value& key);

    // Calls fn with nargs arguments at stack[argBase...] (argBase holds 'this').
    bool Call(const Value& fn, SQInteger argBase, SQInteger nargs, Value& ret);
    // Calls fn with self and the given arguments, placed above the current top.
    bool CallWith(const Value& fn, const Value& self, const Value* args, SQInteger nargs, Value& ret);
    bool CallMetaMethod(const Value& obj, SQMetaMethod mm, const Value* args, SQInteger nargs, Value& ret,
                        bool& found);
    bool GetMetaMethod(const Value& obj, SQMetaMethod mm, Value& fn) const;

    bool Get(const Value& obj, const Value& key, Value& out, bool rootFallback);
    bool GetNoError(const Value& obj, const Value& key, Value& out, bool& failed);
    bool GetThroughDelegates(const Value& obj, const Value& key, Value& out, bool& failed);
    bool Contains(const Value& obj, const Value& key);
    // What a _get or _set did with a key: answered it, raised an error, or declined (absent or no error).
    enum class MetaResult
    {
        Answered,
        Failed,
        Declined
    };
    MetaResult CallGetter(const Value& obj, const Value& key, Value& out);
    bool AskGetter(const Value& obj, const Value& key, Value& out, bool& failed);
    MetaResult CallSetter(const Value& obj, const Value& key, const Value& val);
    bool Set(const Value& obj, const Value& key, const Value& val);
    bool NewSlot(const Value& obj, const Value& key, const Value& val, bool isStatic);
    bool NewMember(const Value& cls, const Value& key, const Value& val, const Value& attrs, bool isStatic);
    bool DeleteSlot(const Value& obj, const Value& key, Value& out);
    bool Arith(uint8_t op, const Value& a, const Value& b, Value& out);
    bool Compare(const Value& a, const Value& b, SQInteger& result)
    {
        // sorting and the comparison operators meet two integers far more often than anything else
        if (a._type == OT_INTEGER && b._type == OT_INTEGER)
        {
            result = IntegerOrder(a.Int(), b.Int());
            return true;
        }
        return CompareOther(a, b, result);
    }
    bool CompareOther(const Value& a, const Value& b, SQInteger& result);
    bool Equal(const Value& a, const Value& b) const;
    bool ToString(const Value& v, Value& out);
    // buf holds at least NUMBER_TEXT_SIZE bytes.
    bool TextOf(const Value& v, Value& holder, char* buf, const char*& text, SQInteger& len);
    bool Concat(const Value& a, const Value& b, Value& out);
    bool TypeOf(const Value& v, Value& out);
    bool Clone(const Value& v, Value& out);
    bool Negate(const Value& v, Value& out);
    // Runs a generator until it yields or returns, in a loop of its own (for the host API).
    bool ResumeGenerator(SQGenerator* gen, Value& out);
    // Pushes a suspended generator's frame above the top, ready to run on; what it yields or returns goes to
    // the absolute slot 'target'. The slot just below the frame holds the generator while it runs.
    bool EnterGenerator(SQGenerator* gen, SQInteger target, bool root);
    // A foreach step over the generator in regs[0] (iterator, index and value follow): sets 'over' when the
    // generator has ended, else enters its frame, which yields into valueSlot.
    bool EnterForeachGenerator(Value* regs, SQInteger valueSlot, bool& over);
    bool InvokeDefaultDelegate(const Value& obj, const Value& key, Value& out);
    // One step of a foreach: regs holds container, iterator, key and value.
    bool ForeachStep(Value* regs, bool& done);
    bool MakeClass(const Value* base, const Value* attrs, Value& out);

    // Runs script frames from the top frame until the root frame returns (or the thread suspends).
    bool Execute(Value& ret);
    bool CallNative(SQNativeClosure* nc, SQInteger argBase, SQInteger nargs, Value& ret);
    // Prepares a script frame; sets 'ret' (and returns true without a frame) when the call makes a generator.
    bool EnterFrame(SQClosure* c, SQInteger argBase, SQInteger nargs, SQInteger target, bool root,
                    bool& entered, Value& generator);
    void LeaveFrame();
    // Leaves a generator's frame that has just yielded: the exchange left its slots null, and its outers and
    // traps went with the generator, so only the frame itself remains (unless values sit above it).
    void LeaveSuspendedFrame(SQInteger frameSize);
    // The frame of a script function whose arguments are in place; the caller has checked the stack room.
    SQ_ALWAYS_INLINE void PushScriptFrame(SQClosure* c, SQFunctionProto* p, SQInteger argBase,
                                          SQInteger target, bool root)
    {
        calls.emplace_back();
        SQCallInfo& ci = calls.back();
        ci.pc = p->code.data();
        ci.closure = c;
        ci.native = nullptr;
        ci.literals = p->literals.data();
        ci.base = argBase;
        ci.target = target;
        ci.prevTop = top;
        ci.prevStackBase = stackBase;
        ci.generator = nullptr;
        ci.root = root;
        top = argBase + p->maxStack;
    }
    void CloseOuters(SQInteger fromSlot);
    SQOuter* FindOuter(SQInteger slot);
    bool CreateClassInstance(SQClass* c, SQInteger argBase, SQInteger nargs, Value& ret);
    // Puts a new instance in resultSlot and enters the class's script constructor as a frame of the
    // running loop, as a script call would be; the constructor's own result is dropped.
    bool EnterConstructorFrame(SQClass* c, SQInteger argBase, SQInteger nargs, SQInteger resultSlot);
    Value& Root() { return roottable; }
    std::string StackTrace();

    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};

std::string FloatToString(SQFloat f);
std::string ValueForMessage(const Value& v);
// The value at idx when it has the type asked for; otherwise null, with the API's wrong-argument error set.
const Value* Typed(SQVM* v, SQInteger idx, SQObjectType type);
