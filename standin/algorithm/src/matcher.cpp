#include "matcher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

namespace tervo::fpr {
namespace {

constexpr float kTwoPi = 6.28318530717959F;
constexpr float kAngleUnit = kTwoPi / 256.0F;  // directions are compared in 256 steps per turn
constexpr int kMaxMatched = 64;                // the most reliable minutiae; the rest add cost, not accuracy
constexpr int kCandidates = 16;                // alignments tried in the consolidation
constexpr int kMinPaired = 3;

// Descriptor cells: distance rings x bearing sectors x relative-direction sectors.
constexpr float kRingWidth = 12.0F;
constexpr int kRings = 6;
constexpr int kBearings = 12;
constexpr int kTurns = 8;
constexpr int kDescriptorBits = kRings * kBearings * kTurns;
constexpr int kDescriptorWords = kDescriptorBits / 64;
constexpr float kDescriptorRadius = kRingWidth * kRings;

constexpr int kPairAngleTolerance = 16;    // steps of 256 per turn, 22.5 degrees
constexpr float kBaseTolerance = 6.0F;     // pixels at the anchor
constexpr float kToleranceGrowth = 0.05F;  // extra pixels per pixel of distance from the anchor
constexpr float kMaxTolerance = 15.0F;
constexpr float kTypeMismatchWeight = 0.75F;  // endings and bifurcations swap often, not always

struct PreparedMinutia {
    float x, y;
    std::uint8_t angle;
    std::uint8_t type;
    std::array<std::uint64_t, kDescriptorWords> bits{};
    int bitCount = 0;
};

struct PreparedSet {
    std::vector<PreparedMinutia> m;
    const FeatureTemplate* source = nullptr;
    // Minutia indices by 16-pixel grid cell, for the pairing search.
    std::array<std::uint8_t, kMaskBits> cellStart{}, cellCount{};
    std::vector<std::uint8_t> cellMembers;
};

// atan2 to within 0.01 radian (a quarter of a direction step) at a fraction of the library's cost;
// descriptors are built for every neighbour of every minutia of both templates on each comparison.
float fastAtan2(float y, float x) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float big = std::max(ax, ay);
    if (big == 0.0F) return 0.0F;
    const float a = std::min(ax, ay) / big, s = a * a;
    float r = ((-0.0464964749F * s + 0.15931422F) * s - 0.327622764F) * s * a + a;
    if (ay > ax) r = 1.57079637F - r;
    if (x < 0) r = 3.14159274F - r;
    return y < 0 ? -r : r;
}

int angleGap(std::uint8_t a, std::uint8_t b) {
    const int d = static_cast<std::uint8_t>(a - b);
    return std::min(d, 256 - d);
}

std::uint8_t toSteps(float angle) {
    return static_cast<std::uint8_t>(static_cast<int>(std::lround(angle / kAngleUnit)) & 0xFF);
}

// Soft binning: a value near a bin edge also marks the neighbouring bin, so two noisy copies of the
// same neighbour share at least one cell. Position is in bins, at least -0.5.
inline void twoBins(float position, int bins, bool wraps, int out[2]) {
    const float centred = position - 0.5F;
    int low = centred < 0.0F ? -1 : static_cast<int>(centred);
    int high = low + 1;
    if (wraps) {
        if (low < 0) low += bins;
        if (high >= bins) high -= bins;
        if (low >= bins) low -= bins;
    } else {
        low = std::clamp(low, 0, bins - 1);
        high = std::clamp(high, 0, bins - 1);
    }
    out[0] = low;
    out[1] = high;
}

// Marks neighbour q, seen from p at the given distance and absolute bearing, in p's descriptor.
inline void markNeighbour(PreparedMinutia& p, const PreparedMinutia& q, float distance, float bearing) {
    float relative = bearing - p.angle * kAngleUnit;
    if (relative < 0) relative += kTwoPi;
    if (relative >= kTwoPi) relative -= kTwoPi;
    const std::uint8_t turn = static_cast<std::uint8_t>(q.angle - p.angle);
    int ring[2], sector[2], direction[2];
    twoBins(distance / kRingWidth, kRings, false, ring);
    twoBins(relative * (kBearings / kTwoPi), kBearings, true, sector);
    twoBins(turn * (kTurns / 256.0F), kTurns, true, direction);
    for (int r : ring) {
        for (int b : sector) {
            for (int c : direction) {
                const int bit = (r * kBearings + b) * kTurns + c;
                p.bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
            }
        }
    }
}

// Every unordered pair of minutiae is measured once and marked in both descriptors.
void buildDescriptors(PreparedSet& set) {
    const std::size_t n = set.m.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const float dx = set.m[j].x - set.m[i].x, dy = set.m[j].y - set.m[i].y;
            const float d2 = dx * dx + dy * dy;
            if (d2 > kDescriptorRadius * kDescriptorRadius || d2 < 1.0F) continue;
            const float distance = std::sqrt(d2);
            const float bearing = fastAtan2(dy, dx);  // from i towards j, in (-pi, pi]
            markNeighbour(set.m[i], set.m[j], distance, bearing < 0 ? bearing + kTwoPi : bearing);
            markNeighbour(set.m[j], set.m[i], distance, bearing + kTwoPi / 2);
        }
    }
    for (PreparedMinutia& p : set.m) {
        for (std::uint64_t w : p.bits) p.bitCount += __builtin_popcountll(w);
    }
}

