#include "online/PlatformServices.h"
#include "online/SteamHandler.h"
#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontLink.h"
#include "online/storefront/StorefrontWire.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
class SessionWatcher
{
public:
    SessionWatcher() : request(this, &SessionWatcher::OnRequest), fail(this, &SessionWatcher::OnFail) {}
    void OnRequest(P2PSessionRequest_t* r) { requests.push_back(r->m_steamIDRemote); }
    void OnFail(P2PSessionConnectFail_t* f) { failures.push_back(f->m_steamIDRemote); }

    std::vector<CSteamID> requests;
    std::vector<CSteamID> failures;

private:
    CCallback<SessionWatcher, P2PSessionRequest_t> request;
    CCallback<SessionWatcher, P2PSessionConnectFail_t> fail;
};

class StorefrontPeer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("PENDREL_PLATFORM_DIR", dir.Path().c_str(), 1);
        setenv("PENDREL_PLATFORM_USER", "alice", 1);
        unsetenv("PENDREL_PLATFORM");
        unsetenv("PENDREL_PLATFORM_RELAY");
    }
    void TearDown() override
    {
        PlatformShutdown();
        unsetenv("PENDREL_PLATFORM_DIR");
        unsetenv("PENDREL_PLATFORM_USER");
    }

    std::string Read(const std::string& relative) const { return dir.ReadFile(relative); }

    // A datagram framed as a peer frames it, from a made-up sender.
    std::vector<uint8_t> Framed(CSteamID sender, const std::string& payload) const
    {
        std::vector<uint8_t> bytes(kStorefrontWireHeaderBytes + payload.size());
        bytes.resize(StorefrontWireFrame(sender, Port(), payload.data(), payload.size(), bytes.data()));
        return bytes;
    }

    uint16_t Port() const { return static_cast<uint16_t>(std::stoi(Read("users/alice/endpoint"))); }

    void SendRaw(CSteamID sender, const std::string& payload) { SendWire(Framed(sender, payload)); }

    // Bytes on the wire, straight to our socket.
    void SendWire(const std::vector<uint8_t>& bytes)
    {
        const uint16_t port = Port();
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(fd);
    }

    // Loopback delivery is immediate, but the read is bounded all the same.
    bool Available(uint32_t& size)
    {
        for (int i = 0; i < 1000; ++i)
            if (SteamNetworking()->IsP2PPacketAvailable(&size))
                return true;
        return false;
    }

    TempDir dir;
};
} // namespace

TEST_F(StorefrontPeer, SignInGivesAStableIdAndPublishesTheEndpoint)
{
    ASSERT_TRUE(PlatformInit());
    EXPECT_TRUE(SteamUser()->BLoggedOn());
    EXPECT_STREQ(SteamFriends()->GetPersonaName(), "alice");
    EXPECT_NE(SteamUtils()->GetAppID(), 0u);
    const CSteamID alice = SteamUser()->GetSteamID();
    EXPECT_EQ(std::stoull(Read("users/alice/id")), alice);
    EXPECT_GT(std::stoi(Read("users/alice/endpoint")), 0);
    PlatformShutdown();
    EXPECT_FALSE(SteamUser()->BLoggedOn());

    setenv("PENDREL_PLATFORM_USER", "bob", 1);
    ASSERT_TRUE(PlatformInit());
    const CSteamID bob = SteamUser()->GetSteamID();
    EXPECT_NE(bob, alice);
    PlatformShutdown();

    setenv("PENDREL_PLATFORM_USER", "alice", 1);
    ASSERT_TRUE(PlatformInit());
    EXPECT_EQ(SteamUser()->GetSteamID(), alice);
}

