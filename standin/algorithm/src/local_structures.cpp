#include "local_structures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "angles.h"

namespace tervo::fpr {
namespace {

// The offset table reaches one pixel past the descriptor radius, so an offset clamped to its edge is
// always out of reach.
constexpr int kOffsetReach = kDescriptorRadius + 1;
constexpr int kOffsetSide = 2 * kOffsetReach + 1;

// Soft binning: a value near a bin edge also marks the neighbouring bin, so two noisy copies of the
// same neighbour share at least one cell. Position is in bins.
void twoBins(float position, int bins, bool wraps, std::uint8_t& low, std::uint8_t& high) {
    const float centred = position - 0.5F;
    int l = centred < 0.0F ? -1 : static_cast<int>(centred);
    int h = l + 1;
    if (wraps) {
        l = (l + bins) % bins;
        h = h % bins;
    } else {
        l = std::clamp(l, 0, bins - 1);
        h = std::clamp(h, 0, bins - 1);
    }
    low = static_cast<std::uint8_t>(l);
    high = static_cast<std::uint8_t>(h);
}

struct BinPair {
    std::uint8_t low = 0, high = 0;
};

// A descriptor's bytes are sector-major: byte s * kRings + r holds the direction cells of ring r in
// sector s, so the two adjacent rings a neighbour marks in a sector are two adjacent bytes, marked with
// one 16-bit OR. (The order of the bytes changes no count of shared bits.)
static_assert(kRings >= 2, "a window spans two rings");

// Everything about a neighbour that depends only on its offset, for offsets downwards (pairs are
// walked by height): whether it is within reach, the window of two rings it marks in a sector (its
// first ring, and which of its two bytes are marked) and its absolute bearing in 256 steps, packed in
// 16 bits so the whole table stays in the first-level cache. The angular bins depend on 256-step
// differences only.
struct Tables {
    static constexpr std::uint16_t kReached = 0x8000;
    static constexpr int kWindowShift = 10;  // bits 10..12: the window's first ring
    static constexpr int kMarkedShift = 8;   // bits 8..9: its bytes marked, the first one in bit 8
    std::array<std::uint16_t, (kOffsetReach + 1) * kOffsetSide> offset{};
    // The column of the offset table for a horizontal offset dx, at dx + kWidth - 1: offsets beyond
    // reach land on the edge columns, which are out of reach at every height.
    std::array<std::uint8_t, 2 * kWidth - 1> column{};
    std::array<BinPair, 256> sectorStart{};  // the two sectors' first bytes
    // The direction cells, as a 16-bit mask, for each set of marked bytes of a window (the high bits of
    // the index) and each relative direction.
    std::array<std::uint16_t, 4 * 256> turnMask{};

