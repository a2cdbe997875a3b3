#include "fx/FXelementBase.h"

#include "core/Random.h"
#include "fx/FXDefinitions.h"
#include "fx/FXInstance.h"

float FXelementBase::Age() const
{
    return owner->elementTimer.GetTime() - def->startDelay;
}

float FXRandomUnit()
{
    return static_cast<float>(static_cast<double>(Rand()) / 32767.0);
}
