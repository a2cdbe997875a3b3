// Values and the heap objects they point to. Every heap object is reference counted and released the moment
// its last reference goes; objects that can hold references sit on the collector's list so unreachable cycles
// are found.
#pragma once

#include "SqAllocator.h"
#include "squirrel.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

struct SQSharedState;
struct SQWeakRef;

struct SQRefCounted : SQAllocated
{
    SQUnsignedInteger refs = 0;
    SQWeakRef* weakref = nullptr;
    virtual ~SQRefCounted();
    // Called when the count reaches zero.
    virtual void Destroy() { delete this; }
};

inline bool IsRefCounted(SQObjectType t)
{
    return (t & SQOBJECT_REF_COUNTED) != 0;
}

// Layout-compatible with HSQOBJECT so API handles and stack slots are interchangeable.
struct Value : SQObject
{
    Value()
    {
        _type = OT_NULL;
        _unVal.raw = 0;
    }
    Value(const SQObject& o)
    {
        _type = o._type;
        _unVal = o._unVal;
        AddRef();
    }
    Value(const Value& o) : SQObject()
    {
        _type = o._type;
        _unVal = o._unVal;
        AddRef();
    }
    Value(Value&& o) noexcept : SQObject()
    {
        _type = o._type;
        _unVal = o._unVal;
        o._type = OT_NULL;
        o._unVal.raw = 0;
    }
    explicit Value(SQInteger i)
    {
        _type = OT_INTEGER;
        _unVal.raw = 0;
        _unVal.nInteger = i;
    }
    explicit Value(SQFloat f)
    {
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
    }
    explicit Value(bool b)
    {
        _type = OT_BOOL;
        _unVal.raw = 0;
        _unVal.nInteger = b ? 1 : 0;
    }
    Value(SQObjectType t, SQRefCounted* p)
    {
        _type = t;
        _unVal.raw = 0;
        _unVal.pRefCounted = p;
        AddRef();
    }
    static Value UserPointer(SQUserPointer p)
    {
        Value v;
        v._type = OT_USERPOINTER;
        v._unVal.pUserPointer = p;
        return v;
    }
    ~Value() { Release(); }

