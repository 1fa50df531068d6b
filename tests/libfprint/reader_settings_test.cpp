#include "reader_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "ID_FprCap.h"

extern "C" int LIVESCAN_SetGain(unsigned char gain);

namespace {

using tervo::fprint::readReaderSettings;

class ReaderSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"TERVO_FPRINT_DEVICE", "TERVO_FPRINT_TIMEOUT_MS", "TERVO_FPRINT_PPI"})
            unsetenv(name);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(ReaderSettingsTest, DefaultsToTheFirstReaderTenSecondsAndTheDriverTable) {
    std::ostringstream diagnostics;
    const tervo::fprint::ReaderSettings settings = readReaderSettings(diagnostics);
    EXPECT_EQ(settings.device, "");
    EXPECT_EQ(settings.timeoutMs, 10000);
    EXPECT_FALSE(settings.ppi);
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(ReaderSettingsTest, ReadsGoodValuesAndNamesEachBadOneOnItsOwnLine) {
    setenv("TERVO_FPRINT_DEVICE", "uru4000", 1);
    setenv("TERVO_FPRINT_TIMEOUT_MS", "2500", 1);
    setenv("TERVO_FPRINT_PPI", "1000", 1);
    std::ostringstream diagnostics;
    tervo::fprint::ReaderSettings settings = readReaderSettings(diagnostics);
    EXPECT_EQ(settings.device, "uru4000");
    EXPECT_EQ(settings.timeoutMs, 2500);
    EXPECT_EQ(settings.ppi, 1000.0);
    EXPECT_EQ(diagnostics.str(), "");

    setenv("TERVO_FPRINT_TIMEOUT_MS", "0", 1);
    setenv("TERVO_FPRINT_PPI", "500dpi", 1);
    settings = readReaderSettings(diagnostics);
    EXPECT_EQ(settings.timeoutMs, 10000);
    EXPECT_FALSE(settings.ppi);
    const std::string lines = diagnostics.str();
    EXPECT_NE(lines.find("TERVO_FPRINT_TIMEOUT_MS=\"0\""), std::string::npos);
    EXPECT_NE(lines.find("TERVO_FPRINT_PPI=\"500dpi\""), std::string::npos);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
}

TEST_F(ReaderSettingsTest, ADeviceNumberIsAnIndexAnythingElseADriver) {
    EXPECT_EQ(tervo::fprint::deviceIndex("0"), 0);
    EXPECT_EQ(tervo::fprint::deviceIndex("2"), 2);
    EXPECT_FALSE(tervo::fprint::deviceIndex("elan"));
    EXPECT_FALSE(tervo::fprint::deviceIndex("-1"));
    EXPECT_FALSE(tervo::fprint::deviceIndex(""));
}

// The entry points with no reader at all: libfprint is asked for a driver
// that does not exist, so nothing on this machine is touched.
TEST(ReaderWithoutDevice, AnswersLikeTheVirtualScannerWhileClosed) {
    setenv("FP_DRIVERS_WHITELIST", "no_such_driver", 1);
    EXPECT_EQ(LIVESCAN_Init(), -4);
    EXPECT_EQ(LIVESCAN_Close(), 1);
    unsigned char image[92160 + 16] = {};
    image[92160] = 0x5a;
    EXPECT_EQ(LIVESCAN_GetFPRawData(0, image), -5);
    EXPECT_EQ(image[92160], 0x5a);
    int value = 7;
    EXPECT_EQ(LIVESCAN_GetBright(0, &value), -5);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(LIVESCAN_GetChannelCount(), -5);
    EXPECT_EQ(LIVESCAN_SetGain(3), -5);
    alignas(wchar_t) char text[1024];
    EXPECT_EQ(LIVESCAN_GetDesc(text), -5);
    EXPECT_EQ(reinterpret_cast<const wchar_t*>(text)[0], L'\0');
    EXPECT_EQ(LIVESCAN_GetErrorInfo(-101, text), 1);
    EXPECT_NE(std::wstring(reinterpret_cast<const wchar_t*>(text)).find(L"Capture timed out"),
              std::wstring::npos);
}

}  // namespace
