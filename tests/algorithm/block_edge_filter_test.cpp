#include "block_edge_filter.h"

#include <gtest/gtest.h>

namespace tervo::fpr {
namespace {

// A flat image split by one vertical step of `rise` gray levels between columns `x - 1` and `x`.
Pixels verticalStep(int x, int rise) {
    Pixels pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int c = 0; c < kWidth; ++c)
            pixels[y * kWidth + c] = static_cast<std::uint8_t>(100 + (c >= x ? rise : 0));
    }
    return pixels;
}

int stepAt(const Pixels& pixels, int y, int x) {
    return pixels[y * kWidth + x] - pixels[y * kWidth + x - 1];
}

TEST(BlockEdgeFilter, SmallStepsOnTheBlockGridAreSharedOut) {
    Pixels pixels = verticalStep(64, 6);
    smoothBlockEdges(pixels, 32);
    for (int y : {0, 100, kHeight - 1}) {
        EXPECT_LT(stepAt(pixels, y, 64), 6) << y;
        EXPECT_GE(stepAt(pixels, y, 64), 0) << y;  // smoothed, never overturned
        EXPECT_EQ(pixels[y * kWidth + 62], 100);   // only the two edge pixels move
        EXPECT_EQ(pixels[y * kWidth + 65], 106);
    }
}

TEST(BlockEdgeFilter, RealEdgesAndStepsOffTheGridStay) {
    const Pixels strong = verticalStep(64, 100);
    Pixels filtered = strong;
    smoothBlockEdges(filtered, 32);
    EXPECT_EQ(filtered, strong);

    const Pixels offGrid = verticalStep(61, 6);
    filtered = offGrid;
    smoothBlockEdges(filtered, 32);
    EXPECT_EQ(filtered, offGrid);
}

TEST(BlockEdgeFilter, FineQuantisationLeavesTheImageAlone) {
    const Pixels original = verticalStep(64, 2);
    for (int step : {0, 1}) {
        Pixels filtered = original;
        smoothBlockEdges(filtered, step);
        EXPECT_EQ(filtered, original) << step;
    }
}

TEST(BlockEdgeFilter, HorizontalBlockEdgesAreSmoothedToo) {
    Pixels pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = static_cast<std::uint8_t>(y < 80 ? 250 : 255);
    }
    smoothBlockEdges(pixels, 32);
    EXPECT_LT(pixels[80 * kWidth + 5] - pixels[79 * kWidth + 5], 5);
    EXPECT_EQ(pixels[70 * kWidth + 5], 250);  // away from the edge nothing moves
    EXPECT_EQ(pixels[90 * kWidth + 5], 255);
}

}  // namespace
}  // namespace tervo::fpr
