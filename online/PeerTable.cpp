#include "online/PeerTable.h"

#include <cstddef>

bool PeerTable::Contains(uint64_t id) const
{
    for (const uint64_t entry : m_ids)
        if (entry == id)
            return true;
    return false;
}

uint64_t PeerTable::FindOrAdd(uint64_t id)
{
    if (!Contains(id))
        m_ids.push_back(id);
    return id;
}

void PeerTable::Remove(uint64_t id)
{
    for (size_t i = 0; i < m_ids.size(); ++i)
    {
        if (m_ids[i] != id)
            continue;
        m_ids[i] = m_ids.back();
        m_ids.pop_back();
        return;
    }
}

PeerTable& GetPeerTable()
{
    static PeerTable table;
    return table;
}
