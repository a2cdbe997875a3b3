#pragma once
// Game time: two channels of seconds that advance only inside the steps that
// own them (0 the game's fixed step, 1 the effects step), so every GameTimer
// stands still while the game is paused.

#include <cstdint>

constexpr int kGameTimeChannels = 2;

void GameTimeChannelAdvance(uint32_t channel, float seconds);
float GameTimeChannelNow(uint32_t channel);
void GameTimeChannelsReset();

class GameTimer
{
public:
    explicit GameTimer(uint32_t channel = 0);
    virtual ~GameTimer() = default;

    void Start();
    bool IsStarted() const { return m_started != 0; }
    float GetTime() const;
    void AddTime(float seconds);
    uint32_t GetChannel() const { return m_channel; }

private:
    uint32_t m_channel;
    float m_start = 0.0f;
    uint8_t m_started = 0;
};
