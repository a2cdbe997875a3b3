// What all threads of one virtual machine share: interned strings, the collector's object list, the registry,
// the constant table, metamethod names and the default delegates of each type.
#pragma once

#include "SqObject.h"

#include <string>

struct SQVM;

struct SQSharedState
{
    SQSharedState();
    ~SQSharedState();

    // Interned strings: open hash of chains keyed by the string hash.
    SQString** strings = nullptr;
    SQUnsignedInteger stringSlots = 0;
    SQUnsignedInteger stringCount = 0;
    SQString* FindString(const char* s, SQInteger len, SQHash h) const;
    void AddString(SQString* s);
    void RemoveString(SQString* s);

    SQCollectable* gcHead = nullptr;
    SQInteger destroyDepth = 0;
    SQInteger nestedCalls = 0; // interpreter loops and native calls on the C stack, across threads
    std::vector<SQCollectable*> pendingDestroy;
    void Link(SQCollectable* o);
    void Unlink(SQCollectable* o);
    // Frees unreachable cycles and returns how many objects were freed; with unreachable they are handed out.
    SQInteger Collect(std::vector<Value>* unreachable = nullptr);
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
    SQVM* mainVM = nullptr;
    bool closing = false;

    void InitDelegates();
    const Value* DefaultDelegate(SQObjectType t) const;
};

SQHash HashString(const char* s, SQInteger len);
