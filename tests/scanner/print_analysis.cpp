#include "print_analysis.h"

#include <algorithm>
#include <cmath>

#include "angles.h"

namespace tervo::test::printcheck {
namespace {

using tervo::synth::GrayImage;

constexpr int kBlock = 8;

// Sum of the values in [x0, x1) x [y0, y1) from a summed-area table.
class SummedArea {
  public:
    explicit SummedArea(const GrayImage& image)
        : width_(image.width + 1), sums_(static_cast<std::size_t>(width_) * (image.height + 1), 0) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                sums_[index(x + 1, y + 1)] =
                    image.at(x, y) + sums_[index(x, y + 1)] + sums_[index(x + 1, y)] - sums_[index(x, y)];
    }
    long sum(int x0, int y0, int x1, int y1) const {
        return sums_[index(x1, y1)] - sums_[index(x0, y1)] - sums_[index(x1, y0)] + sums_[index(x0, y0)];
    }

  private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    int width_;
    std::vector<long> sums_;
};

GrayImage erode(const GrayImage& mask, int radius) {
    GrayImage out(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            bool inside = true;
            for (int v = -radius; v <= radius && inside; v += 2)
                for (int u = -radius; u <= radius && inside; u += 2)
                    inside = mask.contains(x + u, y + v) && mask.at(x + u, y + v);
            out.at(x, y) = inside ? 1 : 0;
        }
    }
    return out;
}

GrayImage binarise(const GrayImage& image) {
    const SummedArea area(image);
    GrayImage ridges(image.width, image.height);
    constexpr int r = 5;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int x0 = std::max(0, x - r), x1 = std::min(image.width, x + r + 1);
            const int y0 = std::max(0, y - r), y1 = std::min(image.height, y + r + 1);
            const long mean = area.sum(x0, y0, x1, y1) / ((x1 - x0) * (y1 - y0));
            ridges.at(x, y) = image.at(x, y) < mean ? 1 : 0;
        }
    }
    // A 3 x 3 majority vote removes single-pixel noise before thinning.
    GrayImage voted(image.width, image.height);
    for (int y = 1; y + 1 < image.height; ++y) {
        for (int x = 1; x + 1 < image.width; ++x) {
            int count = 0;
            for (int v = -1; v <= 1; ++v)
                for (int u = -1; u <= 1; ++u) count += ridges.at(x + u, y + v);
            voted.at(x, y) = count >= 5 ? 1 : 0;
        }
    }
    return voted;
}

// Neighbours p2..p9 clockwise from north, as in Zhang and Suen (1984).
void neighbours(const GrayImage& image, int x, int y, int p[8]) {
    p[0] = image.at(x, y - 1);
    p[1] = image.at(x + 1, y - 1);
    p[2] = image.at(x + 1, y);
    p[3] = image.at(x + 1, y + 1);
    p[4] = image.at(x, y + 1);
    p[5] = image.at(x - 1, y + 1);
    p[6] = image.at(x - 1, y);
    p[7] = image.at(x - 1, y - 1);
}

int transitions(const int p[8]) {
    int count = 0;
    for (int i = 0; i < 8; ++i) count += p[i] == 0 && p[(i + 1) % 8] == 1;
    return count;
}

void thin(GrayImage& image) {
    std::vector<std::size_t> doomed;
    for (bool changed = true; changed;) {
        changed = false;
        for (int step = 0; step < 2; ++step) {
            doomed.clear();
            for (int y = 1; y + 1 < image.height; ++y) {
                for (int x = 1; x + 1 < image.width; ++x) {
                    if (!image.at(x, y)) continue;
                    int p[8];
                    neighbours(image, x, y, p);
                    const int set = p[0] + p[1] + p[2] + p[3] + p[4] + p[5] + p[6] + p[7];
                    if (set < 2 || set > 6 || transitions(p) != 1) continue;
                    const bool remove = step == 0 ? (p[0] * p[2] * p[4] == 0 && p[2] * p[4] * p[6] == 0)
                                                  : (p[0] * p[2] * p[6] == 0 && p[0] * p[4] * p[6] == 0);
                    if (remove) doomed.push_back(static_cast<std::size_t>(y) * image.width + x);
                }
            }
            for (std::size_t index : doomed) image.values[index] = 0;
            changed = changed || !doomed.empty();
        }
    }
}

