// Block-wise description of a fingerprint image: foreground mask, ridge orientation and its certainty,
// ridge period, ridge-valley clarity and alternation, and which print blocks are recoverable. Blocks are 8x8
// pixels; every estimate looks at a larger window centred on its block so that neighbouring blocks overlap.
#ifndef TERVO_FPR_RIDGE_FIELDS_H
#define TERVO_FPR_RIDGE_FIELDS_H

#include <cstdint>
#include <vector>

#include "image_input.h"
#include "parameters.h"

namespace tervo::fpr {

constexpr int kBlockSize = 8;
constexpr int kBlocksX = kWidth / kBlockSize;   // 32
constexpr int kBlocksY = kHeight / kBlockSize;  // 45
constexpr int kBlockCount = kBlocksX * kBlocksY;

struct RidgeFields {
    std::vector<float> orientation;            // ridge direction in [0, pi), image x right, y down
    std::vector<float> coherence;              // orientation certainty in [0, 1]
    std::vector<float> period;                 // ridge period in pixels for filtering (every block)
    std::vector<float> localPeriod;            // the blocks' own periods, gaps filled, smoothed a little
    std::vector<std::uint8_t> periodMeasured;  // 1 where the local period came from the block itself
    std::vector<float> clarity;      // share of the block's variance explained by a clean ridge profile
    std::vector<float> alternation;  // share of it explained by one sinusoid near the filters' period
    std::vector<float> contrast;     // standard deviation of the gray levels
    std::vector<float> mean;
    std::vector<std::uint8_t> foreground;   // 1 for print, 0 for background or unusable area
    std::vector<std::uint8_t> recoverable;  // 1 for print whose neighbourhood shows ridges and valleys
    int foregroundBlocks = 0;

    int index(int bx, int by) const { return by * kBlocksX + bx; }
};

// Computes every field of the image. Never fails: an image without a print gives an empty foreground.
RidgeFields analyseRidges(const Pixels& pixels);

}  // namespace tervo::fpr

#endif