TEST_F(StorefrontPeer, ALiveUserCannotSignInTwice)
{
    ASSERT_TRUE(dir.MakeFolder("users/alice"));
    const int fd = open(dir.PathOf("users/alice/online").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(PlatformInit());
    close(fd); // the holder is gone: its lock with it
    EXPECT_TRUE(PlatformInit());
}

TEST_F(StorefrontPeer, UnusableUserNamesAreRefused)
{
    for (const char* name : {"..", "a/b", "."})
    {
        setenv("PENDREL_PLATFORM_USER", name, 1);
        EXPECT_FALSE(PlatformInit()) << name;
        PlatformShutdown();
    }
}

TEST_F(StorefrontPeer, SendingToAUserWhoIsNotLiveFailsWithOneReport)
{
    ASSERT_TRUE(PlatformInit());
    SessionWatcher watcher;
    const uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_FALSE(SteamNetworking()->SendP2PPacket(123456, bytes, 4, k_EP2PSendUnreliable));
    EXPECT_FALSE(SteamNetworking()->SendP2PPacket(123456, bytes, 4, k_EP2PSendUnreliable));
    PlatformRunCallbacks();
    EXPECT_EQ(watcher.failures, std::vector<CSteamID>{123456});
    EXPECT_FALSE(SteamNetworking()->SendP2PPacket(SteamUser()->GetSteamID(), bytes, 4, k_EP2PSendUnreliable));
}

TEST_F(StorefrontPeer, ANewSendersDatagramsWaitUntilTheSessionIsAccepted)
{
    ASSERT_TRUE(PlatformInit());
    SessionWatcher watcher;
    SendRaw(777, "first");
    SendRaw(777, "second");
    uint32_t size = 0;
    EXPECT_FALSE(Available(size));
    PlatformRunCallbacks();
    EXPECT_EQ(watcher.requests, std::vector<CSteamID>{777});
    ASSERT_TRUE(SteamNetworking()->AcceptP2PSessionWithUser(777));
    ASSERT_TRUE(Available(size));
    EXPECT_EQ(size, 5u);
    char text[16] = {};
    uint32_t got = 0;
    CSteamID sender = 0;
    ASSERT_TRUE(SteamNetworking()->ReadP2PPacket(text, 3, &got, &sender));
    EXPECT_EQ(got, 5u) << "the datagram's own size, though only three bytes were taken";
    EXPECT_EQ(std::string(text), "fir");
    EXPECT_EQ(sender, 777u);
    ASSERT_TRUE(SteamNetworking()->ReadP2PPacket(text, sizeof text, &got, &sender));
    EXPECT_EQ(std::string(text, got), "second");
}

// Damage in flight is dropped below the game's channel, which sends again
// what it lacks: no changed byte, anywhere in the datagram, reaches the game.
TEST_F(StorefrontPeer, ADatagramDamagedInFlightIsDroppedAndAnIntactOneDelivered)
{
    ASSERT_TRUE(PlatformInit());
    ASSERT_TRUE(SteamNetworking()->AcceptP2PSessionWithUser(5));
    const std::string payload = "\x02\x00\x00\x00lock-step input 42";
    const std::vector<uint8_t> intact = Framed(5, payload);
    uint32_t size = 0;
    for (size_t at = 0; at < intact.size(); ++at)
    {
        for (const uint8_t change : {0x01, 0x80, 0xFF})
        {
            std::vector<uint8_t> damaged = intact;
            damaged[at] ^= change;
            StorefrontLinkTakeWire(damaged.data(), damaged.size());
        }
    }
    const std::vector<uint8_t> cut(intact.begin(), intact.end() - 1);
    StorefrontLinkTakeWire(cut.data(), cut.size());
    EXPECT_FALSE(SteamNetworking()->IsP2PPacketAvailable(&size)) << "a damaged datagram got through";

    SendWire(intact);
    ASSERT_TRUE(Available(size));
    char text[64] = {};
    uint32_t got = 0;
    CSteamID sender = 0;
    ASSERT_TRUE(SteamNetworking()->ReadP2PPacket(text, sizeof text, &got, &sender));
    EXPECT_EQ(std::string(text, got), payload);
    EXPECT_EQ(sender, 5u);
}

TEST_F(StorefrontPeer, MadeUpSendersBeyondTheWaitingRoomAreDroppedWhileKnownOnesGetThrough)
{
    ASSERT_TRUE(PlatformInit());
    SessionWatcher watcher;
    ASSERT_TRUE(SteamNetworking()->AcceptP2PSessionWithUser(5));
    uint32_t size = 0;
    {
        LogCapture log;
        for (CSteamID sender = 1000; sender < 1200; ++sender)
            SendRaw(sender, "x");
        SendRaw(5, "known");
        ASSERT_TRUE(Available(size));
        EXPECT_EQ(log.Lines().size(), 1u) << log.Text();
    }
    PlatformRunCallbacks();
    // Each admitted sender asks once; the rest never reach the table.
    ASSERT_EQ(watcher.requests.size(), 32u);
    EXPECT_EQ(watcher.requests.front(), 1000u);
    EXPECT_EQ(watcher.requests.back(), 1031u);
    char text[16] = {};
    uint32_t got = 0;
    CSteamID sender = 0;
    ASSERT_TRUE(SteamNetworking()->ReadP2PPacket(text, sizeof text, &got, &sender));
    EXPECT_EQ(std::string(text, got), "known");
    EXPECT_EQ(sender, 5u);
    // Once the waiting senders are accepted (the session handler does it in the pump), new ones get in.
    for (CSteamID waiting = 1000; waiting < 1032; ++waiting)
        SteamNetworking()->AcceptP2PSessionWithUser(waiting);
    SendRaw(1500, "late");
    Available(size);
    PlatformRunCallbacks();
    EXPECT_EQ(watcher.requests.back(), 1500u);
}

TEST_F(StorefrontPeer, TheSessionHandlerAcceptsAtOnceAndQueuesFailures)
{
    ASSERT_TRUE(PlatformInit());
    SendRaw(888, "hi");
    uint32_t size = 0;
    Available(size);
    PlatformRunCallbacks();
    EXPECT_TRUE(Available(size));
    const uint8_t bytes[1] = {1};
    for (CSteamID id = 1000; id < 1150; ++id)
        SteamNetworking()->SendP2PPacket(id, bytes, 1, k_EP2PSendUnreliable);
    PlatformRunCallbacks();
    ASSERT_NE(GetSteamHandler(), nullptr);
    EXPECT_EQ(GetSteamHandler()->FailedPeerCount(), SteamHandler::kMaxFailedPeers);
    GetSteamHandler()->ProcessConnectFailures();
    EXPECT_EQ(GetSteamHandler()->FailedPeerCount(), 0);
}

TEST_F(StorefrontPeer, ACallbackDestroyedBeforeThePumpIsNotReached)
{
    ASSERT_TRUE(PlatformInit());
    {
        SessionWatcher gone;
        const uint8_t bytes[1] = {1};
        SteamNetworking()->SendP2PPacket(99, bytes, 1, k_EP2PSendUnreliable);
    }
    PlatformRunCallbacks(); // would reach freed memory if still registered
    SUCCEED();
}
