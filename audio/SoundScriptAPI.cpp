#include "audio/SoundScriptAPI.h"

#include "audio/Sound.h"
#include "core/FixedString.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StringUtil.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"

namespace
{
struct StreamCallbackNames
{
    FixedString<kStreamCallbackNameSize> names[kStreamCallbackNameCount];
    int count = 0;
};

StreamCallbackNames g_callbackNames;

int ArgumentCount(HSQUIRRELVM vm)
{
    return int(sq_gettop(vm)) - 1;
}

// Each reader leaves the VM's error and gives false when the argument is of another kind.
bool ArgInt(HSQUIRRELVM vm, SQInteger index, int& value)
{
    SQInteger read = 0;
    if (SQ_FAILED(sq_getinteger(vm, index, &read)))
        return false;
    value = int(read);
    return true;
}

bool ArgFloat(HSQUIRRELVM vm, SQInteger index, float& value)
{
    SQFloat read = 0.0f;
    if (SQ_FAILED(sq_getfloat(vm, index, &read)))
        return false;
    value = float(read);
    return true;
}

bool ArgString(HSQUIRRELVM vm, SQInteger index, const SQChar*& text)
{
    return SQ_SUCCEEDED(sq_getstring(vm, index, &text));
}

bool ArgVec3(HSQUIRRELVM vm, SQInteger index, Vec3*& vector)
{
    return ScriptCheckInstance(vm, index, vector);
}

SQInteger PushInt(HSQUIRRELVM vm, int value)
{
    sq_pushinteger(vm, value);
    return 1;
}

SQInteger Sound_PlaySound(HSQUIRRELVM vm)
{
    const SQChar* name = nullptr;
    int type = SST_SOUNDFX;
    if (!ArgString(vm, 2, name) || (ArgumentCount(vm) >= 2 && !ArgInt(vm, 3, type)))
        return SQ_ERROR;
    return PushInt(vm, PlaySoundByName(name, type));
}

SQInteger Sound_PlayPositionalSound(HSQUIRRELVM vm)
{
    const SQChar* name = nullptr;
    Vec3* position = nullptr;
    float distance = 0.0f;
    if (!ArgString(vm, 2, name) || !ArgVec3(vm, 3, position) || !ArgFloat(vm, 4, distance))
        return SQ_ERROR;
    const SoundVoiceId id = Sound::PlaySound(HashString(name), 0.0f, 0, SST_SOUNDFX);
    VoiceSet3D(id);
    Sound::SetPosition(id, *position);
    VoiceSetDistance(id, distance);
    return PushInt(vm, id);
}

SQInteger Sound_PlayStreamWithCallback(HSQUIRRELVM vm)
{
    const SQChar* name = nullptr;
    int type = SST_SOUNDFX;
    if (!ArgString(vm, 2, name) || !ArgInt(vm, 3, type))
        return SQ_ERROR;
    const int entry = StreamCallbackNameIntern(name);
    if (entry < 0)
        return PushInt(vm, SOUNDID_INVALID);
    const SoundVoiceId id = Sound::PlayStreamWithCallback(ScriptStreamCallback, uint32_t(entry), 0.0f, type);
    VoiceSet2D(id);
    return PushInt(vm, id);
}

SQInteger Sound_KillSound(HSQUIRRELVM vm)
{
    int id = SOUNDID_INVALID;
    float fade = 0.0f;
    if (!ArgInt(vm, 2, id) || (ArgumentCount(vm) >= 2 && !ArgFloat(vm, 3, fade)))
        return SQ_ERROR;
    Sound::KillSound(id, fade);
    return 0;
}

SQInteger Sound_IsAlive(HSQUIRRELVM vm)
{
    int id = SOUNDID_INVALID;
    if (!ArgInt(vm, 2, id))
        return SQ_ERROR;
    sq_pushbool(vm, Sound::IsAlive(id) ? SQTrue : SQFalse);
    return 1;
}

// SetVolume (id, volume) and SetTypeMasterVolume (type, volume).
template <void (*Apply)(int, float)> SQInteger IntAndFloatNative(HSQUIRRELVM vm)
{
    int first = 0;
    float volume = 0.0f;
    if (!ArgInt(vm, 2, first) || !ArgFloat(vm, 3, volume))
        return SQ_ERROR;
    Apply(first, volume);
    return 0;
}

SQInteger Sound_SetPosition(HSQUIRRELVM vm)
{
    int id = SOUNDID_INVALID;
    Vec3* position = nullptr;
    if (!ArgInt(vm, 2, id) || !ArgVec3(vm, 3, position))
        return SQ_ERROR;
    Sound::SetPosition(id, *position);
    return 0;
}

SQInteger Sound_SetListenerPosition(HSQUIRRELVM vm)
{
    Vec3* position = nullptr;
    if (!ArgVec3(vm, 2, position))
        return SQ_ERROR;
    Sound::SetListenerPosition(*position);
    return 0;
}

SQInteger Sound_SetListenerOrientation(HSQUIRRELVM vm)
{
    Vec3* at = nullptr;
    Vec3* up = nullptr;
    if (!ArgVec3(vm, 2, at) || !ArgVec3(vm, 3, up))
        return SQ_ERROR;
    Sound::SetListenerOrientation(*at, *up);
    return 0;
}

SQInteger Sound_GetMaxVoices(HSQUIRRELVM vm)
{
    return PushInt(vm, Sound::GetMaxVoices());
}

SQInteger Sound_GetCurrentVoiceCount(HSQUIRRELVM vm)
{
    return PushInt(vm, Sound::GetCurrentVoiceCount());
}

SQInteger Sound_Dump(HSQUIRRELVM)
{
    return 0;
}

const ScriptVarDesc kSoundMembers[] = {
    ScriptVarConstantValue("SOUNDID_INVALID", SOUNDID_INVALID),
    ScriptVarConstantValue("SST_SOUNDFX", SST_SOUNDFX),
    ScriptVarConstantValue("SST_MUSIC", SST_MUSIC),
    ScriptVarConstantValue("SST_FEFX", SST_FEFX),
    ScriptVarEnd(),
};
} // namespace

