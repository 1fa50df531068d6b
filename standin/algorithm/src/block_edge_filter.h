// Smoothing of the 8x8 block edges a strongly quantised JPEG decode leaves behind.
#ifndef TERVO_FPR_BLOCK_EDGE_FILTER_H
#define TERVO_FPR_BLOCK_EDGE_FILTER_H

#include "image_input.h"

namespace tervo::fpr {

// `step` is the quantisation step of the lowest frequencies in the stream's table: a step across a
// block edge well below it is most likely the coarse quantisation's doing, a larger one a real edge.
void smoothBlockEdges(Pixels& pixels, int step);

}  // namespace tervo::fpr

#endif
