// Common ground for tests that drive libID_FprCap.so through its entry
// points: a clean environment and a closed device before and after each test.
#ifndef TERVO_SCANNER_TEST_DEVICE_FIXTURE_H
#define TERVO_SCANNER_TEST_DEVICE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ID_FprCap.h"
#include "plane.h"

extern "C" int LIVESCAN_SetGain(unsigned char gain);

namespace tervo::test {

constexpr std::size_t kImageBytes = 92160;
// The console's image buffers are larger than one image.
constexpr std::size_t kBufferBytes = 95160;
constexpr std::uint8_t kUntouched = 0xab;

void clearScannerSettings();

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Sets a TERVO_SCANNER_ setting (name without the prefix).
    static void set(const std::string& name, const std::string& value);
    // A seed used by no other test, so this test's finger starts at impression 1.
    static std::uint64_t freshSeed();

    // Captures into a console-sized buffer pre-filled with kUntouched.
    std::vector<std::uint8_t> capture(int expectedResult = 1);
    // The image the device must serve for that finger and impression.
    static std::vector<std::uint8_t> expectedImage(std::uint64_t seed, int finger, int impression);
};

}  // namespace tervo::test

#endif
