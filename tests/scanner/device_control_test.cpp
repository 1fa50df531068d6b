#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "device_fixture.h"
#include "temp_folder.h"

namespace tervo::test {
namespace {

using ControlTest = DeviceTest;

bool sameImage(const std::vector<std::uint8_t>& captured, const std::vector<std::uint8_t>& expected) {
    return std::equal(expected.begin(), expected.end(), captured.begin());
}

TEST_F(ControlTest, ByDefaultEachCaptureIsANewImpressionOfFingerOne) {
    // Another finger first, so that finger 1 starts again at impression 1.
    set("FINGER", "2");
    ASSERT_EQ(LIVESCAN_Init(), 1);
    clearScannerSettings();
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_TRUE(sameImage(capture(), expectedImage(0, 1, 1)));
    LIVESCAN_Close();
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_TRUE(sameImage(capture(), expectedImage(0, 1, 2))) << "reopening does not replay old impressions";
}

TEST_F(ControlTest, FingerAndSeedChooseTheFinger) {
    const std::uint64_t seed = freshSeed();
    set("FINGER", "7");
    set("SEED", std::to_string(seed));
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_TRUE(sameImage(capture(), expectedImage(seed, 7, 1)));
}

TEST_F(ControlTest, NoFingerTimesOutAndLeavesTheBuffer) {
    set("NO_FINGER", "1");
    ASSERT_EQ(LIVESCAN_Init(), 1);
    const std::vector<std::uint8_t> buffer = capture(-101);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched), static_cast<long>(kBufferBytes));
}

TEST_F(ControlTest, SetupTakesUpChangedSettings) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    set("NO_FINGER", "1");
    ASSERT_EQ(LIVESCAN_Setup(), 1);
    capture(-101);
}

TEST_F(ControlTest, InjectedFaultsAnswerForTheNextNCalls) {
    set("NO_FINGER", "1");  // keeps the real captures cheap: they time out
    set("FAULTS", "GetFPRawData:-4:2,LIVESCAN_GetBright:-7,PlaySound:1");
    ASSERT_EQ(LIVESCAN_Init(), 1);
    capture(-4);
    capture(-4);
    capture(-101);
    int value = 0;
    EXPECT_EQ(LIVESCAN_GetBright(0, &value), -7);
    EXPECT_EQ(LIVESCAN_GetBright(0, &value), 1);
    EXPECT_EQ(LIVESCAN_PlaySound(0, 999, 0), 1) << "an injected success";
    EXPECT_EQ(LIVESCAN_PlaySound(0, 999, 0), -1);
}

TEST_F(ControlTest, InjectedInitFailureKeepsTheDeviceClosed) {
    set("FAULTS", "Init:-4:2");
    EXPECT_EQ(LIVESCAN_Init(), -4);
    int value = 0;
    EXPECT_EQ(LIVESCAN_GetBright(0, &value), -5);
    EXPECT_EQ(LIVESCAN_Init(), -4) << "reopening does not re-arm the plan";
    EXPECT_EQ(LIVESCAN_Init(), 1);
    EXPECT_EQ(LIVESCAN_GetBright(0, &value), 1);
}

TEST_F(ControlTest, LinkLossFailsKCapturesThenRecovers) {
    set("NO_FINGER", "1");
    set("LINK_LOSS", "2:-2:1");
    ASSERT_EQ(LIVESCAN_Init(), 1);
    capture(-101);  // the one capture before the link drops
    capture(-2);
    // A console reconnecting does not bring the link back by itself.
    LIVESCAN_Close();
    ASSERT_EQ(LIVESCAN_Init(), 1);
    capture(-2);
    capture(-101);
    capture(-101);
}

TEST_F(ControlTest, BadSettingsWarnOnStderrAndFallBackToDefaults) {
    set("FINGER", "2");
    ASSERT_EQ(LIVESCAN_Init(), 1);  // so that finger 1 starts at impression 1 below
    set("FINGER", "abc");
    set("LATENCY_MS", "-5");
    set("FAULTS", "Bogus:1");
    set("LINK_LOSS", "3:-7");
    set("REPLAY", "/nonexistent/replay/folder");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int opened = LIVESCAN_Init();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "")
        << "the console's stdout is compared byte for byte";
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 5) << errors;
    for (const char* name : {"FINGER", "LATENCY_MS", "FAULTS", "LINK_LOSS", "REPLAY"})
        EXPECT_NE(errors.find(std::string("TERVO_SCANNER_") + name), std::string::npos) << name;
    EXPECT_TRUE(sameImage(capture(), expectedImage(0, 1, 1)));
}

TEST_F(ControlTest, CallLogRecordsEachCallAndResult) {
    const TempFolder folder("scanner-call-log-");
    const std::string path = folder.file("calls.txt");
    set("LOG", path);
    set("NO_FINGER", "1");
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(LIVESCAN_Init(), 1);
    capture(-101);
    LIVESCAN_PlaySound(0, 3, 0);
    LIVESCAN_Close();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    clearScannerSettings();
    LIVESCAN_Init();  // stops logging to the file
    LIVESCAN_Close();
    std::ifstream log(path);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(),
              "LIVESCAN_Init() -> 1\n"
              "LIVESCAN_GetFPRawData(0) -> -101\n"
              "LIVESCAN_PlaySound(0, 3, 0) -> 1\n"
              "LIVESCAN_Close() -> 1\n");
}

TEST_F(ControlTest, LatencyDelaysEachCapture) {
    set("NO_FINGER", "1");
    set("LATENCY_MS", "40");
    ASSERT_EQ(LIVESCAN_Init(), 1);
    const auto start = std::chrono::steady_clock::now();
    capture(-101);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

}  // namespace
}  // namespace tervo::test
