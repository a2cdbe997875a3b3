#include "platform/UserLocale.h"

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

TEST(UserLocale, LoginUserNameIsTheAccountsNameCutToTheBuffer)
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
