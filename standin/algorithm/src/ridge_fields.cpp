#include "ridge_fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "angles.h"
#include "block_windows.h"
#include "lanes.h"
#include "parameters.h"
#include "rank_counter.h"

namespace tervo::fpr {
namespace {

// Sobel gradients of one image row from its padded neighbour rows, as the three squared-gradient terms
// of the least-squares orientation. The outer frame of the image has no gradient.
struct GradientRow {
    std::array<std::int32_t, kWidth> xx{}, xy{}, magnitude{};
};
using PaddedRow = std::array<std::int32_t, kWidth + 2>;  // gray levels with a zero column either side

void computeGradientRow(const PaddedRow& up, const PaddedRow& mid, const PaddedRow& down, GradientRow& g) {
    for (int x = 0; x < kWidth; ++x) {
        const int i = x + 1;
        const std::int32_t gx =
            (up[i + 1] + 2 * mid[i + 1] + down[i + 1]) - (up[i - 1] + 2 * mid[i - 1] + down[i - 1]);
        const std::int32_t gy =
            (down[i - 1] + 2 * down[i] + down[i + 1]) - (up[i - 1] + 2 * up[i] + up[i + 1]);
        g.xx[x] = gx * gx - gy * gy;
        g.xy[x] = 2 * gx * gy;
        g.magnitude[x] = gx * gx + gy * gy;
    }
    g.xx[0] = g.xy[0] = g.magnitude[0] = 0;
    g.xx[kWidth - 1] = g.xy[kWidth - 1] = g.magnitude[kWidth - 1] = 0;
}

// Doubled-angle vectors (Bazen and Gerez 2002) summed over each block's gradient window: the vector
// sum gives the dominant gradient direction, ridges run across it; its length against the summed
// magnitudes is the certainty.
struct GradientSums {
    std::vector<float> vx = std::vector<float>(kBlockCount), vy = std::vector<float>(kBlockCount);
};

// One sweep down the image feeds every window sum: gray levels and their squares for mean and
// contrast, squared-gradient terms for orientation. Everything is summed as integers, which doubles
// would hold exactly too.
GradientSums sumBlockWindows(const Pixels& pixels, RidgeFields& f) {
    BlockWindowSums<2> stats(kStatsRadius);
    BlockWindowSums<3> gradients(kGradientRadius);
    std::array<PaddedRow, 3> rows{};  // image rows y - 1, y, y + 1, cycled
    std::array<std::int32_t, kWidth> squares{};
    GradientRow gradient, flat;
    auto load = [&pixels](int y, PaddedRow& row) {
        for (int x = 0; x < kWidth; ++x) row[x + 1] = pixels[static_cast<std::size_t>(y) * kWidth + x];
    };
    load(0, rows[1]);
    for (int y = 0; y < kHeight; ++y) {
        const PaddedRow& up = rows[y % 3];
        const PaddedRow& mid = rows[(y + 1) % 3];
        PaddedRow& down = rows[(y + 2) % 3];
        if (y + 1 < kHeight) load(y + 1, down);
        for (int x = 0; x < kWidth; ++x) squares[x] = mid[x + 1] * mid[x + 1];
        stats.addRow({mid.data() + 1, squares.data()});
        const bool frame = y == 0 || y == kHeight - 1;
        if (!frame) computeGradientRow(up, mid, down, gradient);
        const GradientRow& g = frame ? flat : gradient;
        gradients.addRow({g.xx.data(), g.xy.data(), g.magnitude.data()});
    }
    GradientSums out;
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int i = f.index(bx, by);
            const int n = stats.count(bx, by);
            const double s = static_cast<double>(stats.sum(0, bx, by));
            const double s2 = static_cast<double>(stats.sum(1, bx, by));
            const double m = s / n;
            f.mean[i] = static_cast<float>(m);
            f.contrast[i] = static_cast<float>(std::sqrt(std::max(0.0, s2 / n - m * m)));
            const double a = static_cast<double>(gradients.sum(0, bx, by));
            const double b = static_cast<double>(gradients.sum(1, bx, by));
            const double magnitude = static_cast<double>(gradients.sum(2, bx, by));
            f.coherence[i] =
                magnitude > 1e-9 ? static_cast<float>(std::sqrt(a * a + b * b) / magnitude) : 0.0F;
            out.vx[i] = static_cast<float>(a);
            out.vy[i] = static_cast<float>(b);
        }
    }
    return out;
}

