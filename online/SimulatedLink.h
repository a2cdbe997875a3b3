#pragma once
// A datagram link inside one process, for tests, benchmarks and trying the
// channel under bad conditions: it loses, duplicates, delays and reorders
// datagrams by its own seeded generator, can cap its capacity, and delivers
// by the engine clock, so a stepped clock steps the link too.

#include "online/PeerLink.h"

#include <cstdint>
#include <deque>
#include <vector>

struct LinkConditions
{
    float lossPercent = 0.0f;
    float duplicatePercent = 0.0f;
    // A reordered datagram waits up to reorderSpreadMicroseconds more.
    float reorderPercent = 0.0f;
    uint64_t reorderSpreadMicroseconds = 100000;
    uint64_t delayMicroseconds = 0;
    // Bytes a second each direction carries; beyond it datagrams are dropped. 0: no cap.
    uint64_t capacityBytesPerSecond = 0;
    // A corrupted datagram has one byte of its storefront framing or of its
    // contents changed in flight; the storefront's check is what stands
    // between it and the channel.
    float corruptPercent = 0.0f;
    // Longer datagrams are lost, shorter ones carried. 0: no limit.
    int maxDatagramBytes = 0;
};

class SimulatedLink : public PeerLink
{
public:
    SimulatedLink(uint64_t localUser, const LinkConditions& conditions, uint32_t seed);

    bool Send(uint64_t peer, const void* bytes, int length) override;
    bool Read(void* bytes, int capacity, int& length, uint64_t& sender) override;
    uint64_t LocalUser() const override { return m_localUser; }

    // The datagram for that user that is due, if any.
    bool Take(uint64_t user, void* bytes, int capacity, int& length, uint64_t& sender);
    // Whose datagrams go out: the link drops everything a blocked sender sends.
    void SetBlocked(uint64_t sender, bool blocked);
    void SetSendFails(bool fails) { m_sendFails = fails; }
    // Applies to what is sent from now on.
    void SetConditions(const LinkConditions& conditions) { m_conditions = conditions; }
    // The sender seen by the next Send: tests that drive two sides set it.
    void SetSender(uint64_t sender) { m_sender = sender; }

    uint64_t Sent() const { return m_sent; }
    uint64_t Dropped() const { return m_dropped; }
    uint64_t Corrupted() const { return m_corrupted; }

private:
    struct InFlight
    {
        uint64_t due;
        uint64_t sender;
        uint64_t receiver;
        std::vector<uint8_t> bytes;
    };

    bool Chance(float percent);
    bool OverCapacity(int length);
    // False when the storefront's check drops the damaged datagram.
    bool Corrupt(const void* bytes, int length, std::vector<uint8_t>& arrived);
    void Queue(uint64_t receiver, const void* bytes, int length, uint64_t due);

    uint64_t m_localUser;
    uint64_t m_sender;
    LinkConditions m_conditions;
    uint32_t m_random;
    std::deque<InFlight> m_inFlight;
    std::vector<uint64_t> m_blocked;
    bool m_sendFails = false;
    // Each sender has its own direction of the link, with its own capacity.
    struct Window
    {
        uint64_t sender;
        uint64_t last;
        double tokens;
    };
    std::vector<Window> m_windows;
    uint64_t m_sent = 0;
    uint64_t m_dropped = 0;
    uint64_t m_corrupted = 0;
};
