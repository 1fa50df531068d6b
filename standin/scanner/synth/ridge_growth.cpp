#include "ridge_growth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gabor_bank.h"

namespace tervo::synth {
namespace {

constexpr int kR = GaborBank::kRadius;
constexpr int kBlock = 16;
// Kernel rows are read four taps at a time, a little past the kernel's side.
constexpr int kRowSlack = GaborBank::kRowStride - GaborBank::kSide;

// Four floats processed together; GCC maps this onto SSE on x86-64 and NEON on AArch64.
typedef float Lanes __attribute__((vector_size(16)));

// The pattern lives in a frame padded by the kernel radius, so filtering
// needs no bounds checks; the padding stays zero.
struct PaddedField {
    int stride;
    std::vector<float> values;
    PaddedField(int width, int height)
        : stride(width + 2 * kR + kRowSlack), values(static_cast<std::size_t>(stride) * (height + 2 * kR)) {}
    float* at(int x, int y) { return values.data() + static_cast<std::size_t>(y + kR) * stride + (x + kR); }
    const float* at(int x, int y) const {
        return values.data() + static_cast<std::size_t>(y + kR) * stride + (x + kR);
    }
};

float filterAt(const PaddedField& field, const float* kernel, int x, int y) {
    const float* source = field.at(x - kR, y - kR);
    Lanes sum = {0.0F, 0.0F, 0.0F, 0.0F};
    for (int v = 0; v < GaborBank::kSide; ++v) {
        const float* line = source + static_cast<std::size_t>(v) * field.stride;
        const float* taps = kernel + v * GaborBank::kRowStride;
        for (int u = 0; u < GaborBank::kRowStride; u += 4) {
            Lanes weights;
            Lanes samples;
            std::memcpy(&weights, taps + u, sizeof weights);
            std::memcpy(&samples, line + u, sizeof samples);
            sum += weights * samples;
        }
    }
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}

// Blocks whose neighbourhood holds no pattern yet cannot gain any in one
// pass (the kernel is smaller than a block), so early passes skip them.
class ActivityMap {
  public:
    ActivityMap(int width, int height)
        : columns_((width + kBlock - 1) / kBlock),
          rows_((height + kBlock - 1) / kBlock),
          occupied_(static_cast<std::size_t>(columns_) * rows_, 0) {}

    void markPixel(int x, int y) {
        occupied_[static_cast<std::size_t>(y / kBlock) * columns_ + x / kBlock] = 1;
    }

    bool reachable(int bx, int by) const {
        for (int y = std::max(0, by - 1); y <= std::min(rows_ - 1, by + 1); ++y)
            for (int x = std::max(0, bx - 1); x <= std::min(columns_ - 1, bx + 1); ++x)
                if (occupied_[static_cast<std::size_t>(y) * columns_ + x]) return true;
        return false;
    }

    int columns() const { return columns_; }
    int rows() const { return rows_; }

  private:
    int columns_;
    int rows_;
    std::vector<std::uint8_t> occupied_;
};

void placeSeeds(PaddedField& field, ActivityMap& activity, const Plane<std::uint8_t>& region, int count,
                RandomStream& random) {
    int placed = 0;
    for (int attempt = 0; placed < count && attempt < count * 50; ++attempt) {
        const int x = random.uniformInt(0, region.width - 1);
        const int y = random.uniformInt(0, region.height - 1);
        if (!region.at(x, y)) continue;
        *field.at(x, y) = random.chance(0.5) ? 1.0F : -1.0F;
        activity.markPixel(x, y);
        ++placed;
    }
}

// One filtering pass over every reachable block; `saturate` clips the scaled
// response, the final smoothing pass keeps it linear.
void filterPass(const PaddedField& source, PaddedField& target, ActivityMap& activity,
                const Plane<std::uint16_t>& kernelIndex, const Plane<std::uint8_t>& region, float scale,
                bool saturate) {
    const GaborBank& bank = GaborBank::instance();
    ActivityMap next(region.width, region.height);
    for (int by = 0; by < activity.rows(); ++by) {
        for (int bx = 0; bx < activity.columns(); ++bx) {
            if (!activity.reachable(bx, by)) continue;
            const int yEnd = std::min(region.height, (by + 1) * kBlock);
            const int xEnd = std::min(region.width, (bx + 1) * kBlock);
            for (int y = by * kBlock; y < yEnd; ++y) {
                for (int x = bx * kBlock; x < xEnd; ++x) {
                    if (!region.at(x, y)) continue;
                    float value = scale * filterAt(source, bank.kernel(kernelIndex.at(x, y)), x, y);
                    if (saturate) value = std::clamp(value, -1.0F, 1.0F);
                    *target.at(x, y) = value;
                    if (value != 0.0F) next.markPixel(x, y);
                }
            }
        }
    }
    activity = next;
}

float largestMagnitude(const PaddedField& field) {
    float largest = 0.0F;
    for (float value : field.values) largest = std::max(largest, std::fabs(value));
    return largest;
}

}  // namespace

FloatPlane growRidges(const Plane<std::uint16_t>& kernelIndex, const Plane<std::uint8_t>& region,
                      const RidgeGrowthPlan& plan, RandomStream& random) {
    PaddedField current(region.width, region.height);
    PaddedField next(region.width, region.height);
    ActivityMap activity(region.width, region.height);
    placeSeeds(current, activity, region, plan.seedCount, random);

    float scale = plan.gain;
    for (int pass = 0; pass < plan.iterations; ++pass) {
        filterPass(current, next, activity, kernelIndex, region, scale, true);
        std::swap(current, next);
        // Young patterns answer weakly; rescale so every pass has full strength.
        const float largest = largestMagnitude(current);
        scale = largest > 0.0F && largest < 1.0F ? plan.gain / largest : plan.gain;
    }
    filterPass(current, next, activity, kernelIndex, region, 1.0F, false);

    FloatPlane ridges(region.width, region.height);
    for (int y = 0; y < region.height; ++y) std::copy_n(next.at(0, y), region.width, ridges.row(y));
    return ridges;
}

}  // namespace tervo::synth
