#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "fault_plan.h"
#include "number_text.h"
#include "scanner_settings.h"

namespace {

using tervo::scanner::FaultPlan;

TEST(NumberText, AcceptsOnlyWholeNumbersInRange) {
    EXPECT_EQ(tervo::scanner::parseInteger("42", 0, 100), 42);
    EXPECT_EQ(tervo::scanner::parseInteger("-7", -10, 0), -7);
    EXPECT_FALSE(tervo::scanner::parseInteger("", 0, 100));
    EXPECT_FALSE(tervo::scanner::parseInteger("12abc", 0, 100));
    EXPECT_FALSE(tervo::scanner::parseInteger(" 12", 0, 100));
    EXPECT_FALSE(tervo::scanner::parseInteger("101", 0, 100));
    EXPECT_FALSE(tervo::scanner::parseInteger("99999999999999999999999", 0, 100));
    EXPECT_EQ(tervo::scanner::parseUnsigned("18446744073709551615"), 18446744073709551615ULL);
    EXPECT_FALSE(tervo::scanner::parseUnsigned("18446744073709551616"));
    EXPECT_FALSE(tervo::scanner::parseUnsigned("-1")) << "strtoull would wrap a minus sign";
}

TEST(FaultPlan, AnswersTheCodeForTheGivenNumberOfCalls) {
    FaultPlan plan;
    ASSERT_EQ(plan.parse("GetFPRawData:-101:2,LIVESCAN_Init:-4"), "");
    EXPECT_EQ(plan.take("GetFPRawData"), -101);
    EXPECT_EQ(plan.take("GetFPRawData"), -101);
    EXPECT_FALSE(plan.take("GetFPRawData"));
    EXPECT_FALSE(plan.take("GetBright"));
    EXPECT_EQ(plan.take("Init"), -4);
    EXPECT_FALSE(plan.take("Init"));
    EXPECT_TRUE(plan.empty());
}

TEST(FaultPlan, NamesTheFirstBadEntry) {
    FaultPlan plan;
    EXPECT_NE(plan.parse("GetFPRawData"), "");
    EXPECT_NE(plan.parse("Frobnicate:-1").find("Frobnicate"), std::string::npos);
    EXPECT_NE(plan.parse("Init:minus one").find("minus one"), std::string::npos);
    EXPECT_NE(plan.parse("Init:-1:0"), "") << "a count of zero injects nothing";
    EXPECT_NE(plan.parse("Init:-1:2:3"), "");
    EXPECT_NE(plan.parse("Init:-1,"), "") << "trailing separator";
    EXPECT_EQ(plan.parse(""), "");
    EXPECT_TRUE(plan.empty());
}

TEST(FaultPlan, RandomFaultsRepeatForASeedAndKeepTheirRate) {
    const auto draws = [](const std::string& text) {
        FaultPlan plan;
        EXPECT_EQ(plan.parseRandom(text), "");
        std::vector<int> codes;
        for (int call = 0; call < 10000; ++call) codes.push_back(plan.take("GetFPRawData").value_or(1));
        return codes;
    };
    const std::vector<int> first = draws("10:42");
    EXPECT_EQ(first, draws("10:42"));
    EXPECT_NE(first, draws("10:43"));
    std::set<int> codes(first.begin(), first.end());
    EXPECT_EQ(codes, (std::set<int>{1, -1, -2, -4, -5, -101}));
    const auto faults = std::count_if(first.begin(), first.end(), [](int code) { return code != 1; });
    EXPECT_GT(faults, 800);
    EXPECT_LT(faults, 1200);

    FaultPlan plan;
    ASSERT_EQ(plan.parse("Init:-7"), "");
    ASSERT_EQ(plan.parseRandom("100"), "");
    EXPECT_EQ(plan.take("Init"), -7) << "a planned fault comes first";
    EXPECT_TRUE(plan.take("Init"));
    EXPECT_NE(plan.parseRandom("101"), "");
    EXPECT_NE(plan.parseRandom("5:x"), "");
    EXPECT_NE(plan.parseRandom("5:1:2"), "");
    EXPECT_TRUE(plan.empty()) << "a refused text leaves no random plan";
}

TEST(LinkLoss, ParsesCountCodeAndDelay) {
    tervo::scanner::LinkLossPlan plan;
    ASSERT_EQ(tervo::scanner::parseLinkLoss("3", plan), "");
    EXPECT_EQ(plan.failingCaptures, 3);
    EXPECT_EQ(plan.code, -1);
    EXPECT_EQ(plan.afterCaptures, 0);
    ASSERT_EQ(tervo::scanner::parseLinkLoss("2:-2:5", plan), "");
    EXPECT_EQ(plan.code, -2);
    EXPECT_EQ(plan.afterCaptures, 5);
    EXPECT_NE(tervo::scanner::parseLinkLoss("2:-3", plan), "") << "only -1 and -2 mean a lost link";
    EXPECT_NE(tervo::scanner::parseLinkLoss("x", plan), "");
    EXPECT_NE(tervo::scanner::parseLinkLoss("1:-1:0:9", plan), "");
    EXPECT_EQ(plan.failingCaptures, 0) << "a rejected plan leaves a steady link";
}

class EnvironmentSettings : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const char* name : {"TERVO_SCANNER_FINGER", "TERVO_SCANNER_SEED", "TERVO_SCANNER_LATENCY_MS",
                                 "TERVO_SCANNER_NO_FINGER", "TERVO_SCANNER_FAULTS", "TERVO_SCANNER_LINK_LOSS",
                                 "TERVO_SCANNER_DIFFICULTY"})
            unsetenv(name);
    }
};