    Tables() {
        for (int dy = 0; dy <= kOffsetReach; ++dy) {
            for (int dx = -kOffsetReach; dx <= kOffsetReach; ++dx) {
                const int d2 = dx * dx + dy * dy;
                if (d2 < 1 || d2 > kDescriptorRadius * kDescriptorRadius) continue;
                BinPair ring;
                twoBins(std::sqrt(static_cast<float>(d2)) / kRingWidth, kRings, false, ring.low, ring.high);
                // The rings are one ring or two adjacent ones; only the outermost starts its window one
                // ring lower.
                const int window = std::min<int>(ring.low, kRings - 2);
                const unsigned marked = 1U << (ring.low - window) | 1U << (ring.high - window);
                const float a = std::atan2(static_cast<float>(dy), static_cast<float>(dx));
                const unsigned bearing = static_cast<unsigned>(std::lround(a * 256.0F / kTwoPiF)) & 0xFFU;
                offset[dy * kOffsetSide + dx + kOffsetReach] = static_cast<std::uint16_t>(
                    kReached | window << kWindowShift | marked << kMarkedShift | bearing);
            }
        }
        for (int dx = -(kWidth - 1); dx < kWidth; ++dx) {
            column[dx + kWidth - 1] =
                static_cast<std::uint8_t>(std::clamp(dx, -kOffsetReach, kOffsetReach) + kOffsetReach);
        }
        for (int s = 0; s < 256; ++s) {
            BinPair sector, turn;
            twoBins(s * (kBearings / 256.0F), kBearings, true, sector.low, sector.high);
            sectorStart[s].low = static_cast<std::uint8_t>(sector.low * kRings);
            sectorStart[s].high = static_cast<std::uint8_t>(sector.high * kRings);
            twoBins(s * (kTurns / 256.0F), kTurns, true, turn.low, turn.high);
            const unsigned cells = 1U << turn.low | 1U << turn.high;
            for (unsigned marked = 0; marked < 4; ++marked) {
                turnMask[marked << 8 | s] = static_cast<std::uint16_t>(((marked & 1U) != 0 ? cells : 0) |
                                                                       ((marked & 2U) != 0 ? cells << 8 : 0));
            }
        }
    }
};

static_assert(kRings <= 8, "a window's first ring is packed in three bits");

const Tables& tables() {
    static const Tables t;
    return t;
}

// With eight direction cells, the cells of one (ring, sector) are one byte of the descriptor, and a
// neighbour's two adjacent direction cells are one byte mask.
static_assert(kTurns == 8, "one byte of direction cells per ring and sector");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a window's first byte is its low byte");

inline void orTwoBytes(std::uint8_t* at, std::uint16_t mask) {
    std::uint16_t bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    bytes = static_cast<std::uint16_t>(bytes | mask);
    std::memcpy(at, &bytes, sizeof bytes);
}

// Marks a neighbour in p's descriptor: rings from the offset, sectors from the bearing relative to p's
// direction, cells from the neighbour's direction relative to p's.
inline void markNeighbour(const Tables& t, Descriptor& d, std::uint16_t cell, std::uint8_t relativeBearing,
                          std::uint8_t turn) {
    const BinPair s = t.sectorStart[relativeBearing];
    const std::uint16_t cells = t.turnMask[(cell >> Tables::kMarkedShift & 3U) << 8 | turn];
    std::uint8_t* window = reinterpret_cast<std::uint8_t*>(d.data()) + (cell >> Tables::kWindowShift & 7U);
    orTwoBytes(window + s.low, cells);
    orTwoBytes(window + s.high, cells);
}

// Minutiae in order of height, ties in order of index: each one's place is the number of minutiae
// before it, counted eight keys (height and index) at a time. A comparison sort of a few dozen keys
// mispredicts a branch at about every other step, and a radix sort's counters wait on one another;
// this has neither.
typedef std::int16_t KeyLanes __attribute__((vector_size(16)));
constexpr int kKeyLanes = 8;
static_assert(kMaxMatched % kKeyLanes == 0, "keys fill whole vectors");
static_assert(kHeight * kMaxMatched <= 0x7FFF, "a key fits 15 bits");

void sortByHeight(const std::array<std::int16_t, kMaxMatched>& height, int count,
                  std::array<std::uint8_t, kMaxMatched>& byHeight) {
    std::array<KeyLanes, kMaxMatched / kKeyLanes> keys;
    keys.fill(KeyLanes{} + 0x7FFF);  // after every minutia
    for (int i = 0; i < count; ++i)
        keys[i / kKeyLanes][i % kKeyLanes] = static_cast<std::int16_t>(height[i] * kMaxMatched + i);
    const int vectors = (count + kKeyLanes - 1) / kKeyLanes;
    for (int i = 0; i < count; ++i) {
        const std::int16_t own = keys[i / kKeyLanes][i % kKeyLanes];
        KeyLanes before{};
        for (int w = 0; w < vectors; ++w) before -= keys[w] < own;  // a lane where it holds is -1
        int place = 0;
        for (int lane = 0; lane < kKeyLanes; ++lane) place += before[lane];
        byHeight[place] = static_cast<std::uint8_t>(i);
    }
}

// Every pair of minutiae within reach is measured once and marked in both descriptors. The pairs are
// walked in order of height, so the inner loop stops at the first minutia out of vertical reach; the
// ones in reach are first gathered without branching (the test would be mispredicted about every other
// time) and then marked.
void buildDescriptors(PreparedTemplate& p) {
    const Tables& t = tables();
    std::array<std::uint8_t, kMaxMatched> byHeight;
    sortByHeight(p.y, p.count, byHeight);
    // Positions in that order, side by side, for the pair loop: the column, and the row's first entry in
    // the offset table, so that a pair's entry is a difference and a look-up away.
    std::array<int, kMaxMatched> sortedX, sortedRow;
    for (int u = 0; u < p.count; ++u) {
        sortedX[u] = p.x[byHeight[u]];
        sortedRow[u] = p.y[byHeight[u]] * kOffsetSide;
    }
    const std::uint8_t* columnOf = t.column.data() + kWidth - 1;
    // A pair in reach: the offset's cell, then both places in height order, in one integer.
    std::array<std::uint32_t, kMaxMatched * kMaxMatched / 2 + 1> near;
    int nearCount = 0;
    for (int u = 0; u < p.count; ++u) {
        const int rowU = sortedRow[u], xU = sortedX[u];
        const std::uint32_t placeU = static_cast<std::uint32_t>(u) << 8;
        for (int v = u + 1; v < p.count; ++v) {
            const int rows = sortedRow[v] - rowU;  // never negative
            if (rows > kDescriptorRadius * kOffsetSide) break;
            const std::uint32_t cell = t.offset[rows + columnOf[sortedX[v] - xU]];
            near[nearCount] = cell << 16 | placeU | static_cast<std::uint32_t>(v);
            nearCount += static_cast<int>(cell / Tables::kReached);
        }
    }
    for (int k = 0; k < nearCount; ++k) {
        const int i = byHeight[near[k] >> 8 & 0xFF], j = byHeight[near[k] & 0xFF];
        const std::uint16_t cell = static_cast<std::uint16_t>(near[k] >> 16);
        const std::uint8_t bearing = static_cast<std::uint8_t>(cell);  // from i towards j
        markNeighbour(t, p.descriptor[i], cell, static_cast<std::uint8_t>(bearing - p.angle[i]),
                      static_cast<std::uint8_t>(p.angle[j] - p.angle[i]));
        markNeighbour(t, p.descriptor[j], cell, static_cast<std::uint8_t>(bearing + 128 - p.angle[j]),
                      static_cast<std::uint8_t>(p.angle[i] - p.angle[j]));
    }
    for (int i = 0; i < p.count; ++i) {
        int bits = 0;
        // Unrolled, the nine counts add up as a tree rather than one chain.
#pragma GCC unroll 9
        for (std::uint64_t w : p.descriptor[i]) bits += __builtin_popcountll(w);
        p.bitCount[i] = static_cast<std::uint16_t>(bits);
    }
}

// Each minutia joins the bands that come within reach of it along one axis: its bit is toggled on at
// the first band of its run and off past the last, and a running sum of toggles gives the sets.
template <std::size_t kBands>
void fillBands(const std::array<std::int16_t, kMaxMatched>& at, int count, int extent,
               std::array<std::uint64_t, kBands>& bands) {
    std::array<std::uint64_t, kBands + 1> toggles{};
    for (int i = 0; i < count; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        toggles[std::max(0, at[i] - kNearbyReach) / kBandWidth] ^= bit;
        toggles[std::min(extent - 1, at[i] + kNearbyReach) / kBandWidth + 1] ^= bit;
    }
    std::uint64_t running = 0;
    for (std::size_t band = 0; band < kBands; ++band) bands[band] = running ^= toggles[band];
}

}  // namespace

void prepareSecondPlace(PreparedTemplate& p) {
    for (int w = 0; w < kDescriptorWords; ++w) {
        const int filled = std::min(p.count, kAnchorMinutiae);
        for (int j = 0; j < filled; ++j) p.anchorWords[w][j] = p.descriptor[j][w];
        std::fill(p.anchorWords[w].begin() + filled, p.anchorWords[w].end(), 0);
    }
    fillBands(p.y, p.count, kHeight, p.nearRow);
    fillBands(p.x, p.count, kWidth, p.nearColumn);
}

void prepareTemplate(const FeatureTemplate& t, PreparedTemplate& out) {
    out.count = t.empty ? 0 : static_cast<int>(std::min<std::size_t>(t.minutiae.size(), kMaxMatched));
    std::fill(out.descriptor.begin(), out.descriptor.begin() + out.count, Descriptor{});
    for (int r = 0; r < kMaskRows; ++r) {
        std::uint16_t row = 0;
        for (int c = 0; c < kMaskColumns; ++c)
            row |= static_cast<std::uint16_t>((t.mask[r * kMaskColumns + c] != 0) << c);
        out.mask[r] = row;
    }
    packRidgeFields(t, out.orientation.data(), out.period.data());
    out.orientation[kOrientationBytes] = 0;
    for (int i = 0; i < out.count; ++i) {
        const Minutia& m = t.minutiae[i];
        out.x[i] = static_cast<std::int16_t>(std::clamp(m.x, 0, kWidth - 1));
        out.y[i] = static_cast<std::int16_t>(std::clamp(m.y, 0, kHeight - 1));
        out.angle[i] = static_cast<std::uint8_t>(std::lround(m.angle * 256.0F / kTwoPiF) & 0xFF);
        out.type[i] = m.type == MinutiaType::Bifurcation ? 1 : 0;
    }
    buildDescriptors(out);
    prepareSecondPlace(out);
}

// The packed fields are already in range (the check refuses a row past the image, and a column has
// eight bits), and the direction is already in 256 steps.
void prepareFirstPlace(const PackedTemplate& t, PreparedTemplate& out) {
    static_assert(kWidth == 256, "a packed column is any byte");
    out.count = t.empty ? 0 : std::min(t.count, kMaxMatched);
    std::fill(out.descriptor.begin(), out.descriptor.begin() + out.count, Descriptor{});
    for (int r = 0; r < kMaskRows; ++r) out.mask[r] = t.maskRow(r);
    std::memcpy(out.orientation.data(), t.orientationBytes(), kOrientationBytes);
    out.orientation[kOrientationBytes] = 0;
    std::memcpy(out.period.data(), t.periodBytes(), kPeriodBytes);
    for (int i = 0; i < out.count; ++i) {
        const std::uint32_t w = t.minutia(i);
        out.x[i] = static_cast<std::int16_t>(packedX(w));
        out.y[i] = static_cast<std::int16_t>(packedY(w));
        out.angle[i] = packedDirection(w);
        out.type[i] = packedBifurcation(w) ? 1 : 0;
    }
    buildDescriptors(out);
}

void prepareTemplate(const PackedTemplate& t, PreparedTemplate& out) {
    prepareFirstPlace(t, out);
    prepareSecondPlace(out);
}

int compareContent(const PreparedTemplate& a, const PreparedTemplate& b) {
    if (a.count != b.count) return a.count < b.count ? -1 : 1;
    for (int i = 0; i < a.count; ++i) {
        const std::uint32_t ka = static_cast<std::uint32_t>(a.x[i]) << 20 |
                                 static_cast<std::uint32_t>(a.y[i]) << 10 | a.angle[i] << 1 | a.type[i];
        const std::uint32_t kb = static_cast<std::uint32_t>(b.x[i]) << 20 |
                                 static_cast<std::uint32_t>(b.y[i]) << 10 | b.angle[i] << 1 | b.type[i];
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    // Cell by cell in row-major order, as the template stores them: the first cell that differs decides,
    // the one holding print being the greater.
    for (int r = 0; r < kMaskRows; ++r) {
        const unsigned differ = static_cast<unsigned>(a.mask[r] ^ b.mask[r]);
        if (differ != 0) return (a.mask[r] & differ & (0U - differ)) != 0 ? 1 : -1;
    }
    int order = std::memcmp(a.orientation.data(), b.orientation.data(), kOrientationBytes);
    if (order == 0) order = std::memcmp(a.period.data(), b.period.data(), kPeriodBytes);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace tervo::fpr
