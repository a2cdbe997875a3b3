#include "core/InterpDef.h"

#include "core/LogError.h"

void InterpDef::Clear()
{
    loop = 0;
    loopBegin = 0;
    loopEnd = 0;
    loopCount = 0;
    keyCount = 0;
}

bool InterpDef::AddKey(float time, float value)
{
    if (keyCount < 0 || keyCount >= kMaxKeys)
    {
        LogError("Curve full: key %d (time %g) refused, a curve holds %d keys\n", keyCount + 1, time, kMaxKeys);
        return false;
    }
    keys[keyCount].time = time;
    keys[keyCount].value = value;
    ++keyCount;
    return true;
}

void InterpDef::SetLoop(int32_t begin, int32_t end, int32_t count)
{
    loop = 1;
    loopBegin = begin;
    loopEnd = end;
    loopCount = count;
}

bool InterpDef::HasUsableLoop() const
{
    if (loopBegin < 0 || loopEnd >= keyCount || loopEnd >= kMaxKeys || loopBegin >= loopEnd)
        return false;
    // Written so that a NaN period is refused too.
    return keys[loopEnd].time - keys[loopBegin].time > 0.0f;
}
