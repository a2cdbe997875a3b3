#include "core/KeywordTable.h"

#include "core/Hash.h"

void KeywordTable::Build(const char* const* keywords, int count)
{
    m_pairs.clear();
    for (int i = 0; i < count; ++i)
        Add(keywords[i], i);
}

void KeywordTable::Add(const char* keyword, int32_t identifier)
{
    AddHash(HashString(keyword), identifier);
}

void KeywordTable::AddHash(uint32_t hash, int32_t identifier)
{
    m_pairs.push_back({hash, identifier});
}

int32_t KeywordTable::Find(uint32_t hash) const
{
    for (const KeywordPair& pair : m_pairs)
        if (pair.hash == hash)
            return pair.identifier;
    return -1;
}

int32_t KeywordFind(const KeywordTable& table, uint32_t hash)
{
    return table.Find(hash);
}
