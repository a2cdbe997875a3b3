// The shared state: interned strings and the cycle collector.
#include "SqState.h"

#include "SqVM.h"

#include <cstdlib>
#include <new>

const char* MetaMethodName(int mm);

// Long strings hash a sample of at most 64 characters, so building long strings stays linear in their length.
SQHash HashString(const char* s, SQInteger len) {
    uint32_t h = 2166136261u ^ uint32_t(len);
    SQInteger step = (len >> 6) + 1;
    for (SQInteger i = 0; i < len; i += step) h = (h ^ (unsigned char)s[i]) * 16777619u;
    return h;
}

SQSharedState::SQSharedState() {
    stringSlots = 256;
    strings = static_cast<SQString**>(calloc(stringSlots, sizeof(SQString*)));
    registry = SQTable::Create(this);
    constTable = SQTable::Create(this);
    for (int m = 0; m < MT_LAST; m++) metaNames[m] = MakeString(this, MetaMethodName(m));
    constructorName = MakeString(this, "constructor");
}

SQSharedState::~SQSharedState() {
    registry.Null();
    constTable.Null();
    for (Value& m : metaNames) m.Null();
    constructorName.Null();
    for (SQUnsignedInteger i = 0; i < stringSlots; i++) {
        while (strings[i]) {  // strings still held by the host
            SQString* s = strings[i];
            strings[i] = s->next;
            s->~SQString();
            free(s);
        }
    }
    free(strings);
}

SQString* SQSharedState::FindString(const char* s, SQInteger len, SQHash h) const {
    for (SQString* str = strings[h & (stringSlots - 1)]; str; str = str->next)
        if (str->hash == h && str->len == len && memcmp(str->data, s, size_t(len)) == 0) return str;
    return nullptr;
}

void SQSharedState::AddString(SQString* s) {
    if (stringCount >= stringSlots) {
        SQUnsignedInteger newSlots = stringSlots * 2;
        SQString** table = static_cast<SQString**>(calloc(newSlots, sizeof(SQString*)));
        for (SQUnsignedInteger i = 0; i < stringSlots; i++) {
            for (SQString* str = strings[i]; str;) {
                SQString* next = str->next;
                SQString*& head = table[str->hash & (newSlots - 1)];
                str->next = head;
                head = str;
                str = next;
            }
        }
        free(strings);
        strings = table;
        stringSlots = newSlots;
    }
    SQString*& head = strings[s->hash & (stringSlots - 1)];
    s->next = head;
    head = s;
    stringCount++;
}

void SQSharedState::RemoveString(SQString* s) {
    SQString** link = &strings[s->hash & (stringSlots - 1)];
    while (*link && *link != s) link = &(*link)->next;
    if (*link) {
        *link = s->next;
        stringCount--;
    }
}

SQString* SQString::Create(SQSharedState* ss, const char* s, SQInteger len) {
    if (len < 0) len = SQInteger(strlen(s));
    SQHash h = HashString(s, len);
    if (SQString* found = ss->FindString(s, len, h)) return found;
    void* mem = malloc(sizeof(SQString) + size_t(len));
    SQString* str = new (mem) SQString();
    str->ss = ss;
    str->hash = h;
    str->len = len;
    memcpy(str->data, s, size_t(len));
    str->data[len] = 0;
    ss->AddString(str);
    return str;
}

void SQString::Destroy() {
    ss->RemoveString(this);
    this->~SQString();
    free(this);
}

void SQSharedState::Link(SQCollectable* o) {
    o->gcnext = gcHead;
    o->gcprev = nullptr;
    if (gcHead) gcHead->gcprev = o;
    gcHead = o;
}

void SQSharedState::Unlink(SQCollectable* o) {
    if (o->gcprev) o->gcprev->gcnext = o->gcnext;
    else if (gcHead == o) gcHead = o->gcnext;
    if (o->gcnext) o->gcnext->gcprev = o->gcprev;
    o->gcprev = o->gcnext = nullptr;
}

