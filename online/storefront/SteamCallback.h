#pragma once
// The receivers the online layer declares as members: a callback runs a
// member function for every posted callback of its type; a call result runs
// one for the completion of one asynchronous call. Both unregister when they
// are destroyed, so nothing queued can reach a receiver that is gone.

#include "online/storefront/Storefront.h"

template <class Owner, class Param> class CCallback : public CCallbackBase
{
public:
    using Function = void (Owner::*)(Param*);

    CCallback(Owner* owner, Function function) : m_owner(owner), m_function(function)
    {
        SteamAPI_RegisterCallback(this, Param::k_iCallback);
    }
    ~CCallback() override { SteamAPI_UnregisterCallback(this); }
    CCallback(const CCallback&) = delete;
    CCallback& operator=(const CCallback&) = delete;

    void Run(void* parameter) override { (m_owner->*m_function)(static_cast<Param*>(parameter)); }
    void Run(void* parameter, bool, SteamAPICall_t) override { Run(parameter); }
    int GetCallbackSizeBytes() override { return static_cast<int>(sizeof(Param)); }

private:
    Owner* m_owner;
    Function m_function;
};

template <class Owner, class Param> class CCallResult : public CCallbackBase
{
public:
    using Function = void (Owner::*)(Param*, bool ioFailure);

    CCallResult() { m_iCallback = Param::k_iCallback; }
    ~CCallResult() override { Cancel(); }
    CCallResult(const CCallResult&) = delete;
    CCallResult& operator=(const CCallResult&) = delete;

    // Arms the receiver for one call; an earlier call is forgotten first. A
    // zero call is not armed.
    void Set(SteamAPICall_t call, Owner* owner, Function function)
    {
        Cancel();
        m_owner = owner;
        m_function = function;
        m_call = call;
        if (call != k_uAPICallInvalid)
            SteamAPI_RegisterCallResult(this, call);
    }
    bool IsActive() const { return m_call != k_uAPICallInvalid; }
    void Cancel()
    {
        if (m_call != k_uAPICallInvalid)
            SteamAPI_UnregisterCallResult(this, m_call);
        m_call = k_uAPICallInvalid;
    }

    void Run(void* parameter) override { Run(parameter, false, m_call); }
    void Run(void* parameter, bool ioFailure, SteamAPICall_t call) override
    {
        if (call != m_call || !m_owner)
            return;
        m_call = k_uAPICallInvalid;
        (m_owner->*m_function)(static_cast<Param*>(parameter), ioFailure);
    }
    int GetCallbackSizeBytes() override { return static_cast<int>(sizeof(Param)); }

private:
    SteamAPICall_t m_call = k_uAPICallInvalid;
    Owner* m_owner = nullptr;
    Function m_function = nullptr;
};
