#pragma once
// Deferred script calls: a message names a root-table function, or a method of
// an actor's script object, with the values to pass; the fixed step runs every
// queued message once per unpaused step. Messages hold a reference on each
// value they carry, so a value lives until its message has run.
#include "core/FixedString.h"

#include <squirrel.h>

#include <cstdint>
#include <memory>

constexpr int kMessageSlots = 1000;

enum MessageKind : uint32_t
{
    kMessageFunction = 1,
    kMessageActorFunction = 2,
};

class BaseMessage
{
public:
    virtual ~BaseMessage() = default;
};

class FunctionMessage : public BaseMessage
{
public:
    FunctionMessage(HSQUIRRELVM vm, const char* function);
    ~FunctionMessage() override;
    FunctionMessage(const FunctionMessage&) = delete;
    FunctionMessage& operator=(const FunctionMessage&) = delete;

    // Copies the count values from the stack index upward, each referenced.
    void TakeArguments(SQInteger firstIndex, uint32_t count);
    void PushArguments() const;

    uint32_t serial;
    uint32_t kind = kMessageFunction;
    FixedString<64> functionName;
    uint32_t argumentCount = 0;
    FixedString<32> reserved;
    std::unique_ptr<HSQOBJECT[]> arguments;

protected:
    HSQUIRRELVM m_vm;
};

class ActorFunctionMessage : public FunctionMessage
{
public:
    ActorFunctionMessage(HSQUIRRELVM vm, const char* function, SQInteger actorIndex);
    ~ActorFunctionMessage() override;

    HSQOBJECT actor;
};

class MessageManager
{
public:
    // Clears the table, then runs messages on this VM.
    void Bind(HSQUIRRELVM vm);
    // False (after a report) when the message is null or the table is full;
    // a refused message is deleted.
    bool Add(std::unique_ptr<BaseMessage> message);
    void Update(bool profile);
    // Deletes every queued message and unbinds: before the VM closes.
    void Clear();

    int QueuedCount() const;
    bool IsBound() const { return m_bound != 0; }

private:
    void Run(const BaseMessage& message, bool profile) const;

    std::unique_ptr<BaseMessage> m_slots[kMessageSlots];
    uint8_t m_bound = 0;
    HSQUIRRELVM m_vm = nullptr;
};

MessageManager& GetMessageManager();

bool MessageManagerAdd(std::unique_ptr<BaseMessage> message);
void MessageManager_Update();
void MessageManagerClear();

void RegisterMessageScriptAPI(HSQUIRRELVM vm);
