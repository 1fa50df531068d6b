#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "angles.h"
#include "gabor_bank.h"
#include "orientation_model.h"
#include "random_stream.h"
#include "sensor_geometry.h"
#include "synthetic_fingers.h"
#include "upsample.h"

namespace {

using tervo::synth::FingerIdentity;
using tervo::synth::GrayImage;

TEST(RandomStream, DrawsStayWithinTheirBounds) {
    tervo::synth::RandomStream random(42);
    double sum = 0.0, squares = 0.0;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const int integer = random.uniformInt(-3, 3);
        ASSERT_GE(integer, -3);
        ASSERT_LE(integer, 3);
        const double bounded = random.boundedNormal(1.0, 5.0, 2.0);
        ASSERT_GE(bounded, -1.0);
        ASSERT_LE(bounded, 3.0);
        const double noise = random.fastNormal();
        sum += noise;
        squares += noise * noise;
    }
    EXPECT_NEAR(sum / kDraws, 0.0, 0.05);
    EXPECT_NEAR(squares / kDraws, 1.0, 0.05) << "sensor noise must have the deviation it is scaled to";
}

TEST(GaborBank, KernelsIgnoreFlatAreasAndPassTheirOwnRidgeWave) {
    const tervo::synth::GaborBank& bank = tervo::synth::GaborBank::instance();
    for (double angle : {0.0, 0.7, 1.9}) {
        for (double period : {3.5, 4.5, 6.0}) {
            const float* taps = bank.kernel(bank.indexFor(angle, period));
            double dc = 0.0, wave = 0.0;
            const int r = tervo::synth::GaborBank::kRadius;
            for (int v = -r; v <= r; ++v)
                for (int u = -r; u <= r; ++u) {
                    const double tap = taps[(v + r) * tervo::synth::GaborBank::kRowStride + (u + r)];
                    const double across = -u * std::sin(angle) + v * std::cos(angle);
                    dc += tap;
                    wave += tap * std::cos(2.0 * tervo::kPi * across / period);
                }
            // Quantised orientation and period: close to, not exactly, the asked-for wave.
            EXPECT_NEAR(dc, 0.0, 1e-4) << angle << " " << period;
            EXPECT_NEAR(wave, 1.0, 0.1) << angle << " " << period;
        }
    }
}

TEST(Upsample, KeepsSamplesAndInterpolatesRamps) {
    tervo::synth::FloatPlane coarse(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) coarse.at(x, y) = static_cast<float>(3 * x + 2 * y);
    const tervo::synth::FloatPlane fine = tervo::synth::upsampleTwice(coarse);
    ASSERT_EQ(fine.width, 12);
    ASSERT_EQ(fine.height, 10);
    EXPECT_FLOAT_EQ(fine.at(4, 6), coarse.at(2, 3));
    EXPECT_FLOAT_EQ(fine.at(5, 6), 7.5F + 6.0F);
    EXPECT_FLOAT_EQ(fine.at(5, 5), 7.5F + 5.0F);
}

TEST(PatternClasses, FollowNaturalFrequencies) {
    std::map<tervo::synth::PatternClass, int> counts;
    constexpr int kFingers = 4000;
    for (int i = 0; i < kFingers; ++i) {
        tervo::synth::RandomStream random(tervo::synth::streamKey({7, static_cast<std::uint64_t>(i)}));
        ++counts[tervo::synth::OrientationModel(random, 200, 240).pattern()];
    }
    using tervo::synth::PatternClass;
    EXPECT_NEAR(counts[PatternClass::LeftLoop] / double(kFingers), 0.338, 0.03);
    EXPECT_NEAR(counts[PatternClass::RightLoop] / double(kFingers), 0.317, 0.03);
    EXPECT_NEAR(counts[PatternClass::Whorl] / double(kFingers), 0.279, 0.03);
    EXPECT_GT(counts[PatternClass::Arch], 0);
    EXPECT_GT(counts[PatternClass::TentedArch], 0);
}

TEST(OrientationModel, RidgesCircleAWhorlCore) {
    // Find a whorl and walk round its cores: the ridge direction turns by a
    // full turn (two singular points of index +1/2).
    for (int i = 0;; ++i) {
        tervo::synth::RandomStream random(tervo::synth::streamKey({11, static_cast<std::uint64_t>(i)}));
        const tervo::synth::OrientationModel model(random, 200, 240);
        if (model.pattern() != tervo::synth::PatternClass::Whorl) continue;
        const double cx = 0.5 * (model.cores()[0].x + model.cores()[1].x);
        const double cy = 0.5 * (model.cores()[0].y + model.cores()[1].y);
        double turned = 0.0;
        double previous = model.angleAt(cx + 50.0, cy);
        for (int step = 1; step <= 360; ++step) {
            const double a = step * tervo::kDegree;
            const double current = model.angleAt(cx + 50.0 * std::cos(a), cy - 50.0 * std::sin(a));
            double change = current - previous;
            while (change > tervo::kHalfPi) change -= tervo::kPi;
            while (change < -tervo::kHalfPi) change += tervo::kPi;
            turned += change;
            previous = current;
        }
        EXPECT_NEAR(std::fabs(turned), tervo::kTwoPi, 0.2);
        break;
    }
}

