#include <dlfcn.h>

#include <climits>
#include <functional>

#include "device_fixture.h"

namespace tervo::test {
namespace {

using StateTest = DeviceTest;

std::vector<std::pair<const char*, std::function<int()>>> deviceCalls() {
    static int a, b, c, d;
    static unsigned char image[kBufferBytes];
    static char text[1024];
    return {
        {"GetChannelCount", [] { return LIVESCAN_GetChannelCount(); }},
        {"SetBright", [] { return LIVESCAN_SetBright(0, 100); }},
        {"SetContrast", [] { return LIVESCAN_SetContrast(0, 100); }},
        {"GetBright", [] { return LIVESCAN_GetBright(0, &a); }},
        {"GetContrast", [] { return LIVESCAN_GetContrast(0, &a); }},
        {"GetMaxImageSize", [] { return LIVESCAN_GetMaxImageSize(0, &a, &b); }},
        {"GetCaptWindow", [] { return LIVESCAN_GetCaptWindow(0, &a, &b, &c, &d); }},
        {"SetCaptWindow", [] { return LIVESCAN_SetCaptWindow(0, 0, 0, 256, 360); }},
        {"Setup", [] { return LIVESCAN_Setup(); }},
        {"BeginCapture", [] { return LIVESCAN_BeginCapture(0); }},
        {"GetFPRawData", [] { return LIVESCAN_GetFPRawData(0, image); }},
        {"GetFPBmpData", [] { return LIVESCAN_GetFPBmpData(0, image); }},
        {"EndCapture", [] { return LIVESCAN_EndCapture(0); }},
        {"IsSupportSetup", [] { return LIVESCAN_IsSupportSetup(); }},
        {"GetVersion", [] { return LIVESCAN_GetVersion(); }},
        {"GetDesc", [] { return LIVESCAN_GetDesc(text); }},
        {"SetBufferEmpty", [] { return LIVESCAN_SetBufferEmpty(image, 92160); }},
        {"PlaySound", [] { return LIVESCAN_PlaySound(0, 111, 0); }},
        {"SetGain", [] { return LIVESCAN_SetGain(4); }},
    };
}

TEST_F(StateTest, EveryCallAnswersNotInitialisedWhileClosed) {
    for (const auto& [name, call] : deviceCalls()) EXPECT_EQ(call(), -5) << name << " before Init";
    ASSERT_EQ(LIVESCAN_Init(), 1);
    ASSERT_EQ(LIVESCAN_Close(), 1);
    for (const auto& [name, call] : deviceCalls()) EXPECT_EQ(call(), -5) << name << " after Close";
}

TEST_F(StateTest, OpenDeviceAnswersEveryCall) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    for (const auto& [name, call] : deviceCalls()) {
        if (std::string(name) == "EndCapture") continue;  // needs a BeginCapture first
        EXPECT_EQ(call(), 1) << name;
    }
}

TEST_F(StateTest, InitAndCloseMayBeRepeated) {
    EXPECT_EQ(LIVESCAN_Close(), 1) << "closing a closed device";
    EXPECT_EQ(LIVESCAN_Init(), 1);
    EXPECT_EQ(LIVESCAN_Init(), 1) << "Init on an open device";
    EXPECT_EQ(LIVESCAN_GetChannelCount(), 1);
    EXPECT_EQ(LIVESCAN_Close(), 1);
    EXPECT_EQ(LIVESCAN_Close(), 1);
}

TEST_F(StateTest, DescribesOneChannelOfTheSensorSize) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    int width = 0, height = 0, x = -1, y = -1, w = 0, h = 0;
    ASSERT_EQ(LIVESCAN_GetMaxImageSize(0, &width, &height), 1);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 360);
    ASSERT_EQ(LIVESCAN_GetCaptWindow(0, &x, &y, &w, &h), 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 360);
    int value = 0;
    EXPECT_EQ(LIVESCAN_GetBright(1, &value), -1) << "only channel 0 exists";
    EXPECT_EQ(LIVESCAN_GetMaxImageSize(-1, &width, &height), -1);
    EXPECT_EQ(LIVESCAN_GetBright(0, nullptr), -1);
    EXPECT_EQ(LIVESCAN_GetCaptWindow(0, &x, nullptr, &w, &h), -1);
}

