#include "minutiae.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "angles.h"

namespace tervo::fpr {
namespace {

constexpr int kPeriod = 9;

// Even, clear, horizontal ridge flow over the whole image.
RidgeFields horizontalFlow() {
    RidgeFields f;
    f.orientation.assign(kBlockCount, 0.0F);
    f.coherence.assign(kBlockCount, 0.9F);
    f.period.assign(kBlockCount, static_cast<float>(kPeriod));
    f.periodMeasured.assign(kBlockCount, 1);
    f.clarity.assign(kBlockCount, 0.8F);
    f.alternation.assign(kBlockCount, 0.3F);
    f.contrast.assign(kBlockCount, 40.0F);
    f.mean.assign(kBlockCount, 128.0F);
    f.foreground.assign(kBlockCount, 1);
    f.recoverable.assign(kBlockCount, 1);
    f.foregroundBlocks = kBlockCount;
    return f;
}

// One-pixel horizontal ridges every period; segments end well inside the image, far from its edge.
class Skeleton {
  public:
    Skeleton() : pixels_(kPixelCount, 0) {}
    void ridge(int y, int fromX, int toX) {
        for (int x = fromX; x <= toX; ++x) pixels_[y * kWidth + x] = 1;
    }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }

  private:
    std::vector<std::uint8_t> pixels_;
};

constexpr int kLeft = 2, kRight = kWidth - 3;  // ridge ends there lie in the border margin

bool foundNear(const std::vector<Minutia>& found, int x, int y) {
    for (const Minutia& m : found) {
        if (std::abs(m.x - x) <= 2 && std::abs(m.y - y) <= 2) return true;
    }
    return false;
}

TEST(MinutiaeRemoval, RidgeBrokenAlongItsFlowLeavesNoEndings) {
    // Gaps of one, two and nearly three periods, on ridges far apart: a wet or creased print breaks
    // ridges like this, and none of the endings would be found again in another impression.
    Skeleton s;
    const int gaps[] = {kPeriod, 2 * kPeriod, 3 * kPeriod - 3};
    int y = 60;
    for (int gap : gaps) {
        s.ridge(y, kLeft, 110);
        s.ridge(y, 110 + gap, kRight);
        y += 10 * kPeriod;
    }
    EXPECT_TRUE(detectMinutiae(s.pixels(), horizontalFlow()).empty());
}

TEST(MinutiaeRemoval, EndingsOnNeighbouringRidgesAreKept) {
    // One ridge stops where the next one over begins: two real endings, close and pointing opposite
    // ways, but a whole period apart across the flow.
    Skeleton s;
    s.ridge(150, kLeft, 120);
    s.ridge(150 + kPeriod, 128, kRight);
    const std::vector<Minutia> found = detectMinutiae(s.pixels(), horizontalFlow());
    EXPECT_EQ(found.size(), 2U);
    EXPECT_TRUE(foundNear(found, 120, 150));
    EXPECT_TRUE(foundNear(found, 128, 150 + kPeriod));
}

TEST(MinutiaeRemoval, EndingsFacingAcrossAWideGapAreKept) {
    // Four periods of empty flow between two ridge ends is no break but two endings.
    Skeleton s;
    s.ridge(180, kLeft, 100);
    s.ridge(180, 100 + 4 * kPeriod, kRight);
    EXPECT_EQ(detectMinutiae(s.pixels(), horizontalFlow()).size(), 2U);
}

TEST(MinutiaeReliability, IsolatedMinutiaRanksAboveCrowdedOnes) {
    // Same block quality everywhere; the lone ending comes first, the two side by side after it.
    Skeleton s;
    s.ridge(100, kLeft, 90);
    s.ridge(100 + kPeriod, kLeft, 92);
    s.ridge(260, kLeft, 160);
    const std::vector<Minutia> found = detectMinutiae(s.pixels(), horizontalFlow());
    ASSERT_EQ(found.size(), 3U);
    EXPECT_TRUE(foundNear({found[0]}, 160, 260));
    EXPECT_GT(found[0].reliability, found[1].reliability);
    EXPECT_EQ(found[1].reliability, found[2].reliability);
}

TEST(MinutiaeDirection, FollowsTheFlowBetweenBlockCentres) {
    // The flow turns by 0.4 rad from one block column to the next. Endings between the two columns'
    // centres take a direction in proportion to where they lie, instead of jumping to the direction
    // of the block they happen to fall in.
    constexpr float kTurn = 0.4F;
    RidgeFields f = horizontalFlow();
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 16; bx < kBlocksX; ++bx) f.orientation[f.index(bx, by)] = kTurn;
    }
    Skeleton s;
    s.ridge(100, kLeft, 126);  // inside block 15, a third of the way to block 16's centre
    s.ridge(260, kLeft, 130);  // inside block 16, a fifth of the way back to block 15's centre
    const std::vector<Minutia> found = detectMinutiae(s.pixels(), f);
    ASSERT_EQ(found.size(), 2U);
    for (const Minutia& m : found) {
        // Share of the way from block 15's centre to block 16's (at 124 and 132, pixel edges counted).
        const float share = (m.x + 0.5F - 124.0F) / kBlockSize;
        // Endings point back into their ridge, leftwards: pi plus the local ridge angle.
        EXPECT_NEAR(m.angle, kPiF + share * kTurn, 0.03F) << "ending at x " << m.x;
    }
}

}  // namespace
}  // namespace tervo::fpr
