#include "matcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "angles.h"
#include "foreground_count.h"
#include "prepared_cache.h"

namespace tervo::fpr {
namespace {

// Minutiae spread over a print-sized ellipse at least 12 pixels apart, as in real prints.
FeatureTemplate randomPrint(unsigned seed, std::size_t count = 40) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0F, 1.0F);
    FeatureTemplate t;
    t.mask.fill(1);
    while (t.minutiae.size() < count) {
        const float x = 128 + 110 * (2 * unit(rng) - 1), y = 180 + 160 * (2 * unit(rng) - 1);
        bool crowded = false;
        for (const Minutia& m : t.minutiae) crowded = crowded || std::hypot(m.x - x, m.y - y) < 12;
        if (crowded) continue;
        Minutia m;
        m.x = static_cast<int>(x);
        m.y = static_cast<int>(y);
        m.angle = unit(rng) * kTwoPiF;
        m.reliability = 80;
        t.minutiae.push_back(m);
    }
    return t;
}

// A smooth ridge flow, turning across the print, as the orientation field of t; `turn` (radians) is
// added everywhere. Read at a cell centre moved back by `toSource`.
template <typename ToSource>
void setFlow(FeatureTemplate& t, float turn, ToSource toSource) {
    for (int cell = 0; cell < kMaskBits; ++cell) {
        float x = static_cast<float>(cell % kMaskColumns * kMaskCell + kMaskCell / 2);
        float y = static_cast<float>(cell / kMaskColumns * kMaskCell + kMaskCell / 2);
        toSource(x, y);
        const float angle = std::fmod(0.008F * x + 0.004F * y + turn + 4 * kPiF, kPiF);
        t.orientation[cell] =
            static_cast<std::uint8_t>(std::lround(angle / kPiF * kOrientationSteps) % kOrientationSteps);
    }
}

// The same finger seen again: rotated about the centre, shifted, jittered; some minutiae lost, some
// spurious ones added.
FeatureTemplate reimpress(const FeatureTemplate& t, float degrees, float shiftX, float shiftY, unsigned seed,
                          float lostShare = 0.0F, std::size_t spurious = 0) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> jitter(0.0F, 1.5F);
    std::uniform_real_distribution<float> unit(0.0F, 1.0F);
    const float r = degrees * kTwoPiF / 360.0F, c = std::cos(r), s = std::sin(r);
    FeatureTemplate out;
    out.mask.fill(1);
    for (const Minutia& m : t.minutiae) {
        if (unit(rng) < lostShare) continue;
        const float dx = m.x - 128.0F, dy = m.y - 180.0F;
        const float x = 128 + c * dx - s * dy + shiftX + jitter(rng),
                    y = 180 + s * dx + c * dy + shiftY + jitter(rng);
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
        Minutia n = m;
        n.x = static_cast<int>(x);
        n.y = static_cast<int>(y);
        n.angle = std::fmod(m.angle + r + 0.05F * jitter(rng) + kTwoPiF, kTwoPiF);
        out.minutiae.push_back(n);
    }
    const FeatureTemplate noise = randomPrint(seed + 1000, spurious);
    out.minutiae.insert(out.minutiae.end(), noise.minutiae.begin(), noise.minutiae.end());
    return out;
}

TEST(Matcher, IdenticalSetsAreAPerfectMatch) {
    const FeatureTemplate t = randomPrint(1);
    EXPECT_GT(matchTemplates(t, t).similarity, 0.95F);
}

// The top of the similarity scale is where a print of 25 minutiae meets itself: the score's
// shrinkage and the calibration's full-match point must move together.
TEST(Matcher, TwentyFiveMinutiaeAgainstThemselvesReachTheTopOfTheScale) {
    for (unsigned seed = 60; seed < 65; ++seed) {
        const FeatureTemplate t = randomPrint(seed, 25);
        EXPECT_EQ(matchTemplates(t, t).similarity, 1.0F) << "seed " << seed;
    }
}

