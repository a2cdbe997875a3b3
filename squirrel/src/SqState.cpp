// The shared state: registry, constants, metamethod names, default delegates.
#include "SqState.h"

#include "SqVM.h"

#include <cstdlib>

const char* MetaMethodName(int mm);

SQSharedState::SQSharedState()
{
    stringSlots = 256;
    strings = static_cast<SQString**>(calloc(stringSlots, sizeof(SQString*)));
    registry = SQTable::Create(this);
    constTable = SQTable::Create(this);
    for (int m = 0; m < MT_LAST; m++)
        metaNames[m] = MakeString(this, MetaMethodName(m));
    constructorName = MakeString(this, "constructor");
}

SQSharedState::~SQSharedState()
{
    registry.Null();
    constTable.Null();
    for (Value& m : metaNames)
        m.Null();
    constructorName.Null();
    for (SQUnsignedInteger i = 0; i < stringSlots; i++)
    {
        while (strings[i])
        { // strings still held by the host
            SQString* s = strings[i];
            strings[i] = s->next;
            s->~SQString();
            free(s);
        }
    }
    free(strings);
}

const Value* SQSharedState::DefaultDelegate(SQObjectType t) const
{
    switch (t)
    {
    case OT_TABLE:
        return &tableDelegate;
    case OT_ARRAY:
        return &arrayDelegate;
    case OT_STRING:
        return &stringDelegate;
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL:
        return &numberDelegate;
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
        return &closureDelegate;
    case OT_GENERATOR:
        return &generatorDelegate;
    case OT_THREAD:
        return &threadDelegate;
    case OT_CLASS:
        return &classDelegate;
    case OT_INSTANCE:
        return &instanceDelegate;
    case OT_WEAKREF:
        return &weakrefDelegate;
    default:
        return nullptr;
    }
}