    Value& operator=(const Value& o)
    {
        if (IsRefCounted(o._type))
            o._unVal.pRefCounted->refs++;
        SQObjectType t = _type;
        SQObjectValue old = _unVal;
        _type = o._type;
        _unVal = o._unVal;
        if (IsRefCounted(t) && --old.pRefCounted->refs == 0)
            old.pRefCounted->Destroy();
        return *this;
    }
    Value& operator=(Value&& o) noexcept
    {
        if (this == &o)
            return *this;
        SQObjectType t = _type;
        SQObjectValue old = _unVal;
        _type = o._type;
        _unVal = o._unVal;
        o._type = OT_NULL;
        o._unVal.raw = 0;
        if (IsRefCounted(t) && --old.pRefCounted->refs == 0)
            old.pRefCounted->Destroy();
        return *this;
    }
    void SetInteger(SQInteger i)
    {
        if (IsRefCounted(_type))
            Release();
        _type = OT_INTEGER;
        _unVal.raw = 0;
        _unVal.nInteger = i;
    }
    void SetFloat(SQFloat f)
    {
        if (IsRefCounted(_type))
            Release();
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
    }
    void SetBool(bool b)
    {
        if (IsRefCounted(_type))
            Release();
        _type = OT_BOOL;
        _unVal.raw = 0;
        _unVal.nInteger = b ? 1 : 0;
    }
    void Null()
    {
        SQObjectType t = _type;
        SQObjectValue old = _unVal;
        _type = OT_NULL;
        _unVal.raw = 0;
        if (IsRefCounted(t) && --old.pRefCounted->refs == 0)
            old.pRefCounted->Destroy();
    }
    void AddRef() const
    {
        if (IsRefCounted(_type))
            _unVal.pRefCounted->refs++;
    }
    void Release()
    {
        if (IsRefCounted(_type) && --_unVal.pRefCounted->refs == 0)
        {
            SQRefCounted* p = _unVal.pRefCounted;
            _type = OT_NULL;
            _unVal.raw = 0;
            p->Destroy();
        }
    }
    SQObjectType Type() const { return _type; }
    bool IsNull() const { return _type == OT_NULL; }
    bool IsNumeric() const { return (_type & SQOBJECT_NUMERIC) != 0; }
    SQInteger Int() const { return _unVal.nInteger; }
    SQFloat Float() const { return _unVal.fFloat; }
    SQFloat AsFloat() const { return _type == OT_INTEGER ? SQFloat(_unVal.nInteger) : _unVal.fFloat; }
    SQInteger AsInt() const { return _type == OT_INTEGER ? _unVal.nInteger : SQInteger(_unVal.fFloat); }
    SQString* Str() const { return _unVal.pString; }
    SQTable* Table() const { return _unVal.pTable; }
    SQArray* Array() const { return _unVal.pArray; }
    SQClosure* Closure() const { return _unVal.pClosure; }
    SQNativeClosure* Native() const { return _unVal.pNativeClosure; }
    SQClass* Class() const { return _unVal.pClass; }
    SQInstance* Instance() const { return _unVal.pInstance; }
    SQGenerator* Generator() const { return _unVal.pGenerator; }
    SQUserData* UserData() const { return _unVal.pUserData; }
    SQVM* Thread() const { return _unVal.pThread; }
    SQWeakRef* WeakRef() const { return _unVal.pWeakRef; }
    SQOuter* Outer() const { return _unVal.pOuter; }
    SQFunctionProto* Proto() const { return _unVal.pFunctionProto; }
    SQRefCounted* Ref() const { return _unVal.pRefCounted; }
};

// A character as scripts see it: 3.0 ran where char is signed, so bytes past 127 read as negative numbers.
inline SQInteger CharacterCode(char c)
{
    return SQInteger(static_cast<signed char>(c));
}

// Swaps n values between two places: each keeps its single owner, so no reference count changes.
inline void ExchangeValues(Value* a, Value* b, SQInteger n)
{
    for (SQInteger i = 0; i < n; i++)
        std::swap(static_cast<SQObject&>(a[i]), static_cast<SQObject&>(b[i]));
}

inline bool RawEqual(const SQObject& a, const SQObject& b)
{
    return a._type == b._type && a._unVal.raw == b._unVal.raw;
}
bool IsFalse(const SQObject& o);
const char* TypeName(SQObjectType t);
// The referenced object for a weak reference, the value itself otherwise.
Value DerefWeak(const Value& v);

struct SQString : SQRefCounted
{
    SQSharedState* ss;
    SQString* next; // intern chain
    SQHash hash;
    SQInteger len;
    SQHash internKey; // where the intern table files it; fills what would be padding before data's end
    char data[1];
    void Destroy() override;
    static SQString* Create(SQSharedState* ss, const char* s, SQInteger len = -1);
    // The interned string of a followed by b; both lengths are at least 0 and their sum fits SQInteger.
    static SQString* Concat(SQSharedState* ss, const char* a, SQInteger aLen, const char* b, SQInteger bLen);
};
inline Value MakeString(SQSharedState* ss, const char* s, SQInteger len = -1)
{
    return Value(OT_STRING, SQString::Create(ss, s, len));
}

// Anything that may hold references to other objects: the cycle collector visits these.
struct SQCollectable : SQRefCounted
{
    SQSharedState* ss;
    SQCollectable* gcprev = nullptr;
    SQCollectable* gcnext = nullptr;
    SQUnsignedInteger gcrefs = 0;
    bool gcmark = false;
    explicit SQCollectable(SQSharedState* s);
    ~SQCollectable() override;
    // Releasing one object can release a long chain of others; past a depth they are queued, not recursed
    // into.
    void Destroy() override;
    // Ends the object and frees its block, as its kind was allocated.
    virtual void Dispose() { delete this; }
    // Calls fn on every reference this object holds.
    virtual void Traverse(void (*fn)(const SQObject&, void*), void* ctx) = 0;
    // Drops every reference this object holds (used to break garbage cycles).
    virtual void Finalize() = 0;
    virtual SQObjectType ObjectType() const = 0;
};

