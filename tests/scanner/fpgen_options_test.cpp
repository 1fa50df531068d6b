#include "fpgen_options.h"

#include <gtest/gtest.h>

namespace {

using tervo::fpgen::Options;
using tervo::fpgen::parseOptions;

TEST(FpgenOptions, DefaultsToEightImpressionsOfFingerOne) {
    Options options;
    ASSERT_EQ(parseOptions({"--out", "d"}, options), "");
    EXPECT_EQ(options.outFolder, "d");
    EXPECT_EQ(options.firstFinger, 1);
    EXPECT_EQ(options.lastFinger, 1);
    EXPECT_EQ(options.impressions, 8);
    EXPECT_EQ(options.seed, 0U);
    EXPECT_EQ(options.pngPath, "");
    EXPECT_EQ(options.difficulty, tervo::synth::Difficulty::Typical);
    EXPECT_FALSE(options.help);
    EXPECT_FALSE(options.version);
}

TEST(FpgenOptions, HelpAndVersionNeedNoOtherOption) {
    Options options;
    ASSERT_EQ(parseOptions({"--help"}, options), "");
    EXPECT_TRUE(options.help);
    ASSERT_EQ(parseOptions({"--version"}, options), "");
    EXPECT_TRUE(options.version);
    EXPECT_FALSE(options.help);
    ASSERT_EQ(parseOptions({"--out", "o", "--help"}, options), "");
    EXPECT_TRUE(options.help);
    EXPECT_NE(parseOptions({"--help", "--jobs"}, options), "") << "a bad line stays an error";
}

TEST(FpgenOptions, ReadsEveryOption) {
    Options options;
    ASSERT_EQ(parseOptions({"--fingers", "3-100", "--impressions", "4", "--seed", "99", "--png", "p.png",
                            "--out", "o", "--jobs", "1", "--difficulty", "hard"},
                           options),
              "");
    EXPECT_EQ(options.firstFinger, 3);
    EXPECT_EQ(options.lastFinger, 100);
    EXPECT_EQ(options.impressions, 4);
    EXPECT_EQ(options.seed, 99U);
    EXPECT_EQ(options.pngPath, "p.png");
    EXPECT_EQ(options.jobs, 1);
    EXPECT_EQ(options.difficulty, tervo::synth::Difficulty::Hard);
    ASSERT_EQ(parseOptions({"--out", "o", "--fingers", "7"}, options), "");
    EXPECT_EQ(options.firstFinger, 7);
    EXPECT_EQ(options.lastFinger, 7);
}

TEST(FpgenOptions, RejectsBadCommandLines) {
    Options options;
    EXPECT_NE(parseOptions({}, options), "") << "--out is required";
    EXPECT_NE(parseOptions({"--out"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--fingers", "5-2"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--fingers", "0-2"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--fingers", "1-10000"}, options), "") << "four-digit file names";
    EXPECT_NE(parseOptions({"--out", "o", "--fingers", "a-b"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--impressions", "0"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--seed", "x"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--jobs", "0"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--colour", "red"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--difficulty", "medium"}, options), "");
    EXPECT_NE(parseOptions({"--out", "o", "--difficulty"}, options), "");
}

}  // namespace
