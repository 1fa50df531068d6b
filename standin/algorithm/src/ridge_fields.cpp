#include "ridge_fields.h"

#include <algorithm>
#include <cmath>

namespace tervo::fpr {
namespace {

constexpr float kPi = 3.14159265358979F;
constexpr float kMinContrast = 9.0F;     // gray-level deviation below which a block is flat background
constexpr float kMinCoherence = 0.22F;   // noise or smudge below this
constexpr int kStatsRadius = 8;          // 17x17 window for mean and contrast
constexpr int kGradientRadius = 12;      // 25x25 window for orientation
constexpr double kSmoothingSigma = 1.0;  // in blocks, for the orientation vectors

// Summed-area table with one row and column of zeros in front, so window sums need no edge cases.
class IntegralImage {
  public:
    explicit IntegralImage(const std::vector<double>& values) : sums_((kWidth + 1) * (kHeight + 1), 0.0) {
        for (int y = 0; y < kHeight; ++y) {
            double rowSum = 0.0;
            for (int x = 0; x < kWidth; ++x) {
                rowSum += values[y * kWidth + x];
                at(x + 1, y + 1) = at(x + 1, y) + rowSum;
            }
        }
    }
    // Sum over the clipped window [x0, x1] x [y0, y1]; also reports its pixel count.
    double windowSum(int x0, int y0, int x1, int y1, int& count) const {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, kWidth - 1);
        y1 = std::min(y1, kHeight - 1);
        count = (x1 - x0 + 1) * (y1 - y0 + 1);
        return at(x1 + 1, y1 + 1) - at(x0, y1 + 1) - at(x1 + 1, y0) + at(x0, y0);
    }

  private:
    double& at(int x, int y) { return sums_[y * (kWidth + 1) + x]; }
    double at(int x, int y) const { return sums_[y * (kWidth + 1) + x]; }
    std::vector<double> sums_;
};

void computeContrast(const Pixels& pixels, RidgeFields& f) {
    std::vector<double> values(kPixelCount), squares(kPixelCount);
    for (std::size_t i = 0; i < kPixelCount; ++i) {
        values[i] = pixels[i];
        squares[i] = static_cast<double>(pixels[i]) * pixels[i];
    }
    const IntegralImage sum(values), sumSquares(squares);
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int cx = bx * kBlockSize + kBlockSize / 2, cy = by * kBlockSize + kBlockSize / 2;
            int n = 0;
            const double s =
                sum.windowSum(cx - kStatsRadius, cy - kStatsRadius, cx + kStatsRadius, cy + kStatsRadius, n);
            const double s2 = sumSquares.windowSum(cx - kStatsRadius, cy - kStatsRadius, cx + kStatsRadius,
                                                   cy + kStatsRadius, n);
            const double m = s / n;
            f.mean[f.index(bx, by)] = static_cast<float>(m);
            f.contrast[f.index(bx, by)] = static_cast<float>(std::sqrt(std::max(0.0, s2 / n - m * m)));
        }
    }
}

// Least-squares orientation from squared gradients (Bazen and Gerez 2002): the doubled-angle vector
// sum gives the dominant gradient direction, ridges run across it.
void computeOrientation(const Pixels& pixels, RidgeFields& f) {
    std::vector<double> gxx(kPixelCount, 0.0), gxy(kPixelCount, 0.0), gmag(kPixelCount, 0.0);
    for (int y = 1; y < kHeight - 1; ++y) {
        for (int x = 1; x < kWidth - 1; ++x) {
            auto p = [&](int dx, int dy) { return static_cast<double>(pixels[(y + dy) * kWidth + x + dx]); };
            const double gx = (p(1, -1) + 2 * p(1, 0) + p(1, 1)) - (p(-1, -1) + 2 * p(-1, 0) + p(-1, 1));
            const double gy = (p(-1, 1) + 2 * p(0, 1) + p(1, 1)) - (p(-1, -1) + 2 * p(0, -1) + p(1, -1));
            const int i = y * kWidth + x;
            gxx[i] = gx * gx - gy * gy;
            gxy[i] = 2 * gx * gy;
            gmag[i] = gx * gx + gy * gy;
        }
    }
    const IntegralImage sxx(gxx), sxy(gxy), smag(gmag);
    std::vector<float> vx(kBlockCount), vy(kBlockCount);
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int cx = bx * kBlockSize + kBlockSize / 2, cy = by * kBlockSize + kBlockSize / 2;
            const int r = kGradientRadius;
            int n = 0;
            const double a = sxx.windowSum(cx - r, cy - r, cx + r, cy + r, n);
            const double b = sxy.windowSum(cx - r, cy - r, cx + r, cy + r, n);
            const double m = smag.windowSum(cx - r, cy - r, cx + r, cy + r, n);
            const int i = f.index(bx, by);
            f.coherence[i] = m > 1e-9 ? static_cast<float>(std::sqrt(a * a + b * b) / m) : 0.0F;
            vx[i] = static_cast<float>(a);
            vy[i] = static_cast<float>(b);
        }
    }
    // Gaussian smoothing of the doubled-angle vectors bridges creases and noise.
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            double sx = 0.0, sy = 0.0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = bx + dx, ny = by + dy;
                    if (nx < 0 || ny < 0 || nx >= kBlocksX || ny >= kBlocksY) continue;
                    const double w =
                        std::exp(-0.5 * (dx * dx + dy * dy) / (kSmoothingSigma * kSmoothingSigma));
                    sx += w * vx[f.index(nx, ny)];
                    sy += w * vy[f.index(nx, ny)];
                }
            }
            float ridge = static_cast<float>(0.5 * std::atan2(sy, sx)) + kPi / 2;
            if (ridge < 0) ridge += kPi;
            if (ridge >= kPi) ridge -= kPi;
            f.orientation[f.index(bx, by)] = ridge;
        }
    }
}