TEST(Matcher, RotationTranslationAndJitterAreTolerated) {
    const FeatureTemplate t = randomPrint(2);
    for (float degrees : {-30.0F, -10.0F, 0.0F, 15.0F, 30.0F}) {
        const FeatureTemplate moved = reimpress(t, degrees, 20, -15, 7);
        EXPECT_GT(matchTemplates(t, moved).similarity, 0.6F) << degrees << " degrees";
    }
}

TEST(Matcher, LostAndSpuriousMinutiaeStillMatch) {
    const FeatureTemplate t = randomPrint(3);
    const FeatureTemplate moved = reimpress(t, 12, -10, 10, 9, 0.3F, 8);
    EXPECT_GT(matchTemplates(t, moved).similarity, 0.6F);
}

TEST(Matcher, DirectionsScatteredByTwentyDegreesStillPair) {
    // Directions read from short ridge traces on distorted real prints wander by 20 degrees and more.
    const FeatureTemplate t = randomPrint(4);
    FeatureTemplate moved = reimpress(t, 8, 12, -6, 11);
    for (std::size_t i = 0; i < moved.minutiae.size(); ++i) {
        const float turn = (i % 2 == 0 ? 20.0F : -20.0F) * kTwoPiF / 360.0F;
        moved.minutiae[i].angle = std::fmod(moved.minutiae[i].angle + turn + kTwoPiF, kTwoPiF);
    }
    EXPECT_GT(matchTemplates(t, moved).similarity, 0.6F);
}

TEST(Matcher, SharedMinutiaeListedBehindSpuriousOnesStillAnchor) {
    // Reliability is a poor guide on real prints: the reproducible minutiae may all rank below the
    // first thirty, and the alignment must still be found among them.
    const FeatureTemplate t = randomPrint(5);
    const FeatureTemplate shared = reimpress(t, -6, 8, 8, 13);
    FeatureTemplate moved = randomPrint(6000, 30);
    moved.minutiae.insert(moved.minutiae.end(), shared.minutiae.begin(), shared.minutiae.end());
    EXPECT_GT(matchTemplates(t, moved).similarity, 0.6F);
}

// Skin pressed harder on one side: the print stretched away from a point near its left edge, by a
// share that grows with the distance, so no rigid motion fits the far side.
FeatureTemplate stretch(const FeatureTemplate& t, float share) {
    FeatureTemplate out = t;
    for (Minutia& m : out.minutiae) {
        const float dx = m.x - 30.0F, dy = m.y - 180.0F;
        const float grow = 1.0F + share * std::hypot(dx, dy) / 200.0F;
        m.x = static_cast<int>(30.0F + dx * grow);
        m.y = static_cast<int>(180.0F + dy * grow);
    }
    return out;
}

TEST(Matcher, StretchedPrintsStillPairMostMinutiae) {
    for (unsigned seed = 70; seed < 76; ++seed) {
        const FeatureTemplate t = randomPrint(seed);
        const MatchDetail d = matchTemplates(t, stretch(t, 0.08F));
        EXPECT_GE(d.paired, 34) << "seed " << seed;
        EXPECT_GT(d.similarity, 0.85F) << "seed " << seed;
    }
}

TEST(Matcher, EveryMinutiaPairsAtMostOnce) {
    // Each minutia of a print twice, 3 pixels apart, against the print itself: both copies are within
    // every pairing bound of one partner, which must be handed out once. The single print is padded
    // with a row of minutiae far from the rest so that it is the larger one and goes second in the
    // matcher's canonical order, where a partner handed out twice would show.
    const FeatureTemplate t = randomPrint(9, 20);
    FeatureTemplate doubled = t, padded = t;
    for (const Minutia& m : t.minutiae) {
        Minutia copy = m;
        copy.x += 3;
        doubled.minutiae.push_back(copy);
    }
    for (Minutia& m : padded.minutiae) m.y = m.y * 5 / 6;
    for (Minutia& m : doubled.minutiae) m.y = m.y * 5 / 6;
    for (int k = 0; k < 24; ++k) {
        Minutia m;
        m.x = 10 + 10 * k;
        m.y = 350;
        padded.minutiae.push_back(m);
    }
    for (const MatchDetail& d : {matchTemplates(doubled, padded), matchTemplates(padded, doubled)}) {
        EXPECT_EQ(d.paired, 20);
        EXPECT_GT(d.similarity, 0.6F);
    }
}

