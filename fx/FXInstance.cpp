#include "fx/FXInstance.h"

#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXSystem.h"
#include "fx/FXelementBase.h"
#include "fx/FxAnchorTable.h"

#include <cmath>

float FXInstance::ElementAge(const FXElementDef& element) const
{
    return elementTimer.GetTime() - element.startDelay;
}

void FXInstance::CheckElementsFinished()
{
    for (const FXElementNode* node = elements; node != nullptr; node = node->next)
        if (ElementAge(*node->def) <= node->def->lifeTime)
            return;
    dead = 1;
}

void FXInstance::Update(float dt)
{
    fade.Update(dt);
    Vec3 translation = Mat4GetTranslation(matrix) + velocity * dt;
    Mat4SetTranslation(matrix, translation);
    bool unfinished = false;
    for (FXElementNode* node = elements; node != nullptr; node = node->next)
    {
        const float age = ElementAge(*node->def);
        if (age > node->def->lifeTime)
            continue;
        unfinished = true;
        if (age >= 0.0f && node->element != nullptr)
            node->element->Update(dt);
    }
    if (!unfinished)
        dead = 1;
    if (!dead && fadingOut)
    {
        const float time = fadeOutTimer.GetTime();
        if (time >= fadeOutTime)
        {
            dead = 1;
        }
        else
        {
            const float ramp = 1.0f - time / fadeOutTime;
            if (fade.GetValue() > ramp)
                fade.Place(ramp);
        }
    }
    position = Mat4GetTranslation(matrix);
}

void FXInstance::SetFadeNow(float value)
{
    if (!fadingOut)
        fade.Place(value);
}

void FXInstance::SetFadeDestination(float value)
{
    if (!fadingOut)
        fade.SetDestination(value);
}

bool FXInstance::NearestAnchorDistanceSquared(float& distanceSquared) const
{
    const int anchor = FxAnchorFindNearest(position);
    if (anchor < 0)
        return false;
    distanceSquared = Vec3LengthSquared(FxAnchorGetPosition(anchor) - position);
    return true;
}

float FXInstance::LodFromDistanceSquared(float d2) const
{
    const float scale = FXGetLodScale();
    const float high = def->lodHighDistance;
    const float low = def->lodLowDistance;
    if (d2 < high * high)
        return scale;
    // With LOW not above HIGH there is no falling stretch: a step at HIGH.
    if (d2 > low * low || low <= high)
        return 0.0f;
    return scale - (std::sqrt(d2) - high) * scale / (low - high);
}

void FXInstance::LoseAnchor()
{
    SetFadeNow(0.0f);
    lod = 0.0f;
    if (def->dieWhenFaded)
        dead = 1;
}

void FXInstance::EvaluateDistanceFirst()
{
    float d2 = 0.0f;
    if (!NearestAnchorDistanceSquared(d2))
    {
        LoseAnchor();
    }
    else if (d2 < def->fadeInDistance * def->fadeInDistance)
    {
        SetFadeNow(1.0f);
        lod = LodFromDistanceSquared(d2);
    }
    else
    {
        SetFadeNow(0.0f);
        lod = 0.0f;
    }
    lodEvaluated = 1;
}

void FXInstance::EvaluateDistance()
{
    float d2 = 0.0f;
    if (!NearestAnchorDistanceSquared(d2))
    {
        LoseAnchor();
    }
    else if (fade.GetValue() == 0.0f)
    {
        lod = 0.0f;
        if (d2 < def->fadeInDistance * def->fadeInDistance)
            SetFadeDestination(1.0f);
    }
    else if (d2 > def->fadeOutDistance * def->fadeOutDistance)
    {
        lod = 0.0f;
        SetFadeDestination(0.0f);
    }
    else
    {
        lod = LodFromDistanceSquared(d2);
    }
}

void FXInstance::KillInstant()
{
    dead = 1;
    for (FXElementNode* node = elements; node != nullptr; node = node->next)
        if (node->element != nullptr)
            node->element->KillInstant();
}

void FXInstance::KillByFadeOut(float seconds)
{
    if (fadingOut)
        return;
    fadingOut = 1;
    fadeOutTime = seconds;
    fadeOutTimer.Start();
    for (FXElementNode* node = elements; node != nullptr; node = node->next)
        if (node->element != nullptr)
            node->element->KillByFadeOut(seconds);
}

void FXInstance::Destroy()
{
    alive = 0;
    FXElementNode* node = elements;
    elements = nullptr;
    while (node != nullptr)
    {
        FXElementNode* next = node->next;
        if (node->element != nullptr)
        {
            node->element->Stop();
            FXReleaseElement(node->def->type, node->element);
            node->element = nullptr;
        }
        node->next = nullptr;
        FXReleaseNode(node);
        node = next;
    }
}

int FXInstance::CountElements() const
{
    int count = 0;
    for (const FXElementNode* node = elements; node != nullptr; node = node->next)
        ++count;
    return count;
}
