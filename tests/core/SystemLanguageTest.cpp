#include "core/SystemLanguage.h"

#include <gtest/gtest.h>

namespace
{
struct LocaleCase
{
    const char* locale;
    int language;
};

const LocaleCase kLocaleCases[] = {
    {"de_DE.UTF-8", kLanguageGerman},
    {"de_AT", kLanguageGerman},
    {"DE", kLanguageGerman},
    {"en_US.UTF-8", kLanguageEnglish},
    {"en_GB", kLanguageEnglish},
    {"es_ES.UTF-8", kLanguageSpanish},
    {"es_MX", kLanguageSpanish},
    {"fr_FR.UTF-8", kLanguageFrench},
    {"fr_CA@euro", kLanguageFrench},
    {"fr", kLanguageFrench},
    {"it_IT.UTF-8", kLanguageItalian},
    {"it_CH", kLanguageItalian},
    {"pt_BR.UTF-8", kLanguageEnglish},
    {"C", kLanguageEnglish},
    {"POSIX", kLanguageEnglish},
    {"C.UTF-8", kLanguageEnglish},
    {"", kLanguageEnglish},
    {"d", kLanguageEnglish},
    {"dex_DE", kLanguageEnglish},
    {"ita_IT", kLanguageEnglish},
};

TEST(SystemLanguage, LocaleNamesMapToLanguages)
{
    for (const LocaleCase& c : kLocaleCases)
        EXPECT_EQ(LanguageFromLocale(c.locale), c.language) << "'" << c.locale << "'";
    EXPECT_EQ(LanguageFromLocale(nullptr), kLanguageEnglish);
}

TEST(SystemLanguage, FoldersOfTheFiveLanguagesAndEnglishForOthers)
{
    EXPECT_STREQ(LanguageStringFolder(kLanguageEnglish), "strings/english");
    EXPECT_STREQ(LanguageStringFolder(kLanguageFrench), "strings/french");
    EXPECT_STREQ(LanguageStringFolder(kLanguageSpanish), "strings/spanish");
    EXPECT_STREQ(LanguageStringFolder(kLanguageGerman), "strings/german");
    EXPECT_STREQ(LanguageStringFolder(kLanguageItalian), "strings/italian");
    EXPECT_STREQ(LanguageStringFolder(0), "strings/english");
    EXPECT_STREQ(LanguageStringFolder(6), "strings/english");
    EXPECT_EQ(LanguageOrEnglish(6), kLanguageEnglish);
    EXPECT_EQ(LanguageOrEnglish(kLanguageGerman), kLanguageGerman);
}

} // namespace
