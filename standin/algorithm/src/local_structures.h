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

constexpr int kNearbyCell = 16;
constexpr int kNearbyColumns = kWidth / kNearbyCell;                    // 16
constexpr int kNearbyRows = (kHeight + kNearbyCell - 1) / kNearbyCell;  // 23
constexpr int kNearbyCells = kNearbyColumns * kNearbyRows;
constexpr int kNearbyReach = 15;  // pixels: the largest pairing tolerance

constexpr int kRingWidth = 12;  // pixels
constexpr int kRings = 6;
constexpr int kBearings = 12;
constexpr int kTurns = 8;
constexpr int kDescriptorRadius = kRingWidth * kRings;
constexpr int kDescriptorBits = kRings * kBearings * kTurns;
constexpr int kDescriptorWords = (kDescriptorBits + 63) / 64;

using Descriptor = std::array<std::uint64_t, kDescriptorWords>;

struct PreparedTemplate {
    int count = 0;  // 0 for an empty template or one too small to align
    std::array<std::int16_t, kMaxMatched> x{}, y{};
    std::array<std::uint8_t, kMaxMatched> angle{};  // 256 steps per turn
    std::array<std::uint8_t, kMaxMatched> type{};   // 1 = bifurcation
    std::array<std::uint16_t, kMaxMatched> bitCount{};
    std::array<Descriptor, kMaxMatched> descriptor{};
    // For each 16x16-pixel cell, the set of minutiae within kNearbyReach of some point of the cell: the
    // only candidates a point there can be paired with.
    std::array<std::uint64_t, kNearbyCells> nearby{};
    std::array<std::uint8_t, kMaskBits> mask{};

    // Candidates near a point anywhere, inside the image or not: a point outside is looked up at its
    // nearest point of the image, which is no farther from any minutia.
    std::uint64_t nearbyAt(float px, float py) const {
        const int cx = std::clamp(static_cast<int>(px), 0, kWidth - 1) / kNearbyCell;
        const int cy = std::clamp(static_cast<int>(py), 0, kHeight - 1) / kNearbyCell;
        return nearby[cy * kNearbyColumns + cx];
    }

    bool maskAt(float px, float py) const {
        if (!(px >= 0.0F && py >= 0.0F)) return false;
        const int cx = static_cast<int>(px) / kMaskCell, cy = static_cast<int>(py) / kMaskCell;
        return cx < kMaskColumns && cy < kMaskRows && mask[cy * kMaskColumns + cx];
    }
};

// Fills every field from the template. Minutiae beyond kMaxMatched are ignored.
void prepareTemplate(const FeatureTemplate& t, PreparedTemplate& out);

// A total order on prepared content, so that a comparison can put its pair in one canonical order and
// be exactly symmetric. Negative, zero or positive like memcmp.
int compareContent(const PreparedTemplate& a, const PreparedTemplate& b);

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
