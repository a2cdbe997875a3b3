// What all threads of one virtual machine share: interned strings, the collector's object list, the registry,
// the constant table, metamethod names and the default delegates of each type.
#pragma once

#include "SqObject.h"

#include <string>
#include <unordered_map>

struct SQVM;

struct SQSharedState
{
    SQSharedState();
    ~SQSharedState();

    // Interned strings: open hash of chains keyed by each string's intern key.
    SQString** strings = nullptr;
    SQUnsignedInteger stringSlots = 0;
    SQUnsignedInteger stringCount = 0;
    SQString* FindString(const char* s, SQInteger len, SQHash h, SQHash internKey) const;
    void AddString(SQString* s);
    void RemoveString(SQString* s);

    SQBlockCache blocks; // declared before anything that can hold objects, so it outlives them
    SQCollectable* gcHead = nullptr;
    SQInteger destroyDepth = 0;
    SQInteger nestedCalls = 0; // interpreter loops and native calls on the C stack, across threads
    std::vector<SQCollectable*> pendingDestroy;
    void Link(SQCollectable* o);
    void Unlink(SQCollectable* o);
    // Frees unreachable cycles and returns how many objects were freed; with unreachable they are handed out.
    // With cycles, also counts the groups of freed objects that reach one another.
    SQInteger Collect(std::vector<Value>* unreachable = nullptr, SQInteger* cycles = nullptr);
    void FreeAll(); // at close: breaks every remaining cycle

    Value registry;
    Value constTable;
    Value metaNames[18];
    Value constructorName;
    Value tableDelegate, arrayDelegate, stringDelegate, numberDelegate, closureDelegate, generatorDelegate,
        threadDelegate, classDelegate, instanceDelegate, weakrefDelegate;

    SQPRINTFUNCTION printFunc = nullptr;
    SQPRINTFUNCTION errorFunc = nullptr;
    SQCOMPILERERROR compilerErrorHandler = nullptr;
    bool debugInfo = false;
    bool notifyAllExceptions = false;
    bool printArrays = false; // print dumps arrays element by element
    std::string scratch;
    // References the host holds through sq_addref: each object is held once, with the host's count.
    struct HostRef
    {
        SQUnsignedInteger count;
        SQUnsignedInteger serial; // when it was first added: closing releases them in that order
    };
    std::unordered_map<SQRefCounted*, HostRef> hostRefs;
    SQUnsignedInteger hostRefSerial = 0;
    void ReleaseHostRefs();
    SQVM* mainVM = nullptr;
    bool closing = false;

    void InitDelegates();
    const Value* DefaultDelegate(SQObjectType t) const;
};

SQHash HashString(const char* s, SQInteger len);
