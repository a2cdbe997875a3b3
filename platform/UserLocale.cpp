#include "platform/UserLocale.h"

#include "core/StringUtil.h"
#include "core/SystemLanguage.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace
{
// POSIX order of precedence for the messages category; an empty value counts as unset.
const char* UserLocaleName()
{
    const char* const names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names)
    {
        const char* value = getenv(name);
        if (value && value[0])
            return value;
    }
    return "";
}
} // namespace

int GetSystemLanguage()
{
    return LanguageFromLocale(UserLocaleName());
}

void GetLoginUserName(char* buffer, int size)
{
    const passwd* entry = getpwuid(getuid());
    const char* name = entry ? entry->pw_name : getenv("USER");
    StringCopyN(buffer, name ? name : "", size);
}
