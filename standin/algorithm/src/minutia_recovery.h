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

}  // namespace tervo::fpr

#endif
