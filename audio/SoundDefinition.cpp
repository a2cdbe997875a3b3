#include "audio/SoundDefinition.h"

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefFile.h"
#include "audio/WaveFile.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/StringUtil.h"
#include "core/pd_ifstream.h"

#include <AL/al.h>

#include <cmath>
#include <vector>

namespace
{
struct SoundDefTable
{
    SoundDefinition definitions[kMaxSoundDefinitions];
    SoundBufferRecord buffers[kMaxSoundDefinitions];
    int count = 0;
};

SoundDefTable g_sounds;

float VolumeFromWord(const char* word)
{
    if (word[0] == 0)
        return 1.0f;
    const float volume = StringToFloat(word);
    return (std::isfinite(volume) && volume > 0.0f) ? volume : 0.0f;
}

// The system once shipped ".msf" and ".vag" sounds; their wave twins play instead.
FixedString128 WavePathOf(const char* file)
{
    FixedString128 path;
    path.Format("sound/%s", file);
    if (path.EndsWith(".msf") || path.EndsWith(".vag"))
    {
        char* extension = path.data() + path.Length() - 3;
        extension[0] = 'w';
        extension[1] = 'a';
        extension[2] = 'v';
    }
    return path;
}

void FillBuffer(SoundBufferRecord& record, const char* file)
{
    const FixedString128 path = WavePathOf(file);
    std::vector<uint8_t> bytes;
    if (!WaveReadFile(path, bytes))
    {
        EmptyFunction("Could not load sound: %s\n", path.c_str());
        return;
    }
    WaveData wave;
    if (!WaveParse(bytes.data(), bytes.size(), path, wave))
        return;
    const ALenum format = wave.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    alBufferData(record.buffer, format, wave.samples, ALsizei(wave.size), ALsizei(wave.rate));
    record.channels = wave.channels;
    record.rate = wave.rate;
}

bool ReadDefinitionFile(const char* path, const std::function<void(const SoundDefEntry&)>& visit)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open sound def %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> text;
    if (!StreamReadAll(stream, kSoundDefFileBound, text))
        return false;
    stream.Close();
    SoundDefFileRead(reinterpret_cast<const char*>(text.data()), int(text.size()), visit);
    return true;
}

FixedString128 DefinitionPath(const char* folder, const char* file)
{
    FixedString128 path;
    path.Format("%s/%s", folder, file);
    return path;
}
} // namespace

uint32_t SoundHash(const char* name)
{
    return HashString(name);
}

bool SoundDefLoadPath(const char* folder, const char* file)
{
    return ReadDefinitionFile(DefinitionPath(folder, file), [](const SoundDefEntry& entry)
                              { SoundDefAdd(entry.name, entry.file, entry.looping, entry.volume); });
}

bool SoundDefUnloadPath(const char* folder, const char* file)
{
    return ReadDefinitionFile(DefinitionPath(folder, file),
                              [](const SoundDefEntry& entry) { SoundDefRemove(entry.name); });
}

bool SoundDefLoad(const char* file)
{
    return SoundDefLoadPath("sound", file);
}

bool SoundDefUnload(const char* file)
{
    return SoundDefUnloadPath("sound", file);
}

bool SoundDefAdd(const char* name, const char* file, const char* loopingWord, const char* volumeWord)
{
    if (g_sounds.count >= kMaxSoundDefinitions)
    {
        LogError("Pendrel Audio has no room for sound %s: %d sounds are loaded.\n", name,
                 kMaxSoundDefinitions);
        return false;
    }
    SoundDefinition& definition = g_sounds.definitions[g_sounds.count];
    definition.nameHash = HashString(name);
    definition.fileName = file;
    definition.looping = StringEquals(loopingWord, "TRUE") ? 1 : 0;
    definition.volume = VolumeFromWord(volumeWord);

    SoundBufferRecord& record = g_sounds.buffers[g_sounds.count];
    record = SoundBufferRecord();
    record.looping = uint8_t(definition.looping);
    record.volume = definition.volume;
    // Without a device no OpenAL call is made: the sound stays silent.
    if (AudioHasDevice())
    {
        alGenBuffers(1, &record.buffer);
        FillBuffer(record, definition.fileName);
    }
    ++g_sounds.count;
    return true;
}

void SoundDefRemove(const char* name)
{
    const uint32_t hash = HashString(name);
    int index = 0;
    while (index < g_sounds.count && g_sounds.definitions[index].nameHash != hash)
        ++index;
    if (index == g_sounds.count)
        return;
    SoundBufferRecord& record = g_sounds.buffers[index];
    if (record.buffer != 0)
    {
        // A buffer still attached to a source cannot be deleted.
        VoicesStopOnBuffer(record.buffer);
        alDeleteBuffers(1, &record.buffer);
    }
    for (int i = index; i + 1 < g_sounds.count; ++i)
    {
        g_sounds.buffers[i] = g_sounds.buffers[i + 1];
        g_sounds.definitions[i] = g_sounds.definitions[i + 1];
    }
    --g_sounds.count;
}

int SoundDefFind(uint32_t hash)
{
    for (int i = 0; i < g_sounds.count; ++i)
        if (g_sounds.definitions[i].nameHash == hash)
            return i;
    EmptyFunction("Count Not find sound definition for hash %d \n", int(hash));
    return 0;
}

int SoundDefCount()
{
    return g_sounds.count;
}

const SoundDefinition& SoundDefGet(int index)
{
    return g_sounds.definitions[index];
}

const SoundBufferRecord& SoundBufferGet(int index)
{
    return g_sounds.buffers[index];
}

void SoundDefClearAll()
{
    for (int i = 0; i < g_sounds.count; ++i)
        if (g_sounds.buffers[i].buffer != 0)
            alDeleteBuffers(1, &g_sounds.buffers[i].buffer);
    g_sounds.count = 0;
}
