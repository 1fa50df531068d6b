#include "enhancement.h"

#include <gtest/gtest.h>

namespace tervo::fpr {
namespace {

// A ridge map that is all ridge except the valley rectangles cut into it.
class RidgeMap {
  public:
    RidgeMap() : pixels_(kPixelCount, 1) {}
    RidgeMap& valley(int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) pixels_[y * kWidth + x] = 0;
        }
        return *this;
    }
    std::vector<std::uint8_t>& pixels() { return pixels_; }
    bool ridge(int x, int y) const { return pixels_[y * kWidth + x] != 0; }

  private:
    std::vector<std::uint8_t> pixels_;
};

TEST(HoleFilling, PoresCloseAndValleysStayOpen) {
    RidgeMap m;
    m.valley(50, 50, 3, 3);                  // a pore
    m.valley(80, 50, 4, 5);                  // 20 pixels: still a pore
    m.valley(120, 50, 4, kMaxHoleArea / 4);  // exactly the limit: a short valley, kept
    m.valley(20, 200, kWidth - 40, 4);       // a long valley between two ridges
    m.valley(0, 300, 6, kHeight - 300);      // valley running off the image
    fillSmallHoles(m.pixels());
    EXPECT_TRUE(m.ridge(51, 51));
    EXPECT_TRUE(m.ridge(81, 52));
    EXPECT_FALSE(m.ridge(121, 52));
    EXPECT_FALSE(m.ridge(100, 201));
    EXPECT_FALSE(m.ridge(2, kHeight - 1));
}

TEST(HoleFilling, ValleysTouchingOnlyAtACornerOrAcrossTheImageEdgeAreSeparate) {
    // Two 16-pixel holes meeting at a corner: the ridge pixels around the corner still join, so each
    // hole is closed on its own. The same for holes at the right end of one row and the left end of
    // the next, which lie next to each other in memory but not in the image.
    RidgeMap m;
    m.valley(60, 60, 4, 4).valley(64, 64, 4, 4);
    m.valley(kWidth - 4, 100, 4, 4).valley(0, 101, 4, 4);
    fillSmallHoles(m.pixels());
    EXPECT_TRUE(m.ridge(61, 61));
    EXPECT_TRUE(m.ridge(65, 65));
    EXPECT_TRUE(m.ridge(kWidth - 1, 103));
    EXPECT_TRUE(m.ridge(0, 101));
}

TEST(HoleFilling, MapsOfAnyLengthAreSafe) {
    std::vector<std::uint8_t> empty, shortMap(kWidth * 3, 0);
    shortMap[kWidth + 5] = 1;
    fillSmallHoles(empty);
    fillSmallHoles(shortMap);
    EXPECT_EQ(shortMap[kWidth + 5], 1);
    EXPECT_EQ(shortMap[0], 0);
}

}  // namespace
}  // namespace tervo::fpr
