#include "core/LogError.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_reports;

void Collect(const char* text)
{
    g_reports.emplace_back(text);
}

void ReportAgain(const char* text)
{
    g_reports.emplace_back(text);
    LogError("nested %s", "report");
}

class LogErrorTest : public ::testing::Test
{
protected:
    void SetUp() override { g_reports.clear(); }
    void TearDown() override { SetLogErrorHandler(nullptr); }
};
} // namespace

TEST_F(LogErrorTest, FormatsAndHandsToHandler)
{
    SetLogErrorHandler(Collect);
    LogError("Open terrain %s failed.\n", "hills.chterrain");
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], "Open terrain hills.chterrain failed.\n");
}

TEST_F(LogErrorTest, LongReportIsCutTo1023Characters)
{
    SetLogErrorHandler(Collect);
    const std::string long_text(3000, 'q');
    LogError("%s", long_text.c_str());
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].size(), 1023u);
}

TEST_F(LogErrorTest, NoHandlerDropsTheReport)
{
    SetLogErrorHandler(Collect);
    SetLogErrorHandler(nullptr);
    LogError("dropped");
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(LogErrorTest, HandlerThatReportsAgainIsNotReentered)
{
    SetLogErrorHandler(ReportAgain);
    LogError("first");
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], "first");
    LogError("second");
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[1], "second");
}
