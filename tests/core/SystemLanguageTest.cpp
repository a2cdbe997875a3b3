#include "core/SystemLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace
{
const char* const kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

// Saves the locale variables and clears them; restores them afterwards.
class LocaleEnvironment : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
        {
            const char* value = getenv(kLocaleVariables[i]);
            m_saved[i] = value ? value : "";
            m_wasSet[i] = value != nullptr;
            unsetenv(kLocaleVariables[i]);
        }
    }

    void TearDown() override
    {
        for (int i = 0; i < 3; ++i)
        {
            if (m_wasSet[i])
                setenv(kLocaleVariables[i], m_saved[i].c_str(), 1);
            else
                unsetenv(kLocaleVariables[i]);
        }
    }

private:
    std::string m_saved[3];
    bool m_wasSet[3] = {};
};

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

TEST_F(LocaleEnvironment, EachVariableAloneChoosesTheLanguage)
{
    for (const char* variable : kLocaleVariables)
    {
        setenv(variable, "it_IT.UTF-8", 1);
        EXPECT_EQ(GetSystemLanguage(), kLanguageItalian) << variable;
        unsetenv(variable);
    }
    EXPECT_EQ(GetSystemLanguage(), kLanguageEnglish);
}

TEST_F(LocaleEnvironment, LcAllOverridesLcMessagesOverridesLang)
{
    setenv("LANG", "fr_FR.UTF-8", 1);
    setenv("LC_MESSAGES", "es_ES.UTF-8", 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetSystemLanguage(), kLanguageGerman);
    unsetenv("LC_ALL");
    EXPECT_EQ(GetSystemLanguage(), kLanguageSpanish);
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(GetSystemLanguage(), kLanguageFrench);
}

TEST_F(LocaleEnvironment, EmptyVariableCountsAsUnset)
{
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "", 1);
    setenv("LANG", "es_ES", 1);
    EXPECT_EQ(GetSystemLanguage(), kLanguageSpanish);
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

TEST(SystemLanguage, LoginUserNameIsTheAccountsNameCutToTheBuffer)
{
    const passwd* entry = getpwuid(getuid());
    const char* user = getenv("USER");
    const std::string expected = entry ? entry->pw_name : (user ? user : "");
    char buffer[256];
    GetLoginUserName(buffer, sizeof buffer);
    EXPECT_EQ(buffer, expected);

    char small[3] = {'?', '?', '?'};
    GetLoginUserName(small, 2);
    EXPECT_EQ(std::string(small), expected.substr(0, 1));
    EXPECT_EQ(small[2], '?');
}
} // namespace
