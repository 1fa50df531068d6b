// The whole extraction pipeline: ridge fields, quality, Gabor enhancement, binarisation, thinning and
// minutiae.
#ifndef TERVO_FPR_EXTRACTOR_H
#define TERVO_FPR_EXTRACTOR_H

#include "feature_template.h"
#include "image_input.h"

namespace tervo::fpr {

FeatureTemplate extractFeatures(const Pixels& pixels, std::uint8_t scannerType, std::uint8_t fingerCode);

// Quality alone, without the enhancement and minutiae stages.
std::uint8_t qualityOfImage(const Pixels& pixels);

}  // namespace tervo::fpr

#endif