// Visits a reference held as a raw pointer (delegates, classes), if there is one.
inline void VisitRaw(SQObjectType type, SQRefCounted* p, void (*fn)(const SQObject&, void*), void* ctx)
{
    if (!p)
        return;
    SQObject o;
    o._type = type;
    o._unVal.raw = 0;
    o._unVal.pRefCounted = p;
    fn(o, ctx);
}

struct SQWeakRef : SQRefCounted
{
    SQObject obj; // not counted; set to null when the target goes
    ~SQWeakRef() override;
};
Value MakeWeakRef(const Value& target);

struct SQTable : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_TABLE; }
    // A key lives at its main position (hash & mask) or in a node chained from there; a colliding key takes
    // the highest free node. Walking the nodes by index gives the same order as Squirrel 3.0.
    struct Node
    {
        Value key;
        Value val;
        Node* next = nullptr;
    };
    static constexpr SQUnsignedInteger MIN_NODES = 4;
    Node* nodes = nullptr;
    SQUnsignedInteger capacity = 0; // node count, a power of two; 0 until the first key arrives
    SQUnsignedInteger count = 0;
    SQTable* delegate = nullptr;

    SQTable(SQSharedState* s, SQInteger sizeHint = 0);
    ~SQTable() override;
    static Value Create(SQSharedState* s, SQInteger sizeHint = 0);
    bool Get(const SQObject& key, Value& out) const;
    Value* Find(const SQObject& key) const;
    bool Set(const SQObject& key, const Value& val); // only if present
    void NewSlot(const SQObject& key, const Value& val);
    bool Remove(const SQObject& key);
    // Iteration over node positions: returns the next position holding a key at or after pos, or -1.
    SQInteger Next(SQInteger pos, Value& key, Value& val) const;
    void Clear();
    Value Clone() const;
    // A table of the same size holding the same slots, inserted in walk order; no delegate.
    SQTable* CopySlots() const;
    void SetDelegate(SQTable* d);
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;

private:
    SQUnsignedInteger planned = MIN_NODES; // node count allocated by the first insert
    Node* firstFree = nullptr;              // no node above it is free; colliding keys take it
    SQUnsignedInteger NodeCount() const { return capacity ? capacity : planned; }
    void AllocNodes(SQUnsignedInteger n);
    void FreeNodes();
    void Rehash(bool force);
    bool Place(const SQObject& key, const Value& val);
    Node* Lookup(const SQObject& key, SQHash h) const;
};
// Keys hash as Squirrel 3.0 hashes them (32-bit): strings by their string hash, integers and bools by
// value, floats by their value truncated to an integer, everything else by its address.
inline SQHash HashValue(const SQObject& key)
{
    switch (key._type)
    {
    case OT_STRING:
        return key._unVal.pString->hash;
    case OT_INTEGER:
    case OT_BOOL:
        return SQHash(key._unVal.nInteger);
    case OT_FLOAT:
    {
        float f = key._unVal.fFloat;
        // out of range and NaN truncate to the integer indefinite value, as the x86 conversion gives
        if (!(f >= -2147483648.0f && f < 2147483648.0f))
            return 0x80000000u;
        return SQHash(int32_t(f));
    }
    default:
        return SQHash(key._unVal.raw >> 3);
    }
}

inline SQTable::Node* SQTable::Lookup(const SQObject& key, SQHash h) const
{
    // null is never a key: free and deleted nodes have a null key
    if (!capacity || key._type == OT_NULL)
        return nullptr;
    for (Node* n = &nodes[h & (capacity - 1)]; n; n = n->next)
        if (n->key._type == key._type && n->key._unVal.raw == key._unVal.raw)
            return n;
    return nullptr;
}