namespace {
bool IsCollectable(SQObjectType t) {
    switch (t) {
        case OT_TABLE:
        case OT_ARRAY:
        case OT_USERDATA:
        case OT_CLOSURE:
        case OT_NATIVECLOSURE:
        case OT_GENERATOR:
        case OT_THREAD:
        case OT_CLASS:
        case OT_INSTANCE:
        case OT_OUTER: return true;
        default: return false;
    }
}
SQCollectable* AsCollectable(const SQObject& o) { return static_cast<SQCollectable*>(o._unVal.pRefCounted); }

void DropInternalRef(const SQObject& o, void*) {
    if (IsCollectable(o._type)) AsCollectable(o)->gcrefs--;
}
void MarkChild(const SQObject& o, void* ctx) {
    if (!IsCollectable(o._type)) return;
    SQCollectable* c = AsCollectable(o);
    if (c->gcmark) return;
    c->gcmark = true;
    static_cast<std::vector<SQCollectable*>*>(ctx)->push_back(c);
}
void FreeObjects(const std::vector<SQCollectable*>& objects) {
    for (SQCollectable* o : objects) o->refs++;
    for (SQCollectable* o : objects) o->Finalize();
    for (SQCollectable* o : objects)
        if (--o->refs == 0) o->Destroy();
}
}  // namespace

// Trial deletion: an object whose count exceeds the references other heap objects hold on it is referenced from
// outside the heap (a stack, the host); everything reachable from such objects lives, the rest is cyclic garbage.
SQInteger SQSharedState::Collect() {
    for (SQCollectable* o = gcHead; o; o = o->gcnext) {
        o->gcrefs = o->refs;
        o->gcmark = false;
    }
    for (SQCollectable* o = gcHead; o; o = o->gcnext) o->Traverse(DropInternalRef, nullptr);
    std::vector<SQCollectable*> pending;
    for (SQCollectable* o = gcHead; o; o = o->gcnext) {
        if (o->gcrefs > 0 && !o->gcmark) {
            o->gcmark = true;
            pending.push_back(o);
        }
    }
    while (!pending.empty()) {
        SQCollectable* o = pending.back();
        pending.pop_back();
        o->Traverse(MarkChild, &pending);
    }
    std::vector<SQCollectable*> garbage;
    for (SQCollectable* o = gcHead; o; o = o->gcnext)
        if (!o->gcmark) garbage.push_back(o);
    FreeObjects(garbage);
    return SQInteger(garbage.size());
}

void SQSharedState::FreeAll() {
    closing = true;
    if (mainVM) mainVM->Finalize();
    registry.Null();
    constTable.Null();
    Value* delegates[] = {&tableDelegate, &arrayDelegate, &stringDelegate, &numberDelegate, &closureDelegate,
                          &generatorDelegate, &threadDelegate, &classDelegate, &instanceDelegate, &weakrefDelegate};
    for (Value* d : delegates) d->Null();
    Collect();
    std::vector<SQCollectable*> rest;
    for (SQCollectable* o = gcHead; o; o = o->gcnext) rest.push_back(o);
    FreeObjects(rest);
}

const Value* SQSharedState::DefaultDelegate(SQObjectType t) const {
    switch (t) {
        case OT_TABLE: return &tableDelegate;
        case OT_ARRAY: return &arrayDelegate;
        case OT_STRING: return &stringDelegate;
        case OT_INTEGER:
        case OT_FLOAT:
        case OT_BOOL: return &numberDelegate;
        case OT_CLOSURE:
        case OT_NATIVECLOSURE: return &closureDelegate;
        case OT_GENERATOR: return &generatorDelegate;
        case OT_THREAD: return &threadDelegate;
        case OT_CLASS: return &classDelegate;
        case OT_INSTANCE: return &instanceDelegate;
        case OT_WEAKREF: return &weakrefDelegate;
        default: return nullptr;
    }
}
