// Counting how many of a set of points fall inside a prepared template's foreground mask, the same
// answer as asking maskAt point by point, in a form the compiler vectorises: the range tests and cell
// indices of all kMaxMatched points first, in a loop of fixed length, then one table look-up each.
// The matcher counts twice per scored alignment, so this is one of its inner loops.
#ifndef TERVO_FPR_FOREGROUND_COUNT_H
#define TERVO_FPR_FOREGROUND_COUNT_H

#include <array>
#include <cstdint>

#include "local_structures.h"

namespace tervo::fpr {

using PointCoordinates = std::array<float, kMaxMatched>;

// Points k < count; entries past the count are ignored, whatever they hold.
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
    std::array<int, kMaxMatched> cell, inside;
    for (int k = 0; k < kMaxMatched; ++k) {
        const float x = xs[k], y = ys[k];
        const bool in = (x >= 0.0F) & (y >= 0.0F) & (x < kGridWidth) & (y < kGridHeight);
        const int cx = static_cast<int>(in ? x : 0.0F) >> kMaskCellShift;
        const int cy = static_cast<int>(in ? y : 0.0F) >> kMaskCellShift;
        cell[k] = cy * kMaskColumns + cx;
        inside[k] = in ? 1 : 0;
    }
    int n = 0;
    for (int k = 0; k < count; ++k) n += inside[k] & (t.mask[cell[k]] != 0 ? 1 : 0);
    return n;
}

}  // namespace tervo::fpr

#endif
