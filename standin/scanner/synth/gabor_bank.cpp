#include "gabor_bank.h"

#include <cmath>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {
namespace {

// Envelope widths: longer along the ridge than across it, which favours
// continuous ridges while leaving room for the pattern to bend.
constexpr double kSigmaAlong = 1.9;
constexpr double kSigmaAcross = 1.35;

}  // namespace

const GaborBank& GaborBank::instance() {
    static const GaborBank bank;
    return bank;
}

GaborBank::GaborBank()
    : periodLevels_(static_cast<int>(std::lround((kMaxPeriod - kMinPeriod) / kPeriodStep)) + 1),
      taps_(static_cast<std::size_t>(kOrientations) * periodLevels_ * kTaps) {
    for (int o = 0; o < kOrientations; ++o) {
        for (int p = 0; p < periodLevels_; ++p) {
            const std::size_t index = static_cast<std::size_t>(o) * periodLevels_ + p;
            buildKernel(kPi * o / kOrientations, kMinPeriod + kPeriodStep * p, taps_.data() + index * kTaps);
        }
    }
}

std::uint16_t GaborBank::indexFor(double ridgeAngle, double period) const {
    int o = static_cast<int>(std::lround(ridgeAngle / kPi * kOrientations)) % kOrientations;
    if (o < 0) o += kOrientations;
    int p = static_cast<int>(std::lround((period - kMinPeriod) / kPeriodStep));
    p = p < 0 ? 0 : (p >= periodLevels_ ? periodLevels_ - 1 : p);
    return static_cast<std::uint16_t>(o * periodLevels_ + p);
}

void GaborBank::buildKernel(double ridgeAngle, double period, float* taps) const {
    const double alongX = exact::cos(ridgeAngle);
    const double alongY = exact::sin(ridgeAngle);
    double envelope[kTaps] = {};
    double across[kTaps] = {};
    double envelopeSum = 0.0;
    double kernelSum = 0.0;
    for (int v = -kRadius; v <= kRadius; ++v) {
        for (int u = -kRadius; u <= kRadius; ++u) {
            const int t = (v + kRadius) * kRowStride + (u + kRadius);
            const double a = u * alongX + v * alongY;
            const double b = -u * alongY + v * alongX;
            envelope[t] = exact::exp(
                -0.5 * (a * a / (kSigmaAlong * kSigmaAlong) + b * b / (kSigmaAcross * kSigmaAcross)));
            across[t] = b;
            envelopeSum += envelope[t];
            kernelSum += envelope[t] * exact::cos(2.0 * kPi * b / period);
        }
    }
    // Remove the kernel's mean so that flat regions give no response, then
    // scale it so that a ridge wave of the tuned period passes with gain one.
    const double dc = kernelSum / envelopeSum;
    double waveGain = 0.0;
    double values[kTaps] = {};
    for (int t = 0; t < kTaps; ++t) {
        const double wave = exact::cos(2.0 * kPi * across[t] / period);
        values[t] = envelope[t] * (wave - dc);
        waveGain += values[t] * wave;
    }
    for (int t = 0; t < kTaps; ++t) taps[t] = static_cast<float>(values[t] / waveGain);
}

}  // namespace tervo::synth