TEST(Impressions, PlacementStaysWithinTheRangeOfItsDifficulty) {
    using tervo::synth::Difficulty;
    double previousSpread = 0.0;
    for (Difficulty difficulty : {Difficulty::Easy, Difficulty::Typical, Difficulty::Hard}) {
        const tervo::synth::CaptureConditions& conditions = tervo::synth::captureConditions(difficulty);
        double spread = 0.0;
        for (int impression = 1; impression <= 300; ++impression) {
            const tervo::synth::ImpressionPlan plan =
                tervo::synth::planImpression({3, 9}, impression, difficulty);
            ASSERT_LE(std::fabs(plan.placement.shiftX), conditions.shiftLimit);
            ASSERT_LE(std::fabs(plan.placement.shiftY), conditions.shiftLimit);
            ASSERT_LE(std::fabs(plan.placement.rotation), conditions.rotationLimit * tervo::kDegree + 1e-12);
            ASSERT_GE(plan.contact.pressure, 0.0);
            ASSERT_LE(plan.contact.pressure, 1.0);
            ASSERT_GE(plan.contact.moisture, -1.0);
            ASSERT_LE(plan.contact.moisture, 1.0);
            spread += std::fabs(plan.placement.shiftX) + std::fabs(plan.placement.shiftY);
        }
        EXPECT_GT(spread, 1.1 * previousSpread) << tervo::synth::difficultyName(difficulty);
        previousSpread = spread;
    }
}

TEST(Impressions, DifficultyNamesReadBack) {
    using tervo::synth::Difficulty;
    for (Difficulty difficulty : {Difficulty::Easy, Difficulty::Typical, Difficulty::Hard})
        EXPECT_EQ(tervo::synth::parseDifficulty(tervo::synth::difficultyName(difficulty)), difficulty);
    EXPECT_FALSE(tervo::synth::parseDifficulty("Typical"));
    EXPECT_FALSE(tervo::synth::parseDifficulty(""));
    EXPECT_FALSE(tervo::synth::parseDifficulty("medium"));
}

TEST(Impressions, DistortionLeavesTheFirmContactRegionInPlace) {
    const tervo::synth::MasterPrint master;  // geometry only
    tervo::synth::ImpressionPlan plan = tervo::synth::planImpression({0, 1}, 1);
    plan.placement.shiftX = plan.placement.shiftY = plan.placement.rotation = 0.0;
    plan.placement.contactX = master.centreX;
    plan.placement.contactY = master.centreY;
    plan.placement.slipRotation = 0.0;
    plan.placement.slipX = 5.0;
    plan.placement.slipY = 0.0;
    plan.placement.stretchAmplitude = 0.0;
    const double cx = (tervo::synth::kSensorWidth - 1) / 2.0, cy = (tervo::synth::kSensorHeight - 1) / 2.0;
    const tervo::synth::MasterPoint centre = tervo::synth::sensorToMaster(plan, master, cx, cy);
    EXPECT_NEAR(centre.x, master.centreX, 1e-9);
    const double far = plan.placement.firmRadius + plan.placement.transitionWidth + 5.0;
    const tervo::synth::MasterPoint edge = tervo::synth::sensorToMaster(plan, master, cx, cy - far);
    EXPECT_NEAR(edge.x, master.centreX + 5.0, 1e-6) << "skin far from the contact follows the slip";
    // Uneven stretch moves the far skin but never the firm region.
    plan.placement.stretchAmplitude = 8.0;
    EXPECT_NEAR(tervo::synth::sensorToMaster(plan, master, cx, cy).x, master.centreX, 1e-9);
    const tervo::synth::MasterPoint stretched = tervo::synth::sensorToMaster(plan, master, cx, cy - far);
    EXPECT_NEAR(stretched.x, master.centreX + 5.0, 8.0 + 1e-6);
    EXPECT_GT(std::fabs(stretched.x - edge.x) + std::fabs(stretched.y - edge.y), 0.01);
}

class SyntheticFingerTest : public ::testing::Test {
  protected:
    tervo::synth::SyntheticFingers fingers;
};

TEST_F(SyntheticFingerTest, SameIdentityGivesTheSameImage) {
    const GrayImage first = fingers.impression({5, 2}, 3);
    tervo::synth::SyntheticFingers fresh;
    const GrayImage again = fresh.impression({5, 2}, 3);
    ASSERT_EQ(first.width, tervo::synth::kSensorWidth);
    ASSERT_EQ(first.height, tervo::synth::kSensorHeight);
    EXPECT_EQ(first.values, again.values);
}

TEST_F(SyntheticFingerTest, FingerSeedImpressionAndDifficultyEachChangeTheImage) {
    const GrayImage base = fingers.impression({5, 2}, 1);
    EXPECT_NE(base.values, fingers.impression({5, 2}, 1, tervo::synth::Difficulty::Hard).values);
    EXPECT_NE(base.values, fingers.impression({5, 2}, 2).values);
    EXPECT_NE(base.values, fingers.impression({5, 3}, 1).values);
    EXPECT_NE(base.values, fingers.impression({6, 2}, 1).values);
}

TEST_F(SyntheticFingerTest, RidgesAreDarkOnALightBackground) {
    const GrayImage image = fingers.impression({0, 1}, 1);
    // Corners are background, well lit; the centre holds dark ridges.
    long corner = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) corner += image.at(x, y);
    EXPECT_GT(corner / 144, 200);
    int darkest = 255;
    for (int y = 160; y < 200; ++y)
        for (int x = 108; x < 148; ++x) darkest = std::min<int>(darkest, image.at(x, y));
    EXPECT_LT(darkest, 110);
}

}  // namespace
