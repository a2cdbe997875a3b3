// The reliable channel over a simulated link on a stepped clock: goodput of a
// saturating sender against what the link can carry, and the latency of a
// light stream against the link delay plus half a tick, each at 0, 5 and 20%
// loss, with and without the spare-room resends.

#include "core/Clock.h"
#include "online/Connection.h"
#include "online/ConnectionManager.h"
#include "online/PeerLink.h"
#include "online/Receiver.h"
#include "online/SimulatedLink.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
constexpr uint64_t kUserA = 1;
constexpr uint64_t kUserB = 2;
constexpr uint64_t kTick = 50000;
constexpr int kFramesPerTick = 6;

int64_t g_now = 1000000;
int64_t BenchCounter()
{
    return g_now;
}
int64_t BenchFrequency()
{
    return 1000000;
}
const ClockSource kBenchClock = {BenchCounter, BenchFrequency};

class Sink : public Receiver
{
public:
    void OnReceive(const uint8_t* bytes, int length) override
    {
        bytesReceived += static_cast<uint64_t>(length);
        if (length >= 8)
        {
            int64_t sentAt;
            memcpy(&sentAt, bytes, sizeof sentAt);
            latencies.push_back(static_cast<double>(g_now - sentAt));
        }
    }
    void OnConnectionLost(int) override { lost = true; }

    uint64_t bytesReceived = 0;
    std::vector<double> latencies;
    bool lost = false;
};

struct Pair
{
    Pair(const LinkConditions& conditions)
        : link(kUserA, conditions, 99), a(1, 0x1111, kUserB, &sinkA), b(1, 0x2222, kUserA, &sinkB)
    {
        SetPeerLink(&link);
    }
    ~Pair() { SetPeerLink(nullptr); }

    // One tick of time in six frames: what is due is delivered every frame,
    // the channels tick once.
    void Step()
    {
        for (int frame = 0; frame < kFramesPerTick; ++frame)
            Frame(frame == kFramesPerTick - 1);
    }

    void Frame(bool tick)
    {
        g_now += kTick / kFramesPerTick;
        uint8_t buffer[512];
        int length = 0;
        uint64_t sender = 0;
        while (link.Take(kUserA, buffer, sizeof buffer, length, sender))
            a.Receive(buffer, length);
        while (link.Take(kUserB, buffer, sizeof buffer, length, sender))
            b.Receive(buffer, length);
        if (!tick)
            return;
        link.SetSender(kUserA);
        a.Channel().Tick();
        link.SetSender(kUserB);
        b.Channel().Tick();
    }

    SimulatedLink link;
    Sink sinkA;
    Sink sinkB;
    Connection a;
    Connection b;
};

void Send(Connection& connection, int length)
{
    uint8_t bytes[kMaxPayloadBytes] = {};
    memcpy(bytes, &g_now, sizeof g_now);
    connection.Send(bytes, length, true);
}

LinkConditions Lossy(int64_t lossPercent)
{
    LinkConditions conditions;
    conditions.lossPercent = static_cast<float>(lossPercent);
    conditions.delayMicroseconds = 50000;
    return conditions;
}

void BM_SaturatingGoodput(benchmark::State& state)
{
    ClockSetSource(&kBenchClock);
    GetConnectionManager().SetSpareRoomResends(state.range(1) != 0);
    constexpr uint64_t kCapacity = 256 * 1024;
    constexpr int kSteps = 1200; // one minute of ticks
    double goodput = 0.0;
    for (auto _ : state)
    {
        LinkConditions conditions = Lossy(state.range(0));
        conditions.capacityBytesPerSecond = kCapacity;
        Pair pair(conditions);
        const uint64_t start = static_cast<uint64_t>(g_now);
        for (int step = 0; step < kSteps && !pair.sinkB.lost; ++step)
        {
            // Each tick is offered a quarter more than the link carries.
            const int perTick = static_cast<int>(kCapacity * 5 / 4 / 20 / 400);
            for (int k = 0; k < perTick && pair.a.Channel().ReliableWaiting() < kReliableSendRecords - 64;
                 ++k)
                Send(pair.a, 400);
            pair.Step();
        }
        state.counters["sent"] = static_cast<double>(pair.link.Sent());
        state.counters["dropped"] = static_cast<double>(pair.link.Dropped());
        state.counters["failed"] = pair.sinkA.lost ? 1.0 : 0.0;
        goodput = static_cast<double>(pair.sinkB.bytesReceived) * 1e6 / static_cast<double>(g_now - start);
    }
    const double ideal = (1.0 - static_cast<double>(state.range(0)) / 100.0) * kCapacity;
    state.counters["goodput_Bps"] = goodput;
    state.counters["ideal_Bps"] = ideal;
    state.counters["ratio"] = goodput / ideal;
    GetConnectionManager().SetSpareRoomResends(false);
    ClockSetSource(nullptr);
}

void BM_LightStreamLatency(benchmark::State& state)
{
    ClockSetSource(&kBenchClock);
    GetConnectionManager().SetSpareRoomResends(state.range(1) != 0);
    constexpr int kFrames = 12000; // 100 s at 120 frames a second
    std::vector<double> latencies;
    for (auto _ : state)
    {
        Pair pair(Lossy(state.range(0)));
        for (int frame = 0; frame < kFrames; ++frame)
        {
            // A fixed step every fourth frame (1/30 s): three messages, and
            // the peer says something back, as a game does.
            if (frame % 4 == 0)
            {
                for (int k = 0; k < 3; ++k)
                    Send(pair.a, 100);
                pair.b.Send("x", 1, false);
            }
            pair.Frame(frame % kFramesPerTick == kFramesPerTick - 1);
        }
        for (int step = 0; step < 100; ++step)
            pair.Step();
        latencies = pair.sinkB.latencies;
    }
    std::sort(latencies.begin(), latencies.end());
    double sum = 0.0;
    for (const double latency : latencies)
        sum += latency;
    state.counters["mean_ms"] =
        latencies.empty() ? 0.0 : sum / static_cast<double>(latencies.size()) / 1000.0;
    state.counters["p99_ms"] = latencies.empty() ? 0.0 : latencies[latencies.size() * 99 / 100] / 1000.0;
    state.counters["delay_plus_half_tick_ms"] = 50.0 + 25.0;
    GetConnectionManager().SetSpareRoomResends(false);
    ClockSetSource(nullptr);
}
} // namespace

BENCHMARK(BM_SaturatingGoodput)
    ->ArgsProduct({{0, 5, 20}, {0, 1}})
    ->ArgNames({"loss", "spare"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_LightStreamLatency)
    ->ArgsProduct({{0, 5, 20}, {0, 1}})
    ->ArgNames({"loss", "spare"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