TEST_F(StateTest, BrightnessAndContrastReadBackAndCheckTheirRange) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    int value = -1;
    ASSERT_EQ(LIVESCAN_GetBright(0, &value), 1);
    EXPECT_EQ(value, 128) << "default";
    struct Level {
        std::function<int(int)> set;
        std::function<int(int*)> get;
    };
    const Level levels[] = {
        {[](int v) { return LIVESCAN_SetBright(0, v); }, [](int* v) { return LIVESCAN_GetBright(0, v); }},
        {[](int v) { return LIVESCAN_SetContrast(0, v); },
         [](int* v) { return LIVESCAN_GetContrast(0, v); }}};
    for (const Level& level : levels) {
        for (int good : {0, 255, 77}) {
            EXPECT_EQ(level.set(good), 1);
            ASSERT_EQ(level.get(&value), 1);
            EXPECT_EQ(value, good);
        }
        for (int bad : {-1, 256, INT_MIN, INT_MAX}) EXPECT_EQ(level.set(bad), -1) << bad;
        ASSERT_EQ(level.get(&value), 1);
        EXPECT_EQ(value, 77) << "a rejected value leaves the setting alone";
    }
}

TEST_F(StateTest, CaptureWindowMustLieOnTheSensor) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, 10, 20, 100, 50), 1);
    int x, y, w, h;
    ASSERT_EQ(LIVESCAN_GetCaptWindow(0, &x, &y, &w, &h), 1);
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{10, 20, 100, 50}));
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, -1, 0, 10, 10), -1);
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, 0, 0, 0, 10), -1);
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, 200, 0, 57, 10), -1) << "one column past the edge";
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, 0, 300, 10, 61), -1);
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, INT_MAX, 0, INT_MAX, 10), -1) << "sums that overflow";
    EXPECT_EQ(LIVESCAN_SetCaptWindow(1, 0, 0, 256, 360), -1);
    ASSERT_EQ(LIVESCAN_GetCaptWindow(0, &x, &y, &w, &h), 1);
    EXPECT_EQ(w, 100) << "rejected windows leave the window alone";
    EXPECT_EQ(LIVESCAN_SetCaptWindow(0, 0, 0, 256, 360), 1);
}

TEST_F(StateTest, CaptureWritesOneImageAndNothingMore) {
    const std::uint64_t seed = freshSeed();
    set("SEED", std::to_string(seed));
    ASSERT_EQ(LIVESCAN_Init(), 1);
    const std::vector<std::uint8_t> buffer = capture();
    const std::vector<std::uint8_t> expected = expectedImage(seed, 1, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    for (std::size_t i = kImageBytes; i < kBufferBytes; ++i) ASSERT_EQ(buffer[i], kUntouched) << i;
    EXPECT_EQ(LIVESCAN_GetFPRawData(0, nullptr), -1);
    EXPECT_EQ(LIVESCAN_GetFPRawData(2, std::vector<std::uint8_t>(kBufferBytes).data()), -1);
}

TEST_F(StateTest, SmallerWindowSendsItsRowsPacked) {
    const std::uint64_t seed = freshSeed();
    set("SEED", std::to_string(seed));
    ASSERT_EQ(LIVESCAN_Init(), 1);
    ASSERT_EQ(LIVESCAN_SetCaptWindow(0, 10, 20, 100, 50), 1);
    const std::vector<std::uint8_t> buffer = capture();
    const std::vector<std::uint8_t> full = expectedImage(seed, 1, 1);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(buffer[y * 100 + x], full[(20 + y) * 256 + 10 + x]) << x << "," << y;
    EXPECT_EQ(buffer[5000], kUntouched);
}

TEST_F(StateTest, BmpCaptureUsesTheConsoleFileLayout) {
    const std::uint64_t seed = freshSeed();
    set("SEED", std::to_string(seed));
    ASSERT_EQ(LIVESCAN_Init(), 1);
    std::vector<std::uint8_t> bmp(kBufferBytes, kUntouched);
    ASSERT_EQ(LIVESCAN_GetFPBmpData(0, bmp.data()), 1);
    const std::vector<std::uint8_t> expected = expectedImage(seed, 1, 1);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[10], 0x36);  // pixel data at 1078 = 0x436
    EXPECT_EQ(bmp[11], 0x04);
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 256, bmp.begin() + 1078 + 359 * 256))
        << "top image row stored last";
    EXPECT_EQ(bmp[93238], kUntouched);
}

