// Image quality 0..100 from the ridge fields, in the spirit of NFIQ 2 (Tabassi et al. 2021): the share
// of the window covered by print, and per foreground block the orientation certainty, the ridge-valley
// clarity, the contrast and whether the ridge period agrees with the neighbourhood.
#ifndef TERVO_FPR_QUALITY_H
#define TERVO_FPR_QUALITY_H

#include <cstdint>

#include "ridge_fields.h"

namespace tervo::fpr {

std::uint8_t qualityScore(const RidgeFields& fields);

}  // namespace tervo::fpr

#endif
