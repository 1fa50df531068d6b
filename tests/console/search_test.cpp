// The one-to-many search, its ranking and the reconnect loop.
#include <unistd.h>

#include <cmath>
#include <limits>
#include <string>

#include "console_test_support.h"
#include "modulapi.h"

using namespace tervo::test;

// The reconnect loop sleeps 100 ms between attempts; this test program
// provides its own usleep so that a hundred attempts take no time. The
// console's own timing is unchanged.
static long long sleptMicroseconds = 0;
extern "C" int usleep(useconds_t us) {
    sleptMicroseconds += us;
    return 0;
}

namespace {

unsigned char live[kFeatureLen];
unsigned char library[kFeatureLen * 4];

struct Ranked {
    int ret;
    int id;
    int score;
    std::string out;
};

Ranked rank(const std::string& matchScript, int num) {
    script(matchScript);
    Ranked r{0, -1, -1, ""};
    r.out = masked(printed([&] { r.ret = FingerMatch1vN(live, library, num, &r.id, &r.score); }));
    return r;
}

TEST(FingerMatch1vN, StrictlyGreaterWinsAndTiesKeepTheEarlierPosition) {
    const Ranked r = rank("FP_FeatureMatch.similarity=0.5,0.7,0.7", 3);
    EXPECT_EQ(r.ret, 0);
    EXPECT_EQ(r.id, 1);
    EXPECT_EQ(r.score, 700) << "0.7f x 1000 is rounded to a float before truncation";
    EXPECT_EQ(r.out, "FeaturSimilaritySort cost # ms\n");
}

TEST(FingerMatch1vN, ScalingAtTheThreshold) {
    EXPECT_EQ(rank("FP_FeatureMatch.similarity=0.6", 1).score, 600);
    EXPECT_EQ(rank("FP_FeatureMatch.similarity=0.6001", 1).score, 600);
    EXPECT_EQ(rank("FP_FeatureMatch.similarity=1", 1).score, 1000);
    EXPECT_EQ(rank("FP_FeatureMatch.similarity=1e30", 1).score, std::numeric_limits<int>::max())
        << "an absurd similarity is clamped, not undefined";
}

TEST(FingerMatch1vN, NothingAboveZeroGivesPositionAndScoreZero) {
    for (const char* similarities : {"0,0,0", "-0.5,-1,0", "nan,nan,nan"}) {
        const Ranked r = rank(std::string("FP_FeatureMatch.similarity=") + similarities, 3);
        EXPECT_EQ(r.ret, 0) << similarities;
        EXPECT_EQ(r.id, 0) << similarities;
        EXPECT_EQ(r.score, 0) << similarities;
    }
    const Ranked r = rank("FP_FeatureMatch.similarity=0.3,nan,0.4", 3);
    EXPECT_EQ(r.id, 2) << "NaN never wins, nor blocks a later winner";
}

TEST(FingerMatch1vN, FailedComparisonsAreNotRanked) {
    // The failing call writes a high similarity: it must not win.
    Ranked r = rank("FP_FeatureMatch=1,-3,1;FP_FeatureMatch.similarity=0.4,0.95,0.5", 3);
    EXPECT_EQ(r.ret, 0);
    EXPECT_EQ(r.id, 2);
    EXPECT_EQ(r.score, 500);

    // A successful call that writes nothing must not repeat the previous value.
    r = rank("FP_FeatureMatch.similarity=0.8,0.1;FP_FeatureMatch.write=1,0,1", 3);
    EXPECT_EQ(r.id, 0);
    EXPECT_EQ(r.score, 800);

    // A failing last comparison no longer hides the earlier successes.
    r = rank("FP_FeatureMatch=1,-1;FP_FeatureMatch.similarity=0.75", 2);
    EXPECT_EQ(r.ret, 0);
    EXPECT_EQ(r.score, 750);
}

TEST(FingerMatch1vN, AllFailingOrNoTemplatesLeaveTheResultUnset) {
    Ranked r = rank("FP_FeatureMatch=-3", 4);
    EXPECT_EQ(r.ret, -1);
    EXPECT_EQ(r.id, -1);
    EXPECT_EQ(r.score, -1);
    for (int num : {0, -2}) {
        r = rank("", num);
        EXPECT_EQ(r.ret, -1);
        EXPECT_EQ(r.id, -1);
        EXPECT_EQ(r.out, "FeaturSimilaritySort cost # ms\n");
    }
}

TEST(WaitForReconnect, OpenMeansOneAndTheBudgetIsKept) {
    script("LIVESCAN_Init=0,-4,1");
    sleptMicroseconds = 0;
    EXPECT_EQ(waitForReconnect(100), 1);
    EXPECT_EQ(sleptMicroseconds, 300000) << "0 is not reopened: three attempts";

    script("LIVESCAN_Init=0");
    sleptMicroseconds = 0;
    EXPECT_EQ(waitForReconnect(5), -1);
    EXPECT_EQ(sleptMicroseconds, 500000);

    sleptMicroseconds = 0;
    EXPECT_EQ(waitForReconnect(0), -1);
    EXPECT_EQ(waitForReconnect(-3), -1);
    EXPECT_EQ(sleptMicroseconds, 0);
}

class Search : public InTempDir {
  protected:
    std::string run(const std::string& text) {
        script(text);
        return masked(printed([] { EXPECT_EQ(PC_Serch(nullptr), nullptr); }));
    }
};

TEST_F(Search, MissingLibraryTouchesNoScanner) {
    EXPECT_EQ(run("LIVESCAN_GetFPRawData=throw:must not be called"), "serch\r\n文件打开失败\r\n");
}

TEST_F(Search, LowQualityIsCapturedAgainThenOneTemplateOf1000Bytes) {
    writeFile("lib.dat", std::string(1000, '\1'));
    const std::string out =
        run("FP_GetQualityScore.score=60,61;FP_FeatureMatch.similarity=0.7,0.99;FP_FeatureExtract=1");
    EXPECT_EQ(out,
              "serch\r\nget fp data\r\n质量分数过低\r\n质量分数 60\r\nget fp data\r\n提取特征成功，耗时# ms\n"
              "FeaturSimilaritySort cost # ms\n验证成功，指纹保存位置ID=0 得分 700  \r\n耗时# ms\n"
              "free libbuffree ImageBuf");
}

TEST_F(Search, ExactlyTheThresholdIsRejected) {
    writeFile("lib.dat", std::string(3 * 512, '\1'));
    const std::string out = run("FP_FeatureMatch.similarity=0.2,0.6,0.6");
    EXPECT_NE(out.find("验证失败，指纹保存位置ID=1 得分 600  \r\n"), std::string::npos) << out;
}

TEST_F(Search, ExtractionFailureEndsTheSearch) {
    writeFile("lib.dat", std::string(512, '\1'));
    EXPECT_EQ(run("FP_FeatureExtract=0"), "serch\r\nget fp data\r\n提取特征失败\r\nfree libbuffree ImageBuf");
}

TEST_F(Search, EmptyLibraryAndFailedComparisonsPrintDefinedValues) {
    writeFile("lib.dat", "");
    std::string out = run("");
    EXPECT_NE(out.find("验证失败，指纹保存位置ID=-1 得分 0  \r\n"), std::string::npos) << out;
    writeFile("lib.dat", std::string(2 * 512, '\1'));
    out = run("FP_FeatureMatch=-3");
    EXPECT_NE(out.find("验证失败，指纹保存位置ID=-1 得分 0  \r\n"), std::string::npos) << out;
}

TEST_F(Search, OtherCaptureResultsAreRetriedLinkLossReconnects) {
    writeFile("lib.dat", std::string(512, '\1'));
    sleptMicroseconds = 0;
    const std::string out = run("LIVESCAN_GetFPRawData=-101,-2,1;LIVESCAN_Init=1");
    EXPECT_EQ(out,
              "serch\r\nget fp data\r\nget fp data\r\ndevice connect error ! Waiting for reconnect \r\n"
              "get fp data\r\n提取特征成功，耗时# ms\nFeaturSimilaritySort cost # ms\n"
              "验证成功，指纹保存位置ID=0 得分 750  \r\n耗时# ms\nfree libbuffree ImageBuf");
    EXPECT_EQ(sleptMicroseconds, 100000);
}

TEST_F(Search, ReconnectGivesUpAfterAHundredAttempts) {
    writeFile("lib.dat", std::string(512, '\1'));
    sleptMicroseconds = 0;
    EXPECT_EQ(
        run("LIVESCAN_GetFPRawData=-1;LIVESCAN_Init=0"),
        "serch\r\nget fp data\r\ndevice connect error ! Waiting for reconnect \r\nfree libbuffree ImageBuf");
    EXPECT_EQ(sleptMicroseconds, 100 * 100000);
}

}  // namespace
