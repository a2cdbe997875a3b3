#pragma once
// The native object of the script class "BasicText": the font shared through
// the font cache, let go with the instance. Without a display there is no
// font, and measures are 0.

#include "core/FixedString.h"
#include "frontend/BasicText.h"

struct ScriptBasicText
{
    BasicText* font = nullptr;
    FixedString256 name;

    ScriptBasicText() = default;
    ScriptBasicText(const ScriptBasicText&) = delete;
    ScriptBasicText& operator=(const ScriptBasicText&) = delete;
    ~ScriptBasicText() { BasicTextRelease(font, name); }
};
