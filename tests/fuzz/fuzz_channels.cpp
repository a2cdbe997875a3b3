// Two reliable channels over a link the input drives: each byte is one step
// (send, tick, deliver, drop, duplicate, reorder, damage, clock step). After
// the input the link turns honest, and the channels are stepped until all is
// delivered or a loss is reported. Every reliable payload must arrive once,
// in order and unchanged; with no loss reported, every one must arrive. An
// input of odd length ends over a dead link instead: a side that heard its
// peer and still waits on reliable packets must report the loss.
// Damaged datagrams pass the storefront's framing check or are dropped there.
#include "FuzzTarget.h"

#include "core/Clock.h"
#include "online/Connection.h"
#include "online/PeerLink.h"
#include "online/Receiver.h"
#include "online/storefront/StorefrontWire.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace
{
constexpr int kMaxReliablePerSide = 96;
constexpr int kSettleTicks = 2000;
constexpr uint64_t kTickMicroseconds = 50000;

int64_t g_now = 1;
int64_t FuzzCounter()
{
    return g_now;
}
int64_t FuzzFrequency()
{
    return 1000000;
}
const ClockSource kFuzzClock = {FuzzCounter, FuzzFrequency};

void Check(bool holds)
{
    if (!holds)
        abort();
}

// A reliable payload says who sent it and its number; the rest follows from both.
std::vector<uint8_t> Payload(uint8_t side, uint32_t number, int length)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(side * 31 + number * 7 + i);
    if (length >= 5)
    {
        bytes[0] = side;
        memcpy(&bytes[1], &number, 4);
    }
    return bytes;
}

class CheckingReceiver : public Receiver
{
public:
    explicit CheckingReceiver(uint8_t peerSide) : m_peerSide(peerSide) {}

    void OnReceive(const uint8_t* bytes, int length) override
    {
        // Unreliable payloads are marked by a first byte no reliable one has.
        if (length >= 1 && bytes[0] == 0xEE)
            return;
        Check(length >= 5 && bytes[0] == m_peerSide);
        uint32_t number = 0;
        memcpy(&number, bytes + 1, 4);
        Check(number == arrived + 1);
        Check(Payload(m_peerSide, number, length) == std::vector<uint8_t>(bytes, bytes + length));
        arrived = number;
    }
    void OnConnectionLost(int) override { lost = true; }

    uint32_t arrived = 0;
    bool lost = false;

private:
    uint8_t m_peerSide;
};

class DrivenLink : public PeerLink
{
public:
    bool Send(uint64_t peer, const void* bytes, int length) override
    {
        const uint8_t* begin = static_cast<const uint8_t*>(bytes);
        (peer == 2 ? toB : toA).emplace_back(begin, begin + length);
        return true;
    }
    bool Read(void*, int, int&, uint64_t&) override { return false; }
    uint64_t LocalUser() const override { return 1; }

    std::deque<std::vector<uint8_t>> toA;
    std::deque<std::vector<uint8_t>> toB;
};

struct Side
{
    Side(uint8_t id, uint64_t peer) : receiver(id == 1 ? 2 : 1), connection(id, static_cast<uint16_t>(id * 0x1111), peer, &receiver), id(id) {}

    CheckingReceiver receiver;
    Connection connection;
    uint8_t id;
    uint32_t sent = 0;
    int heard = 0;
};

// The damaged datagram as the storefront's framing check lets it through, if it does.
bool ThroughDamagedFrame(std::vector<uint8_t>& datagram, uint8_t at, uint8_t flip)
{
    std::vector<uint8_t> wire(kStorefrontWireHeaderBytes + datagram.size());
    StorefrontWireFrame(1, 0, datagram.data(), datagram.size(), wire.data());
    wire[at % wire.size()] ^= static_cast<uint8_t>(flip | 1);
    uint64_t sender = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
    if (!StorefrontWireOpen(wire.data(), wire.size(), sender, payload, size))
        return false;
    datagram.assign(payload, payload + size);
    return true;
}

class Run
{
public:
    Run() { SetPeerLink(&m_link); }
    ~Run() { SetPeerLink(nullptr); }

