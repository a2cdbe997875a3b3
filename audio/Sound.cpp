#include "audio/Sound.h"

#include "audio/AudioDevice.h"
#include "audio/SoundDefinition.h"
#include "core/Hash.h"
#include "core/LogError.h"

#include <AL/al.h>

#include <cfloat>
#include <cmath>

namespace
{
// A stream keeps two pieces queued, a plain sound one; room for a few more.
constexpr int kMaxQueuedBuffers = 8;
constexpr int kSoundTypeCount = 3;
// Pieces of the wrong format a stream skips in a row before it waits for the next step.
constexpr int kMaxSkippedPieces = 3;

struct SourceRecord
{
    uint32_t source = 0; // OpenAL source name, 0 = none
    float gain = 0.0f;   // the definition's volume x the voice gain last applied
    int32_t channels = 0;
    uint8_t positional = 0;
    float fadeRate = 0.0f; // gain per second; 0 = not fading
    // What the source was given, so the manual gain needs no read-back.
    float volume = 1.0f; // the definition's
    uint32_t rate = 0;
    Vec3 position = Vec3(0.0f, 0.0f, 0.0f);
    float referenceDistance = 1.0f;
    float maxDistance = FLT_MAX;
    // The buffers on the source's queue, oldest first.
    uint32_t queued[kMaxQueuedBuffers] = {};
    int queuedCount = 0;
};

struct Voice
{
    SourceRecord* record = nullptr;
    uint8_t active = 0;
    SoundVoiceId id = SOUNDID_INVALID;
    float priority = 0.0f; // kept, not read: no voice is ever stolen
    uint8_t flag = 0;      // kept, not read
    uint32_t soundHash = 0;
    int32_t type = SST_SOUNDFX;
    float volume = 1.0f;
    SoundStreamCallback callback = nullptr;
    uint32_t user = 0;
};

struct VoiceTable
{
    SourceRecord records[kSoundVoiceCount];
    Voice voices[kSoundVoiceCount];
    int32_t idCounter = 0;
    float masterVolume[kSoundTypeCount] = {1.0f, 1.0f, 1.0f};
    uint8_t mute = 0;
    Vec3 listener = Vec3(0.0f, 0.0f, 0.0f);

    VoiceTable() { Reset(); }
    VoiceTable(const VoiceTable&) = delete;
    VoiceTable& operator=(const VoiceTable&) = delete;