inline Value* SQTable::Find(const SQObject& key) const
{
    Node* n = Lookup(key, HashValue(key));
    return n ? &n->val : nullptr;
}

struct SQArray : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_ARRAY; }
    std::vector<Value> values;
    explicit SQArray(SQSharedState* s) : SQCollectable(s) {}
    static Value Create(SQSharedState* s, SQInteger size = 0);
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override { values.clear(); }
};

struct SQInstruction
{
    uint8_t op;
    uint8_t x;
    uint16_t a;
    union
    {
        struct
        {
            uint16_t b;
            uint16_t c;
        };
        int32_t sbx;
    };
};

struct SQOuterInfo
{
    bool fromStack; // a local of the enclosing function, else one of its outers
    SQInteger index;
    Value name;
};
struct SQLocalInfo
{
    Value name;
    SQInteger reg;
    SQInteger startPc;
    SQInteger endPc;
};
struct SQLineInfo
{
    SQInteger pc;
    SQInteger line;
};

struct SQFunctionProto : SQRefCounted
{
    std::vector<SQInstruction> code;
    std::vector<Value> literals;
    std::vector<Value> functions; // nested prototypes
    std::vector<SQOuterInfo> outers;
    std::vector<SQLocalInfo> locals;
    std::vector<SQLineInfo> lines;
    Value name;
    Value sourceName;
    SQInteger nparams = 1; // including 'this'
    SQInteger ndefaults = 0;
    SQInteger maxStack = 2;
    bool varParams = false;
    bool generator = false;
    bool simpleCall = true; // fixed parameters, not a generator: calls take the fast path
    SQInteger LineAt(SQInteger pc) const;
};

struct SQOuter final : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_OUTER; }
    SQVM* vm = nullptr; // while open: the thread whose stack holds the value
    SQInteger index = 0;
    SQOuter* nextOpen = nullptr;
    Value closed;
    // Outers come and go with every closure that captures a local: their blocks are recycled.
    static SQOuter* Create(SQSharedState* s);
    void Dispose() override;
    ~SQOuter() override;
    Value& Get();
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override { closed.Null(); }

private:
    explicit SQOuter(SQSharedState* s) : SQCollectable(s) {}
};

// A run of values whose length is fixed when its owner is made; the owner holds the storage.
struct SQValueRow
{
    Value* items = nullptr;
    size_t count = 0;
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    Value& operator[](size_t i) const { return items[i]; }
    Value* begin() const { return items; }
    Value* end() const { return items + count; }
};

struct SQClosure final : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_CLOSURE; }
    Value proto;
    // One per outer and per default parameter of the prototype, null until set. Both rows live in the
    // closure's own block, so making a closure costs one allocation.
    SQValueRow outers;
    SQValueRow defaults;
    Value env;  // weak reference bound by bindenv, or null
    Value base; // class the method belongs to, for 'base'
    // The block, from the shared state's cache, holds the closure followed by its values.
    static SQClosure* Create(SQSharedState* s, const Value& proto);
    ~SQClosure() override;
    SQFunctionProto* Proto() const { return proto.Proto(); }
    Value Clone() const;
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
    void Dispose() override;

private:
    size_t tailCount = 0; // values in the block, which Finalize does not change
    SQClosure(SQSharedState* s, const Value& proto, size_t nouters, size_t ndefaults);
    size_t BlockSize() const;
};

struct SQNativeClosure : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_NATIVECLOSURE; }
    SQFUNCTION func = nullptr;
    std::vector<Value> outers;
    std::vector<SQInteger> typecheck;
    SQInteger nparamscheck = 0;
    Value name;
    Value env;
    explicit SQNativeClosure(SQSharedState* s) : SQCollectable(s) {}
    Value Clone() const;
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};

