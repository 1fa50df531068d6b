// Every tuned number of the algorithm, one line each: its unit and why it has this value. How each
// was measured is in doc/experiments.md. Layout facts (template offsets, image size) stay with the
// code that reads them.
#ifndef TERVO_FPR_PARAMETERS_H
#define TERVO_FPR_PARAMETERS_H

#include "angles.h"

namespace tervo::fpr {

// Matcher: candidate alignments.
constexpr int kCandidates = 16;              // descriptor pairs; each is a possible alignment
constexpr int kConsolidations = 6;           // alignments paired, best-supported first; more cost, no gain
constexpr int kMinAgreeing = 1;              // votes; past the first, an alignment needs someone's agreement
constexpr float kAgreementDistance = 20.0F;  // pixels; two anchor pairs this close agree on an alignment
constexpr int kMinPaired = 3;                // pairs; fewer is a chance match, similarity 0
constexpr int kRefitMinPaired = 5;           // pairs; four are common by chance, so refitting starts at five
constexpr int kElasticMinPaired = 4;         // pairs; the winner is extended elastically from here on
constexpr int kFewPaired = 6;  // pairs; fewer, and the orientation fields are placed alone as well

// Matcher: placement by the orientation fields.
constexpr int kPlacementReach = 2;      // cells (32 px) each way; impressions of a finger lie alike
constexpr int kMinPlacementCells = 20;  // cells of every other row (80 of the whole); fewer hold few minutiae
constexpr float kMinPlacementFlow = 0.8F;  // mean flow agreement; a genuine overlap's, rarely an impostor's
constexpr float kMinIdentityFlow = 0.5F;   // mean flow agreement unshifted; below it no shift is searched

// Matcher: pairing bounds.
constexpr int kPairAngleTolerance = 22;  // steps of 256 per turn (31 degrees); short-trace directions scatter
constexpr float kBaseTolerance = 6.0F;   // pixels at the anchor, where the alignment is exact
constexpr float kToleranceGrowth = 0.05F;  // pixels per pixel from the anchor; skin stretches with distance
constexpr float kMaxTolerance = 15.0F;     // pixels; wider bounds pair mostly chance minutiae
constexpr float kTypeMismatchWeight = 0.75F;  // of a pair; endings and bifurcations swap often, not always
constexpr float kEdgeDiscount = 0.5F;         // of a pair at both bounds' edge; chance pairs crowd the edge
constexpr float kElasticTolerance = 8.0F;     // pixels around the corrected position; tight against chance
constexpr float kElasticSpread = 20.0F;  // pixels; pairs nearer than this weigh alike in the local correction

// Matcher: score.
constexpr float kShrinkage = 15.0F;    // minutiae; keeps a few pairs in a tiny overlap from scoring high
constexpr float kVoteWeight = 0.08F;   // of the score per vote; genuine pairs gather votes, impostors scatter
constexpr int kPeriodPower = 3;        // of the mean period ratio; chosen on DB1+DB3, confirmed on DB2+DB4
constexpr int kMaxVotes = 6;           // votes; caps what crowded chance agreement can add
constexpr float kThreshold = 0.0367F;  // raw score mapped to 0.6; 3 % above impostors at FMR 1e-4
constexpr float kFullMatch = 0.50F;    // raw score mapped to 1; a 25-minutia template against itself

// Minutiae.
constexpr int kBorderMargin = 12;  // pixels kept clear of the foreground edge, ridges end falsely there
constexpr float kMinMinutiaCoherence = 0.2F;  // orientation coherence; below it the flow is noise, not ridges
constexpr int kDirectionSteps = 10;           // skeleton steps traced to read a minutia's direction
constexpr float kBrokenRidgeGap = 3.0F;       // periods; two facing endings this close are one broken ridge
constexpr float kBrokenRidgeOffset = 0.6F;    // periods off an ending's line; spares neighbour ridges
constexpr float kFacingAngle = 0.7F * kPiF;   // radians; endings this far apart face each other
constexpr float kShortRidgeMin = 8.0F;      // pixels; a branch reaching a minutia sooner is a spur or bridge
constexpr float kShortRidgePeriods = 1.3F;  // periods; the short-ridge bound grows with the ridge period
constexpr float kClusterRadius = 10.0F;     // pixels; no real print packs four minutiae this close
constexpr int kMaxClusterNeighbours = 3;    // candidates within kClusterRadius that mark a noise cluster
constexpr float kCrowdRadius = 16.0F;       // pixels; false minutiae come in groups, true ones alone
constexpr float kCrowdPenalty = 0.3F;       // reliability divisor step per neighbour within kCrowdRadius

// Quality: the figures at which each factor is full.
constexpr float kFullArea = 0.40F;      // share of the window a complete impression covers
constexpr float kFullContrast = 45.0F;  // gray-level deviation of a well-inked block
constexpr float kFullClarity = 0.55F;   // profile variance share of a clean block

// Ridge fields.
constexpr float kMinContrast = 9.0F;      // gray-level deviation; below it a block is flat background
constexpr float kMinCoherence = 0.18F;    // orientation coherence; below it a block is noise or smudge
constexpr int kStatsRadius = 8;           // pixels: a 17x17 window for mean and contrast, two periods
constexpr int kGradientRadius = 12;       // pixels: a 25x25 window for orientation, several ridges
constexpr double kSmoothingSigma = 1.0;   // blocks; smooths orientation vectors without bending cores
constexpr int kPeriodMedianRadius = 5;    // blocks (88x88 pixels); the period changes slowly, samples jump
constexpr int kMinPeriodSamples = 5;      // periods measured nearby; fewer falls back to the print's median
constexpr float kTypicalPeriod = 9.0F;    // pixels; for a print without a single measured period
constexpr float kMinPeriod = 4.0F;        // pixels; the finest ridge period accepted
constexpr float kMaxPeriod = 18.0F;       // pixels; the coarsest ridge period accepted
constexpr float kMinAlternation = 0.04F;  // variance share; 5x what a sinusoid explains in pure noise
constexpr float kMinWetAlternation = 0.08F;  // the same, 10x, where the profile is as clear as clean print
constexpr int kAlternationRadius = 2;        // blocks (40x40 pixels); one block's profile is noisy

// Enhancement.
constexpr int kAngleSteps = 24;   // filter orientations per half-turn (7.5 degrees apart)
constexpr int kRadius = 5;        // pixels; filter kernel radius, about half the typical period
constexpr int kChoiceStep = 4;    // pixels; kernel choice is interpolated on a 4x4-pixel grid
constexpr int kMaxHoleArea = 24;  // pixels; a smaller enclosed valley is a pore, filled to spare a false loop

}  // namespace tervo::fpr

#endif  // TERVO_FPR_PARAMETERS_H
