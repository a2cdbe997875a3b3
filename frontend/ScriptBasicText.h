#pragma once
// The native object of the script class "BasicText": the font shared through
// the font cache, let go with the object. Buttons hold one too, which
// scripts view as their `Text`. Without a display there is no font, and
// measures are 0.

#include "core/FixedString.h"
#include "frontend/BasicText.h"
#include "script/ScriptBinding.h"

#include <cstring>

struct ScriptBasicText
{
    BasicText* font = nullptr;
    FixedString256 name;

    ScriptBasicText() = default;
    ScriptBasicText(const ScriptBasicText&) = delete;
    ScriptBasicText& operator=(const ScriptBasicText&) = delete;
    ~ScriptBasicText() { Release(); }

    // The font of the file, through the cache; the old one is let go unless
    // it is the same file. The name is kept even when no font loads.
    void Load(const char* path)
    {
        const char* wanted = path ? path : "";
        if (font && strcmp(name.c_str(), wanted) == 0)
            return;
        Release();
        name = wanted;
        if (!name.IsEmpty())
            font = BasicTextGet(name);
    }
    void Release()
    {
        BasicTextRelease(font, name);
        font = nullptr;
    }
};
PENDREL_SCRIPT_CLASS(ScriptBasicText, "BasicText");
