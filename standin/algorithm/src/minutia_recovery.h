// How faithfully a processed image gives back the minutiae of its original: the measure the
// compressor uses to choose between encodings of equal size.
#ifndef TERVO_FPR_MINUTIA_RECOVERY_H
#define TERVO_FPR_MINUTIA_RECOVERY_H

#include <vector>

#include "minutiae.h"

namespace tervo::fpr {

// Original minutiae found again (a restored minutia within 8 px and 30 degrees, of either type) minus
// restored minutiae with no original one there. Types are not compared: an ending and a bifurcation
// trade places under the slightest change of contrast, and the matcher pairs them too.
int minutiaRecovery(const std::vector<Minutia>& original, const std::vector<Minutia>& restored);

// The restored minutiae another impression of the finger is expected to give too, each counting the
// share of `extractions` (the original extracted on several block grids, in the original's
// coordinates) that found it, by the same test as above. 0 for an empty list of extractions.
float minutiaeLikelyShared(const std::vector<Minutia>& restored,
                           const std::vector<std::vector<Minutia>>& extractions);

}  // namespace tervo::fpr

#endif
