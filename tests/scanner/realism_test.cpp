// Measured realism of the synthetic impressions: the figures a fingerprint
// algorithm depends on must lie where real 500 ppi prints put them.
#include <gtest/gtest.h>

#include "image_files.h"
#include "minutiae_overlap.h"
#include "synthetic_fingers.h"

namespace {

namespace printcheck = tervo::test::printcheck;

using printcheck::AnalysedImpression;

constexpr int kFingers = 4;
constexpr int kImpressions = 3;

// One measurement campaign: generating and analysing the impressions is the
// expensive part, so every figure is checked on the same set.
struct Campaign {
    std::vector<tervo::synth::MasterPrint> masters;
    std::vector<std::vector<AnalysedImpression>> impressions;

    Campaign() : impressions(kFingers) {
        masters.reserve(kFingers);
        for (int finger = 1; finger <= kFingers; ++finger) {
            masters.push_back(tervo::synth::generateMasterPrint({2024, finger}));
            for (int impression = 1; impression <= kImpressions; ++impression)
                impressions[finger - 1].push_back(printcheck::analyse(
                    masters.back(), tervo::synth::planImpression({2024, finger}, impression)));
        }
    }
};

void checkRidgePeriod(const Campaign& campaign) {
    for (const auto& finger : campaign.impressions)
        for (const AnalysedImpression& impression : finger) {
            const double period = printcheck::medianRidgePeriod(impression.image);
            EXPECT_GE(period, 7.5);
            EXPECT_LE(period, 10.5);
        }
}

void checkForeground(const Campaign& campaign) {
    double total = 0.0;
    for (const auto& finger : campaign.impressions)
        for (const AnalysedImpression& impression : finger) {
            const double share = printcheck::foregroundShare(impression.image);
            // Real 500 ppi sets have single prints down to 0.28 (FVC2004 DB1, DB4) and below.
            EXPECT_GE(share, 0.25);
            EXPECT_LE(share, 0.98);
            total += share;
        }
    EXPECT_LE(total / (kFingers * kImpressions), 0.92) << "a background must show around the finger";
}

void checkMinutiaeCount(const Campaign& campaign) {
    for (const auto& finger : campaign.impressions)
        for (const AnalysedImpression& impression : finger) {
            // The count follows the skin captured: real partial prints of 28-45 % foreground
            // carry 14-46 minutiae, full windows about 60. Measured per full window, the
            // floor is half the real median and the ceiling twice the densest real print.
            const double share = printcheck::foregroundShare(impression.image);
            const double perWindow = static_cast<double>(impression.minutiae.size()) / share;
            EXPECT_GE(perWindow, 30.0) << impression.minutiae.size() << " minutiae on " << share;
            EXPECT_LE(impression.minutiae.size(), 130U);
        }
}

void checkMinutiaeOverlap(const Campaign& campaign) {
    const auto& impressions = campaign.impressions;
    double genuine = 0.0, impostor = 0.0;
    int genuinePairs = 0, impostorPairs = 0, hardPairs = 0;
    for (int f = 0; f < kFingers; ++f) {
        for (int i = 0; i < kImpressions; ++i)
            for (int j = i + 1; j < kImpressions; ++j) {
                const double overlap = printcheck::minutiaeOverlap(impressions[f][i], impressions[f][j]);
                if (overlap < 0.0) continue;
                if (overlap < 0.35) ++hardPairs;
                genuine += overlap;
                ++genuinePairs;
            }
        for (int g = f + 1; g < kFingers; ++g) {
            const double overlap = printcheck::minutiaeOverlap(impressions[f][0], impressions[g][0]);
            if (overlap < 0.0) continue;
            impostor += overlap;
            ++impostorPairs;
        }
    }
    ASSERT_GE(genuinePairs, kFingers * 2);
    ASSERT_GE(impostorPairs, kFingers);
    // Hard genuine pairs exist, as on a real sensor (about one in six over 40 fingers), but
    // most impressions of a finger find most of its minutiae again.
    EXPECT_LE(3 * hardPairs, genuinePairs)
        << hardPairs << " of " << genuinePairs << " genuine pairs under 0.35";
    EXPECT_GE(genuine / genuinePairs, 0.5);
    EXPECT_LE(impostor / impostorPairs, 0.3);
}

TEST(SyntheticImpressions, MeasureLikeRealPrints) {
    const Campaign campaign;
    {
        SCOPED_TRACE("ridge period about nine pixels");
        checkRidgePeriod(campaign);
    }
    {
        SCOPED_TRACE("foreground covers most of the window but not all");
        checkForeground(campaign);
    }
    {
        SCOPED_TRACE("minutiae count like a real print");
        checkMinutiaeCount(campaign);
    }
    {
        SCOPED_TRACE("impressions of one finger share most minutiae, other fingers do not");
        checkMinutiaeOverlap(campaign);
    }
}

}  // namespace