PreparedSet prepare(const FeatureTemplate& t) {
    PreparedSet set;
    set.source = &t;
    const std::size_t n = std::min<std::size_t>(t.minutiae.size(), kMaxMatched);
    set.m.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        set.m[i].x = static_cast<float>(t.minutiae[i].x);
        set.m[i].y = static_cast<float>(t.minutiae[i].y);
        set.m[i].angle = toSteps(t.minutiae[i].angle);
        set.m[i].type = static_cast<std::uint8_t>(t.minutiae[i].type);
    }
    buildDescriptors(set);
    std::array<std::uint8_t, kMaskBits> fill{};
    std::array<int, kMaxMatched> cellOf{};
    for (std::size_t i = 0; i < n; ++i) {
        const int cx = std::min(static_cast<int>(set.m[i].x) / kMaskCell, kMaskColumns - 1);
        const int cy = std::min(static_cast<int>(set.m[i].y) / kMaskCell, kMaskRows - 1);
        cellOf[i] = cy * kMaskColumns + cx;
        ++set.cellCount[cellOf[i]];
    }
    int start = 0;
    for (int c = 0; c < kMaskBits; ++c) {
        set.cellStart[c] = static_cast<std::uint8_t>(start);
        start += set.cellCount[c];
    }
    set.cellMembers.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        set.cellMembers[set.cellStart[cellOf[i]] + fill[cellOf[i]]++] = static_cast<std::uint8_t>(i);
    }
    return set;
}

float descriptorSimilarity(const PreparedMinutia& a, const PreparedMinutia& b) {
    if (a.bitCount == 0 || b.bitCount == 0) return 0.0F;
    int common = 0;
    for (int w = 0; w < kDescriptorWords; ++w) common += __builtin_popcountll(a.bits[w] & b.bits[w]);
    return 2.0F * static_cast<float>(common) / static_cast<float>(a.bitCount + b.bitCount);
}

struct Consolidation {
    float raw = 0.0F;
    int paired = 0, overlapA = 0, overlapB = 0;
    float support = 0.0F;  // sum of the descriptor similarities of the paired minutiae
};

struct CandidatePair {
    float cost;
    std::uint8_t i, j;
    bool operator<(const CandidatePair& o) const { return std::tie(cost, i, j) < std::tie(o.cost, o.i, o.j); }
};

// A rigid motion taking print a's coordinates into print b's.
struct Alignment {
    float c = 1, s = 0, tx = 0, ty = 0;
    std::uint8_t rotationSteps = 0;
    void apply(float x, float y, float& outX, float& outY) const {
        outX = c * x - s * y + tx;
        outY = s * x + c * y + ty;
    }
};

Alignment anchorAlignment(const PreparedMinutia& a, const PreparedMinutia& b) {
    Alignment t;
    t.rotationSteps = static_cast<std::uint8_t>(b.angle - a.angle);
    const float rotation = t.rotationSteps * kAngleUnit;
    t.c = std::cos(rotation);
    t.s = std::sin(rotation);
    t.tx = b.x - (t.c * a.x - t.s * a.y);
    t.ty = b.y - (t.s * a.x + t.c * a.y);
    return t;
}

struct Pairing {
    int paired = 0;
    float weight = 0.0F;  // pairs of one minutia type count fully, mixed pairs less
    std::uint8_t first[kMaxMatched], second[kMaxMatched];
};

