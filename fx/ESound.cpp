#include "fx/ESound.h"

#include "fx/FXDefinitions.h"
#include "fx/FXInstance.h"

void ESound::Start()
{
    // With every voice busy the id is -1 and the calls below do nothing: the
    // effect runs on silently.
    m_voice = Sound::PlaySound(def->soundHash, 1.0f, def->soundLooping, SST_SOUNDFX);
    VoiceSet3D(m_voice);
    VoiceSetDistance(m_voice, def->quietDistance);
    Sound::SetVolume(m_voice, def->soundMaxVolume);
}

void ESound::Update(float)
{
    if (Sound::IsAlive(m_voice))
        Sound::SetPosition(m_voice, owner->position);
}

void ESound::Stop()
{
    if (m_voice != SOUNDID_INVALID)
        Sound::KillSound(m_voice, 0.0f);
    m_voice = SOUNDID_INVALID;
}
