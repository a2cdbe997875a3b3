// Interned strings: every string exists once, so equal strings compare by pointer and carry their hash.
#include "SqState.h"

#include <cstdlib>
#include <cstring>
#include <new>

// Squirrel 3.0's string hash, so tables keyed by strings lay out (and walk) as its tables do. It is
// cheap for long strings: the length picks a step, and the hash takes as many leading characters as the
// length holds steps (at most 63, for 63-byte strings). Characters count as Squirrel 3.0's signed char
// widened to 16 bits, so bytes from 0x80 up add 0xFF00.
namespace
{
inline SQHash HashStep(SQHash h, char c)
{
    return h ^ ((h << 5) + (h >> 2) + SQHash(uint16_t(int16_t(static_cast<signed char>(c)))));
}
} // namespace

SQHash HashString(const char* s, SQInteger len)
{
    SQHash h = SQHash(len);
    const SQInteger step = (len >> 5) | 1;
    const SQInteger n = len / step; // the characters taken: one per whole step the length holds
    SQInteger i = 0;
    for (; i + 4 <= n; i += 4)
        h = HashStep(HashStep(HashStep(HashStep(h, s[i]), s[i + 1]), s[i + 2]), s[i + 3]);
    for (; i < n; i++)
        h = HashStep(h, s[i]);
    return h;
}

namespace
{
// The intern table's key also reads a long string's middle and end: the table hash above reads only its
// start, and long strings that share a start (paths, formatted lines) would otherwise pile into one chain.
// Each string keeps its key, so adding and removing it do not read it again.
SQHash InternKey(SQHash h, const char* s, SQInteger len)
{
    uint64_t mixed = h;
    if (len >= 64)
    {
        const SQInteger samples = 8;
        const SQInteger stride = (len - 8) / (samples - 1);
        for (SQInteger i = 0; i < samples; i++)
        {
            uint64_t w;
            memcpy(&w, s + i * stride, 8);
            mixed = (mixed ^ w) * 0x9E3779B97F4A7C15ull;
            mixed ^= mixed >> 29;
        }
    }
    return SQHash(mixed);
}

SQUnsignedInteger InternSlot(SQHash key, SQUnsignedInteger slots)
{
    return key & (slots - 1);
}
} // namespace

SQString* SQSharedState::FindString(const char* s, SQInteger len, SQHash h, SQHash key) const
{
    for (SQString* str = strings[InternSlot(key, stringSlots)]; str; str = str->next)
        if (str->internKey == key && str->hash == h && str->len == len &&
            memcmp(str->data, s, size_t(len)) == 0)
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
                SQString*& head = table[InternSlot(str->internKey, newSlots)];
                str->next = head;
                head = str;
                str = next;
            }
        }
        free(strings);
        strings = table;
        stringSlots = newSlots;
    }
    SQString*& head = strings[InternSlot(s->internKey, stringSlots)];
    s->next = head;
    head = s;
    stringCount++;
}

void SQSharedState::RemoveString(SQString* s)
{
    SQString** link = &strings[InternSlot(s->internKey, stringSlots)];
    while (*link && *link != s)
        link = &(*link)->next;
    if (*link)
    {
        *link = s->next;
        stringCount--;
    }
}

namespace
{
SQString* AllocateString(SQSharedState* ss, SQInteger len)
{
    void* mem = sq_vm_malloc(sizeof(SQString) + size_t(len));
    SQString* str = new (mem) SQString();
    str->ss = ss;
    str->len = len;
    str->data[len] = 0;
    return str;
}

void FreeString(SQString* str)
{
    const size_t size = sizeof(SQString) + size_t(str->len);
    str->~SQString();
    sq_vm_free(str, size);
}
} // namespace

SQString* SQString::Create(SQSharedState* ss, const char* s, SQInteger len)
{
    if (len < 0)
        len = SQInteger(strlen(s));
    const SQHash h = HashString(s, len);
    const SQHash key = InternKey(h, s, len);
    if (SQString* found = ss->FindString(s, len, h, key))
        return found;
    SQString* str = AllocateString(ss, len);
    str->hash = h;
    str->internKey = key;
    memcpy(str->data, s, size_t(len));
    ss->AddString(str);
    return str;
}

// The joined bytes go straight into a new string; when an equal string exists already the new one is dropped.
SQString* SQString::Concat(SQSharedState* ss, const char* a, SQInteger aLen, const char* b, SQInteger bLen)
{
    const SQInteger len = aLen + bLen;
    SQString* str = AllocateString(ss, len);
    memcpy(str->data, a, size_t(aLen));
    memcpy(str->data + aLen, b, size_t(bLen));
    str->hash = HashString(str->data, len);
    str->internKey = InternKey(str->hash, str->data, len);
    if (SQString* found = ss->FindString(str->data, len, str->hash, str->internKey))
    {
        FreeString(str);
        return found;
    }
    ss->AddString(str);
    return str;
}

void SQString::Destroy()
{
    ss->RemoveString(this);
    FreeString(this);
}