TEST(Matcher, LoosePairsCountLessThanExactOnes) {
    // Every minutia displaced by 4 to 5 pixels still pairs, but the match is visibly less certain.
    const FeatureTemplate t = randomPrint(8);
    FeatureTemplate loose = t;
    for (std::size_t i = 0; i < loose.minutiae.size(); ++i) {
        loose.minutiae[i].x += i % 2 == 0 ? 4 : -4;
        loose.minutiae[i].y += i % 3 == 0 ? 2 : -2;
    }
    const MatchDetail exact = matchTemplates(t, t), shifted = matchTemplates(t, loose);
    EXPECT_EQ(shifted.paired, exact.paired);
    EXPECT_LT(shifted.raw, 0.9F * exact.raw);
    EXPECT_GT(shifted.similarity, 0.6F);
}

// Under the alignment the minutiae give, the ridge flows of two impressions of one finger run alike;
// a print whose minutiae fit but whose ridges cross them at right angles is another finger, and
// scores lower.
TEST(Matcher, RidgeFlowAgreementWeighsTheScore) {
    FeatureTemplate t = randomPrint(12);
    setFlow(t, 0.0F, [](float&, float&) {});
    constexpr float kDegrees = 20.0F, kShiftX = 12.0F, kShiftY = -8.0F;
    const float r = kDegrees * kTwoPiF / 360.0F;
    FeatureTemplate moved = reimpress(t, kDegrees, kShiftX, kShiftY, 13), crossed = moved;
    const auto back = [&](float& x, float& y) {
        const float dx = x - 128.0F - kShiftX, dy = y - 180.0F - kShiftY;
        x = 128 + std::cos(r) * dx + std::sin(r) * dy;
        y = 180 - std::sin(r) * dx + std::cos(r) * dy;
    };
    FeatureTemplate oblique = moved;
    setFlow(moved, r, back);
    setFlow(crossed, r + kTwoPiF / 4, back);
    setFlow(oblique, r + kTwoPiF / 8, back);
    const MatchDetail same = matchTemplates(t, moved), across = matchTemplates(t, crossed);
    EXPECT_GT(same.orientationAgreement, 0.9F);
    EXPECT_GT(same.orientationCells, 40);  // a quarter of the cells is sampled
    EXPECT_LT(across.orientationAgreement, -0.9F);
    EXPECT_EQ(across.paired, same.paired);
    EXPECT_LT(across.raw, 0.1F * same.raw);
    // Ridges crossing at 45 degrees run alike over half the overlap: the flow factor, a squared share
    // like the minutiae term, leaves a quarter of the score.
    const MatchDetail half = matchTemplates(t, oblique);
    EXPECT_NEAR(half.orientationAgreement, 0.0F, 0.1F);
    EXPECT_EQ(half.paired, same.paired);
    EXPECT_NEAR(half.raw / same.raw, 0.25F, 0.05F);
}

// Two fingers of one pattern differ in ridge spacing: a pair whose minutiae and flow fit but whose
// ridges lie a quarter further apart scores lower. A period known on one side only is no evidence.
TEST(Matcher, RidgePeriodAgreementWeighsTheScore) {
    FeatureTemplate t = randomPrint(14);
    FeatureTemplate moved = reimpress(t, 10.0F, 6.0F, 4.0F, 15);
    t.period.fill(periodCode(8.0F));
    moved.period.fill(periodCode(8.0F));
    FeatureTemplate wider = moved, unknown = moved;
    wider.period.fill(periodCode(10.0F));
    unknown.period.fill(0);
    const MatchDetail same = matchTemplates(t, moved), apart = matchTemplates(t, wider);
    EXPECT_FLOAT_EQ(same.periodAgreement, 1.0F);
    EXPECT_NEAR(apart.periodAgreement, 0.8F, 1e-3F);
    EXPECT_EQ(apart.paired, same.paired);
    EXPECT_NEAR(apart.raw / same.raw, std::pow(0.8F, static_cast<float>(kPeriodPower)), 1e-3F);
    EXPECT_EQ(matchTemplates(t, unknown).raw, same.raw);
}

