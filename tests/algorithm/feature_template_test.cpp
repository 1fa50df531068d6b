#include "feature_template.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "angles.h"
#include "checksum.h"

namespace tervo::fpr {
namespace {

FeatureTemplate sampleTemplate(std::size_t count, unsigned seed = 3) {
    std::mt19937 rng(seed);
    FeatureTemplate t;
    t.fingerCode = 2;
    t.scannerType = 11;
    t.quality = 77;
    t.periodTenths = 92;
    for (std::size_t i = 0; i < t.mask.size(); ++i) {
        t.mask[i] = (rng() % 3) != 0;
        t.orientation[i] = t.mask[i] ? static_cast<std::uint8_t>(rng() % kOrientationSteps) : 0;
    }
    // Every code, unknown (0) included, where a mask cell of the period cell holds print.
    for (int cell = 0; cell < kMaskBits; ++cell) {
        if (t.mask[static_cast<std::size_t>(cell)])
            t.period[static_cast<std::size_t>(periodCellOf(cell))] =
                static_cast<std::uint8_t>(periodCellOf(cell) % kPeriodCodes);
    }
    for (std::size_t i = 0; i < count; ++i) {
        Minutia m;
        m.x = static_cast<int>(rng() % kWidth);
        m.y = static_cast<int>(rng() % kHeight);
        m.angle = static_cast<float>(rng() % 256) * (kTwoPiF / 256.0F);
        m.type = (rng() & 1) ? MinutiaType::Bifurcation : MinutiaType::Ending;
        m.reliability = static_cast<std::uint8_t>(std::lround((rng() % 64) * (100.0 / 63.0)));
        t.minutiae.push_back(m);
    }
    return t;
}

// Rewrites the checksum so that a test can reach the checks behind it.
void reseal(std::uint8_t* bytes) {
    writeLe32(bytes + 508, crc32(bytes, 508));
}

TEST(FeatureTemplate, RoundTripKeepsEveryField) {
    const FeatureTemplate t = sampleTemplate(kMaxTemplateMinutiae);
    std::uint8_t bytes[kTemplateSize];
    encodeTemplate(t, bytes);
    EXPECT_EQ(std::memcmp(bytes, "TVFT", 4), 0);
    FeatureTemplate back;
    ASSERT_TRUE(decodeTemplate(bytes, back));
    EXPECT_FALSE(back.empty);
    EXPECT_EQ(back.fingerCode, 2);
    EXPECT_EQ(back.scannerType, 11);
    EXPECT_EQ(back.quality, 77);
    EXPECT_EQ(back.periodTenths, 92);
    EXPECT_EQ(back.mask, t.mask);
    EXPECT_EQ(back.orientation, t.orientation);
    EXPECT_EQ(back.period, t.period);
    ASSERT_EQ(back.minutiae.size(), t.minutiae.size());
    for (std::size_t i = 0; i < t.minutiae.size(); ++i) {
        EXPECT_EQ(back.minutiae[i].x, t.minutiae[i].x);
        EXPECT_EQ(back.minutiae[i].y, t.minutiae[i].y);
        EXPECT_NEAR(back.minutiae[i].angle, t.minutiae[i].angle, 1e-4);
        EXPECT_EQ(back.minutiae[i].type, t.minutiae[i].type);
        EXPECT_EQ(back.minutiae[i].reliability, t.minutiae[i].reliability);
    }
}

TEST(FeatureTemplate, MinutiaeBeyondTheCapacityAreDropped) {
    const FeatureTemplate t = sampleTemplate(kMaxTemplateMinutiae + 20);
    std::uint8_t bytes[kTemplateSize];
    encodeTemplate(t, bytes);
    FeatureTemplate back;
    ASSERT_TRUE(decodeTemplate(bytes, back));
    EXPECT_EQ(back.minutiae.size(), static_cast<std::size_t>(kMaxTemplateMinutiae));
}

TEST(FeatureTemplate, EmptyTemplateIsValidAndCarriesNoMinutiae) {
    FeatureTemplate t = sampleTemplate(10);
    t.empty = true;
    std::uint8_t bytes[kTemplateSize];
    encodeTemplate(t, bytes);
    FeatureTemplate back;
    ASSERT_TRUE(decodeTemplate(bytes, back));
    EXPECT_TRUE(back.empty);
    EXPECT_TRUE(back.minutiae.empty());
}

TEST(FeatureTemplate, AnySingleBitFlipIsDetected) {
    std::uint8_t bytes[kTemplateSize];
    encodeTemplate(sampleTemplate(30), bytes);
    for (std::size_t i = 0; i < kTemplateSize; ++i) {
        for (int bit = 0; bit < 8; bit += 3) {
            bytes[i] ^= static_cast<std::uint8_t>(1 << bit);
            FeatureTemplate back;
            EXPECT_FALSE(decodeTemplate(bytes, back)) << "byte " << i << " bit " << bit;
            bytes[i] ^= static_cast<std::uint8_t>(1 << bit);
        }
    }
}

TEST(FeatureTemplate, LayoutChecksHoldEvenWithAValidChecksum) {
    std::uint8_t good[kTemplateSize];
    encodeTemplate(sampleTemplate(30), good);
    auto refusedAfter = [&](auto&& damage) {
        std::uint8_t bytes[kTemplateSize];
        std::memcpy(bytes, good, kTemplateSize);
        damage(bytes);
        reseal(bytes);
        FeatureTemplate back;
        return !decodeTemplate(bytes, back);
    };
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[4] = 1; })) << "the layout before the orientation field";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[4] = 2; })) << "the layout before the period grid";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[4] = 4; })) << "a later version";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[5] = 0x02; })) << "unknown flag";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[5] = 0x01; })) << "empty flag with minutiae";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[8] = 101; })) << "quality";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[9] = kMaxTemplateMinutiae + 1; })) << "count";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[9] = 29; })) << "count below the stored minutiae";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[12] = 1; })) << "reserved header byte";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[63] = 1; })) << "reserved byte after the mask";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[300] = 1; })) << "byte after the minutiae";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) { b[506] = 1; })) << "byte after the period grid";
    EXPECT_TRUE(refusedAfter([&](std::uint8_t* b) {
        int outside = 0;  // the first cell outside the print
        while (((b[16 + outside / 8] >> (outside % 8)) & 1) != 0) ++outside;
        const int bit = outside % 16 * 3;  // 6 bytes a row, 3 bits a cell
        b[320 + outside / 16 * 6 + bit / 8] |= static_cast<std::uint8_t>(1U << (bit % 8));
    })) << "an orientation outside the print";
    EXPECT_TRUE(refusedAfter([&](std::uint8_t* b) {
        // The first period cell (mask cells 0, 1, 16 and 17) loses its print but keeps a period.
        b[16] &= 0xFC;
        b[18] &= 0xFC;
        b[320] &= 0xC0;
        b[320 + 6] &= 0xC0;
        b[458] = static_cast<std::uint8_t>((b[458] & 0xF0) | 7);
    })) << "a period where no mask cell holds print";
    EXPECT_TRUE(refusedAfter([](std::uint8_t* b) {
        b[64 + 1] |= 0x80;
        b[64 + 2] |= 0x01;
    })) << "y beyond 359";
}