// Gaussian smoothing of the doubled-angle vectors bridges creases and noise.
void computeOrientation(const GradientSums& v, RidgeFields& f) {
    double weight[3][3];
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx)
            weight[dy + 1][dx + 1] =
                std::exp(-0.5 * (dx * dx + dy * dy) / (kSmoothingSigma * kSmoothingSigma));
    }
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            double sx = 0.0, sy = 0.0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = bx + dx, ny = by + dy;
                    if (nx < 0 || ny < 0 || nx >= kBlocksX || ny >= kBlocksY) continue;
                    const double w = weight[dy + 1][dx + 1];
                    sx += w * v.vx[f.index(nx, ny)];
                    sy += w * v.vy[f.index(nx, ny)];
                }
            }
            float ridge = static_cast<float>(0.5 * std::atan2(sy, sx)) + kPiF / 2;
            if (ridge < 0) ridge += kPiF;
            if (ridge >= kPiF) ridge -= kPiF;
            f.orientation[f.index(bx, by)] = ridge;
        }
    }
}

// Ridge profile of a block: kLength positions across the ridges, each averaging samples every kStep
// pixels along them.
constexpr int kLength = 32, kAlong = 5, kStep = 2;
constexpr int kLengthVectors = kLength / kLanes;

struct Signature {
    float profile[kLength];
    std::int32_t sum = 0, sumSquares = 0, samples = 0;  // over every sample inside the image
};

// Samples the profile positions four at a time. A sample outside the image is left out, including one
// whose coordinate lies just below zero and would round to the first row or column.
Signature sampleSignature(const Pixels& pixels, float cx, float cy, float ax, float ay) {
    const float nx = -ay, ny = ax;  // across the ridges
    FloatLanes baseX[kLengthVectors], baseY[kLengthVectors];
    for (int v = 0; v < kLengthVectors; ++v) {
        FloatLanes t;
        for (int l = 0; l < kLanes; ++l) t[l] = static_cast<float>(v * kLanes + l - kLength / 2);
        baseX[v] = cx + t * nx;
        baseY[v] = cy + t * ny;
    }
    IntLanes acc[kLengthVectors] = {}, count[kLengthVectors] = {};
    IntLanes sum = {};
    // Squares add up in floats: a lane sees at most 88 samples of at most 255^2, well inside the
    // 2^24 up to which floats count exactly, and float lanes multiply faster than integer ones.
    FloatLanes sumSquares = {};
    for (int a = -kAlong; a <= kAlong; ++a) {
        const float alongX = a * kStep * ax, alongY = a * kStep * ay;
        for (int v = 0; v < kLengthVectors; ++v) {
            const FloatLanes fx = baseX[v] + alongX, fy = baseY[v] + alongY;
            const IntLanes x = __builtin_convertvector(fx + 0.5F, IntLanes);
            const IntLanes y = __builtin_convertvector(fy + 0.5F, IntLanes);
            const IntLanes inside = (fx >= 0.0F) & (fy >= 0.0F) & (x < kWidth) & (y < kHeight);
            const IntLanes at = (y * kWidth + x) & inside;  // lanes outside read pixel 0, then drop it
            const IntLanes value =
                IntLanes{pixels[at[0]], pixels[at[1]], pixels[at[2]], pixels[at[3]]} & inside;
            acc[v] += value;
            count[v] -= inside;
            sum += value;
            const FloatLanes gray = __builtin_convertvector(value, FloatLanes);
            sumSquares += gray * gray;
        }
    }
    Signature out;
    for (int k = 0; k < kLength; ++k) {
        const int n = count[k / kLanes][k % kLanes];
        out.profile[k] =
            n > 0 ? static_cast<float>(acc[k / kLanes][k % kLanes]) / static_cast<float>(n) : 0.0F;
        out.samples += n;
    }
    out.sum = laneSum(sum);
    out.sumSquares = laneSum(__builtin_convertvector(sumSquares, IntLanes));
    return out;
}

// The smoothed profile, its mean removed, and the variance of the window it came from.
struct BlockProfile {
    float centred[kLength] = {};
    double pixelVariance = 0.0;
    bool measured = false;
};

