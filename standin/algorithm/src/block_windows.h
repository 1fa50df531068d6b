// Sums over square windows centred on every block, for several per-pixel channels at once.
//
// The fields only ever need a window sum at the 32x45 block centres, so instead of a full summed-area
// table the image is swept once from the top: per column, a running sum of the rows seen so far; at
// the rows where some block row's window starts or ends, its prefix sums across the columns are kept
// for the window edges only. All arithmetic is on integers, so the sums are exact whatever the order.
#ifndef TERVO_FPR_BLOCK_WINDOWS_H
#define TERVO_FPR_BLOCK_WINDOWS_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ridge_fields.h"

namespace tervo::fpr {

template <int Channels>
class BlockWindowSums {
  public:
    // Window of (2 radius + 1)^2 pixels around each block centre, clipped to the image.
    explicit BlockWindowSums(int radius) {
        for (int b = 0; b < kBlocksX; ++b) {
            const int centre = b * kBlockSize + kBlockSize / 2;
            left_[b] = std::max(centre - radius, 0);
            right_[b] = std::min(centre + radius, kWidth - 1) + 1;
        }
        for (int b = 0; b < kBlocksY; ++b) {
            const int centre = b * kBlockSize + kBlockSize / 2;
            top_[b] = std::max(centre - radius, 0);
            bottom_[b] = std::min(centre + radius, kHeight - 1) + 1;
        }
        keepEdgesAtRow(0);
    }

    // Adds the next image row (rows come top to bottom) of every channel; each value's magnitude must
    // stay below 2^31 / kHeight so that the column sums fit.
    void addRow(const std::array<const std::int32_t*, Channels>& rows) {
        for (int c = 0; c < Channels; ++c) {
            std::int32_t* column = columns_[c].data();
            const std::int32_t* row = rows[c];
            for (int x = 0; x < kWidth; ++x) column[x] += row[x];
        }
        keepEdgesAtRow(++rowsSeen_);
    }

    // Sum of a channel over the window of block (bx, by); valid once every row has been added.
    std::int64_t sum(int channel, int bx, int by) const {
        return sums_[(static_cast<std::size_t>(by) * Channels + channel) * kBlocksX + bx];
    }
    int count(int bx, int by) const { return (right_[bx] - left_[bx]) * (bottom_[by] - top_[by]); }

  private:
    // Prefix sums of every channel at the left and right edge of each block's window.
    using Edges = std::array<std::array<std::int64_t, 2 * kBlocksX>, Channels>;

    // Called with the number of rows summed so far. Block rows whose window starts here keep the
    // prefix sums at their window edges; those whose window ends here get their sums.
    void keepEdgesAtRow(int row) {
        const bool topHere = nextTop_ < kBlocksY && top_[nextTop_] == row;
        const bool bottomHere = nextBottom_ < kBlocksY && bottom_[nextBottom_] == row;
        if (!topHere && !bottomHere) return;
        Edges edges;
        std::array<std::int64_t, kWidth + 1> prefix;
        for (int c = 0; c < Channels; ++c) {
            prefix[0] = 0;
            for (int x = 0; x < kWidth; ++x) prefix[x + 1] = prefix[x] + columns_[c][x];
            for (int b = 0; b < kBlocksX; ++b) {
                edges[c][2 * b] = prefix[left_[b]];
                edges[c][2 * b + 1] = prefix[right_[b]];
            }
        }
        for (; nextTop_ < kBlocksY && top_[nextTop_] == row; ++nextTop_) topEdges_[nextTop_] = edges;
        for (; nextBottom_ < kBlocksY && bottom_[nextBottom_] == row; ++nextBottom_) {
            const Edges& top = topEdges_[nextBottom_];
            for (int c = 0; c < Channels; ++c) {
                std::int64_t* out = &sums_[(static_cast<std::size_t>(nextBottom_) * Channels + c) * kBlocksX];
                for (int b = 0; b < kBlocksX; ++b)
                    out[b] = edges[c][2 * b + 1] - edges[c][2 * b] - top[c][2 * b + 1] + top[c][2 * b];
            }
        }
    }

    std::array<int, kBlocksX> left_{}, right_{};  // window columns [left, right)
    std::array<int, kBlocksY> top_{}, bottom_{};  // window rows [top, bottom), both nondecreasing
    std::array<std::array<std::int32_t, kWidth>, Channels> columns_{};
    std::vector<Edges> topEdges_ = std::vector<Edges>(kBlocksY);
    std::vector<std::int64_t> sums_ =
        std::vector<std::int64_t>(static_cast<std::size_t>(kBlockCount) * Channels);
    int rowsSeen_ = 0, nextTop_ = 0, nextBottom_ = 0;
};

}  // namespace tervo::fpr

#endif
