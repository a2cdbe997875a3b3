#pragma once
// The script's shared 512-byte packet and the two packers scripts pack their
// payloads with: the send packer over the shared packet, the receive packer
// over each payload the node layer hands to the script.

#include "online/DataPacker.h"

constexpr int kScriptPacketBytes = 512;

void ScriptPacketAttach(DataPacker* sendPacker, DataPacker* receivePacker);
DataPacker* ScriptSendPacker();
DataPacker* ScriptReceivePacker();
uint8_t* ScriptPacketBuffer();
