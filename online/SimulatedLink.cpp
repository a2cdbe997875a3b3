#include "online/SimulatedLink.h"

#include "core/Clock.h"
#include "online/storefront/StorefrontWire.h"

#include <algorithm>
#include <cstring>

namespace
{
// The link buffers one channel tick's worth of bytes; beyond that it drops.
constexpr double kBucketMicroseconds = 50000.0;
} // namespace

SimulatedLink::SimulatedLink(uint64_t localUser, const LinkConditions& conditions, uint32_t seed)
    : m_localUser(localUser), m_sender(localUser), m_conditions(conditions), m_random(seed)
{
}

bool SimulatedLink::Chance(float percent)
{
    m_random = m_random * 1664525u + 1013904223u;
    return static_cast<float>(m_random >> 8) * (100.0f / 16777216.0f) < percent;
}

bool SimulatedLink::OverCapacity(int length)
{
    if (m_conditions.capacityBytesPerSecond == 0)
        return false;
    // A token bucket per direction: bytes accrue at the capacity, up to one
    // channel tick's worth, and each datagram spends its length.
    const uint64_t now = ClockNow();
    const double depth = static_cast<double>(m_conditions.capacityBytesPerSecond) * kBucketMicroseconds / 1e6;
    Window* window = nullptr;
    for (Window& candidate : m_windows)
        if (candidate.sender == m_sender)
            window = &candidate;
    if (!window)
    {
        m_windows.push_back({m_sender, now, depth});
        window = &m_windows.back();
    }
    const double accrued =
        static_cast<double>(now - window->last) * m_conditions.capacityBytesPerSecond / 1e6;
    window->tokens = std::min(depth, window->tokens + accrued);
    window->last = now;
    if (window->tokens < length)
        return true;
    window->tokens -= length;
    return false;
}

void SimulatedLink::Queue(uint64_t receiver, const void* bytes, int length, uint64_t due)
{
    InFlight datagram{due, m_sender, receiver, {}};
    datagram.bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + length);
    // Kept in due order; equal times keep their sending order.
    auto at = std::upper_bound(m_inFlight.begin(), m_inFlight.end(), due,
                               [](uint64_t time, const InFlight& other) { return time < other.due; });
    m_inFlight.insert(at, std::move(datagram));
}

bool SimulatedLink::Corrupt(const void* bytes, int length, std::vector<uint8_t>& arrived)
{
    ++m_corrupted;
    std::vector<uint8_t> wire(kStorefrontWireHeaderBytes + static_cast<size_t>(length));
    StorefrontWireFrame(m_sender, 0, bytes, static_cast<size_t>(length), wire.data());
    m_random = m_random * 1664525u + 1013904223u;
    wire[(m_random >> 8) % wire.size()] ^= static_cast<uint8_t>(1 + (m_random >> 24) % 255);
    uint64_t sender = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
    if (!StorefrontWireOpen(wire.data(), wire.size(), sender, payload, size))
        return false;
    arrived.assign(payload, payload + size);
    return true;
}

bool SimulatedLink::Send(uint64_t peer, const void* bytes, int length)
{
    if (m_sendFails || length < 0)
        return false;
    ++m_sent;
    const bool blocked = std::find(m_blocked.begin(), m_blocked.end(), m_sender) != m_blocked.end();
    const bool tooLong = m_conditions.maxDatagramBytes > 0 && length > m_conditions.maxDatagramBytes;
    if (blocked || tooLong || Chance(m_conditions.lossPercent) || OverCapacity(length))
    {
        ++m_dropped;
        return true;
    }
    std::vector<uint8_t> corrupted;
    if (m_conditions.corruptPercent > 0.0f && Chance(m_conditions.corruptPercent))
    {
        if (!Corrupt(bytes, length, corrupted))
        {
            ++m_dropped;
            return true;
        }
        bytes = corrupted.data();
        length = static_cast<int>(corrupted.size());
    }
    uint64_t due = ClockNow() + m_conditions.delayMicroseconds;
    if (Chance(m_conditions.reorderPercent))
        due += m_conditions.reorderSpreadMicroseconds * ((m_random >> 4) % 1000) / 1000;
    Queue(peer, bytes, length, due);
    if (Chance(m_conditions.duplicatePercent))
        Queue(peer, bytes, length, due + 1);
    return true;
}

bool SimulatedLink::Take(uint64_t user, void* bytes, int capacity, int& length, uint64_t& sender)
{
    const uint64_t now = ClockNow();
    for (auto it = m_inFlight.begin(); it != m_inFlight.end() && it->due <= now; ++it)
    {
        if (it->receiver != user)
            continue;
        length = static_cast<int>(it->bytes.size());
        sender = it->sender;
        memcpy(bytes, it->bytes.data(), std::min<size_t>(it->bytes.size(), static_cast<size_t>(capacity)));
        m_inFlight.erase(it);
        return true;
    }
    return false;
}

bool SimulatedLink::Read(void* bytes, int capacity, int& length, uint64_t& sender)
{
    return Take(m_localUser, bytes, capacity, length, sender);
}

void SimulatedLink::SetBlocked(uint64_t sender, bool blocked)
{
    m_blocked.erase(std::remove(m_blocked.begin(), m_blocked.end(), sender), m_blocked.end());
    if (blocked)
        m_blocked.push_back(sender);
}
