#include "matcher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "anchor_counts.h"
#include "angles.h"
#include "foreground_count.h"
#include "lanes.h"
#include "matcher_placement.h"
#include "parameters.h"

namespace tervo::fpr {
namespace {

static_assert(kMaxTolerance <= kNearbyReach, "the nearby sets must hold every pairing candidate");
static_assert(kElasticTolerance <= kNearbyReach, "the nearby sets must hold every pairing candidate");

struct Trigonometry {
    static constexpr float kFixedUnit = 4096.0F;
    std::array<float, 256> cosine{}, sine{};
    std::array<int, 256> fixedCosine{};  // cosine * kFixedUnit, rounded
    Trigonometry() {
        for (int s = 0; s < 256; ++s) {
            cosine[s] = std::cos(s * kTwoPiF / 256.0F);
            sine[s] = std::sin(s * kTwoPiF / 256.0F);
            fixedCosine[s] = static_cast<int>(std::lround(kFixedUnit * cosine[s]));
        }
    }
};

// Pairing tolerance by squared distance from the anchor, in steps of kReachStep square pixels, so the
// pairing loop needs no square root.
constexpr int kReachStep = 16;
constexpr float kSaturatingReach = (kMaxTolerance - kBaseTolerance) / kToleranceGrowth;
constexpr int kReachSteps = static_cast<int>(kSaturatingReach * kSaturatingReach) / kReachStep + 1;

struct ToleranceTable {
    std::array<float, kReachSteps> tolerance{}, square{}, inverse{};
    ToleranceTable() {
        for (int r = 0; r < kReachSteps; ++r) {
            const float reach = std::sqrt(static_cast<float>(r * kReachStep));
            tolerance[r] = std::min(kMaxTolerance, kBaseTolerance + kToleranceGrowth * reach);
            square[r] = tolerance[r] * tolerance[r];
            inverse[r] = 1.0F / tolerance[r];
        }
    }
};

const ToleranceTable& toleranceTable() {
    static const ToleranceTable t;
    return t;
}

const Trigonometry& trigonometry() {
    static const Trigonometry t;
    return t;
}

int angleGap(std::uint8_t a, std::uint8_t b) {
    const int d = static_cast<std::uint8_t>(a - b);
    return std::min(d, 256 - d);
}

// A rigid motion taking print a's coordinates into print b's.
struct Alignment {
    float c = 1, s = 0, tx = 0, ty = 0;
    std::uint8_t rotationSteps = 0;
    void apply(float x, float y, float& outX, float& outY) const {
        outX = c * x - s * y + tx;
        outY = s * x + c * y + ty;
    }
};

Alignment anchorAlignment(const PreparedTemplate& a, int ia, const PreparedTemplate& b, int ib) {
    Alignment t;
    t.rotationSteps = static_cast<std::uint8_t>(b.angle[ib] - a.angle[ia]);
    const Trigonometry& trig = trigonometry();  // once: each call checks that the table is built
    t.c = trig.cosine[t.rotationSteps];
    t.s = trig.sine[t.rotationSteps];
    t.tx = b.x[ib] - (t.c * a.x[ia] - t.s * a.y[ia]);
    t.ty = b.y[ib] - (t.s * a.x[ia] + t.c * a.y[ia]);
    return t;
}

struct Pairing {
    int paired = 0;
    float weight = 0.0F;  // pairs of one minutia type count fully, mixed pairs less, loose pairs less
    // Only the first `paired` entries are ever read; left unset, as zeroing them took a twentieth of a
    // pairing.
    std::array<std::uint8_t, kMaxMatched> first, second;
    std::uint64_t usedA = 0, usedB = 0;  // the minutiae of each print already paired
};

// The direction part of a pair's cost by gap, within the tolerance: the same quotients, read instead of
// divided.
constexpr std::array<float, kPairAngleTolerance + 1> kTurnCost = [] {
    std::array<float, kPairAngleTolerance + 1> cost{};
    for (int gap = 0; gap <= kPairAngleTolerance; ++gap)
        cost[gap] = static_cast<float>(gap) / kPairAngleTolerance;
    return cost;
}();

// Candidate pairs are packed as cost, i, j in one integer so that sorting them is cheap and the order is
// fully determined. The cost, 0..2, is the distance over its tolerance plus the direction gap over its.
// `gap` is within kPairAngleTolerance.
std::uint32_t packCandidate(float distance, float inverseTolerance, int gap, int i, int j) {
    const float cost = distance * inverseTolerance + kTurnCost[gap];
    return static_cast<std::uint32_t>(cost * 8191.0F) << 16 | static_cast<std::uint32_t>(i) << 8 |
           static_cast<std::uint32_t>(j);
}

// Candidates in increasing order. A pairing's list mostly holds fewer than ten, where a plain insertion
// sort costs less than the library's general one. Every key is distinct (it holds both minutiae), so any
// correct sort gives the same order.
void sortCandidates(std::uint32_t* candidates, int count) {
    constexpr int kShortList = 24;
    if (count > kShortList) {
        std::sort(candidates, candidates + count);
        return;
    }
    for (int k = 1; k < count; ++k) {
        const std::uint32_t key = candidates[k];
        int at = k;
        for (; at > 0 && candidates[at - 1] > key; --at) candidates[at] = candidates[at - 1];
        candidates[at] = key;
    }
}

// Adds the candidates, closest first, whose two minutiae are both still free.
void pairGreedily(const PreparedTemplate& a, const PreparedTemplate& b, std::uint32_t* candidates, int count,
                  Pairing& p) {
    sortCandidates(candidates, count);
    for (int k = 0; k < count; ++k) {
        const int i = (candidates[k] >> 8) & 0xFF, j = candidates[k] & 0xFF;
        const std::uint64_t bitA = std::uint64_t{1} << i, bitB = std::uint64_t{1} << j;
        if ((p.usedA & bitA) || (p.usedB & bitB)) continue;
        p.usedA |= bitA;
        p.usedB |= bitB;
        p.first[p.paired] = static_cast<std::uint8_t>(i);
        p.second[p.paired] = static_cast<std::uint8_t>(j);
        ++p.paired;
        const float cost = static_cast<float>(candidates[k] >> 16) / 8191.0F;
        // Read, not branched on: types agree or not in no predictable pattern.
        constexpr float kTypeWeight[2] = {1.0F, kTypeMismatchWeight};
        p.weight += kTypeWeight[a.type[i] ^ b.type[j]] * (1.0F - 0.5F * kEdgeDiscount * cost);
    }
}

// A template's minutia positions as floats, converted once per comparison rather than at each of the
// many candidate tests of its pairings.
struct FloatPositions {
    PointCoordinates x, y;
};

void convertPositions(const PreparedTemplate& t, FloatPositions& out) {
    const int blocks = wholeBlocks(t.count);
    for (int block = 0; block < blocks; block += kBlock) {
        for (int i = block; i < block + kBlock; ++i) {
            out.x[i] = t.x[i];
            out.y[i] = t.y[i];
        }
    }
}

// Adds the candidates for minutia i of a, moved to (x, y) and turned to `angle`: the minutiae of b in
// `near` within the squared reach and the direction tolerance, while the list has room. The tests come
// first, without a branch (about half of the minutiae in `near` lie outside the disc, and branching on
// it was mispredicted often); the square roots and costs then only for the minutiae that passed.
// Inlined: it runs once per minutia of every pairing, and a call passing twelve values cost a tenth
// of it.
[[gnu::always_inline]] inline void addCandidates(const PreparedTemplate& b, const FloatPositions& bAt, int i,
                                                 float x, float y, std::uint8_t angle, std::uint64_t near,
                                                 float reach2, float inverse, std::uint32_t* pairs,
                                                 int capacity, int& count) {
    std::array<float, kMaxMatched> square;
    std::array<std::uint8_t, kMaxMatched> partner, gaps;
    int passed = 0;  // below the number of minutiae visited, so every slot written exists
    for (; near != 0; near &= near - 1) {
        const int j = __builtin_ctzll(near);
        const float ex = x - bAt.x[j], ey = y - bAt.y[j];
        const float d2 = ex * ex + ey * ey;
        const int gap = angleGap(angle, b.angle[j]);
        square[passed] = d2;
        partner[passed] = static_cast<std::uint8_t>(j);
        gaps[passed] = static_cast<std::uint8_t>(gap);
        passed += ((d2 <= reach2) & (gap <= kPairAngleTolerance)) != 0 ? 1 : 0;
    }
    for (int k = 0; k < passed && count < capacity; ++k)
        pairs[count++] = packCandidate(std::sqrt(square[k]), inverse, gaps[k], i, partner[k]);
}

// Minutia positions of a under an alignment, with what the pairing reads of each: its tolerance step
// by squared distance from the anchor and b.nearbyAt's bands of its position.
struct MovedMinutiae {
    std::array<float, kMaxMatched> x, y;
    std::array<int, kMaxMatched> reachStep, row, column;
};

// All positions first, in whole blocks that the compiler vectorises (the entries past the count are
// computed and never read). The arithmetic is kept exactly as it is, in a loop of its own: the boards'
// compiler fuses multiplies and adds, and how it fuses them depends on the loop they are in.
[[gnu::always_inline]] inline void moveMinutiae(const PreparedTemplate& a, const Alignment& t, float anchorX,
                                                float anchorY, MovedMinutiae& m) {
    const int blocks = wholeBlocks(a.count);
    for (int block = 0; block < blocks; block += kBlock) {
        for (int i = block; i < block + kBlock; ++i) {
            t.apply(a.x[i], a.y[i], m.x[i], m.y[i]);
            const float ex = m.x[i] - anchorX, ey = m.y[i] - anchorY;
            m.reachStep[i] =
                std::min(kReachSteps - 1, static_cast<int>(std::min(ex * ex + ey * ey, 1e9F)) / kReachStep);
        }
    }
    for (int block = 0; block < blocks; block += kBlock) {
        for (int i = block; i < block + kBlock; ++i) {
            m.column[i] = bandOf(m.x[i], kWidth);
            m.row[i] = bandOf(m.y[i], kHeight);
        }
    }
}

// The minutiae of a with some minutia of b near, and the set of those b minutiae each.
struct NearLists {
    std::array<std::uint64_t, kMaxMatched + 1> nearSet;  // nearSet[k] belongs to minutia withNear[k]
    std::array<std::uint8_t, kMaxMatched + 1> withNear;
    int visits = 0;  // (a, b) pairs listed in all
};

// Listed without a branch (most minutiae have none near, in no pattern the processor could predict).
[[gnu::always_inline]] inline void listNear(const PreparedTemplate& a, const PreparedTemplate& b,
                                            const MovedMinutiae& m, NearLists& lists) {
    int listed = 0, visits = 0;
    for (int i = 0; i < a.count; ++i) {
        const std::uint64_t near = b.nearRow[m.row[i]] & b.nearColumn[m.column[i]];
        lists.nearSet[listed] = near;
        lists.withNear[listed] = static_cast<std::uint8_t>(i);
        visits += __builtin_popcountll(near);
        listed += near != 0 ? 1 : 0;
    }
    lists.nearSet[listed] = 0;  // read once, after the last pair
    lists.withNear[listed] = 0;
    lists.visits = visits;
}

constexpr int kMaxRigidCandidates = kMaxMatched * 8;
using CandidateKeys = std::array<std::uint32_t, kMaxRigidCandidates + 1>;

// All listed pairs in one loop of known length, without a branch: the ones within reach and turned
// alike are kept, in the order of a's minutiae and then b's, while there is room (a slot past the room
// takes the ones not kept). A kept pair's gap and indexes wait in `pairs` until its key is made. Returns
// how many were kept.
[[gnu::always_inline]] inline int keepWithinTolerance(const PreparedTemplate& a, const PreparedTemplate& b,
                                                      const FloatPositions& bAt, const Alignment& t,
                                                      const MovedMinutiae& m, const NearLists& lists,
                                                      CandidateKeys& pairs,
                                                      std::array<float, kMaxRigidCandidates + 1>& square) {
    const ToleranceTable& tolerances = toleranceTable();
    int pairCount = 0, k = 0;
    std::uint64_t near = lists.nearSet[0];
    for (int visit = 0; visit < lists.visits; ++visit) {
        const int i = lists.withNear[k], j = __builtin_ctzll(near);
        const float ex = m.x[i] - bAt.x[j], ey = m.y[i] - bAt.y[j];
        const float d2 = ex * ex + ey * ey;
        const int gap = angleGap(static_cast<std::uint8_t>(a.angle[i] + t.rotationSteps), b.angle[j]);
        square[pairCount] = d2;
        pairs[pairCount] = static_cast<std::uint32_t>(gap) << 16 | static_cast<std::uint32_t>(i) << 8 |
                           static_cast<std::uint32_t>(j);
        pairCount += ((d2 <= tolerances.square[m.reachStep[i]]) & (gap <= kPairAngleTolerance) &
                      (pairCount < kMaxRigidCandidates)) != 0
                         ? 1
                         : 0;
        near &= near - 1;
        const std::uint64_t moveOn = near == 0 ? ~std::uint64_t{0} : 0;  // to the next listed minutia
        k += static_cast<int>(moveOn & 1);
        near |= lists.nearSet[k] & moveOn;
    }
    return pairCount;
}

// One-to-one pairing under an alignment, closest pairs first. The position tolerance grows with the
// distance from the anchor, because skin stretches.
Pairing pairUnder(const PreparedTemplate& a, const PreparedTemplate& b, const FloatPositions& bAt,
                  const Alignment& t, float anchorX, float anchorY) {
    MovedMinutiae moved;
    moveMinutiae(a, t, anchorX, anchorY, moved);
    NearLists lists;
    listNear(a, b, moved, lists);
    CandidateKeys pairs;
    std::array<float, kMaxRigidCandidates + 1> square;
    const int pairCount = keepWithinTolerance(a, b, bAt, t, moved, lists, pairs, square);
    const ToleranceTable& tolerances = toleranceTable();
    for (int c = 0; c < pairCount; ++c) {
        const int gap = static_cast<int>(pairs[c] >> 16), i = pairs[c] >> 8 & 0xFF, j = pairs[c] & 0xFF;
        pairs[c] = packCandidate(std::sqrt(square[c]), tolerances.inverse[moved.reachStep[i]], gap, i, j);
    }
    Pairing p;
    pairGreedily(a, b, pairs.data(), pairCount, p);
    return p;
}

// Pairs the minutiae a rigid alignment left over, each moved first by the interpolated misfit of the
// pairs already made (see kElasticTolerance).
void pairElastically(const PreparedTemplate& a, const PreparedTemplate& b, const FloatPositions& bAt,
                     const Alignment& t, Pairing& p) {
    if (p.paired == 0) return;
    std::array<float, kMaxMatched> pairX, pairY, misfitX, misfitY;
    for (int k = 0; k < p.paired; ++k) {
        t.apply(a.x[p.first[k]], a.y[p.first[k]], pairX[k], pairY[k]);
        misfitX[k] = b.x[p.second[k]] - pairX[k];
        misfitY[k] = b.y[p.second[k]] - pairY[k];
    }
    constexpr int kMaxCandidatePairs = kMaxMatched * 4;
    std::array<std::uint32_t, kMaxCandidatePairs> pairs;
    int pairCount = 0;
    constexpr float kInverse = 1.0F / kElasticTolerance;
    const std::uint64_t freeB = ~p.usedB;
    for (int i = 0; i < a.count && pairCount < kMaxCandidatePairs; ++i) {
        if (p.usedA >> i & 1) continue;
        float x = 0, y = 0;
        t.apply(a.x[i], a.y[i], x, y);
        float sum = 0, shiftX = 0, shiftY = 0;
        for (int k = 0; k < p.paired; ++k) {
            const float dx = x - pairX[k], dy = y - pairY[k];
            const float w = 1.0F / (dx * dx + dy * dy + kElasticSpread * kElasticSpread);
            sum += w, shiftX += w * misfitX[k], shiftY += w * misfitY[k];
        }
        x += shiftX / sum, y += shiftY / sum;
        const std::uint8_t angle = static_cast<std::uint8_t>(a.angle[i] + t.rotationSteps);
        addCandidates(b, bAt, i, x, y, angle, b.nearbyAt(x, y) & freeB, kElasticTolerance * kElasticTolerance,
                      kInverse, pairs.data(), kMaxCandidatePairs, pairCount);
    }
    pairGreedily(a, b, pairs.data(), pairCount, p);
}

// Least-squares rigid motion (2-D Procrustes) over the paired minutiae.
Alignment refit(const PreparedTemplate& a, const PreparedTemplate& b, const Pairing& p) {
    float ax = 0, ay = 0, bx = 0, by = 0;
    for (int k = 0; k < p.paired; ++k) {
        ax += a.x[p.first[k]], ay += a.y[p.first[k]];
        bx += b.x[p.second[k]], by += b.y[p.second[k]];
    }
    const float n = static_cast<float>(p.paired);
    ax /= n, ay /= n, bx /= n, by /= n;
    float sxx = 0, sxy = 0;
    for (int k = 0; k < p.paired; ++k) {
        const float ux = a.x[p.first[k]] - ax, uy = a.y[p.first[k]] - ay;
        const float vx = b.x[p.second[k]] - bx, vy = b.y[p.second[k]] - by;
        sxx += ux * vx + uy * vy;
        sxy += ux * vy - uy * vx;
    }
    const float rotation = std::atan2(sxy, sxx);
    Alignment t;
    t.c = std::cos(rotation);
    t.s = std::sin(rotation);
    t.rotationSteps = static_cast<std::uint8_t>(
        std::lround((rotation < 0 ? rotation + kTwoPiF : rotation) * 256.0F / kTwoPiF) & 0xFF);
    t.tx = bx - (t.c * ax - t.s * ay);
    t.ty = by - (t.s * ax + t.c * ay);
    return t;
}

float scoreOf(float weight, int paired, int overlapA, int overlapB) {
    const float denominator = (static_cast<float>(std::max(overlapA, paired)) + kShrinkage) *
                              (static_cast<float>(std::max(overlapB, paired)) + kShrinkage);
    return std::min(1.0F, weight * weight / denominator);
}

// Minutiae of a that land in b's foreground, and of b that land in a's. Both are counted only while
// the score could still beat bestRaw: with the first count known and the second at its least (the
// pairs), the score is an upper bound, the float operations being monotonic. A count skipped is -1.
void overlaps(const PreparedTemplate& a, const PreparedTemplate& b, const Alignment& t, const Pairing& p,
              float bestRaw, int& overlapA, int& overlapB) {
    PointCoordinates x, y;
    const int blocksA = wholeBlocks(a.count), blocksB = wholeBlocks(b.count);
    for (int block = 0; block < blocksA; block += kBlock)
        for (int i = block; i < block + kBlock; ++i) t.apply(a.x[i], a.y[i], x[i], y[i]);
    overlapA = countInForeground(b, x, y, a.count);
    overlapB = -1;
    if (scoreOf(p.weight, p.paired, overlapA, p.paired) <= bestRaw) return;
    for (int block = 0; block < blocksB; block += kBlock) {
        for (int j = block; j < block + kBlock; ++j) {
            const float dx = b.x[j] - t.tx, dy = b.y[j] - t.ty;  // inverse motion
            x[j] = t.c * dx + t.s * dy;
            y[j] = -t.s * dx + t.c * dy;
        }
    }
    overlapB = countInForeground(a, x, y, b.count);
}

// The shorter of two periods over the longer, by code, in fixed point; 0 where either is unknown.
constexpr int kRatioUnit = 1 << 12;
constexpr std::array<std::array<int, kPeriodCodes>, kPeriodCodes> kPeriodRatio = [] {
    std::array<std::array<int, kPeriodCodes>, kPeriodCodes> table{};
    for (int p = 1; p < kPeriodCodes; ++p) {
        for (int q = 1; q < kPeriodCodes; ++q) {
            // Periods 4.5 + code / 2: the ratio of (9 + code)s.
            const int shorter = 9 + std::min(p, q), longer = 9 + std::max(p, q);
            table[p][q] = (kRatioUnit * shorter + longer / 2) / longer;
        }
    }
    return table;
}();

struct FieldAgreement {
    float orientation = 0.0F;  // mean cosine of twice the orientation difference, -1..1
    int cells = 0;             // sampled cells of a whose centre lands in b's print
    float period = 1.0F;       // mean ratio of the shorter ridge period to the longer, 0..1
};

// How well the two prints' ridge fields agree over the overlap under the alignment, over every other
// cell of every other row of a whose centre lands in b's print: the orientation as the cosine of twice
// the difference (1 parallel, -1 crossing at right angles), and the ridge period as the ratio of the
// shorter to the longer, over the cells where both periods are known (1 where none is).
FieldAgreement fieldAgreement(const PreparedTemplate& a, const PreparedTemplate& b, const Alignment& t) {
    // The doubled difference is twice the rotation plus a whole number of orientation steps, so the
    // cosines are looked up by step gap, in fixed point, from a table made once per call. The cell loop
    // has no branch on the data: a cell outside b's print counts zero.
    constexpr int kStepsPerOrientation = 256 / (2 * kOrientationSteps);  // turn steps per orientation step
    const Trigonometry& trig = trigonometry();
    std::array<int, kOrientationSteps> cosineByGap;
    for (int gap = 0; gap < kOrientationSteps; ++gap) {
        const int doubled = 2 * (t.rotationSteps + gap * kStepsPerOrientation);
        cosineByGap[gap] = trig.fixedCosine[static_cast<std::uint8_t>(doubled)];
    }
    const float stepX = t.c * kMaskCell, stepY = t.s * kMaskCell;
    constexpr float kRight = kMaskColumns * kMaskCell, kBottom = kMaskRows * kMaskCell;
    int sum = 0, counted = 0, ratioSum = 0, ratioCells = 0;
    // Every other cell of every other row: the field is smooth over neighbouring cells, and a quarter
    // of them measured the same agreement (FVC error rates within their noise) at a quarter of the cost.
    for (int cy = 0; cy < kMaskRows; cy += 2) {
        float rowX = 0, rowY = 0;
        t.apply(kMaskCell / 2, static_cast<float>(cy * kMaskCell + kMaskCell / 2), rowX, rowY);
        // a's orientations and periods of this row, each row read once as a word.
        const std::uint8_t* orientationsA =
            a.orientation.data() + static_cast<std::size_t>(cy) * kOrientationRowBytes;
        const std::uint64_t rowOrientationsA = readLe48(orientationsA);
        const std::uint32_t rowPeriodsA =
            readLe32(a.period.data() + static_cast<std::size_t>(cy / 2) * (kPeriodColumns / 2));
        for (std::uint32_t row = a.mask[cy] & 0x5555U; row != 0; row &= row - 1) {
            const int cx = __builtin_ctz(row);
            const float x = rowX + static_cast<float>(cx) * stepX, y = rowY + static_cast<float>(cx) * stepY;
            const int inside = (x >= 0.0F) & (y >= 0.0F) & (x < kRight) & (y < kBottom);
            const int bx = static_cast<int>(std::clamp(x, 0.0F, kRight - 1.0F)) / kMaskCell;
            const int by = static_cast<int>(std::clamp(y, 0.0F, kBottom - 1.0F)) / kMaskCell;
            const int print = inside & static_cast<int>((b.mask[by] >> bx) & 1U);
            const int from =
                static_cast<int>(rowOrientationsA >> (cx * kOrientationBits)) & (kOrientationSteps - 1);
            const int to = orientationOfCell(b.orientation.data(), by * kMaskColumns + bx);
            sum += print * cosineByGap[(from - to) & (kOrientationSteps - 1)];
            counted += print;
            const int periodA = static_cast<int>(rowPeriodsA >> (cx / 2 * 4)) & (kPeriodCodes - 1);
            const int periodB = periodOfCell(b.period.data(), by / 2 * kPeriodColumns + bx / 2);
            const int ratio = kPeriodRatio[periodA][periodB];
            ratioSum += print * ratio;
            ratioCells += print & static_cast<int>(ratio != 0);
        }
    }
    FieldAgreement out;
    out.cells = counted;
    if (counted > 0)
        out.orientation = static_cast<float>(sum) / (Trigonometry::kFixedUnit * static_cast<float>(counted));
    if (ratioCells > 0)
        out.period = static_cast<float>(ratioSum) / (kRatioUnit * static_cast<float>(ratioCells));
    return out;
}

// The mean squared cosine of the orientation difference, 0..1: the share of the overlap whose ridges
// run alike.
float parallelShare(float agreement) {
    return 0.5F * (1.0F + agreement);
}

// The ridge flow's factor in the score: the parallel share squared, on the scale of the minutiae term,
// which is a squared share too (the pairs' share of one print's minutiae times that of the other's).
float flowFactor(float agreement) {
    const float share = parallelShare(agreement);
    return share * share;
}

// The ridge period's factor: the mean period ratio to the kPeriodPower.
float periodFactor(float ratio) {
    float factor = 1.0F;
    for (int k = 0; k < kPeriodPower; ++k) factor *= ratio;
    return factor;
}

struct Consolidation {
    MatchDetail detail;
    Pairing pairing;
    Alignment alignment;
};

// Pairs under the alignment (its tolerance growing from the anchor point), re-fits on everything
// paired so one noisy anchor does not decide the alignment, and scores. The foreground overlap is only
// measured when the pairing could beat the best score so far even if every minutia in play were paired.
void consolidate(const PreparedTemplate& a, const PreparedTemplate& b, const FloatPositions& bAt, Alignment t,
                 float anchorX, float anchorY, float bestRaw, Consolidation& out) {
    out.pairing = pairUnder(a, b, bAt, t, anchorX, anchorY);
    Pairing& p = out.pairing;
    if (p.paired >= kRefitMinPaired) {
        const Alignment refined = refit(a, b, p);
        float cx = 0, cy = 0;
        for (int k = 0; k < p.paired; ++k) cx += b.x[p.second[k]], cy += b.y[p.second[k]];
        const Pairing again = pairUnder(a, b, bAt, refined, cx / p.paired, cy / p.paired);
        if (again.weight > p.weight) {
            p = again;
            t = refined;
        }
    }
    out.alignment = t;
    out.detail = MatchDetail{};
    out.detail.paired = p.paired;
    if (p.paired < kMinPaired || scoreOf(p.weight, p.paired, p.paired, p.paired) <= bestRaw) return;
    overlaps(a, b, t, p, bestRaw, out.detail.overlapA, out.detail.overlapB);
    if (out.detail.overlapB < 0) return;
    out.detail.raw = scoreOf(p.weight, p.paired, out.detail.overlapA, out.detail.overlapB);
}

// The second path, for a pair whose descriptor anchors found no alignment that kFewPaired minutiae
// share: the placement of the orientation fields, paired like an anchor's alignment, where the ridge
// flow there agrees as a genuine overlap does. Kept in `winner` when it scores higher.
void consolidateByFields(const PreparedTemplate& a, const PreparedTemplate& b, const FloatPositions& bAt,
                         MatchDetail& detail, Consolidation& winner) {
    const FieldPlacement place = placeByOrientation(a, b);
    if (!place.placed) return;
    Alignment t;
    t.tx = static_cast<float>(place.dx);
    t.ty = static_cast<float>(place.dy);
    Consolidation c;
    consolidate(a, b, bAt, t, place.centreX, place.centreY, detail.raw, c);
    if (c.detail.raw > detail.raw) {
        detail = c.detail;
        winner = c;
    }
}

struct Candidate {
    float similarity;
    std::uint8_t i, j;
};

// A kept pair as one integer whose order is the ranking: decreasing similarity (a positive float's bits
// order like its value), then the order the pairs were met in, so that ties keep the earlier pair. The
// shared bit count rides below, where it cannot change the order (no two keys share i and j), so that
// the floor is read back exactly.
std::uint64_t rankKey(float similarity, int i, int j, std::uint64_t common) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &similarity, sizeof bits);
    return static_cast<std::uint64_t>(0x7FFFFFFFU - bits) << 32 | static_cast<std::uint64_t>(i) << 24 |
           static_cast<std::uint64_t>(j) << 16 | common;
}