TEST_F(EnvironmentSettings, ReadsGoodValues) {
    setenv("TERVO_SCANNER_FINGER", "17", 1);
    setenv("TERVO_SCANNER_SEED", "123456789012", 1);
    setenv("TERVO_SCANNER_LATENCY_MS", "25", 1);
    setenv("TERVO_SCANNER_NO_FINGER", "1", 1);
    setenv("TERVO_SCANNER_DIFFICULTY", "easy", 1);
    std::ostringstream diagnostics;
    const tervo::scanner::ScannerSettings settings = tervo::scanner::readScannerSettings(diagnostics);
    EXPECT_EQ(diagnostics.str(), "");
    EXPECT_EQ(settings.finger, 17);
    EXPECT_EQ(settings.seed, 123456789012ULL);
    EXPECT_EQ(settings.latencyMs, 25);
    EXPECT_TRUE(settings.noFinger);
    EXPECT_EQ(settings.difficulty, tervo::synth::Difficulty::Easy);
}

TEST_F(EnvironmentSettings, ReportsEachBadValueInOneLineAndKeepsTheDefault) {
    setenv("TERVO_SCANNER_FINGER", "0", 1);
    setenv("TERVO_SCANNER_SEED", "-3", 1);
    setenv("TERVO_SCANNER_NO_FINGER", "yes", 1);
    setenv("TERVO_SCANNER_FAULTS", "Init", 1);
    setenv("TERVO_SCANNER_LINK_LOSS", "1:-9", 1);
    setenv("TERVO_SCANNER_DIFFICULTY", "HARD", 1);
    std::ostringstream diagnostics;
    const tervo::scanner::ScannerSettings settings = tervo::scanner::readScannerSettings(diagnostics);
    const std::string text = diagnostics.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
    for (const char* name : {"TERVO_SCANNER_FINGER", "TERVO_SCANNER_SEED", "TERVO_SCANNER_NO_FINGER",
                             "TERVO_SCANNER_FAULTS", "TERVO_SCANNER_LINK_LOSS", "TERVO_SCANNER_DIFFICULTY"})
        EXPECT_NE(text.find(name), std::string::npos) << name;
    EXPECT_EQ(settings.finger, 1);
    EXPECT_EQ(settings.seed, 0U);
    EXPECT_FALSE(settings.noFinger);
    EXPECT_EQ(settings.faultText, "");
    EXPECT_EQ(settings.linkLoss.failingCaptures, 0);
    EXPECT_EQ(settings.difficulty, tervo::synth::Difficulty::Typical);
}

}  // namespace