TEST(Matcher, UnrelatedPrintsStayBelowTheThreshold) {
    for (unsigned seed = 10; seed < 40; ++seed) {
        const MatchDetail d = matchTemplates(randomPrint(seed), randomPrint(seed + 100));
        EXPECT_LT(d.similarity, 0.6F) << "seed " << seed << " paired " << d.paired;
    }
}

TEST(Matcher, IsExactlySymmetric) {
    for (unsigned seed = 50; seed < 60; ++seed) {
        const FeatureTemplate a = randomPrint(seed), b = reimpress(randomPrint(seed), 8, 5, 5, seed, 0.2F, 5);
        const FeatureTemplate c = randomPrint(seed + 1, 25), d = stretch(b, 0.1F);
        EXPECT_EQ(matchTemplates(a, b).similarity, matchTemplates(b, a).similarity);
        EXPECT_EQ(matchTemplates(a, c).similarity, matchTemplates(c, a).similarity);
        // The distortion pass pairs from the winning alignment, which must not depend on the order.
        EXPECT_EQ(matchTemplates(a, d).raw, matchTemplates(d, a).raw);
        EXPECT_EQ(matchTemplates(a, d).paired, matchTemplates(d, a).paired);
    }
}

// The search route prepares a template in full only once a comparison puts it second; a template
// first met in the first place and later put second must score as if prepared in one go, whatever
// the cache slot held before.
TEST(Matcher, SearchRouteScoresAsTheDecodedRouteInEitherPlace) {
    const FeatureTemplate finger = randomPrint(70, 50);
    const std::vector<FeatureTemplate> prints = {finger, reimpress(finger, 6, 4, -3, 71, 0.2F),
                                                 reimpress(finger, -5, -3, 5, 72, 0.4F), randomPrint(73, 45),
                                                 randomPrint(74, 35)};
    std::vector<std::array<std::uint8_t, kTemplateSize>> bytes(prints.size());
    std::vector<FeatureTemplate> decoded(prints.size());
    for (std::size_t k = 0; k < prints.size(); ++k) {
        encodeTemplate(prints[k], bytes[k].data());
        ASSERT_TRUE(decodeTemplate(bytes[k].data(), decoded[k]));
    }
    clearPreparedCache();
    // Every ordered pair, so each template meets templates with more and with fewer minutiae in turn.
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < prints.size(); ++i) {
            for (std::size_t j = 0; j < prints.size(); ++j) {
                const PreparedTemplate *a = nullptr, *b = nullptr;
                ASSERT_TRUE(preparePair(bytes[i].data(), bytes[j].data(), a, b));
                EXPECT_EQ(matchPrepared(*a, *b).similarity, matchTemplates(decoded[i], decoded[j]).similarity)
                    << i << " against " << j;
            }
        }
    }
    clearPreparedCache();
}

TEST(Matcher, EmptyOrTinySetsMatchNothing) {
    const FeatureTemplate t = randomPrint(4);
    FeatureTemplate empty;
    empty.empty = true;
    EXPECT_EQ(matchTemplates(t, empty).similarity, 0.0F);
    EXPECT_EQ(matchTemplates(empty, empty).similarity, 0.0F);
    const FeatureTemplate two = randomPrint(5, 2);
    EXPECT_EQ(matchTemplates(two, two).similarity, 0.0F);
}

TEST(Matcher, SimilarityStaysInTheUnitInterval) {
    const FeatureTemplate t = randomPrint(6, 100);
    const float s = matchTemplates(t, t).similarity;
    EXPECT_GE(s, 0.0F);
    EXPECT_LE(s, 1.0F);
    EXPECT_EQ(calibrateSimilarity(5.0F, 50), 1.0F);
    EXPECT_EQ(calibrateSimilarity(0.9F, 2), 0.0F);
}

