#include "device_fixture.h"

#include <cstdlib>

#include "synthetic_fingers.h"

namespace tervo::test {

void clearScannerSettings() {
    for (const char* name :
         {"FINGER", "SEED", "DIFFICULTY", "REPLAY", "NO_FINGER", "LATENCY_MS", "FAULTS", "LINK_LOSS", "LOG"})
        unsetenv((std::string("TERVO_SCANNER_") + name).c_str());
}

void DeviceTest::SetUp() {
    clearScannerSettings();
    // Opening once with no settings disarms any fault plan of an earlier test.
    LIVESCAN_Init();
    LIVESCAN_Close();
}

void DeviceTest::TearDown() {
    LIVESCAN_Close();
    clearScannerSettings();
}

void DeviceTest::set(const std::string& name, const std::string& value) {
    setenv(("TERVO_SCANNER_" + name).c_str(), value.c_str(), 1);
}

std::uint64_t DeviceTest::freshSeed() {
    static std::uint64_t next = 900000;
    return ++next;
}

std::vector<std::uint8_t> DeviceTest::capture(int expectedResult) {
    std::vector<std::uint8_t> buffer(kBufferBytes, kUntouched);
    EXPECT_EQ(LIVESCAN_GetFPRawData(0, buffer.data()), expectedResult);
    return buffer;
}

std::vector<std::uint8_t> DeviceTest::expectedImage(std::uint64_t seed, int finger, int impression) {
    tervo::synth::SyntheticFingers fingers;
    return fingers.impression({seed, finger}, impression).values;
}

}  // namespace tervo::test
