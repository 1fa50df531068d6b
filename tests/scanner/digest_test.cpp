// The same finger, seed, impression and difficulty give the same image on
// every platform: the digests below are checked by the native test run and by
// the AArch64 cross build's run under qemu alike, so a board's capture can be
// reproduced on a workstation bit for bit.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "angles.h"
#include "exact_math.h"
#include "synthetic_fingers.h"

namespace {

using tervo::synth::Difficulty;

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3ULL;
    return hash;
}

struct Expected {
    std::uint64_t seed;
    int finger;
    int impression;
    Difficulty difficulty;
    std::uint64_t digest;
};

// Each difficulty appears; the last finger is the largest number the scanner takes.
const Expected kImages[] = {
    {0, 1, 1, Difficulty::Typical, 0x4f0ec042d7df475fULL},
    {0, 1, 2, Difficulty::Typical, 0x389646b72b39c8a1ULL},
    {7, 3, 1, Difficulty::Easy, 0x7595be06056f02daULL},
    {2024, 42, 5, Difficulty::Hard, 0xfc3ba1bf5f976decULL},
    {123456789, 1000000, 8, Difficulty::Typical, 0x13d49ca7395a77d4ULL},
};

TEST(PlatformIndependence, ImagesHaveTheirRecordedDigests) {
    tervo::synth::SyntheticFingers fingers;
    for (const Expected& image : kImages) {
        const std::uint64_t digest =
            fnv1a(fingers.impression({image.seed, image.finger}, image.impression, image.difficulty).values);
        char text[19];
        std::snprintf(text, sizeof text, "0x%016" PRIx64, digest);
        EXPECT_EQ(digest, image.digest)
            << "seed " << image.seed << " finger " << image.finger << " impression " << image.impression
            << " " << tervo::synth::difficultyName(image.difficulty) << ": " << text;
    }
}

TEST(ExactMath, AgreesWithTheMathLibrary) {
    for (double x = -60.0; x < 60.0; x += 0.0123) {
        ASSERT_NEAR(tervo::synth::exact::sin(x), std::sin(x), 1e-15) << x;
        ASSERT_NEAR(tervo::synth::exact::cos(x), std::cos(x), 1e-15) << x;
        ASSERT_NEAR(tervo::synth::exact::atan(x), std::atan(x), 1e-15) << x;
        ASSERT_NEAR(tervo::synth::exact::atan2(x, 2.0 - 0.1 * x), std::atan2(x, 2.0 - 0.1 * x), 1e-15) << x;
        if (x < 30.0) {
            ASSERT_NEAR(tervo::synth::exact::exp(x) / std::exp(x), 1.0, 1e-15) << x;
        }
        if (x > 0.0) {
            ASSERT_NEAR(tervo::synth::exact::log(x), std::log(x), 1e-14) << x;
        }
    }
    EXPECT_EQ(tervo::synth::exact::atan2(0.0, -1.0), tervo::kPi);
    EXPECT_EQ(tervo::synth::exact::atan2(-1.0, 0.0), -tervo::kHalfPi);
    EXPECT_EQ(tervo::synth::exact::exp(-1000.0), 0.0);
    EXPECT_NEAR(tervo::synth::exact::log(1e-300), std::log(1e-300), 1e-12);
}

}  // namespace
