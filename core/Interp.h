#pragma once
// A cursor over a keyed curve that remembers the segment it found last, so
// evaluating at slowly growing times costs a comparison instead of a search.

#include "core/InterpDef.h"

#include <cstdint>

class Interp
{
public:
    // Binding is the only thing that resets the cursor.
    void SetDef(const InterpDef* def);
    const InterpDef* GetDef() const { return m_def; }

    // Piecewise linear, clamped to the first and last keys; 0 with no keys or
    // no definition.
    float EvaluateAt(float t);
    // With the repeating stretch; a stretch outside the keys or spanning no
    // time evaluates plainly.
    float GetVatTLooped(float t);
    // Whichever of the two the definition's loop flag asks for.
    float GetVatT(float t) { return m_def != nullptr && m_def->loop ? GetVatTLooped(t) : EvaluateAt(t); }

    void FindSegment(float t);

    int32_t GetSegment() const { return m_segment; }
    float GetSlope() const { return m_slope; }

private:
    void SetSegment(int32_t segment);

    int32_t m_segment = 0;
    float m_slope = 0.0f;
    const InterpDef* m_def = nullptr;
};
