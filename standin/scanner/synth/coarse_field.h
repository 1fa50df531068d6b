// A smooth field sampled on a coarse grid over the sensor window and read back
// by bilinear interpolation: per-impression variations (contact edge,
// illumination) cost a few hundred evaluations instead of one per pixel.
#ifndef TERVO_SYNTH_COARSE_FIELD_H
#define TERVO_SYNTH_COARSE_FIELD_H

#include "plane.h"
#include "smooth_field.h"

namespace tervo::synth {

class CoarseField {
  public:
    static constexpr int kStep = 8;

    CoarseField(const SmoothField& field, int width, int height);
    float at(double x, double y) const {
        return sampleBilinear(grid_, static_cast<float>(x / kStep), static_cast<float>(y / kStep), 0.0F);
    }

  private:
    FloatPlane grid_;
};

}  // namespace tervo::synth

#endif
