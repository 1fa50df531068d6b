// Doubles the resolution of a smooth field with Catmull-Rom interpolation.
#ifndef TERVO_SYNTH_UPSAMPLE_H
#define TERVO_SYNTH_UPSAMPLE_H

#include "plane.h"

namespace tervo::synth {

// Coarse sample (i, j) lands on fine pixel (2i, 2j); the result is
// (2 * width) x (2 * height), edges extended by clamping.
FloatPlane upsampleTwice(const FloatPlane& coarse);

}  // namespace tervo::synth

#endif
