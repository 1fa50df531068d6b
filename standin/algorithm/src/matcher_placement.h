// Placement of one print on another by their ridge orientation fields alone, without a turn: the
// second path of the matcher for pairs whose minutiae gave no alignment that many of them share
// (orientation-field registration as in Nilsson & Bigun 2002 and Liu et al. 2006, restricted to
// shifts round the place where the two impressions lie alike). Each cell of the first print that
// lands on the second's print scores how nearly parallel the two ridge orientations run there.
#ifndef TERVO_FPR_MATCHER_PLACEMENT_H
#define TERVO_FPR_MATCHER_PLACEMENT_H

#include "local_structures.h"

namespace tervo::fpr {

struct FieldPlacement {
    bool placed = false;  // the flow agrees there as a genuine overlap does (see parameters.h)
    int dx = 0, dy = 0;   // pixels; the first print's cells move by this onto the second's
    int cells = 0;        // sampled cells (every other row) of the first print on the second's print
    float flow = 0.0F;    // mean agreement over them: 1 parallel, 0 at 45 degrees, -1 crossing
    float centreX = 0.0F, centreY = 0.0F;  // of those cells, in the second print's frame; when placed
};

// The whole-cell shift within kPlacementReach cells each way with the largest summed agreement, found
// coarse to fine (the earliest of equal ones wins). Nothing is searched where the unshifted fields
// agree less than kMinIdentityFlow: then cells and flow stay 0. Allocates nothing.
FieldPlacement placeByOrientation(const PreparedTemplate& a, const PreparedTemplate& b);

}  // namespace tervo::fpr

#endif