TEST_F(StateTest, BrightnessShiftsTheServedImage) {
    const std::uint64_t seed = freshSeed();
    set("SEED", std::to_string(seed));
    ASSERT_EQ(LIVESCAN_Init(), 1);
    ASSERT_EQ(LIVESCAN_SetBright(0, 148), 1);
    const std::vector<std::uint8_t> buffer = capture();
    const std::vector<std::uint8_t> expected = expectedImage(seed, 1, 1);
    for (std::size_t i = 0; i < kImageBytes; i += 97)
        ASSERT_EQ(buffer[i], std::min(255, expected[i] + 20)) << i;
}

TEST_F(StateTest, SetBufferEmptyClearsExactlyTheGivenLength) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    std::vector<std::uint8_t> buffer(kBufferBytes, kUntouched);
    ASSERT_EQ(LIVESCAN_SetBufferEmpty(buffer.data(), 92160), 1);
    EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 92160, 0), 92160);
    EXPECT_EQ(buffer[92160], kUntouched);
    EXPECT_EQ(LIVESCAN_SetBufferEmpty(nullptr, 92160), -1);
    EXPECT_EQ(LIVESCAN_SetBufferEmpty(buffer.data(), 0), -1);
    EXPECT_EQ(LIVESCAN_SetBufferEmpty(buffer.data(), -5), -1);
    EXPECT_EQ(LIVESCAN_SetBufferEmpty(buffer.data(), 1L << 40), -1) << "no image is a terabyte";
}

TEST_F(StateTest, PlaySoundAcceptsItsDocumentedCodes) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    for (int code : {0, 1, 111, 255}) EXPECT_EQ(LIVESCAN_PlaySound(0, code, 0), 1) << code;
    EXPECT_EQ(LIVESCAN_PlaySound(0, -1, 0), -1);
    EXPECT_EQ(LIVESCAN_PlaySound(0, 256, 0), -1);
    EXPECT_EQ(LIVESCAN_PlaySound(0, 1, -1), -1);
    EXPECT_EQ(LIVESCAN_PlaySound(3, 1, 0), -1);
}

TEST_F(StateTest, EndCaptureNeedsABeginCapture) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_EQ(LIVESCAN_EndCapture(0), -102);
    EXPECT_EQ(LIVESCAN_BeginCapture(0), 1);
    EXPECT_EQ(LIVESCAN_EndCapture(0), 1);
    EXPECT_EQ(LIVESCAN_EndCapture(0), -102);
}

TEST_F(StateTest, GainHasARangeAndAPlainName) {
    ASSERT_EQ(LIVESCAN_Init(), 1);
    EXPECT_EQ(LIVESCAN_SetGain(0), 1);
    EXPECT_EQ(LIVESCAN_SetGain(15), 1);
    EXPECT_EQ(LIVESCAN_SetGain(16), -1);
    EXPECT_EQ(LIVESCAN_SetGain(255), -1);
    EXPECT_EQ(LIVESCAN_SetGain(4), 1);
    void* library = dlopen(TERVO_FPR_CAP_PATH, RTLD_LAZY);
    ASSERT_NE(library, nullptr);
    EXPECT_NE(dlsym(library, "LIVESCAN_SetGain"), nullptr);
    EXPECT_EQ(dlsym(library, "_Z16LIVESCAN_SetGainc"), nullptr);
    EXPECT_NE(dlsym(library, "LIVESCAN_GetFPRawData"), nullptr);
    dlclose(library);
}

}  // namespace
}  // namespace tervo::test
