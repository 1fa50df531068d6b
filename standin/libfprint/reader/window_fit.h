// Brings a reader's image of any size and resolution onto the console's
// 256 x 360 window at 500 ppi.
#ifndef TERVO_FPRINT_WINDOW_FIT_H
#define TERVO_FPRINT_WINDOW_FIT_H

#include "plane.h"

namespace tervo::fprint {

// `scale` is source pixels per window pixel (scaleToWindow). At 1 the image
// is centred on the window, cropped where it sticks out and padded with
// white. Otherwise it is resampled to round(width / scale) x
// round(height / scale) pixels with a tent filter as wide as one pixel of
// the finer of the two grids (linear interpolation when enlarging, an
// averaging filter when reducing), and that image is centred the same way;
// only the part inside the window is computed.
tervo::synth::GrayImage fitToWindow(const tervo::synth::GrayImage& image, double scale);

}  // namespace tervo::fprint

#endif
