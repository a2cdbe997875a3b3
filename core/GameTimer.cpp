#include "core/GameTimer.h"

#include "core/LogError.h"

namespace
{
float g_channels[kGameTimeChannels] = {0.0f, 0.0f};

float& Channel(uint32_t channel)
{
    return g_channels[channel < kGameTimeChannels ? channel : 0];
}
} // namespace

void GameTimeChannelAdvance(uint32_t channel, float seconds)
{
    Channel(channel) += seconds;
}

float GameTimeChannelNow(uint32_t channel)
{
    return Channel(channel);
}

void GameTimeChannelsReset()
{
    for (float& channel : g_channels)
        channel = 0.0f;
}

GameTimer::GameTimer(uint32_t channel) : m_channel(channel < kGameTimeChannels ? channel : 0) {}

void GameTimer::Start()
{
    m_started = 1;
    m_start = Channel(m_channel);
}

float GameTimer::GetTime() const
{
    if (!m_started)
    {
        EmptyFunction("GameTimer read before it was started\n");
        return 0.0f;
    }
    return Channel(m_channel) - m_start;
}

void GameTimer::AddTime(float seconds)
{
    m_start -= seconds;
}