// One-to-one pairing under an alignment, closest pairs first. The position tolerance grows with the
// distance from the anchor, because skin stretches.
Pairing pairUnder(const PreparedSet& a, const PreparedSet& b, const Alignment& t, float anchorX,
                  float anchorY) {
    CandidatePair pairs[kMaxMatched * 8];
    int pairCount = 0;
    for (std::size_t i = 0; i < a.m.size(); ++i) {
        float x = 0, y = 0;
        t.apply(a.m[i].x, a.m[i].y, x, y);
        const std::uint8_t angle = static_cast<std::uint8_t>(a.m[i].angle + t.rotationSteps);
        const float reach = std::sqrt((x - anchorX) * (x - anchorX) + (y - anchorY) * (y - anchorY));
        const float tolerance = std::min(kMaxTolerance, kBaseTolerance + kToleranceGrowth * reach);
        if (x + tolerance < 0 || y + tolerance < 0) continue;
        const int cx0 = std::max(0, static_cast<int>((x - tolerance) / kMaskCell));
        const int cy0 = std::max(0, static_cast<int>((y - tolerance) / kMaskCell));
        const int cx1 = std::min(kMaskColumns - 1, static_cast<int>((x + tolerance) / kMaskCell));
        const int cy1 = std::min(kMaskRows - 1, static_cast<int>((y + tolerance) / kMaskCell));
        for (int cy = cy0; cy <= cy1; ++cy) {
            for (int cx = cx0; cx <= cx1; ++cx) {
                const int cell = cy * kMaskColumns + cx;
                for (int k = 0; k < b.cellCount[cell]; ++k) {
                    const int j = b.cellMembers[b.cellStart[cell] + k];
                    const float ex = x - b.m[j].x, ey = y - b.m[j].y;
                    const float d2 = ex * ex + ey * ey;
                    if (d2 > tolerance * tolerance) continue;
                    const int gap = angleGap(angle, b.m[j].angle);
                    if (gap > kPairAngleTolerance || pairCount >= kMaxMatched * 8) continue;
                    const float cost =
                        std::sqrt(d2) / tolerance + static_cast<float>(gap) / kPairAngleTolerance;
                    pairs[pairCount++] = {cost, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(j)};
                }
            }
        }
    }
    std::sort(pairs, pairs + pairCount);
    std::uint64_t usedA = 0, usedB = 0;
    Pairing p;
    for (int k = 0; k < pairCount; ++k) {
        const std::uint64_t bitA = std::uint64_t{1} << pairs[k].i, bitB = std::uint64_t{1} << pairs[k].j;
        if ((usedA & bitA) || (usedB & bitB)) continue;
        usedA |= bitA;
        usedB |= bitB;
        p.first[p.paired] = pairs[k].i;
        p.second[p.paired] = pairs[k].j;
        ++p.paired;
        p.weight += a.m[pairs[k].i].type == b.m[pairs[k].j].type ? 1.0F : kTypeMismatchWeight;
    }
    return p;
}

// Least-squares rigid motion (2-D Procrustes) over the paired minutiae.
Alignment refit(const PreparedSet& a, const PreparedSet& b, const Pairing& p) {
    float ax = 0, ay = 0, bx = 0, by = 0;
    for (int k = 0; k < p.paired; ++k) {
        ax += a.m[p.first[k]].x, ay += a.m[p.first[k]].y;
        bx += b.m[p.second[k]].x, by += b.m[p.second[k]].y;
    }
    const float n = static_cast<float>(p.paired);
    ax /= n, ay /= n, bx /= n, by /= n;
    float sxx = 0, sxy = 0;
    for (int k = 0; k < p.paired; ++k) {
        const float ux = a.m[p.first[k]].x - ax, uy = a.m[p.first[k]].y - ay;
        const float vx = b.m[p.second[k]].x - bx, vy = b.m[p.second[k]].y - by;
        sxx += ux * vx + uy * vy;
        sxy += ux * vy - uy * vx;
    }
    const float rotation = std::atan2(sxy, sxx);
    Alignment t;
    t.c = std::cos(rotation);
    t.s = std::sin(rotation);
    t.rotationSteps = toSteps(rotation < 0 ? rotation + kTwoPi : rotation);
    t.tx = bx - (t.c * ax - t.s * ay);
    t.ty = by - (t.s * ax + t.c * ay);
    return t;
}

// Minutiae of a that land in b's foreground, and of b that land in a's.
void overlaps(const PreparedSet& a, const PreparedSet& b, const Alignment& t, int& overlapA, int& overlapB) {
    overlapA = overlapB = 0;
    for (const PreparedMinutia& q : a.m) {
        float x = 0, y = 0;
        t.apply(q.x, q.y, x, y);
        overlapA += b.source->maskAt(x, y) ? 1 : 0;
    }
    for (const PreparedMinutia& q : b.m) {
        const float dx = q.x - t.tx, dy = q.y - t.ty;  // inverse motion
        overlapB += a.source->maskAt(t.c * dx + t.s * dy, -t.s * dx + t.c * dy) ? 1 : 0;
    }
}