// Gray-level profile across the ridges through the block centre ("x-signature", Hong, Wan and Jain
// 1998), averaged along the ridge direction. Its peak spacing is the ridge period; the share of the
// window's variance it explains is the ridge-valley clarity. The profile is kept for the alternation.
void measurePeriod(const Pixels& pixels, RidgeFields& f, int bx, int by, BlockProfile& kept) {
    const int i = f.index(bx, by);
    const float cx = bx * kBlockSize + kBlockSize / 2.0F, cy = by * kBlockSize + kBlockSize / 2.0F;
    const float theta = f.orientation[i];
    const Signature signature = sampleSignature(pixels, cx, cy, std::cos(theta), std::sin(theta));
    const float* profile = signature.profile;
    const double sum = signature.sum, sumSquares = signature.sumSquares;
    const int samples = signature.samples;
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
    for (int k = 0; k < kLength; ++k) kept.centred[k] = smooth[k] - static_cast<float>(profileMean);
    kept.pixelVariance = pixelVariance;
    kept.measured = true;
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
    f.localPeriod[i] = period;
    f.periodMeasured[i] = 1;
}

// Blocks without their own period borrow the mean of measured neighbours, widening the search until
// something is found; then the whole field is smoothed a little.
void fillAndSmoothLocalPeriod(RidgeFields& f) {
    std::vector<float> filled = f.localPeriod;
    float globalSum = 0.0F;
    int globalCount = 0;
    for (int i = 0; i < kBlockCount; ++i) {
        if (f.periodMeasured[i] && f.foreground[i]) {
            globalSum += f.localPeriod[i];
            ++globalCount;
        }
    }
    const float fallback = globalCount > 0 ? globalSum / static_cast<float>(globalCount) : kTypicalPeriod;
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
                        s += f.localPeriod[f.index(x, y)];
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
            f.localPeriod[f.index(bx, by)] = s / static_cast<float>(n);
        }
    }
}

// Median of the measured periods of print blocks around each block. A median, not a mean: a run of
// blocks where wet valleys hid every other ridge reads twice the period and must not drag the filters
// of its neighbours along. Neighbouring blocks see nearly the same window, so the field is smooth and
// does not depend on where the block grid happens to fall on the print.
void robustPeriod(RidgeFields& f) {
    // Every measured print block gets its rank in value order (ties by position); a window's median is
    // then the value of its middle rank, kept up to date as the window slides along a block row.
    std::vector<int> measured;
    for (int i = 0; i < kBlockCount; ++i) {
        if (f.periodMeasured[i] && f.foreground[i]) measured.push_back(i);
    }
    if (measured.empty()) {
        f.period.assign(kBlockCount, kTypicalPeriod);
        return;
    }
    std::stable_sort(measured.begin(), measured.end(),
                     [&f](int a, int b) { return f.localPeriod[a] < f.localPeriod[b]; });
    std::vector<int> rank(kBlockCount, -1);
    for (std::size_t r = 0; r < measured.size(); ++r) rank[measured[r]] = static_cast<int>(r);
    const float printMedian = f.localPeriod[measured[measured.size() / 2]];
    constexpr int r = kPeriodMedianRadius;
    const int n = static_cast<int>(measured.size());
    for (int by = 0; by < kBlocksY; ++by) {
        const int y0 = std::max(0, by - r), y1 = std::min(kBlocksY - 1, by + r);
        RankCounter window(n);
        auto addColumn = [&](int x, int change) {
            if (x < 0 || x >= kBlocksX) return;
            for (int y = y0; y <= y1; ++y) {
                const int k = rank[f.index(x, y)];
                if (k >= 0) window.add(k, change);
            }
        };
        for (int x = 0; x < r; ++x) addColumn(x, 1);
        for (int bx = 0; bx < kBlocksX; ++bx) {
            addColumn(bx + r, 1);
            addColumn(bx - r - 1, -1);
            const bool enough = window.count() >= kMinPeriodSamples;
            f.period[f.index(bx, by)] =
                enough ? f.localPeriod[measured[window.kth(window.count() / 2)]] : printMedian;
        }
    }
}

// Share of the window's variance that the best sinusoid within 15 % of the filters' period explains
// (Hong, Wan and Jain 1998 judge a block by how sinusoidal its x-signature is). Clear ridges and
// valleys give a sinusoid at the local period; where wet skin fills the valleys for long stretches
// the profile is flat with a few short bumps, though the orientation still follows the ridges. For
// pure pixel noise the share is about 0.008 with this sampling.
// Seven trial periods side by side in two vectors (the eighth lane repeats the middle one): the
// rotation by w of each. Neighbouring blocks mostly share their filters' period, so the rotations
// are only worked out again when it changes.
struct TrialRotations {
    static constexpr int kVectors = 2;
    float period = -1.0F;
    FloatLanes cw[kVectors] = {}, sw[kVectors] = {};

