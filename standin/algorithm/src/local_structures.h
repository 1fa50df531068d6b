// A template made ready for matching: the most reliable minutiae in fixed arrays, each with a bit-set
// description of its neighbourhood in its own rotation-free frame (distance ring x bearing sector x
// relative direction, soft-binned; a binary cousin of the Minutia Cylinder-Code of Cappelli, Ferrara
// and Maltoni 2010), and a grid index of positions for the pairing search. Built once per template,
// with table look-ups and integer arithmetic only, so that a gallery template costs a few
// microseconds and a probe can be kept and reused.
#ifndef TERVO_FPR_LOCAL_STRUCTURES_H
#define TERVO_FPR_LOCAL_STRUCTURES_H

#include <algorithm>
#include <array>
#include <cstdint>

#include "feature_template.h"
#include "geometry.h"

namespace tervo::fpr {

constexpr int kMaxMatched = 64;  // the most reliable minutiae; the rest add cost, not accuracy
static_assert(kMaxMatched <= 64, "minutia sets are 64-bit masks");
static_assert(kMaskColumns <= 16, "a mask row fits 16 bits");
// Alignments are sought among the most reliable minutiae only: the descriptor comparison is the one
// stage whose cost grows with the product of the two counts. On real prints reliability predicts
// reproducibility poorly, so 24 left genuine anchors out; 40 costs about a third more per comparison.
constexpr int kAnchorMinutiae = 40;
static_assert(kAnchorMinutiae < 64 && kAnchorMinutiae <= kMaxMatched && kAnchorMinutiae % 8 == 0,
              "anchor columns are filled in whole vectors of eight, and their set fits a 64-bit mask");

// Minutiae near a point are found as the intersection of two bit sets: those within reach of its row
// band and those within reach of its column band (bands of kBandWidth pixels). That is every minutia
// in a square of side 2 reach + kBandWidth around the point, a superset of the disc the pairing
// tolerance allows, at a build cost of a few bits per minutia.
constexpr int kNearbyReach = 15;  // pixels: the largest pairing tolerance
constexpr int kBandWidth = 2;
constexpr int kColumnBands = kWidth / kBandWidth;
constexpr int kRowBands = kHeight / kBandWidth;
static_assert(kWidth % kBandWidth == 0 && kHeight % kBandWidth == 0, "bands tile the image");

constexpr int kRingWidth = 12;  // pixels
constexpr int kRings = 6;
constexpr int kBearings = 12;
constexpr int kTurns = 8;
constexpr int kDescriptorRadius = kRingWidth * kRings;
constexpr int kDescriptorBits = kRings * kBearings * kTurns;
constexpr int kDescriptorWords = (kDescriptorBits + 63) / 64;

using Descriptor = std::array<std::uint64_t, kDescriptorWords>;

// The band of a coordinate along an axis of the given extent. A point outside the image is looked up
// at its nearest point of the image, which is no farther from any minutia along either axis. Clamped
// as a float (NaN counting as 0): converting a value beyond the int range is undefined.
inline int bandOf(float v, int extent) {
    return static_cast<int>(std::min(std::max(0.0F, v), static_cast<float>(extent - 1))) / kBandWidth;
}

struct PreparedTemplate {
    int count = 0;  // 0 for an empty template or one too small to align
    std::array<std::int16_t, kMaxMatched> x{}, y{};
    std::array<std::uint8_t, kMaxMatched> angle{};  // 256 steps per turn
    std::array<std::uint8_t, kMaxMatched> type{};   // 1 = bifurcation
    std::array<std::uint16_t, kMaxMatched> bitCount{};
    std::array<Descriptor, kMaxMatched> descriptor{};
    // The anchors' descriptors again, word by word (word w of anchor j at anchorWords[w][j]), zero past
    // the count: one probe word is then compared with every anchor of this template in one straight
    // loop that the compiler turns into vector population counts.
    std::array<std::array<std::uint64_t, kAnchorMinutiae>, kDescriptorWords> anchorWords{};
    // For each band, the set of minutiae within kNearbyReach of some row (column) of the band.
    std::array<std::uint64_t, kRowBands> nearRow{};
    std::array<std::uint64_t, kColumnBands> nearColumn{};
    std::array<std::uint16_t, kMaskRows> mask{};  // bit c of row r: the cell holds print
    // Per cell, kOrientationSteps per half turn, packed as the template stores it (orientationOfCell),
    // and one byte more, which that reader may read.
    std::array<std::uint8_t, kOrientationBytes + 1> orientation{};
    // Per period cell, the period code, packed as the template stores it (periodOfCell).
    std::array<std::uint8_t, kPeriodBytes> period{};

    // Candidates near a point anywhere, inside the image or not (see bandOf).
    std::uint64_t nearbyAt(float px, float py) const {
        return nearRow[bandOf(py, kHeight)] & nearColumn[bandOf(px, kWidth)];
    }

    bool maskAt(float px, float py) const {
        // Range-checked as floats, so that no coordinate beyond the int range is ever converted.
        if (!(px >= 0.0F && py >= 0.0F && px < kMaskColumns * kMaskCell && py < kMaskRows * kMaskCell))
            return false;
        const int cx = static_cast<int>(px) / kMaskCell, cy = static_cast<int>(py) / kMaskCell;
        return cx < kMaskColumns && cy < kMaskRows && ((mask[cy] >> cx) & 1U) != 0;
    }
};

// Fills every field from the template. Minutiae beyond kMaxMatched are ignored. Both forms of one
// template give the same result.
void prepareTemplate(const FeatureTemplate& t, PreparedTemplate& out);
void prepareTemplate(const PackedTemplate& t, PreparedTemplate& out);

// The same in two steps, for a search, where about half the gallery templates go first in their
// comparison: every field but the anchors' columns and the nearby bands, which a comparison reads of
// the template it puts second only; then those, once the template is put second (see goesFirst).
// Until the second step they hold whatever was there before.
void prepareFirstPlace(const PackedTemplate& t, PreparedTemplate& out);
void prepareSecondPlace(PreparedTemplate& p);

// A total order on prepared content, so that a comparison can put its pair in one canonical order and
// be exactly symmetric. Negative, zero or positive like memcmp.
int compareContent(const PreparedTemplate& a, const PreparedTemplate& b);

// Whether x goes first when compared with y (the canonical order; y first when false).
inline bool goesFirst(const PreparedTemplate& x, const PreparedTemplate& y) {
    return compareContent(x, y) <= 0;
}

// Share of set bits the two descriptors have in common, 0..1 (Dice coefficient).
inline float descriptorSimilarity(const PreparedTemplate& a, int i, const PreparedTemplate& b, int j) {
    const int total = a.bitCount[i] + b.bitCount[j];
    if (total == 0) return 0.0F;
    int common = 0;
    for (int w = 0; w < kDescriptorWords; ++w)
        common += __builtin_popcountll(a.descriptor[i][w] & b.descriptor[j][w]);
    return 2.0F * static_cast<float>(common) / static_cast<float>(total);
}

}  // namespace tervo::fpr

#endif
