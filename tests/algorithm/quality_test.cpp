#include <gtest/gtest.h>

#include "extractor.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

using testing::Damage;
using testing::ridgePattern;

TEST(Quality, BlankImagesScoreZero) {
    EXPECT_EQ(qualityOfImage(testing::uniformImage(255)), 0);
    EXPECT_EQ(qualityOfImage(testing::uniformImage(0)), 0);
    EXPECT_EQ(qualityOfImage(testing::uniformImage(128)), 0);
}

TEST(Quality, PureNoiseScoresBelowTwenty) {
    for (unsigned seed = 1; seed <= 3; ++seed) EXPECT_LT(qualityOfImage(testing::noiseImage(seed)), 20);
}

TEST(Quality, CleanPrintScoresAboveSixty) {
    EXPECT_GT(qualityOfImage(ridgePattern()), 60);
}

TEST(Quality, FallsAsNoiseGrows) {
    int previous = qualityOfImage(ridgePattern());
    for (double sigma : {30.0, 60.0, 100.0}) {
        Damage d;
        d.noiseSigma = sigma;
        const int q = qualityOfImage(ridgePattern(d));
        EXPECT_LT(q, previous) << "noise " << sigma;
        previous = q;
    }
}

TEST(Quality, FallsAsBlurGrows) {
    int previous = qualityOfImage(ridgePattern());
    for (int radius : {2, 3, 4}) {
        Damage d;
        d.blurRadius = radius;
        const int q = qualityOfImage(ridgePattern(d));
        EXPECT_LT(q, previous) << "blur " << radius;
        previous = q;
    }
}

TEST(Quality, FallsAsAreaIsLost) {
    int previous = qualityOfImage(ridgePattern());
    for (double lost : {0.5, 0.7, 0.9}) {
        Damage d;
        d.lostShare = lost;
        const int q = qualityOfImage(ridgePattern(d));
        EXPECT_LT(q, previous) << "lost " << lost;
        previous = q;
    }
}

}  // namespace
}  // namespace tervo::fpr
