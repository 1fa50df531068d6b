// Images for the tests: synthetic ridge patterns with controlled damage, BMP wrapping, and the real
// prints of the shared data folder when it is there.
#ifndef TERVO_FPR_TEST_IMAGES_H
#define TERVO_FPR_TEST_IMAGES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry.h"
#include "image_input.h"

namespace tervo::fpr::testing {

using Buffer = std::array<std::uint8_t, kImageBufferSize>;

struct Damage {
    double noiseSigma = 0.0;  // gray levels of Gaussian noise
    int blurRadius = 0;       // box blur radius in pixels
    double lostShare = 0.0;   // share of the print area blanked out from the bottom up
};

// A clean loop-like ridge pattern (period 9 pixels) inside an elliptical print, then damaged.
Pixels ridgePattern(const Damage& damage = {}, unsigned seed = 1);
// The same flow with two dozen ridge endings and bifurcations placed on a grid: a stand-in for a real
// print where a test needs minutiae and the shared data folder is missing.
Pixels printWithMinutiae(const Damage& damage = {}, unsigned seed = 1);

Pixels uniformImage(std::uint8_t gray);
Pixels noiseImage(unsigned seed);

// Raw form: the pixels followed by zeros up to the buffer size.
Buffer rawBuffer(const Pixels& pixels);
// A 93238-byte BMP file in the buffer, rows bottom-up (as the console writes them) or top-down.
Buffer bmpBuffer(const Pixels& pixels, bool bottomUp = true);

// A real print of the shared data: database 1..4, finger 101..110, impression 1..8; empty if missing.
bool loadFvc(int database, int finger, int impression, Buffer& out);

}  // namespace tervo::fpr::testing

#endif
