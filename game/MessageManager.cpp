#include "game/MessageManager.h"

#include "core/LogError.h"
#include "game/TolvanFixedUpdate.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

namespace
{
uint32_t g_messageSerial = 0;
MessageManager g_messageManager;

HSQOBJECT ReferenceAt(HSQUIRRELVM vm, SQInteger index)
{
    HSQOBJECT object;
    sq_resetobject(&object);
    sq_getstackobj(vm, index, &object);
    sq_addref(vm, &object);
    return object;
}

// Reads the count and checks that that many values follow it on the stack.
bool ReadArgumentCount(HSQUIRRELVM vm, SQInteger countIndex, uint32_t& count)
{
    int read = 0;
    if (!ScriptArgInt(vm, countIndex, read))
        return false;
    count = read < 1 ? 0 : static_cast<uint32_t>(read);
    return static_cast<SQInteger>(count) <= sq_gettop(vm) - countIndex;
}

// The name at the index, the count after it, then the values; an actor
// message has its object at index 2.
SQInteger QueueCall(HSQUIRRELVM vm, SQInteger nameIndex, bool toActor)
{
    const char* name = nullptr;
    if (!ScriptArgString(vm, nameIndex, name))
        return ScriptBadArgument(vm);
    uint32_t count = 0;
    if (!ReadArgumentCount(vm, nameIndex + 1, count))
        return sq_throwerror(vm, "the message's count is not a number or exceeds the values given");
    std::unique_ptr<FunctionMessage> message;
    if (toActor)
        message = std::make_unique<ActorFunctionMessage>(vm, name, 2);
    else
        message = std::make_unique<FunctionMessage>(vm, name);
    message->TakeArguments(nameIndex + 2, count);
    MessageManagerAdd(std::move(message));
    return 0;
}

SQInteger SendFunctionMessage(HSQUIRRELVM vm)
{
    return QueueCall(vm, 2, false);
}

SQInteger SendActorFunctionMessage(HSQUIRRELVM vm)
{
    return QueueCall(vm, 3, true);
}

SQInteger UpdateMessageManager(HSQUIRRELVM)
{
    MessageManager_Update();
    return 0;
}
} // namespace

FunctionMessage::FunctionMessage(HSQUIRRELVM vm, const char* function)
    : serial(g_messageSerial++), functionName(function), m_vm(vm)
{
}

FunctionMessage::~FunctionMessage()
{
    for (uint32_t i = 0; i < argumentCount; ++i)
        sq_release(m_vm, &arguments[i]);
}

void FunctionMessage::TakeArguments(SQInteger firstIndex, uint32_t count)
{
    for (uint32_t i = 0; i < argumentCount; ++i)
        sq_release(m_vm, &arguments[i]);
    arguments.reset(count ? new HSQOBJECT[count] : nullptr);
    argumentCount = count;
    for (uint32_t i = 0; i < count; ++i)
        arguments[i] = ReferenceAt(m_vm, firstIndex + static_cast<SQInteger>(i));
}

void FunctionMessage::PushArguments() const
{
    for (uint32_t i = 0; i < argumentCount; ++i)
        sq_pushobject(m_vm, arguments[i]);
}

ActorFunctionMessage::ActorFunctionMessage(HSQUIRRELVM vm, const char* function, SQInteger actorIndex)
    : FunctionMessage(vm, function), actor(ReferenceAt(vm, actorIndex))
{
    kind = kMessageActorFunction;
}

ActorFunctionMessage::~ActorFunctionMessage()
{
    sq_release(m_vm, &actor);
}

void MessageManager::Bind(HSQUIRRELVM vm)
{
    Clear();
    m_bound = 1;
    m_vm = vm;
}

bool MessageManager::Add(std::unique_ptr<BaseMessage> message)
{
    if (!message)
    {
        LogError("Tryed to add a null message \n");
        return false;
    }
    for (int slot = kMessageSlots - 1; slot >= 0; --slot)
    {
        if (!m_slots[slot])
        {
            m_slots[slot] = std::move(message);
            return true;
        }
    }
    LogError("Message Manager Full\n");
    return false;
}

// Each message leaves its slot before it runs, so an update started from
// inside a message's call never meets it again.
void MessageManager::Update(bool profile)
{
    if (!m_bound)
        return;
    for (int slot = 0; slot < kMessageSlots; ++slot)
    {
        std::unique_ptr<BaseMessage> message = std::move(m_slots[slot]);
        if (message)
            Run(*message, profile);
    }
}

void MessageManager::Run(const BaseMessage& message, bool profile) const
{
    const auto* call = dynamic_cast<const FunctionMessage*>(&message);
    if (!call)
        return;
    const int count = static_cast<int>(call->argumentCount);
    if (call->kind == kMessageFunction)
    {
        call->PushArguments();
        ScriptCallFunction(m_vm, call->functionName, count, false, profile);
    }
    else if (call->kind == kMessageActorFunction && !ScriptGetErrorFlag())
    {
        const auto& actorCall = static_cast<const ActorFunctionMessage&>(*call);
        sq_pushobject(m_vm, actorCall.actor);
        call->PushArguments();
        ScriptCallMethod(m_vm, -(count + 1), call->functionName, count, profile);
        sq_pop(m_vm, 1);
    }
}

void MessageManager::Clear()
{
    for (auto& slot : m_slots)
        slot.reset();
    m_bound = 0;
}

int MessageManager::QueuedCount() const
{
    int count = 0;
    for (const auto& slot : m_slots)
        count += slot ? 1 : 0;
    return count;
}

MessageManager& GetMessageManager()
{
    return g_messageManager;
}

bool MessageManagerAdd(std::unique_ptr<BaseMessage> message)
{
    return g_messageManager.Add(std::move(message));
}

void MessageManager_Update()
{
    g_messageManager.Update(GetStepLogRequest());
}

void MessageManagerClear()
{
    g_messageManager.Clear();
}

void RegisterMessageScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "UpdateMessageManager", UpdateMessageManager, ".f");
    ScriptBindGlobalFunction(vm, "SendFunctionMessage", SendFunctionMessage);
    ScriptBindGlobalFunction(vm, "SendActorFunctionMessage", SendActorFunctionMessage);
}