// Removes pairs of minutiae closer than `distance`: spurs, bridges and breaks
// of the thinned image show up as such pairs.
std::vector<Minutia> dropClosePairs(const std::vector<Minutia>& found, int distance) {
    std::vector<bool> drop(found.size(), false);
    for (std::size_t i = 0; i < found.size(); ++i) {
        for (std::size_t j = i + 1; j < found.size(); ++j) {
            const int dx = found[i].x - found[j].x;
            const int dy = found[i].y - found[j].y;
            if (dx * dx + dy * dy < distance * distance) drop[i] = drop[j] = true;
        }
    }
    std::vector<Minutia> kept;
    for (std::size_t i = 0; i < found.size(); ++i)
        if (!drop[i]) kept.push_back(found[i]);
    return kept;
}

// Mean distance between successive dark peaks of the x-signature of the block
// at (x0, y0), or 0 when the block shows no clear ridge wave.
double blockRidgePeriod(const GrayImage& image, int x0, int y0, int side) {
    double gxx = 0, gyy = 0, gxy = 0;
    for (int y = y0 + 1; y < y0 + side - 1; ++y) {
        for (int x = x0 + 1; x < x0 + side - 1; ++x) {
            const double gx = image.at(x + 1, y) - image.at(x - 1, y);
            const double gy = image.at(x, y + 1) - image.at(x, y - 1);
            gxx += gx * gx;
            gyy += gy * gy;
            gxy += gx * gy;
        }
    }
    // Direction of the strongest gradient: across the ridges.
    const double across = 0.5 * std::atan2(2.0 * gxy, gxx - gyy);
    const double nx = std::cos(across), ny = std::sin(across);
    const double cx = x0 + side / 2.0, cy = y0 + side / 2.0;
    constexpr int kLength = 40;
    constexpr int kWidth = 12;
    double signature[kLength];
    for (int k = 0; k < kLength; ++k) {
        double sum = 0;
        int count = 0;
        for (int d = -kWidth / 2; d < kWidth / 2; ++d) {
            const int x = static_cast<int>(std::lround(cx + (k - kLength / 2) * nx - d * ny));
            const int y = static_cast<int>(std::lround(cy + (k - kLength / 2) * ny + d * nx));
            if (!image.contains(x, y)) return 0.0;
            sum += image.at(x, y);
            ++count;
        }
        signature[k] = sum / count;
    }
    std::vector<int> minima;
    for (int k = 1; k + 1 < kLength; ++k)
        if (signature[k] < signature[k - 1] && signature[k] <= signature[k + 1]) minima.push_back(k);
    if (minima.size() < 3) return 0.0;
    return static_cast<double>(minima.back() - minima.front()) / (minima.size() - 1);
}

}  // namespace

GrayImage foregroundMask(const GrayImage& image) {
    GrayImage mask(image.width, image.height);
    for (int by = 0; by + kBlock <= image.height; by += kBlock) {
        for (int bx = 0; bx + kBlock <= image.width; bx += kBlock) {
            double sum = 0, squares = 0;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx; x < bx + kBlock; ++x) {
                    sum += image.at(x, y);
                    squares += static_cast<double>(image.at(x, y)) * image.at(x, y);
                }
            const double n = kBlock * kBlock;
            const double deviation = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
            if (deviation < 20.0) continue;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx; x < bx + kBlock; ++x) mask.at(x, y) = 1;
        }
    }
    return mask;
}

double foregroundShare(const GrayImage& image) {
    const GrayImage mask = foregroundMask(image);
    long count = 0;
    for (std::uint8_t value : mask.values) count += value;
    return static_cast<double>(count) / static_cast<double>(mask.values.size());
}

double medianRidgePeriod(const GrayImage& image) {
    const GrayImage mask = erode(foregroundMask(image), 16);
    std::vector<double> periods;
    constexpr int kSide = 16;
    for (int y0 = 0; y0 + kSide <= image.height; y0 += kSide) {
        for (int x0 = 0; x0 + kSide <= image.width; x0 += kSide) {
            if (!mask.at(x0 + kSide / 2, y0 + kSide / 2)) continue;
            const double period = blockRidgePeriod(image, x0, y0, kSide);
            if (period > 0.0) periods.push_back(period);
        }
    }
    if (periods.empty()) return 0.0;
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    return periods[periods.size() / 2];
}

std::vector<Minutia> extractMinutiae(const GrayImage& image) {
    const GrayImage inner = erode(foregroundMask(image), 14);
    GrayImage skeleton = binarise(image);
    thin(skeleton);
    std::vector<Minutia> found;
    for (int y = 1; y + 1 < image.height; ++y) {
        for (int x = 1; x + 1 < image.width; ++x) {
            if (!skeleton.at(x, y) || !inner.at(x, y)) continue;
            int p[8];
            neighbours(skeleton, x, y, p);
            const int crossings = transitions(p);
            if (crossings == 1 || crossings == 3) found.push_back({x, y, crossings == 3});
        }
    }
    return dropClosePairs(found, 8);
}

}  // namespace tervo::test::printcheck
