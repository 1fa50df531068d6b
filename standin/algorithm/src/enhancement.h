// Contextual enhancement: every foreground pixel is filtered with an even-symmetric Gabor filter tuned
// to its block's ridge orientation and period (Hong, Wan and Jain 1998), then binarised.
#ifndef TERVO_FPR_ENHANCEMENT_H
#define TERVO_FPR_ENHANCEMENT_H

#include <cstdint>
#include <vector>

#include "ridge_fields.h"

namespace tervo::fpr {

// Ridge map of the image: 1 on ridge pixels inside the foreground, 0 elsewhere; top row first.
std::vector<std::uint8_t> enhanceAndBinarise(const Pixels& pixels, const RidgeFields& fields);

}  // namespace tervo::fpr

#endif