Candidate fromKey(std::uint64_t key) {
    Candidate c;
    const std::uint32_t bits = 0x7FFFFFFFU - static_cast<std::uint32_t>(key >> 32);
    std::memcpy(&c.similarity, &bits, sizeof bits);
    c.i = static_cast<std::uint8_t>(key >> 24 & 0xFF);
    c.j = static_cast<std::uint8_t>(key >> 16 & 0xFF);
    return c;
}

static_assert(kDescriptorBits <= 0xFFFF, "a shared bit count fits the key's low 16 bits");

std::uint64_t commonOfKey(std::uint64_t key) {
    return key & 0xFFFF;
}

// The best descriptor pairs above `least`, by decreasing similarity, at most kCandidates. They are kept
// as integers in a small sorted array (moving whole integers, not structures written field by field,
// keeps the insertion off the store-forwarding path); most pairs never get that far, turned down in
// bulk by the floor test.
int bestPairsAbove(const PreparedTemplate& a, const PreparedTemplate& b, DiceFloor least,
                   std::array<Candidate, kCandidates>& best) {
    std::array<std::uint64_t, kCandidates> keys{};
    int count = 0;
    DiceFloor floor = least;  // until the list is full; then its weakest, which lies above `least`
    const int countA = std::min(a.count, kAnchorMinutiae), countB = std::min(b.count, kAnchorMinutiae);
    const std::uint64_t inB = (std::uint64_t{1} << countB) - 1;
    AnchorCounts shared;
    for (int i = 0; i < countA; ++i) {
        // The floor only rises while the row is walked, so each pair is checked again.
        for (std::uint64_t above = anchorsAboveFloor(a.descriptor[i], a.bitCount[i], b, floor, shared) & inB;
             above != 0; above &= above - 1) {
            const int j = __builtin_ctzll(above);
            const std::uint64_t common = shared[j], total = a.bitCount[i] + b.bitCount[j];
            if (common * floor.total <= floor.common * total) continue;
            const float s = 2.0F * static_cast<float>(common) / static_cast<float>(total);
            const std::uint64_t key = rankKey(s, i, j, common);
            int at = count < kCandidates ? count++ : kCandidates - 1;
            for (; at > 0 && keys[at - 1] > key; --at) keys[at] = keys[at - 1];
            keys[at] = key;
            if (count == kCandidates) {
                const Candidate weakest = fromKey(keys[kCandidates - 1]);
                floor.total = a.bitCount[weakest.i] + b.bitCount[weakest.j];
                floor.common = commonOfKey(keys[kCandidates - 1]);
            }
        }
    }
    for (int k = 0; k < count; ++k) best[k] = fromKey(keys[k]);
    return count;
}