struct SQCallInfo;
struct SQExceptionTrap
{
    SQInteger stackBase; // absolute
    SQInteger target;    // register (relative) receiving the error
    const SQInstruction* catchPc;
    SQInteger callDepth;
};

struct SQGenerator : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_GENERATOR; }
    enum State
    {
        Running,
        Suspended,
        Dead
    } state = Suspended;
    Value closure;
    std::vector<Value> stack;
    std::vector<SQExceptionTrap> traps;
    const SQInstruction* pc = nullptr;
    SQInteger target = 0;
    explicit SQGenerator(SQSharedState* s) : SQCollectable(s) {}
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};

enum SQMetaMethod
{
    MT_ADD,
    MT_SUB,
    MT_MUL,
    MT_DIV,
    MT_UNM,
    MT_MODULO,
    MT_SET,
    MT_GET,
    MT_TYPEOF,
    MT_NEXTI,
    MT_CMP,
    MT_CALL,
    MT_CLONED,
    MT_NEWSLOT,
    MT_DELSLOT,
    MT_TOSTRING,
    MT_NEWMEMBER,
    MT_INHERITED,
    MT_LAST
};

struct SQClassMember
{
    Value val;
    Value attrs;
};

// Member index encoding in a class's member table.
constexpr SQInteger MEMBER_FIELD_FLAG = 0x02000000;
constexpr SQInteger MEMBER_METHOD_FLAG = 0x01000000;
constexpr SQInteger MEMBER_INDEX_MASK = 0x00FFFFFF;

struct SQClass : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_CLASS; }
    SQClass* base = nullptr;
    SQTable* members;
    std::vector<SQClassMember> fields;  // per-instance defaults
    std::vector<SQClassMember> methods; // shared: methods and static members
    Value metamethods[MT_LAST];
    Value attributes;
    Value constructor;
    SQUserPointer typetag = nullptr;
    SQInteger udsize = 0;
    SQRELEASEHOOK hook = nullptr;
    bool locked = false;
    SQClass(SQSharedState* s, SQClass* baseClass);
    ~SQClass() override;
    bool Get(const SQObject& key, Value& out) const;
    bool NewSlot(SQSharedState* ss, const Value& key, const Value& val, bool isStatic);
    bool SetAttributes(const SQObject& key, const Value& attrs);
    bool GetAttributes(const SQObject& key, Value& out) const;
    // An instance fixes its class's fields and those of every class it derives from.
    void Lock();
    Value CreateInstance();
    // An instance without a native area: no constructor runs.
    Value CreateBareInstance();
    // Metamethods are kept beside the members; iterating a class lists the members only.
    bool IsMetaMethodKey(const SQSharedState* s, const SQObject& key) const;
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};

struct SQInstance : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_INSTANCE; }
    SQClass* klass;
    std::vector<Value> values;
    SQUserPointer up = nullptr;
    SQRELEASEHOOK hook = nullptr;
    SQInteger udsize = 0;
    void* area = nullptr; // the native object's room, owned
    bool bare = false;
    SQInstance(SQSharedState* s, SQClass* c);
    ~SQInstance() override;
    void AllocateArea(SQInteger size);
    bool Get(const SQObject& key, Value& out) const;
    bool Set(const SQObject& key, const Value& val);
    bool InstanceOf(const SQClass* c) const;
    Value Clone() const;
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};

struct SQUserData : SQCollectable
{
    SQObjectType ObjectType() const override { return OT_USERDATA; }
    SQTable* delegate = nullptr;
    SQUserPointer typetag = nullptr;
    SQRELEASEHOOK hook = nullptr;
    SQInteger size = 0;
    std::vector<unsigned char> data;
    explicit SQUserData(SQSharedState* s) : SQCollectable(s) {}
    ~SQUserData() override;
    void Traverse(void (*fn)(const SQObject&, void*), void* ctx) override;
    void Finalize() override;
};
