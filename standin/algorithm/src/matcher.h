// Minutiae matching in two stages. Local stage: the most similar pairs of neighbourhood descriptors
// (see local_structures.h) are candidate correspondences, and each candidate gets one vote from every
// other candidate that agrees with the alignment it implies. Every pair goes on to the global stage
// (no pair is turned away on its descriptors alone). Global stage: the best-supported
// candidates align the two sets, a one-to-one pairing with distortion-tolerant bounds consolidates
// each, and the pairing is scored against the minutiae that lie in the other print's foreground. The
// best consolidation, weighed by how well the two ridge orientation fields agree under its alignment
// and by the votes, gives the similarity.
#ifndef TERVO_FPR_MATCHER_H
#define TERVO_FPR_MATCHER_H

#include "feature_template.h"
#include "local_structures.h"

namespace tervo::fpr {

struct MatchDetail {
    float similarity = 0.0F;            // calibrated, in [0, 1]
    float raw = 0.0F;                   // paired share m^2 / (overlap_a * overlap_b), shrunk for small
                                        // sets, times the share of parallel ridge flow and the alignment
                                        // support factor
    int paired = 0;                     // minutiae paired in the best alignment
    int overlapA = 0, overlapB = 0;     // minutiae of each print inside the other's foreground there
    float support = 0.0F;               // descriptor similarity summed over the paired minutiae
    float orientationAgreement = 0.0F;  // -1..1 over the overlap under the best alignment
    int orientationCells = 0;           // sampled mask cells of the first print in that overlap
    float periodAgreement = 0.0F;       // 0..1, mean shorter-to-longer ridge period ratio there
    float weight = 0.0F;                // the pairs' summed weights in the best alignment
    int votes = 0;                      // candidates agreeing with the best-supported one
};

// Symmetric by construction: the pair is put into a canonical order first. Empty templates or sets
// too small to align give 0. Allocates nothing. `support` is only summed when asked for: it serves the
// study of scores, and a search call has no use for it.
MatchDetail matchPrepared(const PreparedTemplate& a, const PreparedTemplate& b, bool withSupport = false);

// Prepares both templates and matches them, support included.
MatchDetail matchTemplates(const FeatureTemplate& a, const FeatureTemplate& b);

// Maps the raw score onto the similarity scale whose 0.6 is the verification threshold.
float calibrateSimilarity(float raw, int paired);

}  // namespace tervo::fpr

#endif