int StreamCallbackNameIntern(const char* name)
{
    const FixedString<kStreamCallbackNameSize> key(name);
    for (int i = 0; i < g_callbackNames.count; ++i)
        if (StringEquals(g_callbackNames.names[i], key))
            return i;
    if (g_callbackNames.count == kStreamCallbackNameCount)
    {
        LogError("Pendrel Audio has no room for stream callback %s: %d names are in use.\n", key.c_str(),
                 kStreamCallbackNameCount);
        return -1;
    }
    g_callbackNames.names[g_callbackNames.count] = key;
    return g_callbackNames.count++;
}

uint32_t ScriptStreamCallback(uint32_t entry)
{
    HSQUIRRELVM vm = ScriptGetVM();
    if (!vm || entry >= uint32_t(g_callbackNames.count))
        return 0;
    const SQInteger top = sq_gettop(vm);
    if (!ScriptCallFunction(vm, g_callbackNames.names[entry], 0, true, false))
        return 0;
    const SQChar* text = nullptr;
    uint32_t hash = 0;
    if (sq_gettype(vm, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, -1, &text)))
        hash = HashString(text);
    sq_settop(vm, top);
    return hash;
}

void RegisterSoundScriptAPI(HSQUIRRELVM vm)
{
    // A new VM knows none of the old one's functions.
    g_callbackNames.count = 0;
    ScriptClassHandle sound;
    ScriptBindClass(sound, vm, "Sound", 0, kSoundMembers, nullptr)
        .AddStaticMethod("PlaySound", Sound_PlaySound)
        .AddStaticMethod("PlayPositionalSound", Sound_PlayPositionalSound)
        .AddStaticMethod("PlayStreamWithCallback", Sound_PlayStreamWithCallback)
        .AddStaticMethod("KillSound", Sound_KillSound)
        .AddStaticMethod("IsAlive", Sound_IsAlive)
        .AddStaticMethod("SetVolume", IntAndFloatNative<Sound::SetVolume>)
        .AddStaticMethod("SetTypeMasterVolume", IntAndFloatNative<Sound::SetTypeMasterVolume>)
        .AddStaticMethod("SetPosition", Sound_SetPosition)
        .AddStaticMethod("SetListenerPosition", Sound_SetListenerPosition)
        .AddStaticMethod("SetListenerOrientation", Sound_SetListenerOrientation)
        .AddStaticMethod("GetMaxVoices", Sound_GetMaxVoices)
        .AddStaticMethod("GetCurrentVoiceCount", Sound_GetCurrentVoiceCount)
        .AddStaticMethod("Dump", Sound_Dump);
}
