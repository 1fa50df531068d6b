// A bank of oriented, frequency-tuned Gabor kernels for growing ridge
// patterns (Hong, Wan and Jain, 1998, use the same even-symmetric form to
// enhance real prints). Orientation and period are quantised so that the
// spatially varying filter becomes a table lookup per pixel.
#ifndef TERVO_SYNTH_GABOR_BANK_H
#define TERVO_SYNTH_GABOR_BANK_H

#include <cstdint>
#include <vector>

namespace tervo::synth {

class GaborBank {
  public:
    // Ridge growth runs on a grid of half the sensor resolution: the pattern is
    // band-limited (9 pixels per ridge become 4.5), and a quarter of the pixels
    // with smaller kernels makes a new finger about ten times cheaper.
    static constexpr int kRadius = 4;
    static constexpr int kSide = 2 * kRadius + 1;
    // Kernel rows are stored padded with zeros to a multiple of four taps, so
    // that filtering can run four taps at a time.
    static constexpr int kRowStride = (kSide + 3) / 4 * 4;
    static constexpr int kTaps = kSide * kRowStride;
    static constexpr int kOrientations = 36;
    static constexpr double kMinPeriod = 3.0;
    static constexpr double kMaxPeriod = 6.5;
    static constexpr double kPeriodStep = 0.125;

    // The bank is the same for every finger; built on first use.
    static const GaborBank& instance();

    // Index of the kernel closest to a ridge direction (radians) and period (grid pixels).
    std::uint16_t indexFor(double ridgeAngle, double period) const;
    const float* kernel(std::uint16_t index) const {
        return taps_.data() + static_cast<std::size_t>(index) * kTaps;
    }

  private:
    GaborBank();
    void buildKernel(double ridgeAngle, double period, float* taps) const;

    int periodLevels_;
    std::vector<float> taps_;
};

}  // namespace tervo::synth

#endif
