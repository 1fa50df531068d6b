#include "ridge_shifts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "angles.h"
#include "orientation_model.h"
#include "random_stream.h"

namespace {

using tervo::synth::FloatPlane;

constexpr int kSide = 200;
constexpr double kPeriod = 9.0;
constexpr double kMiddle = 100.0;

// Straight ridges along x, one every kPeriod pixels.
FloatPlane straightRidges() {
    FloatPlane ridges(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            ridges.at(x, y) = static_cast<float>(std::cos(tervo::kTwoPi * y / kPeriod));
    return ridges;
}

// Ridges entered along a line from (x0, y0) to (x1, y1), one pixel at a time.
int ridgesCrossed(const FloatPlane& ridges, int x0, int y0, int x1, int y1) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    int crossed = 0;
    float previous = ridges.at(x0, y0);
    for (int i = 1; i <= steps; ++i) {
        const float value = ridges.at(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        crossed += previous <= 0.0F && value > 0.0F ? 1 : 0;
        previous = value;
    }
    return crossed;
}

TEST(RidgeShifts, OneRidgeEndsWhereItsNeighbourForks) {
    const FloatPlane plain = straightRidges();
    FloatPlane shifted = plain;
    // Dislocations at (97.75, 95.5) and (102.25, 104.5).
    tervo::synth::paintRidgeShift(shifted, kMiddle, kMiddle, 0.0, kPeriod, 1.0, 0.5);

    // A line across the ridges between the two dislocations meets one ridge
    // more or less than before; lines clear of the pair meet as many.
    const int between = ridgesCrossed(shifted, 100, 30, 100, 170) - ridgesCrossed(plain, 100, 30, 100, 170);
    EXPECT_EQ(std::abs(between), 1);
    for (int x : {90, 110})
        EXPECT_EQ(ridgesCrossed(shifted, x, 30, x, 170), ridgesCrossed(plain, x, 30, x, 170)) << x;
    // Along the ridges, the line between the dislocations passes from one ridge to the next.
    EXPECT_EQ(ridgesCrossed(plain, 30, 100, 170, 100), 0);
    EXPECT_EQ(ridgesCrossed(shifted, 30, 100, 170, 100), 1);

    // The ridges keep their strength, and six periods out the pattern is as it was.
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            ASSERT_LE(std::fabs(shifted.at(x, y)), 1.0F + 1e-5F) << x << "," << y;
            if (std::hypot(x - kMiddle, y - kMiddle) > 6.0 * kPeriod + 1.0) {
                ASSERT_EQ(shifted.at(x, y), plain.at(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(RidgeShifts, FingerGetsItsDrawnCountOnThePadOnly) {
    // A pad of radius 40 px in the middle; outside it the depth is negative.
    FloatPlane pad(kSide, kSide, -1.0F);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (std::hypot(x - kMiddle, y - kMiddle) < 40.0) pad.at(x, y) = 1.0F;
    tervo::synth::RandomStream orientationDraws(3);
    const tervo::synth::OrientationModel orientation(orientationDraws, kMiddle, kMiddle);
    const auto period = [](double, double) { return kPeriod; };

    const FloatPlane plain = straightRidges();
    for (int count : {0, 3}) {
        FloatPlane ridges = plain;
        tervo::synth::RidgeShiftPlan plan;
        plan.lowestCount = plan.highestCount = count;
        tervo::synth::RandomStream random(11);
        tervo::synth::paintRidgeShifts(ridges, pad, orientation, period, plan, random);
        int changed = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (ridges.at(x, y) == plain.at(x, y)) continue;
                ++changed;
                ASSERT_LT(std::hypot(x - kMiddle, y - kMiddle), 40.0 + 6.0 * kPeriod + 1.0) << x << "," << y;
            }
        }
        // Each shift rewrites the disc round it; three of them are kept apart.
        if (count == 0) {
            EXPECT_EQ(changed, 0);
        } else {
            EXPECT_GT(changed, 3000);
        }
    }
}

}  // namespace
