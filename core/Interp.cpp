#include "core/Interp.h"

#include <cmath>

void Interp::SetDef(const InterpDef* def)
{
    m_def = def;
    m_segment = 0;
    m_slope = 0.0f;
    if (def != nullptr && def->keyCount >= 2)
        SetSegment(0);
}

void Interp::SetSegment(int32_t segment)
{
    m_segment = segment;
    const InterpKey& a = m_def->keys[segment];
    const InterpKey& b = m_def->keys[segment + 1];
    const float span = b.time - a.time;
    // Two keys at one time make a jump, not a division by zero.
    m_slope = span != 0.0f ? (b.value - a.value) / span : 0.0f;
}

float Interp::EvaluateAt(float t)
{
    if (m_def == nullptr || m_def->keyCount <= 0)
        return 0.0f;
    const int32_t n = m_def->keyCount < InterpDef::kMaxKeys ? m_def->keyCount : InterpDef::kMaxKeys;
    const InterpKey* keys = m_def->keys;
    if (keys[0].time >= t)
        return keys[0].value;
    if (t >= keys[n - 1].time)
        return keys[n - 1].value;
    const int32_t i = m_segment;
    // The definition may have been cleared and refilled since the cursor was bound.
    if (i < 0 || i > n - 2 || !(keys[i].time <= t && t < keys[i + 1].time))
        FindSegment(t);
    return (t - keys[m_segment].time) * m_slope + keys[m_segment].value;
}

void Interp::FindSegment(float t)
{
    const int32_t n = m_def->keyCount < InterpDef::kMaxKeys ? m_def->keyCount : InterpDef::kMaxKeys;
    const InterpKey* keys = m_def->keys;
    if (m_segment < 0 || m_segment > n - 2)
        m_segment = 0;
    if (n < 2)
        return;
    const int32_t i = m_segment;
    int32_t k = t >= keys[i + 1].time ? i + 2 : 0;
    for (; k < n - 1; ++k)
    {
        if (keys[k].time >= t)
        {
            // A key at t itself ends the segment before it; at k = 0 there is none.
            SetSegment(k > 0 ? k - 1 : 0);
            return;
        }
    }
    if (keys[n - 2].time <= t && t < keys[n - 1].time)
        SetSegment(n - 2);
    else
        SetSegment(m_segment);
}

float Interp::GetVatTLooped(float t)
{
    if (m_def == nullptr || !m_def->HasUsableLoop())
        return EvaluateAt(t);
    const float tb = m_def->keys[m_def->loopBegin].time;
    const float te = m_def->keys[m_def->loopEnd].time;
    if (t <= te)
        return EvaluateAt(t);
    const float period = te - tb;
    const float last = tb + static_cast<float>(m_def->loopCount) * period;
    if (t < last)
    {
        const float q = (t - tb) / period;
        return EvaluateAt(tb + (q - std::floor(q)) * period);
    }
    return EvaluateAt(te + (t - last));
}