// The vectorised count must give maskAt's answer point by point, at the cell and grid edges, far off the
// image and for values that are not numbers, and must ignore whatever lies past the count.
TEST(ForegroundCount, AgreesWithTheMaskPointByPoint) {
    PreparedTemplate t;
    std::mt19937 rng(7);
    for (auto& cell : t.mask) cell = static_cast<std::uint8_t>(rng() % 3 == 0 ? 0 : 1);
    t.mask[0] = 1;  // the cell every rejected point would fall into if its test were lost
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> edges = {-1e30F, -16.0F,  -0.5F,  -0.0F, 0.0F,  15.99F, 16.0F, 255.99F, 256.0F,
                                      359.5F, 367.99F, 368.0F, 3e9F,  1e30F, inf,    -inf,  nan};
    std::vector<std::pair<float, float>> points;
    for (float x : edges)
        for (float y : edges) points.emplace_back(x, y);
    std::uniform_real_distribution<float> anywhere(-40.0F, 400.0F);
    while (points.size() % kMaxMatched != 0) points.emplace_back(anywhere(rng), anywhere(rng));
    for (std::size_t start = 0; start < points.size(); start += kMaxMatched) {
        PointCoordinates xs, ys;
        for (int k = 0; k < kMaxMatched; ++k) std::tie(xs[k], ys[k]) = points[start + k];
        for (int count : {0, 1, 7, 8, 9, 33, kMaxMatched}) {
            int expected = 0;
            // maskAt itself is only asked about points whose pixel converts to an int; farther ones are
            // off the image, never in the foreground.
            for (int k = 0; k < count; ++k)
                expected +=
                    std::fabs(xs[k]) < 1e9F && std::fabs(ys[k]) < 1e9F && t.maskAt(xs[k], ys[k]) ? 1 : 0;
            PointCoordinates garbageX = xs, garbageY = ys;
            for (int k = count; k < kMaxMatched; ++k) garbageX[k] = garbageY[k] = 100.0F;
            EXPECT_EQ(countInForeground(t, xs, ys, count), expected) << "from " << start << ", " << count;
            EXPECT_EQ(countInForeground(t, garbageX, garbageY, count), expected) << "from " << start;
        }
    }
    EXPECT_EQ(wholeBlocks(0), 0);
    EXPECT_EQ(wholeBlocks(1), kBlock);
    EXPECT_EQ(wholeBlocks(kBlock + 1), 2 * kBlock);
    EXPECT_EQ(wholeBlocks(kMaxMatched), kMaxMatched);
    EXPECT_EQ(wholeBlocks(-3), 0);
}

// A print against itself aligns exactly, so the overlap counts are the minutiae inside its own mask,
// and both must be counted even when most of the print lies outside its foreground: the second count
// is skipped only when the score cannot win, never for a winner.
TEST(Matcher, OverlapsCountTheMinutiaeInsideTheForeground) {
    for (unsigned seed = 70; seed < 76; ++seed) {
        FeatureTemplate t = randomPrint(seed, 45);
        for (int cy = 0; cy < kMaskRows; ++cy)
            for (int cx = 0; cx < kMaskColumns; ++cx)
                t.mask[cy * kMaskColumns + cx] =
                    static_cast<std::uint8_t>(cx + cy >= 12 + static_cast<int>(seed % 4) * 3);
        PreparedTemplate prepared;
        prepareTemplate(t, prepared);
        int inside = 0;
        for (int i = 0; i < prepared.count; ++i)
            inside += prepared.maskAt(prepared.x[i], prepared.y[i]) ? 1 : 0;
        const MatchDetail d = matchPrepared(prepared, prepared);
        EXPECT_EQ(d.paired, prepared.count) << "seed " << seed;
        EXPECT_EQ(d.overlapA, inside) << "seed " << seed;
        EXPECT_EQ(d.overlapB, inside) << "seed " << seed;
    }
}

}  // namespace
}  // namespace tervo::fpr
