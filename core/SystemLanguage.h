#pragma once
// The languages the player can read and where their string tables live.

enum Language : int
{
    kLanguageEnglish = 1,
    kLanguageFrench = 2,
    kLanguageSpanish = 3,
    kLanguageGerman = 4,
    kLanguageItalian = 5,
};

// The language of a locale name such as "de_DE.UTF-8"; English for a locale
// of any other language.
int LanguageFromLocale(const char* locale);

// The string folder of a language; "strings/english" for an unknown index.
const char* LanguageStringFolder(int language);
// The index itself, or English for an unknown index.
int LanguageOrEnglish(int language);
