#pragma once
// Sixteen voices over OpenAL. A voice plays one sound definition (known by
// its name hash) on its own source: two-dimensional (fixed to the listener)
// or positional, or as a stream whose next piece a callback picks. Each voice
// has a sound type whose master volume scales it; a global mute silences all;
// a voice stops at once or fades out over time. OpenAL attenuates mono
// sources by distance itself; for sources of two channels the same
// inverse-distance-clamped rule is applied here, by hand, to their gain.
//
// Voices are named by ids that only grow; a call with an id that is not an
// active voice does nothing.

#include "core/Vec3.h"

#include <cstdint>

using SoundVoiceId = int32_t;
constexpr SoundVoiceId SOUNDID_INVALID = -1;

enum SoundType : int32_t
{
    SST_SOUNDFX = 0,
    SST_MUSIC = 1,
    SST_FEFX = 2,
};

constexpr int kSoundVoiceCount = 16;
// Reference distance per unit of a sound's audible distance.
constexpr float kSoundReferencePerDistance = 0.0158f;
constexpr float kSoundRolloff = 0.5f;

// Gives the hash of the next piece of a stream, 0 for none.
using SoundStreamCallback = uint32_t (*)(uint32_t user);

class Sound
{
public:
    // A new voice id, or -1 when all 16 voices play (or no sound can play).
    static SoundVoiceId PlaySound(uint32_t soundHash, float priority, uint8_t flag, int type);
    static SoundVoiceId PlayStreamWithCallback(SoundStreamCallback callback, uint32_t user, float priority,
                                               int type);
    // Time 0 stops at once; otherwise the voice fades out over that time.
    static void KillSound(SoundVoiceId id, float time);
    static void SetVolume(SoundVoiceId id, float volume);
    // Moves a positional voice; a two-dimensional one stays where it is.
    static void SetPosition(SoundVoiceId id, const Vec3& position);
    static bool IsAlive(SoundVoiceId id);
    static int GetMaxVoices() { return kSoundVoiceCount; }
    static int GetCurrentVoiceCount();
    static void SetTypeMasterVolume(int type, float volume);
    static void SetListenerPosition(const Vec3& position);
    static void SetListenerOrientation(const Vec3& at, const Vec3& up);
};

// Plays the sound of that name as a two-dimensional voice.
SoundVoiceId PlaySoundByName(const char* name, int type);
void VoiceSet3D(SoundVoiceId id);
void VoiceSet2D(SoundVoiceId id);
// Reference distance = distance x 0.0158, maximum distance = distance.
void VoiceSetDistance(SoundVoiceId id, float distance);
void AudioSetMute(bool mute);
bool AudioIsMuted();
// Once per game step: refills streams, advances fades.
void AudioStep(float seconds);

// Used by the definitions and the device.
// Stops (and frees the sources of) every voice that holds the buffer.
void VoicesStopOnBuffer(uint32_t buffer);
// Stops every voice and returns voices, volumes, mute and listener to their
// state at start.
void VoicesReset();
// The listener's state at a new context.
void ListenerReset();
// Stops every voice (sources are freed when a device is there).
void VoicesStopAll();
