#include "finger_pad.h"

#include <cmath>

namespace tervo::synth {

FingerPad::FingerPad(RandomStream& random, double centreX, double centreY)
    : centreX_(centreX + random.normal(0.0, 6.0)),
      centreY_(centreY + random.normal(0.0, 8.0)),
      halfWidth_(random.uniform(108.0, 140.0)),
      topReach_(random.uniform(170.0, 205.0)),
      bottomReach_(random.uniform(250.0, 300.0)) {}

double FingerPad::depth(double x, double y) const {
    const double u = std::fabs(x - centreX_) / halfWidth_;
    const double dy = y - centreY_;
    if (dy < 0.0) {
        const double v = -dy / topReach_;
        return 1.0 - u * u - v * v;
    }
    // Below the centre the sides run nearly straight.
    const double v = dy / bottomReach_;
    return 1.0 - u * u * u - v * v * v;
}

}  // namespace tervo::synth
