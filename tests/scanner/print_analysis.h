// Independent measurements of fingerprint images, used to check that the
// virtual scanner's impressions look like real prints: foreground share,
// ridge period (the x-signature method of Hong, Wan and Jain, 1998) and
// minutiae (local-mean binarisation, Zhang-Suen thinning, crossing number).
// Deliberately simple and separate from the generator, so that it measures
// the images rather than restating how they were made.
#ifndef TERVO_SCANNER_TEST_PRINT_ANALYSIS_H
#define TERVO_SCANNER_TEST_PRINT_ANALYSIS_H

#include <vector>

#include "plane.h"

namespace tervo::test::printcheck {

// Foreground blocks of 8 x 8 pixels: gray-level spread above what sensor
// noise alone gives. One byte per pixel, 1 = foreground.
tervo::synth::GrayImage foregroundMask(const tervo::synth::GrayImage& image);
double foregroundShare(const tervo::synth::GrayImage& image);

// Median ridge period in pixels over the foreground blocks; 0 when none.
double medianRidgePeriod(const tervo::synth::GrayImage& image);

struct Minutia {
    int x;
    int y;
    bool bifurcation;
};

std::vector<Minutia> extractMinutiae(const tervo::synth::GrayImage& image);

}  // namespace tervo::test::printcheck

#endif
