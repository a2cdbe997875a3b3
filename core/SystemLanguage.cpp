#include "core/SystemLanguage.h"

#include "core/LogError.h"

namespace
{
struct LanguageInfo
{
    const char* code; // ISO 639-1, the part of a locale name before '_', '.' or '@'
    int language;
    const char* folder;
};

const LanguageInfo kLanguages[] = {
    {"en", kLanguageEnglish, "strings/english"}, {"fr", kLanguageFrench, "strings/french"},
    {"es", kLanguageSpanish, "strings/spanish"}, {"de", kLanguageGerman, "strings/german"},
    {"it", kLanguageItalian, "strings/italian"},
};

const LanguageInfo* FindLanguage(int language)
{
    for (const LanguageInfo& info : kLanguages)
        if (info.language == language)
            return &info;
    return nullptr;
}

bool IsCodeEnd(char c)
{
    return c == 0 || c == '_' || c == '.' || c == '@' || c == '-';
}

bool LocaleHasCode(const char* locale, const char* code)
{
    for (int i = 0; i < 2; ++i)
    {
        char c = locale[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != code[i])
            return false;
    }
    return IsCodeEnd(locale[2]);
}
} // namespace

int LanguageFromLocale(const char* locale)
{
    for (const LanguageInfo& info : kLanguages)
        if (locale && LocaleHasCode(locale, info.code))
            return info.language;
    EmptyFunction("Current Language not supported, defaulting to english\n");
    return kLanguageEnglish;
}

const char* LanguageStringFolder(int language)
{
    return FindLanguage(LanguageOrEnglish(language))->folder;
}

int LanguageOrEnglish(int language)
{
    return FindLanguage(language) ? language : kLanguageEnglish;
}
