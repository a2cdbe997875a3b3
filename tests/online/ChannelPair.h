#pragma once
// Two connections joined by a simulated link, stepped one 50 ms tick at a
// time on the manual clock: side A (user 1) and side B (user 2).

#include "online/Connection.h"
#include "online/PeerLink.h"
#include "online/Receiver.h"
#include "online/SimulatedLink.h"
#include "support/ManualClock.h"

#include <cstdint>
#include <vector>

class RecordingReceiver : public Receiver
{
public:
    void OnReceive(const uint8_t* bytes, int length) override
    {
        payloads.emplace_back(bytes, bytes + length);
    }
    void OnConnectionLost(int reason) override { lost.push_back(reason); }

    std::vector<std::vector<uint8_t>> payloads;
    std::vector<int> lost;
};

class ChannelPair
{
public:
    static constexpr uint64_t kUserA = 1;
    static constexpr uint64_t kUserB = 2;
    static constexpr uint64_t kTickMicroseconds = 50000;

    explicit ChannelPair(const LinkConditions& conditions = LinkConditions(), uint32_t seed = 1)
        : link(kUserA, conditions, seed), a(1, 0x1111, kUserB, &receiverA), b(1, 0x2222, kUserA, &receiverB)
    {
        SetPeerLink(&link);
    }
    ~ChannelPair() { SetPeerLink(nullptr); }
    ChannelPair(const ChannelPair&) = delete;
    ChannelPair& operator=(const ChannelPair&) = delete;

    // Delivers what is due, then runs both ticks.
    void Step()
    {
        clock.Advance(kTickMicroseconds);
        Deliver();
        link.SetSender(kUserA);
        a.Channel().Tick();
        link.SetSender(kUserB);
        b.Channel().Tick();
    }

    void Deliver()
    {
        uint8_t buffer[512];
        int length = 0;
        uint64_t sender = 0;
        while (link.Take(kUserA, buffer, sizeof buffer, length, sender))
            a.Receive(buffer, length);
        while (link.Take(kUserB, buffer, sizeof buffer, length, sender))
            b.Receive(buffer, length);
    }

    ManualClock clock;
    SimulatedLink link;
    RecordingReceiver receiverA;
    RecordingReceiver receiverB;
    Connection a;
    Connection b;
};
