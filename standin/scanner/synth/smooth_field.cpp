#include "smooth_field.h"

#include <cmath>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {

SmoothField::SmoothField(RandomStream& random, double minWavelength, double maxWavelength) {
    double weightSum = 0.0;
    for (Wave& wave : waves_) {
        const double direction = random.uniform(0.0, tervo::kPi);
        const double wavenumber = tervo::kTwoPi / random.uniform(minWavelength, maxWavelength);
        wave.kx = wavenumber * exact::cos(direction);
        wave.ky = wavenumber * exact::sin(direction);
        wave.phase = random.uniform(0.0, tervo::kTwoPi);
        wave.weight = random.uniform(0.5, 1.0);
        weightSum += wave.weight;
    }
    // Four waves of random phase rarely align, so scaling by half the weight
    // sum keeps the field near [-1, 1] while still reaching its ends.
    for (Wave& wave : waves_) wave.weight /= 0.5 * weightSum;
}

double SmoothField::at(double x, double y) const {
    double value = 0.0;
    for (const Wave& wave : waves_) value += wave.weight * exact::cos(wave.kx * x + wave.ky * y + wave.phase);
    return value;
}

}  // namespace tervo::synth
