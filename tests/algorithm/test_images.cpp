#include "test_images.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "angles.h"
#include "checksum.h"

namespace tervo::fpr::testing {

namespace {

// A phase singularity of winding +1 or -1 is where one ridge more or less starts: an ending or a
// bifurcation. Alternate signs on a grid keep the flow far from them unchanged.
double minutiaPhase(int x, int y, double cx, double cy) {
    double phase = 0;
    int sign = 1;
    for (int row = -2; row <= 3; ++row, sign = -sign) {
        for (int column = -1; column <= 2; ++column, sign = -sign) {
            const double px = cx + 40.0 * column - 20.0, py = cy + 44.0 * row - 22.0;
            phase += sign * std::atan2(y - py, x - px);
        }
    }
    return phase;
}

Pixels pattern(const Damage& damage, unsigned seed, bool withMinutiae) {
    std::vector<double> v(kPixelCount, 255.0);
    const double cx = kWidth / 2.0, cy = kHeight / 2.0, period = 9.0;
    const double lostBelow = cy - 150 + 300 * (1.0 - damage.lostShare);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double ex = (x - cx) / 105.0, ey = (y - cy) / 150.0;
            if (ex * ex + ey * ey > 1.0 || y > lostBelow) continue;
            // Stretched circles around a point above the centre: a loop-like flow without singular
            // points inside the print.
            const double r = std::hypot((x - cx) * 1.0, (y - cy + 220) * 0.8);
            const double extra = withMinutiae ? minutiaPhase(x, y, cx, cy) : 0.0;
            v[y * kWidth + x] = 128.0 + 90.0 * std::cos(kTwoPi * r / period + extra);
        }
    }
    if (damage.blurRadius > 0) {
        std::vector<double> out(kPixelCount);
        const int r = damage.blurRadius;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                double s = 0;
                int n = 0;
                for (int dy = -r; dy <= r; ++dy) {
                    for (int dx = -r; dx <= r; ++dx) {
                        const int xx = std::clamp(x + dx, 0, kWidth - 1),
                                  yy = std::clamp(y + dy, 0, kHeight - 1);
                        s += v[yy * kWidth + xx];
                        ++n;
                    }
                }
                out[y * kWidth + x] = s / n;
            }
        }
        v.swap(out);
    }
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, damage.noiseSigma > 0 ? damage.noiseSigma : 1.0);
    Pixels p{};
    for (std::size_t i = 0; i < kPixelCount; ++i) {
        const double n = damage.noiseSigma > 0 ? noise(rng) : 0.0;
        p[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v[i] + n), 0L, 255L));
    }
    return p;
}

}  // namespace

Pixels ridgePattern(const Damage& damage, unsigned seed) {
    return pattern(damage, seed, false);
}

Pixels printWithMinutiae(const Damage& damage, unsigned seed) {
    return pattern(damage, seed, true);
}

Pixels uniformImage(std::uint8_t gray) {
    Pixels p{};
    p.fill(gray);
    return p;
}

Pixels noiseImage(unsigned seed) {
    std::mt19937 rng(seed);
    Pixels p{};
    for (auto& v : p) v = static_cast<std::uint8_t>(rng() & 0xFF);
    return p;
}

Buffer rawBuffer(const Pixels& pixels) {
    Buffer b{};
    std::memcpy(b.data(), pixels.data(), kPixelCount);
    return b;
}

Buffer bmpBuffer(const Pixels& pixels, bool bottomUp) {
    Buffer b{};
    b[0] = 'B';
    b[1] = 'M';
    writeLe32(&b[10], kBmpHeaderSize);
    writeLe32(&b[14], 40);
    writeLe32(&b[18], kWidth);
    writeLe32(&b[22], static_cast<std::uint32_t>(bottomUp ? kHeight : -kHeight));
    writeLe16(&b[26], 1);
    writeLe16(&b[28], 8);
    for (int i = 0; i < 256; ++i)
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<std::uint8_t>(i);
    for (int row = 0; row < kHeight; ++row) {
        const int stored = bottomUp ? kHeight - 1 - row : row;
        std::memcpy(&b[kBmpHeaderSize + static_cast<std::size_t>(stored) * kWidth], &pixels[row * kWidth],
                    kWidth);
    }
    return b;
}

bool loadFvc(int database, int finger, int impression, Buffer& out) {
    char path[512];
    std::snprintf(path, sizeof path, "%s/DB%d_B/%d_%d.bmp", TERVO_FVC_DIR, database, finger, impression);
    out.fill(0);
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    const std::size_t n = std::fread(out.data(), 1, kBmpFileSize, f);
    std::fclose(f);
    return n == kBmpFileSize;
}

}  // namespace tervo::fpr::testing