// Gray-level profile across the ridges through the block centre ("x-signature", Hong, Wan and Jain
// 1998), averaged along the ridge direction. Its peak spacing is the ridge period; the share of the
// window's variance it explains is the ridge-valley clarity.
void measurePeriod(const Pixels& pixels, RidgeFields& f, int bx, int by) {
    constexpr int kLength = 32, kAlong = 5, kStep = 2;
    const int i = f.index(bx, by);
    const float cx = bx * kBlockSize + kBlockSize / 2.0F, cy = by * kBlockSize + kBlockSize / 2.0F;
    const float theta = f.orientation[i];
    const float ax = std::cos(theta), ay = std::sin(theta);  // along the ridges
    const float nx = -ay, ny = ax;                           // across the ridges
    float profile[kLength];
    double sum = 0.0, sumSquares = 0.0;
    int samples = 0;
    for (int k = 0; k < kLength; ++k) {
        const float t = static_cast<float>(k - kLength / 2);
        float acc = 0.0F;
        int n = 0;
        for (int a = -kAlong; a <= kAlong; ++a) {
            const float fx = cx + t * nx + a * kStep * ax, fy = cy + t * ny + a * kStep * ay;
            if (fx < 0.0F || fy < 0.0F) continue;
            const int x = static_cast<int>(fx + 0.5F), y = static_cast<int>(fy + 0.5F);
            if (x >= kWidth || y >= kHeight) continue;
            const float v = pixels[y * kWidth + x];
            acc += v;
            sum += v;
            sumSquares += static_cast<double>(v) * v;
            ++n;
            ++samples;
        }
        profile[k] = n > 0 ? acc / n : 0.0F;
    }
    if (samples < kLength * 4) return;
    const double pixelMean = sum / samples;
    const double pixelVariance = std::max(1e-6, sumSquares / samples - pixelMean * pixelMean);
    float smooth[kLength];
    for (int k = 0; k < kLength; ++k) {
        const float l = profile[std::max(k - 1, 0)], r = profile[std::min(k + 1, kLength - 1)];
        smooth[k] = 0.25F * l + 0.5F * profile[k] + 0.25F * r;
    }
    double profileMean = 0.0;
    for (float v : smooth) profileMean += v;
    profileMean /= kLength;
    double profileVariance = 0.0;
    for (float v : smooth) profileVariance += (v - profileMean) * (v - profileMean);
    profileVariance /= kLength;
    f.clarity[i] = static_cast<float>(std::min(1.0, profileVariance / pixelVariance));
    int firstPeak = -1, lastPeak = -1, peaks = 0;
    for (int k = 1; k < kLength - 1; ++k) {
        // Ridges are dark: the valleys of the gray profile mark ridge centres.
        if (smooth[k] < smooth[k - 1] && smooth[k] <= smooth[k + 1] && smooth[k] < profileMean) {
            if (firstPeak < 0) firstPeak = k;
            lastPeak = k;
            ++peaks;
        }
    }
    if (peaks < 2) return;
    const float period = static_cast<float>(lastPeak - firstPeak) / static_cast<float>(peaks - 1);
    if (period < kMinPeriod || period > kMaxPeriod) return;
    f.period[i] = period;
    f.periodMeasured[i] = 1;
}

