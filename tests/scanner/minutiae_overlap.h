// How many minutiae two impressions share, using the generator's own record
// of where each sensor pixel looked on its master print as ground truth.
// For two impressions of one finger that is the fraction of minutiae found
// again; for two different fingers it is the rate of chance coincidences.
#ifndef TERVO_SCANNER_TEST_MINUTIAE_OVERLAP_H
#define TERVO_SCANNER_TEST_MINUTIAE_OVERLAP_H

#include "impression.h"
#include "print_analysis.h"

namespace tervo::test::printcheck {

struct AnalysedImpression {
    tervo::synth::ImpressionPlan plan;
    const tervo::synth::MasterPrint* master;
    tervo::synth::GrayImage image;
    tervo::synth::GrayImage foreground;
    std::vector<Minutia> minutiae;
};

AnalysedImpression analyse(const tervo::synth::MasterPrint& master, const tervo::synth::ImpressionPlan& plan);

// Share of minutiae in the region both impressions cover that have a partner
// within `tolerance` master pixels (one-to-one, nearest first); -1 when the
// common region holds fewer than 5 minutiae of either impression.
double minutiaeOverlap(const AnalysedImpression& a, const AnalysedImpression& b, double tolerance = 8.0);

}  // namespace tervo::test::printcheck

#endif
