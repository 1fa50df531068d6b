// Counting how many of a set of points fall inside a prepared template's foreground mask, the same
// answer as asking maskAt point by point, in a form the compiler vectorises: the range tests and cell
// indices of all kMaxMatched points first, in a loop of fixed length, then one mask-row bit each.
// The matcher counts twice per scored alignment, so this is one of its inner loops.
#ifndef TERVO_FPR_FOREGROUND_COUNT_H
#define TERVO_FPR_FOREGROUND_COUNT_H

#include <algorithm>
#include <array>
#include <cstdint>

#include "local_structures.h"

namespace tervo::fpr {

using PointCoordinates = std::array<float, kMaxMatched>;

// Loops over a template's minutiae run in whole blocks of this many, a length the compiler turns into
// vector code without a scalar tail; the few entries past the count are computed and never read.
constexpr int kBlock = 8;
static_assert(kMaxMatched % kBlock == 0, "blocks tile the minutia arrays");

inline int wholeBlocks(int count) {
    return std::min(kMaxMatched, (std::max(count, 0) + kBlock - 1) / kBlock * kBlock);
}

// Points k < count (at most kMaxMatched); entries past the count are ignored, whatever they hold.
inline int countInForeground(const PreparedTemplate& t, const PointCoordinates& xs,
                             const PointCoordinates& ys, int count) {
    // maskAt truncates to whole pixels and then to cells, so a non-negative coordinate lies in the mask
    // grid exactly when it is below the grid's extent. The tests are made on the floats, before any
    // conversion, so that no point far off the image (or not a number) ever reaches one.
    constexpr float kGridWidth = static_cast<float>(kMaskColumns * kMaskCell);
    constexpr float kGridHeight = static_cast<float>(kMaskRows * kMaskCell);
    constexpr int kMaskCellShift = 4;
    static_assert(kMaskCell == 1 << kMaskCellShift, "cells are found by shifting");
    // Branch-free (bitwise tests, selects, shifts of values known to be non-negative), so that it is
    // one vector loop.
    std::array<int, kMaxMatched> row, column, inside;
    const int blocks = wholeBlocks(count);
    for (int block = 0; block < blocks; block += kBlock) {
        for (int k = block; k < block + kBlock; ++k) {
            const float x = xs[k], y = ys[k];
            const bool in = (x >= 0.0F) & (y >= 0.0F) & (x < kGridWidth) & (y < kGridHeight);
            const int cx = static_cast<int>(in ? x : 0.0F) >> kMaskCellShift;
            const int cy = static_cast<int>(in ? y : 0.0F) >> kMaskCellShift;
            row[k] = cy;
            column[k] = cx;
            inside[k] = in ? 1 : 0;
        }
    }
    count = std::min(count, kMaxMatched);
    int n = 0;
    for (int k = 0; k < count; ++k) n += inside[k] & static_cast<int>((t.mask[row[k]] >> column[k]) & 1U);
    return n;
}

}  // namespace tervo::fpr

#endif
