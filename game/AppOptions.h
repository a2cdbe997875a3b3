#pragma once
// The options the application reads from its command line at start-up.

#include "core/FixedString.h"
#include "core/SystemLanguage.h"

#include <cstdint>

struct AppOptions
{
    int language = kLanguageEnglish;
    FixedString128 runFile;
    FixedString64 startupFile;
    bool scriptDebugger = false;
    bool sound = true;
    bool netQuickStartParent = false;
    bool netQuickStartChild = false;
    bool quickStart = false;
    FixedString32 quickStartName;
    int32_t quickStartNumber = 1;
    bool e3 = false;
    bool useMouse = false;
    bool wimpy = false;
    bool logStepTime = false;
    // Steps per due frame with "dorrinhal"; 0 when the option was not given.
    int32_t fixedStepCount = 0;
    bool connectLobby = false;
    uint64_t connectLobbyId = 0;
    bool resetAchievementsAndStats = false;
};

// Reads every option of the stored command line over the given defaults.
// Unknown options are ignored, and an option whose argument is missing or not
// a number keeps its default.
void AppReadOptions(AppOptions& options);
