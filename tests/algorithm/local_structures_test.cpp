#include "local_structures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "angles.h"

namespace tervo::fpr {
namespace {

Minutia at(int x, int y, float degrees, MinutiaType type = MinutiaType::Ending) {
    Minutia m;
    m.x = x;
    m.y = y;
    m.angle = degrees * kTwoPiF / 360.0F;
    m.type = type;
    m.reliability = 50;
    return m;
}

FeatureTemplate withMinutiae(std::initializer_list<Minutia> list) {
    FeatureTemplate t;
    t.mask.fill(1);
    t.minutiae = list;
    return t;
}

PreparedTemplate prepared(const FeatureTemplate& t) {
    PreparedTemplate p;
    prepareTemplate(t, p);
    return p;
}

float similarity(const PreparedTemplate& a, int i, const PreparedTemplate& b, int j) {
    return descriptorSimilarity(a, i, b, j);
}

TEST(LocalStructures, NeighboursOutOfReachLeaveADescriptorEmpty) {
    // Right beside the radius, straight across and straight down, and in a far corner.
    for (const Minutia& far :
         {at(100 + kDescriptorRadius + 1, 100, 0), at(100, 100 + kDescriptorRadius + 1, 0),
          at(100 + 60, 100 + 60, 0), at(100 + 200, 100, 0)}) {
        const PreparedTemplate p = prepared(withMinutiae({at(100, 100, 0), far}));
        EXPECT_EQ(p.bitCount[0], 0) << far.x << "," << far.y;
        EXPECT_EQ(p.bitCount[1], 0);
    }
    const PreparedTemplate near =
        prepared(withMinutiae({at(100, 100, 0), at(100 + kDescriptorRadius - 1, 100, 0)}));
    EXPECT_GT(near.bitCount[0], 0);
    EXPECT_EQ(near.bitCount[0], near.bitCount[1]);
}

TEST(LocalStructures, DescriptorsDoNotChangeWithRotationAndTranslation) {
    const FeatureTemplate t = withMinutiae(
        {at(120, 150, 30), at(150, 160, 80), at(110, 190, 200), at(90, 140, 300, MinutiaType::Bifurcation)});
    // A quarter turn about (128, 180) maps the pixel grid onto itself, so positions stay exact.
    FeatureTemplate turned = t;
    for (Minutia& m : turned.minutiae) {
        const int dx = m.x - 128, dy = m.y - 180;
        m.x = 128 - dy + 7;
        m.y = 180 + dx - 5;
        m.angle = std::fmod(m.angle + kTwoPiF / 4, kTwoPiF);
    }
    const PreparedTemplate a = prepared(t), b = prepared(turned);
    for (int i = 0; i < a.count; ++i) {
        ASSERT_GT(a.bitCount[i], 0);
        EXPECT_EQ(a.bitCount[i], b.bitCount[i]);
        EXPECT_FLOAT_EQ(similarity(a, i, b, i), 1.0F) << "minutia " << i;
    }
}

TEST(LocalStructures, DifferentNeighbourhoodsAreTold) {
    const PreparedTemplate a = prepared(withMinutiae({at(100, 100, 0), at(130, 100, 90)}));
    const PreparedTemplate b = prepared(withMinutiae({at(100, 100, 0), at(100, 160, 270)}));
    EXPECT_LT(similarity(a, 0, b, 0), 0.3F);
    EXPECT_FLOAT_EQ(similarity(a, 0, a, 0), 1.0F);
}

TEST(LocalStructures, OnlyTheMostReliableMinutiaeAreKeptAndEmptyMeansNone) {
    FeatureTemplate many;
    for (int k = 0; k < kMaxTemplateMinutiae; ++k)
        many.minutiae.push_back(at(10 + 2 * (k % 100), 20 + 3 * k, 0));
    EXPECT_EQ(prepared(many).count, kMaxMatched);
    many.empty = true;
    EXPECT_EQ(prepared(many).count, 0);
}

TEST(LocalStructures, ContentOrderIsATotalOrderOnContent) {
    const FeatureTemplate t = withMinutiae({at(120, 150, 30), at(150, 160, 80)});
    FeatureTemplate u = t;
    u.minutiae[1].y += 1;
    FeatureTemplate masked = t;
    masked.mask[5] = 0;
    const PreparedTemplate a = prepared(t), b = prepared(u), c = prepared(masked);
    EXPECT_EQ(compareContent(a, prepared(t)), 0);
    EXPECT_LT(compareContent(a, b), 0);
    EXPECT_GT(compareContent(b, a), 0);
    EXPECT_NE(compareContent(a, c), 0);
    EXPECT_EQ(compareContent(a, c), -compareContent(c, a));
}

// The pairing looks up candidates at transformed, fractional positions, some outside the image; a
// minutia within reach that the look-up leaves out can never be paired.
TEST(LocalStructures, NearbyLookUpHoldsEveryMinutiaWithinReach) {
    FeatureTemplate t;
    t.mask.fill(1);
    for (int k = 0; k < kMaxMatched - 2; ++k)
        t.minutiae.push_back(at((k * 37) % kWidth, (k * 53) % kHeight, 0));
    t.minutiae.push_back(at(0, 0, 0));
    t.minutiae.push_back(at(kWidth - 1, kHeight - 1, 0));
    const PreparedTemplate p = prepared(t);
    int missed = 0;
    for (float py = -20.25F; py < kHeight + 20; py += 0.7F) {
        for (float px = -20.25F; px < kWidth + 20; px += 0.9F) {
            const std::uint64_t near = p.nearbyAt(px, py);
            for (int i = 0; i < p.count; ++i) {
                const float ex = px - p.x[i], ey = py - p.y[i];
                if (ex * ex + ey * ey <= kNearbyReach * kNearbyReach && !(near >> i & 1U)) ++missed;
            }
        }
    }
    EXPECT_EQ(missed, 0);
}

// Points far off the image (a wild alignment), infinite or not a number must answer like any other
// point outside: no foreground, and the candidates of the nearest image point, never an index
// computed from an out-of-range conversion.
TEST(LocalStructures, LookUpsFarOffTheImageStayInside) {
    FeatureTemplate t = withMinutiae({at(0, 0, 0), at(kWidth - 1, kHeight - 1, 0), at(kWidth - 1, 0, 0)});
    const PreparedTemplate p = prepared(t);
    const float far = 3.0e9F, inf = INFINITY, nan = NAN;
    for (const float v : {far, -far, inf, -inf, nan}) {
        EXPECT_FALSE(p.maskAt(v, 10.0F)) << v;
        EXPECT_FALSE(p.maskAt(10.0F, v)) << v;
        EXPECT_FALSE(t.maskAt(v, 10.0F)) << v;
        EXPECT_FALSE(t.maskAt(10.0F, v)) << v;
    }
    EXPECT_TRUE(p.maskAt(10.0F, 10.0F));
    EXPECT_EQ(p.nearbyAt(far, -far), p.nearbyAt(kWidth - 1, 0));
    EXPECT_EQ(p.nearbyAt(inf, inf), p.nearbyAt(kWidth - 1, kHeight - 1));
    EXPECT_EQ(p.nearbyAt(-inf, nan), p.nearbyAt(0, 0));
    EXPECT_NE(p.nearbyAt(far, far) & 2U, 0U);
}

// A search prepares the stored template straight from its bytes, a verification from the decoded
// form; a field that differs between the two would change scores depending on the route.
void expectSamePrepared(const PreparedTemplate& a, const PreparedTemplate& b) {
    ASSERT_EQ(a.count, b.count);
    for (int i = 0; i < a.count; ++i) {
        EXPECT_EQ(a.x[i], b.x[i]);
        EXPECT_EQ(a.y[i], b.y[i]);
        EXPECT_EQ(a.angle[i], b.angle[i]) << "minutia " << i;
        EXPECT_EQ(a.type[i], b.type[i]);
        EXPECT_EQ(a.bitCount[i], b.bitCount[i]);
        EXPECT_EQ(a.descriptor[i], b.descriptor[i]);
    }
    EXPECT_EQ(a.anchorWords, b.anchorWords);
    EXPECT_EQ(a.nearRow, b.nearRow);
    EXPECT_EQ(a.nearColumn, b.nearColumn);
    EXPECT_EQ(a.mask, b.mask);
    EXPECT_EQ(compareContent(a, b), 0);
}

TEST(LocalStructures, StoredBytesAndDecodedTemplatePrepareAlike) {
    std::mt19937 rng(11);
    for (std::size_t count :
         {std::size_t{0}, std::size_t{3}, std::size_t{40}, std::size_t{64}, std::size_t{100}}) {
        FeatureTemplate t;
        for (std::uint8_t& cell : t.mask) cell = (rng() % 3) != 0;
        for (std::size_t k = 0; k < count; ++k) {
            // Every direction step occurs: the decoded form carries it as a float and back.
            t.minutiae.push_back(at(static_cast<int>(rng() % kWidth), static_cast<int>(rng() % kHeight),
                                    static_cast<float>((k * 53 + rng()) % 256) * (360.0F / 256.0F),
                                    (rng() & 1) ? MinutiaType::Bifurcation : MinutiaType::Ending));
        }
        for (int step = 0; step < 256 && count == 100; ++step)
            t.minutiae[step % 100].angle = step * kTwoPiF / 256.0F;
        std::uint8_t bytes[kTemplateSize];
        encodeTemplate(t, bytes);
        FeatureTemplate decoded;
        PackedTemplate packed;
        ASSERT_TRUE(decodeTemplate(bytes, decoded));
        ASSERT_TRUE(checkTemplate(bytes, packed));
        PreparedTemplate fromBytes;
        prepareTemplate(packed, fromBytes);
        expectSamePrepared(prepared(decoded), fromBytes);
    }
}

TEST(LocalStructures, EveryDirectionStepSurvivesTheDecodedForm) {
    for (std::uint32_t step = 0; step < 256; ++step) {
        FeatureTemplate t;
        t.minutiae = {at(100, 100, 0), at(120, 110, 0)};
        t.minutiae[0].angle = static_cast<float>(step) * (kTwoPiF / 256.0F);  // as the decoder writes it
        EXPECT_EQ(prepared(t).angle[0], step);
    }
}

// The mask order is the cell-by-cell order of the stored grid, whichever cell differs first.
TEST(LocalStructures, ContentOrderFollowsTheFirstDifferingMaskCell) {
    FeatureTemplate t = withMinutiae({at(120, 150, 30), at(150, 160, 80)});
    for (int cell : {0, 7, 15, 16, 200, kMaskBits - 1}) {
        FeatureTemplate less = t, more = t;
        less.mask[cell] = 0;
        for (int later = cell + 1; later < kMaskBits; ++later) more.mask[later] = 0;
        EXPECT_LT(compareContent(prepared(less), prepared(more)), 0) << "cell " << cell;
        EXPECT_GT(compareContent(prepared(more), prepared(less)), 0) << "cell " << cell;
    }
}

}  // namespace
}  // namespace tervo::fpr
