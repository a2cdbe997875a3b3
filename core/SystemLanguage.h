#pragma once
// The language the player reads and where its string tables live, chosen from
// the user's locale; and the name of the logged-in user.

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

// The language of the user's locale: LC_ALL, else LC_MESSAGES, else LANG
// (the first that is set and not empty).
int GetSystemLanguage();

// The string folder of a language; "strings/english" for an unknown index.
const char* LanguageStringFolder(int language);
// The index itself, or English for an unknown index.
int LanguageOrEnglish(int language);

// The user's login name, cut to size - 1 characters; empty when unknown.
void GetLoginUserName(char* buffer, int size);