    void setPeriod(float p) {
        if (p == period) return;
        period = p;
        for (int v = 0; v < kVectors; ++v) {
            for (int l = 0; l < kLanes; ++l) {
                const int step = std::min(v * kLanes + l, 6) - 3;
                const double w = 2.0 * kPi / (p * (1.0 + 0.05 * step));
                cw[v][l] = static_cast<float>(std::cos(w));
                sw[v][l] = static_cast<float>(std::sin(w));
            }
        }
    }
};

float alternationOf(const BlockProfile& p, float period, TrialRotations& r) {
    if (!p.measured) return 0.0F;
    r.setPeriod(period);
    constexpr int kVectors = TrialRotations::kVectors;
    FloatLanes c[kVectors], sn[kVectors], a[kVectors] = {}, b[kVectors] = {};
    for (int v = 0; v < kVectors; ++v) {
        c[v] = FloatLanes{} + 1.0F;  // cos and sin of w k, advanced by one rotation per sample
        sn[v] = FloatLanes{};
    }
    for (int k = 0; k < kLength; ++k) {
        for (int v = 0; v < kVectors; ++v) {
            a[v] += p.centred[k] * c[v];
            b[v] += p.centred[k] * sn[v];
            const FloatLanes next = c[v] * r.cw[v] - sn[v] * r.sw[v];
            sn[v] = sn[v] * r.cw[v] + c[v] * r.sw[v];
            c[v] = next;
        }
    }
    float best = 0.0F;
    for (int v = 0; v < kVectors; ++v) {
        const FloatLanes power = a[v] * a[v] + b[v] * b[v];
        for (int l = 0; l < kLanes; ++l) best = std::max(best, power[l]);
    }
    return static_cast<float>(std::min(1.0, 2.0 * best / (kLength * kLength) / p.pixelVariance));
}

// A print block is unrecoverable when the print blocks around it alternate too little on average: the
// filters would invent valleys the image does not show, so its minutiae are false and it is no part of
// the print another impression can be compared with. Wet skin and faint ink both lower the
// alternation, but only wet skin leaves a clear profile: the filled valleys and the few bright marks
// in them run along the ridges, so the gray level changes across them as strongly as in clean print,
// only not as a sinusoid. Faint ink leaves a weak profile drowned in pixel noise, whose ridges the
// filters still follow. A neighbourhood as clear as clean print is therefore held to the stricter
// bound.
void markRecoverable(RidgeFields& f) {
    constexpr int r = kAlternationRadius;
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int i = f.index(bx, by);
            if (!f.foreground[i]) continue;
            float alternation = 0.0F, clarity = 0.0F;
            int n = 0;
            for (int y = std::max(0, by - r); y <= std::min(kBlocksY - 1, by + r); ++y) {
                for (int x = std::max(0, bx - r); x <= std::min(kBlocksX - 1, bx + r); ++x) {
                    if (!f.foreground[f.index(x, y)]) continue;
                    alternation += f.alternation[f.index(x, y)];
                    clarity += f.clarity[f.index(x, y)];
                    ++n;
                }
            }
            const bool wet = clarity >= kFullClarity * static_cast<float>(n);
            const float bound = wet ? kMinWetAlternation : kMinAlternation;
            f.recoverable[i] = alternation >= bound * static_cast<float>(n) ? 1 : 0;
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
    f.localPeriod.assign(kBlockCount, 0.0F);
    f.periodMeasured.assign(kBlockCount, 0);
    f.clarity.assign(kBlockCount, 0.0F);
    f.alternation.assign(kBlockCount, 0.0F);
    f.recoverable.assign(kBlockCount, 0);
    f.contrast.assign(kBlockCount, 0.0F);
    f.mean.assign(kBlockCount, 0.0F);
    computeOrientation(sumBlockWindows(pixels, f), f);
    segment(f);
    std::vector<BlockProfile> profiles(kBlockCount);
    for (int by = 0; by < kBlocksY; ++by) {
        for (int bx = 0; bx < kBlocksX; ++bx) {
            const int i = f.index(bx, by);
            if (f.foreground[i]) measurePeriod(pixels, f, bx, by, profiles[i]);
        }
    }
    robustPeriod(f);
    TrialRotations rotations;
    for (int i = 0; i < kBlockCount; ++i)
        f.alternation[i] = alternationOf(profiles[i], f.period[i], rotations);
    markRecoverable(f);
    fillAndSmoothLocalPeriod(f);
    return f;
}

}  // namespace tervo::fpr
