#pragma once
// The unreliable datagram service the connections run over: by default the
// storefront's peer-to-peer datagrams; tests and benchmarks install a
// simulated link instead.

#include <cstdint>

class PeerLink
{
public:
    virtual ~PeerLink() = default;
    // True when the datagram went out (not that it arrives).
    virtual bool Send(uint64_t peer, const void* bytes, int length) = 0;
    // Takes the next waiting datagram: false when none waits. The length
    // reported is the datagram's own, which may exceed the capacity given;
    // only the capacity's worth is copied.
    virtual bool Read(void* bytes, int capacity, int& length, uint64_t& sender) = 0;
    virtual uint64_t LocalUser() const = 0;
};

// The link in use: the installed one, else the storefront's.
PeerLink& GetPeerLink();
// Null restores the storefront's link.
void SetPeerLink(PeerLink* link);
