#include "extractor.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "angles.h"
#include "enhancement.h"
#include "quality.h"
#include "ridge_fields.h"
#include "thinning.h"

namespace tervo::fpr {
namespace {

// A mask cell covers 2x2 blocks; it is print when at least half of the blocks inside the image are
// recoverable print. Unrecoverable blocks stay foreground for the filters and the border rule (a hole
// edge is no print edge, its ridges do not end there) but leave the mask the matcher compares.
void fillMask(const RidgeFields& fields, FeatureTemplate& t) {
    constexpr int kBlocksPerCell = kMaskCell / kBlockSize;
    for (int cy = 0; cy < kMaskRows; ++cy) {
        for (int cx = 0; cx < kMaskColumns; ++cx) {
            int inside = 0, print = 0;
            for (int by = cy * kBlocksPerCell; by < (cy + 1) * kBlocksPerCell && by < kBlocksY; ++by) {
                for (int bx = cx * kBlocksPerCell; bx < (cx + 1) * kBlocksPerCell; ++bx) {
                    ++inside;
                    print += fields.recoverable[fields.index(bx, by)];
                }
            }
            t.mask[cy * kMaskColumns + cx] = 2 * print >= inside && print > 0 ? 1 : 0;
        }
    }
}

// A cell's orientation: the mean of its print blocks' doubled-angle vectors, each weighed by its
// certainty (Kass & Witkin 1987), halved back and quantised.
void fillOrientation(const RidgeFields& fields, FeatureTemplate& t) {
    constexpr int kBlocksPerCell = kMaskCell / kBlockSize;
    for (int cy = 0; cy < kMaskRows; ++cy) {
        for (int cx = 0; cx < kMaskColumns; ++cx) {
            const int cell = cy * kMaskColumns + cx;
            if (!t.mask[cell]) continue;
            float c = 0.0F, s = 0.0F;
            for (int by = cy * kBlocksPerCell; by < (cy + 1) * kBlocksPerCell && by < kBlocksY; ++by) {
                for (int bx = cx * kBlocksPerCell; bx < (cx + 1) * kBlocksPerCell; ++bx) {
                    const int b = fields.index(bx, by);
                    if (!fields.foreground[b]) continue;
                    const float w = fields.coherence[b] + 1e-3F;
                    c += w * std::cos(2.0F * fields.orientation[b]);
                    s += w * std::sin(2.0F * fields.orientation[b]);
                }
            }
            float angle = 0.5F * std::atan2(s, c);
            if (angle < 0.0F) angle += kPiF;
            t.orientation[cell] =
                static_cast<std::uint8_t>(std::lround(angle / kPiF * kOrientationSteps) % kOrientationSteps);
        }
    }
}

// A period cell's code: the mean local ridge period of the print blocks in its mask cells that hold
// print. The blocks' own periods, not the filters' wider medians: the period of one region is what
// tells two fingers of one pattern apart (Wan & Zhou 2006).
void fillPeriod(const RidgeFields& fields, FeatureTemplate& t) {
    constexpr int kBlocksPerCell = kMaskCell / kBlockSize;
    std::array<float, kPeriodCells> sum{};
    std::array<int, kPeriodCells> blocks{};
    for (int cell = 0; cell < kMaskBits; ++cell) {
        if (!t.mask[cell]) continue;
        const int cx = cell % kMaskColumns, cy = cell / kMaskColumns;
        const std::size_t g = static_cast<std::size_t>(periodCellOf(cell));
        for (int by = cy * kBlocksPerCell; by < (cy + 1) * kBlocksPerCell && by < kBlocksY; ++by) {
            for (int bx = cx * kBlocksPerCell; bx < (cx + 1) * kBlocksPerCell; ++bx) {
                const int b = fields.index(bx, by);
                if (!fields.foreground[b]) continue;
                sum[g] += fields.localPeriod[b];
                ++blocks[g];
            }
        }
    }
    for (std::size_t g = 0; g < sum.size(); ++g)
        t.period[g] = blocks[g] > 0 ? periodCode(sum[g] / static_cast<float>(blocks[g])) : 0;
}

}  // namespace

FeatureTemplate extractFeatures(const Pixels& pixels, std::uint8_t scannerType, std::uint8_t fingerCode) {
    FeatureTemplate t;
    t.scannerType = scannerType;
    t.fingerCode = fingerCode;
    const RidgeFields fields = analyseRidges(pixels);
    t.quality = qualityScore(fields);
    if (fields.foregroundBlocks == 0) return t;
    double periodSum = 0.0;
    for (int i = 0; i < kBlockCount; ++i) periodSum += fields.foreground[i] ? fields.period[i] : 0.0F;
    t.periodTenths = static_cast<std::uint8_t>(
        std::clamp(std::lround(10.0 * periodSum / fields.foregroundBlocks), 0L, 255L));
    fillMask(fields, t);
    fillOrientation(fields, t);
    fillPeriod(fields, t);
    std::vector<std::uint8_t> ridges = enhanceAndBinarise(pixels, fields);
    thin(ridges, kWidth, kHeight);
    t.minutiae = detectMinutiae(ridges, fields);
    if (t.minutiae.size() > kMaxTemplateMinutiae) t.minutiae.resize(kMaxTemplateMinutiae);
    return t;
}

std::uint8_t qualityOfImage(const Pixels& pixels) {
    return qualityScore(analyseRidges(pixels));
}

}  // namespace tervo::fpr
