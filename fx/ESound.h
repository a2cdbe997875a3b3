#pragma once
// An effect's sound: one positional voice that follows its instance and
// ends with it.

#include "audio/Sound.h"
#include "fx/FXelementBase.h"

constexpr int kESoundPoolSize = 60;

class ESound : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& /*instanceMatrix*/) override {}
    void Start() override;
    void Stop() override;
    void SetParamScalar(float /*value*/, int32_t /*kind*/) override {}

    SoundVoiceId Voice() const { return m_voice; }

private:
    SoundVoiceId m_voice = SOUNDID_INVALID;
};
