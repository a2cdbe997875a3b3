#include "online/ScriptPacket.h"

namespace
{
struct ScriptPacket
{
    uint8_t buffer[kScriptPacketBytes] = {};
    DataPacker* sendPacker = nullptr;
    DataPacker* receivePacker = nullptr;
};

ScriptPacket g_scriptPacket;
} // namespace

void ScriptPacketAttach(DataPacker* sendPacker, DataPacker* receivePacker)
{
    g_scriptPacket.sendPacker = sendPacker;
    g_scriptPacket.receivePacker = receivePacker;
    if (sendPacker)
        sendPacker->Attach(g_scriptPacket.buffer, kScriptPacketBytes);
}

DataPacker* ScriptSendPacker()
{
    return g_scriptPacket.sendPacker;
}

DataPacker* ScriptReceivePacker()
{
    return g_scriptPacket.receivePacker;
}

uint8_t* ScriptPacketBuffer()
{
    return g_scriptPacket.buffer;
}