    void Step(const uint8_t* data, size_t size, size_t& at)
    {
        const uint8_t op = data[at++];
        const uint8_t arg = at < size ? data[at] : 0;
        Side& side = (op & 0x10) ? m_b : m_a;
        std::deque<std::vector<uint8_t>>& queue = (op & 0x10) ? m_link.toA : m_link.toB;
        switch (op & 0x0F)
        {
        case 0:
        case 1:
            SendReliable(side, arg % 120);
            ++at;
            break;
        case 2:
        {
            std::vector<uint8_t> bytes(arg % 40 + 1, 0xEE);
            side.connection.Send(bytes.data(), static_cast<int>(bytes.size()), false);
            ++at;
            break;
        }
        case 3:
        case 4:
            side.connection.Channel().Tick();
            break;
        case 5:
        case 6:
            Deliver(queue, side.id == 1 ? m_b : m_a);
            break;
        case 7:
            if (!queue.empty())
                queue.pop_front();
            break;
        case 8:
            if (!queue.empty())
                queue.push_back(queue.front());
            break;
        case 9:
            if (!queue.empty())
            {
                queue.push_back(std::move(queue.front()));
                queue.pop_front();
            }
            break;
        case 10:
            if (!queue.empty() && at + 1 < size)
            {
                std::vector<uint8_t> datagram = std::move(queue.front());
                queue.pop_front();
                if (ThroughDamagedFrame(datagram, data[at], data[at + 1]))
                    queue.push_front(std::move(datagram));
                at += 2;
            }
            break;
        case 11:
            g_now += static_cast<int64_t>(arg) * 20000;
            ++at;
            break;
        default:
            g_now += kTickMicroseconds;
            break;
        }
    }

    // The honest link from here on: everything queued arrives, time runs on, both sides tick.
    void Settle()
    {
        for (int tick = 0; tick < kSettleTicks && !Done(); ++tick)
        {
            g_now += kTickMicroseconds;
            m_a.connection.Channel().Tick();
            m_b.connection.Channel().Tick();
            while (!m_link.toA.empty() || !m_link.toB.empty())
            {
                Deliver(m_link.toB, m_b);
                Deliver(m_link.toA, m_a);
            }
        }
        if (!Lost())
        {
            Check(m_b.receiver.arrived == m_a.sent);
            Check(m_a.receiver.arrived == m_b.sent);
        }
    }

    // Nothing arrives any more; after 20 s a side that cannot deliver has said so.
    void Cut()
    {
        for (int tick = 0; tick < 400; ++tick)
        {
            g_now += kTickMicroseconds;
            m_a.connection.Channel().Tick();
            m_b.connection.Channel().Tick();
            m_link.toA.clear();
            m_link.toB.clear();
        }
        for (Side* side : {&m_a, &m_b})
            if (side->heard > 0 && side->connection.Channel().ReliableWaiting() > 0)
                Check(side->receiver.lost || !side->connection.Channel().IsLive());
    }

private:
    void SendReliable(Side& side, int length)
    {
        if (side.sent >= kMaxReliablePerSide)
            return;
        const std::vector<uint8_t> bytes = Payload(side.id, side.sent + 1, length + 5);
        if (side.connection.Send(bytes.data(), static_cast<int>(bytes.size()), true))
            ++side.sent;
    }

    static void Deliver(std::deque<std::vector<uint8_t>>& queue, Side& to)
    {
        if (queue.empty())
            return;
        const std::vector<uint8_t> datagram = std::move(queue.front());
        queue.pop_front();
        ++to.heard;
        to.connection.Receive(datagram.data(), static_cast<int>(datagram.size()));
    }

    bool Lost()
    {
        return m_a.receiver.lost || m_b.receiver.lost || !m_a.connection.Channel().IsLive() ||
               !m_b.connection.Channel().IsLive();
    }
    bool Done()
    {
        return Lost() || (m_b.receiver.arrived == m_a.sent && m_a.receiver.arrived == m_b.sent &&
                          m_a.connection.Channel().ReliableWaiting() == 0 &&
                          m_b.connection.Channel().ReliableWaiting() == 0);
    }

    DrivenLink m_link;
    Side m_a{1, 2};
    Side m_b{2, 1};
};
} // namespace

FUZZ_TARGET(channels)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    g_now = 1000000;
    ClockSetSource(&kFuzzClock);
    {
        Run run;
        for (size_t at = 0; at < size && at < 4096;)
            run.Step(data, size, at);
        if (size % 2 == 1)
            run.Cut();
        else
            run.Settle();
    }
    ClockSetSource(nullptr);
    return 0;
}