// The best descriptor pairs. With the floor starting at zero, the first rows fill the list with pairs
// that later ones push out, one sorted insertion each (about 80 per comparison for 16 kept). So the
// search starts from a Dice coefficient of 0.25 instead, which the 16th best pair exceeds in all but
// 0.3 % of the comparisons measured (FVC and generated prints; 6 % on DB2_B, which has the fewest
// minutiae). When it finds a full list, every pair left out lies at or below 0.25, under every pair
// kept, so the list is the same; otherwise the search is done again from zero.
int bestDescriptorPairs(const PreparedTemplate& a, const PreparedTemplate& b,
                        std::array<Candidate, kCandidates>& best) {
    constexpr DiceFloor kLikelyFloor{1, 8};  // 2 common / total > 0.25
    const int count = bestPairsAbove(a, b, kLikelyFloor, best);
    return count == kCandidates ? count : bestPairsAbove(a, b, DiceFloor{}, best);
}

// Orders the candidates by how many of the others agree with the alignment they imply (the other
// anchor lands near its partner, turned alike), then by descriptor similarity. A genuine pair's
// candidates mostly agree with one another; an impostor's scatter.
int rankBySupport(const PreparedTemplate& a, const PreparedTemplate& b,
                  const std::array<Candidate, kCandidates>& best, int count,
                  std::array<int, kCandidates>& order, std::array<int, kCandidates>& agreeing) {
    // The candidates' two minutiae side by side, kLanes candidates per vector, so that one alignment is
    // tried on all the others at once; each lane does what Alignment::apply and angleGap do, in the
    // same order, so the counts are those of a plain loop.
    constexpr int kGroups = kCandidates / kLanes;
    static_assert(kCandidates % kLanes == 0, "candidates fill whole vectors");
    FloatLanes fromX[kGroups], fromY[kGroups], toX[kGroups], toY[kGroups];
    IntLanes fromAngle[kGroups], toAngle[kGroups], index[kGroups];
    for (int q = 0; q < kCandidates; ++q) {
        const int g = q / kLanes, lane = q % kLanes;
        const bool used = q < count;
        fromX[g][lane] = used ? a.x[best[q].i] : 0.0F;
        fromY[g][lane] = used ? a.y[best[q].i] : 0.0F;
        toX[g][lane] = used ? b.x[best[q].j] : 0.0F;
        toY[g][lane] = used ? b.y[best[q].j] : 0.0F;
        fromAngle[g][lane] = used ? a.angle[best[q].i] : 0;
        toAngle[g][lane] = used ? b.angle[best[q].j] : 0;
        index[g][lane] = q;
    }
    agreeing.fill(0);
    for (int k = 0; k < count; ++k) {
        const Alignment t = anchorAlignment(a, best[k].i, b, best[k].j);
        IntLanes agree{};
        for (int g = 0; g < kGroups; ++g) {
            const FloatLanes x = t.c * fromX[g] - t.s * fromY[g] + t.tx;
            const FloatLanes y = t.s * fromX[g] + t.c * fromY[g] + t.ty;
            const FloatLanes ex = x - toX[g], ey = y - toY[g];
            const IntLanes turn = (fromAngle[g] + t.rotationSteps - toAngle[g]) & 0xFF;
            const IntLanes gap = turn < 256 - turn ? turn : 256 - turn;
            // Comparisons give -1 in a lane where they hold.
            agree -= (ex * ex + ey * ey <= kAgreementDistance * kAgreementDistance) &
                     (gap <= kPairAngleTolerance) & (index[g] < count) & (index[g] != k);
        }
        agreeing[k] = laneSum(agree);
    }
    // A stable counting sort, most support first: equal support keeps the similarity order. (The
    // library's stable sort asked for a buffer from the heap on every comparison.)
    std::array<int, kCandidates + 1> place{};
    for (int k = 0; k < count; ++k) ++place[kCandidates - agreeing[k]];
    for (int level = 0; level < kCandidates; ++level) place[level + 1] += place[level];
    for (int k = 0; k < count; ++k) order[place[kCandidates - 1 - agreeing[k]]++] = k;
    return count;
}

}  // namespace

