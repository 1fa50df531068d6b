// A smooth random scalar field: a handful of long-wavelength plane waves.
//
// Used wherever a finger or an impression needs a slowly varying quantity
// (ridge period, orientation wobble, skin moisture, illumination). Cheap to
// evaluate and fully determined by the stream it is drawn from.
#ifndef TERVO_SYNTH_SMOOTH_FIELD_H
#define TERVO_SYNTH_SMOOTH_FIELD_H

#include <array>

#include "random_stream.h"

namespace tervo::synth {

class SmoothField {
  public:
    // Wavelengths are drawn between the two limits (pixels); values lie in about [-1, 1].
    SmoothField(RandomStream& random, double minWavelength, double maxWavelength);

    double at(double x, double y) const;

  private:
    struct Wave {
        double kx, ky, phase, weight;
    };
    std::array<Wave, 4> waves_{};
};

}  // namespace tervo::synth

#endif