    // In place: each voice keeps pointing at its own record.
    void Reset()
    {
        for (int i = 0; i < kSoundVoiceCount; ++i)
        {
            records[i] = SourceRecord();
            voices[i] = Voice();
            voices[i].record = &records[i];
        }
        idCounter = 0;
        for (float& volume : masterVolume)
            volume = 1.0f;
        mute = 0;
        listener = Vec3(0.0f, 0.0f, 0.0f);
    }
};

VoiceTable g_voices;

// OpenAL refuses negative gains and distances; nonsense counts as silence.
float NonNegative(float value)
{
    return (std::isfinite(value) && value > 0.0f) ? value : 0.0f;
}

bool IsSoundType(int type)
{
    return type >= 0 && type < kSoundTypeCount;
}

bool SourcePlaying(const SourceRecord& record)
{
    if (record.source == 0)
        return false;
    ALint state = AL_STOPPED;
    alGetSourcei(record.source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

// An active voice whose source no longer plays becomes inactive.
bool RefreshActive(Voice& voice)
{
    if (voice.active && !SourcePlaying(*voice.record))
        voice.active = 0;
    return voice.active != 0;
}

Voice* FindVoice(SoundVoiceId id)
{
    for (Voice& voice : g_voices.voices)
        if (voice.active && voice.id == id)
            return RefreshActive(voice) ? &voice : nullptr;
    return nullptr;
}

float ManualGainFactor(const SourceRecord& record)
{
    const Vec3& p = record.position;
    if (p.x == 0.0f && p.y == 0.0f && p.z == 0.0f)
        return 1.0f;
    const float r = record.referenceDistance;
    const float m = record.maxDistance;
    if (r == m)
        return 1.0f;
    float d = Vec3Length(p - g_voices.listener);
    d = std::fmax(r, std::fmin(m, d));
    const float denominator = r + kSoundRolloff * (d - r);
    return denominator > 0.0f ? r / denominator : 1.0f;
}

// Sources of two channels are not attenuated by OpenAL: the same rule by hand.
void ApplyManualGain(const SourceRecord& record)
{
    alSourcef(record.source, AL_GAIN, record.gain * ManualGainFactor(record));
}

void SetRecordGain(SourceRecord& record)
{
    if (record.source == 0)
        return;
    if (record.channels < 2)
        alSourcef(record.source, AL_GAIN, record.gain);
    else
        ApplyManualGain(record);
}

void ApplyVoiceGain(Voice& voice)
{
    const float gain = g_voices.mute ? 0.0f : g_voices.masterVolume[voice.type] * voice.volume;
    voice.record->gain = voice.record->volume * gain;
    SetRecordGain(*voice.record);
}

void StopSource(SourceRecord& record)
{
    if (record.source != 0)
    {
        alSourceStop(record.source);
        alDeleteSources(1, &record.source);
    }
    record.source = 0;
    record.fadeRate = 0.0f;
    record.queuedCount = 0;
}

void FadeSource(SourceRecord& record, float time)
{
    if (!SourcePlaying(record) || record.fadeRate != 0.0f)
        return;
    // A voice already silent has nothing to fade: a rate of 0 would keep it forever.
    if (std::isfinite(time) && time > 0.0f && record.gain > 0.0f)
        record.fadeRate = record.gain / time;
    else
        StopSource(record);
}

void QueueBuffer(SourceRecord& record, uint32_t buffer)
{
    if (buffer == 0 || record.queuedCount == kMaxQueuedBuffers)
        return;
    ALuint name = buffer;
    alSourceQueueBuffers(record.source, 1, &name);
    record.queued[record.queuedCount++] = buffer;
}

void StartSource(SourceRecord& record, uint32_t soundHash)
{
    const int index = SoundDefFind(soundHash);
    const SoundBufferRecord& buffer = SoundBufferGet(index);
    StopSource(record);
    alGetError(); // so that only this call's failure is read below
    alGenSources(1, &record.source);
    if (alGetError() != AL_NO_ERROR)
    {
        record.source = 0;
        return;
    }
    const uint32_t source = record.source;
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_GAIN, buffer.volume);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(source, AL_ROLLOFF_FACTOR, kSoundRolloff);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSourcei(source, AL_LOOPING, buffer.looping ? AL_TRUE : AL_FALSE);
    QueueBuffer(record, buffer.buffer);
    record.channels = buffer.channels;
    record.rate = buffer.rate;
    record.volume = buffer.volume;
    record.gain = buffer.volume;
    record.positional = 0;
    record.fadeRate = 0.0f;
    record.position = Vec3(0.0f, 0.0f, 0.0f);
    record.referenceDistance = 1.0f;
    record.maxDistance = FLT_MAX;
    alSourcePlay(source);
}

Voice* TakeFreeVoice()
{
    for (Voice& voice : g_voices.voices)
        if (!voice.active)
            return &voice;
    for (Voice& voice : g_voices.voices)
        if (!RefreshActive(voice))
            return &voice;
    return nullptr;
}

// A stream piece must match the format of what its source already plays.
bool QueueStreamPiece(SourceRecord& record, uint32_t soundHash)
{
    if (SoundDefCount() == 0)
        return false;
    const int index = SoundDefFind(soundHash);
    const SoundBufferRecord& buffer = SoundBufferGet(index);
    if (buffer.buffer == 0)
        return false;
    if (int32_t(buffer.channels) != record.channels || buffer.rate != record.rate)
    {
        LogError("Pendrel Audio stream piece %s differs in format from its stream; skipped.\n",
                 SoundDefGet(index).fileName.c_str());
        return false;
    }
    QueueBuffer(record, buffer.buffer);
    return true;
}

// Whether a voice still runs the stream it ran before its callback was asked:
// the callback may have stopped the voice or started another sound in its slot.
bool StreamUnchanged(const Voice& voice, SoundVoiceId id, SoundStreamCallback callback, uint32_t source)
{
    return voice.id == id && voice.callback == callback && voice.record->source == source && source != 0;
}

void UnqueueProcessed(SourceRecord& record, int processed)
{
    if (processed > record.queuedCount)
        processed = record.queuedCount;
    ALuint names[kMaxQueuedBuffers];
    alSourceUnqueueBuffers(record.source, processed, names);
    for (int i = processed; i < record.queuedCount; ++i)
        record.queued[i - processed] = record.queued[i];
    record.queuedCount -= processed;
}

// Asks the stream's callback for its next piece and queues it. A piece the
// source cannot take is skipped and the callback asked again, a few times at
// most; an answer of 0 queues nothing. False also when the callback stopped
// the voice or started another sound in its slot: the stream is over.
bool AskForPiece(Voice& voice, bool& queued)
{
    const SoundVoiceId id = voice.id;
    const SoundStreamCallback callback = voice.callback;
    const uint32_t source = voice.record->source;
    for (int attempt = 0; attempt <= kMaxSkippedPieces; ++attempt)
    {
        const uint32_t next = callback(voice.user);
        if (!StreamUnchanged(voice, id, callback, source))
            return false;
        if (next == 0)
            return true;
        if (QueueStreamPiece(*voice.record, next))
        {
            queued = true;
            return true;
        }
    }
    return true;
}

// One piece asked for each buffer that finished, so a stall refills the whole
// queue and a stream that ran dry while its supply goes on starts again.
void StepStream(Voice& voice)
{
    SourceRecord& record = *voice.record;
    if (record.source == 0 || !voice.callback)
        return;
    ALint processed = 0;
    alGetSourcei(record.source, AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0)
        return;
    UnqueueProcessed(record, processed);
    bool queued = false;
    for (int i = 0; i < processed; ++i)
        if (!AskForPiece(voice, queued))
            return;
    if (queued && !SourcePlaying(record))
    {
        alSourcePlay(record.source);
        voice.active = 1;
    }
}

void StepFade(SourceRecord& record, float seconds)
{
    if (record.fadeRate == 0.0f || !SourcePlaying(record))
        return;
    record.gain -= record.fadeRate * seconds;
    if (record.gain <= 0.0f)
        StopSource(record);
    else
        SetRecordGain(record);
}

void RefreshAllGains()
{
    for (Voice& voice : g_voices.voices)
        if (RefreshActive(voice))
            ApplyVoiceGain(voice);
}
} // namespace

SoundVoiceId Sound::PlaySound(uint32_t soundHash, float priority, uint8_t flag, int type)
{
    // No device, or no sound to play: no voice.
    if (!AudioHasDevice() || SoundDefCount() == 0)
        return SOUNDID_INVALID;
    Voice* voice = TakeFreeVoice();
    if (!voice)
        return SOUNDID_INVALID;
    voice->priority = priority;
    voice->active = 1;
    voice->id = ++g_voices.idCounter;
    voice->volume = 1.0f;
    voice->flag = flag;
    voice->soundHash = soundHash;
    voice->type = IsSoundType(type) ? type : SST_SOUNDFX;
    voice->callback = nullptr;
    voice->user = 0;
    StartSource(*voice->record, soundHash);
    ApplyVoiceGain(*voice);
    return voice->id;
}

SoundVoiceId Sound::PlayStreamWithCallback(SoundStreamCallback callback, uint32_t user, float priority,
                                           int type)
{
    if (!callback || !AudioHasDevice())
        return SOUNDID_INVALID;
    const uint32_t first = callback(user);
    if (first == 0)
        return SOUNDID_INVALID;
    const SoundVoiceId id = PlaySound(first, priority, 0, type);
    Voice* voice = FindVoice(id);
    if (!voice)
        return id;
    voice->callback = callback;
    voice->user = user;
    SourceRecord& record = *voice->record;
    // A stream goes on by its queue; a looping first piece would hold it forever.
    alSourcei(record.source, AL_LOOPING, AL_FALSE);
    bool queued = false;
    if (AskForPiece(*voice, queued))
        ApplyVoiceGain(*voice);
    return id;
}

void Sound::KillSound(SoundVoiceId id, float time)
{
    Voice* voice = FindVoice(id);
    if (!voice)
        return;
    if (time == 0.0f)
        StopSource(*voice->record);
    else
        FadeSource(*voice->record, time);
}

void Sound::SetVolume(SoundVoiceId id, float volume)
{
    Voice* voice = FindVoice(id);
    if (!voice)
        return;
    voice->volume = NonNegative(volume);
    ApplyVoiceGain(*voice);
}

void Sound::SetPosition(SoundVoiceId id, const Vec3& position)
{
    Voice* voice = FindVoice(id);
    if (!voice || !voice->record->positional)
        return;
    SourceRecord& record = *voice->record;
    record.position = position;
    alSource3f(record.source, AL_POSITION, position.x, position.y, position.z);
    if (record.channels >= 2)
        ApplyManualGain(record);
}

bool Sound::IsAlive(SoundVoiceId id)
{
    return FindVoice(id) != nullptr;
}

int Sound::GetCurrentVoiceCount()
{
    int count = 0;
    for (const SourceRecord& record : g_voices.records)
        if (SourcePlaying(record))
            ++count;
    return count;
}

void Sound::SetTypeMasterVolume(int type, float volume)
{
    if (!IsSoundType(type))
        return;
    g_voices.masterVolume[type] = NonNegative(volume);
    RefreshAllGains();
}

void Sound::SetListenerPosition(const Vec3& position)
{
    g_voices.listener = position;
    if (!AudioHasDevice())
        return;
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    for (const SourceRecord& record : g_voices.records)
        if (record.source != 0 && record.channels >= 2)
            ApplyManualGain(record);
}

void Sound::SetListenerOrientation(const Vec3& at, const Vec3& up)
{
    if (!AudioHasDevice())
        return;
    const float orientation[6] = {at.x, at.y, at.z, up.x, up.y, up.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

SoundVoiceId PlaySoundByName(const char* name, int type)
{
    const SoundVoiceId id = Sound::PlaySound(HashString(name), 0.0f, 0, type);
    VoiceSet2D(id);
    return id;
}

void VoiceSet3D(SoundVoiceId id)
{
    Voice* voice = FindVoice(id);
    if (!voice)
        return;
    voice->record->positional = 1;
    alSourcei(voice->record->source, AL_SOURCE_RELATIVE, AL_FALSE);
}

void VoiceSet2D(SoundVoiceId id)
{
    Voice* voice = FindVoice(id);
    if (!voice)
        return;
    SourceRecord& record = *voice->record;
    record.positional = 0;
    record.position = Vec3(0.0f, 0.0f, 0.0f);
    alSourcei(record.source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(record.source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    if (record.channels >= 2)
        ApplyManualGain(record);
}

void VoiceSetDistance(SoundVoiceId id, float distance)
{
    Voice* voice = FindVoice(id);
    if (!voice)
        return;
    SourceRecord& record = *voice->record;
    distance = NonNegative(distance);
    record.referenceDistance = distance * kSoundReferencePerDistance;
    record.maxDistance = distance;
    alSourcef(record.source, AL_REFERENCE_DISTANCE, record.referenceDistance);
    alSourcef(record.source, AL_MAX_DISTANCE, record.maxDistance);
    if (record.channels >= 2)
        ApplyManualGain(record);
}

void AudioSetMute(bool mute)
{
    if (uint8_t(mute) == g_voices.mute)
        return;
    g_voices.mute = uint8_t(mute);
    RefreshAllGains();
}

bool AudioIsMuted()
{
    return g_voices.mute != 0;
}

void AudioStep(float seconds)
{
    if (!AudioHasDevice())
        return;
    seconds = NonNegative(seconds);
    for (Voice& voice : g_voices.voices)
        StepStream(voice);
    for (SourceRecord& record : g_voices.records)
        StepFade(record, seconds);
}

void VoicesStopOnBuffer(uint32_t buffer)
{
    for (SourceRecord& record : g_voices.records)
        for (int i = 0; i < record.queuedCount; ++i)
            if (record.queued[i] == buffer)
            {
                StopSource(record);
                break;
            }
}

void VoicesStopAll()
{
    for (SourceRecord& record : g_voices.records)
        StopSource(record);
}

void VoicesReset()
{
    VoicesStopAll();
    g_voices.Reset();
}

void ListenerReset()
{
    g_voices.listener = Vec3(0.0f, 0.0f, 0.0f);
    const float orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alListenerfv(AL_ORIENTATION, orientation);
}
