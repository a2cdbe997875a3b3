#pragma once
// The platform user ids of the peers this side talks to. Holders keep the id
// itself, not a pointer into the table, so removing a peer never leaves a
// holder pointing at a moved or freed entry.

#include <cstdint>
#include <vector>

class PeerTable
{
public:
    bool Contains(uint64_t id) const;
    // Appends the id when it is missing; returns it for the caller to hold.
    uint64_t FindOrAdd(uint64_t id);
    // Swaps the last entry into the hole.
    void Remove(uint64_t id);
    void Clear() { m_ids.clear(); }
    int Count() const { return static_cast<int>(m_ids.size()); }

private:
    std::vector<uint64_t> m_ids;
};

PeerTable& GetPeerTable();
