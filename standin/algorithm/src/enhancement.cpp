#include "enhancement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "angles.h"
#include "lanes.h"
#include "parameters.h"

namespace tervo::fpr {
namespace {

constexpr int kPeriodMin = 4, kPeriodMax = 18;  // whole-pixel periods in the bank
constexpr int kPeriodSteps = kPeriodMax - kPeriodMin + 1;
constexpr int kSide = 2 * kRadius + 1;

struct Kernel {
    float taps[kSide][kSide];
};

// Zero-mean kernels, so that a slowly varying background adds nothing to the response.
Kernel makeKernel(float ridgeAngle, float period) {
    Kernel k{};
    float(&taps)[kSide][kSide] = k.taps;
    float envelope[kSide][kSide] = {};
    const float across = std::clamp(0.45F * period + 0.5F, 2.5F, 4.5F);
    const float along = 4.5F;
    const float c = std::cos(ridgeAngle), s = std::sin(ridgeAngle);
    float sum = 0.0F, weightSum = 0.0F;
    for (int y = -kRadius; y <= kRadius; ++y) {
        for (int x = -kRadius; x <= kRadius; ++x) {
            const float u = x * c + y * s;   // along the ridge
            const float v = -x * s + y * c;  // across the ridge
            const float e = std::exp(-0.5F * (u * u / (along * along) + v * v / (across * across)));
            envelope[y + kRadius][x + kRadius] = e;
            taps[y + kRadius][x + kRadius] = e * std::cos(2.0F * kPiF * v / period);
            sum += taps[y + kRadius][x + kRadius];
            weightSum += e;
        }
    }
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) taps[y][x] -= envelope[y][x] * sum / weightSum;
    }
    return k;
}

const std::vector<Kernel>& kernelBank() {
    static const std::vector<Kernel> bank = [] {
        std::vector<Kernel> b;
        b.reserve(kAngleSteps * kPeriodSteps);
        for (int a = 0; a < kAngleSteps; ++a) {
            for (int p = kPeriodMin; p <= kPeriodMax; ++p) b.push_back(makeKernel(a * kPiF / kAngleSteps, p));
        }
        return b;
    }();
    return bank;
}

// Bilinear interpolation of a block field between block centres, for every pixel of a step x step grid.
// Separably: the two block rows around a pixel row are blended first, then each pixel reads two
// neighbouring entries of the blend, with the columns' weights worked out once.
std::vector<float> upsample(const std::vector<float>& field, int step) {
    const int w = kWidth / step, h = kHeight / step;
    std::vector<float> out(static_cast<std::size_t>(w) * h);
    std::array<int, kWidth> left{}, right{};
    std::array<float, kWidth> weight{};
    for (int x = 0; x < w; ++x) {
        const float gx = std::clamp((x + 0.5F) * step / kBlockSize - 0.5F, 0.0F, kBlocksX - 1.0F);
        left[x] = static_cast<int>(gx);
        right[x] = std::min(left[x] + 1, kBlocksX - 1);
        weight[x] = gx - left[x];
    }
    std::array<float, kBlocksX> blend{};
    for (int y = 0; y < h; ++y) {
        const float gy = std::clamp((y + 0.5F) * step / kBlockSize - 0.5F, 0.0F, kBlocksY - 1.0F);
        const int y0 = static_cast<int>(gy), y1 = std::min(y0 + 1, kBlocksY - 1);
        const float fy = gy - y0;
        for (int b = 0; b < kBlocksX; ++b)
            blend[b] = field[y0 * kBlocksX + b] * (1 - fy) + field[y1 * kBlocksX + b] * fy;
        float* row = out.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) row[x] = blend[left[x]] * (1 - weight[x]) + blend[right[x]] * weight[x];
    }
    return out;
}

// Locally normalised image with ridges positive: (local mean - gray) / local contrast, inside a margin
// of zeros wide enough for the kernel and for reading four pixels at a time.
constexpr int kPaddedWidth = kWidth + 2 * kRadius + kLanes;
constexpr int kPaddedHeight = kHeight + 2 * kRadius;

std::vector<float> normalisedPadded(const Pixels& pixels, const RidgeFields& f) {
    const std::vector<float> mean = upsample(f.mean, 1), contrast = upsample(f.contrast, 1);
    std::vector<float> out(static_cast<std::size_t>(kPaddedWidth) * kPaddedHeight, 0.0F);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int i = y * kWidth + x;
            out[(y + kRadius) * kPaddedWidth + x + kRadius] =
                (mean[i] - pixels[i]) / std::max(contrast[i], 4.0F);
        }
    }
    return out;
}

// Kernel of every pixel, from orientation (as doubled-angle vectors) and period interpolated between
// block centres: choosing finer than per block keeps ridges from breaking at block edges where the
// orientation turns fast.
std::vector<std::uint16_t> kernelChoice(const RidgeFields& f) {
    std::vector<float> doubledCos(kBlockCount), doubledSin(kBlockCount);
    for (int i = 0; i < kBlockCount; ++i) {
        doubledCos[i] = std::cos(2.0F * f.orientation[i]);
        doubledSin[i] = std::sin(2.0F * f.orientation[i]);
    }
    const std::vector<float> c = upsample(doubledCos, kChoiceStep), s = upsample(doubledSin, kChoiceStep);
    const std::vector<float> period = upsample(f.period, kChoiceStep);
    std::vector<std::uint16_t> choice(c.size());
    for (std::size_t i = 0; i < c.size(); ++i) {
        float angle = 0.5F * std::atan2(s[i], c[i]);
        if (angle < 0) angle += kPiF;
        const int a = static_cast<int>(angle / kPiF * kAngleSteps + 0.5F) % kAngleSteps;
        const int p = std::clamp(static_cast<int>(period[i] + 0.5F), kPeriodMin, kPeriodMax);
        choice[i] = static_cast<std::uint16_t>(a * kPeriodSteps + (p - kPeriodMin));
    }
    return choice;
}

