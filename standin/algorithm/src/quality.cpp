#include "quality.h"

#include <algorithm>
#include <cmath>

#include "parameters.h"

namespace tervo::fpr {
namespace {

// 1 when the block's own period lies within a quarter of its neighbours' mean, less otherwise.
float frequencyConsistency(const RidgeFields& f, int bx, int by) {
    const int i = f.index(bx, by);
    if (!f.periodMeasured[i]) return 0.3F;
    float sum = 0.0F;
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = bx + dx, y = by + dy;
            if ((dx == 0 && dy == 0) || x < 0 || y < 0 || x >= kBlocksX || y >= kBlocksY) continue;
            const int j = f.index(x, y);
            if (!f.periodMeasured[j] || !f.foreground[j]) continue;
            sum += f.localPeriod[j];
            ++n;
        }
    }
    if (n == 0) return 0.5F;
    const float deviation = std::fabs(f.localPeriod[i] - sum / n) / (sum / n);
    return deviation < 0.25F ? 1.0F : 0.6F;
}

}  // namespace

std::uint8_t qualityScore(const RidgeFields& f) {
    if (f.foregroundBlocks == 0) return 0;
    double local = 0.0;
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int i = f.index(bx, by);
            if (!f.foreground[i]) continue;
            const float certainty = f.coherence[i];
            const float clarity = std::min(1.0F, f.clarity[i] / kFullClarity);
            const float contrast = std::min(1.0F, f.contrast[i] / kFullContrast);
            local += std::sqrt(certainty) * clarity * contrast * frequencyConsistency(f, bx, by);
        }
    }
    const float area = static_cast<float>(f.foregroundBlocks) / kBlockCount;
    const float areaFactor = std::min(1.0F, area / kFullArea);
    const double score = 100.0 * areaFactor * local / f.foregroundBlocks;
    return static_cast<std::uint8_t>(std::clamp(std::lround(score), 0L, 100L));
}

}  // namespace tervo::fpr
