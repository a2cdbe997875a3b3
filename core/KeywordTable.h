#pragma once
// Keywords recognised by hash: readers hash the word they read with
// HashString and look the hash up, so no keyword text is compared.

#include <cstdint>
#include <vector>

struct KeywordPair
{
    uint32_t hash;
    int32_t identifier;
};

class KeywordTable
{
public:
    // Each word of the list gets its index as identifier.
    void Build(const char* const* keywords, int count);
    void Add(const char* keyword, int32_t identifier);
    void AddHash(uint32_t hash, int32_t identifier);
    void Clear() { m_pairs.clear(); }
    int Count() const { return static_cast<int>(m_pairs.size()); }

    // The identifier of the first pair with the hash, -1 when none has it.
    int32_t Find(uint32_t hash) const;

private:
    std::vector<KeywordPair> m_pairs;
};

int32_t KeywordFind(const KeywordTable& table, uint32_t hash);