// Blocks without their own period borrow the mean of measured neighbours, widening the search until
// something is found; then the whole field is smoothed a little.
void fillAndSmoothPeriod(RidgeFields& f) {
    std::vector<float> filled = f.period;
    float globalSum = 0.0F;
    int globalCount = 0;
    for (int i = 0; i < kBlockCount; ++i) {
        if (f.periodMeasured[i] && f.foreground[i]) {
            globalSum += f.period[i];
            ++globalCount;
        }
    }
    const float fallback = globalCount > 0 ? globalSum / static_cast<float>(globalCount) : 9.0F;
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int i = f.index(bx, by);
            if (f.periodMeasured[i]) continue;
            float s = 0.0F;
            int n = 0;
            for (int r = 1; r <= 3 && n == 0; ++r) {
                for (int dy = -r; dy <= r; ++dy) {
                    for (int dx = -r; dx <= r; ++dx) {
                        const int x = bx + dx, y = by + dy;
                        if (x < 0 || y < 0 || x >= kBlocksX || y >= kBlocksY) continue;
                        if (!f.periodMeasured[f.index(x, y)]) continue;
                        s += f.period[f.index(x, y)];
                        ++n;
                    }
                }
            }
            filled[i] = n > 0 ? s / static_cast<float>(n) : fallback;
        }
    }
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            float s = 0.0F;
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = bx + dx, y = by + dy;
                    if (x < 0 || y < 0 || x >= kBlocksX || y >= kBlocksY) continue;
                    s += filled[f.index(x, y)];
                    ++n;
                }
            }
            f.period[f.index(bx, by)] = s / static_cast<float>(n);
        }
    }
}

// Keeps the largest 4-connected region of candidate blocks and fills the holes inside it, so that a
// smudge or crease inside the print stays foreground while specks outside it go.
void keepLargestRegion(std::vector<std::uint8_t>& mask) {
    std::vector<int> label(kBlockCount, 0), stack;
    int bestLabel = 0, bestSize = 0, next = 0;
    for (int start = 0; start < kBlockCount; ++start) {
        if (!mask[start] || label[start]) continue;
        ++next;
        int size = 0;
        stack.push_back(start);
        label[start] = next;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            ++size;
            const int x = i % kBlocksX, y = i / kBlocksX;
            const int neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& nb : neighbours) {
                if (nb[0] < 0 || nb[1] < 0 || nb[0] >= kBlocksX || nb[1] >= kBlocksY) continue;
                const int j = nb[1] * kBlocksX + nb[0];
                if (mask[j] && !label[j]) {
                    label[j] = next;
                    stack.push_back(j);
                }
            }
        }
        if (size > bestSize) {
            bestSize = size;
            bestLabel = next;
        }
    }
    // Background reachable from the image edge stays background; everything else is a hole.
    std::vector<std::uint8_t> outside(kBlockCount, 0);
    for (int i = 0; i < kBlockCount; ++i) {
        const int x = i % kBlocksX, y = i / kBlocksX;
        const bool edge = x == 0 || y == 0 || x == kBlocksX - 1 || y == kBlocksY - 1;
        if (edge && label[i] != bestLabel) {
            outside[i] = 1;
            stack.push_back(i);
        }
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % kBlocksX, y = i / kBlocksX;
        const int neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        for (const auto& nb : neighbours) {
            if (nb[0] < 0 || nb[1] < 0 || nb[0] >= kBlocksX || nb[1] >= kBlocksY) continue;
            const int j = nb[1] * kBlocksX + nb[0];
            if (label[j] != bestLabel && !outside[j]) {
                outside[j] = 1;
                stack.push_back(j);
            }
        }
    }
    for (int i = 0; i < kBlockCount; ++i) mask[i] = (bestSize > 0 && !outside[i]) ? 1 : 0;
}

void segment(RidgeFields& f) {
    std::vector<std::uint8_t> candidate(kBlockCount, 0);
    for (int i = 0; i < kBlockCount; ++i) {
        candidate[i] = f.contrast[i] >= kMinContrast && f.coherence[i] >= kMinCoherence ? 1 : 0;
    }
    // Opening: a block survives only with at least four candidate neighbours, which drops isolated
    // textured specks of background noise.
    std::vector<std::uint8_t> opened(kBlockCount, 0);
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            if (!candidate[f.index(bx, by)]) continue;
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = bx + dx, y = by + dy;
                    if ((dx || dy) && x >= 0 && y >= 0 && x < kBlocksX && y < kBlocksY)
                        n += candidate[f.index(x, y)];
                }
            }
            opened[f.index(bx, by)] = n >= 4 ? 1 : 0;
        }
    }
    keepLargestRegion(opened);
    f.foreground = opened;
    f.foregroundBlocks = 0;
    for (auto v : f.foreground) f.foregroundBlocks += v;
}

}  // namespace

RidgeFields analyseRidges(const Pixels& pixels) {
    RidgeFields f;
    f.orientation.assign(kBlockCount, 0.0F);
    f.coherence.assign(kBlockCount, 0.0F);
    f.period.assign(kBlockCount, 0.0F);
    f.periodMeasured.assign(kBlockCount, 0);
    f.clarity.assign(kBlockCount, 0.0F);
    f.contrast.assign(kBlockCount, 0.0F);
    f.mean.assign(kBlockCount, 0.0F);
    computeContrast(pixels, f);
    computeOrientation(pixels, f);
    segment(f);
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            if (f.foreground[f.index(bx, by)]) measurePeriod(pixels, f, bx, by);
        }
    }
    fillAndSmoothPeriod(f);
    return f;
}

}  // namespace tervo::fpr
