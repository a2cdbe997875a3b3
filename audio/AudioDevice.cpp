#include "audio/AudioDevice.h"

#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "core/LogError.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

namespace
{
struct AudioDeviceState
{
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr; // set for a loopback device only
};

AudioDeviceState g_device;

// The context becomes current with the distance model and the listener of a fresh start.
bool StartContext(const ALCint* attributes)
{
    g_device.context = alcCreateContext(g_device.device, attributes);
    if (!g_device.context || !alcMakeContextCurrent(g_device.context))
    {
        LogError("Pendrel Audio could not create an OpenAL context.\n");
        if (g_device.context)
            alcDestroyContext(g_device.context);
        alcCloseDevice(g_device.device);
        g_device = AudioDeviceState();
        return false;
    }
    alGetError();
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    ListenerReset();
    return true;
}
} // namespace

void AudioSetDistanceModel()
{
    VoicesStopAll();
    // Without a context OpenAL would drop the setting; StartContext sets it then.
    if (g_device.context)
        alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
}

bool AudioOpenDevice()
{
    if (g_device.device)
        return true;
    g_device.device = alcOpenDevice("DirectSound3D");
    if (!g_device.device)
    {
        EmptyFunction("OpenAL could not open DirectSound3D device; trying default device.\n");
        g_device.device = alcOpenDevice(nullptr);
    }
    if (!g_device.device)
    {
        LogError("OpenAL could not open device.\n");
        return false;
    }
    EmptyFunction("OpenAL device opened.\n");
    return StartContext(nullptr);
}

bool AudioOpenLoopbackDevice(uint32_t rate)
{
    if (g_device.device)
        return false;
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
    {
        LogError("Pendrel Audio: OpenAL has no loopback device.\n");
        return false;
    }
    auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto renderSamples =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    g_device.device = (openLoopback && renderSamples) ? openLoopback(nullptr) : nullptr;
    if (!g_device.device)
    {
        LogError("Pendrel Audio could not open a loopback device.\n");
        return false;
    }
    // Plain stereo panning and no limiter, so levels are exactly what the gains say.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 ALCint(rate),
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 ALC_OUTPUT_LIMITER_SOFT,
                                 ALC_FALSE,
                                 0};
    if (!StartContext(attributes))
        return false;
    g_device.renderSamples = renderSamples;
    return true;
}

void AudioRenderSamples(float* stereo, int frames)
{
    if (g_device.renderSamples && frames > 0)
        g_device.renderSamples(g_device.device, stereo, frames);
}

void AudioCloseDevice()
{
    VoicesReset();
    SoundDefClearAll();
    if (!g_device.device)
        return;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(g_device.context);
    alcCloseDevice(g_device.device);
    g_device = AudioDeviceState();
}

bool AudioHasDevice()
{
    return g_device.context != nullptr;
}