TEST(FeatureTemplate, AllZeroAndAllOnesAreRefused) {
    std::uint8_t bytes[kTemplateSize];
    FeatureTemplate back;
    std::memset(bytes, 0, kTemplateSize);
    EXPECT_FALSE(decodeTemplate(bytes, back));
    std::memset(bytes, 0xFF, kTemplateSize);
    EXPECT_FALSE(decodeTemplate(bytes, back));
}

// The CRC-32 of the bytes continued from `seed`, one bit at a time.
std::uint32_t bitwiseCrc32(const std::uint8_t* data, std::size_t length, std::uint32_t seed = 0) {
    std::uint32_t c = seed ^ 0xFFFFFFFFU;
    for (std::size_t k = 0; k < length; ++k) {
        c ^= data[k];
        for (int bit = 0; bit < 8; ++bit) c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFU;
}

// The standard check value, and every length and split point around the eight-byte steps, against a
// bit-at-a-time reference: stored templates and compressed files carry this checksum.
TEST(FeatureTemplate, ChecksumIsTheStandardCrc32AtEveryLength) {
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc32(digits, sizeof digits), 0xCBF43926U);
    std::vector<std::uint8_t> bytes(40);
    for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<std::uint8_t>(k * 97 + 13);
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const std::uint32_t reference = bitwiseCrc32(bytes.data(), length);
        EXPECT_EQ(crc32(bytes.data(), length), reference) << length;
        const std::size_t split = length / 3;
        EXPECT_EQ(crc32(bytes.data() + split, length - split, crc32(bytes.data(), split)), reference)
            << length;
    }
}

// Long inputs take another route on processors that multiply without carries (whole 16-byte blocks,
// four abreast, then the rest byte-wise); every length up to well past a template, from any starting
// register and at any alignment, gives the reference value there too.
TEST(FeatureTemplate, ChecksumOfLongInputsIsTheStandardCrc32) {
    std::mt19937 rng(5);
    std::vector<std::uint8_t> bytes(1200);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(rng());
    for (std::size_t length = 0; length + 3 <= bytes.size(); ++length) {
        const std::size_t start = length % 3;
        const std::uint32_t seed = length % 2 == 0 ? 0 : static_cast<std::uint32_t>(rng());
        EXPECT_EQ(crc32(bytes.data() + start, length, seed), bitwiseCrc32(bytes.data() + start, length, seed))
            << length;
    }
    std::vector<std::uint8_t> zeros(kTemplateSize, 0), ones(kTemplateSize, 0xFF);
    EXPECT_EQ(crc32(zeros.data(), zeros.size()), bitwiseCrc32(zeros.data(), zeros.size()));
    EXPECT_EQ(crc32(ones.data(), ones.size()), bitwiseCrc32(ones.data(), ones.size()));
}

}  // namespace
}  // namespace tervo::fpr
