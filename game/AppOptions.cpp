#include "game/AppOptions.h"

#include "core/StringUtil.h"
#include "platform/CommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace
{
constexpr int32_t kDefaultFixedStepCount = 30;

bool ParseInt(const char* text, int32_t& value)
{
    if (!text)
        return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = strtol(text, &end, 10);
    if (end == text || *end != 0 || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseU64(const char* text, uint64_t& value)
{
    if (!text || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = strtoull(text, &end, 10);
    if (*end != 0 || errno == ERANGE)
        return false;
    value = parsed;
    return true;
}

void ReadOption(const char* option, AppOptions& options)
{
    if (StringEquals(option, "run"))
    {
        if (const char* file = CommandLineNextArgument())
            options.runFile.Set(file);
    }
    else if (StringEquals(option, "startup"))
    {
        if (const char* file = CommandLineNextArgument())
            options.startupFile.Set(file);
    }
    else if (StringEquals(option, "sqdebug"))
        options.scriptDebugger = true;
    else if (StringEquals(option, "nosound"))
        options.sound = false;
    else if (StringEquals(option, "netquickstartparent"))
        options.netQuickStartParent = true;
    else if (StringEquals(option, "netquickstartchild"))
        options.netQuickStartChild = true;
    else if (StringEquals(option, "quickstart"))
    {
        const char* name = CommandLineNextArgument();
        if (!name)
            return;
        options.quickStart = true;
        options.quickStartName.Set(name);
        options.quickStartNumber = 1;
        ParseInt(CommandLineNextArgument(), options.quickStartNumber);
    }
    else if (StringEquals(option, "e3"))
        options.e3 = true;
    else if (StringEquals(option, "usemouse"))
        options.useMouse = true;
    else if (StringEquals(option, "wimpy"))
        options.wimpy = true;
    else if (StringEquals(option, "logsteptime"))
        options.logStepTime = true;
    else if (StringEquals(option, "dorrinhal"))
    {
        options.fixedStepCount = kDefaultFixedStepCount;
        int32_t count = 0;
        // An explicit 0 asks for normal stepping; a negative count is ignored.
        if (ParseInt(CommandLineNextArgument(), count) && count >= 0)
            options.fixedStepCount = count;
    }
    else if (StringEquals(option, "connect_lobby"))
        options.connectLobby =
            ParseU64(CommandLineNextArgument(), options.connectLobbyId) || options.connectLobby;
    else if (StringEquals(option, "ResetAchievementsAndStats"))
        options.resetAchievementsAndStats = true;
    else if (StringEquals(option, "italian"))
        options.language = kLanguageItalian;
    else if (StringEquals(option, "french"))
        options.language = kLanguageFrench;
    else if (StringEquals(option, "spanish"))
        options.language = kLanguageSpanish;
    else if (StringEquals(option, "german"))
        options.language = kLanguageGerman;
}
} // namespace

void AppReadOptions(AppOptions& options)
{
    CommandLineReset();
    while (const char* option = CommandLineNextOption())
        ReadOption(option, options);
}