Consolidation consolidate(const PreparedSet& a, const PreparedSet& b, int ia, int ib) {
    Alignment t = anchorAlignment(a.m[ia], b.m[ib]);
    Pairing p = pairUnder(a, b, t, b.m[ib].x, b.m[ib].y);
    if (p.paired >= kMinPaired) {
        // Re-fit on everything paired so one noisy anchor does not decide the alignment.
        const Alignment refined = refit(a, b, p);
        float cx = 0, cy = 0;
        for (int k = 0; k < p.paired; ++k) cx += b.m[p.second[k]].x, cy += b.m[p.second[k]].y;
        const Pairing again = pairUnder(a, b, refined, cx / p.paired, cy / p.paired);
        if (again.weight > p.weight) {
            p = again;
            t = refined;
        }
    }
    int overlapA = 0, overlapB = 0;
    overlaps(a, b, t, overlapA, overlapB);
    Consolidation result;
    result.paired = p.paired;
    result.overlapA = overlapA;
    result.overlapB = overlapB;
    for (int k = 0; k < p.paired; ++k)
        result.support += descriptorSimilarity(a.m[p.first[k]], b.m[p.second[k]]);
    // The shrinkage term keeps a handful of pairs in a tiny overlap from looking like a full match:
    // chance pairings are common when only a few minutiae are in play.
    constexpr float kShrinkage = 10.0F;
    const float denominator = (static_cast<float>(std::max(overlapA, p.paired)) + kShrinkage) *
                              (static_cast<float>(std::max(overlapB, p.paired)) + kShrinkage);
    result.raw = std::min(1.0F, p.weight * p.weight / denominator);
    return result;
}

bool canonicalFirst(const FeatureTemplate& a, const FeatureTemplate& b) {
    auto key = [](const Minutia& m) { return std::make_tuple(m.x, m.y, m.angle, m.type, m.reliability); };
    const std::size_t n = std::min(a.minutiae.size(), b.minutiae.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (key(a.minutiae[i]) != key(b.minutiae[i])) return key(a.minutiae[i]) < key(b.minutiae[i]);
    }
    if (a.minutiae.size() != b.minutiae.size()) return a.minutiae.size() < b.minutiae.size();
    return a.mask <= b.mask;
}

}  // namespace

float calibrateSimilarity(float raw, int paired) {
    if (paired < kMinPaired) return 0.0F;
    // Piecewise linear: the impostor tail measured on the real and synthetic sets ends below kThreshold.
    constexpr float kThreshold = 0.13F;
    const float s =
        raw < kThreshold ? 0.6F * raw / kThreshold : 0.6F + 0.4F * (raw - kThreshold) / (1.0F - kThreshold);
    return std::clamp(s, 0.0F, 1.0F);
}

MatchDetail matchTemplates(const FeatureTemplate& first, const FeatureTemplate& second) {
    const bool inOrder = canonicalFirst(first, second);
    const FeatureTemplate& ta = inOrder ? first : second;
    const FeatureTemplate& tb = inOrder ? second : first;
    MatchDetail detail;
    if (ta.empty || tb.empty || ta.minutiae.size() < kMinPaired || tb.minutiae.size() < kMinPaired)
        return detail;
    const PreparedSet a = prepare(ta), b = prepare(tb);
    // The best few descriptor pairs, kept in a small sorted array.
    std::vector<std::tuple<float, int, int>> best(kCandidates);
    int bestCount = 0;
    for (std::size_t i = 0; i < a.m.size(); ++i) {
        for (std::size_t j = 0; j < b.m.size(); ++j) {
            const float s = descriptorSimilarity(a.m[i], b.m[j]);
            if (s <= 0.0F || (bestCount == kCandidates && s <= std::get<0>(best[kCandidates - 1]))) continue;
            int at = bestCount < kCandidates ? bestCount++ : kCandidates - 1;
            while (at > 0 && std::get<0>(best[at - 1]) < s) {
                best[at] = best[at - 1];
                --at;
            }
            best[at] = {s, static_cast<int>(i), static_cast<int>(j)};
        }
    }
    for (int k = 0; k < bestCount; ++k) {
        const Consolidation r = consolidate(a, b, std::get<1>(best[k]), std::get<2>(best[k]));
        if (r.raw > detail.raw) {
            detail.raw = r.raw;
            detail.paired = r.paired;
            detail.overlapA = r.overlapA;
            detail.overlapB = r.overlapB;
            detail.support = r.support;
        }
    }
    detail.similarity = calibrateSimilarity(detail.raw, detail.paired);
    return detail;
}

}  // namespace tervo::fpr
