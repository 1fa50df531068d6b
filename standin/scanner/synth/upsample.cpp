#include "upsample.h"

#include <algorithm>

namespace tervo::synth {
namespace {

// Catmull-Rom weights for the half-way point between samples 1 and 2.
constexpr float kHalfWay[4] = {-0.0625F, 0.5625F, 0.5625F, -0.0625F};

// Upsamples along rows: out(2i) = in(i), out(2i + 1) = cubic mid-point.
void doubleLine(const float* in, int count, int inStride, float* out, int outStride) {
    auto sample = [&](int i) {
        return in[static_cast<std::ptrdiff_t>(std::clamp(i, 0, count - 1)) * inStride];
    };
    for (int i = 0; i < count; ++i) {
        out[static_cast<std::ptrdiff_t>(2 * i) * outStride] = sample(i);
        float mid = 0.0F;
        for (int k = 0; k < 4; ++k) mid += kHalfWay[k] * sample(i - 1 + k);
        out[static_cast<std::ptrdiff_t>(2 * i + 1) * outStride] = mid;
    }
}

}  // namespace

FloatPlane upsampleTwice(const FloatPlane& coarse) {
    FloatPlane wide(2 * coarse.width, coarse.height);
    for (int y = 0; y < coarse.height; ++y) doubleLine(coarse.row(y), coarse.width, 1, wide.row(y), 1);
    FloatPlane fine(2 * coarse.width, 2 * coarse.height);
    for (int x = 0; x < wide.width; ++x)
        doubleLine(&wide.at(x, 0), coarse.height, wide.width, &fine.at(x, 0), fine.width);
    return fine;
}

}  // namespace tervo::synth
