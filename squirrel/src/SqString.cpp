// Interned strings: every string exists once, so equal strings compare by pointer and carry their hash.
#include "SqState.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
uint64_t Load64(const char* p)
{
    uint64_t w;
    memcpy(&w, p, 8);
    return w;
}

uint32_t Load32(const char* p)
{
    uint32_t w;
    memcpy(&w, p, 4);
    return w;
}

// One multiply per eight bytes: the hash is on the path of every concatenation and conversion.
uint64_t MixWord(uint64_t h, uint64_t w)
{
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

// Strings shorter than a word: both ends and the middle, with the length mixed in by the caller.
uint64_t ShortWord(const char* s, SQInteger len)
{
    if (len >= 4)
        return Load32(s) | uint64_t(Load32(s + len - 4)) << 32;
    if (len == 0)
        return 0;
    return uint64_t((unsigned char)s[0]) | uint64_t((unsigned char)s[len / 2]) << 8 |
           uint64_t((unsigned char)s[len - 1]) << 16;
}
} // namespace

// Strings up to 128 bytes hash every byte, a word at a time (the last word overlaps the one before). Longer
// ones hash 16 words spread over their length, so building long strings stays linear in their length.
SQHash HashString(const char* s, SQInteger len)
{
    const SQInteger fullLimit = 128;
    const SQInteger samples = 16;
    uint64_t h = 0x243F6A8885A308D3ull ^ uint64_t(len);
    if (len < 8)
        h = MixWord(h, ShortWord(s, len));
    else if (len <= fullLimit)
    {
        for (SQInteger i = 0; i + 8 < len; i += 8)
            h = MixWord(h, Load64(s + i));
        h = MixWord(h, Load64(s + len - 8));
    }
    else
    {
        const SQInteger stride = (len - 8) / (samples - 1);
        for (SQInteger i = 0; i < samples - 1; i++)
            h = MixWord(h, Load64(s + i * stride));
        h = MixWord(h, Load64(s + len - 8));
    }
    h *= 0xBF58476D1CE4E5B9ull;
    return SQHash(h ^ (h >> 32));
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
    SQHash h = HashString(s, len);
    if (SQString* found = ss->FindString(s, len, h))
        return found;
    SQString* str = AllocateString(ss, len);
    str->hash = h;
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
    if (SQString* found = ss->FindString(str->data, len, str->hash))
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
