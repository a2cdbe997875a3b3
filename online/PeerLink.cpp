#include "online/PeerLink.h"

#include "online/storefront/SteamInterfaces.h"

namespace
{
class StorefrontPeerLink : public PeerLink
{
public:
    bool Send(uint64_t peer, const void* bytes, int length) override
    {
        return length >= 0 && SteamNetworking()->SendP2PPacket(peer, bytes, static_cast<uint32_t>(length),
                                                               k_EP2PSendUnreliable, 0);
    }
    bool Read(void* bytes, int capacity, int& length, uint64_t& sender) override
    {
        uint32_t size = 0;
        CSteamID remote = 0;
        if (!SteamNetworking()->ReadP2PPacket(bytes, static_cast<uint32_t>(capacity), &size, &remote, 0))
            return false;
        length = static_cast<int>(size);
        sender = remote;
        return true;
    }
    uint64_t LocalUser() const override { return SteamUser()->GetSteamID(); }
};

StorefrontPeerLink g_storefrontLink;
PeerLink* g_installed = nullptr;
} // namespace

PeerLink& GetPeerLink()
{
    return g_installed ? *g_installed : g_storefrontLink;
}

void SetPeerLink(PeerLink* link)
{
    g_installed = link;
}
