#include "matcher_placement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "checksum.h"
#include "parameters.h"

namespace tervo::fpr {
namespace {

static_assert(kMaskColumns == 16, "a row of cells is one vector of sixteen bytes");
static_assert(kOrientationSteps == 8 && kOrientationBits == 3, "the gap is read modulo 8");
typedef std::uint8_t ByteLanes __attribute__((vector_size(16)));

constexpr int kRowStep = 2;  // every other row: the fields are smooth, and half the rows cost half

// Unpacking tables: two cells' 3-bit codes (6 bits) to two bytes, eight mask bits to eight bytes.
constexpr std::array<std::uint16_t, 64> kCodePairs = [] {
    std::array<std::uint16_t, 64> t{};
    for (int v = 0; v < 64; ++v) t[v] = static_cast<std::uint16_t>((v & 7) | (v >> 3) << 8);
    return t;
}();
constexpr std::array<std::uint64_t, 256> kMaskBitsAsBytes = [] {
    std::array<std::uint64_t, 256> t{};
    for (int v = 0; v < 256; ++v)
        for (int bit = 0; bit < 8; ++bit)
            if (v >> bit & 1) t[v] |= std::uint64_t{0xFF} << (8 * bit);
    return t;
}();

// A print's orientation codes and print mask, a row of cells to a vector of bytes, with kPlacementReach
// empty rows above and below and empty columns either side (the second print's are read shifted).
struct CellRows {
    static constexpr int kColumns = kMaskColumns + 2 * kPlacementReach;
    static constexpr int kRows = kMaskRows + 2 * kPlacementReach;
    std::array<std::array<std::uint8_t, kColumns>, kRows> code{}, mask{};
};

void unpack(const PreparedTemplate& t, CellRows& out) {
    for (int cy = 0; cy < kMaskRows; ++cy) {
        std::uint64_t codes =
            readLe48(t.orientation.data() + static_cast<std::size_t>(cy) * kOrientationRowBytes);
        std::uint8_t* code = out.code[cy + kPlacementReach].data() + kPlacementReach;
        for (int cx = 0; cx < kMaskColumns; cx += 2, codes >>= 2 * kOrientationBits)
            std::memcpy(code + cx, &kCodePairs[codes & 63], 2);  // little-endian: the even cell first
        std::uint8_t* mask = out.mask[cy + kPlacementReach].data() + kPlacementReach;
        std::memcpy(mask, &kMaskBitsAsBytes[t.mask[cy] & 0xFF], 8);
        std::memcpy(mask + 8, &kMaskBitsAsBytes[t.mask[cy] >> 8], 8);
    }
}

ByteLanes lanesAt(const std::uint8_t* p) {
    ByteLanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

FieldPlacement placeByOrientation(const PreparedTemplate& a, const PreparedTemplate& b) {
    CellRows from, to;
    unpack(a, from);
    unpack(b, to);
    // Only the rows where the first print has cells.
    int top = 0, bottom = kMaskRows;
    while (top < bottom && a.mask[top] == 0) ++top;
    while (bottom > top && a.mask[bottom - 1] == 0) --bottom;
    // Per cell |4 - gap| with the gap in orientation steps modulo 8: 4 parallel, 0 crossing, 2 at 45
    // degrees (a triangle in place of the cosine of twice the angle). Read as the smaller of 4 - gap
    // and gap - 4 in wrapping bytes. Returns the sum of |4 - gap| - 2 over the cells in both prints.
    const ByteLanes four = ByteLanes{} + 4, seven = ByteLanes{} + 7, one = ByteLanes{} + 1;
    auto agreementAt = [&](int dx, int dy, int& cells) {
        ByteLanes near{}, overlap{};  // per column, at most 4 x 23 and 23: bytes suffice
        const int column = kPlacementReach + dx;
        for (int row = top + kPlacementReach; row < bottom + kPlacementReach; row += kRowStep) {
            const ByteLanes gap = (lanesAt(from.code[row].data() + kPlacementReach) -
                                   lanesAt(to.code[row + dy].data() + column)) &
                                  seven;
            const ByteLanes up = four - gap, down = gap - four;
            const ByteLanes both =
                lanesAt(from.mask[row].data() + kPlacementReach) & lanesAt(to.mask[row + dy].data() + column);
            near += (up < down ? up : down) & both;
            overlap += both & one;
        }
        int sum = 0;
        cells = 0;
        for (int k = 0; k < kMaskColumns; ++k) sum += near[k], cells += overlap[k];
        return sum - 2 * cells;
    };
    // A first look at the place where the impressions lie alike: far from parallel there, the flow
    // is of another pattern and no shift within reach will agree as a genuine overlap does.
    {
        int cells = 0;
        const int sum = agreementAt(0, 0, cells);
        if (cells == 0 || static_cast<float>(sum) < kMinIdentityFlow * 2.0F * static_cast<float>(cells))
            return FieldPlacement{};
    }
    // Coarse to fine: every other shift first, then the neighbours of the best of those (the fields
    // are smooth, so the agreement changes little from one cell's shift to the next).
    FieldPlacement best;
    int bestSum = -(1 << 30);
    auto consider = [&](int dx, int dy) {
        int cells = 0;
        const int sum = agreementAt(dx, dy, cells);
        if (sum > bestSum) {
            bestSum = sum;
            best.dx = dx;
            best.dy = dy;
            best.cells = cells;
        }
    };
    constexpr int kStride = 2;
    for (int dy = -kPlacementReach; dy <= kPlacementReach; dy += kStride)
        for (int dx = -kPlacementReach; dx <= kPlacementReach; dx += kStride) consider(dx, dy);
    const int coarseX = best.dx, coarseY = best.dy;
    for (int dy = std::max(-kPlacementReach, coarseY - 1); dy <= std::min(kPlacementReach, coarseY + 1); ++dy)
        for (int dx = std::max(-kPlacementReach, coarseX - 1); dx <= std::min(kPlacementReach, coarseX + 1);
             ++dx)
            if (dx != coarseX || dy != coarseY) consider(dx, dy);
    best.dx *= kMaskCell;
    best.dy *= kMaskCell;
    if (best.cells == 0) return FieldPlacement{};
    best.flow = static_cast<float>(bestSum) / (2.0F * static_cast<float>(best.cells));
    best.placed = best.cells >= kMinPlacementCells && best.flow >= kMinPlacementFlow;
    if (!best.placed) return best;
    int sumX = 0, sumY = 0;
    for (int cy = top; cy < bottom; cy += kRowStep) {
        const int row = cy + kPlacementReach;
        const std::uint8_t* mine = from.mask[row].data() + kPlacementReach;
        const std::uint8_t* theirs =
            to.mask[row + best.dy / kMaskCell].data() + kPlacementReach + best.dx / kMaskCell;
        for (int cx = 0; cx < kMaskColumns; ++cx)
            if (mine[cx] & theirs[cx]) sumX += cx, sumY += cy;
    }
    const float cells = static_cast<float>(best.cells);
    best.centreX =
        static_cast<float>(sumX) / cells * kMaskCell + kMaskCell / 2.0F + static_cast<float>(best.dx);
    best.centreY =
        static_cast<float>(sumY) / cells * kMaskCell + kMaskCell / 2.0F + static_cast<float>(best.dy);
    return best;
}

}  // namespace tervo::fpr