// A kernel with every tap repeated across the lanes: four neighbouring pixels, which always share their
// kernel, are filtered together, one pixel per lane.
struct LaneKernel {
    FloatLanes taps[kSide][kSide];
};

LaneKernel spreadAcrossLanes(const Kernel& k) {
    LaneKernel out;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) out.taps[y][x] = FloatLanes{} + k.taps[y][x];
    }
    return out;
}

// Every pixel's response is summed in one fixed order, whatever the grouping of pixels into lanes:
// four partial sums, partial j over the taps of columns j, j + 4, j + 8, kernel rows top to bottom,
// then the partials added first to last. The binarised map thus never depends on how the loop runs.
using PartialSums = FloatLanes[kLanes];

inline void accumulateRow(const float* imageRow, const FloatLanes* kernelRow, PartialSums& partial) {
#pragma GCC unroll 11
    for (int c = 0; c < kSide; ++c) {
        FloatLanes here;
        std::memcpy(&here, imageRow + c, sizeof here);
        partial[c % kLanes] += here * kernelRow[c];
    }
}

FloatLanes total(const PartialSums& partial) {
    return ((partial[0] + partial[1]) + partial[2]) + partial[3];
}

// Responses of pixels x .. x + 3 in rows y and y + 1, in padded coordinates of their top-left taps.
// The two rows share all but one image row, each loaded once.
void filterTwoRows(const std::vector<float>& image, const LaneKernel& k, int x, int y,
                   FloatLanes (&response)[2]) {
    PartialSums upper = {}, lower = {};
    for (int r = 0; r <= kSide; ++r) {
        const float* imageRow = image.data() + (y + r) * kPaddedWidth + x;
        if (r < kSide) accumulateRow(imageRow, k.taps[r], upper);
        if (r > 0) accumulateRow(imageRow, k.taps[r - 1], lower);
    }
    response[0] = total(upper);
    response[1] = total(lower);
}

}  // namespace

std::vector<std::uint8_t> enhanceAndBinarise(const Pixels& pixels, const RidgeFields& f) {
    std::vector<std::uint8_t> ridges(kPixelCount, 0);
    if (f.foregroundBlocks == 0) return ridges;
    const std::vector<float> image = normalisedPadded(pixels, f);
    const std::vector<std::uint16_t> choice = kernelChoice(f);
    const std::vector<Kernel>& bank = kernelBank();
    constexpr int kChoiceColumns = kWidth / kChoiceStep, kChoiceRows = kHeight / kChoiceStep;
    // A choice cell lies inside one block; neighbouring cells mostly choose the same kernel, so its
    // lane form is only rebuilt when the choice changes.
    LaneKernel kernel;
    int kernelIndex = -1;
    for (int cy = 0; cy < kChoiceRows; ++cy) {
        for (int cx = 0; cx < kChoiceColumns; ++cx) {
            const int x = cx * kChoiceStep, y0 = cy * kChoiceStep;
            if (!f.foreground[f.index(x / kBlockSize, y0 / kBlockSize)]) continue;
            const int index = choice[cy * kChoiceColumns + cx];
            if (index != kernelIndex) {
                kernel = spreadAcrossLanes(bank[index]);
                kernelIndex = index;
            }
            for (int y = y0; y < y0 + kChoiceStep; y += 2) {
                FloatLanes response[2];
                filterTwoRows(image, kernel, x, y, response);
                for (int row = 0; row < 2; ++row) {
                    for (int l = 0; l < kLanes; ++l)
                        ridges[(y + row) * kWidth + x + l] = response[row][l] > 0.0F ? 1 : 0;
                }
            }
        }
    }
    fillSmallHoles(ridges);
    return ridges;
}

// Valleys connect through edges only, as the thinning keeps ridges 8-connected: a valley touching
// another across a corner is cut off from it by the ridge there. Regions are put together from the
// rows' runs of valley pixels (a union-find over runs that share a column with a run of the row
// above), a few thousand runs instead of every pixel.
void fillSmallHoles(std::vector<std::uint8_t>& ridges) {
    struct Run {
        int row, from, to;  // valley pixels from .. to - 1 of the row
    };
    std::vector<Run> runs;
    std::vector<int> parent, area;
    auto root = [&parent](int i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    const int rows = static_cast<int>(ridges.size() / kWidth);
    int previousRow = 0;  // first run of the row above
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = ridges.data() + static_cast<std::size_t>(y) * kWidth;
        const int rowStart = static_cast<int>(runs.size());
        int above = previousRow;  // runs of both rows go left to right: one pass over the row above
        for (int x = 0; x < kWidth;) {
            if (row[x]) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < kWidth && !row[x]) ++x;
            const int self = static_cast<int>(runs.size());
            runs.push_back({y, from, x});
            parent.push_back(self);
            area.push_back(x - from);
            while (above < rowStart && runs[above].to <= from) ++above;
            // The last run overlapping this one may overlap the next one too: it is not passed.
            for (int k = above; k < rowStart && runs[k].from < x; ++k) {
                const int a = root(k), b = root(self);
                if (a == b) continue;
                parent[b] = a;
                area[a] += area[b];
            }
        }
        previousRow = rowStart;
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (area[root(static_cast<int>(i))] >= kMaxHoleArea) continue;
        std::uint8_t* row = ridges.data() + static_cast<std::size_t>(runs[i].row) * kWidth;
        std::fill(row + runs[i].from, row + runs[i].to, 1);
    }
}

}  // namespace tervo::fpr
