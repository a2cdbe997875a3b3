// Interned strings: every string exists once, so equal strings compare by pointer and carry their hash.
#include "SqState.h"

#include <cstdlib>
#include <new>

// Long strings hash a sample of at most 64 characters, so building long strings stays linear in their length.
SQHash HashString(const char* s, SQInteger len)
{
    uint32_t h = 2166136261u ^ uint32_t(len);
    SQInteger step = (len >> 6) + 1;
    for (SQInteger i = 0; i < len; i += step)
        h = (h ^ (unsigned char)s[i]) * 16777619u;
    return h;
}

SQString* SQSharedState::FindString(const char* s, SQInteger len, SQHash h) const
{
    for (SQString* str = strings[h & (stringSlots - 1)]; str; str = str->next)
        if (str->hash == h && str->len == len && memcmp(str->data, s, size_t(len)) == 0)
            return str;
    return nullptr;
}

void SQSharedState::AddString(SQString* s)
{
    if (stringCount >= stringSlots)
    {
        SQUnsignedInteger newSlots = stringSlots * 2;
        SQString** table = static_cast<SQString**>(calloc(newSlots, sizeof(SQString*)));
        for (SQUnsignedInteger i = 0; i < stringSlots; i++)
        {
            for (SQString* str = strings[i]; str;)
            {
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

void SQSharedState::RemoveString(SQString* s)
{
    SQString** link = &strings[s->hash & (stringSlots - 1)];
    while (*link && *link != s)
        link = &(*link)->next;
    if (*link)
    {
        *link = s->next;
        stringCount--;
    }
}

SQString* SQString::Create(SQSharedState* ss, const char* s, SQInteger len)
{
    if (len < 0)
        len = SQInteger(strlen(s));
    SQHash h = HashString(s, len);
    if (SQString* found = ss->FindString(s, len, h))
        return found;
    void* mem = sq_vm_malloc(sizeof(SQString) + size_t(len));
    SQString* str = new (mem) SQString();
    str->ss = ss;
    str->hash = h;
    str->len = len;
    memcpy(str->data, s, size_t(len));
    str->data[len] = 0;
    ss->AddString(str);
    return str;
}

void SQString::Destroy()
{
    ss->RemoveString(this);
    const size_t size = sizeof(SQString) + size_t(len);
    this->~SQString();
    sq_vm_free(this, size);
}
