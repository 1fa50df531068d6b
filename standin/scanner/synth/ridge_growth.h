// Grows a ridge pattern by iterated oriented Gabor filtering from random seeds,
// the method of Cappelli, Erol and Maio's synthetic fingerprint generator
// (SFinGe, 2000-2004): a few isolated points are filtered again and again with
// the kernel tuned to the local orientation and ridge period, and saturated
// after each pass. Ridges spread out from every seed; where fronts of
// different phase meet, or where the period or the flow forces extra ridges,
// the pattern resolves into ridge endings and bifurcations, so the minutiae
// come from the process itself rather than being painted in.
#ifndef TERVO_SYNTH_RIDGE_GROWTH_H
#define TERVO_SYNTH_RIDGE_GROWTH_H

#include <cstdint>

#include "plane.h"
#include "random_stream.h"

namespace tervo::synth {

struct RidgeGrowthPlan {
    int seedCount = 24;
    int iterations = 36;
    float gain = 1.7F;
};

// `kernelIndex` selects the Gabor kernel per pixel; only pixels where `region`
// is non-zero are grown. Returns values in about [-1.3, 1.3] (positive on
// ridges), smoothed by a final linear pass so ridge profiles are rounded.
FloatPlane growRidges(const Plane<std::uint16_t>& kernelIndex, const Plane<std::uint8_t>& region,
                      const RidgeGrowthPlan& plan, RandomStream& random);

}  // namespace tervo::synth

#endif