float calibrateSimilarity(float raw, int paired) {
    if (paired < kMinPaired) return 0.0F;
    // Piecewise linear: kThreshold becomes the verification threshold 0.6, kFullMatch becomes 1.
    const float s = raw < kThreshold ? 0.6F * raw / kThreshold
                                     : 0.6F + 0.4F * (raw - kThreshold) / (kFullMatch - kThreshold);
    return std::clamp(s, 0.0F, 1.0F);
}

MatchDetail matchPrepared(const PreparedTemplate& first, const PreparedTemplate& second, bool withSupport) {
    const bool inOrder = goesFirst(first, second);
    const PreparedTemplate& a = inOrder ? first : second;
    const PreparedTemplate& b = inOrder ? second : first;
    MatchDetail detail;
    if (a.count < kMinPaired || b.count < kMinPaired) return detail;
    std::array<Candidate, kCandidates> best;
    const int bestCount = bestDescriptorPairs(a, b, best);
    std::array<int, kCandidates> order;
    std::array<int, kCandidates> agreeing;
    const int orderCount = rankBySupport(a, b, best, bestCount, order, agreeing);
    const int votes = orderCount > 0 ? agreeing[order[0]] : 0;
    Consolidation c, winner;
    FloatPositions bAt;
    convertPositions(b, bAt);
    for (int r = 0; r < std::min(orderCount, kConsolidations); ++r) {
        const Candidate& anchor = best[order[r]];
        // Past the first, an alignment no other candidate agrees with is a chance descriptor match.
        if (r > 0 && agreeing[order[r]] < kMinAgreeing) break;
        consolidate(a, b, bAt, anchorAlignment(a, anchor.i, b, anchor.j), b.x[anchor.j], b.y[anchor.j],
                    detail.raw, c);
        if (c.detail.raw > detail.raw) {
            detail = c.detail;
            winner = c;
        }
    }
    if (detail.paired < kFewPaired) consolidateByFields(a, b, bAt, detail, winner);
    // Only the winner is extended: extending every consolidation, so that the extension could change
    // the winner, measured no better. Its overlap counts stay, the alignment being the same.
    if (detail.raw > 0.0F && winner.pairing.paired >= kElasticMinPaired) {
        pairElastically(a, b, bAt, winner.alignment, winner.pairing);
        detail.paired = winner.pairing.paired;
        detail.raw = scoreOf(winner.pairing.weight, detail.paired, detail.overlapA, detail.overlapB);
    }
    if (detail.raw > 0.0F) {
        const FieldAgreement fields = fieldAgreement(a, b, winner.alignment);
        detail.orientationAgreement = fields.orientation;
        detail.orientationCells = fields.cells;
        detail.periodAgreement = fields.period;
        detail.raw *= flowFactor(fields.orientation) * periodFactor(fields.period);
    }
    for (int k = 0; withSupport && k < winner.pairing.paired && detail.raw > 0.0F; ++k)
        detail.support += descriptorSimilarity(a, winner.pairing.first[k], b, winner.pairing.second[k]);
    detail.weight = winner.pairing.weight;
    detail.votes = votes;
    detail.raw *= 1.0F + kVoteWeight * static_cast<float>(std::min(votes, kMaxVotes));
    detail.similarity = calibrateSimilarity(detail.raw, detail.paired);
    return detail;
}

MatchDetail matchTemplates(const FeatureTemplate& a, const FeatureTemplate& b) {
    PreparedTemplate pa, pb;
    prepareTemplate(a, pa);
    prepareTemplate(b, pb);
    return matchPrepared(pa, pb, true);
}

}  // namespace tervo::fpr
